// TSQLConnect and the login form: the stored path, the prompt path with keys as a person types
// them, the form's behaviour, the mended faults, and what the components stream.

#include "FormDriver.h"

#include <connection/SQLConnect.h>
#include <connection/connect.h>
#include <vcl/FormText.h>
#include <vcl/Registry.h>
#include <vcl/Resources.h>
#include <vcl/Windows.h>

#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

using namespace vcl;
using namespace formdriver;

namespace {

const QString Key = QStringLiteral("Software\\Corvane\\Tests");
using Values = QMap<QString, QString>;

void WriteKey(const QString& Path, const Values& V) {
    TRegistry reg;
    QVERIFY(reg.OpenKey(Path, true));
    for (auto it = V.begin(); it != V.end(); ++it)
        reg.WriteString(it.key(), it.value());
}

Values ReadKey(const QString& Path) {
    Values v;
    TRegistry reg;
    if (!reg.OpenKey(Path, false))
        return v;
    TStringList names;
    reg.GetValueNames(&names);
    for (int i = 0; i < names.Count(); ++i)
        v[names[i]] = reg.ReadString(names[i]);
    return v;
}

bool KeyExists(const QString& Path) {
    TRegistry reg;
    return reg.KeyExists(Path);
}

// What the user does in the login form.
struct Entry {
    QString server, user, password;
    Qt::Key close = Qt::Key_Return; // Return: OK; Escape: Cancel
};

void TypeInto(TConnectForm* f, const Entry& e) {
    Type(f->ServerName, e.server);
    Press(f->ServerName, Qt::Key_Tab);
    Type(f->UserName, e.user);
    Press(f->UserName, Qt::Key_Tab);
    Type(f->Password, e.password);
}

} // namespace

class tst_SQLConnect : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FConfig;
    std::unique_ptr<TForm> FHolder;
    TDatabase* FDatabase = nullptr;
    TSQLConnect* FConnect = nullptr;

    // Plays Entry in the login form when SetDBParams shows it; counts the showings.
    bool Run(const Entry& e, int* shown = nullptr) {
        int showings = 0;
        Pending steps([] { return ConnectForm; },
                      [&](TForm*) {
                          ++showings;
                          TConnectForm* f = ConnectForm;
                          QCOMPARE(f->ServerName->Text(), QString());
                          QCOMPARE(f->UserName->Text(), QString());
                          QCOMPARE(f->Password->Text(), QString());
                          QCOMPARE(f->ActiveControl(), static_cast<TWinControl*>(f->ServerName));
                          TypeInto(f, e);
                          Press(f->Password, e.close);
                      });
        const bool result = FConnect->SetDBParams();
        if (shown)
            *shown = showings;
        return result;
    }

private Q_SLOTS:
    void init() {
        FConfig = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", FConfig->path().toUtf8());
        FHolder = std::make_unique<TForm>(Application);
        FDatabase = new TDatabase(FHolder.get());
        FDatabase->SetName(QStringLiteral("Database1"));
        FDatabase->SetDriverName(QStringLiteral("MSSQL"));
        FConnect = new TSQLConnect(FHolder.get());
        FConnect->SetName(QStringLiteral("SQLConnect1"));
        FConnect->SetDatabase(FDatabase);
        FConnect->SetRootKey(Key);
        FConnect->SetCheckOnExec(true);
    }
    void cleanup() {
        FHolder.reset();
        QCOMPARE(ConnectForm, nullptr);
    }

    void storedPath_data() {
        QTest::addColumn<Values>("stored");
        QTest::addColumn<QStringList>("params");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("user");
        QTest::newRow("complete key, its own language driver")
            << Values{{"SERVER NAME", "ALPHA1"},
                      {"USER NAME", "sa"},
                      {"PASSWORD", "p;w}d="},
                      {"LANGDRIVER", "OTHER"}}
            << QStringList{"OLD=kept", "USER NAME=sa", "PASSWORD=p;w}d=", "LANGDRIVER=OTHER",
                           "SERVER NAME=ALPHA1"}
            << "ALPHA1"
            << "sa";
        QTest::newRow("only SERVER NAME: the other lines go")
            << Values{{"SERVER NAME", "BETA1"}} << QStringList{"OLD=kept", "SERVER NAME=BETA1"}
            << "BETA1"
            << "";
    }

    void storedPath() {
        QFETCH(Values, stored);
        QFETCH(QStringList, params);
        QFETCH(QString, server);
        QFETCH(QString, user);
        WriteKey(Key, stored);
        FDatabase->Params()->SetStringList(
            {"OLD=kept", "USER NAME=before", "PASSWORD=before", "LANGDRIVER=before"});
        FConnect->SetUserName(QStringLiteral("stale"));
        int shown = -1;
        QVERIFY(Run(Entry{}, &shown));
        QCOMPARE(shown, 0);
        QCOMPARE(FDatabase->Params()->ToStringList(), params);
        QCOMPARE(FConnect->ServerName(), server);
        QCOMPARE(FConnect->UserName(), user);
        QCOMPARE(ReadKey(Key), stored); // read, never written
    }

    void promptPathStoresWhatWasTyped_data() {
        QTest::addColumn<bool>("keyBefore");
        QTest::addColumn<bool>("checkOnExec");
        QTest::newRow("no key") << false << true;
        QTest::newRow("CheckOnExec False over a complete key") << true << false;
    }

    void promptPathStoresWhatWasTyped() {
        QFETCH(bool, keyBefore);
        QFETCH(bool, checkOnExec);
        if (keyBefore)
            WriteKey(Key, {{"SERVER NAME", "OLD"},
                           {"USER NAME", "old"},
                           {"PASSWORD", "old"},
                           {"LANGDRIVER", "OLD"}});
        FConnect->SetCheckOnExec(checkOnExec);
        int shown = 0;
        QVERIFY(Run({"ALPHA1", "sa", "s3cr;et"}, &shown));
        QCOMPARE(shown, 1);
        const QStringList params{"SERVER NAME=ALPHA1", "USER NAME=sa", "PASSWORD=s3cr;et",
                                 "LANGDRIVER=DBWINWE0"};
        QCOMPARE(FDatabase->Params()->ToStringList(), params);
        QCOMPARE(ReadKey(Key), (Values{{"SERVER NAME", "ALPHA1"},
                                       {"USER NAME", "sa"},
                                       {"PASSWORD", "s3cr;et"},
                                       {"LANGDRIVER", "DBWINWE0"}}));
        QCOMPARE(FConnect->ServerName(), QStringLiteral("ALPHA1"));
        QCOMPARE(FConnect->UserName(), QStringLiteral("sa"));

        // The next call uses the key without a form (when it may).
        FDatabase->Params()->Clear();
        FConnect->SetCheckOnExec(true);
        QVERIFY(Run(Entry{}, &shown));
        QCOMPARE(shown, 0);
        QCOMPARE(FDatabase->Params()->ToStringList(), params);
    }

    void emptyEntriesAreStoredUnchanged() {
        QVERIFY(Run({"", "", ""}));
        QCOMPARE(FDatabase->Params()->ToStringList(), QStringList{"LANGDRIVER=DBWINWE0"});
        QCOMPARE(ReadKey(Key), (Values{{"SERVER NAME", ""},
                                       {"USER NAME", ""},
                                       {"PASSWORD", ""},
                                       {"LANGDRIVER", "DBWINWE0"}}));
    }

    void cancelChangesNothing_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Escape") << 0;
        QTest::newRow("Cancel button") << 1;
        QTest::newRow("closed from the frame") << 2;
    }

    void cancelChangesNothing() {
        QFETCH(int, how);
        const QStringList before{"SERVER NAME=keep", "PASSWORD=keep"};
        FDatabase->Params()->SetStringList(before);
        FConnect->SetServerName(QStringLiteral("keep"));
        Pending steps([] { return ConnectForm; },
                      [&](TForm*) {
                          TConnectForm* f = ConnectForm;
                          TypeInto(f, {"typed", "typed", "typed"});
                          if (how == 0)
                              Press(f->Password, Qt::Key_Escape);
                          else if (how == 1)
                              Click(f->CancelBtn->Widget());
                          else
                              f->Widget()->close();
                      });
        QVERIFY(!FConnect->SetDBParams());
        QVERIFY(steps.Ran());
        QCOMPARE(FDatabase->Params()->ToStringList(), before);
        QCOMPARE(FConnect->ServerName(), QStringLiteral("keep"));
        QVERIFY(!KeyExists(Key));
    }

    void everyShowingStartsEmpty() {
        // Stored values are never offered for editing; a cancelled entry does not come back.
        WriteKey(Key, {{"SERVER NAME", "STORED"}});
        FConnect->SetCheckOnExec(false);
        QVERIFY(!Run({"first", "x", "y", Qt::Key_Escape}));
        QVERIFY(Run({"second", "u", "p"})); // Run checks the fields are empty and focused
        QCOMPARE(FConnect->ServerName(), QStringLiteral("second"));
    }

    void passwordShowsOneStarPerCharacter() {
        QString shown;
        Pending steps([] { return ConnectForm; },
                      [&](TForm*) {
                          TConnectForm* f = ConnectForm;
                          Click(f->Password->Widget());
                          Type(f->Password, QStringLiteral("abc;1"));
                          shown = qobject_cast<QLineEdit*>(f->Password->Widget())->displayText();
                          QCOMPARE(f->Password->Text(), QStringLiteral("abc;1"));
                          Press(f->Password, Qt::Key_Escape);
                      });
        QVERIFY(!FConnect->SetDBParams());
        QCOMPARE(shown, QStringLiteral("*****"));
    }

    void tabOrderOfTheForm() {
        QStringList order;
        Pending steps([] { return ConnectForm; },
                      [&](TForm*) {
                          TConnectForm* f = ConnectForm;
                          for (int i = 0; i < 5; ++i) {
                              TControl* c = FindControl(QApplication::focusWidget());
                              order << (c ? c->Name() : QStringLiteral("?"));
                              Press(f, Qt::Key_Tab);
                          }
                          Press(f, Qt::Key_Escape);
                      });
        FConnect->SetDBParams();
        QCOMPARE(order, (QStringList{"ServerName", "UserName", "Password", "OKBtn", "CancelBtn"}));
    }

    void errorInsideTheFormFreesIt() {
        FDatabase->Params()->SetStringList({"SERVER NAME=keep"});
        QPointer<TConnectForm> seen;
        Pending steps([] { return ConnectForm; },
                      [&](TForm*) {
                          seen = ConnectForm;
                          ConnectForm->OKBtn->SetOnClick(TNotifyEvent(
                              [](TObject*) { throw EInvalidOperation(QStringLiteral("boom")); }));
                          Click(ConnectForm->OKBtn->Widget());
                      });
        try {
            FConnect->SetDBParams();
            QFAIL("the error did not reach the caller");
        } catch (const EInvalidOperation& e) {
            QCOMPARE(e.Message(), QStringLiteral("boom"));
        }
        QVERIFY(steps.Ran());
        QVERIFY(!seen); // freed
        QCOMPARE(ConnectForm, nullptr);
        QCOMPARE(FDatabase->Params()->ToStringList(), QStringList{"SERVER NAME=keep"});
    }

    void noDatabaseIsRefusedBeforeAnything() {
        FConnect->SetDatabase(nullptr);
        Pending steps([] { return ConnectForm; }, [](TForm* f) { f->SetModalResult(mrCancel); });
        try {
            FConnect->SetDBParams();
            QFAIL("accepted");
        } catch (const EComponentError& e) {
            QVERIFY2(e.Message().contains(QLatin1String("SQLConnect1: no Database is assigned")),
                     qPrintable(e.Message()));
        }
        QVERIFY(!steps.Ran());
        QVERIFY(!KeyExists(Key));
    }

    void destroyedDatabaseIsForgotten() {
        delete FDatabase;
        QCOMPARE(FConnect->Database(), nullptr);
        QVERIFY_THROWS_EXCEPTION(EComponentError, FConnect->SetDBParams());
    }

    void databaseDestroyedWhileTheFormIsOpen() {
        QPointer<TConnectForm> seen;
        Pending steps([] { return ConnectForm; },
                      [&](TForm*) {
                          seen = ConnectForm;
                          delete FDatabase;
                          Press(ConnectForm->Password, Qt::Key_Return);
                      });
        QVERIFY_THROWS_EXCEPTION(EComponentError, FConnect->SetDBParams());
        QVERIFY(steps.Ran());
        QVERIFY(!seen);
        QVERIFY(!KeyExists(Key));
    }

    void keyThatCannotBeCreated_data() {
        QTest::addColumn<QString>("rootKey");
        QTest::newRow("empty RootKey") << "";
        QTest::newRow("invalid path") << "Software\\\\Empty part";
    }

    void keyThatCannotBeCreated() {
        QFETCH(QString, rootKey);
        FConnect->SetRootKey(rootKey);
        try {
            Run({"ALPHA1", "sa", "hidden-pw"});
            QFAIL("a key that cannot be written was reported as success");
        } catch (const ERegistryException& e) {
            QVERIFY2(e.Message().contains(QLatin1String("cannot be opened or created")),
                     qPrintable(e.Message()));
            QVERIFY(!e.Message().contains(QLatin1String("hidden-pw")));
        }
        // The parameters stay set; nothing was written anywhere.
        QCOMPARE(FDatabase->Params()->GetValue(QStringLiteral("SERVER NAME")),
                 QStringLiteral("ALPHA1"));
        TRegistry reg;
        QVERIFY(reg.OpenKey(QStringLiteral("\\"), false));
        TStringList names;
        reg.GetValueNames(&names);
        QCOMPARE(names.Count(), 0);
    }

    void loginFormWritesBackAsItsResource() {
        TConnectForm form(Application);
        const QString resource =
            QString::fromUtf8(FindResourceData(QStringLiteral("TCONNECTFORM")));
        const QString written = WriteComponentText(&form);
        if (written != resource)
            qWarning("%s", qPrintable(written));
        QCOMPARE(written, resource);
    }

    void loginFormLayout() {
        TConnectForm form(Application);
        QCOMPARE(form.Caption(), QStringLiteral("Connect To SQL Server"));
        QCOMPARE(form.ClientWidth(), 252);
        QCOMPARE(form.ClientHeight(), 144);
        QCOMPARE(form.BorderStyle(), bsDialog);
        QCOMPARE(form.Position(), poScreenCenter);
        QCOMPARE(form.Password->PasswordChar(), QStringLiteral("*"));
        QCOMPARE(form.ServerName->NumGlyphs(), 2);
        QCOMPARE(form.ServerName->Glyph()->Width(), 32);
        QCOMPARE(form.ServerName->Glyph()->Height(), 16);
        QCOMPARE(form.ServerName->Glyph()->PaletteColors(), 16);
        QCOMPARE(form.Label1->Font()->Style(), TFontStyles(fsBold));
        QCOMPARE(form.Label1->Font()->Color(), clBlack);
        QCOMPARE(form.OKBtn->Kind(), bkOK);
        QCOMPARE(form.CancelBtn->Kind(), bkCancel);
        QCOMPARE(form.ListServerDialog1->Caption(), QStringLiteral("Server List"));
        QCOMPARE(form.ListServerDialog1->SQLServerOnly(), false);
        QCOMPARE(form.ListServerDialog1->DesignLeft(), 16);
        QCOMPARE(form.ListServerDialog1->DesignTop(), 72);
        QVERIFY(!form.ListServerDialog1->Domain().isEmpty());
    }

    void streamedSettings() {
        FConnect->SetCheckOnExec(false);
        FConnect->SetRootKey(QString());
        FHolder->SetName(QStringLiteral("Holder"));
        const QString text = WriteComponentText(FHolder.get());
        const QString own =
            text.mid(text.indexOf(QLatin1String("object SQLConnect1: TSQLConnect")));
        QVERIFY2(own.startsWith(QLatin1String("object SQLConnect1: TSQLConnect\n"
                                              "    Database = Database1\n"
                                              "    CheckOnExec = False\n"
                                              "    Left = 0\n")),
                 qPrintable(own));
        FConnect->SetRootKey(QStringLiteral("Software\\A"));
        FConnect->SetServerName(QStringLiteral("S"));
        FConnect->SetUserName(QStringLiteral("U"));
        const QString full = WriteComponentText(FHolder.get());
        QVERIFY2(
            full.contains(QLatin1String("    CheckOnExec = False\n    RootKey = 'Software\\A'\n"
                                        "    ServerName = 'S'\n    UserName = 'U'\n")),
            qPrintable(full));
        // Read back (an application registers the classes its plain forms hold), the reference
        // is resolved to the holder's own database.
        RegisterClass<TSQLConnect>();
        TForm copy(Application);
        ReadComponentText(full, QStringLiteral("holder"), &copy);
        auto* connect =
            qobject_cast<TSQLConnect*>(copy.FindComponent(QStringLiteral("SQLConnect1")));
        QVERIFY(connect);
        QCOMPARE(connect->Database(), copy.FindComponent(QStringLiteral("Database1")));
        QCOMPARE(connect->RootKey(), QStringLiteral("Software\\A"));
    }
};

QTEST_MAIN(tst_SQLConnect)
#include "tst_sqlconnect.moc"
