// The server list form and TListServerDialog over described networks: the shapes of the tree,
// the selection, the edit/OK coupling, double click, and Execute's results.

#include "DescribedNetwork.h"
#include "FormDriver.h"

#include <serverlist/ListReg.h>
#include <serverlist/ListSerFm.h>
#include <vcl/FormText.h>
#include <vcl/Resources.h>

#include <QAbstractItemView>
#include <QTemporaryDir>
#include <QTest>

using namespace vcl;
using namespace formdriver;

namespace {

// Every node, one a line, indented by level; "+" marks a node that is not expanded.
QString Dump(TTreeView* Tree) {
    QString out;
    std::function<void(TTreeNode*, int)> walk = [&](TTreeNode* Node, int Level) {
        for (; Node; Node = Node->GetNextSibling()) {
            out += QString(Level * 2, QLatin1Char(' ')) + Node->Text() +
                   (Node->HasChildren() && !Node->Expanded() ? QStringLiteral("+") : QString()) +
                   QLatin1Char('\n');
            walk(Node->GetFirstChild(), Level + 1);
        }
    };
    walk(Tree->Items->GetFirstNode(), 0);
    return out;
}

QPoint NodeCenter(TTreeView* Tree, const QString& Text) {
    TTreeNode* node = FindNode(Tree, Text);
    if (!node)
        return {-1, -1};
    return Tree->NodeRect(node).center();
}

} // namespace

class tst_ListServer : public QObject {
    Q_OBJECT

    DescribedNetwork FNetwork;
    void UseNetwork(const QString& Text) { FNetwork.Use(Text); }

private Q_SLOTS:
    void treeShapes_data() {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QString>("tree");
        const QString longName = QString(298, QLatin1Char('x')) + QStringLiteral("yz");
        QTest::newRow("usual hierarchy")
            << "domain ALPHA\n  server \\\\ALPHA1\n  server \\\\ALPHA2\n"
               "domain BETA\n  server \\\\BETA1\n    share \\\\BETA1\\public\n"
            << "ALPHA\n  ALPHA1\n  ALPHA2\nBETA\n  BETA1\n";
        QTest::newRow("domain inside a domain is its sibling")
            << "domain ALPHA\n  domain INNER\n    server \\\\IN1\n  server \\\\A1\n"
            << "ALPHA\n  A1\nINNER\n  IN1\n";
        QTest::newRow("server with no parent is top-level")
            << "server \\\\LONELY\ndomain D\n  server \\\\D1\n"
            << "LONELY\nD\n  D1\n";
        QTest::newRow("generic containers add no node")
            << "generic \"Lab machines\"\n  server \\\\LAB1\n  domain LABDOM\n    server \\\\L2\n"
            << "LAB1\nLABDOM\n  L2\n";
        QTest::newRow("names without backslashes lose two characters")
            << "domain D\n  server XYNAME\n  server Q\n"
            << "D\n  NAME\n  \n";
        QTest::newRow("a 300-character name keeps 255")
            << "domain D\n  server " + QStringLiteral("\\\\") + longName + "\n"
            << "D\n  " + longName.left(255) + "\n";
        QTest::newRow("non-ASCII names")
            << QStringLiteral("domain \u00c9QUIPE\n  server \\\\SERVEUR-\u00dc\u20ac\n")
            << QStringLiteral("\u00c9QUIPE\n  SERVEUR-\u00dc\u20ac\n");
        QTest::newRow("a container that cannot be opened")
            << "domain A open-error=1222\n  server \\\\A1\ndomain B\n  server \\\\B1\n"
            << "A\nB\n  B1\n";
        QTest::newRow("a failing batch ends its container")
            << "domain A enum-error=59\n  server \\\\A1\ndomain B enum-error=59 "
               "enum-error-after=1\n  server \\\\B1\n  server \\\\B2\ndomain C\n  server \\\\C1\n"
            << "A\nB\n  B1\nC\n  C1\n";
        QTest::newRow("no network at all") << ""
                                           << "";
    }

    void treeShapes() {
        QFETCH(QString, network);
        QFETCH(QString, tree);
        UseNetwork(network);
        TListServerForm form(Application);
        form.FormShow(&form);
        QCOMPARE(Dump(form.Tree), tree);
        QCOMPARE(TCursor(Screen->Cursor), crArrow);
        QCOMPARE(form.Tree->Selected(), nullptr); // made visible, not selected
    }

    void errorInTheWalkRestoresTheCursor() {
        // The tree fails while the walk adds nodes (as when memory runs out): the error reaches
        // the caller and the cursor is the arrow again, not the hourglass.
        UseNetwork(QStringLiteral("domain A\n  server \\\\A1\n  server \\\\A2\n"));
        TListServerForm form(Application);
        auto* view = qobject_cast<QAbstractItemView*>(form.Tree->Widget());
        QVERIFY(view && view->model());
        QObject::connect(view->model(), &QAbstractItemModel::rowsInserted, view, [&] {
            if (form.Tree->Items->Count() == 2)
                throw EInvalidOperation(QStringLiteral("the tree is full"));
        });
        try {
            form.FormShow(&form);
            QFAIL("the error did not reach the caller");
        } catch (const EInvalidOperation& e) {
            QCOMPARE(e.Message(), QStringLiteral("the tree is full"));
        }
        QCOMPARE(TCursor(Screen->Cursor), crArrow);
    }

    void moreRecordsThanOneBatch() {
        QString network = QStringLiteral("domain BIG\n");
        QString expected = QStringLiteral("BIG\n");
        for (int i = 0; i < 500; ++i) {
            network += QStringLiteral("  server \\\\S%1\n").arg(i, 3, 10, QLatin1Char('0'));
            expected += QStringLiteral("  S%1\n").arg(i, 3, 10, QLatin1Char('0'));
        }
        UseNetwork(network);
        TListServerForm form(Application);
        form.FormShow(&form);
        QCOMPARE(Dump(form.Tree), expected);
    }

    void eachShowingWalksAgain() {
        UseNetwork(QStringLiteral("domain ONE\n  server \\\\A\n"));
        TListServerForm form(Application);
        form.FormShow(&form);
        UseNetwork(QStringLiteral("domain TWO\n  server \\\\B\n"));
        form.FormShow(&form);
        QCOMPARE(Dump(form.Tree), QStringLiteral("TWO\n  B\n"));
    }

    void selectionAndEditCoupling() {
        UseNetwork(QStringLiteral("domain ALPHA\n  server \\\\ALPHA1\ndomain EMPTY\n"));
        TListServerDialog dialog(nullptr);
        bool stillOpenWhileDisabled = false;
        Pending steps([] { return ListServerForm; },
                      [&](TForm*) {
                          TListServerForm* f = ListServerForm;
                          QWidget* view = TreeViewport(f->Tree);
                          QVERIFY(f->OKBtn->Enabled()); // OK starts enabled, Edit1 empty
                          QCOMPARE(f->Edit1->Text(), QString());

                          Click(view, NodeCenter(f->Tree, QStringLiteral("ALPHA1")));
                          QCOMPARE(f->Edit1->Text(), QStringLiteral("ALPHA1"));
                          QCOMPARE(f->SelectedServer, QStringLiteral("ALPHA1"));
                          QCOMPARE(f->SelectedDomain, QString());

                          Click(view, NodeCenter(f->Tree, QStringLiteral("ALPHA")));
                          QCOMPARE(f->SelectedDomain, QStringLiteral("ALPHA"));
                          QCOMPARE(f->SelectedServer, QString());

                          // A domain with no servers has no children: it counts as a server.
                          Click(view, NodeCenter(f->Tree, QStringLiteral("EMPTY")));
                          QCOMPARE(f->SelectedServer, QStringLiteral("EMPTY"));
                          QCOMPARE(f->SelectedDomain, QString());

                          // Clearing the edit by hand disables OK and changes no selection.
                          Click(f->Edit1->Widget());
                          Press(f->Edit1, Qt::Key_A, Qt::ControlModifier);
                          Press(f->Edit1, Qt::Key_Delete);
                          QCOMPARE(f->Edit1->Text(), QString());
                          QVERIFY(!f->OKBtn->Enabled());
                          QCOMPARE(f->SelectedServer, QStringLiteral("EMPTY"));
                          Type(f->Edit1, QStringLiteral("typed"));
                          QVERIFY(f->OKBtn->Enabled());
                          QCOMPARE(f->SelectedServer, QStringLiteral("EMPTY"));
                          Press(f->Edit1, Qt::Key_A, Qt::ControlModifier);
                          Press(f->Edit1, Qt::Key_Delete);

                          // A double click while OK is disabled selects but does not close...
                          f->Tree->SetSelected(nullptr);
                          DoubleClick(view, NodeCenter(f->Tree, QStringLiteral("ALPHA1")));
                          // ...the first click selected ALPHA1, which enabled OK, so the double
                          // click is OK.
                          stillOpenWhileDisabled = f->ModalResult() == mrNone;
                      });
        QVERIFY(dialog.Execute());
        QVERIFY(steps.Ran());
        QVERIFY(!stillOpenWhileDisabled);
        QCOMPARE(dialog.ServerName(), QStringLiteral("ALPHA1"));
        QCOMPARE(ListServerForm, nullptr);
    }

    void doubleClickActsOnlyWhileOkIsEnabled() {
        UseNetwork(QStringLiteral("domain ALPHA\n  server \\\\ALPHA1\n"));
        TListServerDialog dialog(nullptr);
        Pending steps([] { return ListServerForm; },
                      [&](TForm*) {
                          TListServerForm* f = ListServerForm;
                          Click(TreeViewport(f->Tree),
                                NodeCenter(f->Tree, QStringLiteral("ALPHA1")));
                          f->OKBtn->SetEnabled(false);
                          f->TreeDblClick(f->Tree);
                          QCOMPARE(f->ModalResult(), mrNone);
                          f->OKBtn->SetEnabled(true);
                          f->TreeDblClick(f->Tree);
                          QCOMPARE(f->ModalResult(), mrOk);
                      });
        QVERIFY(dialog.Execute());
        QCOMPARE(dialog.ServerName(), QStringLiteral("ALPHA1"));
    }

    void executeResults_data() {
        QTest::addColumn<QString>("select"); // empty: no selection
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("domain");
        QTest::newRow("cancel after selecting a server") << "ALPHA1" << false << false << "ALPHA1"
                                                         << "";
        QTest::newRow("OK on a domain with servers") << "ALPHA" << true << true << ""
                                                     << "ALPHA";
        QTest::newRow("OK on a server") << "ALPHA1" << true << true << "ALPHA1"
                                        << "";
        QTest::newRow("OK without a selection") << "" << true << true << ""
                                                << "";
        QTest::newRow("cancel without a selection") << "" << false << false << ""
                                                    << "";
    }

    void executeResults() {
        QFETCH(QString, select);
        QFETCH(bool, ok);
        QFETCH(bool, result);
        QFETCH(QString, server);
        QFETCH(QString, domain);
        UseNetwork(QStringLiteral("domain ALPHA\n  server \\\\ALPHA1\n"));
        TListServerDialog dialog(nullptr);
        dialog.SetServerName(QStringLiteral("stale"));
        dialog.SetDomain(QStringLiteral("stale"));
        Pending steps([] { return ListServerForm; },
                      [&](TForm*) {
                          TListServerForm* f = ListServerForm;
                          if (!select.isEmpty())
                              Click(TreeViewport(f->Tree), NodeCenter(f->Tree, select));
                          Press(f->Tree, ok ? Qt::Key_Return : Qt::Key_Escape);
                      });
        QCOMPARE(dialog.Execute(), result);
        QVERIFY(steps.Ran());
        QCOMPARE(dialog.ServerName(), server);
        QCOMPARE(dialog.Domain(), domain);
    }

    void captionAndFontReachTheForm() {
        UseNetwork(QString());
        TForm owner(Application);
        owner.Font()->SetName(QStringLiteral("DejaVu Serif"));
        owner.Font()->SetHeight(-15);
        TListServerDialog dialog(&owner);
        QCOMPARE(dialog.Font()->Name(), QStringLiteral("DejaVu Serif"));
        TFont given;
        given.SetName(QStringLiteral("DejaVu Sans Mono"));
        given.SetStyle(fsItalic);
        dialog.SetFont(&given);
        given.SetName(QStringLiteral("changed afterwards"));
        QCOMPARE(dialog.Font()->Name(), QStringLiteral("DejaVu Sans Mono"));
        QVERIFY(dialog.Font() != &given);

        for (const QString& caption : {QStringLiteral("Pick one"), QString()}) {
            dialog.SetCaption(caption);
            Pending steps([] { return ListServerForm; },
                          [&](TForm*) {
                              TListServerForm* f = ListServerForm;
                              QCOMPARE(f->Caption(), caption);
                              QCOMPARE(f->Widget()->windowTitle(), caption);
                              for (TControl* c :
                                   {static_cast<TControl*>(f), static_cast<TControl*>(f->Tree),
                                    static_cast<TControl*>(f->Edit1)}) {
                                  QCOMPARE(c->Font()->Name(), QStringLiteral("DejaVu Sans Mono"));
                                  QCOMPARE(c->Font()->Style(), TFontStyles(fsItalic));
                              }
                              QCOMPARE(f->OnlySQLServers, false);
                              Press(f->Tree, Qt::Key_Escape);
                          });
            QVERIFY(!dialog.Execute());
            QVERIFY(steps.Ran());
        }
    }

    void ownerThatIsNotAFormGivesTheDefaultFont() {
        TComponent module(nullptr);
        TListServerDialog dialog(&module);
        TFont defaults;
        QVERIFY(*dialog.Font() == defaults);
        TListServerDialog orphan(nullptr);
        QVERIFY(*orphan.Font() == defaults);
    }

    void formDescriptionWritesBackAsItsResource() {
        TListServerForm form(Application);
        const QString resource =
            QString::fromUtf8(FindResourceData(QStringLiteral("TLISTSERVERFORM")));
        const QString written = WriteComponentText(&form);
        if (written != resource)
            qWarning("%s", qPrintable(written));
        QCOMPARE(written, resource);
    }

    void streamedSettings() {
        TForm holder(Application);
        holder.SetName(QStringLiteral("Holder"));
        auto* dialog = new TListServerDialog(&holder);
        dialog->SetName(QStringLiteral("ListServerDialog1"));
        const QString text = WriteComponentText(&holder);
        const int at = text.indexOf(QLatin1String("object ListServerDialog1: TListServerDialog"));
        QVERIFY(at > 0);
        const QString own = text.mid(at);
        QVERIFY2(own.contains(QLatin1String("\n    SQLServerOnly = False\n")), qPrintable(own));
        QVERIFY(!own.contains(QLatin1String("Caption")));
        QVERIFY(!own.contains(QLatin1String("ServerName")));
        QVERIFY(!own.contains(QLatin1String("Domain")));
        QVERIFY(own.indexOf(QLatin1String("SQLServerOnly")) < own.indexOf(QLatin1String("Font.")));
    }
};

QTEST_MAIN(tst_ListServer)
#include "tst_listserver.moc"
