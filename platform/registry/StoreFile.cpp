#include "platform/registry/StoreFile.h"

#include <QtGlobal>

#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

namespace registry {

namespace {

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
// Read through SQLite's file layer: closing a descriptor of our own would drop every POSIX lock
// this process holds on the file, and with them the shared lock that keeps another process from
// deleting the log under this process's connections.
bool HasDatabaseHeader(const std::string &path) {
    static constexpr char Magic[] = "SQLite format 3"; // with its NUL: 16 bytes
    sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr);
    std::string full(static_cast<std::size_t>(vfs->mxPathname) + 1, '\0');
    if (vfs->xFullPathname(vfs, path.c_str(), static_cast<int>(full.size()), full.data()) !=
        SQLITE_OK)
        return true; // as a file that cannot be opened: left to sqlite3_open_v2
    const auto storage = std::make_unique<std::max_align_t[]>(
        (static_cast<std::size_t>(vfs->szOsFile) + sizeof(std::max_align_t) - 1) /
        sizeof(std::max_align_t));
    auto *file = reinterpret_cast<sqlite3_file *>(storage.get());
    int flags = 0;
    if (vfs->xOpen(vfs, full.c_str(), file, SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_READONLY, &flags) !=
        SQLITE_OK) {
        if (file->pMethods) // a file layer may want its close even after a failed open
            file->pMethods->xClose(file);
        return true;
    }
    // An empty file is a new database; what cannot be read is left to sqlite3_open_v2.
    sqlite3_int64 size = 0;
    char header[sizeof Magic] = {};
    bool database = true;
    if (file->pMethods->xFileSize(file, &size) == SQLITE_OK && size > 0) {
        if (size < sqlite3_int64(sizeof header))
            database = false;
        else if (file->pMethods->xRead(file, header, sizeof header, 0) == SQLITE_OK)
            database = std::memcmp(header, Magic, sizeof Magic) == 0;
    }
    file->pMethods->xClose(file);
    return database;
}

// Connections kept between calls of one thread. Only the connection is kept: every call runs
// its own transaction, which reads what other processes have committed. A connection is only
// reused while the file is exactly as this thread left it, so any change made outside SQLite is
// met by a fresh connection with all its checks.
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

    static void Forget(Entry &entry) {
        LeaveFileAlone(entry.db.get());
        entry.db.reset();
    }

    static constexpr std::size_t MaxEntries = 4;
    std::vector<Entry> FEntries;
};

ConnectionCache &Connections() {
    thread_local ConnectionCache cache;
    return cache;
}

} // namespace

bool IsDamage(int sqliteResult) {
    const int primary = sqliteResult & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

void ReportDamage(const std::string &path, const char *detail) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    const std::lock_guard lock(mutex);
    if (reported.insert(path).second)
        qWarning("registry store %s is damaged: %s; using defaults", path.c_str(), detail);
}

void LeaveFileAlone(sqlite3 *db) {
    if (db)
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

int Exec(sqlite3 *db, const char *sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

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

std::optional<FileStamp> StampOf(const std::string &path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileStamp{info.st_dev, info.st_ino, info.st_size,
                     std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

OpenedFile OpenStoreFile(const std::string &path, bool create) {
    OpenedFile file;
    if (!HasDatabaseHeader(path)) {
        ReportDamage(path, "file is not a database");
        file.state = OpenedFile::State::Damaged;
        return file;
    }
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    sqlite3 *raw = nullptr;
    file.result = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    file.db.reset(raw);
    if (file.result != SQLITE_OK) {
        file.db.reset();
        return file;
    }
    sqlite3_busy_timeout(raw, BusyTimeoutMs);
    int result = SQLITE_OK;
    bool damaged = false;
    {
        Statement query(raw, "PRAGMA user_version");
        result = query.step();
        damaged = IsDamage(result) || (result == SQLITE_ROW && !PassesQuickCheck(raw, path));
        if (result == SQLITE_ROW)
            file.version = static_cast<int>(query.columnInt(0));
    }
    if (damaged) {
        ReportDamage(path, IsDamage(result) ? sqlite3_errstr(result) : "consistency check failed");
        LeaveFileAlone(raw);
        file.db.reset();
        file.state = OpenedFile::State::Damaged;
    } else if (result != SQLITE_ROW) {
        file.result = result;
        file.state = OpenedFile::State::Failed;
    } else {
        file.state = OpenedFile::State::Open;
    }
    return file;
}

SqliteHandle TakeConnection(const std::string &path) {
    return Connections().Take(path);
}

void KeepConnection(const std::string &path, SqliteHandle db) {
    Connections().Give(path, std::move(db));
}

} // namespace registry
