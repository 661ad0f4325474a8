#include "platform/registry/ValueData.h"

#include "platform/registry/Registry.h"

#include <cstring>

namespace registry {

LONG NormaliseValueData(DWORD type, const BYTE *data, DWORD size,
                        std::vector<std::uint8_t> &bytes) {
    if (data == nullptr && size > 0)
        return ERROR_INVALID_PARAMETER;
    if ((type == REG_DWORD && size != 4) || (type == REG_QWORD && size != 8))
        return ERROR_INVALID_PARAMETER;
    bytes.assign(data, data + size);
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        if (bytes.empty() || bytes.back() != 0)
            bytes.push_back(0);
    } else if (type == REG_MULTI_SZ) {
        if (bytes.empty() || bytes.back() != 0)
            bytes.push_back(0);
        // A non-empty list ends with an empty string after the last one.
        if (bytes.size() > 1 && bytes[bytes.size() - 2] != 0)
            bytes.push_back(0);
    }
    return ERROR_SUCCESS;
}

LONG CopyValueData(const StoredValue &value, DWORD *type, BYTE *data, DWORD *dataSize) {
    if (type)
        *type = value.type;
    const auto size = static_cast<DWORD>(value.data.size());
    if (dataSize == nullptr)
        return ERROR_SUCCESS;
    if (data == nullptr) {
        *dataSize = size;
        return ERROR_SUCCESS;
    }
    if (*dataSize < size) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    if (size > 0)
        std::memcpy(data, value.data.data(), size);
    *dataSize = size;
    return ERROR_SUCCESS;
}

} // namespace registry
