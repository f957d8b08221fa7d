#include <vcl/Packages.h>

#include <QTest>
#include <dlfcn.h>

using namespace vcl;

namespace {
QString Library(const char* name) {
    return qEnvironmentVariable("PACKAGE_DIR") + QStringLiteral("/lib") + QLatin1String(name) +
           QStringLiteral(".so");
}
const QStringList Host{QStringLiteral("vcl30")};
} // namespace

class tst_Packages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void declarationRoundTrips() {
        TPackageDeclaration d;
        d.Name = QStringLiteral("P");
        d.Flags = pfPackageModule | pfDesignOnly;
        d.Contains = QStringList{"P", "a", "b"};
        d.Requires = QStringList{"x", "y"};
        const TPackageDeclaration back = TPackageDeclaration::Decode(d.Encode());
        QCOMPARE(back.Name, d.Name);
        QCOMPARE(back.Flags, d.Flags);
        QCOMPARE(back.Contains, d.Contains);
        QCOMPARE(back.Requires, d.Requires);
        QCOMPARE(back.FlagsText(), QStringLiteral("package module, design time only"));
        QVERIFY_THROWS_EXCEPTION(EPackageError, TPackageDeclaration::Decode("Flags: 1\n"));
        QVERIFY_THROWS_EXCEPTION(EPackageError,
                                 TPackageDeclaration::Decode("Package: P\nFlags: x\n"));
    }

    void loadRegisterUnload() {
        auto package = LoadPackage(Library("samplepkg"), Host);
        QCOMPARE(package->Declaration().Name, QStringLiteral("SamplePkg"));
        QCOMPARE(package->Declaration().Contains, (QStringList{"SamplePkg", "SampleUnit"}));
        QCOMPARE(package->Description(), QStringLiteral("Sample package"));
        QVERIFY(package->ResourceNames().contains(QStringLiteral("PACKAGEINFO")));
        // A handle of our own keeps the code mapped after the host unloads the package.
        void* pinned = dlopen(qPrintable(Library("samplepkg")), RTLD_NOW);
        QVERIFY(pinned);
        auto initialised = reinterpret_cast<int (*)()>(dlsym(pinned, "SampleUnitsInitialised"));
        QVERIFY(initialised);
        QCOMPARE(initialised(), 1);

        QVERIFY(GetClass(QStringLiteral("TSampleHelper")));
        package->Register();
        QCOMPARE(PalettePages(), QStringList{"Samples"});
        QCOMPARE(PaletteClasses(QStringLiteral("Samples")).size(), 1);
        QVERIFY(GetClass(QStringLiteral("TSampleWidget")));

        try {
            auto twice = LoadPackage(Library("samplepkg"), Host);
            QFAIL("loaded twice");
        } catch (const EPackageError& e) {
            QVERIFY2(e.Message().contains(QLatin1String("already loaded")),
                     qPrintable(e.Message()));
        }
        QCOMPARE(initialised(), 1); // the refused second load initialised nothing

        package.reset();
        QCOMPARE(initialised(), 0);
        QVERIFY(PalettePages().isEmpty());
        QVERIFY(!GetClass(QStringLiteral("TSampleWidget")));
        QVERIFY(!GetClass(QStringLiteral("TSampleHelper"))); // registered by a module's start-up
        dlclose(pinned);
    }

    void refusedLibraries_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a package") << Library("notapackage") << "has no entry point Initialize";
        QTest::newRow("no Finalize") << Library("nofinpkg") << "has no entry point Finalize";
        QTest::newRow("missing required package")
            << Library("needypkg")
            << "requires package NoSuchPkg, which this host does not provide";
        QTest::newRow("no such file")
            << QStringLiteral("/nonexistent/libx.so") << "Cannot load package";
    }

    void refusedLibraries() {
        QFETCH(QString, file);
        QFETCH(QString, message);
        try {
            LoadPackage(file, Host);
            QFAIL("accepted");
        } catch (const EPackageError& e) {
            QVERIFY2(e.Message().contains(message), qPrintable(e.Message()));
        }
        QVERIFY(PalettePages().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_Packages)
#include "tst_packages.moc"
