#pragma once

// A registry hive as the registry accessor sees it: a tree of keys, each holding named values.
// This is where the platform's registry plugs in. Linux has one backend, the current user's
// SQLite file; on Windows a backend over RegOpenKeyExW/RegSetValueExW would hand out real key
// handles as THiveKey and close them in ReleaseKey.

#include "Registry.h"

#include <QStringList>

#include <memory>
#include <optional>

namespace vcl {

// A key of the hive: only valid for the hive that returned it.
using THiveKey = qint64;

struct THiveValue {
    TRegDataType Type = rdString;
    String Data;
};

// Every failure is raised as ERegistryException naming the hive and what went wrong. Names
// compare without regard to case and keep the case they were created with. A path is a list of
// key names below a key, none of them empty.
class VCL_EXPORT THive {
public:
    virtual ~THive();

    virtual THiveKey Root() = 0;
    // Keys found from a Base that has been deleted since it was found do not exist.
    virtual std::optional<THiveKey> FindKey(THiveKey Base, const QStringList& Path) = 0;
    // Creates every missing key of Path in one commit and returns the last one.
    virtual std::optional<THiveKey> CreateKey(THiveKey Base, const QStringList& Path) = 0;
    virtual void ReleaseKey(THiveKey Key);
    // Removes the key at Path with everything below it; false when there is none.
    virtual bool DeleteKey(THiveKey Base, const QStringList& Path) = 0;
    virtual QStringList SubKeyNames(THiveKey Key) = 0;
    virtual QStringList ValueNames(THiveKey Key) = 0;
    virtual std::optional<THiveValue> ReadValue(THiveKey Key, const String& Name) = 0;
    // False when Key has been deleted since it was found.
    virtual bool WriteValue(THiveKey Key, const String& Name, const THiveValue& Value) = 0;
    virtual bool DeleteValue(THiveKey Key, const String& Name) = 0;
    // Where the hive lives, for messages.
    virtual String Location() const = 0;
};

// The hive of Root for the current user; raises ERegistryException when this platform has none.
// Opening is lazy: nothing is read or created before the first operation.
VCL_EXPORT std::unique_ptr<THive> OpenHive(HKEY Root);

// The current user's hive file: $XDG_CONFIG_HOME (else ~/.config), then vclreg/current-user.db.
VCL_EXPORT String UserHivePath();

} // namespace vcl
