#include "policy/ZonePolicy.h"

#include "platform/urlmon/UrlActions.h"
#include "platform/urlmon/WideText.h"

#include <cstdio>
#include <cstring>

namespace {

std::string Hex4(DWORD value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04X", unsigned(value));
    return buffer;
}

} // namespace

int UrlActionCategory(DWORD action) {
    const auto in = [action](DWORD min, DWORD max) { return action >= min && action <= max; };
    if (in(URLACTION_SCRIPT_MIN, URLACTION_SCRIPT_MAX))
        return scScript;
    if (in(URLACTION_JAVA_MIN, URLACTION_JAVA_MAX))
        return scJava;
    if (in(URLACTION_ACTIVEX_MIN, URLACTION_ACTIVEX_MAX))
        return scActiveX;
    if (in(URLACTION_DOWNLOAD_MIN, URLACTION_DOWNLOAD_MAX))
        return scDownload;
    if (action == URLACTION_COOKIES || action == URLACTION_COOKIES_SESSION)
        return scCookie;
    return scOther;
}

const char *SecurityCategoryName(int category) {
    static const char *const names[kSecurityCategoryCount] = {"スクリプト", "Java",   "ActiveX",
                                                              "Download",   "Cookie", "その他"};
    return category >= 0 && category < kSecurityCategoryCount ? names[category] : "";
}

namespace zonepolicy {

HRESULT MapUrlToZone(IInternetSecurityManager &platform, const LocalZoneRule &rule, LPCWSTR url,
                     DWORD &zone, DWORD flags, bool &handled) {
    handled = true;
    HRESULT result = S_OK;
    const std::string u = urlmon::ToUtf8(url);
    if (IsInLocalWebDirectory(u, rule.LocalWebDirectory, rule.PathStyle)) {
        if (rule.UseOrginalUrl) {
            const std::u16string mapped =
                urlmon::ToUtf16(LocalToInternetUrl(u, rule.LocalWebDirectory, rule.PathStyle));
            result = platform.MapUrlToZone(mapped.c_str(), &zone, flags);
        } else {
            zone = DWORD(rule.DefaultSecurityZone);
        }
    } else if (IsLocalFileReference(u, rule.PathStyle)) {
        zone = DWORD(rule.DefaultSecurityZone);
    } else {
        handled = false;
    }
    return result;
}

HRESULT GetSecurityId(IInternetSecurityManager &platform, const LocalZoneRule &rule, LPCWSTR url,
                      BYTE *securityId, DWORD *size, DWORD_PTR reserved, bool &handled) {
    handled = true;
    const std::string u = urlmon::ToUtf8(url);
    const bool inDirectory = IsInLocalWebDirectory(u, rule.LocalWebDirectory, rule.PathStyle);
    if (inDirectory && rule.UseOrginalUrl) {
        const std::u16string mapped =
            urlmon::ToUtf16(LocalToInternetUrl(u, rule.LocalWebDirectory, rule.PathStyle));
        const HRESULT result = platform.GetSecurityId(mapped.c_str(), securityId, size, reserved);
        if (FAILED(result))
            handled = false;
        return result;
    }
    if (inDirectory || IsLocalFileReference(u, rule.PathStyle)) {
        const HRESULT result = platform.GetSecurityId(url, securityId, size, reserved);
        // The zone is the identifier's last four bytes; an identifier shorter than that has no
        // zone part to replace, and writing before the buffer would corrupt memory.
        if (SUCCEEDED(result) && securityId && size && *size >= 4) {
            const DWORD z = DWORD(rule.DefaultSecurityZone);
            const BYTE bytes[4] = {BYTE(z), BYTE(z >> 8), BYTE(z >> 16), BYTE(z >> 24)};
            std::memcpy(securityId + *size - 4, bytes, 4);
        }
        return result;
    }
    handled = false;
    return S_OK;
}

std::string ZoneLogLine(LPCWSTR url, DWORD zone, bool handled) {
    return "URL=" + urlmon::ToUtf8(url) + " Zone=" + std::to_string(LONG(zone)) +
           " Handled=" + (handled ? "1" : "0");
}

std::string ActionTraceText(DWORD action, DWORD flags) {
    return "Action=0x" + Hex4(action) + " Flag=" + Hex4(flags);
}

std::string SecurityLineText(DWORD action) {
    return "0x" + Hex4(action);
}

} // namespace zonepolicy
