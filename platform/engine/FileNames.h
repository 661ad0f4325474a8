#pragma once
// Names of the files the control writes into a folder of the user's: downloads and saved pages.
// A name is made safe (no directories, no "..", no control characters, bounded, never empty)
// and unique: an existing file is never overwritten, "name.ext" becomes "name (1).ext" and so on.

#include <QString>

#include <optional>

class QDir;
class QUrl;

namespace engine {

// The suggested name as a plain file name: the part after the last '/' or '\', control and
// format characters replaced by '_', leading dots and surrounding blanks removed, at most 240 bytes
// of UTF-8 (room for " (n)" within the file system's 255; a short extension is kept); fallback
// when nothing is left.
QString SafeFileName(const QString &suggested, const QString &fallback = u"download"_qs);

// The name a page is saved under: its title (or, without one, its address's last path segment)
// with the characters a file name cannot hold replaced by '_', made safe ("page" when nothing is
// left), ending in ".html" unless it ends in ".htm" or ".html".
QString PageFileName(const QString &title, const QUrl &url);

// Creates "name", else "name (1)", "name (2)", ... in dir, whichever does not exist yet, and
// returns its path; nullopt when none can be created. With a companion suffix, a name is taken
// only when "<name without extension><companion>" does not exist either (the folder a complete
// web page keeps its resources in).
std::optional<QString> ReserveUniqueFile(const QDir &dir, const QString &name,
                                         const QString &companion = QString());

} // namespace engine
