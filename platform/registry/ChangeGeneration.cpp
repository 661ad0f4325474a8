#include "platform/registry/ChangeGeneration.h"

#include "platform/kernel/PlatformDir.h"
#include "platform/registry/Handles.h"
#include "platform/registry/StoreWatch.h"

#include <algorithm>

namespace registry {

std::optional<std::uint64_t> ChangeGeneration() {
    // Each change takes a number larger than all before it, so the largest number changes too.
    const auto directory = platform::PlatformDirectory();
    const auto user = StoreGeneration(directory, StoreKind::User);
    const auto machine = StoreGeneration(directory, StoreKind::Machine);
    if (!user || !machine)
        return std::nullopt;
    return std::max({*user, *machine, OverridesGeneration()});
}

} // namespace registry
