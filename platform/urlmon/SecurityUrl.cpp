#include "platform/urlmon/SecurityUrl.h"

#include "platform/urlmon/WideText.h"

#include <algorithm>
#include <cctype>

namespace urlmon {
namespace {

constexpr std::size_t kMaxHostLength = 255;

bool IsAlpha(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool IsSchemeChar(char c) {
    return IsAlpha(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' ||
           c == '.';
}

bool IsSlash(char c) {
    return c == '/' || c == '\\';
}

// Where the authority starting at from ends: at a slash, and with stopAtQuery at '?' or '#' too.
// (find_first_of would call memchr on the set once for every character.)
std::size_t AuthorityEnd(std::string_view text, std::size_t from, bool stopAtQuery) {
    for (std::size_t i = from; i < text.size(); ++i)
        if (IsSlash(text[i]) || (stopAtQuery && (text[i] == '?' || text[i] == '#')))
            return i;
    return std::string_view::npos;
}

// "C:", "C:\...", "C:/...", and "C|" as old file URLs write it.
bool IsDrivePath(std::string_view text) {
    return text.size() >= 2 && IsAlpha(text[0]) && (text[1] == ':' || text[1] == '|') &&
           (text.size() == 2 || IsSlash(text[2]));
}

bool NeedsAuthority(std::string_view scheme) {
    return scheme == "http" || scheme == "https" || scheme == "ftp";
}

// The host of an authority: user info and port removed, lower case.
std::string HostOf(std::string_view authority) {
    if (const auto at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        return AsciiLower(
            authority.substr(0, close == std::string_view::npos ? authority.size() : close + 1));
    }
    return AsciiLower(authority.substr(0, authority.find(':')));
}

HRESULT WithHost(SecurityUrl::Kind kind, std::string scheme, std::string host, SecurityUrl &out) {
    if (host.empty() || host.size() > kMaxHostLength)
        return E_INVALIDARG;
    out = {kind, std::move(scheme), std::move(host)};
    return S_OK;
}

HRESULT ParseFileUrl(std::string_view rest, SecurityUrl &out) {
    const SecurityUrl local{SecurityUrl::Kind::Local, "file", {}};
    if (rest.size() < 2 || !IsSlash(rest[0]) || !IsSlash(rest[1])) {
        out = local; // "file:/path", "file:C:/path"
        return S_OK;
    }
    rest.remove_prefix(2);
    const std::string_view authority = rest.substr(0, AuthorityEnd(rest, 0, false));
    if (authority.empty() || IsDrivePath(rest) || AsciiLower(authority) == "localhost") {
        out = local;
        return S_OK;
    }
    // A host with a dot is a network name; a single name is a server share.
    const bool share = authority.find('.') == std::string_view::npos;
    return WithHost(share ? SecurityUrl::Kind::Unc : SecurityUrl::Kind::Host, "file",
                    AsciiLower(authority), out);
}

} // namespace

HRESULT ParseSecurityUrl(std::string_view url, bool isFile, SecurityUrl &out) {
    if (url.empty())
        return E_INVALIDARG;
    if (url.size() >= 2 && url[0] == '\\' && url[1] == '\\') {
        const std::string_view server = url.substr(2, AuthorityEnd(url, 2, false) - 2);
        return WithHost(SecurityUrl::Kind::Unc, "file", AsciiLower(server), out);
    }
    if (url.front() == '/' || IsDrivePath(url)) {
        out = {SecurityUrl::Kind::Local, "file", {}};
        return S_OK;
    }
    std::size_t colon = 0;
    if (IsAlpha(url[0]))
        while (colon < url.size() && IsSchemeChar(url[colon]))
            ++colon;
    if (colon == 0 || colon >= url.size() || url[colon] != ':') {
        if (!isFile)
            return E_INVALIDARG; // relative
        out = {SecurityUrl::Kind::Local, "file", {}};
        return S_OK;
    }
    std::string scheme = AsciiLower(url.substr(0, colon));
    const std::string_view rest = url.substr(colon + 1);
    if (scheme == "file")
        return ParseFileUrl(rest, out);
    if (isFile || scheme == "res") {
        out = {SecurityUrl::Kind::Local, "file", {}};
        return S_OK;
    }
    if (rest.size() >= 2 && rest[0] == '/' && rest[1] == '/') {
        const std::string_view authority = rest.substr(2, AuthorityEnd(rest, 2, true) - 2);
        return WithHost(SecurityUrl::Kind::Host, std::move(scheme), HostOf(authority), out);
    }
    if (NeedsAuthority(scheme))
        return E_INVALIDARG; // "http:example.com"
    out = {SecurityUrl::Kind::Opaque, std::move(scheme), {}};
    return S_OK;
}

std::string SecurityIdText(const SecurityUrl &parsed, std::string_view url) {
    switch (parsed.kind) {
    case SecurityUrl::Kind::Local:
        return "file:";
    case SecurityUrl::Kind::Unc:
    case SecurityUrl::Kind::Host:
        return parsed.scheme + ":" + parsed.host;
    case SecurityUrl::Kind::Opaque:
        break;
    }
    return std::string(url);
}

} // namespace urlmon
