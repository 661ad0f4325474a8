#pragma once
// The process's table of open registry keys. Handles are opaque numbers that are never reused,
// so a closed or made-up handle is recognised instead of being dereferenced.

#include "platform/registry/Registry.h"
#include "platform/registry/Store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace registry {

// What a handle refers to: a key of one store (by row id, so a key deleted meanwhile is noticed)
// or a path in the merged HKEY_CLASSES_ROOT view, resolved afresh on every use.
struct KeyRef {
    enum class Kind { Store, Classes };
    Kind kind = Kind::Store;
    StoreKind store = StoreKind::User;
    std::int64_t id = RootKeyId;
    std::vector<std::string> classesPath;
    REGSAM access = KEY_ALL_ACCESS;
};

bool IsPredefinedKey(HKEY key);
HKEY RegisterKey(KeyRef ref);
// The key behind handle; for a predefined key its per-process override when one is set.
std::optional<KeyRef> LookupKey(HKEY key);
bool UnregisterKey(HKEY key);
// Redirects a predefined key to ref, or restores its default mapping when ref is empty.
void OverridePredefinedKey(HKEY key, std::optional<KeyRef> ref);
// Changes whenever a predefined key is redirected or restored (a number of NewGeneration()).
std::uint64_t OverridesGeneration();

} // namespace registry
