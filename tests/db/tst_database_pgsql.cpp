// TDatabase with DriverName PGSQL against the real PostgreSQL server of the test fixture.

#include "postgres/PostgresServer.h"

#include <db/DBTables.h>
#include <vcl/FormText.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <cstdio>

using namespace vcl;

namespace {

TPostgresServer Server;

void SetLogin(TDatabase& Db, const QString& User, const QString& Password) {
    Db.SetDriverName(QStringLiteral("PGSQL"));
    TStrings& p = *Db.Params();
    p.Values["SERVER NAME"] = Server.ServerName();
    p.Values["DATABASE NAME"] = Server.Database;
    p.Values["USER NAME"] = User;
    p.Values["PASSWORD"] = Password;
    p.Values["LANGDRIVER"] = QStringLiteral("DBWINWE0");
    p.Values["CONNECT TIMEOUT"] = QStringLiteral("10");
}

QString SqlLiteral(QString S) {
    return QLatin1Char('\'') + S.replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

} // namespace

class THolder : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit THolder(vcl::TComponent* AOwner) : TComponent(AOwner) {}
};

class tst_DatabasePgsql : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { RegisterClass<THolder>(); }

    void theRightPasswordConnectsAndRunsAQuery() {
        TDatabase db(nullptr);
        SetLogin(db, Server.User, Server.Password);
        db.Open();
        QVERIFY(db.Connected());
        QSqlQuery q(db.Connection());
        QVERIFY2(q.exec(QStringLiteral("SELECT 6 * 7, current_user")),
                 qPrintable(q.lastError().text()));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 42);
        QCOMPARE(q.value(1).toString(), Server.User);
        q = QSqlQuery();

        db.Open(); // already open: nothing happens
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, db.SetDriverName(QStringLiteral("MSSQL")));
        db.Close();
        QVERIFY(!db.Connected());
        db.Close();
        db.SetConnected(true);
        QVERIFY(db.Connected());
    }

    void aWrongPasswordGivesTheDriversMessageWithoutThePassword() {
        const QString wrong = QStringLiteral("Wr0ng-%1").arg(Server.Password.left(6));
        TDatabase db(nullptr);
        db.SetDatabaseName(QStringLiteral("Accounts"));
        SetLogin(db, Server.User, wrong);
        try {
            db.Open();
            QFAIL("opened with a wrong password");
        } catch (const EDatabaseError& e) {
            const QString m = e.Message();
            QVERIFY2(m.startsWith(QStringLiteral("Cannot connect database 'Accounts' to the PGSQL "
                                                 "server %1")
                                      .arg(Server.ServerName())),
                     qPrintable(m));
            QVERIFY2(m.contains("password authentication failed"), qPrintable(m));
            QVERIFY(!m.contains(wrong));
            QVERIFY(!m.contains(Server.Password));
        }
        QVERIFY(!db.Connected());
    }

    // Every character of a password reaches the server as it is.
    void passwordsWithAnyCharacterLogIn_data() {
        QTest::addColumn<QString>("password");
        QTest::newRow("blank") << "two words";
        QTest::newRow("quotes") << "it's \"quoted\"";
        QTest::newRow("backslashes") << "back\\slash\\";
        QTest::newRow("connection keywords") << "x host=10.0.0.1 port=1 dbname=evil";
        QTest::newRow("; = { }") << "a;b=c{d}e};";
        QTest::newRow("non-ASCII") << "d\u00e9j\u00e0 \u20ac \u4e2d";
        QTest::newRow("leading and trailing blanks") << "  padded  ";
    }
    void passwordsWithAnyCharacterLogIn() {
        QFETCH(QString, password);
        static int serial = 0;
        const QString role = QStringLiteral("tst_role_%1").arg(++serial);
        TDatabase admin(nullptr);
        SetLogin(admin, Server.User, Server.Password);
        admin.Open();
        QSqlQuery q(admin.Connection());
        QVERIFY(q.exec("DROP ROLE IF EXISTS " + role));
        QVERIFY2(q.exec("CREATE ROLE " + role + " LOGIN PASSWORD " + SqlLiteral(password)),
                 qPrintable(q.lastError().text()));

        TDatabase db(nullptr);
        SetLogin(db, role, password);
        try {
            db.Open();
        } catch (const EDatabaseError& e) {
            QFAIL(qPrintable(e.Message()));
        }
        QSqlQuery who(db.Connection());
        QVERIFY(who.exec("SELECT current_user") && who.next());
        QCOMPARE(who.value(0).toString(), role);
        who = QSqlQuery();
        db.Close();
        QVERIFY(q.exec("DROP ROLE " + role));
    }

    void aDescriptionWithConnectedTrueOpensOnceRead() {
        const QString text =
            QStringLiteral("object Holder: THolder\n"
                           "  object Database1: TDatabase\n"
                           "    DatabaseName = 'Main'\n"
                           "    DriverName = 'PGSQL'\n"
                           "    Params.Strings = (\n"
                           "      'SERVER NAME=%1'\n"
                           "      'DATABASE NAME=%2'\n"
                           "      'USER NAME=%3'\n"
                           "      'PASSWORD=%4')\n"
                           "    Connected = True\n"
                           "    Left = 0\n"
                           "    Top = 0\n"
                           "  end\n"
                           "end\n")
                .arg(Server.ServerName(), Server.Database, Server.User, Server.Password);
        TComponent owner(nullptr);
        TComponent* root = ReadComponentText(text, QStringLiteral("holder"), nullptr, &owner);
        auto* db = qobject_cast<TDatabase*>(root->FindComponent(QStringLiteral("Database1")));
        QVERIFY(db);
        QVERIFY(db->Connected());
        QCOMPARE(WriteComponentText(root), text);
    }
};

int main(int argc, char** argv) {
    QString why;
    const std::optional<TPostgresServer> server = TPostgresServer::Running(&why);
    if (!server) {
        std::printf("SKIP: %s\n", qPrintable(why));
        return 77;
    }
    Server = *server;
    QCoreApplication app(argc, argv);
    tst_DatabasePgsql test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_database_pgsql.moc"
