#include "platform/kernel/ExecutableResources.h"

#include <cstring>
#include <vector>

namespace platform {
namespace {

constexpr DWORD kShtNobits = 8;
constexpr WORD kShnXindex = 0xFFFF;
// Far more sections than any linker writes; keeps a hostile count from costing memory.
constexpr std::uint64_t kMaxSections = 0x40000;

std::uint64_t LoadU64(const BYTE *p) {
    return LoadU32(p) | (std::uint64_t(LoadU32(p + 4)) << 32);
}

struct ElfLayout {
    bool wide = false; // ELF64
    std::size_t entrySize = 0;

    DWORD Name(const BYTE *h) const { return LoadU32(h); }
    DWORD Type(const BYTE *h) const { return LoadU32(h + 4); }
    std::uint64_t Offset(const BYTE *h) const { return wide ? LoadU64(h + 24) : LoadU32(h + 16); }
    std::uint64_t Size(const BYTE *h) const { return wide ? LoadU64(h + 32) : LoadU32(h + 20); }
    DWORD Link(const BYTE *h) const { return wide ? LoadU32(h + 40) : LoadU32(h + 24); }
};

} // namespace

LONG FindElfSection(const FileReader &file, std::string_view name, ResourceLocation &where) {
    BYTE ident[64] = {};
    if (!file.Read(0, ident, 52) || std::memcmp(ident,
                                                "\x7F"
                                                "ELF",
                                                4) != 0)
        return ERROR_BAD_FORMAT;
    if (ident[5] != 1 || (ident[4] != 1 && ident[4] != 2))
        return ERROR_BAD_FORMAT; // little-endian ELF32/ELF64 only
    ElfLayout layout;
    layout.wide = ident[4] == 2;
    if (layout.wide && !file.Read(0, ident, 64))
        return ERROR_BAD_FORMAT;
    const std::uint64_t tableOffset = layout.wide ? LoadU64(ident + 0x28) : LoadU32(ident + 0x20);
    const BYTE *counts = ident + (layout.wide ? 0x3A : 0x2E);
    layout.entrySize = LoadU16(counts);
    std::uint64_t count = LoadU16(counts + 2);
    DWORD namesIndex = LoadU16(counts + 4);
    const std::size_t minimumEntry = layout.wide ? 64 : 40;
    if (tableOffset == 0 || layout.entrySize < minimumEntry)
        return ERROR_RESOURCE_DATA_NOT_FOUND;

    // Section 0 carries the real count and string-table index when they do not fit the header.
    std::vector<BYTE> first;
    if (!file.ReadBytes(tableOffset, layout.entrySize, first))
        return ERROR_BAD_FORMAT;
    if (count == 0)
        count = layout.Size(first.data());
    if (namesIndex == kShnXindex)
        namesIndex = layout.Link(first.data());
    if (count > kMaxSections || count > file.Size() / layout.entrySize || namesIndex >= count)
        return ERROR_BAD_FORMAT;

    std::vector<BYTE> table;
    if (!file.ReadBytes(tableOffset, std::size_t(count) * layout.entrySize, table))
        return ERROR_BAD_FORMAT;
    const BYTE *names = table.data() + std::size_t(namesIndex) * layout.entrySize;
    const std::uint64_t namesOffset = layout.Offset(names);
    const std::uint64_t namesSize = layout.Size(names);

    std::vector<char> candidate(name.size() + 1);
    for (std::size_t i = 0; i < count; ++i) {
        const BYTE *h = table.data() + i * layout.entrySize;
        const DWORD nameOffset = layout.Name(h);
        if (layout.Type(h) == kShtNobits || nameOffset >= namesSize ||
            namesSize - nameOffset < candidate.size() ||
            !file.Read(namesOffset + nameOffset, candidate.data(), candidate.size()))
            continue;
        if (std::memcmp(candidate.data(), name.data(), name.size()) != 0 ||
            candidate.back() != '\0')
            continue;
        const std::uint64_t offset = layout.Offset(h);
        const std::uint64_t size = layout.Size(h);
        if (offset > file.Size() || size > file.Size() - offset)
            return ERROR_INVALID_DATA;
        where = {offset, size};
        return ERROR_SUCCESS;
    }
    return ERROR_RESOURCE_TYPE_NOT_FOUND;
}

} // namespace platform
