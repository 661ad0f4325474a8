#include "platform/wininet/DirectoryWatch.h"

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform::wininet {

namespace {

constexpr std::uint32_t kChanges = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                                   IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
// After these the watch no longer covers the directory (or lost events) and is set up again.
constexpr std::uint32_t kWatchLost = IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF;

} // namespace

DirectoryWatch::~DirectoryWatch() {
    Close();
}

void DirectoryWatch::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_dir.clear();
}

bool DirectoryWatch::Changed(const std::filesystem::path &dir) {
    if (m_fd < 0 || dir != m_dir) {
        Close();
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd < 0)
            return true;
        if (::inotify_add_watch(m_fd, dir.c_str(), kChanges) < 0) {
            Close();
            return true;
        }
        m_dir = dir;
        return true;
    }

    bool changed = false;
    bool lost = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length < 0 && errno == EAGAIN)
            break; // drained
        if (length <= 0) {
            lost = true;
            break;
        }
        changed = true;
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            if (event->mask & kWatchLost)
                lost = true;
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (lost) {
        Close();
        return true;
    }
    return changed;
}

} // namespace platform::wininet
