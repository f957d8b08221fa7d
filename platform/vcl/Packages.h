#pragma once

// The package protocol: a package is a shared library carrying its declaration ("PACKAGEINFO")
// and a module table; a host loads it, registers its components on the palette, and unloads it.

#include "Classes.h"

#include <QStringList>
#include <memory>

extern "C" {
// One entry per module the package contains, in the declared order.
struct TPackageUnitEntry {
    const char* Name;
    void (*Init)();     // the module's initialisation, or null
    void (*FInit)();    // its finalisation, or null
    void (*Register)(); // its palette registration, or null
};
struct TPackageInfoTable {
    int UnitCount;
    const TPackageUnitEntry* UnitInfo;
};
}

namespace vcl {

// Package flags of the declaration.
inline constexpr quint32 pfNeverBuild = 0x00000001;
inline constexpr quint32 pfDesignOnly = 0x00000002;
inline constexpr quint32 pfRunOnly = 0x00000004;
inline constexpr quint32 pfIgnoreDupUnits = 0x00000008;
inline constexpr quint32 pfModuleTypeMask = 0xC0000000;
inline constexpr quint32 pfExeModule = 0x00000000;
inline constexpr quint32 pfPackageModule = 0x40000000;
inline constexpr quint32 pfLibraryModule = 0x80000000;

struct VCL_EXPORT TPackageDeclaration {
    String Name;
    quint32 Flags = 0;
    QStringList Contains;
    QStringList Requires;

    // The form carried as the "PACKAGEINFO" resource.
    QByteArray Encode() const;
    // Raises EPackageError when Bytes are not a package declaration.
    static TPackageDeclaration Decode(const QByteArray& Bytes);
    // "package module, design time only"
    String FlagsText() const;
};

VCL_DECLARE_EXCEPTION(EPackageError, Exception)

// Called by a package's Register procedures: puts the classes on a palette page.
VCL_EXPORT void RegisterComponents(const String& Page,
                                   std::initializer_list<TComponentClass> Classes);

struct TPaletteEntry {
    String Page;
    TComponentClass Class;
    String Package;
};
// Pages in the order they were first used, each with its classes in registration order.
VCL_EXPORT QList<TPaletteEntry> PaletteEntries();
VCL_EXPORT QStringList PalettePages();
VCL_EXPORT QList<TComponentClass> PaletteClasses(const String& Page);

// Runs a module table's initialisations in order; raises EPackageError when one fails, after
// finalising those already initialised.
VCL_EXPORT void InitializePackage(const TPackageInfoTable* Table);
// Runs the finalisations in reverse order.
VCL_EXPORT void FinalizePackage(const TPackageInfoTable* Table);

// A package loaded by a host.
class VCL_EXPORT TPackage {
public:
    ~TPackage();
    TPackage(const TPackage&) = delete;
    TPackage& operator=(const TPackage&) = delete;

    const TPackageDeclaration& Declaration() const { return FDeclaration; }
    String Description() const;
    String FileName() const;
    // Calls each module's Register; the classes are put on the palette under this package.
    void Register();
    // Resources the package carries.
    QStringList ResourceNames() const;
    QByteArray Resource(const String& Name) const;

private:
    friend VCL_EXPORT std::unique_ptr<TPackage> LoadPackage(const String&, const QStringList&);
    TPackage();

public:
    struct Private;

private:
    std::unique_ptr<Private> d;
    TPackageDeclaration FDeclaration;
};

// Loads the library at FileName as a package: checks its entry points and declaration, that
// every package it requires is in Available, and that it is not loaded already; then runs
// Initialize. Raises EPackageError naming what is wrong; a refused library is unloaded again.
// Destroying the package finalises it, removes its classes from the palette and the class
// registry, and unloads the library.
VCL_EXPORT std::unique_ptr<TPackage> LoadPackage(const String& FileName,
                                                 const QStringList& Available);

} // namespace vcl
