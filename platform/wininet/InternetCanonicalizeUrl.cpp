#include "platform/wininet/CanonicalUrl.h"
#include "platform/wininet/WinInet.h"

#include <cstring>
#include <limits>

BOOL InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, DWORD *length, DWORD flags) {
    if (!url || !buffer || !length) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const platform::wininet::CanonicalUrl result = platform::wininet::CanonicalizeUrl(url, flags);
    if (result.error != ERROR_SUCCESS) {
        SetLastError(result.error);
        return FALSE;
    }
    if (result.url.size() >= std::numeric_limits<DWORD>::max()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    const auto needed = static_cast<DWORD>(result.url.size() + 1);
    if (*length < needed) {
        *length = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, result.url.data(), result.url.size());
    buffer[result.url.size()] = '\0';
    *length = needed - 1;
    return TRUE;
}
