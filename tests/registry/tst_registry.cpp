// The registry accessor over a real hive file in a temporary configuration directory.

#include <vcl/Hive.h>
#include <vcl/Registry.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace vcl;

namespace {

const QString Key = QStringLiteral("Software\\Corvane\\Test");

int Mode(const QString& Path) {
    struct stat st {};
    if (::stat(QFile::encodeName(Path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

QByteArray Digest(const QString& Path) {
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The value a killed writer writes in its round N: long enough that a write takes a while, and
// recognisable as whole.
QString Generation(qint64 N) {
    return QString::number(N) + QLatin1Char(':') + QString(200000, QChar(u'a' + int(N % 26)));
}

// Child modes, run by the tests in separate processes.
int ChildWriteValues(const QString& Prefix, int Count) {
    char go[8];
    if (!std::fgets(go, sizeof go, stdin)) // start together with the other writer
        return 2;
    for (int i = 0; i < Count; ++i) {
        TRegistry reg;
        if (!reg.OpenKey(Key, true))
            return 3;
        reg.WriteString(QStringLiteral("%1 %2").arg(Prefix).arg(i), Prefix + QString::number(i));
    }
    return 0;
}

int ChildWriteForever() {
    TRegistry reg;
    if (!reg.OpenKey(Key, true))
        return 3;
    for (qint64 n = 1;; ++n) {
        reg.WriteString(QStringLiteral("Generation"), Generation(n));
        std::printf("%lld\n", static_cast<long long>(n));
        std::fflush(stdout);
    }
}

} // namespace

class tst_Registry : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FConfig;
    QString HivePath() const { return FConfig->path() + QStringLiteral("/vclreg/current-user.db"); }

    static void WriteFile(const QString& Path, const QByteArray& Data) {
        QDir().mkpath(QFileInfo(Path).path());
        QFile f(Path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(Data);
    }

private Q_SLOTS:
    void init() {
        FConfig = std::make_unique<QTemporaryDir>();
        QVERIFY(FConfig->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfig->path()));
    }
    void cleanup() { FConfig.reset(); }

    void hiveLivesInTheUsersConfigurationDirectory_data() {
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("expected");
        QTest::newRow("XDG_CONFIG_HOME") << "/x/conf"
                                         << "/x/conf/vclreg/current-user.db";
        QTest::newRow("unset") << QString() << QDir::homePath() + "/.config/vclreg/current-user.db";
        QTest::newRow("relative is ignored")
            << "conf" << QDir::homePath() + "/.config/vclreg/current-user.db";
    }
    void hiveLivesInTheUsersConfigurationDirectory() {
        QFETCH(QString, xdg);
        QFETCH(QString, expected);
        if (xdg.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", xdg.toUtf8());
        QCOMPARE(UserHivePath(), expected);
    }

    void openKey_data() {
        QTest::addColumn<QString>("existing"); // created first, from the root
        QTest::addColumn<QString>("opened");   // open key before the call, empty for none
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("canCreate");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("currentPath"); // after the call
        QTest::addColumn<QString>("mustExist");   // from the root, after the call

        QTest::newRow("missing, no create") << ""
                                            << "" << Key << false << false << ""
                                            << "";
        QTest::newRow("missing, create") << ""
                                         << "" << Key << true << true << Key << Key;
        QTest::newRow("existing") << Key << "" << Key << false << true << Key << Key;
        QTest::newRow("other case")
            << Key << ""
            << "SOFTWARE\\corvane\\TEST" << false << true << "SOFTWARE\\corvane\\TEST" << Key;
        QTest::newRow("leading backslash") << Key << ""
                                           << "\\" + Key << false << true << Key << Key;
        QTest::newRow("trailing backslash")
            << Key << "" << Key + "\\" << false << true << Key << Key;
        QTest::newRow("relative to open key") << Key << "Software\\Corvane"
                                              << "Test" << false << true << Key << Key;
        QTest::newRow("relative create") << "Software"
                                         << "Software"
                                         << "New\\Deep" << true << true << "Software\\New\\Deep"
                                         << "Software\\New\\Deep";
        QTest::newRow("backslash leaves the open key")
            << "Software\\Test"
            << "Software"
            << "\\Software" << false << true << "Software"
            << "Software\\Test";
        QTest::newRow("failure keeps the open key") << "Software"
                                                    << "Software"
                                                    << "Missing" << false << false << "Software"
                                                    << "Software";
        QTest::newRow("empty name inside") << ""
                                           << ""
                                           << "Software\\\\X" << true << false << ""
                                           << "";
        QTest::newRow("name too long") << ""
                                       << "" << QString(256, 'k') << true << false << ""
                                       << "";
        QTest::newRow("empty path is the root") << ""
                                                << ""
                                                << "" << false << true << ""
                                                << "";
    }
    void openKey() {
        QFETCH(QString, existing);
        QFETCH(QString, opened);
        QFETCH(QString, path);
        QFETCH(bool, canCreate);
        QFETCH(bool, result);
        QFETCH(QString, currentPath);
        QFETCH(QString, mustExist);

        if (!existing.isEmpty()) {
            TRegistry setup;
            QVERIFY(setup.OpenKey(existing, true));
        }
        TRegistry reg;
        QCOMPARE(reg.RootKey(), HKEY_CURRENT_USER);
        if (!opened.isEmpty())
            QVERIFY(reg.OpenKey(opened, false));
        QCOMPARE(reg.OpenKey(path, canCreate), result);
        QCOMPARE(reg.CurrentPath(), currentPath);
        if (!mustExist.isEmpty()) {
            TRegistry check;
            QVERIFY(check.KeyExists("\\" + mustExist));
        }
        if (!result && !canCreate && existing.isEmpty())
            QVERIFY2(!QFile::exists(HivePath()), "looking a key up must not create the hive");
    }

    void aKeyExistsWithoutValues() {
        {
            TRegistry reg;
            QVERIFY(reg.OpenKey(Key, true));
        }
        TRegistry reg;
        QVERIFY(reg.KeyExists(Key));
        QVERIFY(reg.OpenKey(Key, false));
        TStringList names;
        names.Add("stale");
        reg.GetValueNames(&names);
        QCOMPARE(names.Count(), 0);
        QCOMPARE(reg.ReadString("SERVER NAME"), QString());
        QVERIFY(!reg.ValueExists("SERVER NAME"));
    }

    void valuesSurviveUnchanged_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "SERVER NAME"
                               << "ALPHA1";
        QTest::newRow("= and ;") << "PASSWORD"
                                 << "a=b;c=d;}{";
        QTest::newRow("newlines") << "Notes"
                                  << "line one\nline two\r\n\ttab";
        QTest::newRow("non-ASCII") << "Benutzer \u00e9"
                                   << "\u00e9t\u00e9 \u20ac \u4e2d\u6587 \U0001F600";
        QTest::newRow("empty") << "LANGDRIVER"
                               << "";
        QTest::newRow("quotes and backslashes") << "a\\b"
                                                << "'\"\\\\server\\share";
        QTest::newRow("NUL inside") << "nul" << QString::fromUtf16(u"a\0b", 3);
        QTest::newRow("long") << "big" << QString(100000, 'z');
        QTest::newRow("default value") << ""
                                       << "the key's own value";
    }
    void valuesSurviveUnchanged() {
        QFETCH(QString, name);
        QFETCH(QString, value);
        {
            TRegistry reg;
            QVERIFY(reg.OpenKey(Key, true));
            reg.WriteString(name, value);
        }
        TRegistry reg;
        QVERIFY(reg.OpenKey(Key, false));
        QVERIFY(reg.ValueExists(name));
        QCOMPARE(reg.GetDataType(name), rdString);
        QCOMPARE(reg.ReadString(name), value);
        TStringList names;
        reg.GetValueNames(&names);
        QCOMPARE(names.ToStringList(), QStringList{name});
    }

    void namesIgnoreCaseAndKeepIt() {
        TRegistry reg;
        QVERIFY(reg.OpenKey("Software\\MixedCase", true));
        reg.WriteString("Server Name", "one");
        reg.WriteString("SERVER NAME", "two"); // the same value
        reg.WriteString("User", "u");
        QCOMPARE(reg.ReadString("server name"), QStringLiteral("two"));
        TStringList names;
        reg.GetValueNames(&names);
        QCOMPARE(names.ToStringList(), (QStringList{"Server Name", "User"}));

        QVERIFY(reg.OpenKey("\\SOFTWARE\\mixedcase\\Sub", true));
        QVERIFY(reg.OpenKey("\\software", false));
        reg.GetKeyNames(&names);
        QCOMPARE(names.ToStringList(), QStringList{"MixedCase"});
        QVERIFY(reg.HasSubKeys());
        // Non-ASCII names fold too.
        QVERIFY(reg.OpenKey("\u00c9T\u00c9", true));
        QVERIFY(reg.KeyExists("\\software\\\u00e9t\u00e9"));
    }

    void valueOperationsNeedAnOpenKey() {
        TRegistry reg;
        try {
            reg.WriteString("SERVER NAME", "x");
            QFAIL("writing with no open key was accepted");
        } catch (const ERegistryException& e) {
            QVERIFY2(e.Message().contains("no key is open") && e.Message().contains("OpenKey"),
                     qPrintable(e.Message()));
            QVERIFY(e.Message().contains("SERVER NAME"));
        }
        QVERIFY_THROWS_EXCEPTION(ERegistryException, reg.ReadString("x"));
        QVERIFY_THROWS_EXCEPTION(ERegistryException, reg.DeleteValue("x"));
        QVERIFY(reg.OpenKey(Key, true));
        reg.CloseKey();
        QCOMPARE(reg.CurrentPath(), QString());
        QVERIFY_THROWS_EXCEPTION(ERegistryException, reg.WriteString("x", "y"));
        // Nothing was written at the root either.
        QVERIFY(reg.OpenKey("\\", false));
        TStringList names;
        reg.GetValueNames(&names);
        QCOMPARE(names.Count(), 0);
    }

    void deleting() {
        TRegistry reg;
        QVERIFY(reg.OpenKey(Key + "\\Child\\Grandchild", true));
        reg.WriteString("deep", "1");
        QVERIFY(reg.OpenKey("\\" + Key, false));
        reg.WriteString("a", "1");
        reg.WriteString("b", "2");
        QVERIFY(reg.DeleteValue("A"));
        QVERIFY(!reg.DeleteValue("a"));
        QVERIFY(!reg.ValueExists("a"));
        QCOMPARE(reg.ReadString("b"), QStringLiteral("2"));

        QVERIFY(reg.DeleteKey("Child"));
        QVERIFY(!reg.KeyExists("Child"));
        QVERIFY(!reg.KeyExists("\\" + Key + "\\Child\\Grandchild"));
        QVERIFY(!reg.DeleteKey("Child"));
        QVERIFY(!reg.DeleteKey("\\"));

        // The open key itself removed by another accessor: writes into it are refused.
        TRegistry other;
        QVERIFY(other.DeleteKey(Key));
        QCOMPARE(reg.ReadString("b"), QString());
        try {
            reg.WriteString("b", "3");
            QFAIL("writing into a deleted key was accepted");
        } catch (const ERegistryException& e) {
            QVERIFY2(e.Message().contains("deleted"), qPrintable(e.Message()));
        }
        QVERIFY(!other.KeyExists(Key));

        // A key made after the deletion is not the deleted one, whatever the hive reuses.
        QVERIFY(reg.OpenKey("\\" + Key + "\\Again", true));
        QVERIFY(other.DeleteKey(Key + "\\Again"));
        QVERIFY(other.OpenKey(Key + "\\Newcomer", true));
        QVERIFY_THROWS_EXCEPTION(ERegistryException, reg.WriteString("Password", "secret"));
        QVERIFY(!other.ValueExists("Password"));
    }

    void onlyTheCurrentUsersRootHasAHive() {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        QCOMPARE(reg.RootKey(), HKEY_LOCAL_MACHINE);
        try {
            reg.OpenKey("Software", false);
            QFAIL("HKEY_LOCAL_MACHINE was opened");
        } catch (const ERegistryException& e) {
            QVERIFY2(e.Message().contains("HKEY_LOCAL_MACHINE"), qPrintable(e.Message()));
        }
    }

    void aNewHiveIsPrivate_data() {
        QTest::addColumn<int>("umask");
        QTest::newRow("022") << 022;
        QTest::newRow("000") << 0;
        QTest::newRow("277") << 0277;
    }
    void aNewHiveIsPrivate() {
        QFETCH(int, umask);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfig->path() + "/missing/config"));
        const mode_t old = ::umask(mode_t(umask));
        {
            TRegistry reg;
            QVERIFY(reg.OpenKey(Key, true));
            reg.WriteString("PASSWORD", "secret");
        }
        ::umask(old);
        const QString dir = FConfig->path() + "/missing/config/vclreg";
        QCOMPARE(Mode(dir), 0700);
        QCOMPARE(Mode(FConfig->path() + "/missing/config"), 0700);
        QCOMPARE(Mode(dir + "/current-user.db"), 0600);
    }

    // A hive folder or file that others may read is made private as soon as the hive is used,
    // even only for reading; a stricter mode is kept, and the folders above are left alone.
    void aLooseHiveIsMadePrivate() {
        {
            TRegistry reg;
            QVERIFY(reg.OpenKey(Key, true));
            reg.WriteString("PASSWORD", "secret");
        }
        const QString dir = QFileInfo(HivePath()).path();
        QCOMPARE(::chmod(QFile::encodeName(FConfig->path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(dir).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(HivePath()).constData(), 0644), 0);
        QVERIFY(TRegistry().KeyExists(Key));
        QCOMPARE(Mode(dir), 0700);
        QCOMPARE(Mode(HivePath()), 0600);
        QCOMPARE(Mode(FConfig->path()), 0755);

        QCOMPARE(::chmod(QFile::encodeName(HivePath()).constData(), 0400), 0);
        QVERIFY(TRegistry().KeyExists(Key));
        QCOMPARE(Mode(HivePath()), 0400);
    }

    // A hive that cannot be reached is reported with the reason, never taken for one that does
    // not exist yet. A regular file as XDG_CONFIG_HOME makes the path fail with ENOTDIR, which
    // holds for root too, where permission bits would not stop the lookup.
    void anUnreachableHiveIsReported() {
        const QString file = FConfig->path() + "/not-a-folder";
        WriteFile(file, "text\n");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(file));
        const QString reason = QString::fromLocal8Bit(std::strerror(ENOTDIR));
        for (int round = 0; round < 3; ++round) { // opening, asking, creating
            TRegistry reg;
            try {
                if (round == 0)
                    reg.OpenKey(Key, false);
                else if (round == 1)
                    reg.KeyExists(Key);
                else
                    reg.OpenKey(Key, true);
                QFAIL(qPrintable(QStringLiteral("round %1: an unreachable hive passed for a "
                                                "missing one")
                                     .arg(round)));
            } catch (const ERegistryException& e) {
                QVERIFY2(e.Message().contains(file + "/vclreg/current-user.db") &&
                             e.Message().contains(reason) && !e.Message().contains("create"),
                         qPrintable(e.Message()));
            }
        }
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("text\n"));
    }

    void aBadHiveIsReportedAndLeftAlone_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text") << QByteArray("[HKEY_CURRENT_USER\\Software]\n\"a\"=\"b\"\n");
        QByteArray noise(8192, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        QTest::newRow("binary") << noise;
        QTest::newRow("damaged header")
            << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\xff');
        QTest::newRow("another program's database") << QByteArray(); // made below
    }
    void aBadHiveIsReportedAndLeftAlone() {
        QFETCH(QByteArray, content);
        if (content.isEmpty()) {
            QDir().mkpath(QFileInfo(HivePath()).path());
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(HivePath()).constData(), &db), SQLITE_OK);
            QCOMPARE(sqlite3_exec(db,
                                  "CREATE TABLE notes (t TEXT); INSERT INTO notes VALUES "
                                  "('mine')",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(db);
        } else {
            WriteFile(HivePath(), content);
        }
        const QByteArray before = Digest(HivePath());
        const qint64 size = QFileInfo(HivePath()).size();
        QVERIFY(!before.isEmpty());

        for (int round = 0; round < 2; ++round) { // reading, then writing
            TRegistry reg;
            try {
                if (round == 0)
                    reg.OpenKey(Key, false);
                else
                    reg.OpenKey(Key, true);
                QFAIL("a bad hive was accepted");
            } catch (const ERegistryException& e) {
                QVERIFY2(e.Message().contains(HivePath()), qPrintable(e.Message()));
                QVERIFY2(e.Message().contains("untouched"), qPrintable(e.Message()));
            }
        }
        QCOMPARE(QFileInfo(HivePath()).size(), size);
        QCOMPARE(Digest(HivePath()), before);
        QCOMPARE(QDir(QFileInfo(HivePath()).path()).entryList(QDir::Files),
                 QStringList{"current-user.db"});
    }

    void twoProcessesWritingAtOnceLoseNothing() {
        const int count = 150;
        QProcess a, b;
        for (auto [p, prefix] : {std::pair{&a, "A"}, std::pair{&b, "B"}}) {
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start(QCoreApplication::applicationFilePath(),
                     {"--child-write-values", prefix, QString::number(count)});
            QVERIFY(p->waitForStarted());
        }
        a.write("go\n");
        b.write("go\n");
        for (QProcess* p : {&a, &b}) {
            QVERIFY(p->waitForFinished(120000));
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);
        }
        TRegistry reg;
        QVERIFY(reg.OpenKey(Key, false));
        TStringList names;
        reg.GetValueNames(&names);
        QCOMPARE(names.Count(), 2 * count);
        for (const char* prefix : {"A", "B"})
            for (int i = 0; i < count; ++i)
                QCOMPARE(reg.ReadString(QStringLiteral("%1 %2").arg(prefix).arg(i)),
                         prefix + QString::number(i));
    }

    void aWriterKilledMidWriteLeavesOldOrNewValue() {
        // Each round lets the writer commit a different number of values before the kill.
        for (int round = 1; round <= 6; ++round) {
            QProcess writer;
            writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            writer.start(QCoreApplication::applicationFilePath(), {"--child-write-forever"});
            QVERIFY(writer.waitForStarted());
            qint64 seen = 0;
            while (seen < round * 3) {
                if (!writer.canReadLine())
                    QVERIFY2(writer.waitForReadyRead(60000), "the writer reported nothing");
                while (writer.canReadLine())
                    seen = writer.readLine().trimmed().toLongLong();
            }
            ::kill(pid_t(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished(30000));
            QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

            TRegistry reg;
            QVERIFY(reg.OpenKey(Key, false));
            const QString value = reg.ReadString("Generation");
            const qint64 n = value.section(QLatin1Char(':'), 0, 0).toLongLong();
            QVERIFY2(n >= seen, qPrintable(QStringLiteral("round %1: generation %2 after %3 "
                                                          "were committed")
                                               .arg(round)
                                               .arg(n)
                                               .arg(seen)));
            QVERIFY2(value == Generation(n), "the value is not a whole generation");
        }
    }
};

int main(int argc, char** argv) {
    try {
        if (argc == 4 && qstrcmp(argv[1], "--child-write-values") == 0)
            return ChildWriteValues(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
        if (argc == 2 && qstrcmp(argv[1], "--child-write-forever") == 0)
            return ChildWriteForever();
    } catch (const Exception& e) {
        std::fprintf(stderr, "writer: %s\n", e.what());
        return 4;
    }
    QCoreApplication app(argc, argv);
    tst_Registry test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_registry.moc"
