#pragma once
// Thin RAII wrappers over an SQLite connection and its prepared statements.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace registry {

// Finalizes the connection's cached statements, then closes it.
struct SqliteCloser {
    void operator()(sqlite3 *db) const;
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;

// A prepared statement. Statements are kept per connection and SQL text between uses (reset,
// bindings cleared), since preparing dominates the cost of a short registry call.
class Statement final {
public:
    Statement(sqlite3 *db, std::string_view sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(int index, std::int64_t value);
    Statement &bind(int index, std::string_view text);
    Statement &bindBlob(int index, const void *data, std::size_t size);
    // SQLITE_ROW, SQLITE_DONE or an error code (also the preparation's failure).
    int step();
    std::int64_t columnInt(int column) const;
    std::string columnText(int column) const;
    std::vector<std::uint8_t> columnBlob(int column) const;

private:
    sqlite3 *FDb = nullptr;
    std::string FSql; // a copy: callers may pass a temporary
    sqlite3_stmt *FStatement = nullptr;
    int FPrepareResult = SQLITE_OK;
};

} // namespace registry
