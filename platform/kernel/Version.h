#pragma once
// File version resources: the VS_VERSIONINFO block of PE files (RT_VERSION, ID 1) and of ELF
// files that carry it in a section ".qm_version" (the build puts one into every Quillmere
// executable).
//
// The block returned by GetFileVersionInfoA holds the raw resource followed by a UTF-8 copy of
// every text value, so VerQueryValueA returns strings in the ANSI code page (UTF-8 here), with
// their length in bytes including the terminating NUL. VerQueryValueA accepts only blocks
// filled by GetFileVersionInfoA. Unlike the original, a buffer smaller than
// GetFileVersionInfoSizeA reported is refused (ERROR_INSUFFICIENT_BUFFER) rather than filled
// with a truncated block that later queries would read past.

#include "platform/kernel/Win32.h"

#include <string>
#include <vector>

struct VS_FIXEDFILEINFO {
    DWORD dwSignature = 0; // 0xFEEF04BD
    DWORD dwStrucVersion = 0;
    DWORD dwFileVersionMS = 0;
    DWORD dwFileVersionLS = 0;
    DWORD dwProductVersionMS = 0;
    DWORD dwProductVersionLS = 0;
    DWORD dwFileFlagsMask = 0;
    DWORD dwFileFlags = 0;
    DWORD dwFileOS = 0;
    DWORD dwFileType = 0;
    DWORD dwFileSubtype = 0;
    DWORD dwFileDateMS = 0;
    DWORD dwFileDateLS = 0;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
constexpr DWORD VS_FFI_FILEFLAGSMASK = 0x3F;
constexpr DWORD VOS_UNKNOWN = 0;
constexpr DWORD VFT_APP = 1;
constexpr DWORD VFT_DLL = 2;

// Returns the size of the block GetFileVersionInfoA fills, 0 on failure (GetLastError tells
// why: ERROR_FILE_NOT_FOUND, ERROR_BAD_FORMAT, ERROR_RESOURCE_TYPE_NOT_FOUND,
// ERROR_RESOURCE_DATA_NOT_FOUND, ERROR_INVALID_DATA, ...). *handle is set to 0.
DWORD GetFileVersionInfoSizeA(LPCSTR fileName, DWORD *handle);
BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD length, void *data);
// subBlock: "\" (VS_FIXEDFILEINFO), "\VarFileInfo\Translation" (DWORD array: low word language,
// high word code page), "\StringFileInfo\<lang><codepage>\<name>" (UTF-8 text).
BOOL VerQueryValueA(const void *block, LPCSTR subBlock, void **buffer, UINT *length);

namespace platform {

struct VersionString {
    std::string table; // e.g. "041104B0"
    std::string name;
    std::string value;
};

// Every string of every string table in a block filled by GetFileVersionInfoA, in file order.
std::vector<VersionString> VersionStrings(const void *block);

} // namespace platform
