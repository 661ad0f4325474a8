#include "platform/registry/Transaction.h"

#include "platform/registry/Store.h"

namespace registry {

namespace {

thread_local Transaction *current = nullptr;

std::size_t Slot(StoreKind kind) {
    return kind == StoreKind::User ? 0 : 1;
}

} // namespace

Transaction::Transaction() : FOuter(current) {
    if (!FOuter)
        current = this;
}

Transaction::~Transaction() {
    if (!FOuter)
        current = nullptr;
    // The stores roll back what was not committed.
}

LONG Transaction::Commit() {
    if (FOuter)
        return ERROR_SUCCESS;
    for (auto &store : FStores)
        if (store)
            if (const LONG status = store->Commit(); status != ERROR_SUCCESS)
                return status;
    return ERROR_SUCCESS;
}

Transaction *Transaction::Current() {
    return current;
}

LONG Transaction::WriteStore(StoreKind kind, Store *&store) {
    if (FOuter)
        return FOuter->WriteStore(kind, store);
    auto &slot = FStores[Slot(kind)];
    if (!slot)
        if (const LONG status = Store::Open(kind, Store::Mode::Write, slot);
            status != ERROR_SUCCESS)
            return status;
    store = slot.get();
    return ERROR_SUCCESS;
}

Store *Transaction::OpenedStore(StoreKind kind) const {
    return FOuter ? FOuter->OpenedStore(kind) : FStores[Slot(kind)].get();
}

} // namespace registry
