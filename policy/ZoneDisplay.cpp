#include "policy/ZoneDisplay.h"

#include "platform/urlmon/WideText.h"

namespace zonedisplay {

int ZoneForUrl(IInternetSecurityManager &platform, const LocalZoneRule &rule,
               const std::string &address) {
    std::string lookup = address;
    if (IsInLocalWebDirectory(address, rule.LocalWebDirectory, rule.PathStyle)) {
        if (!rule.UseOrginalUrl)
            return rule.DefaultSecurityZone;
        lookup = LocalToInternetUrl(address, rule.LocalWebDirectory, rule.PathStyle);
    } else if (IsLocalFileReference(address, rule.PathStyle)) {
        return rule.DefaultSecurityZone;
    }
    DWORD zone = URLZONE_INVALID;
    const std::u16string wide = urlmon::ToUtf16(lookup);
    if (FAILED(platform.MapUrlToZone(wide.c_str(), &zone, 0)))
        return rule.DefaultSecurityZone;
    return int(LONG(zone));
}

int ZoneListIndex(int zone, int unknownIndex) {
    return zone >= 0 && zone < unknownIndex ? zone : unknownIndex;
}

int PanelAt(const std::vector<int> &widths, int x) {
    int n = 0;
    int sum = 0;
    for (const int w : widths) {
        if (sum >= x)
            break;
        sum += w;
        ++n;
    }
    return n;
}

std::string CategoryNames(const TSecurityCategories &categories) {
    std::string text;
    for (int i = 0; i < kSecurityCategoryCount; ++i)
        if (categories.test(size_t(i)))
            text += SecurityCategoryName(i);
    return text;
}

std::string CategoriesHint(const TSecurityCategories &categories) {
    return "セキュリティ項目" + CategoryNames(categories);
}

bool PanelHint(int n, const std::string &pageDateText, const TSecurityCategories &categories,
               const std::string &statusText, std::string &hint) {
    switch (n) {
    case 1:
        hint = "ページの更新日時 " + pageDateText;
        return true;
    case 2:
        hint = CategoriesHint(categories);
        return true;
    case 3:
        hint = "ステータス" + statusText;
        return true;
    case 4:
        hint = "セキュリティーゾーン";
        return true;
    default:
        return false;
    }
}

} // namespace zonedisplay
