// TWebBrowser: top-level navigations and frames by the rules of the document that makes them,
// the commit that brings a new document on screen, and the end of a navigation that never does.

#include "platform/engine/BrowserIdentity.h"
#include "platform/engine/CookieFilter.h"
#include "platform/engine/DocumentSeal.h"
#include "platform/engine/EnginePage.h"
#include "platform/engine/SecurityChain.h"
#include "platform/engine/WebBrowser.h"
#include "platform/urlmon/UrlActions.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineSettings>

Q_DECLARE_LOGGING_CATEGORY(lcBrowser)

namespace {

// Frames that take their document from their page (about:blank, about:srcdoc, javascript:)
// have its origin, and so its zone.
bool IsPagesOwnFrame(const QUrl &url) {
    return url.scheme() == u"about"_qs || url.scheme() == u"javascript"_qs;
}

} // namespace

bool TWebBrowser::DecideNavigation(const QUrl &url, int type, bool isMainFrame) {
    CheckCommit();
    RaiseNavigateComplete();
    if (!isMainFrame)
        return DecideFrame(url);
    if (TakeCharsetReread(url))
        return true;
    return DecideTopLevel(url, type);
}

engine::DocumentRules TWebBrowser::DecideRules(const QUrl &url) const {
    return engine::DecideDocumentRules(
        url, m_ambient.downloadControl,
        [this](const QUrl &u, DWORD action) { return m_security->Decides(u, action); });
}

bool TWebBrowser::DecideTopLevel(const QUrl &url, int type) {
    // A server redirect arrives while its navigation is pending; any other redirect-type
    // navigation is the document on screen pulling the next page (meta refresh, a script).
    const bool redirect = type == QWebEnginePage::NavigationTypeRedirect;
    const bool serverRedirect = redirect && m_navigation;
    m_refusedUrl = url; // until it is accepted
    if (redirect && !serverRedirect) {
        if (const std::optional<DWORD> action =
                engine::CheckClientPull(m_documents.Current().address, m_ambient.downloadControl,
                                        [this](const QUrl &u, DWORD a) {
                                            return Meet({u, a});
                                        })) {
            ReportBlocked(url, *action);
            return false;
        }
    }
    // A reading with a chosen charset that comes back from history is its page's document.
    const std::optional<QUrl> readingOf = m_charsets.AddressOf(url);
    const QUrl address = readingOf.value_or(url);
    bool cancel = false;
    if (OnBeforeNavigate2)
        OnBeforeNavigate2(this, m_identity.Get(), address.toString(QUrl::FullyEncoded), 0,
                          QString(), QByteArray(), QString(), cancel);
    if (cancel)
        return false;
    m_refusedUrl.clear();
    if (!serverRedirect)
        BeginNavigation(redirect);
    const engine::DocumentRules rules = DecideRules(address);
    m_documents.SetPending({address, rules, SiteOf(address)});
    const engine::HistoryMark mark =
        serverRedirect ? m_navigation->mark : engine::NewestEntry(*m_page->history());
    m_navigation = Navigation{.target = url,
                              .mark = mark,
                              .reading = readingOf.has_value(),
                              .history = type == QWebEnginePage::NavigationTypeBackForward};
    SealCurrentDocument(rules);
    // Settings set while the navigation is accepted are in force when its document starts.
    ApplyPageSettings(rules);
    UpdateRulesInForce();
    m_readyState = READYSTATE_LOADING;
    SetBusy(true);
    if (!serverRedirect && OnDownloadBegin)
        OnDownloadBegin(this);
    return true;
}

void TWebBrowser::BeginNavigation(bool clientPull) {
    if (m_navigation) {
        m_navigation.reset(); // superseded before it committed
        m_documents.Abandon();
    }
    // The document asks for the next page once it has loaded, though the engine may not have
    // said so yet: it completes first. A page left by the user while loading does not.
    if (clientPull && !m_documentComplete)
        CompleteDocument();
    m_documentComplete = true;
    m_met.Clear();
}

bool TWebBrowser::DecideFrame(const QUrl &url) {
    const engine::TrackedDocument &page = m_documents.Current();
    const engine::DocumentRules rules = m_documents.InForce();
    const bool pageMeetsFrame = Meet({page.address, URLACTION_HTML_SUBFRAME_NAVIGATE});
    std::optional<DWORD> block;
    // Under a pending navigation's settings that allow scripts, a frame of a document that
    // refuses them would run its scripts.
    if (m_navigation && !page.rules.scripts && m_documents.Pending()->rules.scripts)
        block = URLACTION_SCRIPT_RUN;
    if (!block)
        block = engine::CheckSubframe(rules, IsPagesOwnFrame(url) ? rules : DecideRules(url));
    if (!block && !AdmitsLocalFile(url, engine::RequestKind::SubFrame))
        block = 0;
    if (!block && !pageMeetsFrame)
        block = URLACTION_HTML_SUBFRAME_NAVIGATE;
    if (block) {
        ReportBlocked(url, *block);
        return false;
    }
    bool cancel = false;
    const ComPtr<IDispatch> frame = engine::MakeBrowserIdentity();
    if (OnBeforeNavigate2)
        OnBeforeNavigate2(this, frame.Get(), url.toString(QUrl::FullyEncoded), 0, QString(),
                          QByteArray(), QString(), cancel);
    return !cancel;
}

void TWebBrowser::CheckCommit() {
    if (m_navigation &&
        engine::CommittedSince(m_navigation->mark, engine::NewestEntry(*m_page->history()),
                               m_navigation->target))
        Commit();
}

void TWebBrowser::Commit() {
    if (!m_navigation)
        return;
    m_documents.Commit();
    m_shown = *std::exchange(m_navigation, std::nullopt);
    ++m_documentSerial;
    m_documentComplete = false;
    m_sealDirectives.clear();
    ++m_sealSerial;
    UpdateRulesInForce();
    m_readyState = READYSTATE_INTERACTIVE;
    // A reading with the page's charset is the same page: no second NavigateComplete2.
    if (m_shown.reread)
        return;
    // Raised by the next event, or from the event loop: a commit may be noticed inside the
    // engine's request check, where the host must not be called back.
    m_navigateCompleteDue = true;
    QTimer::singleShot(0, this, [this] { RaiseNavigateComplete(); });
}

void TWebBrowser::RaiseNavigateComplete() {
    if (!std::exchange(m_navigateCompleteDue, false))
        return;
    if (OnNavigateComplete2)
        OnNavigateComplete2(this, m_identity.Get(),
                            m_documents.Current().address.toString(QUrl::FullyEncoded));
}

void TWebBrowser::OnLoadingChanged(const QWebEngineLoadingInfo &info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        SetBusy(true);
        // The engine loads some documents without asking (about:blank); they have nothing of
        // their own to run and come with the rules and the local site in force.
        const QUrl refused = std::exchange(m_refusedUrl, QUrl());
        if (!m_navigation && !engine::SameDocumentUrl(info.url(), refused)) {
            m_documents.SetPending(
                {info.url(), m_documents.Current().rules, m_documents.Current().site});
            m_navigation =
                Navigation{.target = info.url(), .mark = engine::NewestEntry(*m_page->history())};
            m_readyState = READYSTATE_LOADING;
        }
        return;
    }
    CheckCommit();
    // The engine reports one end for loads that ran into each other; success or an error page
    // means the last of them brought a document.
    if (m_navigation) {
        if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus || info.isErrorPage())
            Commit();
        else
            EndNavigation();
    }
    RaiseNavigateComplete();
    m_readyState = READYSTATE_COMPLETE;
    SetBusy(false);
    UpdateCommandState();
    if (OnDownloadComplete)
        OnDownloadComplete(this);
    if (!m_documentComplete) {
        m_documentComplete = true;
        CompleteDocument();
    }
}

void TWebBrowser::EndNavigation() {
    m_navigation.reset();
    m_documents.Abandon();
    ApplyPageSettings(m_documents.Current().rules);
    UpdateRulesInForce();
    // Nothing more comes of it: progress -1 without a maximum ends the busy display.
    if (OnProgressChange)
        OnProgressChange(this, -1, 0);
}

void TWebBrowser::NavigationBecameDownload(const QUrl &url) {
    if (m_navigation && engine::SameDocumentUrl(m_navigation->target, url))
        EndNavigation();
}

void TWebBrowser::ApplyPageSettings(const engine::DocumentRules &rules) {
    QWebEngineSettings *settings = m_page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, rules.scripts);
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, rules.images);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, rules.objects);
}

void TWebBrowser::UpdateRulesInForce() {
    m_cookies->Apply(m_documents.Current(), m_documents.Pending(),
                     m_navigation ? m_navigation->target : QUrl());
}

void TWebBrowser::SealCurrentDocument(const engine::DocumentRules &next) {
    QStringList missing;
    const QString policy = engine::SealPolicy(m_documents.Current().rules, next);
    for (const QString &directive : policy.split(u"; "_qs, Qt::SkipEmptyParts)) {
        if (!m_sealDirectives.contains(directive))
            missing << directive;
    }
    if (missing.isEmpty()) {
        m_documents.SetSealed();
        return;
    }
    m_sealDirectives << missing;
    // Sent before the new settings, which the engine applies once control returns to it. Until
    // the seal is in place, requests are judged by the stricter of both documents' rules.
    const QPointer<TWebBrowser> self(this);
    const int serial = ++m_sealSerial;
    m_page->runJavaScript(engine::SealScript(missing.join(u"; "_qs),
                                             !m_documents.Current().rules.scripts && next.scripts),
                          QWebEngineScript::ApplicationWorld, [self, serial](const QVariant &) {
                              if (self && self->m_sealSerial == serial)
                                  self->m_documents.SetSealed();
                          });
    qCInfo(lcBrowser, "sealed %s: %s", qPrintable(m_documents.Current().address.toDisplayString()),
           qPrintable(missing.join(u"; "_qs)));
}
