#include "platform/registry/KeyNames.h"

#include "platform/registry/Store.h"

#include <array>
#include <cctype>

namespace registry {

namespace {

struct RootName {
    HKEY key;
    std::string_view full;
    std::string_view abbreviation;
};

const std::array<RootName, 4> &RootNames() {
    static const std::array<RootName, 4> names{{
        {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR"},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM"},
        {HKEY_USERS, "HKEY_USERS", "HKU"},
    }};
    return names;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

std::optional<RootedPath> ParseRootedPath(std::string_view path) {
    const auto slash = path.find('\\');
    const auto head = path.substr(0, slash);
    for (const auto &name : RootNames()) {
        if (!EqualNoCase(head, name.full) && !EqualNoCase(head, name.abbreviation))
            continue;
        std::string_view rest = slash == std::string_view::npos ? "" : path.substr(slash + 1);
        while (!rest.empty() && rest.front() == '\\')
            rest.remove_prefix(1);
        while (!rest.empty() && rest.back() == '\\')
            rest.remove_suffix(1);
        return RootedPath{name.key, std::string(rest)};
    }
    return std::nullopt;
}

bool SameName(std::string_view a, std::string_view b) {
    return FoldName(a) == FoldName(b);
}

std::string RootKeyName(HKEY root) {
    for (const auto &name : RootNames())
        if (name.key == root)
            return std::string(name.full);
    return {};
}

std::vector<std::string> EnumerateNames(HKEY key, bool keys) {
    std::vector<std::string> names;
    std::vector<char> buffer(256);
    for (DWORD index = 0;;) {
        DWORD chars = static_cast<DWORD>(buffer.size());
        const LONG status = keys ? RegEnumKeyExA(key, index, buffer.data(), &chars, nullptr,
                                                 nullptr, nullptr, nullptr)
                                 : RegEnumValueA(key, index, buffer.data(), &chars, nullptr,
                                                 nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return names;
        names.emplace_back(buffer.data(), chars);
        ++index;
    }
}

} // namespace registry
