#pragma once
// The text of a .reg file read as the registry operations it asks for, in file order, without
// touching the registry.

#include "platform/registry/RegFileText.h"
#include "platform/registry/Registry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace registry {

struct RegOperation {
    enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
    Kind kind = Kind::CreateKey;
    int line = 0;
    HKEY root = nullptr;
    std::string subKey;
    std::string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data; // as the store holds it: strings in UTF-8
};

// Decodes the file (RegFileText.h) and reads every line; on the first malformed line nothing is
// returned but the error, with the line's number.
std::optional<ParseError> ParseRegText(std::string_view bytes,
                                       std::vector<RegOperation> &operations);

} // namespace registry
