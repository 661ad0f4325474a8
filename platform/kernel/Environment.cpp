#include "platform/kernel/Environment.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>

extern char **environ;

namespace {

bool EqualsNoCase(const char *a, const char *b, std::size_t length) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    for (std::size_t i = 0; i < length; ++i) {
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

std::optional<std::string> Variable(const std::string &name) {
    if (const char *value = std::getenv(name.c_str()))
        return std::string(value);
    for (char **entry = environ; entry && *entry; ++entry) {
        const char *equals = std::strchr(*entry, '=');
        if (equals && std::size_t(equals - *entry) == name.size() &&
            EqualsNoCase(*entry, name.data(), name.size()))
            return std::string(equals + 1);
    }
    return std::nullopt;
}

std::string Expand(const std::string &source) {
    std::string result;
    std::size_t i = 0;
    while (i < source.size()) {
        const std::size_t open = source.find('%', i);
        const std::size_t close =
            open == std::string::npos ? std::string::npos : source.find('%', open + 1);
        if (close == std::string::npos) {
            result.append(source, i);
            break;
        }
        result.append(source, i, open - i);
        const std::string name = source.substr(open + 1, close - open - 1);
        const auto value =
            name.empty() || name.find('=') != std::string::npos ? std::nullopt : Variable(name);
        if (value)
            result += *value;
        else
            result.append(source, open, close - open + 1); // unknown: kept as written
        i = close + 1;
    }
    return result;
}

} // namespace

DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR dest, DWORD size) {
    if (!source) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string result = Expand(source);
    const DWORD needed = DWORD(result.size() + 1);
    if (dest && size >= needed)
        std::memcpy(dest, result.c_str(), needed);
    SetLastError(ERROR_SUCCESS);
    return needed;
}

void OutputDebugStringA(LPCSTR text) {
    const char *enabled = std::getenv("QUILLMERE_DEBUG_OUTPUT");
    if (!text || !enabled || !*enabled)
        return;
    const std::size_t length = std::strlen(text);
    for (std::size_t done = 0; done < length;) {
        const ssize_t wrote = ::write(STDERR_FILENO, text + done, length - done);
        if (wrote <= 0)
            return;
        done += std::size_t(wrote);
    }
}
