#pragma once
// Import and export of .reg text files: "Windows Registry Editor Version 5.00" (UTF-16LE with
// BOM, or UTF-8) and "REGEDIT4" (ANSI: UTF-8 when valid, else Shift_JIS). Export writes the 5.00
// form as the original editor does: UTF-16LE with BOM, CRLF, long hex data wrapped at 80 columns.

#include "platform/registry/Registry.h"

#include <string>
#include <string_view>

namespace registry {

// Applies the file's keys and values in file order, all in one transaction. The whole text is
// checked first; on a malformed line nothing is written and error says "line N: ...". A failure
// of the registry while applying is reported the same way and leaves the registry as it was.
bool ImportRegText(std::string_view bytes, std::string &error);
bool ImportRegFile(const std::string &fileName, std::string &error);

// keyPath is a rooted path ("HKEY_CURRENT_USER\Software\x" or "HKCU\..."); the key and its whole
// tree are written.
bool ExportRegText(const std::string &keyPath, std::string &bytes, std::string &error);
bool ExportRegFile(const std::string &keyPath, const std::string &fileName, std::string &error);

} // namespace registry
