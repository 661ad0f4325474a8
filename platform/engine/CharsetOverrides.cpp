#include "platform/engine/CharsetOverrides.h"

#include <QFile>
#include <QRegularExpression>

namespace engine {

namespace {

QUrl Key(const QUrl &url) {
    return url.adjusted(QUrl::RemoveFragment);
}

} // namespace

bool IsCharsetName(const QString &name) {
    static const QRegularExpression pattern(u"^[A-Za-z0-9][A-Za-z0-9_.:-]{0,39}$"_qs);
    return pattern.match(name).hasMatch();
}

void CharsetOverrides::Set(const QUrl &url, const QString &charset) {
    const QUrl key = Key(url);
    m_order.removeOne(key);
    m_charsets.remove(key);
    if (charset.isEmpty())
        return;
    if (m_order.size() >= kMaxEntries)
        m_charsets.remove(m_order.takeFirst());
    m_charsets.insert(key, charset);
    m_order.append(key);
}

QString CharsetOverrides::For(const QUrl &url) const {
    return m_charsets.value(Key(url));
}

std::optional<QByteArray> CharsetOverrides::RereadContent(const QUrl &url,
                                                          const QString &usedCharset) const {
    if (For(url).compare(usedCharset, Qt::CaseInsensitive) == 0)
        return std::nullopt;
    return Content(url);
}

std::optional<QByteArray> CharsetOverrides::Content(const QUrl &url) const {
    if (For(url).isEmpty() || !url.isLocalFile())
        return std::nullopt;
    QFile file(url.toLocalFile());
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxRereadBytes)
        return std::nullopt;
    return file.readAll();
}

} // namespace engine
