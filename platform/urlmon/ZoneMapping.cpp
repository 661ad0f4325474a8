#include "platform/urlmon/ZoneMapping.h"

#include "platform/registry/RegistryMemo.h"
#include "platform/urlmon/SiteList.h"
#include "platform/urlmon/ZoneRegistry.h"
#include "platform/urlmon/Zones.h"

#include <string>
#include <tuple>

namespace urlmon {
namespace {

// A DWORD of a ZoneMap key, the user store over the machine store.
std::optional<DWORD> ZoneMapValue(const std::string &path, const std::string &name) {
    if (auto value = ReadDword(HKEY_CURRENT_USER, path, name))
        return value;
    return ReadDword(HKEY_LOCAL_MACHINE, path, name);
}

// A ZoneMap switch; on when neither store sets it.
bool ZoneMapSwitch(const char *name) {
    return ZoneMapValue(ZoneMapPath({}), name).value_or(1) != 0;
}

DWORD ProtocolDefault(const std::string &scheme) {
    return ZoneMapValue(ZoneMapPath("ProtocolDefaults"), scheme).value_or(URLZONE_INTERNET);
}

DWORD ReadZoneOfUrl(const SecurityUrl &url, bool mappings) {
    switch (url.kind) {
    case SecurityUrl::Kind::Local:
        return URLZONE_LOCAL_MACHINE;
    case SecurityUrl::Kind::Unc:
        return ZoneMapSwitch("UNCAsIntranet") ? URLZONE_INTRANET : URLZONE_INTERNET;
    case SecurityUrl::Kind::Host:
        if (mappings)
            if (const auto zone = LookupSiteZone(url.scheme, url.host))
                return *zone;
        if (url.host.find('.') == std::string::npos && url.host.front() != '[' &&
            ZoneMapSwitch("IntranetName"))
            return URLZONE_INTRANET;
        break;
    case SecurityUrl::Kind::Opaque:
        break;
    }
    return ProtocolDefault(url.scheme);
}

// Schemes longer than this are answered without being kept (hosts are at most 255 bytes).
constexpr std::size_t kMaxKeptScheme = 64;

} // namespace

DWORD ZoneOfUrl(const SecurityUrl &url, DWORD mutzFlags) {
    const bool mappings = !(mutzFlags & MUTZ_IGNORE_ZONE_MAPPINGS);
    if (url.kind == SecurityUrl::Kind::Local || url.scheme.size() > kMaxKeptScheme)
        return ReadZoneOfUrl(url, mappings);
    using Key = std::tuple<SecurityUrl::Kind, bool, std::string, std::string>;
    static registry::RegistryMemo<Key, DWORD> answers;
    return answers.Get({url.kind, mappings, url.scheme, url.host},
                       [&] { return ReadZoneOfUrl(url, mappings); });
}

} // namespace urlmon
