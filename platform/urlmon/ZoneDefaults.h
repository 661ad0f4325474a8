#pragma once
// Built-in zone definitions and the standard security templates (the policy of each action at
// the levels Low, Medium-low, Medium, Medium-high and High).

#include "platform/kernel/Win32.h"

#include <optional>
#include <span>
#include <string_view>

namespace urlmon {

struct ZoneDefinition {
    DWORD zone = 0;
    std::string_view displayName; // UTF-8
    std::string_view description; // UTF-8
    std::string_view iconPath;    // "module#number"
    DWORD minLevel = 0;
    DWORD recommendedLevel = 0;
    DWORD currentLevel = 0;
    DWORD flags = 0;
};

// Zones 0 to 4 in ascending order.
std::span<const ZoneDefinition> BuiltInZones();
const ZoneDefinition *FindBuiltInZone(DWORD zone);

// The policy a template gives an action; nullopt for URLTEMPLATE_CUSTOM, unknown templates and
// actions the templates do not set.
std::optional<DWORD> TemplatePolicy(DWORD templateLevel, DWORD action);
// The built-in policy of a zone at its built-in level (zone 0 has a custom set of its own).
std::optional<DWORD> BuiltInZonePolicy(DWORD zone, DWORD action);
// The actions the built-in sets cover, ascending.
std::span<const DWORD> TemplateActions();

} // namespace urlmon
