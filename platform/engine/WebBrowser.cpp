#include "platform/engine/WebBrowser.h"

#include "platform/com/ServiceProvider.h"
#include "platform/engine/BrowserIdentity.h"
#include "platform/engine/CookieFilter.h"
#include "platform/engine/DownloadSaver.h"
#include "platform/engine/EnginePage.h"
#include "platform/engine/EngineRegistration.h"
#include "platform/engine/HomePage.h"
#include "platform/engine/HostInput.h"
#include "platform/engine/RequestInterceptor.h"
#include "platform/engine/SecurityChain.h"
#include "platform/engine/WebRtcRemoval.h"
#include "platform/wininet/WinInet.h"

#include <QCoreApplication>
#include <QLocale>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QNetworkCookie>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

Q_LOGGING_CATEGORY(lcBrowser, "quillmere.engine.browser")

namespace {

// Chromium refuses longer URLs.
constexpr qsizetype kMaxUrlLength = 2 * 1024 * 1024;

template <typename I> ComPtr<I> QueryFrom(IUnknown *site) {
    ComPtr<I> out;
    if (site)
        site->QueryInterface(I::iid, reinterpret_cast<void **>(out.ReleaseAndGetAddressOf()));
    return out;
}

} // namespace

TWebBrowser::TWebBrowser(QWidget *parent)
    : QWidget(parent), m_profile(std::make_unique<QWebEngineProfile>()),
      m_security(std::make_unique<engine::SecurityChain>()),
      m_interceptor(std::make_unique<engine::RequestInterceptor>()),
      m_cookies(std::make_unique<engine::CookieFilter>(m_profile->cookieStore())),
      m_downloads(std::make_unique<engine::DownloadSaver>()),
      m_identity(engine::MakeBrowserIdentity()) {
    engine::RegisterEngineClass(QCoreApplication::applicationFilePath().toStdString());
    m_engineUserAgent = m_profile->httpUserAgent();
    m_profile->setHttpAcceptLanguage(QLocale().bcp47Name()); // the program's language
    engine::RemoveWebRtc(m_profile.get());
    m_page = new engine::EnginePage(m_profile.get(), this);
    m_view = new QWebEngineView(this);
    m_view->setPage(m_page);
    setFocusProxy(m_view); // focus given to the control goes into the page
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    new engine::HostInput(m_view, [this] { return m_uiHandler.Get(); }); // owned by the view

    // Zones decide what a local page may load from the network, not the engine's blanket rule
    // for file pages (it lifts no cross-origin rule: a local page still reads no remote answer).
    m_page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    // Without it the engine refuses every local sub-resource of a local page (its own pictures
    // too) and makes each file an origin of its own, which the control's isolated-world reading
    // of frames obeys as well. With it every file is of one origin: what a local page may load
    // of the user's files is judged per request by its site (LocalSite.h).
    m_page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    m_page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // On the profile, the control's own: it sees the requests of workers too, which have no page.
    m_profile->setUrlRequestInterceptor(m_interceptor.get());
    m_interceptor->Decide = [this](const engine::Request &request) {
        return DecideRequest(request);
    };
    m_interceptor->OnBlocked = [this](const engine::Request &request, engine::Block block) {
        ReportBlocked(request.url, block.action);
    };
    m_cookies->OnStored = [this](const QNetworkCookie &cookie) { MeetCookie(cookie); };
    ApplyPageSettings(Rules());
    UpdateRulesInForce();
    ConnectPage();
}

TWebBrowser::~TWebBrowser() {
    // The page must go before its profile, the cookie filter with the profile still there.
    delete m_view;
    delete std::exchange(m_page, nullptr);
    m_cookies.reset();
}

// --- Host site -------------------------------------------------------------------------------

void TWebBrowser::SetClientSite(IUnknown *site) {
    m_site = site;
    m_uiHandler = QueryFrom<IDocHostUIHandler>(site);
    m_showUI = QueryFrom<IDocHostShowUI>(site);
    m_ambientDispatch = QueryFrom<IDispatch>(site);
    m_security->SetHostServices(QueryFrom<IServiceProvider>(site));
    // A host that answers with its flags decides the scroll bars; E_NOTIMPL keeps the defaults.
    DOCHOSTUIINFO info;
    const bool hostInfo = m_uiHandler && m_uiHandler->GetHostInfo(&info) == S_OK;
    m_page->settings()->setAttribute(QWebEngineSettings::ShowScrollBars,
                                     !(hostInfo && (info.dwFlags & DOCHOSTUIFLAG_SCROLL_NO)));
    OnAmbientPropertyChange(DISPID_UNKNOWN);
}

HRESULT TWebBrowser::OnAmbientPropertyChange(DISPID dispid) {
    if (dispid == DISPID_UNKNOWN)
        m_ambient = engine::ReadAmbientProperties(m_ambientDispatch.Get());
    else
        engine::ReadAmbientProperty(m_ambientDispatch.Get(), dispid, m_ambient);
    if (dispid == DISPID_UNKNOWN || dispid == DISPID_AMBIENT_USERAGENT) {
        m_profile->setHttpUserAgent(m_ambient.userAgent.isEmpty() ? m_engineUserAgent
                                                                  : m_ambient.userAgent);
    }
    // A new download-control word applies from the next document on.
    return S_OK;
}

bool TWebBrowser::IsOffline() const {
    return m_offline || (m_ambient.downloadControl & DLCTL_FORCEOFFLINE) ||
           platform::IsGlobalOffline();
}

void TWebBrowser::ReportBlocked(const QUrl &url, DWORD action) {
    qCInfo(lcBrowser, "blocked %s (URL action 0x%X)", qPrintable(url.toDisplayString()),
           static_cast<unsigned>(action));
    if (OnContentBlocked)
        OnContentBlocked(this, url.toString(QUrl::FullyEncoded), action);
}

// --- Methods ---------------------------------------------------------------------------------

HRESULT TWebBrowser::Navigate(const QString &url) {
    return Navigate2(url, 0);
}

HRESULT TWebBrowser::Navigate2(const QString &url, DWORD flags) {
    if (url.trimmed().isEmpty() || url.size() > kMaxUrlLength)
        return E_INVALIDARG;
    const QUrl target = QUrl::fromUserInput(url);
    if (!target.isValid())
        return E_INVALIDARG;
    if (flags & navOpenInNewWindow)
        return OpenNewWindow(target, QRect());
    m_page->load(target);
    return S_OK;
}

HRESULT TWebBrowser::OpenNewWindow(const QUrl &url, const QRect &geometry) {
    TWebBrowser *target = nullptr;
    bool cancel = false;
    if (OnNewWindow2)
        OnNewWindow2(this, url.toString(QUrl::FullyEncoded), geometry, target, cancel);
    if (cancel)
        return S_OK;
    if (!target || target == this) {
        qCWarning(lcBrowser, "a new window without a host browser is not opened: %s",
                  qPrintable(url.toDisplayString()));
        return E_FAIL;
    }
    return target->Navigate2(url.toString(QUrl::FullyEncoded));
}

HRESULT TWebBrowser::GoBack() {
    if (!m_page->history()->canGoBack())
        return E_FAIL;
    m_page->triggerAction(QWebEnginePage::Back);
    return S_OK;
}

HRESULT TWebBrowser::GoForward() {
    if (!m_page->history()->canGoForward())
        return E_FAIL;
    m_page->triggerAction(QWebEnginePage::Forward);
    return S_OK;
}

HRESULT TWebBrowser::GoHome() {
    return Navigate2(engine::HomePage());
}

HRESULT TWebBrowser::Refresh() {
    return Refresh2(REFRESH_NORMAL);
}

HRESULT TWebBrowser::Refresh2(LONG level) {
    if (level != REFRESH_NORMAL && level != REFRESH_IFEXPIRED && level != REFRESH_COMPLETELY)
        return E_INVALIDARG;
    if (RefreshWithCharset())
        return S_OK;
    m_page->triggerAction(level == REFRESH_COMPLETELY ? QWebEnginePage::ReloadAndBypassCache
                                                      : QWebEnginePage::Reload);
    return S_OK;
}

HRESULT TWebBrowser::Stop() {
    m_page->triggerAction(QWebEnginePage::Stop);
    return S_OK;
}

HRESULT TWebBrowser::ShowBrowserBar(const VARIANT &, const VARIANT &) {
    qCWarning(lcBrowser, "ShowBrowserBar is not implemented");
    return E_NOTIMPL;
}

// --- Properties ------------------------------------------------------------------------------

QString TWebBrowser::LocationURL() const {
    return m_page->url().toString(QUrl::FullyEncoded);
}

QString TWebBrowser::LocationName() const {
    const QString title = m_page->title();
    return title.isEmpty() ? LocationURL() : title;
}

void TWebBrowser::SetOffline(bool offline) {
    if (m_offline == offline)
        return;
    m_offline = offline;
    if (OnPropertyChange)
        OnPropertyChange(this, u"Offline"_qs);
}

void TWebBrowser::SetToolBar(bool visible) {
    m_toolBar = visible;
    if (OnToolBar)
        OnToolBar(this, visible);
}

void TWebBrowser::SetStatusBar(bool visible) {
    m_statusBar = visible;
    if (OnStatusBar)
        OnStatusBar(this, visible);
}

void TWebBrowser::SetMenuBar(bool visible) {
    m_menuBar = visible;
    if (OnMenuBar)
        OnMenuBar(this, visible);
}

void TWebBrowser::SetBounds(LONG left, LONG top, LONG width, LONG height) {
    setGeometry(left, top, qMax<LONG>(0, width), qMax<LONG>(0, height));
}
