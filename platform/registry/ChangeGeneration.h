#pragma once
// A number for the state of the registry as this process reads it. It changes with every commit
// to a store of the platform directory by any connection of any process, with a store file that
// a registry call finds replaced or removed, with another platform directory, and when a
// predefined key is overridden or restored. An answer derived from registry reads made between
// two equal numbers holds for as long as the number stays the same; asking costs no system call.
// nullopt while a store cannot be followed so (damaged, not in WAL mode): the caller reads afresh.

#include <cstdint>
#include <optional>

namespace registry {

std::optional<std::uint64_t> ChangeGeneration();

} // namespace registry
