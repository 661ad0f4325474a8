// quillmere-platform version FILE
// Prints the version resource of a PE or ELF file: file and product version, the translation
// table and every string; a file without one gets one line on err and exit status 1.

#include "platform/kernel/Version.h"

#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

const char *ErrorName(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "no such file";
    case ERROR_ACCESS_DENIED:
        return "not a readable regular file";
    case ERROR_BAD_FORMAT:
        return "not a PE or ELF executable";
    case ERROR_RESOURCE_TYPE_NOT_FOUND:
    case ERROR_RESOURCE_DATA_NOT_FOUND:
        return "no version resource";
    case ERROR_INVALID_DATA:
        return "damaged version resource";
    default:
        return "cannot be read";
    }
}

std::string VersionText(DWORD most, DWORD least) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", unsigned(most >> 16), unsigned(most & 0xFFFF),
                  unsigned(least >> 16), unsigned(least & 0xFFFF));
    return text;
}

void PrintFixedInfo(const std::vector<BYTE> &block, std::ostream &out) {
    void *value = nullptr;
    UINT length = 0;
    VS_FIXEDFILEINFO info;
    if (!VerQueryValueA(block.data(), "\\", &value, &length) || length < sizeof info) {
        out << "File version:    (none)\n";
        return;
    }
    std::memcpy(&info, value, sizeof info);
    out << "File version:    " << VersionText(info.dwFileVersionMS, info.dwFileVersionLS) << '\n'
        << "Product version: " << VersionText(info.dwProductVersionMS, info.dwProductVersionLS)
        << '\n';
}

void PrintTranslations(const std::vector<BYTE> &block, std::ostream &out) {
    void *value = nullptr;
    UINT length = 0;
    out << "Translation:    ";
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length)) {
        for (UINT at = 0; at + sizeof(DWORD) <= length; at += sizeof(DWORD)) {
            DWORD entry = 0;
            std::memcpy(&entry, static_cast<const BYTE *>(value) + at, sizeof entry);
            char text[9];
            std::snprintf(text, sizeof text, "%04X%04X", unsigned(entry & 0xFFFF),
                          unsigned(entry >> 16));
            out << ' ' << text;
        }
    }
    out << '\n';
}

} // namespace

int VersionCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << "usage: version FILE\n"
               "Prints the version resource of a PE or ELF file.\n";
        return 0;
    }
    if (args.size() != 1) {
        err << "usage: version FILE\n";
        return 2;
    }
    const std::string &path = args[0];
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), handle, size, block.data())) {
        err << "version: " << path << ": " << ErrorName(GetLastError()) << '\n';
        return 1;
    }
    PrintFixedInfo(block, out);
    PrintTranslations(block, out);
    for (const platform::VersionString &s : platform::VersionStrings(block.data()))
        out << s.table << ' ' << s.name << ": " << s.value << '\n';
    return 0;
}
