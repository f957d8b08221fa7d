// The built package as a host loads it: its declaration, resources, palette registration and
// unloading, and what the host program prints.

#include <vcl/Graphics.h>
#include <vcl/Packages.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTest>

using namespace vcl;

namespace {
const QStringList Host{"vcl30", "vcldb30", "vclx30", "VclSmp30", "RxCtl"};
QString PackageFile() {
    return qEnvironmentVariable("CORVANE_PACKAGE");
}
} // namespace

class tst_Package : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void declarationResourcesAndPalette() {
        auto package = LoadPackage(PackageFile(), Host);
        const TPackageDeclaration& d = package->Declaration();
        QCOMPARE(d.Name, QStringLiteral("Corvane"));
        QCOMPARE(d.Flags, 0x40000002u);
        QCOMPARE(d.FlagsText(), QStringLiteral("package module, design time only"));
        QCOMPARE(d.Contains, (QStringList{"Corvane", "connect", "SQLConnect", "SysInit", "ListReg",
                                          "ListSerFm"}));
        QCOMPARE(d.Requires, (QStringList{"RxCtl", "VclSmp30", "vcldb30", "vclx30", "vcl30"}));
        QCOMPARE(package->Description(), QStringLiteral("TSQLConnect component"));
        // UTF-16 text, two bytes a character.
        QCOMPARE(package->Resource(QStringLiteral("DESCRIPTION")).size(), 2 * 21);

        for (const char* name : {"TSQLCONNECT", "TLISTSERVERDIALOG"}) {
            TBitmap image;
            image.SetData(package->Resource(QLatin1String(name)));
            QCOMPARE(image.Width(), 24);
            QCOMPARE(image.Height(), 24);
            QCOMPARE(image.PaletteColors(), 16);
        }
        for (const char* form : {"TCONNECTFORM", "TLISTSERVERFORM"})
            QVERIFY2(package->Resource(QLatin1String(form)).startsWith("object "), form);

        QVERIFY(PalettePages().isEmpty()); // nothing before Register
        package->Register();
        QCOMPARE(PalettePages(), QStringList{"System"});
        const QList<TComponentClass> classes = PaletteClasses(QStringLiteral("System"));
        QCOMPARE(classes.size(), 2);
        QCOMPARE(ShortClassName(classes[0]), QStringLiteral("TSQLConnect"));
        QCOMPARE(ShortClassName(classes[1]), QStringLiteral("TListServerDialog"));
        QVERIFY(GetClass(QStringLiteral("TSQLConnect")));

        package.reset(); // finalised and unloaded
        QVERIFY(PalettePages().isEmpty());
        QVERIFY(!GetClass(QStringLiteral("TSQLConnect")));
        QVERIFY(!GetClass(QStringLiteral("TListServerDialog")));
    }

    void loadingAgainAfterUnloading() {
        { auto first = LoadPackage(PackageFile(), Host); }
        auto again = LoadPackage(PackageFile(), Host);
        again->Register();
        QCOMPARE(PaletteClasses(QStringLiteral("System")).size(), 2);
    }

    void hostThatLacksARequiredPackage() {
        try {
            LoadPackage(PackageFile(), QStringList{"vcl30"});
            QFAIL("accepted");
        } catch (const EPackageError& e) {
            QVERIFY2(e.Message().contains(QLatin1String("requires package RxCtl")),
                     qPrintable(e.Message()));
        }
    }

    void hostPrintsTheDescriptionOfANewComponent_data() {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("component");
        QTest::newRow("TSQLConnect") << "TSQLConnect"
                                     << "  object SQLConnect1: TSQLConnect\n"
                                        "    CheckOnExec = False\n"
                                        "    Left = 16\n"
                                        "    Top = 16\n"
                                        "  end\n"
                                        "end\n";
        QTest::newRow("TListServerDialog") << "TListServerDialog"
                                           << "  object ListServerDialog1: TListServerDialog\n"
                                              "    SQLServerOnly = False\n"
                                              "    Font.Charset = DEFAULT_CHARSET\n"
                                              "    Font.Color = clWindowText\n"
                                              "    Font.Height = -11\n"
                                              "    Font.Name = 'MS Sans Serif'\n"
                                              "    Font.Style = []\n"
                                              "    Left = 16\n"
                                              "    Top = 16\n"
                                              "  end\n"
                                              "end\n";
    }

    void hostPrintsTheDescriptionOfANewComponent() {
        QFETCH(QString, className);
        QFETCH(QString, component);
        QProcess host;
        host.start(qEnvironmentVariable("CORVANE_HOST"),
                   {PackageFile(), QStringLiteral("--new"), className});
        QVERIFY(host.waitForFinished(30000));
        QCOMPARE(host.exitCode(), 0);
        const QString out = QString::fromUtf8(host.readAllStandardOutput());
        QVERIFY2(out.startsWith(QLatin1String("object Form1: TForm\n")), qPrintable(out));
        QVERIFY2(out.endsWith(component), qPrintable(out));
    }

    void hostPrintsDeclarationAndPalette() {
        QProcess host;
        const QString picture = QDir::currentPath() + QStringLiteral("/palette.png");
        host.start(qEnvironmentVariable("CORVANE_HOST"),
                   {PackageFile(), QStringLiteral("--palette"), picture});
        QVERIFY(host.waitForFinished(30000));
        QCOMPARE(host.exitCode(), 0);
        const QString out = QString::fromUtf8(host.readAllStandardOutput());
        QVERIFY2(
            out.contains(QLatin1String("Flags:    0x40000002 (package module, design time only)")),
            qPrintable(out));
        QVERIFY2(
            out.contains(QLatin1String("  System\n    TSQLConnect (image 24 x 24, 16 colours)\n"
                                       "    TListServerDialog (image 24 x 24, 16 colours)\n")),
            qPrintable(out));
        QVERIFY(QImage(picture).width() > 0);
        qInfo("palette picture: %s", qPrintable(picture));
    }

    void hostRefusesALibraryThatIsNotAPackage() {
        QProcess host;
        host.start(qEnvironmentVariable("CORVANE_HOST"), {qEnvironmentVariable("NOT_A_PACKAGE")});
        QVERIFY(host.waitForFinished(30000));
        QCOMPARE(host.exitCode(), 1);
        QVERIFY(QString::fromUtf8(host.readAllStandardError())
                    .contains(QLatin1String("is not a package")));
    }
};

QTEST_MAIN(tst_Package)
#include "tst_package.moc"
