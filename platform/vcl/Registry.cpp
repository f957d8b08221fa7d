#include "Registry.h"

#include "Hive.h"

namespace vcl {

namespace {
// Longest key name the original registry accepts.
constexpr int MaxKeyNameLength = 255;
const QChar Separator = QLatin1Char('\\');
} // namespace

String RootKeyName(HKEY Key) {
    switch (Key) {
    case HKEY_CLASSES_ROOT:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER:
        return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case HKEY_USERS:
        return QStringLiteral("HKEY_USERS");
    case HKEY_PERFORMANCE_DATA:
        return QStringLiteral("HKEY_PERFORMANCE_DATA");
    case HKEY_CURRENT_CONFIG:
        return QStringLiteral("HKEY_CURRENT_CONFIG");
    case HKEY_DYN_DATA:
        return QStringLiteral("HKEY_DYN_DATA");
    }
    return QStringLiteral("0x%1").arg(Key, 8, 16, QLatin1Char('0'));
}

// A key path taken apart: where it starts, the names below that, and the path the key would
// have as the open key.
struct TRegistry::Target {
    bool Valid = false;
    std::optional<THiveKey> Base; // none: the root key
    QStringList Names;
    String Path;
};

TRegistry::TRegistry() = default;

TRegistry::~TRegistry() {
    CloseKey();
}

void TRegistry::SetRootKey(HKEY Value) {
    if (Value == FRootKey)
        return;
    CloseKey();
    FHive.reset();
    FRootKey = Value;
}

THive& TRegistry::Hive() {
    if (!FHive)
        FHive = OpenHive(FRootKey);
    return *FHive;
}

TRegistry::Target TRegistry::Resolve(const String& Key) const {
    Target t;
    String path = Key;
    const bool fromRoot = path.startsWith(Separator);
    if (fromRoot)
        path.remove(0, 1);
    if (path.endsWith(Separator))
        path.chop(1);
    if (!path.isEmpty())
        t.Names = path.split(Separator);
    for (const String& name : t.Names)
        if (name.isEmpty() || name.size() > MaxKeyNameLength)
            return t;
    if (!fromRoot && FCurrentKey) {
        t.Base = FCurrentKey;
        t.Path = path.isEmpty()           ? FCurrentPath
                 : FCurrentPath.isEmpty() ? path
                                          : FCurrentPath + Separator + path;
    } else {
        t.Path = path;
    }
    t.Valid = true;
    return t;
}

String TRegistry::FullPath(const String& Path) const {
    return Path.isEmpty() ? RootKeyName(FRootKey) : RootKeyName(FRootKey) + Separator + Path;
}

bool TRegistry::OpenKey(const String& Key, bool CanCreate) {
    const Target t = Resolve(Key);
    if (!t.Valid)
        return false;
    THive& hive = Hive();
    const THiveKey base = t.Base ? *t.Base : hive.Root();
    const std::optional<THiveKey> key =
        CanCreate ? hive.CreateKey(base, t.Names) : hive.FindKey(base, t.Names);
    if (!key)
        return false;
    CloseKey();
    FCurrentKey = key;
    FCurrentPath = t.Path;
    return true;
}

void TRegistry::CloseKey() {
    if (FCurrentKey && FHive)
        FHive->ReleaseKey(*FCurrentKey);
    FCurrentKey.reset();
    FCurrentPath.clear();
}

bool TRegistry::KeyExists(const String& Key) {
    const Target t = Resolve(Key);
    if (!t.Valid)
        return false;
    THive& hive = Hive();
    const std::optional<THiveKey> key = hive.FindKey(t.Base ? *t.Base : hive.Root(), t.Names);
    if (key)
        hive.ReleaseKey(*key);
    return key.has_value();
}

bool TRegistry::DeleteKey(const String& Key) {
    const Target t = Resolve(Key);
    // Neither the root nor the open key itself (an empty path) is deleted.
    if (!t.Valid || t.Names.isEmpty())
        return false;
    THive& hive = Hive();
    return hive.DeleteKey(t.Base ? *t.Base : hive.Root(), t.Names);
}

bool TRegistry::HasSubKeys() {
    const THiveKey key = RequireCurrentKey(QStringLiteral("list the subkeys"));
    return !Hive().SubKeyNames(key).isEmpty();
}

void TRegistry::GetKeyNames(TStrings* Strings) {
    const THiveKey key = RequireCurrentKey(QStringLiteral("list the subkeys"));
    Strings->SetStringList(Hive().SubKeyNames(key));
}

THiveKey TRegistry::RequireCurrentKey(const String& What) const {
    if (!FCurrentKey)
        throw ERegistryException(
            QStringLiteral("Cannot %1: no key is open in %2 (open one with OpenKey first)")
                .arg(What, RootKeyName(FRootKey)));
    return *FCurrentKey;
}

namespace {
String ValueOp(const char* Operation, const String& Name) {
    return QStringLiteral("%1 '%2'").arg(QLatin1String(Operation), Name);
}
} // namespace

bool TRegistry::ValueExists(const String& Name) {
    const THiveKey key = RequireCurrentKey(ValueOp("look up value", Name));
    return Hive().ReadValue(key, Name).has_value();
}

String TRegistry::ReadString(const String& Name) {
    const THiveKey key = RequireCurrentKey(ValueOp("read value", Name));
    const std::optional<THiveValue> value = Hive().ReadValue(key, Name);
    if (!value)
        return String();
    if (value->Type != rdString && value->Type != rdExpandString)
        throw ERegistryException(
            QStringLiteral("Value '%1' of %2 is not a string").arg(Name, FullPath(FCurrentPath)));
    return value->Data;
}

void TRegistry::WriteString(const String& Name, const String& Value) {
    const THiveKey key = RequireCurrentKey(ValueOp("write value", Name));
    if (!Hive().WriteValue(key, Name, THiveValue{rdString, Value}))
        throw ERegistryException(QStringLiteral("Cannot write value '%1': key %2 has been deleted")
                                     .arg(Name, FullPath(FCurrentPath)));
}

bool TRegistry::DeleteValue(const String& Name) {
    const THiveKey key = RequireCurrentKey(ValueOp("delete value", Name));
    return Hive().DeleteValue(key, Name);
}

TRegDataType TRegistry::GetDataType(const String& Name) {
    const THiveKey key = RequireCurrentKey(ValueOp("read the type of value", Name));
    const std::optional<THiveValue> value = Hive().ReadValue(key, Name);
    return value ? value->Type : rdUnknown;
}

void TRegistry::GetValueNames(TStrings* Strings) {
    const THiveKey key = RequireCurrentKey(QStringLiteral("list the values"));
    Strings->SetStringList(Hive().ValueNames(key));
}

} // namespace vcl
