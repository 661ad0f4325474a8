#include "platform/engine/HomePage.h"

#include "platform/registry/Registry.h"

#include <vector>

namespace engine {

QString HomePage() {
    const QString fallback = u"about:blank"_qs;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kHomePageKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return fallback;
    DWORD type = REG_NONE;
    DWORD size = 0;
    std::vector<BYTE> data;
    LSTATUS status = RegQueryValueExA(key, kHomePageValue, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
        data.resize(size);
        status = RegQueryValueExA(key, kHomePageValue, nullptr, &type, data.data(), &size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || data.empty())
        return fallback;
    // The data ends with its NUL; anything after a first NUL is not part of the text.
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data.data()),
                          qstrnlen(reinterpret_cast<const char *>(data.data()), data.size()))
            .trimmed();
    return text.isEmpty() ? fallback : text;
}

} // namespace engine
