#include "platform/registry/SqliteDb.h"

namespace registry {

Statement::Statement(sqlite3 *db, std::string_view sql) {
    FPrepareResult =
        sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &FStatement, nullptr);
}

Statement::~Statement() {
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
