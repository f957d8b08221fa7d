// The server list over the real Samba test network: exactly its workgroups and servers, and
// a picture of the form as the user sees it.

#include "FormDriver.h"

#include <serverlist/ListReg.h>
#include <serverlist/ListSerFm.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTest>

using namespace vcl;
using namespace formdriver;

namespace {

// Workgroup -> servers, as the network's state lists them ("WORKGROUP SERVER" lines).
QMap<QString, QStringList> ExpectedNetwork() {
    QMap<QString, QStringList> expected;
    QFile file(qEnvironmentVariable("SAMBA_NETWORK_STATE") + QStringLiteral("/expected.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return expected;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() == 2)
            expected[QString::fromUtf8(words[0])].append(QString::fromUtf8(words[1]));
    }
    for (QStringList& servers : expected)
        servers.sort();
    return expected;
}

QMap<QString, QStringList> TreeNetwork(TTreeView* Tree) {
    QMap<QString, QStringList> found;
    for (TTreeNode* d = Tree->Items->GetFirstNode(); d; d = d->GetNextSibling()) {
        QStringList& servers = found[d->Text()];
        for (TTreeNode* s = d->GetFirstChild(); s; s = s->GetNextSibling()) {
            servers.append(s->Text());
            if (s->HasChildren())
                servers.append(QStringLiteral("(children below %1)").arg(s->Text()));
        }
        servers.sort();
    }
    return found;
}

} // namespace

class tst_ListServerSmb : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("SAMBA_NETWORK_STATE"))
            QSKIP("needs the Samba test network (run through CTest, as root)");
        qputenv("WINNET_PROVIDERS", "smb");
        qunsetenv("WINNET_DESCRIBED_NETWORK");
    }

    void treeShowsTheWorkgroupsAndTheirServers() {
        const auto expected = ExpectedNetwork();
        QVERIFY(!expected.isEmpty());
        TListServerForm form(Application);
        form.FormShow(&form);
        QCOMPARE(TreeNetwork(form.Tree), expected);
        QCOMPARE(TCursor(Screen->Cursor), crArrow);
    }

    void pictureOfTheListForm() {
        const QString dir = qEnvironmentVariable("PICTURES_DIR", QDir::currentPath());
        QDir().mkpath(dir);
        const QString file = dir + QStringLiteral("/list-servers-samba.png");
        TListServerDialog dialog(nullptr);
        dialog.SetCaption(QStringLiteral("Server List"));
        Pending steps(
            [] { return ListServerForm; },
            [&](TForm*) {
                TListServerForm* f = ListServerForm;
                Click(TreeViewport(f->Tree),
                      f->Tree->NodeRect(f->Tree->Items->GetFirstNode()->GetFirstChild()).center());
                QVERIFY(f->Widget()->grab().save(file));
                Press(f->Tree, Qt::Key_Escape);
            });
        QVERIFY(!dialog.Execute());
        QVERIFY(steps.Ran());
        qInfo("picture: %s", qPrintable(file));
    }
};

QTEST_MAIN(tst_ListServerSmb)
#include "tst_listserver_smb.moc"
