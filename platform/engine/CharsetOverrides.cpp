#include "platform/engine/CharsetOverrides.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>

namespace engine {

namespace {

QUrl Key(const QUrl &url) {
    return url.adjusted(QUrl::RemoveFragment);
}

// A reading's URL holds the whole page; its digest names it.
QByteArray ReadingKey(const QUrl &reading) {
    return QCryptographicHash::hash(reading.toEncoded(), QCryptographicHash::Sha256);
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

void CharsetOverrides::RememberReading(const QUrl &reading, const QUrl &address) {
    if (reading.scheme() != u"data"_qs)
        return;
    const QByteArray key = ReadingKey(reading);
    m_readingOrder.removeOne(key);
    if (m_readingOrder.size() >= kMaxEntries)
        m_readings.remove(m_readingOrder.takeFirst());
    m_readings.insert(key, address);
    m_readingOrder.append(key);
}

std::optional<QUrl> CharsetOverrides::AddressOf(const QUrl &reading) const {
    if (reading.scheme() != u"data"_qs)
        return std::nullopt;
    const auto found = m_readings.constFind(ReadingKey(reading));
    if (found == m_readings.cend())
        return std::nullopt;
    return *found;
}

} // namespace engine
