#include "platform/registry/MachineStore.h"

#include "platform/kernel/PlatformDir.h"

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace registry {

fs::path UserStorePath() {
    return UserStorePath(platform::PlatformDirectory());
}

fs::path MachineStorePath() {
    return MachineStorePath(platform::PlatformDirectory());
}

fs::path UserStorePath(const fs::path &directory) {
    return directory / "user.db";
}

fs::path MachineStorePath(const fs::path &directory) {
    return directory / "machine.db";
}

fs::path MachineReadOnlyMarkerPath() {
    return platform::PlatformDirectory() / "machine.readonly";
}

} // namespace registry

using registry::MachineReadOnlyMarkerPath;
using registry::MachineStorePath;
bool SetMachineStoreReadOnly(bool readOnly) {
    std::error_code error;
    const auto marker = MachineReadOnlyMarkerPath();
    if (!readOnly) {
        fs::remove(marker, error);
        return !error;
    }
    if (!platform::EnsurePlatformDirectory())
        return false;
    std::ofstream out(marker, std::ios::app);
    return out.good() && fs::exists(marker, error);
}

bool IsMachineStoreReadOnly() {
    std::error_code error;
    if (fs::exists(MachineReadOnlyMarkerPath(), error))
        return true;
    const auto status = fs::status(MachineStorePath(), error);
    if (error || !fs::exists(status))
        return false;
    constexpr auto writeBits =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & writeBits) == fs::perms::none;
}
