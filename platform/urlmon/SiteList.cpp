#include "platform/urlmon/SiteList.h"

#include "platform/urlmon/WideText.h"
#include "platform/urlmon/ZoneRegistry.h"
#include "platform/urlmon/Zones.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace urlmon {
namespace {

const std::array<HKEY, 2> kRoots{HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

std::string DomainsPath(std::string_view key) {
    return ZoneMapPath(key.empty() ? std::string("Domains") : "Domains\\" + std::string(key));
}

// "*" covers the schemes a site list is about, not unknown ones.
bool WildcardCovers(std::string_view scheme) {
    return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "file";
}

std::optional<DWORD> SchemeZone(const RegKey &key, std::string_view scheme) {
    if (auto zone = key.Dword(std::string(scheme)))
        return zone;
    return WildcardCovers(scheme) ? key.Dword("*") : std::nullopt;
}

std::vector<std::string_view> Labels(std::string_view host) {
    std::vector<std::string_view> labels;
    std::size_t start = 0;
    while (true) {
        const auto dot = host.find('.', start);
        labels.push_back(host.substr(start, dot - start));
        if (dot == std::string_view::npos)
            return labels;
        start = dot + 1;
    }
}

// A sub-key name matches the part of the host before its domain: exactly, or as "*" / "*.rest".
bool SubKeyMatches(std::string_view name, std::string_view remainder) {
    if (name == "*")
        return true;
    if (name.size() > 2 && name.starts_with("*.")) {
        const std::string_view tail = name.substr(1); // ".rest"
        return remainder.size() > tail.size() && remainder.ends_with(tail);
    }
    return false;
}

// domains is an open ZoneMap\Domains key.
std::optional<DWORD> LookupInDomainKey(const RegKey &domains, std::string_view domain,
                                       std::string_view remainder, std::size_t domainLabels,
                                       std::string_view scheme) {
    RegKey key(domains.Get(), std::string(domain));
    if (!key)
        return std::nullopt;
    if (remainder.empty())
        return SchemeZone(key, scheme);
    if (auto zone = SchemeZone(RegKey(key.Get(), std::string(remainder)), scheme))
        return zone;
    for (const std::string &name : key.SubKeyNames())
        if (SubKeyMatches(name, remainder))
            if (auto zone = SchemeZone(RegKey(key.Get(), name), scheme))
                return zone;
    // A registrable domain (two labels) covers all of its sub-domains.
    return domainLabels == 2 ? SchemeZone(key, scheme) : std::nullopt;
}

std::optional<std::array<int, 4>> ParseIpv4(std::string_view host) {
    std::array<int, 4> octets{};
    const auto labels = Labels(host);
    if (labels.size() != 4)
        return std::nullopt;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto [end, ec] =
            std::from_chars(labels[i].data(), labels[i].data() + labels[i].size(), octets[i]);
        if (ec != std::errc() || end != labels[i].data() + labels[i].size() || labels[i].empty() ||
            octets[i] > 255)
            return std::nullopt;
    }
    return octets;
}

// One octet of a range pattern: "*", "n" or "a-b" (0 <= a <= b <= 255).
struct OctetRange {
    int low = 0;
    int high = 255;
};

std::optional<OctetRange> ParseOctetPattern(std::string_view pattern) {
    if (pattern == "*")
        return OctetRange{};
    const auto number = [](std::string_view text) -> std::optional<int> {
        int value = -1;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > 255)
            return std::nullopt;
        return value;
    };
    const auto dash = pattern.find('-');
    const auto low = number(pattern.substr(0, dash));
    const auto high = dash == std::string_view::npos ? low : number(pattern.substr(dash + 1));
    if (!low || !high || *low > *high)
        return std::nullopt;
    return OctetRange{*low, *high};
}

bool IsRangePattern(std::string_view host) {
    const auto labels = Labels(host);
    return labels.size() == 4 && std::all_of(labels.begin(), labels.end(), [](auto label) {
               return ParseOctetPattern(label).has_value();
           });
}

bool RangeMatches(std::string_view pattern, const std::array<int, 4> &address) {
    const auto labels = Labels(pattern);
    if (labels.size() != 4)
        return false;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto range = ParseOctetPattern(labels[i]);
        if (!range || address[i] < range->low || address[i] > range->high)
            return false;
    }
    return true;
}

std::optional<DWORD> LookupRange(std::string_view scheme, const std::array<int, 4> &address) {
    for (HKEY root : kRoots) {
        RegKey ranges(root, ZoneMapPath("Ranges"));
        for (const std::string &name : ranges.SubKeyNames()) {
            RegKey range(ranges.Get(), name);
            const auto pattern = range.String(":Range");
            if (pattern && RangeMatches(*pattern, address))
                if (auto zone = SchemeZone(range, scheme))
                    return zone;
        }
    }
    return std::nullopt;
}

struct ParsedPattern {
    std::string scheme = "*";
    std::string host;
};

bool IsHostChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' ||
           c == '*';
}

std::optional<ParsedPattern> ParsePattern(std::string_view pattern) {
    ParsedPattern parsed;
    if (const auto sep = pattern.find("://"); sep != std::string_view::npos) {
        parsed.scheme.assign(pattern.substr(0, sep));
        pattern.remove_prefix(sep + 3);
        const bool schemeOk = !parsed.scheme.empty() &&
                              (parsed.scheme == "*" ||
                               std::all_of(parsed.scheme.begin(), parsed.scheme.end(), [](char c) {
                                   return std::isalnum(static_cast<unsigned char>(c)) || c == '+' ||
                                          c == '-' || c == '.';
                               }));
        if (!schemeOk)
            return std::nullopt;
    }
    if (!pattern.empty() && pattern.back() == '/')
        pattern.remove_suffix(1);
    parsed.host = AsciiLower(pattern);
    parsed.scheme = AsciiLower(parsed.scheme);
    const auto labels = Labels(parsed.host);
    const auto noStar = [](std::string_view label) {
        return label.find('*') == std::string_view::npos;
    };
    // "*" only as a whole leading label, except in IPv4 range patterns.
    const bool wildcardsOk =
        IsRangePattern(parsed.host) || (std::all_of(labels.begin() + 1, labels.end(), noStar) &&
                                        (labels.front() == "*" || noStar(labels.front())));
    const bool hostOk =
        !parsed.host.empty() && parsed.host.size() <= 255 &&
        std::all_of(parsed.host.begin(), parsed.host.end(), IsHostChar) &&
        std::none_of(labels.begin(), labels.end(), [](auto label) { return label.empty(); }) &&
        wildcardsOk;
    if (!hostOk)
        return std::nullopt;
    return parsed;
}

// Domain key and sub-key of a host name: "www.example.com" -> "example.com", "www".
std::pair<std::string, std::string> DomainAndSubKey(std::string_view host) {
    const auto labels = Labels(host);
    if (labels.size() <= 2)
        return {std::string(host), {}};
    const std::size_t domainStart =
        host.size() - labels[labels.size() - 2].size() - labels.back().size() - 1;
    return {std::string(host.substr(domainStart)), std::string(host.substr(0, domainStart - 1))};
}

// The Ranges sub-key holding rangePattern; with create, a free "RangeN" when there is none.
std::string RangeKeyFor(std::string_view rangePattern, bool create) {
    RegKey ranges(HKEY_CURRENT_USER, ZoneMapPath("Ranges"));
    std::vector<std::string> names;
    for (const std::string &name : ranges.SubKeyNames()) {
        if (RegKey(ranges.Get(), name).String(":Range") == std::string(rangePattern))
            return ZoneMapPath("Ranges\\" + name);
        names.push_back(AsciiLower(name));
    }
    if (!create)
        return {};
    for (std::size_t n = 1;; ++n) {
        const std::string name = "Range" + std::to_string(n);
        if (std::find(names.begin(), names.end(), AsciiLower(name)) == names.end())
            return ZoneMapPath("Ranges\\" + name);
    }
}

std::string KeyPathFor(const ParsedPattern &parsed, bool create) {
    if (IsRangePattern(parsed.host))
        return RangeKeyFor(parsed.host, create);
    const auto [domain, sub] = DomainAndSubKey(parsed.host);
    return DomainsPath(sub.empty() ? domain : domain + "\\" + sub);
}

bool KeyIsEmpty(HKEY root, const std::string &path) {
    RegKey key(root, path);
    const auto values = key.Values();
    return key && key.SubKeyNames().empty() &&
           std::all_of(values.begin(), values.end(),
                       [](const auto &value) { return value.first == ":Range"; });
}

// Deletes the entry's key when nothing is left in it, then its domain key likewise.
void DeleteEmptyKeys(std::string path) {
    const std::string domains = ZoneMapPath("Domains");
    const auto rootDepth = std::count(domains.begin(), domains.end(), '\\');
    while (std::count(path.begin(), path.end(), '\\') > rootDepth &&
           KeyIsEmpty(HKEY_CURRENT_USER, path) &&
           RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str()) == ERROR_SUCCESS)
        path.resize(path.rfind('\\'));
}

void CollectDomain(HKEY root, const std::string &path, const std::string &host,
                   std::vector<SiteEntry> &out) {
    RegKey key(root, path);
    for (const auto &[name, type] : key.Values())
        if (auto zone = key.Dword(name))
            out.push_back({name, host, *zone});
    for (const std::string &sub : key.SubKeyNames())
        CollectDomain(root, path + "\\" + sub, sub + "." + host, out);
}

} // namespace

std::string SiteEntry::Pattern() const {
    return scheme + "://" + host;
}

std::optional<DWORD> LookupSiteZone(std::string_view scheme, std::string_view host) {
    if (const auto address = ParseIpv4(host))
        return LookupRange(scheme, *address);
    const RegKey userDomains(HKEY_CURRENT_USER, DomainsPath({}));
    const RegKey machineDomains(HKEY_LOCAL_MACHINE, DomainsPath({}));
    const auto labels = Labels(host);
    std::size_t offset = 0; // start of the candidate domain in host
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const std::string_view domain = host.substr(offset);
        const std::string_view remainder = offset ? host.substr(0, offset - 1) : std::string_view{};
        for (const RegKey *domains : {&userDomains, &machineDomains})
            if (*domains)
                if (auto zone =
                        LookupInDomainKey(*domains, domain, remainder, labels.size() - i, scheme))
                    return zone;
        offset += labels[i].size() + 1;
    }
    return std::nullopt;
}

std::vector<SiteEntry> ListSites(HKEY root) {
    std::vector<SiteEntry> sites;
    RegKey domains(root, DomainsPath({}));
    for (const std::string &domain : domains.SubKeyNames())
        CollectDomain(root, DomainsPath(domain), domain, sites);
    RegKey ranges(root, ZoneMapPath("Ranges"));
    for (const std::string &name : ranges.SubKeyNames()) {
        RegKey range(ranges.Get(), name);
        const auto pattern = range.String(":Range");
        if (!pattern)
            continue;
        for (const auto &[value, type] : range.Values())
            if (auto zone = range.Dword(value))
                sites.push_back({value, *pattern, *zone});
    }
    return sites;
}

HRESULT AddSite(DWORD zone, std::string_view pattern) {
    const auto parsed = ParsePattern(pattern);
    if (!parsed || zone > URLZONE_UNTRUSTED)
        return E_INVALIDARG;
    const std::string path = KeyPathFor(*parsed, true);
    if (IsRangePattern(parsed->host) &&
        !WriteString(HKEY_CURRENT_USER, path, ":Range", parsed->host))
        return E_ACCESSDENIED;
    return WriteDword(HKEY_CURRENT_USER, path, parsed->scheme, zone) ? S_OK : E_ACCESSDENIED;
}

HRESULT RemoveSite(DWORD zone, std::string_view pattern) {
    const auto parsed = ParsePattern(pattern);
    if (!parsed)
        return E_INVALIDARG;
    const std::string path = KeyPathFor(*parsed, false);
    if (path.empty() || ReadDword(HKEY_CURRENT_USER, path, parsed->scheme) != zone)
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (!DeleteValue(HKEY_CURRENT_USER, path, parsed->scheme))
        return E_ACCESSDENIED;
    DeleteEmptyKeys(path);
    return S_OK;
}

} // namespace urlmon
