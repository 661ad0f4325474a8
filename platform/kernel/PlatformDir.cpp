#include "platform/kernel/PlatformDir.h"

#include <cstdlib>
#include <system_error>

namespace platform {

namespace {

std::filesystem::path FromEnv(const char *name) {
    const char *value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return {};
    return std::filesystem::path(value);
}

} // namespace

std::filesystem::path PlatformDirectory() {
    if (auto dir = FromEnv("QUILLMERE_PLATFORM_DIR"); !dir.empty())
        return dir;
    // A relative XDG_DATA_HOME is invalid and ignored, as the base-directory rules require.
    if (auto data = FromEnv("XDG_DATA_HOME"); !data.empty() && data.is_absolute())
        return data / "quillmere";
    if (auto home = FromEnv("HOME"); !home.empty())
        return home / ".local" / "share" / "quillmere";
    return std::filesystem::path(".quillmere");
}

bool EnsurePlatformDirectory() {
    std::error_code error;
    const auto dir = PlatformDirectory();
    std::filesystem::create_directories(dir, error);
    return !error && std::filesystem::is_directory(dir, error);
}

} // namespace platform
