// The URL canonicaliser on any text, in the two forms the program calls it with: flags 0 (http
// URLs) and decode-without-encode (file URLs), through the buffer contract as the callers use it
// (260 bytes, then one retry with the length reported).

#include "FuzzCheck.h"

#include "platform/wininet/CanonicalUrl.h"
#include "platform/wininet/WinInet.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(const std::string &url, DWORD flags) {
    const platform::wininet::CanonicalUrl direct = platform::wininet::CanonicalizeUrl(url, flags);
    FUZZ_CHECK(direct.error != ERROR_SUCCESS || direct.url.find('\0') == std::string::npos);

    std::vector<char> buffer(260);
    DWORD length = DWORD(buffer.size());
    BOOL done = InternetCanonicalizeUrlA(url.c_str(), buffer.data(), &length, flags);
    if (!done && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        FUZZ_CHECK(length > buffer.size());
        FUZZ_CHECK(length == direct.url.size() + 1);
        // One byte short is still too small, and nothing is written past it.
        std::vector<char> shortBuffer(length - 1);
        DWORD shorter = length - 1;
        FUZZ_CHECK(!InternetCanonicalizeUrlA(url.c_str(), shortBuffer.data(), &shorter, flags));
        FUZZ_CHECK(shorter == length);
        buffer.assign(length, '\0');
        done = InternetCanonicalizeUrlA(url.c_str(), buffer.data(), &length, flags);
    }
    FUZZ_CHECK(bool(done) == (direct.error == ERROR_SUCCESS));
    if (done) {
        FUZZ_CHECK(length == direct.url.size() && length < buffer.size());
        FUZZ_CHECK(buffer[length] == '\0');
        FUZZ_CHECK(std::memcmp(buffer.data(), direct.url.data(), length) == 0);
    } else {
        FUZZ_CHECK(GetLastError() == DWORD(direct.error));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // The callers hand over NUL-terminated text: what follows a NUL never reaches the function.
    const std::string input(reinterpret_cast<const char *>(data), size);
    const std::string url = input.substr(0, input.find('\0'));
    Check(url, 0);
    Check(url, ICU_DECODE | ICU_NO_ENCODE);
    return 0;
}
