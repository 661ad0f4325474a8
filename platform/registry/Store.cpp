#include "platform/registry/Store.h"

#include "platform/kernel/PlatformDir.h"
#include "platform/registry/MachineStore.h"
#include "platform/registry/ReadCache.h"
#include "platform/registry/StoreFile.h"
#include "platform/registry/StoreWatch.h"

#include <QString>

#include <algorithm>
#include <system_error>

namespace registry {

namespace {

constexpr const char *Schema =
    "CREATE TABLE IF NOT EXISTS keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER,"
    " name TEXT NOT NULL, norm TEXT NOT NULL);"
    "CREATE UNIQUE INDEX IF NOT EXISTS keys_child ON keys(parent, norm);"
    "CREATE TABLE IF NOT EXISTS vals(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,"
    " name TEXT NOT NULL, norm TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL);"
    "CREATE UNIQUE INDEX IF NOT EXISTS vals_name ON vals(key, norm);"
    "INSERT OR IGNORE INTO keys(id, parent, name, norm) VALUES(1, NULL, '', '');"
    "PRAGMA user_version = 1;";

} // namespace

std::string FoldName(std::string_view name) {
    const auto asciiFolded = [name] {
        std::string folded(name);
        for (char &c : folded)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return folded;
    };
    // ASCII text folds to its lower case, without the Unicode tables.
    if (std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; }))
        return asciiFolded();
    const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    const QByteArray utf8 = text.toUtf8();
    if (std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())) == name)
        return text.toCaseFolded().toStdString();
    // Not valid UTF-8: fold ASCII letters only, so distinct byte strings stay distinct.
    return asciiFolded();
}

LONG Store::Open(StoreKind kind, Mode mode, std::unique_ptr<Store> &store, bool cached) {
    store.reset();
    if (mode == Mode::Write && kind == StoreKind::Machine && IsMachineStoreReadOnly())
        return ERROR_ACCESS_DENIED;
    auto directory = platform::PlatformDirectory();
    const auto path =
        kind == StoreKind::User ? UserStorePath(directory) : MachineStorePath(directory);
    std::unique_ptr<Store> opened(new Store(kind, path.string()));
    if (mode == Mode::Read && cached) {
        if (auto view = CheckedStoreView(directory, kind)) {
            opened->FDirectory = std::move(directory);
            opened->FCache = std::move(view->cache);
            opened->FGeneration = view->generation;
            opened->FViewAbsent = view->absent;
            store = std::move(opened);
            return ERROR_SUCCESS; // connects on the first answer the cache does not hold
        }
    }
    if (const LONG status = opened->Connect(mode); status != ERROR_SUCCESS)
        return status;
    store = std::move(opened);
    return ERROR_SUCCESS;
}

LONG Store::Connect(Mode mode) {
    FConnected = true;
    std::error_code error;
    if (!std::filesystem::exists(FPath, error)) {
        if (mode == Mode::Read)
            return ERROR_SUCCESS;
        if (!platform::EnsurePlatformDirectory())
            return ERROR_PATH_NOT_FOUND;
    }
    if (auto db = TakeConnection(FPath)) {
        FDb = std::move(db);
        const int result =
            BeginWithRetry(FDb.get(), mode == Mode::Read ? "BEGIN" : "BEGIN IMMEDIATE");
        if (result != SQLITE_OK)
            return Fail(result);
        FInTransaction = true;
        FReusable = true;
        return ERROR_SUCCESS;
    }
    OpenedFile file = OpenStoreFile(FPath, mode == Mode::Write);
    switch (file.state) {
    case OpenedFile::State::Damaged:
        return mode == Mode::Read ? ERROR_SUCCESS : ERROR_REGISTRY_CORRUPT;
    case OpenedFile::State::Unopened:
        if (mode == Mode::Read)
            return ERROR_SUCCESS;
        return file.result == SQLITE_CANTOPEN ? ERROR_ACCESS_DENIED : ERROR_REGISTRY_IO_FAILED;
    case OpenedFile::State::Failed:
        FDb = std::move(file.db);
        return Fail(file.result);
    case OpenedFile::State::Open:
        break;
    }
    FDb = std::move(file.db);
    return Initialise(mode, file.version);
}

LONG Store::Initialise(Mode mode, int version) {
    sqlite3 *db = FDb.get();
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
        KeepConnection(FPath, std::move(FDb));
}

template <typename T, typename Read> LONG Store::Answer(CacheKey key, T &answer, Read read) {
    const bool cacheUsable = FCache && FSameState != false;
    if (cacheUsable) {
        if (auto found = FCache->Find(FGeneration, key)) {
            answer = std::get<T>(std::move(*found));
            FServed = true;
            return ERROR_SUCCESS;
        }
    }
    if (!FConnected)
        if (const LONG status = Connect(Mode::Read); status != ERROR_SUCCESS)
            return status;
    const LONG status = Absent() ? ERROR_SUCCESS : read();
    if (!cacheUsable || status != ERROR_SUCCESS)
        return status;
    // The read transaction took its snapshot at its first read: if the log index is still as
    // the cache knew it, no commit came in between and the snapshot is the cache's state. A
    // store that turned out absent or damaged meanwhile was changed outside SQLite.
    if (!FSameState)
        FSameState = (FDb || FViewAbsent) && StoreGeneration(FDirectory, FKind) == FGeneration;
    if (*FSameState)
        FCache->Put(FGeneration, std::move(key), CachedAnswer(std::in_place_type<T>, answer));
    return status;
}

LONG Store::Fail(int sqliteResult) {
    FReusable = false;
    if (IsDamage(sqliteResult)) {
        ReportDamage(FPath, sqlite3_errstr(sqliteResult));
        LeaveFileAlone(FDb.get());
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
    if (exists)
        return ERROR_SUCCESS;
    return Answer({CacheKey::Kind::Exists, id, {}}, exists, [&] {
        Statement query(FDb.get(), "SELECT 1 FROM keys WHERE id = ?1");
        const int result = query.bind(1, id).step();
        exists = result == SQLITE_ROW;
        return result == SQLITE_ROW || result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
    });
}

LONG Store::FindChild(std::int64_t parent, std::string_view name,
                      std::optional<std::int64_t> &child) {
    child.reset();
    std::string folded = FoldName(name);
    return Answer({CacheKey::Kind::Child, parent, folded}, child, [&] {
        Statement query(FDb.get(), "SELECT id FROM keys WHERE parent = ?1 AND norm = ?2");
        const int result = query.bind(1, parent).bind(2, folded).step();
        if (result == SQLITE_ROW)
            child = query.columnInt(0);
        return result == SQLITE_ROW || result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
    });
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
    return Answer({CacheKey::Kind::ChildNames, parent, {}}, names, [&] {
        Statement query(FDb.get(), "SELECT name FROM keys WHERE parent = ?1 ORDER BY norm");
        query.bind(1, parent);
        int result = SQLITE_ROW;
        while ((result = query.step()) == SQLITE_ROW)
            names.push_back(query.columnText(0));
        return result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
    });
}

LONG Store::Values(std::int64_t key, std::vector<StoredValue> &values) {
    values.clear();
    return Answer({CacheKey::Kind::Values, key, {}}, values, [&] {
        Statement query(FDb.get(), "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id");
        query.bind(1, key);
        int result = SQLITE_ROW;
        while ((result = query.step()) == SQLITE_ROW)
            values.push_back(
                {query.columnText(0), static_cast<DWORD>(query.columnInt(1)), query.columnBlob(2)});
        return result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
    });
}

LONG Store::FindValue(std::int64_t key, std::string_view name, std::optional<StoredValue> &value) {
    value.reset();
    std::string folded = FoldName(name);
    return Answer({CacheKey::Kind::Value, key, folded}, value, [&] {
        Statement query(FDb.get(),
                        "SELECT name, type, data FROM vals WHERE key = ?1 AND norm = ?2");
        const int result = query.bind(1, key).bind(2, folded).step();
        if (result == SQLITE_ROW)
            value = StoredValue{query.columnText(0), static_cast<DWORD>(query.columnInt(1)),
                                query.columnBlob(2)};
        return result == SQLITE_ROW || result == SQLITE_DONE ? ERROR_SUCCESS : Fail(result);
    });
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
