#pragma once
// The zone display of the status bar: the zone a page is shown in, which entry of the zone list
// stands for it, and the tooltip texts of the four panels.

#include "policy/ZonePolicy.h"

#include <bitset>
#include <string>
#include <vector>

using TSecurityCategories = std::bitset<8>;

namespace zonedisplay {

// The zone shown for address: local references by the local zone rule, everything else by the
// platform; a failed platform lookup gives DefaultSecurityZone.
int ZoneForUrl(IInternetSecurityManager &platform, const LocalZoneRule &rule,
               const std::string &address);

// The entry of the zone list for zone: the zone itself when the list has an entry for it (the
// list's last entry is the unknown zone), otherwise unknownIndex.
int ZoneListIndex(int zone, int unknownIndex);

// 1-based position of the panel under x (0 when x <= 0); a border belongs to the panel on its left.
int PanelAt(const std::vector<int> &widths, int x);

// The names of the categories met, in category order, with no separator.
std::string CategoryNames(const TSecurityCategories &categories);

// "セキュリティ項目" followed by the names of the categories met, in category order.
std::string CategoriesHint(const TSecurityCategories &categories);

// The tooltip for panel n (1-based); false leaves the hint as it was.
bool PanelHint(int n, const std::string &pageDateText, const TSecurityCategories &categories,
               const std::string &statusText, std::string &hint);

} // namespace zonedisplay
