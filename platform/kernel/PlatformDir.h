#pragma once
// The one directory that holds all platform state of a user: registry stores, the default
// favorites folder, runtime sockets. QUILLMERE_PLATFORM_DIR overrides the default
// $XDG_DATA_HOME/quillmere (~/.local/share/quillmere). Read afresh on every call.

#include <filesystem>

namespace platform {

std::filesystem::path PlatformDirectory();

// Creates the directory (and parents) when absent; returns false when that fails.
bool EnsurePlatformDirectory();

} // namespace platform
