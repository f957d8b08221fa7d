#include "HiveSqlite.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vcl {

namespace {

// Marks the file as ours in the SQLite header ("VREG"), so that another program's database
// is refused instead of being written into.
constexpr int HiveApplicationId = 0x56524547;
// 2: key ids are never reused, so an open key that another writer deleted is never confused
// with a key made after it.
constexpr int HiveFormatVersion = 2;
constexpr THiveKey RootKeyId = 1;

// Value types are stored with the numbers the original registry gives them.
int StoredType(TRegDataType Type) {
    switch (Type) {
    case rdString:
        return 1;
    case rdExpandString:
        return 2;
    case rdBinary:
        return 3;
    case rdInteger:
        return 4;
    case rdUnknown:
        break;
    }
    return 0;
}

TRegDataType DataType(qint64 Stored) {
    switch (Stored) {
    case 1:
        return rdString;
    case 2:
        return rdExpandString;
    case 3:
        return rdBinary;
    case 4:
        return rdInteger;
    }
    return rdUnknown;
}

String Fold(const String& Name) {
    return Name.toCaseFolded();
}

String Quoted(const String& Name) {
    return QLatin1Char('\'') + Name + QLatin1Char('\'');
}

const char* const Schema = R"sql(
CREATE TABLE key (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER REFERENCES key (id),
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    UNIQUE (parent, fold)
);
CREATE TABLE value (
    key INTEGER NOT NULL REFERENCES key (id),
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB,
    UNIQUE (key, fold)
);
INSERT INTO key (id, parent, name, fold) VALUES (1, NULL, '', '');
PRAGMA application_id = 1448232263;
PRAGMA user_version = 2;
)sql";
static_assert(HiveApplicationId == 1448232263);

// Creates the missing folders of Path's directory as private ones (0700).
void MakePrivateDirs(const String& Dir) {
    const QByteArray path = QFile::encodeName(Dir);
    struct stat st {};
    if (::stat(path.constData(), &st) == 0) {
        if (!S_ISDIR(st.st_mode))
            throw ERegistryException(
                QStringLiteral("Cannot create the hive: %1 is not a directory").arg(Dir));
        return;
    }
    const String parent = QFileInfo(Dir).path();
    if (parent != Dir)
        MakePrivateDirs(parent);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        throw ERegistryException(QStringLiteral("Cannot create the hive's directory %1: %2")
                                     .arg(Dir, QString::fromLocal8Bit(std::strerror(errno))));
    ::chmod(path.constData(), 0700); // mkdir's mode is narrowed by the umask
}

// Takes every permission bit outside Allowed from Path; 0, or the errno of what failed.
int Restrict(const QByteArray& Path, mode_t Allowed) {
    struct stat st {};
    if (::stat(Path.constData(), &st) != 0)
        return errno;
    if ((st.st_mode & 07777 & ~Allowed) == 0)
        return 0;
    return ::chmod(Path.constData(), st.st_mode & Allowed) == 0 ? 0 : errno;
}

} // namespace

class TSqliteHive::Statement {
public:
    Statement(const TSqliteHive& Hive, sqlite3* Db, const char* Sql, String What)
        : FHive(Hive), FDb(Db), FWhat(std::move(What)) {
        if (sqlite3_prepare_v2(FDb, Sql, -1, &FStmt, nullptr) != SQLITE_OK)
            FHive.Fail(FWhat, FDb);
    }
    ~Statement() { sqlite3_finalize(FStmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int Index, qint64 Value) {
        Check(sqlite3_bind_int64(FStmt, Index, Value));
        return *this;
    }
    Statement& Bind(int Index, const String& Value) {
        const QByteArray utf8 = Value.toUtf8();
        Check(
            sqlite3_bind_text(FStmt, Index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
        return *this;
    }
    // True for a row, false when done.
    bool Step() {
        const int rc = sqlite3_step(FStmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        FHive.Fail(FWhat, FDb);
    }
    void Run() {
        while (Step()) {
        }
    }
    qint64 Int(int Column) const { return sqlite3_column_int64(FStmt, Column); }
    String Text(int Column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, Column));
        return QString::fromUtf8(text, sqlite3_column_bytes(FStmt, Column));
    }

private:
    void Check(int rc) const {
        if (rc != SQLITE_OK)
            FHive.Fail(FWhat, FDb);
    }

    const TSqliteHive& FHive;
    sqlite3* FDb;
    sqlite3_stmt* FStmt = nullptr;
    String FWhat;
};

// One read (deferred) or change (immediate: takes the write lock at once, so two writers
// queue instead of deadlocking) transaction; rolled back unless committed.
class TSqliteHive::Transaction {
public:
    Transaction(const TSqliteHive& Hive, sqlite3* Db, Access Kind, String What)
        : FHive(Hive), FDb(Db), FWhat(std::move(What)) {
        Exec(Kind == Access::Write ? "BEGIN IMMEDIATE" : "BEGIN");
    }
    ~Transaction() {
        if (!FDone)
            sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit() {
        Exec("COMMIT");
        FDone = true;
    }

private:
    void Exec(const char* Sql) {
        if (sqlite3_exec(FDb, Sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            FHive.Fail(FWhat, FDb);
    }

    const TSqliteHive& FHive;
    sqlite3* FDb;
    String FWhat;
    bool FDone = false;
};

TSqliteHive::TSqliteHive(String Path) : FPath(std::move(Path)) {}

TSqliteHive::~TSqliteHive() {
    sqlite3_close_v2(FDb);
}

void TSqliteHive::Fail(const String& What, sqlite3* Db) const {
    const int code = Db ? sqlite3_extended_errcode(Db) : SQLITE_ERROR;
    String reason = Db ? QString::fromUtf8(sqlite3_errmsg(Db)) : QStringLiteral("out of memory");
    if ((code & 0xff) == SQLITE_NOTADB || (code & 0xff) == SQLITE_CORRUPT)
        reason += QStringLiteral("; the hive is damaged or not a hive, and was left untouched");
    else if ((code & 0xff) == SQLITE_BUSY)
        reason += QStringLiteral("; another program kept the hive locked for more than %1 s")
                      .arg(BusyTimeoutMs / 1000);
    Fail(What, reason);
}

void TSqliteHive::Fail(const String& What, const String& Reason) const {
    throw ERegistryException(QStringLiteral("Hive %1: %2: %3").arg(FPath, What, Reason));
}

void TSqliteHive::CreateFile() const {
    MakePrivateDirs(QFileInfo(FPath).path());
    const QByteArray path = QFile::encodeName(FPath);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST) // another process was quicker; its file is checked like any other
            return;
        Fail(QStringLiteral("cannot create the hive file"),
             QString::fromLocal8Bit(std::strerror(errno)));
    }
    ::fchmod(fd, 0600); // the stored password is plain text
    ::close(fd);
}

sqlite3* TSqliteHive::Db(Access Need) {
    if (FDb)
        return FDb;
    const QByteArray path = QFile::encodeName(FPath);
    if (::access(path.constData(), F_OK) != 0) {
        // Only a missing file is a hive not made yet; one that cannot be reached is no empty hive.
        const int error = errno;
        if (error != ENOENT)
            Fail(QStringLiteral("cannot reach the hive file"),
                 QString::fromLocal8Bit(std::strerror(error)));
        if (Need == Access::Read)
            return nullptr;
        CreateFile();
    }
    // The stored password is plain text: a hive's folder or file that others can read (left so
    // by hand or by an older version) is made private again before it is used.
    const String dir = QFileInfo(FPath).path();
    if (const int error = Restrict(QFile::encodeName(dir), 0700))
        Fail(QStringLiteral("cannot make the hive's directory %1 private (0700)").arg(dir),
             QString::fromLocal8Bit(std::strerror(error)));
    if (const int error = Restrict(path, 0600))
        Fail(QStringLiteral("cannot make the hive file private (0600)"),
             QString::fromLocal8Bit(std::strerror(error)));
    sqlite3* db = nullptr;
    // Never SQLITE_OPEN_CREATE: a file that vanished is not silently replaced by an empty one.
    const int rc = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const String reason =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        Fail(QStringLiteral("cannot open the hive"), reason);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    FDb = db;
    try {
        CheckFormat();
    } catch (...) {
        sqlite3_close_v2(FDb);
        FDb = nullptr;
        throw;
    }
    return FDb;
}

// Accepts our own hive, turns an empty file into one, and refuses anything else without
// writing to it.
void TSqliteHive::CheckFormat() {
    const String what = QStringLiteral("cannot read the hive");
    if (sqlite3_exec(FDb, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(what, FDb);
    auto pragma = [&](const char* Sql) {
        Statement s(*this, FDb, Sql, what);
        return s.Step() ? s.Int(0) : 0;
    };
    auto tableCount = [&] {
        Statement s(*this, FDb, "SELECT count(*) FROM sqlite_schema", what);
        s.Step();
        return s.Int(0);
    };
    qint64 id = pragma("PRAGMA application_id");
    if (id == 0 && tableCount() == 0) {
        Transaction t(*this, FDb, Access::Write, QStringLiteral("cannot set up the new hive"));
        // Another process may have set it up while we waited for the lock.
        if (pragma("PRAGMA application_id") == 0 && tableCount() == 0) {
            char* error = nullptr;
            if (sqlite3_exec(FDb, Schema, nullptr, nullptr, &error) != SQLITE_OK) {
                const String reason = QString::fromUtf8(error);
                sqlite3_free(error);
                Fail(QStringLiteral("cannot set up the new hive"), reason);
            }
        }
        t.Commit();
        id = pragma("PRAGMA application_id");
    }
    if (id != HiveApplicationId)
        Fail(what, QStringLiteral("the file is an SQLite database of another program, not a "
                                  "hive; it was left untouched"));
    const qint64 version = pragma("PRAGMA user_version");
    if (version != HiveFormatVersion)
        Fail(what, QStringLiteral("the hive has format %1, this program reads format %2; it was "
                                  "left untouched")
                       .arg(version)
                       .arg(HiveFormatVersion));
    Statement check(*this, FDb, "PRAGMA quick_check", what);
    if (check.Step() && check.Text(0) != QLatin1String("ok"))
        Fail(what,
             QStringLiteral("the hive is damaged (%1); it was left untouched").arg(check.Text(0)));
}

THiveKey TSqliteHive::Root() {
    return RootKeyId;
}

std::optional<THiveKey> TSqliteHive::Walk(sqlite3* Db, THiveKey Base, const QStringList& Path,
                                          const String& What) {
    {
        Statement alive(*this, Db, "SELECT 1 FROM key WHERE id = ?1", What);
        if (!alive.Bind(1, Base).Step())
            return std::nullopt;
    }
    THiveKey key = Base;
    for (const String& name : Path) {
        Statement child(*this, Db, "SELECT id FROM key WHERE parent = ?1 AND fold = ?2", What);
        if (!child.Bind(1, key).Bind(2, Fold(name)).Step())
            return std::nullopt;
        key = child.Int(0);
    }
    return key;
}

std::optional<THiveKey> TSqliteHive::FindKey(THiveKey Base, const QStringList& Path) {
    sqlite3* db = Db(Access::Read);
    if (!db)
        return Base == RootKeyId && Path.isEmpty() ? std::optional<THiveKey>(Base) : std::nullopt;
    const String what =
        QStringLiteral("cannot look up key %1").arg(Quoted(Path.join(QLatin1Char('\\'))));
    Transaction t(*this, db, Access::Read, what);
    const std::optional<THiveKey> key = Walk(db, Base, Path, what);
    t.Commit();
    return key;
}

std::optional<THiveKey> TSqliteHive::CreateKey(THiveKey Base, const QStringList& Path) {
    sqlite3* db = Db(Access::Write);
    const String what =
        QStringLiteral("cannot create key %1").arg(Quoted(Path.join(QLatin1Char('\\'))));
    Transaction t(*this, db, Access::Write, what);
    if (!Walk(db, Base, {}, what))
        return std::nullopt;
    THiveKey key = Base;
    for (const String& name : Path) {
        Statement child(*this, db, "SELECT id FROM key WHERE parent = ?1 AND fold = ?2", what);
        if (child.Bind(1, key).Bind(2, Fold(name)).Step()) {
            key = child.Int(0);
            continue;
        }
        Statement insert(*this, db, "INSERT INTO key (parent, name, fold) VALUES (?1, ?2, ?3)",
                         what);
        insert.Bind(1, key).Bind(2, name).Bind(3, Fold(name)).Run();
        key = sqlite3_last_insert_rowid(db);
    }
    t.Commit();
    return key;
}

bool TSqliteHive::DeleteKey(THiveKey Base, const QStringList& Path) {
    if (!Db(Access::Read))
        return false;
    sqlite3* db = Db(Access::Write);
    const String what =
        QStringLiteral("cannot delete key %1").arg(Quoted(Path.join(QLatin1Char('\\'))));
    Transaction t(*this, db, Access::Write, what);
    const std::optional<THiveKey> key = Walk(db, Base, Path, what);
    if (!key || *key == RootKeyId)
        return false;
    static const char* const Subtree = "WITH RECURSIVE subtree (id) AS (SELECT ?1 UNION ALL "
                                       "SELECT key.id FROM key JOIN subtree ON key.parent = "
                                       "subtree.id) ";
    const QByteArray deleteValues = QByteArray(Subtree) + "DELETE FROM value WHERE key IN subtree";
    Statement values(*this, db, deleteValues.constData(), what);
    values.Bind(1, *key).Run();
    const QByteArray deleteKeys = QByteArray(Subtree) + "DELETE FROM key WHERE id IN subtree";
    Statement keys(*this, db, deleteKeys.constData(), what);
    keys.Bind(1, *key).Run();
    t.Commit();
    return true;
}

QStringList TSqliteHive::SubKeyNames(THiveKey Key) {
    QStringList names;
    sqlite3* db = Db(Access::Read);
    if (!db)
        return names;
    Statement s(*this, db, "SELECT name FROM key WHERE parent = ?1 ORDER BY fold",
                QStringLiteral("cannot list subkeys"));
    s.Bind(1, Key);
    while (s.Step())
        names.append(s.Text(0));
    return names;
}

QStringList TSqliteHive::ValueNames(THiveKey Key) {
    QStringList names;
    sqlite3* db = Db(Access::Read);
    if (!db)
        return names;
    Statement s(*this, db, "SELECT name FROM value WHERE key = ?1 ORDER BY rowid",
                QStringLiteral("cannot list values"));
    s.Bind(1, Key);
    while (s.Step())
        names.append(s.Text(0));
    return names;
}

std::optional<THiveValue> TSqliteHive::ReadValue(THiveKey Key, const String& Name) {
    sqlite3* db = Db(Access::Read);
    if (!db)
        return std::nullopt;
    Statement s(*this, db, "SELECT type, data FROM value WHERE key = ?1 AND fold = ?2",
                QStringLiteral("cannot read value %1").arg(Quoted(Name)));
    if (!s.Bind(1, Key).Bind(2, Fold(Name)).Step())
        return std::nullopt;
    return THiveValue{DataType(s.Int(0)), s.Text(1)};
}

bool TSqliteHive::WriteValue(THiveKey Key, const String& Name, const THiveValue& Value) {
    sqlite3* db = Db(Access::Write);
    const String what = QStringLiteral("cannot write value %1").arg(Quoted(Name));
    Transaction t(*this, db, Access::Write, what);
    if (!Walk(db, Key, {}, what))
        return false;
    // An existing value keeps its name's case and its place in the value list.
    Statement s(*this, db,
                "INSERT INTO value (key, name, fold, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
                "ON CONFLICT (key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
                what);
    s.Bind(1, Key).Bind(2, Name).Bind(3, Fold(Name)).Bind(4, qint64(StoredType(Value.Type)));
    s.Bind(5, Value.Data).Run();
    t.Commit();
    return true;
}

bool TSqliteHive::DeleteValue(THiveKey Key, const String& Name) {
    if (!Db(Access::Read))
        return false;
    sqlite3* db = Db(Access::Write);
    const String what = QStringLiteral("cannot delete value %1").arg(Quoted(Name));
    Transaction t(*this, db, Access::Write, what);
    Statement s(*this, db, "DELETE FROM value WHERE key = ?1 AND fold = ?2", what);
    s.Bind(1, Key).Bind(2, Fold(Name)).Run();
    const bool deleted = sqlite3_changes(db) > 0;
    t.Commit();
    return deleted;
}

} // namespace vcl
