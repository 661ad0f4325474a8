#pragma once
// Ties the document model to the live page: writes run as isolated-world scripts on the
// document a model object describes, and only while that document is the page's current one.

#include "platform/com/Variant.h"
#include "platform/engine/DocHost.h"
#include "platform/engine/DocumentSnapshot.h"

#include <QJsonValue>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>

#include <functional>
#include <memory>

namespace engine {

// The control's page while one document is current. The control detaches it when that
// document is replaced; a page that has moved to another address counts as replaced too.
class DocumentLink final {
public:
    DocumentLink(QWebEnginePage *page, QUrl url);
    DocumentLink(const DocumentLink &) = delete;
    DocumentLink &operator=(const DocumentLink &) = delete;

    void Detach() { m_detached = true; }
    bool IsLive() const;
    QWebEnginePage *Page() const { return m_page; }

    // Remembers the charset for the document's address; the next load of it uses it. Installed
    // by the control; without it the charset cannot be set.
    std::function<HRESULT(const QUrl &url, const QString &charset)> SetCharset;
    // The control's command target, which the document answers as its own.
    std::function<HRESULT(const GUID *group, ULONG count, OLECMD *commands)> QueryCommands;
    std::function<HRESULT(const GUID *group, DWORD command, DWORD option, VARIANT *in,
                          VARIANT *out)>
        ExecCommand;

private:
    QPointer<QWebEnginePage> m_page;
    QUrl m_url;
    bool m_detached = false;
};

// What a model object needs to know about its document.
struct DocumentContext {
    std::shared_ptr<const DocumentSnapshot> snapshot; // never null
    std::shared_ptr<DocumentLink> link;               // null: a model without a page
    QList<int> framePath;                             // frame indexes from the top document

    // The link while the document is the page's current one; null otherwise.
    DocumentLink *LiveLink() const { return link && link->IsLive() ? link.get() : nullptr; }

    // The context of the readable frame at index of this document's frames.
    DocumentContext Frame(int index) const;

    // Queues statement on the live document: it runs with d (the document), e (the element at
    // elementIndex of the document's order, which must still have tagName; none for -1) and v
    // (value). S_OK once queued; E_ACCESSDENIED when the document is no longer the page's
    // current one or there is no page. Statements run in the order they were queued.
    HRESULT Write(int elementIndex, const QString &tagName, const char *statement,
                  const QJsonValue &value) const;
};

// A colour as a page takes it: an integer is 0xRRGGBB ("#rrggbb"), text is passed on, null or
// empty clears. nullopt for any other type.
std::optional<QJsonValue> ColorValue(const Variant &value);
// Text as a page takes it; null or empty clears. nullopt for a type that is not text.
std::optional<QJsonValue> TextValue(const Variant &value);

} // namespace engine
