#pragma once
// Site lists: ZoneMap\Domains (host names, one key per domain, sub-domains as sub-keys, values
// named by scheme or "*" holding the zone) and ZoneMap\Ranges (IPv4 patterns in ":Range"), in the
// user store and the machine store. Read fresh from the registry on every call.

#include "platform/com/HResult.h"
#include "platform/registry/Registry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace urlmon {

// The zone the site lists give scheme://host (host in lower case), the user store first.
std::optional<DWORD> LookupSiteZone(std::string_view scheme, std::string_view host);

struct SiteEntry {
    std::string scheme; // "*" for every known scheme
    std::string host;   // "www.example.com", "*.example.com" or an IPv4 pattern
    DWORD zone = 0;
    std::string Pattern() const; // "*://host" or "scheme://host"
};

std::vector<SiteEntry> ListSites(HKEY root);

// pattern: "host", "*.domain", "scheme://host" (scheme "*" for all); an IPv4 host or pattern
// ("10.0.0.*", "10.0.0.1-50") goes to Ranges. Writes the user store. E_INVALIDARG for a bad
// pattern or zone, E_ACCESSDENIED when the store refuses the write.
HRESULT AddSite(DWORD zone, std::string_view pattern);
// Removes the entry when it maps to zone; HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when there is
// none. Keys left empty are deleted.
HRESULT RemoveSite(DWORD zone, std::string_view pattern);

} // namespace urlmon
