#include "platform/kernel/CodePage.h"

#include "platform/kernel/Utf16.h"

#include <cstring>
#include <string_view>

UINT GetACP() {
    return CP_UTF8;
}

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar) {
    switch (codePage) {
    case CP_SHIFT_JIS:
        return (testChar >= 0x81 && testChar <= 0x9F) || (testChar >= 0xE0 && testChar <= 0xFC);
    case CP_ACP:
    case CP_UTF8:
        return FALSE;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

LPCSTR CharNextExA(UINT codePage, LPCSTR current, DWORD) {
    if (!current || !*current)
        return current;
    if (codePage == CP_SHIFT_JIS) {
        const bool lead = IsDBCSLeadByteEx(codePage, BYTE(current[0]));
        return current + (lead && current[1] ? 2 : 1);
    }
    if (codePage != CP_ACP && codePage != CP_UTF8)
        return current + 1;
    // UTF-8: strnlen keeps the view inside the string when the sequence is cut by its NUL.
    const std::string_view text(current, ::strnlen(current, 4));
    std::size_t next = 0;
    platform::DecodeUtf8(text, next);
    return current + next;
}
