// The described network's file format: what it accepts, and how it refuses
// what it does not (file, line, what was expected).

#include "NetworkTestSupport.h"

#include <QtTest>

namespace {

// Every record below the provider, with all its fields, one line each.
void describe(LPNETRESOURCEA container, int depth, QByteArray* lines) {
    QList<CopiedRecord> records;
    QString problem;
    if (listContainer(container, &records, &problem) != NO_ERROR)
        return;
    for (const CopiedRecord& r : records) {
        if (depth > 0) {
            *lines += QByteArray(2 * (depth - 1), ' ') +
                      "display=" + QByteArray::number(r.displayType) +
                      " usage=" + QByteArray::number(r.usage) +
                      " type=" + QByteArray::number(r.type) + " [" + r.remoteName + "]";
            if (r.hasComment)
                *lines += " (" + r.comment + ")";
            *lines += '\n';
        }
        if (r.usage & RESOURCEUSAGE_CONTAINER) {
            ContainerRecord next(r);
            describe(next.get(), depth + 1, lines);
        }
    }
}

} // namespace

class tst_WinNetDescribed : public QObject {
    Q_OBJECT

private slots:
    void acceptedForms_data();
    void acceptedForms();
    void malformedFilesAreRefused_data();
    void malformedFilesAreRefused();
};

void tst_WinNetDescribed::acceptedForms_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("records");

    QTest::newRow("empty file") << QByteArray() << QByteArray();
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF"
                                                   "domain A\n")
                                     << QByteArray("display=1 usage=2 type=0 [A]\n");
    QTest::newRow("comments, blank lines, CRLF")
        << QByteArray(
               "# a network\r\n\r\n   # indented comment\r\ndomain A\r\n    server \\\\A1\r\n")
        << QByteArray("display=1 usage=2 type=0 [A]\n"
                      "  display=2 usage=2 type=0 [\\\\A1]\n");
    QTest::newRow("quoted names and values")
        << QByteArray("generic \"Lab \"\"North\"\" wing\" comment=\"x = y\"\n"
                      "domain A#1 comment=plain\n")
        << QByteArray("display=0 usage=2 type=0 [Lab \"North\" wing] (x = y)\n"
                      "display=1 usage=2 type=0 [A#1] (plain)\n");
    QTest::newRow("kinds and their defaults")
        << QByteArray("server \\\\S\n"
                      "    share \\\\S\\disk\n"
                      "    printer \\\\S\\laser\n"
                      "    directory \\\\S\\dir\n"
                      "    file \\\\S\\f\n"
                      "group G\n"
                      "tree T\n")
        << QByteArray("display=2 usage=2 type=0 [\\\\S]\n"
                      "  display=3 usage=1 type=1 [\\\\S\\disk]\n"
                      "  display=3 usage=1 type=2 [\\\\S\\laser]\n"
                      "  display=9 usage=3 type=1 [\\\\S\\dir]\n"
                      "  display=4 usage=1 type=1 [\\\\S\\f]\n"
                      "display=5 usage=2 type=0 [G]\n"
                      "display=10 usage=2 type=0 [T]\n");
    QTest::newRow("attributes override the kind")
        << QByteArray("domain D display=7 type=print usage=container+connectable\n"
                      "share \\\\X\\y type=any usage=3\n")
        << QByteArray("display=7 usage=3 type=2 [D]\n"
                      "display=3 usage=3 type=0 [\\\\X\\y]\n");
    QTest::newRow("a share with lines inside is a container")
        << QByteArray("share \\\\S\\deep\n    share \\\\S\\deep\\inner\n")
        << QByteArray("display=3 usage=3 type=1 [\\\\S\\deep]\n"
                      "  display=3 usage=1 type=1 [\\\\S\\deep\\inner]\n");
    QTest::newRow("back out of several levels")
        << QByteArray("domain A\n  domain B\n      server \\\\C\ndomain D\n")
        << QByteArray("display=1 usage=2 type=0 [A]\n"
                      "  display=1 usage=2 type=0 [B]\n"
                      "    display=2 usage=2 type=0 [\\\\C]\n"
                      "display=1 usage=2 type=0 [D]\n");
    QTest::newRow("same leaf name twice")
        << QByteArray("domain A\n    share \\\\S\\x\ndomain B\n    share \\\\S\\x\n")
        << QByteArray("display=1 usage=2 type=0 [A]\n"
                      "  display=3 usage=1 type=1 [\\\\S\\x]\n"
                      "display=1 usage=2 type=0 [B]\n"
                      "  display=3 usage=1 type=1 [\\\\S\\x]\n");
}

void tst_WinNetDescribed::acceptedForms() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, records);
    DescribedNetworkFile network(text);
    HANDLE handle = nullptr;
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, nullptr, &handle), NO_ERROR);
    QCOMPARE(WNetCloseEnum(handle), NO_ERROR);
    QByteArray lines;
    describe(nullptr, 0, &lines);
    QCOMPARE(lines, records);
}

void tst_WinNetDescribed::malformedFilesAreRefused_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error"); // after "PATH:"

    const QString kinds =
        QStringLiteral("generic, domain, server, share, printer, file, group, "
                       "network, root, shareadmin, directory, tree, ndscontainer");
    QTest::newRow("unknown kind")
        << QByteArray("domain A\nmachine B\n")
        << QStringLiteral("2: expected a kind (%1), found 'machine'").arg(kinds);
    QTest::newRow("no name") << QByteArray("server\n")
                             << QStringLiteral(
                                    "1: expected a name after server, found the end of the line");
    QTest::newRow("empty name") << QByteArray("server \"\"\n")
                                << QStringLiteral("1: expected a name after server, found \"\"");
    QTest::newRow("unterminated quote")
        << QByteArray("domain \"A B\n")
        << QStringLiteral("1: expected a closing double quote to end a name after domain, found "
                          "the end of the line");
    QTest::newRow("text after a quote")
        << QByteArray("domain \"A\"B\n")
        << QStringLiteral("1: expected a space after the closing double quote, found 'B'");
    QTest::newRow("attribute without value")
        << QByteArray("domain A comment\n")
        << QStringLiteral("1: expected an attribute of the form KEY=VALUE, found 'comment'");
    QTest::newRow("empty value")
        << QByteArray("domain A comment=\n")
        << QStringLiteral("1: expected a value for comment, found the end of the line");
    QTest::newRow("unknown attribute")
        << QByteArray("domain A colour=red\n")
        << QStringLiteral("1: expected one of the attributes comment, display, type, usage, "
                          "open-error, enum-error, enum-error-after, found 'colour'");
    QTest::newRow("not a number")
        << QByteArray("domain A open-error=lots\n")
        << QStringLiteral("1: expected a number from 0 to 4294967295 for open-error, found 'lots'");
    QTest::newRow("number too large") << QByteArray("domain A enum-error-after=4294967296\n")
                                      << QStringLiteral("1: expected a number from 0 to 4294967295 "
                                                        "for enum-error-after, found '4294967296'");
    QTest::newRow("negative number")
        << QByteArray("domain A enum-error=-1\n")
        << QStringLiteral("1: expected a number from 0 to 4294967295 for enum-error, found '-1'");
    QTest::newRow("unknown type")
        << QByteArray("share \\\\S\\x type=tape\n")
        << QStringLiteral("1: expected any, disk, print or a number for type, found 'tape'");
    QTest::newRow("unknown usage")
        << QByteArray("share \\\\S\\x usage=sometimes\n")
        << QStringLiteral("1: expected container, connectable, container+connectable or a number "
                          "for usage, found 'sometimes'");
    QTest::newRow("tab") << QByteArray("domain A\n\tserver \\\\A1\n")
                         << QStringLiteral("2: expected spaces for indentation, found a tab");
    QTest::newRow("uneven siblings")
        << QByteArray("domain A\n    server \\\\A1\n  server \\\\A2\n")
        << QStringLiteral("3: expected an indentation of 4 spaces, like the lines before it at "
                          "this level, found 2");
    QTest::newRow("uneven top level")
        << QByteArray("  domain A\ndomain B\n")
        << QStringLiteral("2: expected an indentation of 2 spaces, like the lines before it at "
                          "this level, found 0");
    QTest::newRow("same container twice")
        << QByteArray("domain A\n    server \\\\S\ndomain B\n    server \\\\S\n")
        << QStringLiteral("4: expected a container name not used before, found '\\\\S' (a "
                          "container on line 2)");
    QTest::newRow("inside a connectable-only line")
        << QByteArray("share \\\\S\\x usage=connectable\n    server \\\\Y\n")
        << QStringLiteral("2: expected no lines inside line 1, whose usage is not container, found "
                          "an indented line");
    QTest::newRow("not UTF-8") << QByteArray("domain A\ndomain B\xC3\x28\n")
                               << QStringLiteral(
                                      "2: expected UTF-8 text, found an invalid byte at column 9");
    QTest::newRow("encoded surrogate")
        << QByteArray("domain \xED\xA0\x80\n")
        << QStringLiteral("1: expected UTF-8 text, found an invalid byte at column 8");
    QTest::newRow("text after a quote, not ASCII")
        << QByteArray("domain \"A\"\xC3\xA9 comment=x\n")
        << QStringLiteral("1: expected a space after the closing double quote, found '\u00e9'");
    QTest::newRow("NUL in a name")
        << QByteArray("domain \"A") + '\0' + QByteArray("B\"\n    server \\\\X\n")
        << QStringLiteral("1: expected no control characters in a name after domain, found "
                          "character #0");
    QTest::newRow("control character in a value")
        << QByteArray("domain A comment=a\x1b[2J\n")
        << QStringLiteral("1: expected no control characters in a value for comment, found "
                          "character #27");
    QTest::newRow("listing fails with ERROR_MORE_DATA")
        << QByteArray("domain A enum-error=234\n")
        << QStringLiteral("1: expected an enum-error other than 234 (ERROR_MORE_DATA), which "
                          "only a record too large for the caller's buffer gives");
    // Opened by name, such a container would list the provider's top again, without end.
    QTest::newRow("container named after the provider")
        << QByteArray("network \"Described Network\"\n    server \\\\X\n")
        << QStringLiteral("1: expected a container name other than the provider's 'Described "
                          "Network'");
    QByteArray deep;
    for (int level = 0; level < 65; ++level)
        deep += QByteArray(level, ' ') + "generic G" + QByteArray::number(level) + "\n";
    QTest::newRow("nested too deep")
        << deep << QStringLiteral("65: expected lines nested at most 64 deep");
}

void tst_WinNetDescribed::malformedFilesAreRefused() {
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    DescribedNetworkFile network(text);
    HANDLE handle = reinterpret_cast<HANDLE>(0x1234);
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, RESOURCEUSAGE_CONTAINER, nullptr,
                           &handle),
             ERROR_EXTENDED_ERROR);
    QCOMPARE(handle, HANDLE(nullptr));
    QCOMPARE(lastExtendedError(), QStringLiteral("%1|%2:%3|Described Network")
                                      .arg(ERROR_BAD_FORMAT)
                                      .arg(network.path(), error));

    // Fixing the file is enough for the next walk.
    network.write("domain FIXED\n");
    QCOMPARE(WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, nullptr, &handle), NO_ERROR);
    QCOMPARE(WNetCloseEnum(handle), NO_ERROR);
}

QTEST_GUILESS_MAIN(tst_WinNetDescribed)
#include "tst_winnet_described.moc"
