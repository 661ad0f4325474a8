#pragma once
// File dialog filters written as "description|pattern;pattern|description|pattern", turned into
// the toolkit's "description (pattern pattern)" entries.

#include <QString>
#include <QStringList>

// One entry per description/pattern pair; a trailing description without patterns is dropped,
// and empty patterns between ";" are skipped.
QStringList QtFileFilters(const QString &filter);
