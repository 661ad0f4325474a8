#pragma once
// One SQLite registry store (user.db or machine.db) opened for the span of one registry call.
// A write session is a single BEGIN IMMEDIATE transaction. A cached read session answers from the
// store's read cache, which holds answers for the present state of the file only (StoreWatch.h),
// so writes of other processes are seen at once; what the cache does not hold is read from the
// file in one read transaction.

#include "platform/kernel/Win32.h"
#include "platform/registry/SqliteDb.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace registry {

enum class StoreKind { User, Machine };

constexpr std::int64_t RootKeyId = 1;

struct StoredValue {
    std::string name;
    DWORD type = 0;
    std::vector<std::uint8_t> data;
};

// Case-folded form of a key or value name; names compare equal when their folded forms do.
std::string FoldName(std::string_view name);

class ReadCache;
struct CacheKey;

class Store final {
public:
    enum class Mode { Read, Write };

    // Read: a missing or damaged file opens as an empty store; cached reads answer from the
    // store's read cache where they can. Write: creates the file when absent;
    // ERROR_ACCESS_DENIED for a read-only machine store, ERROR_REGISTRY_CORRUPT for a damaged
    // file (which is left untouched).
    static LONG Open(StoreKind kind, Mode mode, std::unique_ptr<Store> &store, bool cached = false);
    ~Store(); // rolls back what was not committed
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    LONG Commit();
    // True when answers came both from the cache and from the file while another connection
    // committed in between, so that they may belong to two states of the store.
    bool Mixed() const { return FServed && FSameState == false; }

    LONG KeyExists(std::int64_t id, bool &exists);
    LONG FindChild(std::int64_t parent, std::string_view name, std::optional<std::int64_t> &child);
    LONG CreateChild(std::int64_t parent, std::string_view name, std::int64_t &child);
    LONG ChildNames(std::int64_t parent, std::vector<std::string> &names);
    LONG Values(std::int64_t key, std::vector<StoredValue> &values);
    LONG FindValue(std::int64_t key, std::string_view name, std::optional<StoredValue> &value);
    LONG SetValue(std::int64_t key, std::string_view name, DWORD type,
                  const std::vector<std::uint8_t> &data);
    LONG DeleteValue(std::int64_t key, std::string_view name, bool &found);
    // Deletes the sub-keys and values of id, and id itself when withSelf.
    LONG DeleteTree(std::int64_t id, bool withSelf);

private:
    Store(StoreKind kind, std::string path) : FKind(kind), FPath(std::move(path)) {}
    LONG Connect(Mode mode);
    LONG Initialise(Mode mode, int version);
    LONG Fail(int sqliteResult);
    bool Absent() const { return !FDb; }
    // The answer for key from the cache, else from read on the file (kept when it may be).
    template <typename T, typename Read> LONG Answer(CacheKey key, T &answer, Read read);

    StoreKind FKind = StoreKind::User;
    std::string FPath;
    SqliteHandle FDb;
    bool FConnected = false;
    bool FInTransaction = false;
    bool FReusable = false;          // the connection may serve the next call of this thread
    bool FSchemaUncommitted = false; // this transaction creates the schema of a new file
    std::shared_ptr<ReadCache> FCache;
    std::filesystem::path FDirectory; // the platform directory of the cached state
    std::uint64_t FGeneration = 0;    // the state of the file the cache answers for
    bool FViewAbsent = false;         // that state is an absent file
    bool FServed = false;             // answered from the cache
    std::optional<bool> FSameState;   // the file was read in the state the cache answers for
};

} // namespace registry
