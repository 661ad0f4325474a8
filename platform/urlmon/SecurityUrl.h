#pragma once
// The parts of a URL that decide its zone and its security identifier.

#include "platform/com/HResult.h"

#include <string>
#include <string_view>

namespace urlmon {

struct SecurityUrl {
    enum class Kind {
        Local,  // a local file: "/path", "C:\path", "file:///path", "file://C:/path", res:
        Unc,    // a server share: "\\server\share", "file://server/share"
        Host,   // scheme://host/... (also file://host.with.dots/)
        Opaque, // a scheme without an authority: about:, javascript:, data:, mailto:, ...
    };
    Kind kind = Kind::Opaque;
    std::string scheme; // lower case; "file" for Local and Unc
    std::string host;   // lower case, without user info and port; empty for Local and Opaque
};

// E_INVALIDARG for empty and relative URLs, for network schemes (http, https, ftp) without an
// authority or with an empty host, and for hosts longer than 255 bytes. isFile: the text is a
// file path whatever it looks like.
HRESULT ParseSecurityUrl(std::string_view url, bool isFile, SecurityUrl &out);

// The identifier text: "file:" for local files, "<scheme>:<host>" for hosts and shares, the whole
// URL for opaque schemes.
std::string SecurityIdText(const SecurityUrl &parsed, std::string_view url);

} // namespace urlmon
