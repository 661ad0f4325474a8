// The .reg file reader on any bytes: UTF-16LE and UTF-8 files of the 5.00 form, REGEDIT4 in
// UTF-8 or Shift_JIS. Only the reading is fuzzed; what it yields is what an import applies.

#include "FuzzCheck.h"

#include "platform/registry/RegFileParser.h"

#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    std::vector<registry::RegOperation> operations;
    if (registry::ParseRegText(bytes, operations))
        return 0;
    int line = 0;
    for (const registry::RegOperation &op : operations) {
        FUZZ_CHECK(op.root == HKEY_CLASSES_ROOT || op.root == HKEY_CURRENT_USER ||
                   op.root == HKEY_LOCAL_MACHINE);
        FUZZ_CHECK(op.line > line); // one operation per line, in file order
        line = op.line;
        if (op.kind != registry::RegOperation::Kind::SetValue)
            continue;
        // The stores hold text values as UTF-8, whatever the file's encoding.
        if (op.type == REG_SZ || op.type == REG_EXPAND_SZ || op.type == REG_MULTI_SZ)
            FUZZ_CHECK(IsUtf8(
                std::string_view(reinterpret_cast<const char *>(op.data.data()), op.data.size())));
        if (op.type == REG_DWORD)
            FUZZ_CHECK(op.data.size() == 4);
    }
    return 0;
}
