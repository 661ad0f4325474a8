#pragma once
// Follows the state of each store file (a platform directory and a store kind) through a generation
// number that changes with every commit any connection of any process makes to it. The number comes
// from SQLite's write-ahead-log index: every commit rewrites its header in the shared memory of the
// "-shm" file before the commit returns, so comparing that header with the one seen last takes no
// system call. A connection of this process is kept open on the file for as long as it is followed;
// it holds the shared lock that keeps the log and its index in place and the file in WAL mode.

#include "platform/registry/Store.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace registry {

class ReadCache;

struct StoreView {
    std::uint64_t generation = 0;
    bool absent = false;              // there is no file
    std::shared_ptr<ReadCache> cache; // answers kept for this store file
};

// The state of the file, also checked against the file itself (one stat), so that a file
// replaced, removed or rewritten outside SQLite is met at once. An absent file is a state of its
// own (read as empty). nullopt when the file cannot be followed: damaged, not yet set up by its
// first writer, or not in WAL mode.
std::optional<StoreView> CheckedStoreView(const std::filesystem::path &directory, StoreKind kind);

// The generation alone, without a system call while the file is followed (an absent file costs a
// stat); a file changed outside SQLite is met once a registry call has checked it.
std::optional<std::uint64_t> StoreGeneration(const std::filesystem::path &directory,
                                             StoreKind kind);

// A number larger than every number given out before.
std::uint64_t NewGeneration();

} // namespace registry
