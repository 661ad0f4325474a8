#include "platform/engine/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QUrl>

Q_LOGGING_CATEGORY(lcFileNames, "quillmere.engine.files")

namespace engine {

namespace {

constexpr qsizetype kMaxNameBytes = 240;
constexpr qsizetype kMaxExtension = 16;
constexpr int kMaxUniqueTries = 10000;

// Splits "name.ext" into "name" and ".ext"; a long or missing extension stays in the name.
std::pair<QString, QString> SplitExtension(const QString &name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || name.size() - dot > kMaxExtension)
        return {name, QString()};
    return {name.left(dot), name.mid(dot)};
}

} // namespace

QString SafeFileName(const QString &suggested, const QString &fallback) {
    QString name =
        suggested.mid(qMax(suggested.lastIndexOf(u'/'), suggested.lastIndexOf(u'\\')) + 1);
    for (QChar &c : name) {
        // Control and format characters (a right-to-left override can disguise an extension).
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u'_';
    }
    name = name.trimmed();
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    name = name.trimmed();
    auto [base, extension] = SplitExtension(name);
    // One UTF-16 unit is at least one byte of UTF-8, so the loop below runs a bounded number
    // of times however long the suggestion was.
    base.truncate(kMaxNameBytes);
    while (!base.isEmpty() && (base + extension).toUtf8().size() > kMaxNameBytes)
        base.chop(base.size() >= 2 && base.back().isLowSurrogate() ? 2 : 1);
    name = base.trimmed() + extension;
    return name.isEmpty() || name.startsWith(u'.') ? fallback + name : name;
}

QString PageFileName(const QString &title, const QUrl &url) {
    QString name = title.trimmed();
    if (name.isEmpty())
        name = url.fileName(QUrl::FullyDecoded);
    static const QRegularExpression unfit(u"[/\\\\:*?\"<>|]"_qs);
    name = SafeFileName(name.replace(unfit, u"_"_qs), u"page"_qs);
    if (name.endsWith(u".html"_qs, Qt::CaseInsensitive) ||
        name.endsWith(u".htm"_qs, Qt::CaseInsensitive))
        return name;
    // Once more, so that the extension fits in the bound as well.
    return SafeFileName(name + u".html"_qs);
}

std::optional<QString> ReserveUniqueFile(const QDir &dir, const QString &name,
                                         const QString &companion) {
    const auto [base, extension] = SplitExtension(name);
    for (int n = 0; n < kMaxUniqueTries; ++n) {
        const QString stem = n == 0 ? base : u"%1 (%2)"_qs.arg(base, QString::number(n));
        if (!companion.isEmpty() && QFileInfo::exists(dir.filePath(stem + companion)))
            continue;
        QFile file(dir.filePath(stem + extension));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return file.fileName();
        if (!file.exists()) {
            qCWarning(lcFileNames, "cannot create %s: %s", qPrintable(file.fileName()),
                      qPrintable(file.errorString()));
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace engine
