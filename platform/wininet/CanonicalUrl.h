#pragma once
// The canonicalisation behind InternetCanonicalizeUrlA, free of the buffer contract.

#include "platform/kernel/Win32.h"

#include <string>
#include <string_view>

namespace platform::wininet {

struct CanonicalUrl {
    std::string url;
    LONG error = ERROR_SUCCESS; // ERROR_INTERNET_INVALID_URL or ERROR_BAD_PATHNAME on failure
};

// Linear in the length of url. See docs/PLATFORM.md (platform/wininet) for the forms produced.
CanonicalUrl CanonicalizeUrl(std::string_view url, DWORD flags);

} // namespace platform::wininet
