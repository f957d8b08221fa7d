// The contract of WNetOpenEnumA / WNetEnumResourceA / WNetCloseEnum, against
// described networks written by each test.

#include "NetworkTestSupport.h"

#include <QtTest>

#include <optional>

namespace {

QByteArray manyServers(int count) {
    QByteArray text = "domain CROWD comment=\"Many servers\"\n";
    for (int i = 0; i < count; ++i)
        text += "    server \\\\SERVER" + QByteArray::number(i).rightJustified(4, '0') +
                " comment=\"Server number " + QByteArray::number(i) + "\"\n";
    return text;
}

const QByteArray kOffice = R"(domain ALPHA comment="First floor"
    server \\ALPHA1 comment="File server"
        share \\ALPHA1\public comment="Public files"
        printer \\ALPHA1\laser
    server \\ALPHA2
domain BETA
    server \\BETA1
)";

// The record of a container, as one listing of its parent delivers it.
CopiedRecord recordOf(const QByteArray& parentName, const QByteArray& name) {
    QList<CopiedRecord> records;
    QString problem;
    if (parentName.isEmpty()) {
        listContainer(nullptr, &records, &problem);
        QList<CopiedRecord> top;
        ContainerRecord root(records.value(0));
        listContainer(root.get(), &top, &problem);
        return findRecord(top, name);
    }
    ContainerRecord parent(recordOf({}, parentName));
    listContainer(parent.get(), &records, &problem);
    return findRecord(records, name);
}

} // namespace

class tst_WinNetEnumeration : public QObject {
    Q_OBJECT

private slots:
    void rootListsOneRecordPerProvider();
    void batchesCoverEveryRecordOnce_data();
    void batchesCoverEveryRecordOnce();
    void tooSmallBufferAsksForTheNeededSize();
    void endOfEnumerationRepeats();
    void filtersSelectRecords_data();
    void filtersSelectRecords();
    void scopesAndArguments_data();
    void scopesAndArguments();
    void badHandlesAreRefused_data();
    void badHandlesAreRefused();
    void nullArgumentsAreRefused();
    void containerRecordsAreOpenedByName_data();
    void containerRecordsAreOpenedByName();
    void containerThatCannotBeOpened();
    void listingThatFailsPartWay();
    void containerGoesWithTheGlobalScopeOnly();
    void oddShapesWalkLikeTheServerList();
    void namesSurviveByteForByte();
    void fileIsReadAgainWhenItChanges();
    void configurationErrorsAreExtendedErrors_data();
    void configurationErrorsAreExtendedErrors();
    void extendedErrorIsCutBetweenCharacters();
};

void tst_WinNetEnumeration::rootListsOneRecordPerProvider() {
    DescribedNetworkFile network(kOffice);
    QList<CopiedRecord> records;
    QString problem;
    QCOMPARE(listContainer(nullptr, &records, &problem), NO_ERROR);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(records.size(), 1);
    const CopiedRecord& provider = records.first();
    QCOMPARE(provider.displayType, RESOURCEDISPLAYTYPE_NETWORK);
    QCOMPARE(provider.usage, RESOURCEUSAGE_CONTAINER);
    QCOMPARE(provider.scope, RESOURCE_GLOBALNET);
    QCOMPARE(provider.remoteName, QByteArray("Described Network"));
    QCOMPARE(provider.provider, QByteArray("Described Network"));
    QVERIFY(!provider.hasLocalName);

    ContainerRecord top(provider);
    QList<CopiedRecord> domains;
    QCOMPARE(listContainer(top.get(), &domains, &problem), NO_ERROR);
    QCOMPARE(domains.size(), 2);
    QCOMPARE(domains[0].remoteName, QByteArray("ALPHA"));
    QCOMPARE(domains[0].displayType, RESOURCEDISPLAYTYPE_DOMAIN);
    QCOMPARE(domains[0].usage, RESOURCEUSAGE_CONTAINER);
    QCOMPARE(domains[0].comment, QByteArray("First floor"));
    QCOMPARE(domains[1].remoteName, QByteArray("BETA"));
    QVERIFY(!domains[1].hasComment);
}

void tst_WinNetEnumeration::batchesCoverEveryRecordOnce_data() {
    QTest::addColumn<DWORD>("bufferSize");
    QTest::addColumn<DWORD>("count");
    QTest::addColumn<int>("minimumBatches");

    QTest::newRow("server list's 1312 bytes, as many as fit")
        << DWORD(1312) << WNET_ALL_RECORDS << 20;
    QTest::newRow("room for about one record") << DWORD(120) << WNET_ALL_RECORDS << 300;
    QTest::newRow("one record per request") << DWORD(65536) << DWORD(1) << 300;
    QTest::newRow("seven per request") << DWORD(65536) << DWORD(7) << 43;
    QTest::newRow("one large batch") << DWORD(1 << 20) << WNET_ALL_RECORDS << 1;
}

void tst_WinNetEnumeration::batchesCoverEveryRecordOnce() {
    QFETCH(DWORD, bufferSize);
    QFETCH(DWORD, count);
    QFETCH(int, minimumBatches);
    DescribedNetworkFile network(manyServers(300));
    ContainerRecord crowd(recordOf({}, "CROWD"));
    HANDLE handle = nullptr;
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, crowd.get(), &handle),
             NO_ERROR);
    QList<CopiedRecord> records;
    QString problem;
    int batches = 0;
    QCOMPARE(readAll(handle, &records, bufferSize, count, &problem, &batches), ERROR_NO_MORE_ITEMS);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(WNetCloseEnum(handle), NO_ERROR);
    QCOMPARE(records.size(), 300);
    QVERIFY2(batches >= minimumBatches, qPrintable(QString::number(batches)));
    for (int i = 0; i < records.size(); ++i) {
        QCOMPARE(records[i].remoteName,
                 "\\\\SERVER" + QByteArray::number(i).rightJustified(4, '0'));
        QCOMPARE(records[i].comment, "Server number " + QByteArray::number(i));
        QCOMPARE(records[i].displayType, RESOURCEDISPLAYTYPE_SERVER);
        QCOMPARE(records[i].provider, QByteArray("Described Network"));
    }
}

void tst_WinNetEnumeration::tooSmallBufferAsksForTheNeededSize() {
    DescribedNetworkFile network(manyServers(2));
    ContainerRecord crowd(recordOf({}, "CROWD"));
    HANDLE handle = nullptr;
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, crowd.get(), &handle),
             NO_ERROR);
    // record, "\\SERVER0000", "Server number 0", "Described Network", each terminated
    const DWORD needed = sizeof(NETRESOURCEA) + 13 + 16 + 18;
    alignas(NETRESOURCEA) unsigned char buffer[512];
    for (const DWORD tooSmall : {DWORD(0), DWORD(sizeof(NETRESOURCEA)), needed - 1}) {
        DWORD count = WNET_ALL_RECORDS;
        DWORD size = tooSmall;
        QCOMPARE(WNetEnumResourceA(handle, &count, buffer, &size), ERROR_MORE_DATA);
        QCOMPARE(size, needed);
        QCOMPARE(count, DWORD(0));
    }
    // The record that did not fit is the one delivered next.
    DWORD count = WNET_ALL_RECORDS;
    DWORD size = needed;
    QCOMPARE(WNetEnumResourceA(handle, &count, buffer, &size), NO_ERROR);
    QCOMPARE(count, DWORD(1));
    QCOMPARE(QByteArray(reinterpret_cast<LPNETRESOURCEA>(buffer)->lpRemoteName),
             QByteArray("\\\\SERVER0000"));
    QCOMPARE(WNetCloseEnum(handle), NO_ERROR);
}

void tst_WinNetEnumeration::endOfEnumerationRepeats() {
    DescribedNetworkFile network(kOffice);
    HANDLE handle = nullptr;
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, nullptr, &handle), NO_ERROR);
    alignas(NETRESOURCEA) unsigned char buffer[1312];
    DWORD count = WNET_ALL_RECORDS;
    DWORD size = sizeof buffer;
    QCOMPARE(WNetEnumResourceA(handle, &count, buffer, &size), NO_ERROR);
    QCOMPARE(count, DWORD(1));
    for (int i = 0; i < 3; ++i) {
        count = WNET_ALL_RECORDS;
        size = sizeof buffer;
        QCOMPARE(WNetEnumResourceA(handle, &count, buffer, &size), ERROR_NO_MORE_ITEMS);
        QCOMPARE(count, DWORD(0));
    }
    QCOMPARE(WNetCloseEnum(handle), NO_ERROR);
}

void tst_WinNetEnumeration::filtersSelectRecords_data() {
    QTest::addColumn<DWORD>("type");
    QTest::addColumn<DWORD>("usage");
    QTest::addColumn<QByteArray>("server");
    QTest::addColumn<QByteArrayList>("expected");

    const QByteArrayList all{"\\\\ALPHA1\\public", "\\\\ALPHA1\\laser"};
    QTest::newRow("everything") << RESOURCETYPE_ANY << DWORD(0) << QByteArray("ALPHA")
                                << QByteArrayList{"\\\\ALPHA1", "\\\\ALPHA2"};
    QTest::newRow("usage 0 lists shares")
        << RESOURCETYPE_ANY << DWORD(0) << QByteArray("\\\\ALPHA1") << all;
    QTest::newRow("usage all lists shares")
        << RESOURCETYPE_ANY << RESOURCEUSAGE_ALL << QByteArray("\\\\ALPHA1") << all;
    QTest::newRow("connectable") << RESOURCETYPE_ANY << RESOURCEUSAGE_CONNECTABLE
                                 << QByteArray("\\\\ALPHA1") << all;
    QTest::newRow("containers hide shares") << RESOURCETYPE_DISK << RESOURCEUSAGE_CONTAINER
                                            << QByteArray("\\\\ALPHA1") << QByteArrayList{};
    QTest::newRow("containers keep servers")
        << RESOURCETYPE_DISK << RESOURCEUSAGE_CONTAINER << QByteArray("ALPHA")
        << QByteArrayList{"\\\\ALPHA1", "\\\\ALPHA2"};
    QTest::newRow("connectable hides servers")
        << RESOURCETYPE_ANY << RESOURCEUSAGE_CONNECTABLE << QByteArray("ALPHA") << QByteArrayList{};
    QTest::newRow("disk hides printers")
        << RESOURCETYPE_DISK << DWORD(0) << QByteArray("\\\\ALPHA1")
        << QByteArrayList{"\\\\ALPHA1\\public"};
    QTest::newRow("print hides disks") << RESOURCETYPE_PRINT << DWORD(0) << QByteArray("\\\\ALPHA1")
                                       << QByteArrayList{"\\\\ALPHA1\\laser"};
    QTest::newRow("print keeps containers") << RESOURCETYPE_PRINT << DWORD(0) << QByteArray("ALPHA")
                                            << QByteArrayList{"\\\\ALPHA1", "\\\\ALPHA2"};
}

void tst_WinNetEnumeration::filtersSelectRecords() {
    QFETCH(DWORD, type);
    QFETCH(DWORD, usage);
    QFETCH(QByteArray, server);
    QFETCH(QByteArrayList, expected);
    DescribedNetworkFile network(kOffice);
    ContainerRecord container(server == "ALPHA" ? recordOf({}, "ALPHA")
                                                : recordOf("ALPHA", server));
    QList<CopiedRecord> records;
    QString problem;
    QCOMPARE(listContainer(container.get(), &records, &problem, type, usage), NO_ERROR);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QByteArrayList names;
    for (const CopiedRecord& r : records)
        names << r.remoteName;
    QCOMPARE(names, expected);
    if (!records.isEmpty() && server != "ALPHA") {
        const CopiedRecord printer = findRecord(records, "\\\\ALPHA1\\laser");
        if (!printer.remoteName.isEmpty()) {
            QCOMPARE(printer.type, RESOURCETYPE_PRINT);
            QCOMPARE(printer.usage, RESOURCEUSAGE_CONNECTABLE);
            QCOMPARE(printer.displayType, RESOURCEDISPLAYTYPE_SHARE);
        }
    }
}

void tst_WinNetEnumeration::scopesAndArguments_data() {
    QTest::addColumn<DWORD>("scope");
    QTest::addColumn<DWORD>("type");
    QTest::addColumn<DWORD>("usage");
    QTest::addColumn<DWORD>("opened");
    QTest::addColumn<int>("records");

    QTest::newRow("global net") << RESOURCE_GLOBALNET << RESOURCETYPE_DISK
                                << RESOURCEUSAGE_CONTAINER << NO_ERROR << 1;
    QTest::newRow("connected: none")
        << RESOURCE_CONNECTED << RESOURCETYPE_ANY << DWORD(0) << NO_ERROR << 0;
    QTest::newRow("remembered: none")
        << RESOURCE_REMEMBERED << RESOURCETYPE_ANY << DWORD(0) << NO_ERROR << 0;
    QTest::newRow("context") << RESOURCE_CONTEXT << RESOURCETYPE_ANY << DWORD(0)
                             << ERROR_NOT_SUPPORTED << 0;
    QTest::newRow("unknown scope")
        << DWORD(99) << RESOURCETYPE_ANY << DWORD(0) << ERROR_INVALID_PARAMETER << 0;
    QTest::newRow("unknown type") << RESOURCE_GLOBALNET << DWORD(0x40) << DWORD(0)
                                  << ERROR_INVALID_PARAMETER << 0;
    QTest::newRow("unknown usage")
        << RESOURCE_GLOBALNET << RESOURCETYPE_ANY << DWORD(0x100) << ERROR_INVALID_PARAMETER << 0;
}

void tst_WinNetEnumeration::scopesAndArguments() {
    QFETCH(DWORD, scope);
    QFETCH(DWORD, type);
    QFETCH(DWORD, usage);
    QFETCH(DWORD, opened);
    QFETCH(int, records);
    DescribedNetworkFile network(kOffice);
    HANDLE handle = reinterpret_cast<HANDLE>(0x1234);
    QCOMPARE(WNetOpenEnumA(scope, type, usage, nullptr, &handle), opened);
    if (opened != NO_ERROR) {
        QCOMPARE(handle, HANDLE(nullptr));
        return;
    }
    QList<CopiedRecord> list;
    QString problem;
    QCOMPARE(readAll(handle, &list, 1312, WNET_ALL_RECORDS, &problem), ERROR_NO_MORE_ITEMS);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(list.size(), records);
    QCOMPARE(WNetCloseEnum(handle), NO_ERROR);
}

void tst_WinNetEnumeration::badHandlesAreRefused_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("null") << 0;
    QTest::newRow("all bits set") << 1;
    QTest::newRow("an address") << 2;
    QTest::newRow("closed") << 3;
    QTest::newRow("closed, then others opened") << 4;
}

void tst_WinNetEnumeration::badHandlesAreRefused() {
    QFETCH(int, kind);
    DescribedNetworkFile network(kOffice);
    int local = 0;
    HANDLE bad = nullptr;
    switch (kind) {
    case 1:
        bad = reinterpret_cast<HANDLE>(~std::uintptr_t(0));
        break;
    case 2:
        bad = &local;
        break;
    case 3:
    case 4: {
        QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, nullptr, &bad), NO_ERROR);
        QCOMPARE(WNetCloseEnum(bad), NO_ERROR);
        if (kind == 4) {
            HANDLE other = nullptr;
            QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, nullptr, &other), NO_ERROR);
            QVERIFY(other != bad); // handles are never reused
            QCOMPARE(WNetCloseEnum(other), NO_ERROR);
        }
        break;
    }
    default:
        break;
    }
    alignas(NETRESOURCEA) unsigned char buffer[1312];
    DWORD count = WNET_ALL_RECORDS;
    DWORD size = sizeof buffer;
    QCOMPARE(WNetEnumResourceA(bad, &count, buffer, &size), ERROR_INVALID_HANDLE);
    QCOMPARE(WNetCloseEnum(bad), ERROR_INVALID_HANDLE);
}

void tst_WinNetEnumeration::nullArgumentsAreRefused() {
    DescribedNetworkFile network(kOffice);
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, nullptr, nullptr), ERROR_INVALID_ADDRESS);

    HANDLE handle = nullptr;
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, nullptr, &handle), NO_ERROR);
    alignas(NETRESOURCEA) unsigned char buffer[1312];
    DWORD count = WNET_ALL_RECORDS;
    DWORD size = sizeof buffer;
    QCOMPARE(WNetEnumResourceA(handle, nullptr, buffer, &size), ERROR_INVALID_ADDRESS);
    QCOMPARE(WNetEnumResourceA(handle, &count, buffer, nullptr), ERROR_INVALID_ADDRESS);
    QCOMPARE(WNetEnumResourceA(handle, &count, nullptr, &size), ERROR_INVALID_ADDRESS);
    // No buffer and a size of 0 asks for the size the next record needs.
    DWORD none = 0;
    QCOMPARE(WNetEnumResourceA(handle, &count, nullptr, &none), ERROR_MORE_DATA);
    QCOMPARE(none, DWORD(sizeof(NETRESOURCEA) + 2 * sizeof("Described Network")));
    QCOMPARE(count, DWORD(0));
    count = 0;
    QCOMPARE(WNetEnumResourceA(handle, &count, buffer, &size), ERROR_INVALID_PARAMETER);
    // None of that consumed a record.
    count = WNET_ALL_RECORDS;
    QCOMPARE(WNetEnumResourceA(handle, &count, buffer, &size), NO_ERROR);
    QCOMPARE(count, DWORD(1));
    QCOMPARE(WNetCloseEnum(handle), NO_ERROR);

    NETRESOURCEA nameless{};
    nameless.dwUsage = RESOURCEUSAGE_CONTAINER;
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, &nameless, &handle), ERROR_INVALID_PARAMETER);

    DWORD code = 0;
    char text[16];
    QCOMPARE(WNetGetLastErrorA(nullptr, text, sizeof text, text, sizeof text),
             ERROR_INVALID_ADDRESS);
    QCOMPARE(WNetGetLastErrorA(&code, nullptr, 16, text, sizeof text), ERROR_INVALID_ADDRESS);
    QCOMPARE(WNetGetLastErrorA(&code, text, 0, text, sizeof text), ERROR_INVALID_ADDRESS);
}

void tst_WinNetEnumeration::containerRecordsAreOpenedByName_data() {
    QTest::addColumn<QByteArray>("remoteName");
    QTest::addColumn<QByteArray>("provider"); // "-" for none
    QTest::addColumn<DWORD>("usage");
    QTest::addColumn<DWORD>("opened");
    QTest::addColumn<int>("records");

    QTest::newRow("a domain") << QByteArray("ALPHA") << QByteArray("Described Network")
                              << RESOURCEUSAGE_CONTAINER << NO_ERROR << 2;
    QTest::newRow("a server, shares hidden")
        << QByteArray("\\\\ALPHA1") << QByteArray("Described Network") << RESOURCEUSAGE_CONTAINER
        << NO_ERROR << 0;
    QTest::newRow("no provider named")
        << QByteArray("BETA") << QByteArray("-") << RESOURCEUSAGE_CONTAINER << NO_ERROR << 1;
    QTest::newRow("the provider's top") << QByteArray("Described Network") << QByteArray("-")
                                        << RESOURCEUSAGE_CONTAINER << NO_ERROR << 2;
    QTest::newRow("a share") << QByteArray("\\\\ALPHA1\\public") << QByteArray("Described Network")
                             << RESOURCEUSAGE_CONNECTABLE << ERROR_NOT_CONTAINER << 0;
    QTest::newRow("unknown container") << QByteArray("GAMMA") << QByteArray("Described Network")
                                       << RESOURCEUSAGE_CONTAINER << ERROR_BAD_NETPATH << 0;
    QTest::newRow("inactive provider") << QByteArray("ALPHA") << QByteArray("SMB Network")
                                       << RESOURCEUSAGE_CONTAINER << ERROR_BAD_PROVIDER << 0;
    QTest::newRow("unknown provider") << QByteArray("ALPHA") << QByteArray("Elsewhere")
                                      << RESOURCEUSAGE_CONTAINER << ERROR_BAD_PROVIDER << 0;
}

void tst_WinNetEnumeration::containerRecordsAreOpenedByName() {
    QFETCH(QByteArray, remoteName);
    QFETCH(QByteArray, provider);
    QFETCH(DWORD, usage);
    QFETCH(DWORD, opened);
    QFETCH(int, records);
    DescribedNetworkFile network(kOffice);
    CopiedRecord made;
    made.scope = RESOURCE_GLOBALNET;
    made.usage = usage;
    made.displayType = remoteName == "Described Network" ? RESOURCEDISPLAYTYPE_NETWORK
                                                         : RESOURCEDISPLAYTYPE_GENERIC;
    made.remoteName = remoteName;
    made.provider = provider;
    std::optional<ContainerRecord> container(std::in_place, made);
    if (provider == "-")
        container->forgetProvider();
    HANDLE handle = nullptr;
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, RESOURCEUSAGE_CONTAINER,
                           container->get(), &handle),
             opened);
    if (opened != NO_ERROR)
        return;
    // The caller's record is not needed once the enumeration is open.
    container.reset();
    QList<CopiedRecord> list;
    QString problem;
    QCOMPARE(readAll(handle, &list, 1312, WNET_ALL_RECORDS, &problem), ERROR_NO_MORE_ITEMS);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(list.size(), records);
    QCOMPARE(WNetCloseEnum(handle), NO_ERROR);
}

void tst_WinNetEnumeration::containerThatCannotBeOpened() {
    DescribedNetworkFile network("domain ALPHA\n"
                                 "domain BROKEN open-error=1222\n"
                                 "    server \\\\HIDDEN\n"
                                 "domain GAMMA\n"
                                 "    server \\\\GAMMA1\n");
    QList<CopiedRecord> domains;
    QString problem;
    ContainerRecord top(recordOf({}, "BROKEN"));
    HANDLE handle = reinterpret_cast<HANDLE>(0x1234);
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, RESOURCEUSAGE_CONTAINER,
                           top.get(), &handle),
             ERROR_NO_NETWORK);
    QCOMPARE(handle, HANDLE(nullptr));
    QByteArray lines;
    walkAsServerList(nullptr, 0, &lines);
    QCOMPARE(lines, QByteArray("6 Described Network\n"
                               "  1 ALPHA\n"
                               "  1 BROKEN\n"
                               "  1 GAMMA\n"
                               "    2 \\\\GAMMA1\n"));
}

void tst_WinNetEnumeration::listingThatFailsPartWay() {
    DescribedNetworkFile network("generic LAB enum-error=59 enum-error-after=2\n"
                                 "    server \\\\LAB1\n"
                                 "    server \\\\LAB2\n"
                                 "    server \\\\LAB3\n"
                                 "domain FIRST enum-error=1222\n"
                                 "    server \\\\NEVER\n"
                                 "domain EXTENDED enum-error=1208\n"
                                 "    server \\\\UNSEEN\n");
    ContainerRecord lab(recordOf({}, "LAB"));
    HANDLE handle = nullptr;
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, lab.get(), &handle), NO_ERROR);
    alignas(NETRESOURCEA) unsigned char buffer[1312];
    DWORD count = WNET_ALL_RECORDS;
    DWORD size = sizeof buffer;
    QCOMPARE(WNetEnumResourceA(handle, &count, buffer, &size), NO_ERROR);
    QCOMPARE(count, DWORD(2)); // what came before the failure is delivered
    for (int i = 0; i < 3; ++i) {
        count = WNET_ALL_RECORDS;
        size = sizeof buffer;
        QCOMPARE(WNetEnumResourceA(handle, &count, buffer, &size), DWORD(59));
        QCOMPARE(count, DWORD(0));
    }
    QCOMPARE(WNetCloseEnum(handle), NO_ERROR);

    ContainerRecord first(recordOf({}, "FIRST"));
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, first.get(), &handle), NO_ERROR);
    count = WNET_ALL_RECORDS;
    size = sizeof buffer;
    QCOMPARE(WNetEnumResourceA(handle, &count, buffer, &size), ERROR_NO_NETWORK);
    QCOMPARE(WNetCloseEnum(handle), NO_ERROR);

    // ERROR_EXTENDED_ERROR comes with the error behind it.
    ContainerRecord extended(recordOf({}, "EXTENDED"));
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, extended.get(), &handle), NO_ERROR);
    count = WNET_ALL_RECORDS;
    size = sizeof buffer;
    QCOMPARE(WNetEnumResourceA(handle, &count, buffer, &size), ERROR_EXTENDED_ERROR);
    QCOMPARE(lastExtendedError(),
             QStringLiteral("%1|listing fails, as configured|Described Network")
                 .arg(ERROR_UNEXP_NET_ERR));
    QCOMPARE(WNetCloseEnum(handle), NO_ERROR);
}

void tst_WinNetEnumeration::containerGoesWithTheGlobalScopeOnly() {
    DescribedNetworkFile network(kOffice);
    ContainerRecord alpha(recordOf({}, "ALPHA"));
    HANDLE handle = nullptr;
    for (const DWORD scope : {RESOURCE_CONNECTED, RESOURCE_REMEMBERED, RESOURCE_CONTEXT}) {
        handle = reinterpret_cast<HANDLE>(0x1234);
        QCOMPARE(WNetOpenEnumA(scope, 0, 0, alpha.get(), &handle), ERROR_INVALID_PARAMETER);
        QCOMPARE(handle, HANDLE(nullptr));
    }
}

void tst_WinNetEnumeration::oddShapesWalkLikeTheServerList() {
    const QByteArray longName(300, 'L');
    DescribedNetworkFile network("domain OUTER\n"
                                 "    domain INNER\n"
                                 "        server \\\\DEEP\n"
                                 "    server \\\\OUTER1\n"
                                 "server \\\\TOPLEVEL\n"
                                 "generic \"Lab machines\" comment=\"a \"\"generic\"\" one\"\n"
                                 "    network NESTEDNET\n"
                                 "        server NOSLASHES\n"
                                 "    server \\\\" +
                                 longName +
                                 "\n"
                                 "domain EMPTY\n"
                                 "share \\\\LOOSE\\share\n");
    QByteArray lines;
    walkAsServerList(nullptr, 0, &lines);
    QCOMPARE(lines, "6 Described Network\n"
                    "  1 OUTER\n"
                    "    1 INNER\n"
                    "      2 \\\\DEEP\n"
                    "    2 \\\\OUTER1\n"
                    "  2 \\\\TOPLEVEL\n"
                    "  0 Lab machines\n"
                    "    6 NESTEDNET\n"
                    "      2 NOSLASHES\n"
                    "    2 \\\\" +
                        longName +
                        "\n"
                        "  1 EMPTY\n");
    QCOMPARE(recordOf({}, "Lab machines").comment, QByteArray("a \"generic\" one"));
}

void tst_WinNetEnumeration::namesSurviveByteForByte() {
    const QByteArray domain = "Ünïcødé Ωμάδα";
    const QByteArray server = "\\\\Сервер-日本";
    DescribedNetworkFile network("domain \"" + domain + "\" comment=\"Ärger\"\n    server " +
                                 server + " comment=\"€ 😀\"\n");
    const CopiedRecord d = recordOf({}, domain);
    QCOMPARE(d.remoteName, domain);
    QCOMPARE(d.comment, QByteArray("Ärger"));
    const CopiedRecord s = recordOf(domain, server);
    QCOMPARE(s.remoteName, server);
    QCOMPARE(s.comment, QByteArray("€ 😀"));
}

void tst_WinNetEnumeration::fileIsReadAgainWhenItChanges() {
    DescribedNetworkFile network("domain FIRST\n");
    QByteArray lines;
    walkAsServerList(nullptr, 0, &lines);
    QCOMPARE(lines, QByteArray("6 Described Network\n  1 FIRST\n"));
    network.write("domain SECOND\n    server \\\\TWO\n");
    lines.clear();
    walkAsServerList(nullptr, 0, &lines);
    QCOMPARE(lines, QByteArray("6 Described Network\n  1 SECOND\n    2 \\\\TWO\n"));
}

void tst_WinNetEnumeration::configurationErrorsAreExtendedErrors_data() {
    QTest::addColumn<QByteArray>("providers");
    QTest::addColumn<QByteArray>(
        "file"); // "-": no file named; "missing": a path that does not exist
    QTest::addColumn<QString>("expected");

    QTest::newRow("unknown provider")
        << QByteArray("smb,ftp") << QByteArray("domain A\n")
        << QStringLiteral("1204|WINNET_PROVIDERS: expected smb or described, found 'ftp'|");
    QTest::newRow("described without file")
        << QByteArray("described") << QByteArray("-")
        << QStringLiteral("1204|WINNET_PROVIDERS names described, but WINNET_DESCRIBED_NETWORK "
                          "names no file (expected the path of one)|Described Network");
    QTest::newRow("missing file")
        << QByteArray("described") << QByteArray("missing")
        << QStringLiteral(
               "2|PATH: cannot read the described network: No such file or directory (expected a "
               "readable file named by WINNET_DESCRIBED_NETWORK)|Described Network");
    QTest::newRow("malformed file")
        << QByteArray("described") << QByteArray("domain A\nserver\n")
        << QStringLiteral("11|PATH:2: expected a name after server, found the end of the "
                          "line|Described Network");
}

void tst_WinNetEnumeration::configurationErrorsAreExtendedErrors() {
    QFETCH(QByteArray, providers);
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    DescribedNetworkFile network(file);
    qputenv("WINNET_PROVIDERS", providers);
    QString path = network.path();
    if (file == "-")
        qunsetenv("WINNET_DESCRIBED_NETWORK");
    if (file == "missing") {
        path = network.dir() + QStringLiteral("/absent.txt");
        qputenv("WINNET_DESCRIBED_NETWORK", QFile::encodeName(path));
    }
    HANDLE handle = reinterpret_cast<HANDLE>(0x1234);
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, RESOURCEUSAGE_CONTAINER, nullptr,
                           &handle),
             ERROR_EXTENDED_ERROR);
    QCOMPARE(handle, HANDLE(nullptr));
    QCOMPARE(lastExtendedError(), QString(expected).replace(QStringLiteral("PATH"), path));
}

void tst_WinNetEnumeration::extendedErrorIsCutBetweenCharacters() {
    DescribedNetworkFile network("domain A\n  €uro\n");
    HANDLE handle = nullptr;
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, nullptr, &handle), ERROR_EXTENDED_ERROR);
    const QByteArray full = QFile::encodeName(network.path()) + ":2: expected a kind";
    DWORD code = 0;
    char provider[10];
    // Each size cuts inside the three bytes of the euro sign or after it.
    const QByteArray message = lastExtendedError().section(QLatin1Char('|'), 1, 1).toUtf8();
    const qsizetype euro = message.indexOf("€");
    QVERIFY(euro > 0);
    for (qsizetype size = euro + 1; size <= euro + 4; ++size) {
        QByteArray buffer(size, 'x');
        QCOMPARE(WNetGetLastErrorA(&code, buffer.data(), DWORD(size), provider, sizeof provider),
                 NO_ERROR);
        const QByteArray cut(buffer.constData());
        QCOMPARE(cut, message.left(size - 1 >= euro + 3 ? euro + 3 : euro));
        QCOMPARE(QByteArray(provider), QByteArray("Described"));
    }
    QVERIFY(message.startsWith(full));
}

QTEST_GUILESS_MAIN(tst_WinNetEnumeration)
#include "tst_winnet_enumeration.moc"
