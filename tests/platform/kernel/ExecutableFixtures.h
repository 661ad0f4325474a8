#pragma once
// Small executables built byte by byte for tests: a PE32 image with a resource tree and an
// ELF64 file with named sections. The offsets of the fields that tests corrupt are returned
// along with the bytes.

#include "platform/kernel/Win32.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace fixtures {

struct Resource {
    WORD type = 0;
    WORD name = 0;
    WORD language = 0;
    std::vector<BYTE> data;
};

struct PeFixture {
    std::vector<BYTE> bytes;
    std::size_t peHeader = 0;         // "PE\0\0"
    std::size_t resourceDirField = 0; // data directory entry 2 (RVA, size)
    std::size_t sectionHeader = 0;    // the .rsrc section header
    std::size_t rootDirectory = 0;    // resource tree root
    std::size_t firstNameEntry = 0;   // entry of the first type's name directory
    std::size_t firstDataEntry = 0;   // IMAGE_RESOURCE_DATA_ENTRY of the first resource
    std::size_t firstData = 0;        // data of the first resource
};

// Resources must be sorted by type, name and language.
PeFixture BuildPe(const std::vector<Resource> &resources);

struct ElfSection {
    std::string name;
    std::vector<BYTE> data;
};

struct ElfFixture {
    std::vector<BYTE> bytes;
    std::size_t sectionTable = 0; // section headers (64 bytes each; 0 is the null section)
};

// Sections follow the null section; the section name table comes last.
ElfFixture BuildElf(const std::vector<ElfSection> &sections);

// The version block of a file "a.b.c.d" with strings, translation 041104B0.
std::vector<BYTE> VersionBlock(const std::array<WORD, 4> &version,
                               const std::vector<std::pair<std::string, std::string>> &strings);

// An RT_STRING block: up to 16 strings (UTF-8 here), missing ones empty.
std::vector<BYTE> StringBlock(const std::vector<std::string> &strings);

void PutU16(std::vector<BYTE> &bytes, std::size_t at, WORD value);
void PutU32(std::vector<BYTE> &bytes, std::size_t at, DWORD value);
void PutU64(std::vector<BYTE> &bytes, std::size_t at, std::uint64_t value);

// Writes bytes to a file; false on failure.
bool WriteFile(const std::string &path, const std::vector<BYTE> &bytes);

} // namespace fixtures
