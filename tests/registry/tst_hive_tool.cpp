// The hive tool, run as a separate program over a hive in a temporary configuration directory.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Result {
    int Code = -1;
    QString Out;
    QString Err;
};

// OutFile, when given, receives the standard output instead of Result::Out.
Result Hive(const QStringList& Args, const QString& OutFile = QString()) {
    QProcess p;
    if (!OutFile.isEmpty())
        p.setStandardOutputFile(OutFile);
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

    // A name that looks like the end of a section and the start of another is quoted, so that
    // no line shows a key that does not exist; ordinary names stay as they are.
    void keyNamesCannotBeMisread() {
        const QString tricky = "A]\n\n[HKEY_CURRENT_USER"; // with its subkey "Fake"
        QCOMPARE(Hive({"create", tricky + "\\Fake"}).Code, 0);
        QCOMPARE(Hive({"create", "Plain name 2\\\u00e9t\u00e9"}).Code, 0);
        QCOMPARE(Hive({"create", "Tab\there"}).Code, 0);
        QCOMPARE(Hive({"create", "@\"q\" "}).Code, 0);

        Result r = Hive({"list"});
        QCOMPARE(r.Code, 0);
        QCOMPARE(r.Out, "\"@\\\"q\\\" \"\\\n"
                        "\"A]\\n\\n[HKEY_CURRENT_USER\"\\\n"
                        "Plain name 2\\\n"
                        "\"Tab\\there\"\\\n");

        r = Hive({"export", tricky});
        QCOMPARE(r.Code, 0);
        QCOMPARE(r.Out, "[HKEY_CURRENT_USER\\\"A]\\n\\n[HKEY_CURRENT_USER\"]\n\n"
                        "[HKEY_CURRENT_USER\\\"A]\\n\\n[HKEY_CURRENT_USER\"\\Fake]\n\n");

        r = Hive({"export", "Plain name 2"});
        QCOMPARE(r.Code, 0);
        QCOMPARE(r.Out, "[HKEY_CURRENT_USER\\Plain name 2]\n\n"
                        "[HKEY_CURRENT_USER\\Plain name 2\\\u00e9t\u00e9]\n\n");
    }

    // Output that cannot be written is a failure, not a success with the output lost.
    void unwritableOutputFails_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("path") << QStringList{"path"};
        QTest::newRow("list") << QStringList{"list", "Software"};
        QTest::newRow("read") << QStringList{"read", "Software", "a"};
        QTest::newRow("export") << QStringList{"export"};
        QTest::newRow("--help") << QStringList{"--help"};
    }
    void unwritableOutputFails() {
        QFETCH(QStringList, args);
        if (!QFileInfo(QStringLiteral("/dev/full")).isWritable())
            QSKIP("/dev/full, which fails every write, is missing or not writable here");
        QCOMPARE(Hive({"write", "Software", "a", "b"}).Code, 0);
        const Result r = Hive(args, QStringLiteral("/dev/full"));
        QVERIFY2(
            r.Code == 4,
            qPrintable(
                QStringLiteral("exit status %1, expected 4; stderr: %2").arg(r.Code).arg(r.Err)));
        QVERIFY2(r.Err.contains("cannot write the output"), qPrintable(r.Err));
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
