#include "platform/kernel/Handles.h"

#include "platform/kernel/KernelObject.h"

#include <chrono>
#include <limits>
#include <mutex>
#include <unordered_map>

namespace platform {
namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
    std::uintptr_t next = 4;
};

HandleTable &Table() {
    static HandleTable table;
    return table;
}

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
    HandleTable &table = Table();
    std::lock_guard lock(table.mutex);
    const std::uintptr_t value = table.next;
    table.next += 4;
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> FindHandle(HANDLE handle) {
    HandleTable &table = Table();
    std::lock_guard lock(table.mutex);
    const auto found = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == table.objects.end() ? nullptr : found->second;
}

bool RemoveHandle(HANDLE handle) {
    std::shared_ptr<KernelObject> object; // destroyed outside the lock
    HandleTable &table = Table();
    std::lock_guard lock(table.mutex);
    const auto found = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == table.objects.end())
        return false;
    object = std::move(found->second);
    table.objects.erase(found);
    return true;
}

WaitDeadline::WaitDeadline(DWORD timeoutMs) : FTimeout(timeoutMs), FStart(NowMs()) {}

int WaitDeadline::RemainingMs() const {
    if (FTimeout == INFINITE)
        return -1;
    const long long left = FStart + FTimeout - NowMs();
    return left <= 0 ? 0 : int(std::min<long long>(left, std::numeric_limits<int>::max()));
}

} // namespace platform

DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs) {
    const auto object = platform::FindHandle(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->Wait(timeoutMs);
}

BOOL CloseHandle(HANDLE handle) {
    if (!platform::RemoveHandle(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
