#pragma once

// The registry accessor. Key paths use backslashes ("Software\Vendor\App"); a path with a
// leading backslash starts at the root key, any other one at the open key (or at the root key
// when none is open). Key and value names compare without regard to case and keep the case
// they were created with.

#include "Classes.h"
#include "SysUtils.h"
#include "VclExport.h"

#include <memory>
#include <optional>

namespace vcl {

// The predefined root keys keep the values they have on Windows.
using HKEY = quint32;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;
inline constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004u;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006u;

// "HKEY_CURRENT_USER" for HKEY_CURRENT_USER; the number in hexadecimal for any other key.
VCL_EXPORT String RootKeyName(HKEY Key);

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

VCL_DECLARE_EXCEPTION(ERegistryException, Exception)

class THive;

class VCL_EXPORT TRegistry {
public:
    TRegistry();
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return FRootKey; }
    // Closes the open key.
    void SetRootKey(HKEY Value);
    // Path of the open key below the root key, without a leading backslash; empty when none.
    const String& CurrentPath() const { return FCurrentPath; }
    bool HasCurrentKey() const { return FCurrentKey.has_value(); }

    // Makes Key the open key and returns true, or returns false and keeps the open key when Key
    // does not exist (and may not be created) or is not a valid path.
    bool OpenKey(const String& Key, bool CanCreate);
    bool OpenKeyReadOnly(const String& Key) { return OpenKey(Key, false); }
    void CloseKey();
    bool KeyExists(const String& Key);
    // Deletes Key with all its subkeys and values; false when there is no such key.
    bool DeleteKey(const String& Key);
    bool HasSubKeys();
    void GetKeyNames(TStrings* Strings);

    // Value operations act on the open key and raise ERegistryException when none is open.
    bool ValueExists(const String& Name);
    // A missing value reads as an empty string; a value of another type raises.
    String ReadString(const String& Name);
    void WriteString(const String& Name, const String& Value);
    bool DeleteValue(const String& Name);
    TRegDataType GetDataType(const String& Name);
    void GetValueNames(TStrings* Strings);

private:
    struct Target;
    THive& Hive();
    Target Resolve(const String& Key) const;
    qint64 RequireCurrentKey(const String& What) const;
    String FullPath(const String& Path) const;

    HKEY FRootKey = HKEY_CURRENT_USER;
    std::unique_ptr<THive> FHive;
    std::optional<qint64> FCurrentKey;
    String FCurrentPath;
};

} // namespace vcl
