#pragma once
// Import and export of .reg text files: "Windows Registry Editor Version 5.00" (UTF-16LE with
// BOM, or UTF-8) and "REGEDIT4" (ANSI, which is UTF-8 here). Export writes the 5.00 form as the
// original editor does: UTF-16LE with BOM, CRLF, long hex data wrapped at 80 columns.

#include "platform/registry/Registry.h"

#include <string>
#include <string_view>

namespace registry {

// Applies the file's keys and values in file order. The whole text is checked first; on a
// malformed line nothing is written and error says "line N: ...". Failures of the registry while
// applying are reported the same way, with what was applied before left in place.
bool ImportRegText(std::string_view bytes, std::string &error);
bool ImportRegFile(const std::string &fileName, std::string &error);

// keyPath is a rooted path ("HKEY_CURRENT_USER\Software\x" or "HKCU\..."); the key and its whole
// tree are written.
bool ExportRegText(const std::string &keyPath, std::string &bytes, std::string &error);
bool ExportRegFile(const std::string &keyPath, const std::string &fileName, std::string &error);

} // namespace registry
