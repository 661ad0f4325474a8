#pragma once
// Value types and data as the reg command reads and prints them.

#include "platform/registry/Registry.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

std::optional<DWORD> ParseTypeName(const std::string &name); // "REG_SZ", any case
std::string TypeName(DWORD type);                            // "REG_SZ", else "0x1f"

// The bytes to store for /d text: strings as given, REG_MULTI_SZ split at separator, DWORD and
// QWORD decimal or 0x hexadecimal, REG_BINARY and REG_NONE as hex digits. Empty on bad data.
std::optional<std::vector<BYTE>> ParseData(DWORD type, const std::string &text,
                                           const std::string &separator);
// Data as the query output shows it.
std::string FormatData(DWORD type, const std::vector<BYTE> &data);

} // namespace cli
