#pragma once
// GUID with parsing and formatting of the braced string form.

#include "platform/kernel/Win32.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

struct GUID {
    DWORD Data1 = 0;
    WORD Data2 = 0;
    WORD Data3 = 0;
    std::array<BYTE, 8> Data4{};

    friend constexpr bool operator==(const GUID &, const GUID &) = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID &;
using REFCLSID = const CLSID &;
using REFGUID = const GUID &;

constexpr GUID GUID_NULL{};

// "{8856F961-340A-11D0-A96B-00C04FD705A2}" (braces optional, any letter case).
std::optional<GUID> ParseGuid(std::string_view text);
// Upper-case braced form, as the original platform writes it.
std::string FormatGuid(const GUID &guid);
