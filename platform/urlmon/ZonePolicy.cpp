#include "platform/urlmon/ZonePolicy.h"

#include "platform/registry/RegistryMemo.h"
#include "platform/urlmon/ZoneDefaults.h"
#include "platform/urlmon/ZoneRegistry.h"

#include <string>
#include <tuple>

namespace urlmon {
namespace {

HKEY StoreRoot(URLZONEREG store) {
    return store == URLZONEREG_HKLM ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::optional<DWORD> ReadFromStores(const std::string &path, const std::string &name,
                                    URLZONEREG store) {
    if (store != URLZONEREG_DEFAULT)
        return ReadDword(StoreRoot(store), path, name);
    if (auto value = ReadDword(HKEY_CURRENT_USER, path, name))
        return value;
    return ReadDword(HKEY_LOCAL_MACHINE, path, name);
}

// The zone's attributes and levels; its action policies stay with the template of its level, so a
// value written later by an administrator overrides exactly one action. False when the machine
// store refuses writes.
bool SeedZone(const ZoneDefinition &zone) {
    const std::string path = ZoneKeyPath(zone.zone);
    // "Flags" is written last: its presence marks a complete key.
    if (RegKey(HKEY_LOCAL_MACHINE, path).Dword("Flags"))
        return true;
    if (!WriteString(HKEY_LOCAL_MACHINE, path, "DisplayName", std::string(zone.displayName)))
        return false;
    WriteString(HKEY_LOCAL_MACHINE, path, "Description", std::string(zone.description));
    WriteString(HKEY_LOCAL_MACHINE, path, "Icon", std::string(zone.iconPath));
    WriteDword(HKEY_LOCAL_MACHINE, path, "CurrentLevel", zone.currentLevel);
    WriteDword(HKEY_LOCAL_MACHINE, path, "MinLevel", zone.minLevel);
    WriteDword(HKEY_LOCAL_MACHINE, path, "RecommendedLevel", zone.recommendedLevel);
    return WriteDword(HKEY_LOCAL_MACHINE, path, "Flags", zone.flags);
}

void SeedZoneMap() {
    const std::string zoneMap = ZoneMapPath({});
    RegKey existing(HKEY_LOCAL_MACHINE, zoneMap);
    for (const char *name : {"IntranetName", "UNCAsIntranet", "ProxyByPass"})
        if (!existing.Dword(name))
            WriteDword(HKEY_LOCAL_MACHINE, zoneMap, name, 1);
    const std::string defaults = ZoneMapPath("ProtocolDefaults");
    RegKey existingDefaults(HKEY_LOCAL_MACHINE, defaults);
    for (const char *scheme : {"http", "https", "ftp", "file"})
        if (!existingDefaults.Dword(scheme))
            WriteDword(HKEY_LOCAL_MACHINE, defaults, scheme, URLZONE_INTERNET);
}

std::optional<DWORD> ReadZoneActionPolicy(DWORD zone, DWORD action, URLZONEREG store) {
    // Each store's zone key is opened once for both values.
    const std::string path = ZoneKeyPath(zone);
    const bool user = store != URLZONEREG_HKLM, machine = store != URLZONEREG_HKCU;
    const RegKey userKey = user ? RegKey(HKEY_CURRENT_USER, path) : RegKey();
    const RegKey machineKey = machine ? RegKey(HKEY_LOCAL_MACHINE, path) : RegKey();
    const auto fromStores = [&](const std::string &name) {
        auto value = userKey.Dword(name);
        return value ? value : machineKey.Dword(name);
    };
    if (auto value = fromStores(ActionValueName(action)))
        return value;
    const ZoneDefinition *definition = FindBuiltInZone(zone);
    const DWORD level = fromStores("CurrentLevel")
                            .value_or(definition ? definition->currentLevel : URLTEMPLATE_CUSTOM);
    if (auto value = TemplatePolicy(level, action))
        return value;
    return BuiltInZonePolicy(zone, action);
}

} // namespace

void SeedMachineStore() {
    for (const ZoneDefinition &zone : BuiltInZones())
        if (!SeedZone(zone))
            return;
    SeedZoneMap();
}

bool IsKnownZone(DWORD zone) {
    return FindBuiltInZone(zone) != nullptr;
}

std::optional<DWORD> ZoneSetting(DWORD zone, const char *name, URLZONEREG store) {
    return ReadFromStores(ZoneKeyPath(zone), name, store);
}

std::optional<DWORD> ZoneActionPolicy(DWORD zone, DWORD action, URLZONEREG store) {
    using Key = std::tuple<DWORD, DWORD, URLZONEREG>;
    static registry::RegistryMemo<Key, std::optional<DWORD>> answers;
    return answers.Get({zone, action, store},
                       [&] { return ReadZoneActionPolicy(zone, action, store); });
}

} // namespace urlmon
