#include "platform/kernel/ChangeNotify.h"

#include "platform/kernel/KernelObject.h"

#include <cerrno>
#include <mutex>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr DWORD kNameFilters = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
constexpr DWORD kAllFilters = kNameFilters | FILE_NOTIFY_CHANGE_ATTRIBUTES |
                              FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

uint32_t WatchMask(DWORD filter) {
    uint32_t mask = IN_ONLYDIR;
    if (filter & kNameFilters)
        mask |= kNameEvents;
    if (filter & FILE_NOTIFY_CHANGE_ATTRIBUTES)
        mask |= IN_ATTRIB;
    if (filter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE))
        mask |= IN_MODIFY;
    return mask;
}

class ChangeNotification final : public KernelObject {
public:
    ChangeNotification(int fd, DWORD filter) : FFd(fd), FFilter(filter) {}
    ~ChangeNotification() override { ::close(FFd); }

    DWORD Wait(DWORD timeoutMs) override {
        const WaitDeadline deadline(timeoutMs);
        std::lock_guard lock(FMutex);
        for (;;) {
            if (!Drain())
                return WAIT_FAILED;
            if (FSignalled)
                return WAIT_OBJECT_0;
            const int remaining = deadline.RemainingMs();
            if (remaining == 0)
                return WAIT_TIMEOUT;
            pollfd p{FFd, POLLIN, 0};
            if (::poll(&p, 1, remaining) < 0 && errno != EINTR) {
                SetLastError(ERROR_INVALID_HANDLE);
                return WAIT_FAILED;
            }
        }
    }

    void Rearm() {
        std::lock_guard lock(FMutex);
        FSignalled = false;
    }

private:
    // Reads every queued event; a matching one signals the handle.
    bool Drain() {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(FFd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && errno == EAGAIN)
                return true;
            if (got <= 0) {
                SetLastError(ERROR_INVALID_HANDLE);
                return false;
            }
            for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (Matches(event->mask))
                    FSignalled = true;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

    bool Matches(uint32_t mask) const {
        if (mask & IN_Q_OVERFLOW)
            return true; // events were lost: report a change rather than miss one
        if (mask & kNameEvents) {
            const DWORD wanted =
                (mask & IN_ISDIR) ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME;
            return (FFilter & wanted) != 0;
        }
        if (mask & IN_ATTRIB)
            return (FFilter & FILE_NOTIFY_CHANGE_ATTRIBUTES) != 0;
        if (mask & IN_MODIFY)
            return (FFilter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)) != 0;
        return false;
    }

    std::mutex FMutex;
    int FFd = -1;
    DWORD FFilter = 0;
    bool FSignalled = false;
};

} // namespace
} // namespace platform

using platform::ChangeNotification;

HANDLE FindFirstChangeNotificationA(LPCSTR pathName, BOOL watchSubtree, DWORD notifyFilter) {
    if (watchSubtree) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return INVALID_HANDLE_VALUE;
    }
    if (!pathName || !*pathName || (notifyFilter & platform::kAllFilters) == 0 ||
        (notifyFilter & ~platform::kAllFilters) != 0) {
        SetLastError(!pathName || !*pathName ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    if (::inotify_add_watch(fd, pathName, platform::WatchMask(notifyFilter)) < 0) {
        const int error = errno;
        ::close(fd);
        SetLastError(error == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return platform::InsertHandle(std::make_shared<ChangeNotification>(fd, notifyFilter));
}

BOOL FindNextChangeNotification(HANDLE changeHandle) {
    const auto notification = platform::FindHandleAs<ChangeNotification>(changeHandle);
    if (!notification) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    notification->Rearm();
    return TRUE;
}

BOOL FindCloseChangeNotification(HANDLE changeHandle) {
    if (!platform::FindHandleAs<ChangeNotification>(changeHandle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return CloseHandle(changeHandle);
}
