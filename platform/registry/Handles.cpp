#include "platform/registry/Handles.h"

#include "platform/registry/StoreWatch.h"

#include <map>
#include <mutex>

namespace registry {

namespace {

struct HandleTable {
    std::mutex mutex;
    std::map<ULONG_PTR, KeyRef> open;
    std::map<ULONG_PTR, KeyRef> overrides;
    std::uint64_t overridesGeneration = 0;
    ULONG_PTR next = 0x10000;
};

HandleTable &Table() {
    static HandleTable table;
    return table;
}

ULONG_PTR Value(HKEY key) {
    return reinterpret_cast<ULONG_PTR>(key);
}

std::optional<KeyRef> DefaultPredefined(HKEY key) {
    KeyRef ref;
    if (key == HKEY_CURRENT_USER)
        ref.store = StoreKind::User;
    else if (key == HKEY_LOCAL_MACHINE)
        ref.store = StoreKind::Machine;
    else if (key == HKEY_CLASSES_ROOT)
        ref.kind = KeyRef::Kind::Classes;
    else
        return std::nullopt;
    return ref;
}

} // namespace

bool IsPredefinedKey(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
           key == HKEY_USERS;
}

HKEY RegisterKey(KeyRef ref) {
    auto &table = Table();
    const std::lock_guard lock(table.mutex);
    const ULONG_PTR value = table.next;
    table.next += 4;
    table.open.emplace(value, std::move(ref));
    return reinterpret_cast<HKEY>(value);
}

std::optional<KeyRef> LookupKey(HKEY key) {
    auto &table = Table();
    const std::lock_guard lock(table.mutex);
    if (IsPredefinedKey(key)) {
        if (auto found = table.overrides.find(Value(key)); found != table.overrides.end())
            return found->second;
        return DefaultPredefined(key);
    }
    if (auto found = table.open.find(Value(key)); found != table.open.end())
        return found->second;
    return std::nullopt;
}

bool UnregisterKey(HKEY key) {
    auto &table = Table();
    const std::lock_guard lock(table.mutex);
    return table.open.erase(Value(key)) > 0;
}

void OverridePredefinedKey(HKEY key, std::optional<KeyRef> ref) {
    auto &table = Table();
    const std::lock_guard lock(table.mutex);
    if (ref)
        table.overrides[Value(key)] = std::move(*ref);
    else
        table.overrides.erase(Value(key));
    table.overridesGeneration = NewGeneration();
}

std::uint64_t OverridesGeneration() {
    auto &table = Table();
    const std::lock_guard lock(table.mutex);
    return table.overridesGeneration;
}

} // namespace registry
