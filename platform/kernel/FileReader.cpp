#include "platform/kernel/FileReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileReader::~FileReader() {
    if (FFd >= 0)
        ::close(FFd);
}

LONG FileReader::Open(const std::string &path) {
    if (path.empty())
        return ERROR_FILE_NOT_FOUND;
    FFd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (FFd < 0) {
        switch (errno) {
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
        case ENAMETOOLONG:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
            return ERROR_ACCESS_DENIED;
        default:
            return ERROR_CANTOPEN;
        }
    }
    struct stat info {};
    if (::fstat(FFd, &info) != 0 || !S_ISREG(info.st_mode))
        return ERROR_ACCESS_DENIED;
    FSize = std::uint64_t(info.st_size);
    return ERROR_SUCCESS;
}

bool FileReader::Read(std::uint64_t offset, void *out, std::size_t length) const {
    if (FFd < 0 || offset > FSize || length > FSize - offset)
        return false;
    auto *dest = static_cast<char *>(out);
    while (length > 0) {
        const ssize_t got = ::pread(FFd, dest, length, off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false; // error, or the file shrank under us
        dest += got;
        offset += std::uint64_t(got);
        length -= std::size_t(got);
    }
    return true;
}

bool FileReader::ReadBytes(std::uint64_t offset, std::size_t length, std::vector<BYTE> &out) const {
    if (FFd < 0 || offset > FSize || length > FSize - offset)
        return false;
    out.resize(length);
    return Read(offset, out.data(), length);
}

bool FileReader::ReadU16(std::uint64_t offset, WORD &value) const {
    BYTE bytes[2];
    if (!Read(offset, bytes, sizeof bytes))
        return false;
    value = LoadU16(bytes);
    return true;
}

bool FileReader::ReadU32(std::uint64_t offset, DWORD &value) const {
    BYTE bytes[4];
    if (!Read(offset, bytes, sizeof bytes))
        return false;
    value = LoadU32(bytes);
    return true;
}

} // namespace platform
