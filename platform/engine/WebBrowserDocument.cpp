// TWebBrowser: the current document's snapshot and model, and reading a page again with the
// charset chosen for it.

#include "platform/engine/EnginePage.h"
#include "platform/engine/WebBrowser.h"

#include <QPointer>
#include <QWebEngineHistory>

#include <utility>

IDispatch *TWebBrowser::Document() const {
    if (!m_document && m_snapshot.readable)
        m_document = MakeComObject<engine::HtmlDocument>(engine::DocumentContext{
            std::make_shared<const engine::DocumentSnapshot>(m_snapshot), m_link, {}});
    return m_document.Get();
}

void TWebBrowser::RetakeSnapshot(std::function<void()> done) {
    const QPointer<TWebBrowser> self(this);
    const int serial = m_documentSerial;
    // Writes queued before run before the snapshot script (one world, in order).
    engine::TakeSnapshot(m_page,
                         [self, serial, done = std::move(done)](engine::DocumentSnapshot snapshot) {
                             if (!self || !self->m_page)
                                 return;
                             // A document that another one has replaced meanwhile does not become
                             // the current one.
                             if (self->m_documentSerial == serial)
                                 self->AcceptSnapshot(std::move(snapshot));
                             if (done)
                                 done();
                         });
}

void TWebBrowser::CompleteDocument() {
    // DocumentComplete follows the snapshot, which the engine answers asynchronously; by then
    // the next navigation may have begun, so the event names the document that completed.
    const QPointer<TWebBrowser> self(this);
    const QString url = m_documents.Current().address.toString(QUrl::FullyEncoded);
    const int serial = m_documentSerial;
    engine::TakeSnapshot(m_page, [self, url, serial](engine::DocumentSnapshot snapshot) {
        // Nothing is raised while the control is going away, nor for a document that another
        // one has replaced meanwhile.
        if (!self || !self->m_page || self->m_documentSerial != serial)
            return;
        // A page read with another charset than the one chosen for it is read once more, with
        // that charset as the content type; only that reading completes the document. Not when
        // the page came back from history (the reading would be a new entry, and going back
        // would never get past it), nor when the next navigation has begun.
        const QUrl address(url);
        const Navigation &shown = self->m_shown;
        if (!shown.reading && !shown.history && !self->m_navigation) {
            if (const std::optional<QByteArray> content =
                    self->m_charsets.RereadContent(address, snapshot.charset)) {
                self->ReadWithCharset(address, *content);
                return;
            }
        }
        self->m_shownCharset = shown.reading ? self->m_charsets.For(address) : QString();
        self->AcceptSnapshot(std::move(snapshot));
        self->MeetSnapshot(self->m_snapshot);
        if (!self || !self->OnDocumentComplete)
            return;
        // The frames complete first, while the page itself still reads as interactive.
        const LONG state = std::exchange(self->m_readyState, READYSTATE_INTERACTIVE);
        if (!CompleteFrames(self,
                            engine::DocumentContext{
                                std::make_shared<const engine::DocumentSnapshot>(self->m_snapshot),
                                self->m_link,
                                {}}))
            return;
        self->m_readyState = state;
        self->OnDocumentComplete(self, self->m_identity.Get(), url);
    });
}

bool TWebBrowser::CompleteFrames(const QPointer<TWebBrowser> &self,
                                 const engine::DocumentContext &context) {
    const QList<engine::DocumentSnapshot> &frames = context.snapshot->frames;
    for (int i = 0; i < frames.size(); ++i) {
        if (!frames[i].readable)
            continue; // another site's frame: nothing of it may be told
        const engine::DocumentContext frame = context.Frame(i);
        if (!CompleteFrames(self, frame))
            return false;
        const ComPtr<engine::HtmlWindow> window = MakeComObject<engine::HtmlWindow>(frame);
        self->OnDocumentComplete(self, window.Get(), frames[i].url);
        // A handler may have closed the control or started another page.
        if (!self || !self->OnDocumentComplete || !context.link->IsLive())
            return false;
    }
    return true;
}

void TWebBrowser::AcceptSnapshot(engine::DocumentSnapshot snapshot) {
    const bool sameDocument = m_link && m_link->IsLive() && snapshot.readable &&
                              snapshot.documentId == m_snapshot.documentId;
    if (!sameDocument) {
        if (m_link)
            m_link->Detach();
        m_link = std::make_shared<engine::DocumentLink>(m_page, m_page->url());
        // The link checks the page is there before it calls this.
        m_link->SetCharset = [this](const QUrl &url, const QString &charset) {
            m_charsets.Set(url, charset);
            return S_OK;
        };
        m_link->QueryCommands = [this](const GUID *group, ULONG count, OLECMD *commands) {
            return QueryDocumentCommands(group, count, commands);
        };
        m_link->ExecCommand = [this](const GUID *group, DWORD command, DWORD option, VARIANT *in,
                                     VARIANT *out) {
            return ExecDocumentCommand(group, command, option, in, out);
        };
    }
    m_snapshot = std::move(snapshot);
    m_document.Reset();
}

void TWebBrowser::ReadWithCharset(const QUrl &url, const QByteArray &content) {
    m_charsetRereadPending = true;
    m_page->setContent(content, u"text/html;charset="_qs + m_charsets.For(url), url);
}

bool TWebBrowser::TakeCharsetReread(const QUrl &url) {
    if (!m_charsetRereadPending || url.scheme() != u"data"_qs)
        return false;
    m_charsetRereadPending = false;
    // The reading is the page on screen: its address, zone and rules.
    const engine::TrackedDocument page = m_documents.Current();
    m_charsets.RememberReading(url, page.address);
    m_documents.SetPending(page);
    m_navigation = Navigation{.target = url,
                              .mark = engine::NewestEntry(*m_page->history()),
                              .reread = true,
                              .reading = true};
    UpdateRulesInForce();
    m_readyState = READYSTATE_LOADING;
    SetBusy(true);
    if (OnDownloadBegin)
        OnDownloadBegin(this);
    return true;
}

bool TWebBrowser::RefreshWithCharset() {
    // A page already read with its chosen charset is reloaded as it is, which keeps the history
    // as it was; otherwise the file is read again with the charset.
    const QUrl url = m_page->url();
    const QString charset = m_charsets.For(url);
    if (charset.isEmpty())
        return false;
    if (charset == m_shownCharset) {
        m_charsetRereadPending = true;
        m_page->triggerAction(QWebEnginePage::Reload);
        return true;
    }
    const std::optional<QByteArray> content = m_charsets.Content(url);
    if (!content)
        return false;
    ReadWithCharset(url, *content);
    return true;
}
