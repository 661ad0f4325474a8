#include "tests/platform/kernel/ExecutableFixtures.h"

#include "platform/kernel/Utf16.h"
#include "platform/kernel/VersionInfoWriter.h"

#include <fstream>
#include <map>

namespace fixtures {

void PutU16(std::vector<BYTE> &bytes, std::size_t at, WORD value) {
    bytes[at] = BYTE(value & 0xFF);
    bytes[at + 1] = BYTE(value >> 8);
}

void PutU32(std::vector<BYTE> &bytes, std::size_t at, DWORD value) {
    PutU16(bytes, at, WORD(value & 0xFFFF));
    PutU16(bytes, at + 2, WORD(value >> 16));
}

void PutU64(std::vector<BYTE> &bytes, std::size_t at, std::uint64_t value) {
    PutU32(bytes, at, DWORD(value & 0xFFFFFFFF));
    PutU32(bytes, at + 4, DWORD(value >> 32));
}

namespace {

constexpr DWORD kSectionRva = 0x1000;
constexpr std::size_t kSectionFile = 0x200;
constexpr DWORD kSubdirectory = 0x80000000;

std::size_t Align(std::size_t n, std::size_t to) {
    return (n + to - 1) / to * to;
}

// Resource tree as type -> name -> language -> index into the resource list.
using Tree = std::map<WORD, std::map<WORD, std::map<WORD, std::size_t>>>;

std::size_t DirectorySize(std::size_t entries) {
    return 16 + 8 * entries;
}

// Lays out the tree: directories, then data entries, then data; offsets from the section start.
std::vector<BYTE> BuildResourceSection(const std::vector<Resource> &resources, PeFixture &pe) {
    Tree tree;
    for (std::size_t i = 0; i < resources.size(); ++i)
        tree[resources[i].type][resources[i].name][resources[i].language] = i;

    std::size_t directories = DirectorySize(tree.size());
    for (const auto &[type, names] : tree) {
        directories += DirectorySize(names.size());
        for (const auto &[name, languages] : names)
            directories += DirectorySize(languages.size());
    }
    const std::size_t entries = directories;
    std::size_t dataStart = entries + 16 * resources.size();
    std::vector<std::size_t> dataOffsets;
    for (const Resource &r : resources) {
        dataStart = Align(dataStart, 4);
        dataOffsets.push_back(dataStart);
        dataStart += r.data.size();
    }
    std::vector<BYTE> section(Align(dataStart, 0x200));

    std::size_t next = 0; // next free directory position
    auto directory = [&](std::size_t count) {
        const std::size_t at = next;
        PutU16(section, at + 14, WORD(count));
        next += DirectorySize(count);
        return at;
    };
    const std::size_t root = directory(tree.size());
    std::size_t typeIndex = 0;
    for (const auto &[type, names] : tree) {
        const std::size_t typeDir = directory(names.size());
        PutU32(section, root + 16 + 8 * typeIndex, type);
        PutU32(section, root + 20 + 8 * typeIndex, DWORD(typeDir) | kSubdirectory);
        ++typeIndex;
        std::size_t nameIndex = 0;
        for (const auto &[name, languages] : names) {
            const std::size_t nameDir = directory(languages.size());
            if (pe.firstNameEntry == 0)
                pe.firstNameEntry = kSectionFile + typeDir + 16;
            PutU32(section, typeDir + 16 + 8 * nameIndex, name);
            PutU32(section, typeDir + 20 + 8 * nameIndex, DWORD(nameDir) | kSubdirectory);
            ++nameIndex;
            std::size_t languageIndex = 0;
            for (const auto &[language, index] : languages) {
                const std::size_t dataEntry = entries + 16 * index;
                PutU32(section, nameDir + 16 + 8 * languageIndex, language);
                PutU32(section, nameDir + 20 + 8 * languageIndex, DWORD(dataEntry));
                ++languageIndex;
                PutU32(section, dataEntry, DWORD(kSectionRva + dataOffsets[index]));
                PutU32(section, dataEntry + 4, DWORD(resources[index].data.size()));
                std::copy(resources[index].data.begin(), resources[index].data.end(),
                          section.begin() + std::ptrdiff_t(dataOffsets[index]));
            }
        }
    }
    pe.rootDirectory = kSectionFile + root;
    pe.firstDataEntry = kSectionFile + entries;
    pe.firstData = kSectionFile + (dataOffsets.empty() ? 0 : dataOffsets.front());
    return section;
}

} // namespace

PeFixture BuildPe(const std::vector<Resource> &resources) {
    PeFixture pe;
    const std::vector<BYTE> section = BuildResourceSection(resources, pe);
    std::vector<BYTE> &b = pe.bytes;
    b.resize(kSectionFile);
    b[0] = 'M';
    b[1] = 'Z';
    pe.peHeader = 0x40;
    PutU32(b, 0x3C, DWORD(pe.peHeader));
    PutU32(b, pe.peHeader, 0x00004550);
    const std::size_t coff = pe.peHeader + 4;
    PutU16(b, coff, 0x014C);      // i386
    PutU16(b, coff + 2, 1);       // one section
    PutU16(b, coff + 16, 224);    // optional header size
    PutU16(b, coff + 18, 0x0102); // executable, 32-bit
    const std::size_t optional = coff + 20;
    PutU16(b, optional, 0x10B); // PE32
    PutU32(b, optional + 32, 0x1000);
    PutU32(b, optional + 36, 0x200);
    PutU32(b, optional + 56, DWORD(kSectionRva + section.size()));
    PutU32(b, optional + 60, DWORD(kSectionFile));
    PutU32(b, optional + 92, 16);
    pe.resourceDirField = optional + 96 + 2 * 8;
    PutU32(b, pe.resourceDirField, kSectionRva);
    PutU32(b, pe.resourceDirField + 4, DWORD(section.size()));
    pe.sectionHeader = optional + 224;
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(name, name + 8, b.begin() + std::ptrdiff_t(pe.sectionHeader));
    PutU32(b, pe.sectionHeader + 8, DWORD(section.size()));
    PutU32(b, pe.sectionHeader + 12, kSectionRva);
    PutU32(b, pe.sectionHeader + 16, DWORD(section.size()));
    PutU32(b, pe.sectionHeader + 20, DWORD(kSectionFile));
    PutU32(b, pe.sectionHeader + 36, 0x40000040); // initialised data, readable
    b.insert(b.end(), section.begin(), section.end());
    return pe;
}

ElfFixture BuildElf(const std::vector<ElfSection> &sections) {
    ElfFixture elf;
    std::vector<BYTE> &b = elf.bytes;
    b.resize(64);
    const BYTE ident[] = {0x7F, 'E', 'L', 'F', 2, 1, 1};
    std::copy(std::begin(ident), std::end(ident), b.begin());
    PutU16(b, 16, 2);    // executable
    PutU16(b, 18, 0x3E); // x86-64
    PutU32(b, 20, 1);
    PutU16(b, 52, 64); // header size

    std::vector<BYTE> names(1, 0);
    std::vector<std::pair<DWORD, std::size_t>> placed; // name offset, data offset
    for (const ElfSection &s : sections) {
        const DWORD nameOffset = DWORD(names.size());
        names.insert(names.end(), s.name.begin(), s.name.end());
        names.push_back(0);
        b.resize(Align(b.size(), 8));
        placed.emplace_back(nameOffset, b.size());
        b.insert(b.end(), s.data.begin(), s.data.end());
    }
    const DWORD namesName = DWORD(names.size());
    const std::string tableName = ".shstrtab";
    names.insert(names.end(), tableName.begin(), tableName.end());
    names.push_back(0);
    const std::size_t namesOffset = b.size();
    b.insert(b.end(), names.begin(), names.end());

    b.resize(Align(b.size(), 8));
    elf.sectionTable = b.size();
    const std::size_t count = sections.size() + 2;
    b.resize(b.size() + 64 * count);
    auto header = [&](std::size_t index, DWORD name, DWORD type, std::size_t offset,
                      std::size_t size) {
        const std::size_t at = elf.sectionTable + 64 * index;
        PutU32(b, at, name);
        PutU32(b, at + 4, type);
        PutU64(b, at + 24, offset);
        PutU64(b, at + 32, size);
    };
    for (std::size_t i = 0; i < sections.size(); ++i)
        header(i + 1, placed[i].first, 1 /* PROGBITS */, placed[i].second, sections[i].data.size());
    header(count - 1, namesName, 3 /* STRTAB */, namesOffset, names.size());
    PutU64(b, 0x28, elf.sectionTable);
    PutU16(b, 0x3A, 64);
    PutU16(b, 0x3C, WORD(count));
    PutU16(b, 0x3E, WORD(count - 1));
    return elf;
}

std::vector<BYTE> VersionBlock(const std::array<WORD, 4> &version,
                               const std::vector<std::pair<std::string, std::string>> &strings) {
    platform::VersionInfoContent content;
    content.fileVersion = version;
    content.productVersion = version;
    content.strings = strings;
    return platform::BuildVersionInfo(content);
}

std::vector<BYTE> StringBlock(const std::vector<std::string> &strings) {
    std::vector<BYTE> block;
    for (std::size_t i = 0; i < 16; ++i) {
        const std::u16string text =
            i < strings.size() ? platform::Utf8ToUtf16(strings[i]) : std::u16string();
        block.resize(block.size() + 2 + 2 * text.size());
        std::size_t at = block.size() - 2 - 2 * text.size();
        PutU16(block, at, WORD(text.size()));
        for (char16_t c : text)
            PutU16(block, at += 2, c);
    }
    return block;
}

bool WriteFile(const std::string &path, const std::vector<BYTE> &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

} // namespace fixtures
