// quillmere-platform sites add|remove ZONE HOST, sites list [ZONE]
// Edits the user's site lists (ZoneMap\Domains and Ranges in HKEY_CURRENT_USER). HOST is
// "host.example" (every scheme), "scheme://host.example", "*.domain.example" or an IPv4 pattern
// such as "10.0.0.*".

#include "platform/urlmon/SecurityManager.h"
#include "platform/urlmon/WideText.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr const char *kUsage = "usage: sites add ZONE HOST | sites remove ZONE HOST | sites list "
                               "[ZONE]\n"
                               "ZONE is 0 to 4; HOST is host.example (every scheme), "
                               "scheme://host.example, *.domain.example or 10.0.0.*\n";

std::optional<DWORD> ParseZone(const std::string &text) {
    if (text.size() != 1 || text[0] < '0' || text[0] > '4')
        return std::nullopt;
    return static_cast<DWORD>(text[0] - '0');
}

std::vector<std::string> Mappings(IInternetSecurityManager *manager, DWORD zone) {
    std::vector<std::string> patterns;
    ComPtr<IEnumString> mappings;
    if (FAILED(manager->GetZoneMappings(zone, mappings.ReleaseAndGetAddressOf(), 0)))
        return patterns;
    LPOLESTR text = nullptr;
    while (mappings->Next(1, &text, nullptr) == S_OK) {
        patterns.push_back(urlmon::ToUtf8(text));
        CoTaskMemFree(text);
    }
    return patterns;
}

int List(IInternetSecurityManager *manager, std::optional<DWORD> onlyZone, std::ostream &out) {
    for (DWORD zone = URLZONE_LOCAL_MACHINE; zone <= URLZONE_UNTRUSTED; ++zone)
        if (!onlyZone || *onlyZone == zone)
            for (const std::string &pattern : Mappings(manager, zone))
                out << (onlyZone ? "" : std::to_string(zone) + " ") << pattern << "\n";
    return 0;
}

} // namespace

int SitesCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    if (args.size() == 1 && args[0] == "--help") {
        out << kUsage;
        return 0;
    }
    const bool edit = args.size() == 3 && (args[0] == "add" || args[0] == "remove");
    const bool list = !args.empty() && args[0] == "list" && args.size() <= 2;
    const std::optional<DWORD> zone = args.size() >= 2 ? ParseZone(args[1]) : std::nullopt;
    if ((!edit && !list) || (args.size() >= 2 && !zone)) {
        err << kUsage;
        return 2;
    }
    ComPtr<IInternetSecurityManager> manager;
    if (FAILED(CoInternetCreateSecurityManager(nullptr, manager.ReleaseAndGetAddressOf(), 0))) {
        err << "sites: the security manager could not be created\n";
        return 1;
    }
    if (list)
        return List(manager.Get(), zone, out);
    const std::u16string pattern = urlmon::ToUtf16(args[2]);
    const HRESULT result =
        manager->SetZoneMapping(*zone, pattern.c_str(), args[0] == "add" ? SZM_CREATE : SZM_DELETE);
    if (SUCCEEDED(result))
        return 0;
    if (result == E_INVALIDARG)
        err << "sites: not a host name or pattern: '" << args[2] << "'\n";
    else if (result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND))
        err << "sites: '" << args[2] << "' is not listed in zone " << *zone << "\n";
    else
        err << "sites: the user store refused the change\n";
    return 1;
}
