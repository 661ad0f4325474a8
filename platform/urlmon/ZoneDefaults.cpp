#include "platform/urlmon/ZoneDefaults.h"

#include "platform/urlmon/Zones.h"

#include <algorithm>
#include <array>

namespace urlmon {
namespace {

constexpr std::array<ZoneDefinition, 5> kZones{{
    {URLZONE_LOCAL_MACHINE, "マイ コンピュータ", "お使いのコンピュータです。", "explorer.exe#0100",
     URLTEMPLATE_CUSTOM, URLTEMPLATE_CUSTOM, URLTEMPLATE_CUSTOM,
     ZAFLAGS_CUSTOM_EDIT | ZAFLAGS_NO_UI},
    {URLZONE_INTRANET, "ローカル イントラネット",
     "このゾーンには、組織のイントラネット上にあるすべての Web サイトが含まれます。",
     "shell32.dll#0018", URLTEMPLATE_LOW, URLTEMPLATE_MEDLOW, URLTEMPLATE_MEDLOW, 0xDB},
    {URLZONE_TRUSTED, "信頼済みサイト",
     "このゾーンには、コンピュータやデータに損害を与えないと信頼している Web "
     "サイトが含まれます。",
     "inetcpl.cpl#00004480", URLTEMPLATE_LOW, URLTEMPLATE_LOW, URLTEMPLATE_LOW, 0x47},
    {URLZONE_INTERNET, "インターネット",
     "このゾーンには、ほかのゾーンに含まれないすべての Web サイトが含まれます。",
     "inetcpl.cpl#001313", URLTEMPLATE_MEDIUM, URLTEMPLATE_MEDIUM, URLTEMPLATE_MEDIUM,
     ZAFLAGS_CUSTOM_EDIT},
    {URLZONE_UNTRUSTED, "制限付きサイト",
     "このゾーンには、コンピュータやデータに損害を与える可能性のある Web サイトが含まれます。",
     "inetcpl.cpl#00004481", URLTEMPLATE_HIGH, URLTEMPLATE_HIGH, URLTEMPLATE_HIGH,
     ZAFLAGS_CUSTOM_EDIT | ZAFLAGS_ADD_SITES},
}};

// One row per action: zone 0's custom set, then the templates Medium-low, Low, Medium, High.
// Medium-high uses the Medium column: the two differ only in actions the templates do not set.
struct PolicyRow {
    DWORD action;
    DWORD custom, medLow, low, medium, high;
};

constexpr std::array<PolicyRow, 30> kPolicies{{
    {0x1001, 0, 1, 0, 1, 3},
    {0x1004, 0, 3, 1, 3, 3},
    {0x1200, 0, 0, 0, 0, 3},
    {0x1201, 1, 3, 1, 3, 3},
    {0x1400, 0, 0, 0, 0, 3},
    {0x1402, 0, 0, 0, 0, 3},
    {0x1405, 0, 0, 0, 0, 3},
    {0x1406, 0, 1, 0, 3, 3},
    {0x1407, 0, 0, 0, 0, 3},
    {0x1601, 0, 0, 0, 1, 1},
    {0x1604, 0, 0, 0, 0, 1},
    {0x1605, 0, 0, 0, 0, 0},
    {0x1606, 0, 0, 0, 0, 3},
    {0x1607, 0, 0, 0, 0, 3},
    {0x1608, 0, 0, 0, 0, 3},
    {0x1609, 1, 1, 1, 1, 1},
    {0x1800, 0, 1, 0, 1, 3},
    {0x1802, 0, 0, 0, 0, 1},
    {0x1803, 0, 0, 0, 0, 3},
    {0x1804, 0, 1, 0, 1, 3},
    {0x1805, 0, 0, 0, 1, 1},
    {0x1A00, 0x0, 0x20000, 0x0, 0x20000, 0x10000},
    {0x1A02, 0, 0, 0, 0, 3},
    {0x1A03, 0, 0, 0, 0, 3},
    {0x1A04, 0, 0, 0, 3, 3},
    {0x1A05, 0, 0, 0, 1, 3},
    {0x1A06, 0, 0, 0, 0, 3},
    {0x1A10, 0, 0, 0, 1, 3},
    {0x1C00, 0x20000, 0x20000, 0x30000, 0x10000, 0x0},
    {0x1E05, 0x30000, 0x20000, 0x30000, 0x20000, 0x10000},
}};

constexpr std::array<DWORD, kPolicies.size()> kActions = [] {
    std::array<DWORD, kPolicies.size()> actions{};
    for (std::size_t i = 0; i < kPolicies.size(); ++i)
        actions[i] = kPolicies[i].action;
    return actions;
}();

const PolicyRow *FindRow(DWORD action) {
    const auto it = std::lower_bound(kPolicies.begin(), kPolicies.end(), action,
                                     [](const PolicyRow &row, DWORD a) { return row.action < a; });
    return it != kPolicies.end() && it->action == action ? &*it : nullptr;
}

} // namespace

std::span<const ZoneDefinition> BuiltInZones() {
    return kZones;
}

const ZoneDefinition *FindBuiltInZone(DWORD zone) {
    return zone < kZones.size() ? &kZones[zone] : nullptr;
}

std::optional<DWORD> TemplatePolicy(DWORD templateLevel, DWORD action) {
    const PolicyRow *row = FindRow(action);
    if (!row)
        return std::nullopt;
    switch (templateLevel) {
    case URLTEMPLATE_LOW:
        return row->low;
    case URLTEMPLATE_MEDLOW:
        return row->medLow;
    case URLTEMPLATE_MEDIUM:
    case URLTEMPLATE_MEDHIGH:
        return row->medium;
    case URLTEMPLATE_HIGH:
        return row->high;
    default:
        return std::nullopt;
    }
}

std::optional<DWORD> BuiltInZonePolicy(DWORD zone, DWORD action) {
    const ZoneDefinition *definition = FindBuiltInZone(zone);
    if (!definition)
        return std::nullopt;
    if (definition->currentLevel == URLTEMPLATE_CUSTOM) {
        const PolicyRow *row = FindRow(action);
        return row ? std::optional<DWORD>(row->custom) : std::nullopt;
    }
    return TemplatePolicy(definition->currentLevel, action);
}

std::span<const DWORD> TemplateActions() {
    return kActions;
}

} // namespace urlmon
