#include "app/FileFilter.h"

QStringList QtFileFilters(const QString &filter) {
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts))
            patterns.append(pattern.trimmed());
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            continue;
        result.append(parts[i].trimmed() + u" (" + patterns.join(u' ') + u')');
    }
    return result;
}
