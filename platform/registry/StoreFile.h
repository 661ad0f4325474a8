#pragma once
// A store file below the Store class: the checks that keep a damaged file out of use (reported
// once per process, never changed), what identifies the state of the file on disk, and the
// connections a thread keeps between calls.

#include "platform/registry/SqliteDb.h"

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace registry {

constexpr int BusyTimeoutMs = 60000;

bool IsDamage(int sqliteResult);
void ReportDamage(const std::string &path, const char *detail);
// Closing the last connection would otherwise checkpoint the log into a file that was damaged or
// changed outside SQLite.
void LeaveFileAlone(sqlite3 *db);
int Exec(sqlite3 *db, const char *sql);
// BEGIN waits through the busy handler; this also retries the rare busy results that bypass it.
int BeginWithRetry(sqlite3 *db, const char *sql);

// What identifies the state of a store file on disk. Commits go to the write-ahead log, so this
// changes when the file is checkpointed or changed outside SQLite (replaced, truncated, written).
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileStamp &) const = default;
};
std::optional<FileStamp> StampOf(const std::string &path);

// The outcome of opening a store file with its checks.
struct OpenedFile {
    enum class State { Open, Damaged, Unopened, Failed };
    State state = State::Unopened;
    int result = SQLITE_OK; // the SQLite result behind Unopened and Failed
    SqliteHandle db;        // open for Open and Failed
    int version = 0;        // schema version of an Open file; 0 while its first writer sets it up
};

// Opens the file at path (created when create and absent) and reads its schema version, running a
// consistency check the first time a file is met. A damaged file is reported and closed untouched.
OpenedFile OpenStoreFile(const std::string &path, bool create);

// This thread's connection to path, when the file is exactly as the thread left it.
SqliteHandle TakeConnection(const std::string &path);
void KeepConnection(const std::string &path, SqliteHandle db);

} // namespace registry
