#pragma once
// Charsets chosen for pages through the document model (document.charset = ...). The engine has
// no per-page encoding override, and its own detection wins over its default encoding, so the
// control reads a local page with a chosen charset by handing the engine the file's bytes with
// that charset as their content type (which wins over the page's own declaration).

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrl>

#include <optional>

namespace engine {

// A charset name as a content type may carry it: letters, digits and - _ . : only.
bool IsCharsetName(const QString &name);

class CharsetOverrides final {
public:
    // The engine takes content handed over this way up to 2 MB of URL-encoded text.
    static constexpr qint64 kMaxRereadBytes = 600 * 1024;

    // An empty charset forgets the address's charset. At most kMaxEntries addresses are kept;
    // the oldest goes first.
    void Set(const QUrl &url, const QString &charset);
    // The charset chosen for the address (the fragment does not count); empty for none.
    QString For(const QUrl &url) const;
    // The bytes of the local page at url, when a charset was chosen for it and the engine read
    // it with another one; nullopt otherwise (no choice, same charset, not a readable local
    // file, larger than kMaxRereadBytes).
    std::optional<QByteArray> RereadContent(const QUrl &url, const QString &usedCharset) const;
    // The bytes of the local page at url to be read with its chosen charset, whatever the engine
    // used; nullopt as above.
    std::optional<QByteArray> Content(const QUrl &url) const;

    // A reading is the engine's navigation to a data: URL holding the page's bytes; it stays in
    // the history as that URL. Remembered for the address it reads (the latest kMaxEntries,
    // more than the history holds), so that coming back to it counts as that address.
    void RememberReading(const QUrl &reading, const QUrl &address);
    // The address that reading reads; nullopt for any other URL.
    std::optional<QUrl> AddressOf(const QUrl &reading) const;

private:
    static constexpr int kMaxEntries = 256;
    QHash<QUrl, QString> m_charsets;
    QList<QUrl> m_order;                // oldest first
    QHash<QByteArray, QUrl> m_readings; // by the digest of the data: URL
    QList<QByteArray> m_readingOrder;   // oldest first
};

} // namespace engine
