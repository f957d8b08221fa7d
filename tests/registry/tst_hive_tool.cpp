// The hive tool, run as a separate program over a hive in a temporary configuration directory.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Result {
    int Code = -1;
    QString Out;
    QString Err;
};

Result Hive(const QStringList& Args) {
    QProcess p;
    p.start(QStringLiteral(HIVE_TOOL), Args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class tst_HiveTool : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FConfig;

private Q_SLOTS:
    void init() {
        FConfig = std::make_unique<QTemporaryDir>();
        QVERIFY(FConfig->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfig->path()));
    }
    void cleanup() { FConfig.reset(); }

    // One session of commands; each step sees what the steps before it did.
    void session() {
        struct Step {
            QStringList args;
            int code;
            QString out;
        };
        const QString key = QStringLiteral("Software\\Corvane\\Demo");
        const QList<Step> steps = {
            {{"path"}, 0, FConfig->path() + "/vclreg/current-user.db\n"},
            {{"list"}, 0, ""},
            {{"read", key, "SERVER NAME"}, 1, ""},
            {{"write", key, "SERVER NAME", "ALPHA1"}, 0, ""},
            {{"write", "HKEY_CURRENT_USER\\" + key, "PASSWORD", "p;w=\"}\\x"}, 0, ""},
            {{"write", key, "Note", "\u00e9t\u00e9\nzwei"}, 0, ""},
            {{"create", key + "\\Empty"}, 0, ""},
            {{"read", "software\\corvane\\demo", "server name"}, 0, "ALPHA1\n"},
            {{"read", key, "Note"}, 0, "\u00e9t\u00e9\nzwei\n"},
            {{"list", "Software"}, 0, "Corvane\\\n"},
            {{"list", key},
             0,
             "Empty\\\n\"SERVER NAME\"=\"ALPHA1\"\n\"PASSWORD\"=\"p;w=\\\"}\\\\x\"\n"
             "\"Note\"=\"\u00e9t\u00e9\\nzwei\"\n"},
            {{"export", "Software\\Corvane"},
             0,
             "[HKEY_CURRENT_USER\\Software\\Corvane]\n\n"
             "[HKEY_CURRENT_USER\\Software\\Corvane\\Demo]\n"
             "\"SERVER NAME\"=\"ALPHA1\"\n\"PASSWORD\"=\"p;w=\\\"}\\\\x\"\n"
             "\"Note\"=\"\u00e9t\u00e9\\nzwei\"\n\n"
             "[HKEY_CURRENT_USER\\Software\\Corvane\\Demo\\Empty]\n\n"},
            {{"delete", key, "PASSWORD"}, 0, ""},
            {{"delete", key, "PASSWORD"}, 1, ""},
            {{"read", key, "PASSWORD"}, 1, ""},
            {{"delete", "Software\\Corvane"}, 0, ""},
            {{"list", key}, 1, ""},
            {{"list", "Software"}, 0, ""},
            {{"delete", ""}, 2, ""},
            {{"write", key}, 2, ""},
            {{"frobnicate"}, 2, ""},
        };
        for (const Step& step : steps) {
            const Result r = Hive(step.args);
            const QByteArray where = "hive " + step.args.join(' ').toUtf8() + ": " + r.Err.toUtf8();
            QVERIFY2(r.Code == step.code, where.constData());
            QVERIFY2(r.Out == step.out, (where + "output " + r.Out.toUtf8()).constData());
            if (step.code != 0)
                QVERIFY2(!r.Err.isEmpty(), "a failure says why");
        }
    }

    void aBadHiveFailsAndStaysUntouched() {
        const QString path = FConfig->path() + "/vclreg/current-user.db";
        QDir().mkpath(FConfig->path() + "/vclreg");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a hive at all\n");
        f.close();
        for (const QStringList& args :
             {QStringList{"list"}, QStringList{"write", "Software", "a", "b"}}) {
            const Result r = Hive(args);
            QCOMPARE(r.Code, 3);
            QVERIFY2(r.Err.contains(path) && r.Err.contains("untouched"), qPrintable(r.Err));
        }
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("not a hive at all\n"));
    }
};

QTEST_GUILESS_MAIN(tst_HiveTool)

#include "tst_hive_tool.moc"
