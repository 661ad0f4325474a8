#include "platform/kernel/ExecutableResources.h"

#include <optional>
#include <vector>

namespace platform {
namespace {

constexpr DWORD kHighBit = 0x80000000u;

struct Section {
    DWORD virtualAddress = 0;
    DWORD rawSize = 0;
    DWORD rawPointer = 0;
};

struct DirectoryEntry {
    DWORD name = 0;
    DWORD target = 0;
};

class PeImage final {
public:
    explicit PeImage(const FileReader &file) : FFile(file) {}

    LONG Load() {
        WORD magic = 0;
        DWORD peOffset = 0;
        DWORD signature = 0;
        if (!FFile.ReadU16(0, magic) || magic != 0x5A4D || !FFile.ReadU32(0x3C, peOffset) ||
            !FFile.ReadU32(peOffset, signature) || signature != 0x00004550)
            return ERROR_BAD_FORMAT;
        const std::uint64_t coff = std::uint64_t(peOffset) + 4;
        WORD sectionCount = 0;
        WORD optionalSize = 0;
        WORD optionalMagic = 0;
        if (!FFile.ReadU16(coff + 2, sectionCount) || !FFile.ReadU16(coff + 16, optionalSize) ||
            !FFile.ReadU16(coff + 20, optionalMagic))
            return ERROR_BAD_FORMAT;
        const std::uint64_t optional = coff + 20;
        std::uint64_t countField = 0;
        if (optionalMagic == 0x10B)
            countField = 92;
        else if (optionalMagic == 0x20B)
            countField = 108;
        else
            return ERROR_BAD_FORMAT;
        constexpr DWORD kResourceDirectory = 2;
        const std::uint64_t resourceField = countField + 4 + kResourceDirectory * 8;
        DWORD directoryCount = 0;
        if (resourceField + 8 > optionalSize ||
            !FFile.ReadU32(optional + countField, directoryCount))
            return ERROR_BAD_FORMAT;
        if (directoryCount <= kResourceDirectory ||
            !FFile.ReadU32(optional + resourceField, FResourceRva))
            return ERROR_BAD_FORMAT;
        if (FResourceRva == 0)
            return ERROR_RESOURCE_DATA_NOT_FOUND;

        std::vector<BYTE> table;
        if (!FFile.ReadBytes(optional + optionalSize, std::size_t(sectionCount) * 40, table))
            return ERROR_BAD_FORMAT;
        for (std::size_t i = 0; i < sectionCount; ++i) {
            const BYTE *p = table.data() + i * 40;
            FSections.push_back({LoadU32(p + 12), LoadU32(p + 16), LoadU32(p + 20)});
        }
        return ERROR_SUCCESS;
    }

    // File offset of `length` bytes at an RVA, when they lie in one section's file data.
    std::optional<std::uint64_t> Locate(std::uint64_t rva, std::uint64_t length) const {
        for (const Section &s : FSections) {
            if (rva < s.virtualAddress)
                continue;
            const std::uint64_t inSection = rva - s.virtualAddress;
            if (inSection <= s.rawSize && length <= s.rawSize - inSection &&
                std::uint64_t(s.rawPointer) + s.rawSize <= FFile.Size())
                return s.rawPointer + inSection;
        }
        return std::nullopt;
    }

    // Entries of the resource directory at `offset` from the start of the resource tree.
    std::optional<std::vector<DirectoryEntry>> Directory(DWORD offset) const {
        const std::uint64_t rva = std::uint64_t(FResourceRva) + offset;
        const auto header = Locate(rva, 16);
        WORD named = 0;
        WORD ids = 0;
        if (!header || !FFile.ReadU16(*header + 12, named) || !FFile.ReadU16(*header + 14, ids))
            return std::nullopt;
        const std::size_t count = std::size_t(named) + ids;
        const auto body = Locate(rva + 16, std::uint64_t(count) * 8);
        std::vector<BYTE> bytes;
        if (!body || !FFile.ReadBytes(*body, count * 8, bytes))
            return std::nullopt;
        std::vector<DirectoryEntry> entries(count);
        for (std::size_t i = 0; i < count; ++i)
            entries[i] = {LoadU32(bytes.data() + i * 8), LoadU32(bytes.data() + i * 8 + 4)};
        return entries;
    }

    // The sub-directory below the entry with this integer ID.
    std::optional<DWORD> SubDirectory(const std::vector<DirectoryEntry> &entries, WORD id) const {
        for (const DirectoryEntry &e : entries) {
            if (!(e.name & kHighBit) && (e.name & 0xFFFF) == id && (e.target & kHighBit))
                return e.target & ~kHighBit;
        }
        return std::nullopt;
    }

    LONG Data(DWORD entryOffset, ResourceLocation &where) const {
        const auto entry = Locate(std::uint64_t(FResourceRva) + entryOffset, 16);
        DWORD dataRva = 0;
        DWORD size = 0;
        if (!entry || !FFile.ReadU32(*entry, dataRva) || !FFile.ReadU32(*entry + 4, size))
            return ERROR_INVALID_DATA;
        const auto data = Locate(dataRva, size);
        if (!data)
            return ERROR_INVALID_DATA;
        where = {*data, size};
        return ERROR_SUCCESS;
    }

private:
    const FileReader &FFile;
    DWORD FResourceRva = 0;
    std::vector<Section> FSections;
};

} // namespace

LONG FindPeResource(const FileReader &file, WORD type, WORD name, ResourceLocation &where) {
    PeImage image(file);
    if (const LONG error = image.Load(); error != ERROR_SUCCESS)
        return error;
    const auto types = image.Directory(0);
    if (!types)
        return ERROR_INVALID_DATA;
    const auto typeDir = image.SubDirectory(*types, type);
    if (!typeDir)
        return ERROR_RESOURCE_TYPE_NOT_FOUND;
    const auto names = image.Directory(*typeDir);
    if (!names)
        return ERROR_INVALID_DATA;
    const auto nameDir = image.SubDirectory(*names, name);
    if (!nameDir)
        return ERROR_RESOURCE_DATA_NOT_FOUND;
    const auto languages = image.Directory(*nameDir);
    if (!languages)
        return ERROR_INVALID_DATA;
    const DirectoryEntry *chosen = nullptr;
    for (const DirectoryEntry &e : *languages) {
        if (e.target & kHighBit)
            continue; // a data entry is expected at this level
        if (!chosen || e.name == 0)
            chosen = &e;
        if (e.name == 0)
            break;
    }
    if (!chosen)
        return ERROR_RESOURCE_DATA_NOT_FOUND;
    return image.Data(chosen->target, where);
}

ExecutableKind DetectExecutable(const FileReader &file) {
    BYTE magic[4] = {};
    if (file.Read(0, magic, 4) && magic[0] == 0x7F && magic[1] == 'E' && magic[2] == 'L' &&
        magic[3] == 'F')
        return ExecutableKind::Elf;
    if (file.Read(0, magic, 2) && magic[0] == 'M' && magic[1] == 'Z')
        return ExecutableKind::Pe;
    return ExecutableKind::Unknown;
}

} // namespace platform
