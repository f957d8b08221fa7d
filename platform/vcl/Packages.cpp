#include "Packages.h"

#include "Resources.h"

#include <QFileInfo>
#include <QLibrary>

namespace vcl {

// ---- declaration

// The declaration is a short text, one item a line:
//   Package: Corvane
//   Flags: 0x40000002
//   Contains: Corvane connect SQLConnect
//   Requires: RxCtl vcl30
QByteArray TPackageDeclaration::Encode() const {
    QString text;
    text += QStringLiteral("Package: %1\n").arg(Name);
    text += QStringLiteral("Flags: 0x%1\n").arg(Flags, 8, 16, QLatin1Char('0'));
    text += QStringLiteral("Contains: %1\n").arg(Contains.join(QLatin1Char(' ')));
    text += QStringLiteral("Requires: %1\n").arg(Requires.join(QLatin1Char(' ')));
    return text.toUtf8();
}

TPackageDeclaration TPackageDeclaration::Decode(const QByteArray& Bytes) {
    TPackageDeclaration d;
    QStringList seen;
    const QStringList lines = QString::fromUtf8(Bytes).split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty())
            continue;
        auto bad = [&](const QString& expected) {
            throw EPackageError(
                QStringLiteral("The package declaration is not valid: line %1: expected %2")
                    .arg(n + 1)
                    .arg(expected));
        };
        const int colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            bad(QStringLiteral("'Item: value'"));
        const QString key = line.left(colon).trimmed();
        const QStringList values = line.mid(colon + 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (seen.contains(key))
            bad(QStringLiteral("%1 only once").arg(key));
        seen.append(key);
        if (key == QLatin1String("Package")) {
            if (values.size() != 1)
                bad(QStringLiteral("one package name"));
            d.Name = values[0];
        } else if (key == QLatin1String("Flags")) {
            bool ok = false;
            d.Flags = values.size() == 1 ? values[0].toUInt(&ok, 0) : 0;
            if (!ok)
                bad(QStringLiteral("the flags as one number"));
        } else if (key == QLatin1String("Contains")) {
            d.Contains = values;
        } else if (key == QLatin1String("Requires")) {
            d.Requires = values;
        } else {
            bad(QStringLiteral("Package, Flags, Contains or Requires"));
        }
    }
    if (d.Name.isEmpty() || !seen.contains(QLatin1String("Flags")))
        throw EPackageError(
            QStringLiteral("The package declaration is not valid: expected Package and Flags"));
    return d;
}

String TPackageDeclaration::FlagsText() const {
    QStringList parts;
    switch (Flags & pfModuleTypeMask) {
    case pfPackageModule:
        parts << QStringLiteral("package module");
        break;
    case pfLibraryModule:
        parts << QStringLiteral("library module");
        break;
    case pfExeModule:
        parts << QStringLiteral("executable module");
        break;
    default:
        parts << QStringLiteral("unknown module type");
        break;
    }
    if (Flags & pfDesignOnly)
        parts << QStringLiteral("design time only");
    if (Flags & pfRunOnly)
        parts << QStringLiteral("run time only");
    if (Flags & pfNeverBuild)
        parts << QStringLiteral("never rebuilt");
    if (Flags & pfIgnoreDupUnits)
        parts << QStringLiteral("ignores duplicate modules");
    return parts.join(QStringLiteral(", "));
}

// ---- palette

namespace {
QList<TPaletteEntry>& Palette() {
    static QList<TPaletteEntry> entries;
    return entries;
}
QString& RegisteringPackage() {
    static QString name;
    return name;
}
} // namespace

void RegisterComponents(const String& Page, std::initializer_list<TComponentClass> Classes) {
    for (TComponentClass cls : Classes) {
        if (!cls || !cls->inherits(&TComponent::staticMetaObject))
            throw EPackageError(QStringLiteral("Only component classes can be put on the palette"));
        RegisterClass(cls);
        bool known = false;
        for (const TPaletteEntry& e : std::as_const(Palette()))
            known = known || e.Class == cls;
        if (!known)
            Palette().append({Page, cls, RegisteringPackage()});
    }
}

QList<TPaletteEntry> PaletteEntries() {
    return Palette();
}

QStringList PalettePages() {
    QStringList pages;
    for (const TPaletteEntry& e : std::as_const(Palette()))
        if (!pages.contains(e.Page))
            pages.append(e.Page);
    return pages;
}

QList<TComponentClass> PaletteClasses(const String& Page) {
    QList<TComponentClass> classes;
    for (const TPaletteEntry& e : std::as_const(Palette()))
        if (e.Page == Page)
            classes.append(e.Class);
    return classes;
}

// ---- module tables

void InitializePackage(const TPackageInfoTable* Table) {
    if (!Table || Table->UnitCount < 0 || (Table->UnitCount > 0 && !Table->UnitInfo))
        throw EPackageError(QStringLiteral("The package's module table is not valid"));
    int done = 0;
    try {
        for (; done < Table->UnitCount; ++done)
            if (Table->UnitInfo[done].Init)
                Table->UnitInfo[done].Init();
    } catch (...) {
        while (done-- > 0)
            if (Table->UnitInfo[done].FInit)
                Table->UnitInfo[done].FInit();
        throw;
    }
}

void FinalizePackage(const TPackageInfoTable* Table) {
    if (!Table || !Table->UnitInfo)
        return;
    for (int i = Table->UnitCount - 1; i >= 0; --i)
        if (Table->UnitInfo[i].FInit)
            Table->UnitInfo[i].FInit();
}

// ---- loaded packages

namespace {
QStringList& LoadedNames() {
    static QStringList names;
    return names;
}
QStringList& LoadedFiles() {
    static QStringList files;
    return files;
}
} // namespace

struct TPackage::Private {
    QLibrary Library;
    void (*Initialize)() = nullptr;
    void (*Finalize)() = nullptr;
    const TPackageInfoTable* (*GetTable)() = nullptr;
    bool Initialized = false;
    // Every class the library registered, from its static initialisers on.
    QList<TComponentClass> Registered;
};

TPackage::TPackage() : d(std::make_unique<Private>()) {}

TPackage::~TPackage() {
    if (d->Initialized && d->Finalize)
        d->Finalize();
    // Nothing registered by the package may outlive its code.
    QList<TPaletteEntry>& entries = Palette();
    for (qsizetype i = entries.size() - 1; i >= 0; --i)
        if ((d->Initialized && entries[i].Package == FDeclaration.Name) ||
            d->Registered.contains(entries[i].Class))
            entries.removeAt(i);
    for (TComponentClass cls : std::as_const(d->Registered))
        UnRegisterClass(cls);
    if (d->Initialized) {
        LoadedNames().removeAll(FDeclaration.Name);
        LoadedFiles().removeAll(QFileInfo(d->Library.fileName()).canonicalFilePath());
    }
    d->Library.unload();
}

String TPackage::FileName() const {
    return d->Library.fileName();
}

String TPackage::Description() const {
    const QByteArray bytes = Resource(QStringLiteral("DESCRIPTION"));
    QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    while (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

void TPackage::Register() {
    const TPackageInfoTable* table = d->GetTable();
    RegisteringPackage() = FDeclaration.Name;
    const TClassRegistrationLog log(d->Registered);
    try {
        for (int i = 0; i < table->UnitCount; ++i)
            if (table->UnitInfo[i].Register)
                table->UnitInfo[i].Register();
    } catch (...) {
        RegisteringPackage().clear();
        throw;
    }
    RegisteringPackage().clear();
}

QStringList TPackage::ResourceNames() const {
    return ModuleResourceNames(FDeclaration.Name);
}

QByteArray TPackage::Resource(const String& Name) const {
    return ModuleResourceData(FDeclaration.Name, Name);
}

std::unique_ptr<TPackage> LoadPackage(const String& FileName, const QStringList& Available) {
    std::unique_ptr<TPackage> package(new TPackage);
    TPackage::Private& p = *package->d;
    const QString shown = QFileInfo(FileName).fileName();
    // A second load of a loaded package must not touch the library the first one uses.
    const QString canonical = QFileInfo(FileName).canonicalFilePath();
    if (!canonical.isEmpty() && LoadedFiles().contains(canonical))
        throw EPackageError(QStringLiteral("Package %1 is already loaded").arg(shown));
    p.Library.setFileName(FileName);
    const TClassRegistrationLog log(p.Registered);
    if (!p.Library.load())
        throw EPackageError(
            QStringLiteral("Cannot load package %1: %2").arg(shown, p.Library.errorString()));
    auto need = [&](const char* symbol) {
        QFunctionPointer f = p.Library.resolve(symbol);
        if (!f)
            throw EPackageError(QStringLiteral("%1 is not a package: it has no entry point %2")
                                    .arg(shown, QLatin1String(symbol)));
        return f;
    };
    p.Initialize = reinterpret_cast<void (*)()>(need("Initialize"));
    p.Finalize = reinterpret_cast<void (*)()>(need("Finalize"));
    p.GetTable = reinterpret_cast<const TPackageInfoTable* (*)()>(need("GetPackageInfoTable"));

    // The module table names the package's own module first; its resources carry the
    // declaration under that name.
    const TPackageInfoTable* table = p.GetTable();
    if (!table || table->UnitCount < 1 || !table->UnitInfo || !table->UnitInfo[0].Name)
        throw EPackageError(
            QStringLiteral("%1 is not a package: its module table is empty").arg(shown));
    const QString own = QString::fromUtf8(table->UnitInfo[0].Name);
    if (LoadedNames().contains(own, Qt::CaseInsensitive))
        throw EPackageError(QStringLiteral("Package %1 is already loaded").arg(own));
    if (!ModuleResourceExists(own, QStringLiteral("PACKAGEINFO")))
        throw EPackageError(
            QStringLiteral("%1 is not a package: it carries no PACKAGEINFO resource").arg(shown));
    const TPackageDeclaration decl =
        TPackageDeclaration::Decode(ModuleResourceData(own, QStringLiteral("PACKAGEINFO")));
    if (decl.Name != own)
        throw EPackageError(QStringLiteral("Package %1 declares the name %2").arg(own, decl.Name));
    if ((decl.Flags & pfModuleTypeMask) != pfPackageModule)
        throw EPackageError(QStringLiteral("%1 is not a package module (flags 0x%2)")
                                .arg(decl.Name)
                                .arg(decl.Flags, 8, 16, QLatin1Char('0')));
    for (const String& required : std::as_const(decl.Requires))
        if (!Available.contains(required, Qt::CaseInsensitive))
            throw EPackageError(QStringLiteral("Package %1 requires package %2, which this host "
                                               "does not provide")
                                    .arg(decl.Name, required));
    package->FDeclaration = decl;
    p.Initialize();
    p.Initialized = true;
    LoadedNames().append(decl.Name);
    LoadedFiles().append(QFileInfo(p.Library.fileName()).canonicalFilePath());
    return package;
}

} // namespace vcl
