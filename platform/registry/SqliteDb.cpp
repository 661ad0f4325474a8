#include "platform/registry/SqliteDb.h"

#include <map>
#include <mutex>
#include <set>
#include <utility>

namespace registry {

namespace {

// Idle prepared statements by connection and SQL text. A statement in use is taken out, so two
// live Statements never share one; a connection's idle entries are finalized when it closes, and a
// statement still in use then is finalized by its owner (the connection closes after it).
class StatementCache final {
public:
    sqlite3_stmt *Take(sqlite3 *db, std::string_view sql) {
        const std::lock_guard lock(FMutex);
        FClosing.erase(db); // a connection preparing statements is open
        const auto found = FIdle.find({db, std::string(sql)});
        if (found == FIdle.end())
            return nullptr;
        return std::exchange(found->second, nullptr);
    }

    // False when a statement for the same text is already idle (the caller finalizes).
    bool Give(sqlite3 *db, std::string_view sql, sqlite3_stmt *statement) {
        const std::lock_guard lock(FMutex);
        if (FClosing.count(db))
            return false;
        sqlite3_stmt *&slot = FIdle[{db, std::string(sql)}];
        if (slot)
            return false;
        slot = statement;
        return true;
    }

    void Close(sqlite3 *db) {
        const std::lock_guard lock(FMutex);
        auto entry = FIdle.lower_bound({db, std::string()});
        while (entry != FIdle.end() && entry->first.first == db) {
            sqlite3_finalize(entry->second);
            entry = FIdle.erase(entry);
        }
        if (sqlite3_next_stmt(db, nullptr)) // still in use: its owner must not give it back
            FClosing.insert(db);
    }

private:
    std::mutex FMutex;
    std::map<std::pair<sqlite3 *, std::string>, sqlite3_stmt *> FIdle;
    std::set<sqlite3 *> FClosing;
};

StatementCache &Cache() {
    // Never destroyed: connections kept by threads may close during exit.
    static auto *cache = new StatementCache;
    return *cache;
}

} // namespace

void SqliteCloser::operator()(sqlite3 *db) const {
    Cache().Close(db);
    sqlite3_close_v2(db);
}

Statement::Statement(sqlite3 *db, std::string_view sql) : FDb(db), FSql(sql) {
    FStatement = Cache().Take(db, sql);
    if (!FStatement)
        FPrepareResult =
            sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &FStatement, nullptr);
}

Statement::~Statement() {
    if (!FStatement)
        return;
    sqlite3_reset(FStatement);
    sqlite3_clear_bindings(FStatement);
    if (!Cache().Give(FDb, FSql, FStatement))
        sqlite3_finalize(FStatement);
}

Statement &Statement::bind(int index, std::int64_t value) {
    sqlite3_bind_int64(FStatement, index, value);
    return *this;
}

Statement &Statement::bind(int index, std::string_view text) {
    sqlite3_bind_text(FStatement, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
    return *this;
}

Statement &Statement::bindBlob(int index, const void *data, std::size_t size) {
    // A zero-length blob must still be a blob, not NULL.
    sqlite3_bind_blob(FStatement, index, size ? data : "", static_cast<int>(size),
                      SQLITE_TRANSIENT);
    return *this;
}

int Statement::step() {
    if (FPrepareResult != SQLITE_OK)
        return FPrepareResult;
    return sqlite3_step(FStatement);
}

std::int64_t Statement::columnInt(int column) const {
    return sqlite3_column_int64(FStatement, column);
}

std::string Statement::columnText(int column) const {
    const auto *text = sqlite3_column_text(FStatement, column);
    const int size = sqlite3_column_bytes(FStatement, column);
    return text ? std::string(reinterpret_cast<const char *>(text), static_cast<std::size_t>(size))
                : std::string();
}

std::vector<std::uint8_t> Statement::columnBlob(int column) const {
    const auto *data = static_cast<const std::uint8_t *>(sqlite3_column_blob(FStatement, column));
    const int size = sqlite3_column_bytes(FStatement, column);
    return data ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>();
}

} // namespace registry
