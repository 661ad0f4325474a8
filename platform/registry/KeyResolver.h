#pragma once
// Finding the store keys behind a handle within one registry call.

#include "platform/registry/Handles.h"
#include "platform/registry/Store.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace registry {

std::vector<std::string> SplitKeyPath(LPCSTR path);

// The stores one registry call uses, each opened once in the session's mode; a cached read
// session answers from the stores' read caches where it can.
class Session final {
public:
    explicit Session(Store::Mode mode, bool cached = false) : FMode(mode), FCached(cached) {}
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    LONG Get(StoreKind kind, Store *&store);
    LONG Commit();
    // A store answered from two of its states (see Store::Mixed).
    bool Mixed() const;

private:
    Store::Mode FMode;
    bool FCached = false;
    std::array<std::unique_ptr<Store>, 2> FStores;
};

// Runs read, which only reads, in a cached session; when its answers met two states of a store
// (another connection committed in between), runs it again in a session that reads the files.
template <typename Read> LONG ReadConsistently(Read read) {
    {
        Session cached(Store::Mode::Read, true);
        const LONG status = read(cached);
        if (!cached.Mixed())
            return status;
    }
    Session fresh(Store::Mode::Read);
    return read(fresh);
}

// One store key behind a handle.
struct KeyPart {
    StoreKind store = StoreKind::User;
    std::int64_t id = RootKeyId;
};

// Follows path below start; child is empty when a component is missing.
LONG Walk(Store &store, std::int64_t start, const std::vector<std::string> &path,
          std::optional<std::int64_t> &child);
// As Walk, creating what is missing; created tells whether anything was.
LONG WalkCreate(Store &store, std::int64_t start, const std::vector<std::string> &path,
                std::int64_t &child, bool &created);

// The path of a classes-view key inside a store: Software\Classes\<path>.
std::vector<std::string> ClassesStorePath(const std::vector<std::string> &path);

// The store keys behind ref followed by sub, in read priority (user before machine).
// ERROR_KEY_DELETED when ref itself no longer exists; parts is empty when only sub is missing.
LONG ResolveParts(Session &session, const KeyRef &ref, const std::vector<std::string> &sub,
                  std::vector<KeyPart> &parts);

constexpr REGSAM WriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK |
                               DELETE_ACCESS | 0x00040000 /* WRITE_DAC */ |
                               0x00080000 /* WRITE_OWNER */;

} // namespace registry
