#pragma once
// Zone policies and zone settings as the registry and the built-in templates give them: the user
// store over the machine store over the templates.

#include "platform/urlmon/Zones.h"

#include <optional>

namespace urlmon {

// Writes the built-in zone keys and ZoneMap defaults into the machine store where they are
// missing. Idempotent; does nothing when the machine store is read-only.
void SeedMachineStore();

// A DWORD setting of a zone key ("CurrentLevel", "Flags", ...) from the given store(s).
std::optional<DWORD> ZoneSetting(DWORD zone, const char *name, URLZONEREG store);

// The policy of action in zone: the store's value, else (for URLZONEREG_DEFAULT the user store,
// then the machine store) the template of the zone's current level, else the zone's built-in
// set. nullopt when none of them sets the action.
std::optional<DWORD> ZoneActionPolicy(DWORD zone, DWORD action, URLZONEREG store);

// True for the zones this platform knows: the built-in zones 0 to 4.
bool IsKnownZone(DWORD zone);

} // namespace urlmon
