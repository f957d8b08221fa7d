// The typical run against the real PostgreSQL server of the database tests: the login form,
// OK, the parameters applied and stored, the connection opened; the next run opens without a
// form; a cancelled login leaves an open connection open.

#include "FormDriver.h"

#include <connection/SQLConnect.h>
#include <connection/connect.h>
#include <vcl/Registry.h>

#include "PostgresServer.h"

#include <QTemporaryDir>
#include <QTest>

using namespace vcl;
using namespace formdriver;

class tst_TypicalRunPg : public QObject {
    Q_OBJECT

    std::optional<TPostgresServer> FServer;
    QTemporaryDir FConfig;

private Q_SLOTS:
    void initTestCase() {
        QString why;
        FServer = TPostgresServer::Running(&why);
        if (!FServer) {
            std::fprintf(stderr, "SKIP: %s\n", qPrintable(why));
            std::exit(77);
        }
        qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
    }

    void loginStoreOpenThenOpenWithoutAForm() {
        const QString key = QStringLiteral("Software\\Corvane\\Pg");
        TForm holder(Application);
        auto* db = new TDatabase(&holder);
        db->SetDatabaseName(QStringLiteral("Orders"));
        db->SetDriverName(QStringLiteral("PGSQL"));
        db->Params()->Values[QStringLiteral("DATABASE NAME")] = FServer->Database;
        auto* connect = new TSQLConnect(&holder);
        connect->SetDatabase(db);
        connect->SetCheckOnExec(true);
        connect->SetRootKey(key);

        Pending login([] { return ConnectForm; },
                      [&](TForm*) {
                          TConnectForm* f = ConnectForm;
                          Type(f->ServerName, FServer->ServerName());
                          Press(f->ServerName, Qt::Key_Tab);
                          Type(f->UserName, FServer->User);
                          Press(f->UserName, Qt::Key_Tab);
                          Type(f->Password, FServer->Password);
                          Press(f->Password, Qt::Key_Return);
                      });
        QVERIFY(connect->SetDBParams());
        QVERIFY(login.Ran());
        QCOMPARE(db->Params()->GetValue(QStringLiteral("SERVER NAME")), FServer->ServerName());
        db->Open();
        QVERIFY(db->Connected());
        {
            TRegistry reg;
            QVERIFY(reg.OpenKey(key, false));
            QCOMPARE(reg.ReadString(QStringLiteral("USER NAME")), FServer->User);
            QCOMPARE(reg.ReadString(QStringLiteral("LANGDRIVER")), QStringLiteral("DBWINWE0"));
        }

        // A cancelled login on an open connection: False, and the connection stays open.
        connect->SetCheckOnExec(false);
        Pending cancel([] { return ConnectForm; }, [](TForm* f) { Press(f, Qt::Key_Escape); });
        QVERIFY(!connect->SetDBParams());
        QVERIFY(cancel.Ran());
        QVERIFY(db->Connected());

        // The next run: stored values, no form; the connection is closed, then opened again.
        TSQLConnect next(&holder);
        next.SetDatabase(db);
        next.SetCheckOnExec(true);
        next.SetRootKey(key);
        Pending noForm([] { return ConnectForm; }, [](TForm* f) { f->SetModalResult(mrCancel); });
        QVERIFY(next.SetDBParams());
        QVERIFY(!noForm.Ran());
        QVERIFY(!db->Connected());
        db->Open();
        QVERIFY(db->Connected());
        db->Close();
    }
};

QTEST_MAIN(tst_TypicalRunPg)
#include "tst_typicalrun_pg.moc"
