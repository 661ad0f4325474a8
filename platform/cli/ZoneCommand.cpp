// quillmere-platform zone URL
// Prints the zone the platform's security manager gives URL, and the policy of the actions the
// browser control asks about in that zone.

#include "platform/urlmon/SecurityManager.h"
#include "platform/urlmon/WideText.h"
#include "platform/urlmon/ZoneManager.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct MainAction {
    DWORD action;
    const char *label;
};

constexpr MainAction kMainActions[] = {
    {URLACTION_SCRIPT_RUN, "script"},
    {URLACTION_ACTIVEX_RUN, "ActiveX run"},
    {URLACTION_JAVA_PERMISSIONS, "Java"},
    {URLACTION_SHELL_FILE_DOWNLOAD, "file download"},
    {URLACTION_COOKIES, "cookies"},
    {URLACTION_COOKIES_SESSION, "session cookies"},
    {URLACTION_COOKIES_THIRD_PARTY, "third-party cookies"},
    {URLACTION_COOKIES_SESSION_THIRD_PARTY, "third-party session cookies"},
    {URLACTION_HTML_SUBFRAME_NAVIGATE, "sub-frames"},
    {URLACTION_HTML_FONT_DOWNLOAD, "font download"},
    {URLACTION_HTML_META_REFRESH, "meta refresh"},
};

std::string Hex(DWORD value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::string Padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

std::string Decision(DWORD action, HRESULT result, DWORD policy) {
    // Java answers S_OK with its safety level in the policy; level 0 prohibits Java.
    if (action == URLACTION_JAVA_PERMISSIONS && result == S_OK)
        switch (policy) {
        case URLPOLICY_JAVA_PROHIBIT:
            return "disallow";
        case URLPOLICY_JAVA_HIGH:
            return "high";
        case URLPOLICY_JAVA_MEDIUM:
            return "medium";
        case URLPOLICY_JAVA_LOW:
            return "low";
        default:
            return "custom";
        }
    if (result == S_OK)
        return "allow";
    if (result == S_FALSE)
        return GetUrlPolicyPermissions(policy) == URLPOLICY_QUERY ? "query" : "disallow";
    return "error 0x" + Hex(static_cast<DWORD>(result), 8);
}

} // namespace

int ZoneCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    if (args.size() != 1 || args[0] == "--help") {
        (args.size() == 1 ? out : err) << "usage: zone URL\n"
                                          "Prints the zone of URL and the policy of the main URL "
                                          "actions there (allow, query or disallow; Java: its "
                                          "safety level or disallow).\n";
        return args.size() == 1 ? 0 : 2;
    }
    ComPtr<IInternetSecurityManager> security;
    ComPtr<IInternetZoneManager> zones;
    if (FAILED(CoInternetCreateSecurityManager(nullptr, security.ReleaseAndGetAddressOf(), 0)) ||
        FAILED(CoInternetCreateZoneManager(nullptr, zones.ReleaseAndGetAddressOf(), 0))) {
        err << "zone: the security manager could not be created\n";
        return 1;
    }
    const std::u16string url = urlmon::ToUtf16(args[0]);
    DWORD zone = URLZONE_INVALID;
    const HRESULT mapped = security->MapUrlToZone(url.c_str(), &zone, 0);
    if (FAILED(mapped)) {
        const std::string shown = args[0].size() > 200 ? args[0].substr(0, 200) + "..." : args[0];
        err << "zone: not a URL or path with a zone: '" << shown << "' (0x"
            << Hex(static_cast<DWORD>(mapped), 8) << ")\n";
        return 1;
    }
    ZONEATTRIBUTES attributes;
    attributes.cbSize = sizeof attributes;
    const std::string name = SUCCEEDED(zones->GetZoneAttributes(zone, &attributes))
                                 ? urlmon::ToUtf8(attributes.szDisplayName)
                                 : std::string("(unknown zone)");
    out << "zone " << zone << " " << name << "\n";
    for (const MainAction &main : kMainActions) {
        DWORD policy = 0;
        const HRESULT result =
            security->ProcessUrlAction(url.c_str(), main.action, reinterpret_cast<BYTE *>(&policy),
                                       sizeof policy, nullptr, 0, PUAF_NOUI, 0);
        out << Hex(main.action, 4) << "  " << Padded(main.label, 28) << "  "
            << Padded(Decision(main.action, result, policy), 8);
        if (SUCCEEDED(result))
            out << "  0x" << Hex(policy, 8);
        out << "\n";
    }
    return 0;
}
