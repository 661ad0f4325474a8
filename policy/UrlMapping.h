#pragma once
// Mapping between local references (paths and file: URLs) of pages saved under the local web
// directory and the Internet URLs they were saved from: <dir>/<host>/<path> ↔ http://<host>/<path>.

#include "platform/kernel/CodePage.h"

#include <string>

// How local paths are written. The program uses the POSIX style; the drive-letter style keeps the
// original platform's behaviour (backslashes, drive letters, Shift-JIS names) testable.
struct LocalPathStyle {
    char separator = '/';
    bool driveLetters = false; // "X:" prefixes and one-character texts are local references
    bool foldCase = false;     // the directory comparison ignores ASCII case
    UINT codePage = CP_UTF8;   // for double-byte-aware separator scanning
};

inline constexpr LocalPathStyle kPosixPathStyle{'/', false, false, CP_UTF8};
inline constexpr LocalPathStyle kWindowsPathStyle{'\\', true, true, CP_SHIFT_JIS};

// True for a local path or a file: URL.
bool IsLocalFileReference(const std::string &text, const LocalPathStyle &style = kPosixPathStyle);

// True when text names something under dir (an absolute path ending with the separator).
bool IsInLocalWebDirectory(const std::string &text, const std::string &dir,
                           const LocalPathStyle &style = kPosixPathStyle);

// The http URL a page under dir was saved from, or text unchanged when it is not under dir.
std::string LocalToInternetUrl(const std::string &text, const std::string &dir,
                               const LocalPathStyle &style = kPosixPathStyle);
