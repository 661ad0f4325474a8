#pragma once
// Tells whether anything in one directory changed since the last question, through inotify.
// Lets a reader keep a value read from the registry stores in that directory until a store file
// is written again, without missing a write made by any process in between.

#include <filesystem>

namespace platform::wininet {

class DirectoryWatch final {
public:
    DirectoryWatch() = default;
    ~DirectoryWatch();
    DirectoryWatch(const DirectoryWatch &) = delete;
    DirectoryWatch &operator=(const DirectoryWatch &) = delete;

    // True when dir may have changed since the previous call: something was written, created,
    // deleted or renamed in it, the watch was just set up, dir is another directory than last
    // time, or no watch can be kept (then it is true every time).
    bool Changed(const std::filesystem::path &dir);

private:
    void Close();

    int m_fd = -1;
    std::filesystem::path m_dir;
};

} // namespace platform::wininet
