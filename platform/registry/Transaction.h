#pragma once
// One transaction over many registry calls of a thread, as an import needs: from its creation to
// Commit() every write of this thread goes into it, this thread's reads see those writes, and
// other processes see none of them until Commit(). Destroyed uncommitted, it leaves the registry
// as it was. A transaction created while another is open on the thread joins that one.

#include "platform/kernel/Win32.h"

#include <array>
#include <memory>

namespace registry {

class Store;
enum class StoreKind;

class Transaction final {
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Commits the user store, then the machine store. A failure leaves that store and the ones
    // after it unchanged; only a failing machine commit after a successful user commit splits.
    LONG Commit();

    // The open transaction of this thread, or null.
    static Transaction *Current();
    // The store the transaction writes kind through, opened on first use.
    LONG WriteStore(StoreKind kind, Store *&store);
    // That store when it is already open, else null.
    Store *OpenedStore(StoreKind kind) const;

private:
    Transaction *FOuter = nullptr; // the transaction this one joined
    std::array<std::unique_ptr<Store>, 2> FStores;
};

} // namespace registry
