// The server field's button: the server list behind it fills the field and moves the user on;
// and, over the real Samba network when it runs, the whole typical run from the first call to
// the second run that needs no form.

#include "DescribedNetwork.h"
#include "FormDriver.h"

#include <connection/SQLConnect.h>
#include <connection/connect.h>
#include <serverlist/ListSerFm.h>
#include <vcl/Registry.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace vcl;
using namespace formdriver;

namespace {

void PressServerButton(TConnectForm* f) {
    QPushButton* button = f->ServerName->Button();
    Click(button, button->rect().center());
}

bool Smb() {
    return !qEnvironmentVariableIsEmpty("SAMBA_NETWORK_STATE");
}

} // namespace

class tst_ServerBrowse : public QObject {
    Q_OBJECT

    DescribedNetwork FNetwork;
    void UseNetwork(const QString& Text) { FNetwork.Use(Text); }

private Q_SLOTS:
    void init() {
        qputenv("XDG_CONFIG_HOME", FNetwork.Path(QStringLiteral("config")).toUtf8());
        UseNetwork(QStringLiteral("domain ALPHA\n  server \\\\ALPHA1\n  server \\\\ALPHA2\n"));
    }

    void pickInTheList_data() {
        QTest::addColumn<QString>("select"); // node clicked in the list
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("focus");
        QTest::newRow("a server, OK") << "ALPHA2" << true << "ALPHA2"
                                      << "UserName";
        QTest::newRow("a domain with servers, OK") << "ALPHA" << true << ""
                                                   << "UserName";
        QTest::newRow("a server, Cancel") << "ALPHA2" << false << "typed"
                                          << "ServerName";
    }

    void pickInTheList() {
        QFETCH(QString, select);
        QFETCH(bool, ok);
        QFETCH(QString, field);
        QFETCH(QString, focus);
        TConnectForm form(Application);
        QString seenField, seenFocus;
        QString dialogServer;
        Pending login([&] { return &form; },
                      [&](TForm*) {
                          Type(form.ServerName, QStringLiteral("typed"));
                          Pending list(
                              [] { return ListServerForm; },
                              [&](TForm*) {
                                  TListServerForm* f = ListServerForm;
                                  QCOMPARE(f->Caption(), QStringLiteral("Server List"));
                                  Click(TreeViewport(f->Tree),
                                        f->Tree->NodeRect(FindNode(f->Tree, select)).center());
                                  Press(f->Tree, ok ? Qt::Key_Return : Qt::Key_Escape);
                              });
                          PressServerButton(&form);
                          QVERIFY(list.Ran());
                          seenField = form.ServerName->Text();
                          TControl* focused = FindControl(QApplication::focusWidget());
                          seenFocus = focused ? focused->Name() : QString();
                          dialogServer = form.ListServerDialog1->ServerName();
                          Press(&form, Qt::Key_Escape);
                      });
        form.ShowModal();
        QVERIFY(login.Ran());
        QCOMPARE(seenField, field);
        QCOMPARE(seenFocus, focus);
        // Cancel leaves the field alone although the dialog holds the last selection.
        QCOMPARE(dialogServer, select == QLatin1String("ALPHA") ? QString() : select);
    }

    void eachPressWalksTheNetworkAgain() {
        TConnectForm form(Application);
        QStringList firstNodes;
        Pending login([&] { return &form; },
                      [&](TForm*) {
                          for (const char* net :
                               {"domain ONE\n  server \\\\A\n", "domain TWO\n  server \\\\B\n"}) {
                              UseNetwork(QLatin1String(net));
                              Pending list(
                                  [] { return ListServerForm; },
                                  [&](TForm*) {
                                      firstNodes
                                          << ListServerForm->Tree->Items->GetFirstNode()->Text();
                                      Press(ListServerForm->Tree, Qt::Key_Escape);
                                  });
                              PressServerButton(&form);
                              QVERIFY(list.Ran());
                          }
                          Press(&form, Qt::Key_Escape);
                      });
        form.ShowModal();
        QCOMPARE(firstNodes, (QStringList{"ONE", "TWO"}));
    }
};

class tst_TypicalRunSmb : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typicalRun() {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        qputenv("WINNET_PROVIDERS", "smb");
        qunsetenv("WINNET_DESCRIBED_NETWORK");
        const QString key = QStringLiteral("Software\\Corvane\\TypicalRun");

        TForm holder(Application);
        auto* db = new TDatabase(&holder);
        db->SetDriverName(QStringLiteral("MSSQL"));
        auto* connect = new TSQLConnect(&holder);
        connect->SetDatabase(db);
        connect->SetCheckOnExec(true);
        connect->SetRootKey(key);

        QString chosen, inField, focus, listCaption;
        QStringList domains;
        Pending login(
            [] { return ConnectForm; },
            [&](TForm*) {
                TConnectForm* f = ConnectForm;
                QCOMPARE(f->ActiveControl(), static_cast<TWinControl*>(f->ServerName)); // step 2
                Pending list([] { return ListServerForm; },
                             [&](TForm*) {
                                 TListServerForm* l = ListServerForm;
                                 listCaption = l->Caption(); // step 3
                                 for (TTreeNode* d = l->Tree->Items->GetFirstNode(); d;
                                      d = d->GetNextSibling())
                                     domains << d->Text(); // step 4
                                 TTreeNode* server =
                                     l->Tree->Items->GetFirstNode()->GetFirstChild();
                                 QVERIFY(server);
                                 chosen = server->Text();
                                 DoubleClick(TreeViewport(l->Tree),
                                             l->Tree->NodeRect(server).center()); // step 5
                             });
                PressServerButton(f);
                QVERIFY(list.Ran());
                inField = f->ServerName->Text(); // step 6
                TControl* focused = FindControl(QApplication::focusWidget());
                focus = focused ? focused->Name() : QString();
                Type(f->UserName, QStringLiteral("sa")); // step 7
                Press(f->UserName, Qt::Key_Tab);
                Type(f->Password, QStringLiteral("pw"));
                Press(f->Password, Qt::Key_Return);
            });
        QVERIFY(connect->SetDBParams()); // step 8
        QVERIFY(login.Ran());
        QCOMPARE(listCaption, QStringLiteral("Server List"));
        domains.sort();
        QCOMPARE(domains, (QStringList{"ALPHA", "BETA"}));
        QVERIFY(!chosen.isEmpty() && !chosen.startsWith(QLatin1Char('\\')));
        QCOMPARE(inField, chosen);
        QCOMPARE(focus, QStringLiteral("UserName"));
        QCOMPARE(db->Params()->ToStringList(), (QStringList{"SERVER NAME=" + chosen, "USER NAME=sa",
                                                            "PASSWORD=pw", "LANGDRIVER=DBWINWE0"}));
        {
            TRegistry reg;
            QVERIFY(reg.OpenKey(key, false));
            QCOMPARE(reg.ReadString(QStringLiteral("SERVER NAME")), chosen);
        }
        QCOMPARE(connect->ServerName(), chosen);

        // Step 9: the next run applies the stored values without any form.
        db->Params()->Clear();
        TSQLConnect next(&holder);
        next.SetDatabase(db);
        next.SetCheckOnExec(true);
        next.SetRootKey(key);
        Pending noForm([] { return ConnectForm; }, [](TForm* f) { f->SetModalResult(mrCancel); });
        QVERIFY(next.SetDBParams());
        QVERIFY(!noForm.Ran());
        QCOMPARE(db->Params()->GetValue(QStringLiteral("SERVER NAME")), chosen);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (Smb()) {
        tst_TypicalRunSmb run;
        return QTest::qExec(&run, argc, argv);
    }
    tst_ServerBrowse browse;
    return QTest::qExec(&browse, argc, argv);
}

#include "tst_serverbrowse.moc"
