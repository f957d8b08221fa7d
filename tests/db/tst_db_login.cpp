// The login read from a parameter list and the FreeTDS connection string built from it.

#include <db/DbLogin.h>

#include <QTest>

using namespace vcl;

namespace {

TLoginSettings Settings(const QString& Server, const QString& Password) {
    TStringList params;
    params.Values["SERVER NAME"] = Server;
    params.Values["USER NAME"] = QStringLiteral("sa");
    params.Values["PASSWORD"] = Password;
    params.Values["LANGDRIVER"] = QStringLiteral("DBWINWE0");
    return LoginSettingsFromParams(params);
}

const QString Driver = QStringLiteral("/usr/lib/odbc/libtdsodbc.so");

} // namespace

class tst_DbLogin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void serverNames_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("instance");
        QTest::newRow("host") << "ALPHA1"
                              << "ALPHA1" << 0 << "";
        QTest::newRow("host,port") << "alpha1,1433"
                                   << "alpha1" << 1433 << "";
        QTest::newRow("blanks") << " alpha1 , 1500 "
                                << "alpha1" << 1500 << "";
        QTest::newRow("address,port") << "10.0.0.5,49152"
                                      << "10.0.0.5" << 49152 << "";
        QTest::newRow("host\\instance") << "ALPHA1\\SQLEXPRESS"
                                        << "ALPHA1" << 0 << "SQLEXPRESS";
        QTest::newRow("dot is this machine") << ".\\SQLEXPRESS"
                                             << "localhost" << 0 << "SQLEXPRESS";
        QTest::newRow("dns name") << "db-1.example.org"
                                  << "db-1.example.org" << 0 << "";
    }
    void serverNames() {
        QFETCH(QString, text);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QString, instance);
        QCOMPARE(ParseServerName(text), (TServerAddress{host, port, instance}));
    }

    void badServerNames_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // part of the message
        for (const char* text : {"", "   "})
            QTest::newRow(text) << text << "SERVER NAME is empty";
        for (const char* text : {"a,", "a,0", "a,65536", "a,x1"})
            QTest::newRow(text) << text << "Invalid port";
        for (const char* text : {"a\\", "a\\b\\c", "a,1\\b", "a b", ",1433", "a;b", "a}b", "a=b"})
            QTest::newRow(text) << text << "expected host, host,port or host\\instance";
    }
    void badServerNames() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        try {
            ParseServerName(text);
            QFAIL("accepted");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.Message().contains(expected), qPrintable(e.Message()));
        }
    }

    void connectionStrings_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("expected");
        const QString head = "Driver={" + Driver + "};";
        const QString tail = "UID={sa};TDS_Version={7.4};ClientCharset={CP1252};";
        QTest::newRow("host") << "ALPHA1"
                              << "pw" << head + "Server={ALPHA1};" + tail + "PWD={pw};";
        QTest::newRow("host,port")
            << "ALPHA1,1500"
            << "pw" << head + "Server={ALPHA1};Port={1500};" + tail + "PWD={pw};";
        QTest::newRow("host\\instance")
            << "ALPHA1\\SQLEXPRESS"
            << "pw" << head + "Server={ALPHA1\\SQLEXPRESS};" + tail + "PWD={pw};";
        QTest::newRow("empty password") << "ALPHA1"
                                        << "" << head + "Server={ALPHA1};" + tail + "PWD={};";
        QTest::newRow("; and =") << "ALPHA1"
                                 << "a;PWD=b;Server=evil"
                                 << head + "Server={ALPHA1};" + tail + "PWD={a;PWD=b;Server=evil};";
        QTest::newRow("braces without =")
            << "ALPHA1"
            << "{p}w}" << head + "Server={ALPHA1};" + tail + "PWD={{p}w}};";
        QTest::newRow("= before brace")
            << "ALPHA1"
            << "k=v}" << head + "Server={ALPHA1};" + tail + "PWD={k=v}};";
        QTest::newRow("non-ASCII")
            << "ALPHA1"
            << "\u00e9t\u00e9 \u20ac"
            << head + "Server={ALPHA1};" + tail + "PWD={\u00e9t\u00e9 \u20ac};";
    }
    void connectionStrings() {
        QFETCH(QString, server);
        QFETCH(QString, password);
        QFETCH(QString, expected);
        QCOMPARE(FreeTdsConnectionString(Settings(server, password), Driver), expected);
    }

    void databaseAndOptionsAppearWhenGiven() {
        TStringList params;
        params.SetText("SERVER NAME=db1\nDATABASE NAME=Sales; 2024\nUSER NAME=u\nPASSWORD=p\n"
                       "TDS VERSION=7.1\nCONNECT TIMEOUT=5\n");
        const TLoginSettings s = LoginSettingsFromParams(params);
        QCOMPARE(s.ConnectTimeout, 5);
        QCOMPARE(FreeTdsConnectionString(s, "FreeTDS"),
                 QStringLiteral("Driver={FreeTDS};Server={db1};Database={Sales; 2024};UID={u};"
                                "TDS_Version={7.1};PWD={p};"));
    }

    void defaults() {
        TStringList params;
        params.Values["SERVER NAME"] = QStringLiteral("db1");
        const TLoginSettings s = LoginSettingsFromParams(params);
        QCOMPARE(s.ConnectTimeout, DefaultConnectTimeout);
        QCOMPARE(s.TdsVersion, QStringLiteral("7.4"));
        QCOMPARE(s.ClientCharset, QString());
    }

    void unusableValuesAreRefusedWithoutShowingThem_data() {
        QTest::addColumn<QString>("param");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("brace before =") << "PASSWORD"
                                        << "x}DRIVER={/evil.so"
                                        << "PASSWORD contains \"}\" before \"=\"";
        QTest::newRow("brace then ;") << "PASSWORD"
                                      << "x};Port=1"
                                      << "PASSWORD contains \"}\" followed by \";\"";
        QTest::newRow("NUL") << "PASSWORD" << QString::fromUtf16(u"a\0b", 3)
                             << "PASSWORD contains a NUL";
        QTest::newRow("brace in user") << "USER NAME"
                                       << "u}"
                                       << "USER NAME contains \"}\"";
        QTest::newRow("brace in database") << "DATABASE NAME"
                                           << "{db}"
                                           << "DATABASE NAME contains \"}\"";
        QTest::newRow("timeout") << "CONNECT TIMEOUT"
                                 << "0"
                                 << "expected seconds";
        QTest::newRow("timeout text") << "CONNECT TIMEOUT"
                                      << "soon"
                                      << "expected seconds";
        QTest::newRow("tds version") << "TDS VERSION"
                                     << "7.4};x"
                                     << "expected a protocol";
        QTest::newRow(".dsn in the password") << "PASSWORD"
                                              << "my.DSNsecret"
                                              << "PASSWORD contains \".dsn\"";
        QTest::newRow(".dsn in the database") << "DATABASE NAME"
                                              << "acct.dsn"
                                              << "DATABASE NAME contains \".dsn\"";
        QTest::newRow("NUL in the user name")
            << "USER NAME" << QString::fromUtf16(u"s\0a", 3) << "USER NAME contains a NUL";
        QTest::newRow("language driver") << "LANGDRIVER"
                                         << "DBCYRIL0"
                                         << "expected DBWINWE0 or DBWINUS0";
    }
    void unusableValuesAreRefusedWithoutShowingThem() {
        QFETCH(QString, param);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        TStringList params;
        params.Values["SERVER NAME"] = QStringLiteral("db1");
        params.Values[param] = value;
        try {
            FreeTdsConnectionString(LoginSettingsFromParams(params), Driver);
            QFAIL("accepted");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.Message().contains(expected), qPrintable(e.Message()));
            if (param == QLatin1String("PASSWORD"))
                QVERIFY(!e.Message().contains(value));
        }
    }

    void languageDrivers() {
        QCOMPARE(CharsetOfLanguageDriver("DBWINWE0"), QStringLiteral("CP1252"));
        QCOMPARE(CharsetOfLanguageDriver("dbwinus0"), QStringLiteral("CP1252"));
        QCOMPARE(CharsetOfLanguageDriver(""), QString());
    }

    // A driver's text that quotes the password is withheld whole: masking the password where
    // it stands ("SQL ********" for "Server") would tell it from the text around it.
    void driverReasonsNeverQuoteThePassword() {
        const QString withheld =
            QStringLiteral("(the driver's reason is withheld: it quotes the password)");
        QCOMPARE(DriverReason("login as sa with s3cr;t failed", "s3cr;t"), withheld);
        QCOMPARE(DriverReason("[FreeTDS][SQL Server]Unable to connect", "Server"), withheld);
        QCOMPARE(DriverReason("Unable to connect", "s3cr;t"), QStringLiteral("Unable to connect"));
        QCOMPARE(DriverReason("nothing to hide", ""), QStringLiteral("nothing to hide"));
    }

    void theInstalledDriverIsFound() {
        const QString driver = FreeTdsDriver();
        QVERIFY2(driver.endsWith("libtdsodbc.so") || driver.endsWith("libtdsodbc.so.0") ||
                     driver == "FreeTDS",
                 qPrintable(driver));
    }
};

QTEST_GUILESS_MAIN(tst_DbLogin)

#include "tst_db_login.moc"
