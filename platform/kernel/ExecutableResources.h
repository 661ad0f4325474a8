#pragma once
// Locating resource data inside executables: the .rsrc tree of PE images and the version
// section of ELF files. Both check every offset against the file and fail with a Win32 code.

#include "platform/kernel/FileReader.h"

#include <cstdint>
#include <string_view>

namespace platform {

struct ResourceLocation {
    std::uint64_t offset = 0; // in the file
    std::uint64_t size = 0;
};

constexpr WORD kRtString = 6;
constexpr WORD kRtVersion = 16;

// The PE resource of integer type and name; of the languages present, the neutral one (0)
// when there is one, else the first.
LONG FindPeResource(const FileReader &file, WORD type, WORD name, ResourceLocation &where);

// The ELF section with this name (little-endian ELF32/ELF64; sections without file data do
// not count).
LONG FindElfSection(const FileReader &file, std::string_view name, ResourceLocation &where);

enum class ExecutableKind { Unknown, Pe, Elf };
ExecutableKind DetectExecutable(const FileReader &file);

} // namespace platform
