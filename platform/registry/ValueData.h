#pragma once
// Value data as stored and as handed out through the buffer contract of the query functions.

#include "platform/kernel/Win32.h"
#include "platform/registry/Store.h"

#include <cstdint>
#include <vector>

namespace registry {

// Checks data for its type and gives the bytes to store: strings always end with their NUL
// (REG_MULTI_SZ with the final empty string), so readers never run past the data.
// REG_DWORD must be 4 bytes and REG_QWORD 8.
LONG NormaliseValueData(DWORD type, const BYTE *data, DWORD size, std::vector<std::uint8_t> &bytes);

// type and data are optional; data null asks for the size only; a too small buffer gives
// ERROR_MORE_DATA with the needed size in *dataSize.
LONG CopyValueData(const StoredValue &value, DWORD *type, BYTE *data, DWORD *dataSize);

} // namespace registry
