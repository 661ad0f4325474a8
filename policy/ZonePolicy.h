#pragma once
// The zone policy of local pages. Local references are claimed: a page under the local web
// directory gets the zone of the Internet URL it was saved from (with UseOrginalUrl) or the fixed
// DefaultSecurityZone, every other local file gets DefaultSecurityZone. Everything else, and
// every URL action, is left to the platform.

#include "platform/urlmon/SecurityManager.h"
#include "policy/UrlMapping.h"

#include <string>

// The local-browsing values that decide the zone of local references.
struct LocalZoneRule {
    std::string LocalWebDirectory;
    bool UseOrginalUrl = false;
    int DefaultSecurityZone = 3;
    LocalPathStyle PathStyle = kPosixPathStyle;
};

// Security categories of URL actions, as shown in the status bar.
enum TSecurityCategory : int {
    scScript = 0,
    scJava = 1,
    scActiveX = 2,
    scDownload = 3,
    scCookie = 4,
    scOther = 5,
};
constexpr int kSecurityCategoryCount = 6;

int UrlActionCategory(DWORD action);
const char *SecurityCategoryName(int category); // "" outside 0..5

namespace zonepolicy {

// platform is a security manager without a site, so its lookups never come back here.
HRESULT MapUrlToZone(IInternetSecurityManager &platform, const LocalZoneRule &rule, LPCWSTR url,
                     DWORD &zone, DWORD flags, bool &handled);
HRESULT GetSecurityId(IInternetSecurityManager &platform, const LocalZoneRule &rule, LPCWSTR url,
                      BYTE *securityId, DWORD *size, DWORD_PTR reserved, bool &handled);

// "URL=%s Zone=%d Handled=%d"
std::string ZoneLogLine(LPCWSTR url, DWORD zone, bool handled);
// "Action=0x1400 Flag=0040": upper-case hexadecimal, at least four digits.
std::string ActionTraceText(DWORD action, DWORD flags);
// "0x1400", as listed among the security lines of the log window.
std::string SecurityLineText(DWORD action);

} // namespace zonepolicy
