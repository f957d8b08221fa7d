// The SMB provider against the real Samba network of the samba_network
// fixture; run inside its namespace by run-in-network.sh.

#include "NetworkTestSupport.h"

#include <QProcess>
#include <QSet>
#include <QtTest>

#include <cstdio>
#include <cstdlib>

namespace {

using Placement = QPair<QByteArray, QByteArray>; // workgroup, server

QString stateDir() {
    return qEnvironmentVariable("SAMBA_NETWORK_STATE");
}

// "WORKGROUP SERVER" per line, as start-network.sh wrote it.
QSet<Placement> expectedServers() {
    QSet<Placement> servers;
    QFile file(stateDir() + QStringLiteral("/expected.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return servers;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (const QList<QByteArray> words = line.simplified().split(' '); words.size() == 2)
            servers.insert({words[0], words[1]});
    return servers;
}

// The walk's lines, read back into where each server was found; anything not
// in the shape "provider > workgroup > server" is put into *stray.
QSet<Placement> placements(const QByteArray& lines, QByteArrayList* stray) {
    QSet<Placement> found;
    QByteArray workgroup;
    for (const QByteArray& line : lines.split('\n')) {
        if (line.isEmpty())
            continue;
        if (line == "6 SMB Network")
            continue;
        if (line.startsWith("  1 ") && !line.startsWith("   ")) {
            workgroup = line.mid(4);
            continue;
        }
        if (line.startsWith("    2 \\\\") && !workgroup.isEmpty()) {
            found.insert({workgroup, line.mid(8)});
            continue;
        }
        stray->append(line);
    }
    return found;
}

QByteArray walk() {
    QByteArray lines;
    walkAsServerList(nullptr, 0, &lines);
    return lines;
}

CopiedRecord smbRecord(DWORD displayType, DWORD usage, const QByteArray& name) {
    CopiedRecord r;
    r.scope = RESOURCE_GLOBALNET;
    r.displayType = displayType;
    r.usage = usage;
    r.remoteName = name;
    r.provider = "SMB Network";
    return r;
}

} // namespace

class tst_WinNetSmb : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void walkFindsExactlyTheServers();
    void walkAgreesWithSmbtree();
    void recordsCarryBrowseListFields();
    void sharesOnlyWhenConnectableAsked_data();
    void sharesOnlyWhenConnectableAsked();
    void smallBatchesOverTheNetwork();
    void unknownNamesFailQuietly_data();
    void unknownNamesFailQuietly();

private:
    QSet<Placement> m_expected;
};

void tst_WinNetSmb::initTestCase() {
    m_expected = expectedServers();
    QVERIFY2(!m_expected.isEmpty(), "no expected.txt in SAMBA_NETWORK_STATE");
    qputenv("WINNET_PROVIDERS", "smb");
}

void tst_WinNetSmb::walkFindsExactlyTheServers() {
    OutputCapture output;
    const QByteArray lines = walk();
    const QByteArray printed = output.restore();
    QByteArrayList stray;
    const QSet<Placement> found = placements(lines, &stray);
    QVERIFY2(stray.isEmpty(), stray.join('\n').constData());
    QCOMPARE(found, m_expected);
    QVERIFY2(lines.startsWith("6 SMB Network\n"), lines.constData());
    // Quiet, as the server list needs it: nothing on the terminal.
    QCOMPARE(printed, QByteArray());
}

void tst_WinNetSmb::walkAgreesWithSmbtree() {
    QProcess smbtree;
    smbtree.start(QStringLiteral("smbtree"),
                  {QStringLiteral("--configfile=") + qEnvironmentVariable("SMBTREE_CONF"),
                   QStringLiteral("-U"), QStringLiteral("guest%"), QStringLiteral("-S")});
    QVERIFY2(smbtree.waitForFinished(30000), "smbtree did not finish within 30 s");
    QCOMPARE(smbtree.exitCode(), 0);
    QSet<Placement> listed;
    QByteArray workgroup;
    for (const QByteArray& line : smbtree.readAllStandardOutput().split('\n')) {
        if (line.startsWith("\t\\\\"))
            listed.insert({workgroup, line.mid(3).split('\t').first().trimmed()});
        else if (!line.trimmed().isEmpty())
            workgroup = line.trimmed();
    }
    QByteArrayList stray;
    QCOMPARE(placements(walk(), &stray), listed);
}

void tst_WinNetSmb::recordsCarryBrowseListFields() {
    QList<CopiedRecord> root, workgroups, servers;
    QString problem;
    QCOMPARE(listContainer(nullptr, &root, &problem), NO_ERROR);
    QCOMPARE(root.size(), 1);
    QCOMPARE(root[0].displayType, RESOURCEDISPLAYTYPE_NETWORK);
    QCOMPARE(root[0].provider, QByteArray("SMB Network"));

    ContainerRecord provider(root[0]);
    QCOMPARE(listContainer(provider.get(), &workgroups, &problem), NO_ERROR);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QSet<QByteArray> names;
    for (const CopiedRecord& w : workgroups) {
        names.insert(w.remoteName);
        QCOMPARE(w.displayType, RESOURCEDISPLAYTYPE_DOMAIN);
        QCOMPARE(w.usage, RESOURCEUSAGE_CONTAINER);
        QCOMPARE(w.scope, RESOURCE_GLOBALNET);
        QCOMPARE(w.provider, QByteArray("SMB Network"));
    }
    QCOMPARE(names, (QSet<QByteArray>{"ALPHA", "BETA"}));
    // A workgroup's comment is its master browser.
    QCOMPARE(findRecord(workgroups, "ALPHA").comment, QByteArray("ALPHA1"));

    ContainerRecord alpha(findRecord(workgroups, "ALPHA"));
    QCOMPARE(listContainer(alpha.get(), &servers, &problem), NO_ERROR);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const CopiedRecord server = findRecord(servers, "\\\\ALPHA2");
    QCOMPARE(server.displayType, RESOURCEDISPLAYTYPE_SERVER);
    QCOMPARE(server.usage, RESOURCEUSAGE_CONTAINER);
    QCOMPARE(server.comment, QByteArray("ALPHA2 file server"));
}

void tst_WinNetSmb::sharesOnlyWhenConnectableAsked_data() {
    QTest::addColumn<DWORD>("usage");
    QTest::addColumn<QByteArrayList>("shares");
    QTest::newRow("containers only: nothing fetched")
        << RESOURCEUSAGE_CONTAINER << QByteArrayList{};
    QTest::newRow("everything") << DWORD(0) << QByteArrayList{"\\\\BETA1\\public"};
    QTest::newRow("connectable") << RESOURCEUSAGE_CONNECTABLE
                                 << QByteArrayList{"\\\\BETA1\\public"};
}

void tst_WinNetSmb::sharesOnlyWhenConnectableAsked() {
    QFETCH(DWORD, usage);
    QFETCH(QByteArrayList, shares);
    ContainerRecord server(
        smbRecord(RESOURCEDISPLAYTYPE_SERVER, RESOURCEUSAGE_CONTAINER, "\\\\BETA1"));
    QList<CopiedRecord> records;
    QString problem;
    QCOMPARE(listContainer(server.get(), &records, &problem, RESOURCETYPE_DISK, usage), NO_ERROR);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QByteArrayList names;
    for (const CopiedRecord& r : records) {
        names << r.remoteName;
        QCOMPARE(r.displayType, RESOURCEDISPLAYTYPE_SHARE);
        QCOMPARE(r.usage, RESOURCEUSAGE_CONNECTABLE);
        QCOMPARE(r.type, RESOURCETYPE_DISK);
        QCOMPARE(r.comment, QByteArray("Public files of BETA1"));
    }
    // Hidden shares (hidden$, IPC$) are not browsed.
    QCOMPARE(names, shares);
    if (!records.isEmpty()) {
        ContainerRecord share(records.first());
        HANDLE handle = nullptr;
        QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, share.get(), &handle),
                 ERROR_NOT_CONTAINER);
    }
}

void tst_WinNetSmb::smallBatchesOverTheNetwork() {
    ContainerRecord alpha(smbRecord(RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER, "ALPHA"));
    HANDLE handle = nullptr;
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, RESOURCEUSAGE_CONTAINER,
                           alpha.get(), &handle),
             NO_ERROR);
    QList<CopiedRecord> records;
    QString problem;
    int batches = 0;
    // Room for one server record and its strings, not two.
    QCOMPARE(readAll(handle, &records, 120, WNET_ALL_RECORDS, &problem, &batches),
             ERROR_NO_MORE_ITEMS);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(WNetCloseEnum(handle), NO_ERROR);
    QCOMPARE(batches, 2);
    QCOMPARE(records.size(), 2);
}

void tst_WinNetSmb::unknownNamesFailQuietly_data() {
    QTest::addColumn<DWORD>("displayType");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("workgroup") << RESOURCEDISPLAYTYPE_DOMAIN << QByteArray("NOSUCHGROUP");
    QTest::newRow("server") << RESOURCEDISPLAYTYPE_SERVER << QByteArray("\\\\NOSUCHHOST");
}

void tst_WinNetSmb::unknownNamesFailQuietly() {
    QFETCH(DWORD, displayType);
    QFETCH(QByteArray, name);
    ContainerRecord container(smbRecord(displayType, RESOURCEUSAGE_CONTAINER, name));
    OutputCapture output;
    HANDLE handle = reinterpret_cast<HANDLE>(0x1234);
    const DWORD opened =
        WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, container.get(), &handle);
    QCOMPARE(output.restore(), QByteArray());
    QVERIFY2(opened == ERROR_BAD_NETPATH || opened == ERROR_BAD_NET_NAME,
             qPrintable(QString::number(opened)));
    QCOMPARE(handle, HANDLE(nullptr));
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("SAMBA_NETWORK_STATE")) {
        std::fputs(
            "SKIPPED: no Samba test network (run through tests/winnet/samba/run-in-network.sh)\n",
            stderr);
        return 77;
    }
    QCoreApplication app(argc, argv);
    tst_WinNetSmb test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_winnet_smb.moc"
