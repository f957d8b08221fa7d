// The SMB provider on a network with no servers at all (an empty namespace,
// made by run-in-empty-netns.sh): an empty list, at once, and no noise.

#include "NetworkTestSupport.h"

#include <QtTest>

#include <cstdio>

class tst_WinNetSmbEmpty : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void walkListsOnlyTheProvider();
    void serversCannotBeReached_data();
    void serversCannotBeReached();
};

void tst_WinNetSmbEmpty::initTestCase() {
    // The default: the SMB network alone, as no described network is named.
    qunsetenv("WINNET_PROVIDERS");
    qunsetenv("WINNET_DESCRIBED_NETWORK");
}

void tst_WinNetSmbEmpty::walkListsOnlyTheProvider() {
    OutputCapture output;
    QByteArray lines;
    walkAsServerList(nullptr, 0, &lines);
    QCOMPARE(output.restore(), QByteArray());
    QCOMPARE(lines, QByteArray("6 SMB Network\n"));
}

void tst_WinNetSmbEmpty::serversCannotBeReached_data() {
    QTest::addColumn<DWORD>("usage");
    QTest::addColumn<DWORD>("opened");
    QTest::newRow("shares asked for: the server is looked for") << DWORD(0) << ERROR_BAD_NETPATH;
    QTest::newRow("containers only: nothing to look for") << RESOURCEUSAGE_CONTAINER << NO_ERROR;
}

void tst_WinNetSmbEmpty::serversCannotBeReached() {
    QFETCH(DWORD, usage);
    QFETCH(DWORD, opened);
    CopiedRecord made;
    made.scope = RESOURCE_GLOBALNET;
    made.displayType = RESOURCEDISPLAYTYPE_SERVER;
    made.usage = RESOURCEUSAGE_CONTAINER;
    made.remoteName = "\\\\NOBODY";
    made.provider = "SMB Network";
    ContainerRecord server(made);
    OutputCapture output;
    HANDLE handle = nullptr;
    const DWORD result =
        WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, usage, server.get(), &handle);
    QCOMPARE(output.restore(), QByteArray());
    QCOMPARE(result, opened);
    if (result == NO_ERROR) {
        QList<CopiedRecord> records;
        QString problem;
        QCOMPARE(readAll(handle, &records, 1312, WNET_ALL_RECORDS, &problem), ERROR_NO_MORE_ITEMS);
        QVERIFY(records.isEmpty());
        QCOMPARE(WNetCloseEnum(handle), NO_ERROR);
    }
}

QTEST_GUILESS_MAIN(tst_WinNetSmbEmpty)
#include "tst_winnet_smb_empty.moc"
