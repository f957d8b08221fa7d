// TDatabase with DriverName MSSQL: the real FreeTDS ODBC driver through Qt SQL, against local
// stand-ins for a server.

#include "FakeTdsServer.h"

#include <db/DBTables.h>

#include <QElapsedTimer>
#include <QTest>

using namespace vcl;

namespace {

void SetLogin(TDatabase& Db, const QString& Server, const QString& User, const QString& Password,
              const QString& Database, const QString& Timeout) {
    Db.SetDriverName(QStringLiteral("MSSQL"));
    TStrings& p = *Db.Params();
    p.Values["SERVER NAME"] = Server;
    p.Values["USER NAME"] = User;
    p.Values["PASSWORD"] = Password;
    p.Values["DATABASE NAME"] = Database;
    p.Values["LANGDRIVER"] = QStringLiteral("DBWINWE0");
    p.Values["CONNECT TIMEOUT"] = Timeout;
}

// Opens Db and returns the error's message; fails the test when Open succeeds.
QString OpenFailure(TDatabase& Db) {
    try {
        Db.Open();
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

class tst_DatabaseMssql : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aClosedPortFailsAtOnce() {
        const quint16 port = TFakeTdsServer::ClosedPort();
        QVERIFY(port);
        TDatabase db(nullptr);
        db.SetDatabaseName(QStringLiteral("Accounts"));
        SetLogin(db, QStringLiteral("127.0.0.1,%1").arg(port), "sa", "Pa55;word", "master", "60");
        QElapsedTimer clock;
        clock.start();
        const QString message = OpenFailure(db);
        // Refused at once, not after the 60 s login timeout.
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!message.isEmpty());
        QVERIFY(!db.Connected());
        QVERIFY2(message.contains("Accounts") && message.contains("MSSQL") &&
                     message.contains(QStringLiteral("127.0.0.1,%1").arg(port)),
                 qPrintable(message));
        QVERIFY2(message.contains("[FreeTDS]") && message.contains("Unable to connect"),
                 qPrintable(message));
        QVERIFY(!message.contains("Pa55"));
    }

    void aServerThatNeverAnswersFailsWithinTheLoginTimeout() {
        TFakeTdsServer silent; // listens, never answers
        QVERIFY(silent.Port());
        TDatabase db(nullptr);
        SetLogin(db, QStringLiteral("127.0.0.1,%1").arg(silent.Port()), "sa", "secret", "", "2");
        QElapsedTimer clock;
        clock.start();
        const QString message = OpenFailure(db);
        // Bounded by the 2 s login timeout; without one the driver would wait forever.
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(message.contains("Timeout expired"), qPrintable(message));
        QVERIFY(!message.contains("secret"));
    }

    // What the driver puts into its login is exactly what the parameters say, hostile
    // characters included; nothing in a value reaches the driver as an attribute.
    void theDriverReceivesTheValuesUnchanged_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("database");
        QTest::newRow("plain") << "sa"
                               << "secret"
                               << "master";
        QTest::newRow("; and =") << "sa"
                                 << "a;Port=1;UID=evil"
                                 << "db;Server=10.0.0.1";
        QTest::newRow("braces") << "sa"
                                << "p}w{x}"
                                << "accounts";
        QTest::newRow("closing brace last") << "sa"
                                            << "}"
                                            << "accounts";
        QTest::newRow("spaces and quotes") << "d\u00e9j\u00e0 vu"
                                           << " 'q\"uote' "
                                           << "caf\u00e9";
        QTest::newRow("driver manager keywords") << "sa"
                                                 << "Driver={/nonexistent.so;DSN=x"
                                                 << "SAVEFILE=/tmp/x";
    }
    void theDriverReceivesTheValuesUnchanged() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, database);
        TFakeTdsServer server;
        QVERIFY(server.Port());
        server.Serve();
        TDatabase db(nullptr);
        SetLogin(db, QStringLiteral("127.0.0.1,%1").arg(server.Port()), user, password, database,
                 "10");
        const QString message = OpenFailure(db);
        QVERIFY(!message.isEmpty()); // the stand-in hangs up after the login
        QVERIFY2(!message.contains(password), qPrintable(message));
        const std::optional<TFakeTdsServer::Login> login = server.TakeLogin();
        QVERIFY2(login, "no login reached the server");
        QCOMPARE(login->UserName, user);
        QCOMPARE(login->Password, password);
        QCOMPARE(login->Database, database);
        QCOMPARE(login->ServerName, QStringLiteral("127.0.0.1"));
    }

    // Values that one of the two connection-string readers would split are refused before
    // anything is sent, with the parameter named and the value not shown.
    void valuesThatWouldChangeTheConnectionAreRefused_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("parameter");
        QTest::newRow("brace in the user name") << "x}DRIVER={/evil.so"
                                                << "pw"
                                                << "USER NAME";
        QTest::newRow("password: brace before =") << "sa"
                                                  << "x}DRIVER={/nonexistent/evil.so"
                                                  << "PASSWORD";
        QTest::newRow("password: brace and semicolon") << "sa"
                                                       << "a};Port=1"
                                                       << "PASSWORD";
        QTest::newRow("password: .dsn, which Qt reads as a file data source") << "sa"
                                                                              << "my.dsnSecret"
                                                                              << "PASSWORD";
    }
    void valuesThatWouldChangeTheConnectionAreRefused() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, parameter);
        TFakeTdsServer server;
        server.Serve();
        TDatabase db(nullptr);
        SetLogin(db, QStringLiteral("127.0.0.1,%1").arg(server.Port()), user, password, "", "10");
        const QString message = OpenFailure(db);
        QVERIFY2(message.contains(parameter) && message.contains("FreeTDS"), qPrintable(message));
        QVERIFY(!message.contains(password));
        QVERIFY(!db.Connected());
    }
};

QTEST_GUILESS_MAIN(tst_DatabaseMssql)

#include "tst_database_mssql.moc"
