#include "tests/support/FixtureSite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool WriteFile(const QString &path, const QByteArray &content) {
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}
