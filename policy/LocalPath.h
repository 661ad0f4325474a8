#pragma once
// Byte-level helpers for local paths in a given code page.

#include "policy/UrlMapping.h"

#include <optional>
#include <string>

namespace localpath {

// Replaces every from by to, never touching the second byte of a double-byte character.
std::string ReplaceSeparator(const std::string &text, char from, char to, UINT codePage);

// Removes "." and ".." segments. Separators are style.separator (and '/' too when
// slashIsSeparator); the result uses style.separator. ".." never climbs above the first segment
// (the drive or the root), and a trailing separator is kept.
std::string RemoveDotSegments(const std::string &path, const LocalPathStyle &style,
                              bool slashIsSeparator);

bool EqualsIgnoringAsciiCase(const std::string &a, const std::string &b);

// InternetCanonicalizeUrlA into 260 bytes, retried once with the length the first call reported.
std::optional<std::string> Canonicalize(const std::string &url, DWORD flags);

} // namespace localpath
