// TWebBrowser: each request judged by the rules of its document and the local files of its site,
// and the content a page meets told to the host's security manager.

#include "platform/engine/CookieFilter.h"
#include "platform/engine/SecurityChain.h"
#include "platform/engine/WebBrowser.h"

#include <QNetworkCookie>

std::optional<engine::Block> TWebBrowser::DecideRequest(const engine::Request &request) {
    // The engine asks about the new document's first requests before Qt tells of its commit.
    CheckCommit();
    const std::optional<engine::TrackedDocument> &pending = m_documents.Pending();
    // The navigation's own request belongs to the document it brings; the engine does not say
    // which document any other request comes from.
    const bool own = request.kind == engine::RequestKind::MainFrame && pending;
    const QUrl document = own ? pending->address : m_documents.Current().address;
    const engine::DocumentRules rules = own ? pending->rules : m_documents.InForce();
    // The offline state is read fresh, and only for requests that would leave the machine.
    const bool offline = engine::IsNetworkUrl(request.url) && IsOffline();
    std::optional<engine::Block> block = engine::CheckRequest(request, rules, offline);
    if (!block && request.kind != engine::RequestKind::MainFrame &&
        !AdmitsLocalFile(request.url, request.kind))
        block = engine::Block{};
    for (const QNetworkCookie &cookie : m_cookies->CookiesFor(request.url))
        Meet({document,
              engine::CookieAction(rules.host, cookie.domain(), cookie.isSessionCookie())});
    if (const std::optional<DWORD> action = engine::MetActionOf(request.kind, request.url)) {
        if (!Meet({document, *action}) && !block)
            block = engine::Block{*action};
    }
    return block;
}

engine::LocalSite TWebBrowser::SiteOf(const QUrl &url) const {
    return engine::IsLocalFile(url) ? engine::LocalSiteOf(url, m_security->SecurityId(url))
                                    : engine::LocalSite{};
}

bool TWebBrowser::AdmitsLocalFile(const QUrl &url, engine::RequestKind kind) const {
    return !engine::IsLocalFile(url) ||
           m_documents.AdmitsLocalFile({url, m_security->SecurityId(url)}, kind);
}

bool TWebBrowser::Meet(const engine::MetAction &met) {
    if (const std::optional<bool> answer = m_met.Answer(met))
        return *answer;
    const bool allowed = m_security->Allows(met.document, met.action);
    m_met.Remember(met, allowed);
    return allowed;
}

void TWebBrowser::MeetSnapshot(const engine::DocumentSnapshot &snapshot) {
    for (const engine::MetAction &met : engine::MetActionsOf(snapshot))
        Meet(met);
}

void TWebBrowser::MeetCookie(const QNetworkCookie &cookie) {
    const engine::TrackedDocument &owner = m_cookies->OwnerOf(cookie.domain());
    Meet({owner.address,
          engine::CookieAction(owner.rules.host, cookie.domain(), cookie.isSessionCookie())});
}
