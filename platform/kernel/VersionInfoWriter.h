#pragma once
// Builds a VS_VERSIONINFO block: fixed file information, one string table and the translation
// table. Used by the build's resource generator and by tests that make PE fixtures.

#include "platform/kernel/Win32.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct VersionInfoContent {
    std::array<WORD, 4> fileVersion{};
    std::array<WORD, 4> productVersion{};
    DWORD fileType = 1; // VFT_APP
    WORD language = 0x0411;
    WORD codePage = 0x04B0;
    std::vector<std::pair<std::string, std::string>> strings; // name, value (UTF-8)
};

std::vector<BYTE> BuildVersionInfo(const VersionInfoContent &content);

} // namespace platform
