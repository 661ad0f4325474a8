#pragma once
// Read-only switch for the machine store (HKEY_LOCAL_MACHINE). The store is read-only when the
// marker file "machine.readonly" exists in the platform directory, or when machine.db exists
// without any write permission bit. The check is made by the registry itself, so it holds for
// root as well; writes then fail with ERROR_ACCESS_DENIED.

#include <filesystem>

// Creates or removes the marker file; false when that fails.
bool SetMachineStoreReadOnly(bool readOnly);
bool IsMachineStoreReadOnly();

namespace registry {

std::filesystem::path UserStorePath();
std::filesystem::path MachineStorePath();
// The same inside a platform directory already known.
std::filesystem::path UserStorePath(const std::filesystem::path &directory);
std::filesystem::path MachineStorePath(const std::filesystem::path &directory);
std::filesystem::path MachineReadOnlyMarkerPath();

} // namespace registry
