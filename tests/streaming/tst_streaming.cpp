#include "SampleComponents.h"

#include <vcl/FormText.h>
#include <vcl/Resources.h>

#include <QPointer>
#include <QTest>

#include <climits>

using namespace vcl;

class tst_Streaming : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        RegisterClass<TSampleRoot>();
        RegisterClass<TSampleItem>();
        RegisterClass<TSampleLink>();
    }

    void everyKindOfValueIsRead() {
        TComponent owner(nullptr);
        auto* root = new TSampleRoot(&owner);
        InitInheritedComponent(root);

        QCOMPARE(root->Name(), QStringLiteral("Sample"));
        QCOMPARE(root->FCount, -42);
        QCOMPARE(root->FTag, 7);
        QCOMPARE(root->FCaption, QStringLiteral("It's \u00e9t\u00e9 \u20ac\nnext"));
        QCOMPARE(root->FColor, clWindowText);
        QCOMPARE(root->FKind, bkOK);
        QCOMPARE(root->FStyles, TFontStyles(fsBold | fsItalic));
        QCOMPARE(int(root->FFont.Color()), 0x123456);
        QCOMPARE(root->FFont.Name(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(root->FLines.ToStringList(),
                 (QStringList{"SERVER NAME=alpha", "", "PASSWORD=a;b}c=d"}));
        QCOMPARE(root->FBlob, QByteArray::fromHex("00FF10203040"));

        // Fields bound by name, references resolved after the whole text (Item1 comes later).
        QVERIFY(root->Item1 && root->Link1);
        QCOMPARE(root->Link1->Target(), root->Item1);
        QCOMPARE(root->Link1->FEnabled, false);
        QCOMPARE(root->Link1->DesignLeft(), 16);
        QCOMPARE(root->Link1->DesignTop(), 72);
        QCOMPARE(root->Item1->Owner(), root);

        // The handler was bound to the root's method by name.
        root->FOnFire(root->Item1);
        QCOMPARE(root->FFiredCount, 1);
        QCOMPARE(root->FFiredBy, root->Item1);
    }

    void writingWhatWasReadGivesTheSameText() {
        const QString text = QString::fromUtf8(FindResourceData(QStringLiteral("TSAMPLEROOT")));
        TComponent owner(nullptr);
        TComponent* root = ReadComponentText(text, QStringLiteral("sample"), nullptr, &owner);
        const QString written = WriteComponentText(root);
        if (written != text)
            qWarning("%s", qPrintable(written));
        QCOMPARE(written, text);
    }

    void readingWhatWasWrittenGivesEqualComponents() {
        TSampleRoot original(nullptr);
        original.SetName(QStringLiteral("Built"));
        original.FActive = true;
        original.FVisible = false;
        original.FCaption = QStringLiteral("tab\there 'quoted' \U0001F600");
        original.FColor = TColor(0x00ABCDEF);
        original.FStyles = fsUnderline;
        original.FFont.SetStyle(fsBold | fsStrikeOut);
        original.FLines.Add(QStringLiteral("one"));
        original.FBlob = QByteArray(100, '\x5a');
        auto* item = new TSampleItem(&original);
        item->SetName(QStringLiteral("Item1"));
        item->FLabel = QStringLiteral("x");
        auto* link = new TSampleLink(&original);
        link->SetName(QStringLiteral("Link1"));
        link->SetTarget(item);
        link->SetDesignPosition(5, 6);
        original.FOnFire = TNotifyEvent(&original, "Fired");

        const QString text = WriteComponentText(&original);
        TSampleRoot copy(nullptr);
        ReadComponentText(text, QStringLiteral("written"), &copy);
        QCOMPARE(copy.FActive, true);
        QCOMPARE(copy.FVisible, false);
        QCOMPARE(copy.FCaption, original.FCaption);
        QCOMPARE(copy.FColor, original.FColor);
        QCOMPARE(copy.FStyles, original.FStyles);
        QVERIFY(copy.FFont == original.FFont);
        QCOMPARE(copy.FLines.ToStringList(), original.FLines.ToStringList());
        QCOMPARE(copy.FBlob, original.FBlob);
        QVERIFY(copy.Link1 && copy.Item1);
        QCOMPARE(copy.Link1->Target(), copy.Item1);
        QCOMPARE(copy.Link1->DesignLeft(), 5);
        QVERIFY(copy.FOnFire.Assigned());
        QCOMPARE(WriteComponentText(&copy), text);
    }

    // Components may have no name; their text must still read back.
    void unnamedComponentsRoundTrip() {
        TSampleRoot original(nullptr);
        new TSampleItem(&original);
        auto* second = new TSampleItem(&original);
        second->FWeight = 3;
        const QString text = WriteComponentText(&original);
        QVERIFY2(text.startsWith(QLatin1String("object TSampleRoot\n  Active = False\n")),
                 qPrintable(text));
        QCOMPARE(text.count(QLatin1String("\n  object TSampleItem\n")), 2);

        TComponent owner(nullptr);
        TComponent* copy = ReadComponentText(text, QStringLiteral("written"), nullptr, &owner);
        QCOMPARE(copy->Name(), QString());
        QCOMPARE(copy->ComponentCount(), 2);
        QCOMPARE(qobject_cast<TSampleItem*>(copy->Components(1))->FWeight, 3);
        QCOMPARE(WriteComponentText(copy), text);

        // A name cleared by the description itself.
        TComponent other(nullptr);
        TComponent* renamed =
            ReadComponentText(QStringLiteral("object S: TSampleRoot\n  Name = ''\nend\n"),
                              QStringLiteral("renamed"), nullptr, &other);
        const QString written = WriteComponentText(renamed);
        TComponent again(nullptr);
        QCOMPARE(WriteComponentText(
                     ReadComponentText(written, QStringLiteral("again"), nullptr, &again)),
                 written);
    }

    // Point sizes and pixel heights convert both ways without overflow, even at the limits.
    void fontSizeAndNameAtTheLimits() {
        TFont font;
        font.SetSize(8);
        QCOMPARE(font.Height(), -11);
        font.SetSize(INT_MAX);
        QCOMPARE(font.Height(), -INT_MAX);
        font.SetSize(INT_MIN);
        QCOMPARE(font.Height(), INT_MAX);
        font.SetHeight(INT_MIN);
        QCOMPARE(font.Size(), 1610612736);

        // No name is the default face, so the font reads back as it was written.
        font.SetName(QStringLiteral("Arial"));
        font.SetName(QString());
        QCOMPARE(font.Name(), QStringLiteral("MS Sans Serif"));
    }

    void persistenceRules() {
        TSampleRoot root(nullptr);
        root.SetName(QStringLiteral("R"));
        const QString text = WriteComponentText(&root);
        // Booleans without a default are written even when False; defaults and empty strings
        // are not; nothing unassigned is written.
        QVERIFY(text.contains(QLatin1String("  Active = False\n")));
        QVERIFY(!text.contains(QLatin1String("Visible")));
        QVERIFY(!text.contains(QLatin1String("Tag")));
        QVERIFY(!text.contains(QLatin1String("Kind")));
        QVERIFY(!text.contains(QLatin1String("Caption")));
        QVERIFY(!text.contains(QLatin1String("Lines")));
        QVERIFY(!text.contains(QLatin1String("OnFire")));
        QVERIFY(text.contains(QLatin1String("  Font.Style = []\n")));
        QVERIFY(!text.contains(QLatin1String("Font.Pitch")));
        // Inherited-first declaration order: the root's own properties in their order.
        QVERIFY(text.indexOf(QLatin1String("Active")) < text.indexOf(QLatin1String("Count")));
        QVERIFY(text.indexOf(QLatin1String("Count")) < text.indexOf(QLatin1String("Font.Charset")));
    }

    void referencesNeverDangle() {
        TSampleRoot root(nullptr);
        auto* item = new TSampleItem(&root);
        item->SetName(QStringLiteral("Item1"));
        auto* link = new TSampleLink(nullptr);
        link->SetTarget(item);
        QCOMPARE(root.Item1, item);
        delete item;
        QCOMPARE(link->Target(), nullptr);
        QCOMPARE(root.Item1, nullptr); // the owner's field is cleared too
        QCOMPARE(root.ComponentCount(), 0);

        // Requests both ways; taking back one keeps the other.
        auto* other = new TSampleItem(nullptr);
        link->SetTarget(other);        // the link is told when the item goes
        link->FreeNotification(other); // and the item when the link goes
        link->RemoveFreeNotification(other);
        delete other;
        QCOMPARE(link->Target(), nullptr);
        delete link;
    }

    // A reference names a component the reader can find again: its own, the root (also once
    // renamed), or Owner.Name of another root with the same owner; anything else is not written.
    void referencesReadBackToTheSameComponent() {
        TComponent app(nullptr);
        auto* first = new TSampleRoot(&app);
        first->SetName(QStringLiteral("R1"));
        auto* item = new TSampleItem(first);
        item->SetName(QStringLiteral("Item1"));
        auto* second = new TSampleRoot(&app);
        second->SetName(QStringLiteral("R2"));
        auto* link = new TSampleLink(second);
        link->SetName(QStringLiteral("Link1"));
        link->SetTarget(item);
        const QString text = WriteComponentText(second);
        QVERIFY2(text.contains(QLatin1String("    Target = R1.Item1\n")), qPrintable(text));
        auto* copy = qobject_cast<TSampleRoot*>(
            ReadComponentText(text, QStringLiteral("R2"), nullptr, &app));
        QCOMPARE(copy->Name(), QStringLiteral("R2_1"));
        QCOMPARE(copy->Link1->Target(), item);

        TSampleItem loose(nullptr);
        loose.SetName(QStringLiteral("Loose"));
        link->SetTarget(&loose);
        QVERIFY(!WriteComponentText(second).contains(QLatin1String("Target")));
        link->SetTarget(nullptr);

        // A second instance of a description that names its own root.
        const QString selfText = QStringLiteral(
            "object Item9: TSampleItem\n  object L: TSampleLink\n    Target = Item9\n  end\nend\n");
        ReadComponentText(selfText, QStringLiteral("self"), nullptr, &app);
        TComponent* again = ReadComponentText(selfText, QStringLiteral("self"), nullptr, &app);
        QCOMPARE(again->Name(), QStringLiteral("Item9_1"));
        QCOMPARE(qobject_cast<TSampleLink*>(again->FindComponent(QStringLiteral("L")))->Target(),
                 again);

        // The root and one of its components of the same name: a reference would be ambiguous.
        TSampleItem same(nullptr);
        same.SetName(QStringLiteral("Same"));
        (new TSampleItem(&same))->SetName(QStringLiteral("Same"));
        auto* toRoot = new TSampleLink(&same);
        toRoot->SetTarget(&same);
        QVERIFY_THROWS_EXCEPTION(EWriteError, WriteComponentText(&same));

        // Error locations survive a source name with "%1" in it.
        try {
            ReadComponentText(QStringLiteral("object S: TSampleRoot\n"), QStringLiteral("f%1%2"),
                              nullptr, &app);
            QFAIL("accepted");
        } catch (const EReadError& e) {
            QVERIFY2(e.Message().startsWith(QLatin1String("f%1%2, line 2, column 1: ")),
                     qPrintable(e.Message()));
        }
    }

    void ownerFreesWhatItOwns() {
        QPointer<TSampleItem> a, b;
        {
            TComponent owner(nullptr);
            a = new TSampleItem(&owner);
            b = new TSampleItem(a);
            a->SetName(QStringLiteral("A"));
            QCOMPARE(owner.FindComponent(QStringLiteral("a")), a.data());
            QVERIFY_THROWS_EXCEPTION(EComponentError,
                                     (new TSampleItem(&owner))->SetName(QStringLiteral("A")));
        }
        QVERIFY(!a && !b);

        // Moving a component to an owner that has its name refuses and keeps the old owner.
        TComponent first(nullptr), second(nullptr);
        auto* item = new TSampleItem(&first);
        item->SetName(QStringLiteral("Item1"));
        (new TSampleItem(&second))->SetName(QStringLiteral("Item1"));
        QVERIFY_THROWS_EXCEPTION(EComponentError, second.InsertComponent(item));
        QCOMPARE(item->Owner(), &first);
        QCOMPARE(first.ComponentCount(), 1);
    }

    void classRegistry() {
        QCOMPARE(FindClass(QStringLiteral("tsampleitem")), &TSampleItem::staticMetaObject);
        QCOMPARE(GetClass(QStringLiteral("TNothing")), nullptr);
        QVERIFY_THROWS_EXCEPTION(EClassNotFound, FindClass(QStringLiteral("TNothing")));
        TComponent owner(nullptr);
        TComponent* c = CreateComponent(&TSampleLink::staticMetaObject, &owner);
        QVERIFY(qobject_cast<TSampleLink*>(c));
        QCOMPARE(c->Owner(), &owner);
    }

    void badInputIsRefused_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("what");
        const QString head = QStringLiteral("object S: TSampleRoot\n");
        QTest::newRow("not an object") << "thing S: TSampleRoot\nend\n"
                                       << "line 1, column 1"
                                       << "expected 'object'";
        QTest::newRow("no class after colon") << "object S: 3\nend\n"
                                              << "line 1, column 11"
                                              << "expected a class name after ':'";
        QTest::newRow("missing equals") << head + "  Count 3\nend\n"
                                        << "line 2, column 9"
                                        << "expected '='";
        QTest::newRow("unclosed string") << head + "  Caption = 'abc\nend\n"
                                         << "line 2, column 17"
                                         << "closing quote";
        QTest::newRow("missing end") << head + "  Count = 3\n"
                                     << "line 3, column 1"
                                     << "expected 'end'";
        QTest::newRow("odd hex") << head + "  Blob = {ABC}\nend\n"
                                 << "line 2, column 10"
                                 << "even number";
        QTest::newRow("huge integer") << head + "  Count = 99999999999\nend\n"
                                      << "line 2, column 11"
                                      << "32 bits";
        QTest::newRow("unknown class") << head + "  object X: TNoSuchThing\n  end\nend\n"
                                       << "line 2, column 3"
                                       << "unknown class TNoSuchThing";
        QTest::newRow("unknown property") << head + "  Colour = clRed\nend\n"
                                          << "line 2, column 3"
                                          << "unknown property Colour";
        QTest::newRow("unknown nested") << head + "  Font.Size2 = 3\nend\n"
                                        << "line 2, column 3"
                                        << "unknown property Font.Size2";
        QTest::newRow("string for integer") << head + "  Count = 'three'\nend\n"
                                            << "line 2, column 11"
                                            << "expected an integer";
        QTest::newRow("integer for Boolean") << head + "  Active = 1\nend\n"
                                             << "line 2, column 12"
                                             << "True or False";
        QTest::newRow("unknown enum name") << head + "  Kind = bkMaybe\nend\n"
                                           << "line 2, column 10"
                                           << "unknown value bkMaybe";
        QTest::newRow("number for plain enum") << head + "  Kind = 1\nend\n"
                                               << "line 2, column 10"
                                               << "one of the names";
        QTest::newRow("ident for set") << head + "  Styles = fsBold\nend\n"
                                       << "line 2, column 12"
                                       << "a set in brackets";
        QTest::newRow("missing component")
            << head + "  object L: TSampleLink\n    Target = Nobody\n  end\nend\n"
            << "line 3, column 14"
            << "no component named Nobody";
        QTest::newRow("reference of wrong class")
            << head + "  object L: TSampleLink\n    Target = L\n  end\nend\n"
            << "line 3, column 14"
            << "expected a TSampleItem";
        QTest::newRow("missing handler") << head + "  OnFire = NoSuchMethod\nend\n"
                                         << "line 2, column 12"
                                         << "no handler NoSuchMethod";
        QTest::newRow("handler of wrong shape") << head + "  OnFire = WrongShape\nend\n"
                                                << "line 2, column 12"
                                                << "no handler WrongShape";
        QTest::newRow("duplicate name")
            << head + "  object A: TSampleItem\n  end\n  object a: TSampleItem\n  end\nend\n"
            << "line 4, column 3"
            << "already exists";
        QTest::newRow("string for a design position")
            << head + "  object L: TSampleLink\n    Left = 'abc'\n  end\nend\n"
            << "line 3, column 12"
            << "value of Left: expected an integer";
        QTest::newRow("trailing text") << head + "end\nobject"
                                       << "line 3, column 1"
                                       << "end of the description";
    }

    void badInputIsRefused() {
        QFETCH(QString, text);
        QFETCH(QString, where);
        QFETCH(QString, what);
        TComponent owner(nullptr);
        try {
            ReadComponentText(text, QStringLiteral("TESTRES"), nullptr, &owner);
            QFAIL("the description was accepted");
        } catch (const EReadError& e) {
            QVERIFY2(e.Message().startsWith(QStringLiteral("TESTRES, ") + where + ": "),
                     qPrintable(e.Message()));
            QVERIFY2(e.Message().contains(what), qPrintable(e.Message()));
        }
        // Nothing half-built survives.
        QCOMPARE(owner.ComponentCount(), 0);
    }

    void errorInsideAnExistingRootLeavesNoChildren() {
        TSampleRoot root(nullptr);
        const QString text = QStringLiteral("object S: TSampleRoot\n  object Item1: TSampleItem\n"
                                            "  end\n  object L: TSampleLink\n    Target = Zed\n"
                                            "  end\nend\n");
        QVERIFY_THROWS_EXCEPTION(EReadError, ReadComponentText(text, QStringLiteral("x"), &root));
        QCOMPARE(root.ComponentCount(), 0);
        QCOMPARE(root.Item1, nullptr);
    }

    void rootOfAnotherClassIsRefused() {
        TSampleRoot root(nullptr);
        try {
            ReadComponentText(QStringLiteral("object S: TSampleItem\nend\n"), QStringLiteral("R"),
                              &root);
            QFAIL("accepted");
        } catch (const EReadError& e) {
            QVERIFY2(e.Message().contains(QLatin1String("expected the class TSampleRoot")),
                     qPrintable(e.Message()));
        }
    }

    void stringListValues() {
        TStringList params;
        params.Values[QStringLiteral("SERVER NAME")] = QStringLiteral("alpha");
        params.Values[QStringLiteral("USER NAME")] = QStringLiteral("sa");
        params.Values[QStringLiteral("server name")] = QStringLiteral("beta");
        QCOMPARE(params.ToStringList(), (QStringList{"server name=beta", "USER NAME=sa"}));
        params.Values[QStringLiteral("Server Name")] = QString();
        QCOMPARE(params.ToStringList(), QStringList{"USER NAME=sa"});
        QCOMPARE(String(params.Values[QStringLiteral("USER NAME")]), QStringLiteral("sa"));
        QCOMPARE(String(params.Values[QStringLiteral("PASSWORD")]), QString());

        // A line without "=" has no name, not even an empty one.
        TStringList lines;
        lines.Add(QStringLiteral("hello"));
        lines.Add(QStringLiteral("K=v"));
        QCOMPARE(String(lines.Values[QString()]), QString());
        lines.Values[QString()] = QStringLiteral("x");
        QCOMPARE(lines.ToStringList(), (QStringList{"hello", "K=v", "=x"}));
    }
};

QTEST_GUILESS_MAIN(tst_Streaming)
#include "tst_streaming.moc"
