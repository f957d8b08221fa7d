#pragma once

// The current user's hive on Linux: one SQLite file. Keys are rows (a key exists without any
// value), every change is one transaction, and concurrent writers wait for each other instead
// of failing. A file that is not a hive is reported and never written.

#include "Hive.h"

struct sqlite3;

namespace vcl {

class VCL_EXPORT TSqliteHive final : public THive {
public:
    explicit TSqliteHive(String Path);
    ~TSqliteHive() override;
    TSqliteHive(const TSqliteHive&) = delete;
    TSqliteHive& operator=(const TSqliteHive&) = delete;

    THiveKey Root() override;
    std::optional<THiveKey> FindKey(THiveKey Base, const QStringList& Path) override;
    std::optional<THiveKey> CreateKey(THiveKey Base, const QStringList& Path) override;
    bool DeleteKey(THiveKey Base, const QStringList& Path) override;
    QStringList SubKeyNames(THiveKey Key) override;
    QStringList ValueNames(THiveKey Key) override;
    std::optional<THiveValue> ReadValue(THiveKey Key, const String& Name) override;
    bool WriteValue(THiveKey Key, const String& Name, const THiveValue& Value) override;
    bool DeleteValue(THiveKey Key, const String& Name) override;
    String Location() const override { return FPath; }

    // How long a change waits for another process's change to finish.
    static constexpr int BusyTimeoutMs = 10000;

private:
    class Statement;
    class Transaction;
    enum class Access { Read, Write };

    // The open database; nullptr for reading when the hive file does not exist yet.
    sqlite3* Db(Access Need);
    void CreateFile() const;
    void CheckFormat();
    std::optional<THiveKey> Walk(sqlite3* Db, THiveKey Base, const QStringList& Path,
                                 const String& What);
    [[noreturn]] void Fail(const String& What, sqlite3* Db) const;
    [[noreturn]] void Fail(const String& What, const String& Reason) const;

    String FPath;
    sqlite3* FDb = nullptr;
};

} // namespace vcl
