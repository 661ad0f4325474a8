#pragma once
// Bounds-checked random access to a regular file, for parsing untrusted executables.

#include "platform/kernel/Win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class FileReader final {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader &) = delete;
    FileReader &operator=(const FileReader &) = delete;

    // Opens a regular file for reading (never blocks on FIFOs or devices). Returns a Win32 error
    // code, ERROR_SUCCESS on success.
    LONG Open(const std::string &path);

    std::uint64_t Size() const { return FSize; }

    // Each read fails (returns false) unless the whole range lies inside the file.
    bool Read(std::uint64_t offset, void *out, std::size_t length) const;
    bool ReadBytes(std::uint64_t offset, std::size_t length, std::vector<BYTE> &out) const;
    bool ReadU16(std::uint64_t offset, WORD &value) const;
    bool ReadU32(std::uint64_t offset, DWORD &value) const;

private:
    int FFd = -1;
    std::uint64_t FSize = 0;
};

// Little-endian field access inside a byte buffer; the caller checks the bounds.
inline WORD LoadU16(const BYTE *p) {
    return WORD(p[0] | (p[1] << 8));
}
inline DWORD LoadU32(const BYTE *p) {
    return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24);
}

} // namespace platform
