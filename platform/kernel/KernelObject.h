#pragma once
// The handle table behind HANDLE values of this module. Handles are small numbers that never
// equal null or INVALID_HANDLE_VALUE; a closed handle is never reused by a later object.

#include "platform/kernel/Win32.h"

#include <memory>

namespace platform {

class KernelObject {
public:
    KernelObject() = default;
    virtual ~KernelObject() = default;
    KernelObject(const KernelObject &) = delete;
    KernelObject &operator=(const KernelObject &) = delete;

    // WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED, as WaitForSingleObject.
    virtual DWORD Wait(DWORD timeoutMs) = 0;
};

HANDLE InsertHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> FindHandle(HANDLE handle);
bool RemoveHandle(HANDLE handle);

template <class T> std::shared_ptr<T> FindHandleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(FindHandle(handle));
}

// Milliseconds left until a deadline begun now; INFINITE stays infinite.
class WaitDeadline final {
public:
    explicit WaitDeadline(DWORD timeoutMs);
    int RemainingMs() const; // -1 for infinite, 0 when expired

private:
    DWORD FTimeout = 0;
    long long FStart = 0;
};

} // namespace platform
