#include "platform/registry/KeyResolver.h"

#include "platform/registry/Transaction.h"

#include <algorithm>

namespace registry {

std::vector<std::string> SplitKeyPath(LPCSTR path) {
    std::vector<std::string> parts;
    if (path == nullptr)
        return parts;
    std::string_view rest(path);
    while (!rest.empty()) {
        const auto slash = rest.find('\\');
        const auto part = rest.substr(0, slash);
        if (!part.empty())
            parts.emplace_back(part);
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    return parts;
}

LONG Session::Get(StoreKind kind, Store *&store) {
    // Inside a transaction, writes go into it and reads see them.
    if (Transaction *transaction = Transaction::Current()) {
        if (FMode == Store::Mode::Write)
            return transaction->WriteStore(kind, store);
        if (Store *written = transaction->OpenedStore(kind)) {
            store = written;
            return ERROR_SUCCESS;
        }
    }
    auto &slot = FStores[kind == StoreKind::User ? 0 : 1];
    if (!slot) {
        const LONG status = Store::Open(kind, FMode, slot, FCached);
        if (status != ERROR_SUCCESS)
            return status;
    }
    store = slot.get();
    return ERROR_SUCCESS;
}

LONG Session::Commit() {
    for (auto &store : FStores)
        if (store)
            if (const LONG status = store->Commit(); status != ERROR_SUCCESS)
                return status;
    return ERROR_SUCCESS;
}

bool Session::Mixed() const {
    return std::any_of(FStores.begin(), FStores.end(),
                       [](const auto &store) { return store && store->Mixed(); });
}

LONG Walk(Store &store, std::int64_t start, const std::vector<std::string> &path,
          std::optional<std::int64_t> &child) {
    child = start;
    for (const auto &name : path) {
        const LONG status = store.FindChild(*child, name, child);
        if (status != ERROR_SUCCESS || !child)
            return status;
    }
    return ERROR_SUCCESS;
}

LONG WalkCreate(Store &store, std::int64_t start, const std::vector<std::string> &path,
                std::int64_t &child, bool &created) {
    created = false;
    child = start;
    for (const auto &name : path) {
        std::optional<std::int64_t> next;
        if (const LONG status = store.FindChild(child, name, next); status != ERROR_SUCCESS)
            return status;
        if (next) {
            child = *next;
            continue;
        }
        if (const LONG status = store.CreateChild(child, name, child); status != ERROR_SUCCESS)
            return status;
        created = true;
    }
    return ERROR_SUCCESS;
}

std::vector<std::string> ClassesStorePath(const std::vector<std::string> &path) {
    std::vector<std::string> full{"Software", "Classes"};
    full.insert(full.end(), path.begin(), path.end());
    return full;
}

LONG ResolveParts(Session &session, const KeyRef &ref, const std::vector<std::string> &sub,
                  std::vector<KeyPart> &parts) {
    parts.clear();
    if (ref.kind == KeyRef::Kind::Store) {
        Store *store = nullptr;
        if (const LONG status = session.Get(ref.store, store); status != ERROR_SUCCESS)
            return status;
        bool exists = false;
        if (const LONG status = store->KeyExists(ref.id, exists); status != ERROR_SUCCESS)
            return status;
        if (!exists)
            return ERROR_KEY_DELETED;
        std::optional<std::int64_t> child;
        if (const LONG status = Walk(*store, ref.id, sub, child); status != ERROR_SUCCESS)
            return status;
        if (child)
            parts.push_back({ref.store, *child});
        return ERROR_SUCCESS;
    }
    // The merged view: the user's Software\Classes over the machine's.
    bool selfFound = ref.classesPath.empty();
    for (const StoreKind kind : {StoreKind::User, StoreKind::Machine}) {
        Store *store = nullptr;
        if (const LONG status = session.Get(kind, store); status != ERROR_SUCCESS)
            return status;
        std::optional<std::int64_t> self;
        const auto selfPath = ClassesStorePath(ref.classesPath);
        if (const LONG status = Walk(*store, RootKeyId, selfPath, self); status != ERROR_SUCCESS)
            return status;
        if (!self)
            continue;
        selfFound = true;
        std::optional<std::int64_t> child;
        if (const LONG status = Walk(*store, *self, sub, child); status != ERROR_SUCCESS)
            return status;
        if (child)
            parts.push_back({kind, *child});
    }
    return selfFound ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

} // namespace registry
