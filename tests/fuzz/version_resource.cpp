// Version and string resources of any file: PE images (RT_VERSION, RT_STRING) and ELF files
// with a ".qm_version" section, read by path as the version reader and the host's version
// query read them. The input is the whole file, kept in memory (memfd) and named by its
// /proc/self/fd path.

#include "FuzzCheck.h"

#include "platform/kernel/Module.h"
#include "platform/kernel/Version.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The file the input is written to, for the life of the process.
const std::string &InputFile() {
    static const std::string path = [] {
        const int fd = memfd_create("fuzz-input", MFD_CLOEXEC);
        FUZZ_CHECK(fd >= 0);
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

void WriteInput(const std::uint8_t *data, std::size_t size) {
    FILE *file = std::fopen(InputFile().c_str(), "wb"); // truncates
    FUZZ_CHECK(file);
    FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, file) == size);
    FUZZ_CHECK(std::fclose(file) == 0);
}

// A value VerQueryValueA found lies inside the block it was asked of.
void CheckInside(const std::vector<BYTE> &block, const void *value, UINT length) {
    const auto *p = static_cast<const BYTE *>(value);
    FUZZ_CHECK(p >= block.data() && p <= block.data() + block.size());
    FUZZ_CHECK(length <= std::size_t(block.data() + block.size() - p));
}

void QueryVersion(const char *path) {
    DWORD handle = 1;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    FUZZ_CHECK(handle == 0);
    if (size == 0)
        return;
    // A buffer one byte short is refused without being written past.
    std::vector<BYTE> small(size - 1);
    FUZZ_CHECK(!GetFileVersionInfoA(path, 0, DWORD(small.size()), small.data()));
    std::vector<BYTE> block(size);
    FUZZ_CHECK(GetFileVersionInfoA(path, 0, size, block.data()));

    void *value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), "\\", &value, &length))
        CheckInside(block, value, length);
    std::vector<DWORD> translations;
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length)) {
        CheckInside(block, value, length);
        for (UINT i = 0; i + 4 <= length && translations.size() < 4; i += 4) {
            DWORD t = 0;
            std::memcpy(&t, static_cast<const BYTE *>(value) + i, 4);
            translations.push_back(t);
        }
    }
    for (const DWORD t : translations) {
        char name[64];
        std::snprintf(name, sizeof name, "\\StringFileInfo\\%04X%04X\\FileVersion",
                      unsigned(t & 0xFFFF), unsigned(t >> 16));
        if (VerQueryValueA(block.data(), name, &value, &length)) {
            CheckInside(block, value, length);
            FUZZ_CHECK(length == 0 || static_cast<const char *>(value)[length - 1] == '\0');
        }
    }
    (void)platform::VersionStrings(block.data());
}

void LoadStrings(const char *path) {
    const HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return;
    for (const UINT id : {0u, 3u, 15u, 16u, 0xFFFFu}) {
        for (const int room : {1, 4, 260}) {
            std::vector<char> buffer(std::size_t(room), 'x');
            const int length = LoadStringA(module, id, buffer.data(), room);
            FUZZ_CHECK(length >= 0 && length < room);
            FUZZ_CHECK(buffer[std::size_t(length)] == '\0');
            // A string that does not fit is cut between characters.
            FUZZ_CHECK(IsUtf8(std::string_view(buffer.data(), std::size_t(length))));
        }
    }
    FUZZ_CHECK(FreeLibrary(module));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    WriteInput(data, size);
    QueryVersion(InputFile().c_str());
    LoadStrings(InputFile().c_str());
    return 0;
}
