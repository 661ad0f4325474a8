#include "platform/registry/Store.h"

#include "platform/kernel/PlatformDir.h"
#include "platform/registry/MachineStore.h"

#include <QString>
#include <QtGlobal>

#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

namespace registry {

namespace {

constexpr int BusyTimeoutMs = 60000;

constexpr const char *Schema =
    "CREATE TABLE IF NOT EXISTS keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER,"
    " name TEXT NOT NULL, norm TEXT NOT NULL);"
    "CREATE UNIQUE INDEX IF NOT EXISTS keys_child ON keys(parent, norm);"
    "CREATE TABLE IF NOT EXISTS vals(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,"
    " name TEXT NOT NULL, norm TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL);"
    "CREATE UNIQUE INDEX IF NOT EXISTS vals_name ON vals(key, norm);"
    "INSERT OR IGNORE INTO keys(id, parent, name, norm) VALUES(1, NULL, '', '');"
    "PRAGMA user_version = 1;";

bool IsDamage(int result) {
    const int primary = result & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// Reports a damaged store once per process and file.
void ReportDamage(const std::string &path, const char *detail) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    const std::lock_guard lock(mutex);
    if (reported.insert(path).second)
        qWarning("registry store %s is damaged: %s; using defaults", path.c_str(), detail);
}

// Runs a full consistency check the first time a file (by identity and size) is met.
bool PassesQuickCheck(sqlite3 *db, const std::string &path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return true;
    using Identity = std::tuple<std::string, dev_t, ino_t, off_t>;
    static std::mutex mutex;
    static std::set<Identity> checked;
    const Identity identity{path, info.st_dev, info.st_ino, info.st_size};
    {
        const std::lock_guard lock(mutex);
        if (checked.count(identity))
            return true;
    }
    Statement check(db, "PRAGMA quick_check(1)");
    if (check.step() != SQLITE_ROW || check.columnText(0) != "ok")
        return false;
    const std::lock_guard lock(mutex);
    if (checked.size() >= 64) // files grow; forget old sizes instead of piling them up
        checked.clear();
    checked.insert(identity);
    return true;
}

// The file's own first bytes, not what a write-ahead log left beside it may show for page 1.
bool HasDatabaseHeader(const std::string &path) {
    static constexpr char Magic[] = "SQLite format 3"; // with its NUL: 16 bytes
    std::ifstream file(path, std::ios::binary);
    char header[sizeof Magic] = {};
    if (!file.read(header, sizeof header))
        return file.gcount() == 0; // an empty file is a new database
    return std::memcmp(header, Magic, sizeof Magic) == 0;
}

int Exec(sqlite3 *db, const char *sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// What identifies the state of a store file: a connection is only reused while the file is
// exactly as this thread left it, so any change made outside SQLite (a replaced, truncated or
// overwritten file) is met by a fresh connection with all its checks.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileStamp &) const = default;
};

std::optional<FileStamp> StampOf(const std::string &path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileStamp{info.st_dev, info.st_ino, info.st_size,
                     std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

// Connections kept between calls of one thread. Only the connection is kept: every call runs
// its own transaction, which reads what other processes have committed.
class ConnectionCache final {
public:
    SqliteHandle Take(const std::string &path) {
        for (auto entry = FEntries.begin(); entry != FEntries.end(); ++entry) {
            if (entry->path != path)
                continue;
            SqliteHandle db;
            if (StampOf(path) == entry->stamp)
                db = std::move(entry->db);
            else
                Forget(*entry);
            FEntries.erase(entry);
            return db;
        }
        return {};
    }

    void Give(const std::string &path, SqliteHandle db) {
        const auto stamp = StampOf(path);
        if (!stamp)
            return;
        if (FEntries.size() >= MaxEntries)
            FEntries.erase(FEntries.begin());
        FEntries.push_back({path, std::move(db), *stamp});
    }

    ~ConnectionCache() {
        for (auto &entry : FEntries)
            if (StampOf(entry.path) != entry.stamp)
                Forget(entry);
    }

private:
    struct Entry {
        std::string path;
        SqliteHandle db;
        FileStamp stamp;
    };

    // The file was changed outside SQLite: closing must not checkpoint the log into it.
    static void Forget(Entry &entry) {
        sqlite3_db_config(entry.db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        entry.db.reset();
    }

    static constexpr std::size_t MaxEntries = 4;
    std::vector<Entry> FEntries;
};

ConnectionCache &Connections() {
    thread_local ConnectionCache cache;
    return cache;
}

// BEGIN IMMEDIATE waits through the busy handler; this loop only covers the rare busy results
// that bypass it (WAL recovery by another connection).
int BeginWithRetry(sqlite3 *db, const char *sql) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(BusyTimeoutMs);
    for (;;) {
        const int result = Exec(db, sql);
        if ((result & 0xff) != SQLITE_BUSY || std::chrono::steady_clock::now() > deadline)
            return result;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace

std::string FoldName(std::string_view name) {
    const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    const QByteArray utf8 = text.toUtf8();
    if (std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())) == name)
        return text.toCaseFolded().toStdString();
    // Not valid UTF-8: fold ASCII letters only, so distinct byte strings stay distinct.
    std::string folded(name);
    for (char &c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

LONG Store::Open(StoreKind kind, Mode mode, std::unique_ptr<Store> &store) {
    store.reset();
    if (mode == Mode::Write && kind == StoreKind::Machine && IsMachineStoreReadOnly())
        return ERROR_ACCESS_DENIED;
    const auto path = kind == StoreKind::User ? UserStorePath() : MachineStorePath();
    std::unique_ptr<Store> opened(new Store(kind, path.string()));
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        if (mode == Mode::Read) {
            store = std::move(opened);
            return ERROR_SUCCESS;
        }
        if (!platform::EnsurePlatformDirectory())
            return ERROR_PATH_NOT_FOUND;
    }
    if (auto db = Connections().Take(opened->FPath)) {
        opened->FDb = std::move(db);
        const int result =
            BeginWithRetry(opened->FDb.get(), mode == Mode::Read ? "BEGIN" : "BEGIN IMMEDIATE");
        if (result != SQLITE_OK)
            return opened->Fail(result);
        opened->FInTransaction = true;
        opened->FReusable = true;
        store = std::move(opened);
        return ERROR_SUCCESS;
    }
    if (!HasDatabaseHeader(opened->FPath)) {
        ReportDamage(opened->FPath, "file is not a database");
        if (mode == Mode::Write)
            return ERROR_REGISTRY_CORRUPT;
        store = std::move(opened);
        return ERROR_SUCCESS;
    }
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX |
                      (mode == Mode::Write ? SQLITE_OPEN_CREATE : 0);
    sqlite3 *raw = nullptr;
    const int result = sqlite3_open_v2(opened->FPath.c_str(), &raw, flags, nullptr);
    opened->FDb.reset(raw);
    if (result != SQLITE_OK) {
        opened->FDb.reset();
        if (mode == Mode::Read) {
            store = std::move(opened);
            return ERROR_SUCCESS;
        }
        return result == SQLITE_CANTOPEN ? ERROR_ACCESS_DENIED : ERROR_REGISTRY_IO_FAILED;
    }
    sqlite3_busy_timeout(raw, BusyTimeoutMs);
    const LONG status = opened->Initialise(mode);
    if (status != ERROR_SUCCESS)
        return status;
    store = std::move(opened);
    return ERROR_SUCCESS;
}

LONG Store::Initialise(Mode mode) {
    sqlite3 *db = FDb.get();
    int version = 0;
    {
        Statement query(db, "PRAGMA user_version");
        const int result = query.step();
        if (IsDamage(result) || (result == SQLITE_ROW && !PassesQuickCheck(db, FPath))) {
            ReportDamage(FPath,
                         IsDamage(result) ? sqlite3_errstr(result) : "consistency check failed");
            LeaveFileAlone();
            FDb.reset();
            return mode == Mode::Read ? ERROR_SUCCESS : ERROR_REGISTRY_CORRUPT;
        }
        if (result != SQLITE_ROW)
            return Fail(result);
        version = static_cast<int>(query.columnInt(0));
    }
    if (mode == Mode::Read) {
        if (version == 0) { // created but not yet initialised by its writer: empty
            FDb.reset();
            return ERROR_SUCCESS;
        }
        const int result = BeginWithRetry(db, "BEGIN");
        if (result != SQLITE_OK)
            return Fail(result);
        FInTransaction = true;
        FReusable = true;
        return ERROR_SUCCESS;
    }
    if (version == 0) {
        const int result = BeginWithRetry(db, "PRAGMA journal_mode = WAL");
        if (result != SQLITE_OK)
            return Fail(result);
    }
    int result = BeginWithRetry(db, "BEGIN IMMEDIATE");
    if (result != SQLITE_OK)
        return Fail(result);
    FInTransaction = true;
    result = Exec(db, Schema); // idempotent; also covers a racing first writer
    if (result != SQLITE_OK)
        return Fail(result);
    FSchemaUncommitted = version == 0;
    FReusable = true;
    return ERROR_SUCCESS;
}

Store::~Store() {
    if (!FDb)
        return;
    if (FInTransaction)
        Exec(FDb.get(), "ROLLBACK");
    // A connection whose schema was rolled back would skip the schema on its next use.
    if (FReusable && !FSchemaUncommitted && sqlite3_get_autocommit(FDb.get()))
        Connections().Give(FPath, std::move(FDb));
}

void Store::LeaveFileAlone() {
    // Closing the last connection would otherwise checkpoint the log into the damaged file.
    if (FDb)
        sqlite3_db_config(FDb.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

LONG Store::Fail(int sqliteResult) {
    FReusable = false;
    if (IsDamage(sqliteResult)) {
        ReportDamage(FPath, sqlite3_errstr(sqliteResult));
        LeaveFileAlone();
        return ERROR_REGISTRY_CORRUPT;
    }
    switch (sqliteResult & 0xff) {
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_FULL:
        return ERROR_CANTWRITE;
    default:
        qWarning("registry store %s: %s", FPath.c_str(),
                 FDb ? sqlite3_errmsg(FDb.get()) : sqlite3_errstr(sqliteResult));
        return ERROR_REGISTRY_IO_FAILED;
    }
}

LONG Store::Commit() {
    if (Absent() || !FInTransaction)
        return ERROR_SUCCESS;
    const int result = Exec(FDb.get(), "COMMIT");
    if (result != SQLITE_OK)
        return Fail(result);
    FInTransaction = false;
    FSchemaUncommitted = false;
    return ERROR_SUCCESS;
}

LONG Store::KeyExists(std::int64_t id, bool &exists) {
    exists = id == RootKeyId;
    if (Absent() || exists)
        return ERROR_SUCCESS;
    Statement query(FDb.get(), "SELECT 1 FROM keys WHERE id = ?1");
    const int result = query.bind(1, id).step();
    exists = result == SQLITE_ROW;
    return result == SQLITE_ROW || result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
}

LONG Store::FindChild(std::int64_t parent, std::string_view name,
                      std::optional<std::int64_t> &child) {
    child.reset();
    if (Absent())
        return ERROR_SUCCESS;
    Statement query(FDb.get(), "SELECT id FROM keys WHERE parent = ?1 AND norm = ?2");
    const int result = query.bind(1, parent).bind(2, FoldName(name)).step();
    if (result == SQLITE_ROW)
        child = query.columnInt(0);
    return result == SQLITE_ROW || result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
}

LONG Store::CreateChild(std::int64_t parent, std::string_view name, std::int64_t &child) {
    Statement insert(FDb.get(), "INSERT INTO keys(parent, name, norm) VALUES(?1, ?2, ?3)");
    const int result = insert.bind(1, parent).bind(2, name).bind(3, FoldName(name)).step();
    if (result != SQLITE_DONE)
        return Fail(result);
    child = sqlite3_last_insert_rowid(FDb.get());
    return ERROR_SUCCESS;
}

LONG Store::ChildNames(std::int64_t parent, std::vector<std::string> &names) {
    names.clear();
    if (Absent())
        return ERROR_SUCCESS;
    Statement query(FDb.get(), "SELECT name FROM keys WHERE parent = ?1 ORDER BY norm");
    query.bind(1, parent);
    int result = SQLITE_ROW;
    while ((result = query.step()) == SQLITE_ROW)
        names.push_back(query.columnText(0));
    return result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
}

LONG Store::Values(std::int64_t key, std::vector<StoredValue> &values) {
    values.clear();
    if (Absent())
        return ERROR_SUCCESS;
    Statement query(FDb.get(), "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id");
    query.bind(1, key);
    int result = SQLITE_ROW;
    while ((result = query.step()) == SQLITE_ROW)
        values.push_back(
            {query.columnText(0), static_cast<DWORD>(query.columnInt(1)), query.columnBlob(2)});
    return result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
}

LONG Store::FindValue(std::int64_t key, std::string_view name, std::optional<StoredValue> &value) {
    value.reset();
    if (Absent())
        return ERROR_SUCCESS;
    Statement query(FDb.get(), "SELECT name, type, data FROM vals WHERE key = ?1 AND norm = ?2");
    const int result = query.bind(1, key).bind(2, FoldName(name)).step();
    if (result == SQLITE_ROW)
        value = StoredValue{query.columnText(0), static_cast<DWORD>(query.columnInt(1)),
                            query.columnBlob(2)};
    return result == SQLITE_ROW || result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
}

LONG Store::SetValue(std::int64_t key, std::string_view name, DWORD type,
                     const std::vector<std::uint8_t> &data) {
    // An existing value keeps the spelling of its name, as on the original platform.
    Statement upsert(FDb.get(), "INSERT INTO vals(key, name, norm, type, data)"
                                " VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(key, norm)"
                                " DO UPDATE SET type = excluded.type, data = excluded.data");
    upsert.bind(1, key).bind(2, name).bind(3, FoldName(name)).bind(4, std::int64_t{type});
    const int result = upsert.bindBlob(5, data.data(), data.size()).step();
    return result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
}

LONG Store::DeleteValue(std::int64_t key, std::string_view name, bool &found) {
    Statement remove(FDb.get(), "DELETE FROM vals WHERE key = ?1 AND norm = ?2");
    const int result = remove.bind(1, key).bind(2, FoldName(name)).step();
    found = sqlite3_changes(FDb.get()) > 0;
    return result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
}

LONG Store::DeleteTree(std::int64_t id, bool withSelf) {
    constexpr const char *Subtree =
        "WITH RECURSIVE t(id) AS (SELECT id FROM keys WHERE parent = ?1"
        " UNION ALL SELECT k.id FROM keys k JOIN t ON k.parent = t.id) ";
    Statement values(FDb.get(), std::string(Subtree) +
                                    "DELETE FROM vals WHERE key = ?1 OR key IN (SELECT id FROM t)");
    int result = values.bind(1, id).step();
    if (result != SQLITE_DONE)
        return Fail(result);
    Statement keys(FDb.get(), std::string(Subtree) +
                                  "DELETE FROM keys WHERE id IN (SELECT id FROM t)"
                                  " OR (?2 AND id = ?1 AND id <> 1)");
    result = keys.bind(1, id).bind(2, std::int64_t{withSelf}).step();
    return result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
}

} // namespace registry
