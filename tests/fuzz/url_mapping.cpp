// The mapping of local references to the Internet URLs they were saved from, in both path
// styles. The input is a text; a first line, when there is one, is the local web directory
// instead of the style's usual one.

#include "FuzzCheck.h"

#include "policy/UrlMapping.h"

#include <cstdint>
#include <string>

namespace {

void Check(const std::string &text, const std::string &dir, const LocalPathStyle &style) {
    (void)IsLocalFileReference(text, style);
    (void)IsInLocalWebDirectory(text, dir, style);
    const std::string mapped = LocalToInternetUrl(text, dir, style);
    // A text is either left as it is or becomes an http URL (canonical, or as built).
    FUZZ_CHECK(mapped == text || mapped.starts_with("http:"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    const std::size_t newline = input.find('\n');
    const bool ownDir = newline != std::string::npos;
    const std::string text = ownDir ? input.substr(newline + 1) : input;
    Check(text, ownDir ? input.substr(0, newline) : "/home/user/Html/", kPosixPathStyle);
    Check(text, ownDir ? input.substr(0, newline) : "C:\\Html\\", kWindowsPathStyle);
    return 0;
}
