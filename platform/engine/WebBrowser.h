#pragma once
// TWebBrowser: the browser control. A widget over a Qt WebEngine page with the original control's
// methods, properties and events. It asks its host, through the client site, for the host UI
// interfaces, the ambient properties and the host's security manager, and enforces the security
// chain's answers before each document loads and on each request.

#include "platform/com/Dispatch.h"
#include "platform/engine/AmbientProperties.h"
#include "platform/engine/CharsetOverrides.h"
#include "platform/engine/ContentRules.h"
#include "platform/engine/DocHost.h"
#include "platform/engine/DocumentLink.h"
#include "platform/engine/DocumentSnapshot.h"
#include "platform/engine/DocumentTracker.h"
#include "platform/engine/HistoryMark.h"
#include "platform/engine/HtmlDocument.h"
#include "platform/engine/MetContent.h"

#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QMessageBox;
class QNetworkCookie;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;

namespace engine {
class CookieFilter;
class DocumentCommands;
class DownloadSaver;
class EnginePage;
class RequestInterceptor;
class SecurityChain;
} // namespace engine

class TWebBrowser : public QWidget {
    Q_OBJECT
public:
    explicit TWebBrowser(QWidget *parent = nullptr);
    ~TWebBrowser() override;
    TWebBrowser(const TWebBrowser &) = delete;
    TWebBrowser &operator=(const TWebBrowser &) = delete;

    // --- Host site ---------------------------------------------------------------------------
    // The object the control asks for IDocHostUIHandler, IDocHostShowUI, IDispatch (ambient
    // properties) and IServiceProvider (the host's security manager). Null detaches the host.
    void SetClientSite(IUnknown *site);
    // The host changed an ambient property: read it again (DISPID_UNKNOWN: all of them).
    HRESULT OnAmbientPropertyChange(DISPID dispid);
    const engine::AmbientProperties &Ambient() const { return m_ambient; }

    // --- Methods -----------------------------------------------------------------------------
    HRESULT Navigate(const QString &url);
    HRESULT Navigate2(const QString &url, DWORD flags = 0);
    HRESULT GoBack();
    HRESULT GoForward();
    HRESULT GoHome();
    HRESULT Refresh();
    HRESULT Refresh2(LONG level);
    HRESULT Stop();
    HRESULT ExecWB(DWORD command, DWORD option, VARIANT *in, VARIANT *out);
    HRESULT QueryStatusWB(DWORD command, DWORD *status);
    HRESULT ShowBrowserBar(const VARIANT &clsid, const VARIANT &show);
    // The document's command target, group CGID_IWebBrowser: 1 find, 2 view source,
    // 3 Internet options; without a group the standard commands of ExecWB.
    HRESULT ExecDocumentCommand(const GUID *group, DWORD command, DWORD option, VARIANT *in,
                                VARIANT *out);
    // Sets cmdf of each command (OLECMDF_* bits; 0 for one the target does not know). Without a
    // group the standard OLECMDID commands are meant, as for QueryStatusWB.
    HRESULT QueryDocumentCommands(const GUID *group, ULONG count, OLECMD *commands);
    // Print, page setup, save as, properties and the windows they open.
    engine::DocumentCommands &Commands();

    // --- Properties --------------------------------------------------------------------------
    QString LocationURL() const;
    QString LocationName() const;
    bool Busy() const { return m_busy; }
    LONG ReadyState() const { return m_readyState; }
    IDispatch *Application() const { return m_identity.Get(); }
    // The current document's model (IHTMLDocument2) over its snapshot; null before the first
    // document completes. The control keeps the reference.
    IDispatch *Document() const;
    bool Offline() const { return m_offline; }
    void SetOffline(bool offline);
    QString StatusText() const { return m_statusText; }
    bool ToolBar() const { return m_toolBar; }
    void SetToolBar(bool visible);
    bool StatusBar() const { return m_statusBar; }
    void SetStatusBar(bool visible);
    bool MenuBar() const { return m_menuBar; }
    void SetMenuBar(bool visible);
    LONG Left() const { return x(); }
    LONG Top() const { return y(); }
    LONG Width() const { return width(); }
    LONG Height() const { return height(); }
    void SetBounds(LONG left, LONG top, LONG width, LONG height);
    // The current document and its frames as they were at its DocumentComplete.
    const engine::DocumentSnapshot &Snapshot() const { return m_snapshot; }
    // Takes the current document's snapshot again (e.g. after writes through the model); done
    // runs once it has arrived, and Document() then answers the new one, unless another document
    // has come on screen meanwhile (that one's snapshot stays). No event is raised.
    void RetakeSnapshot(std::function<void()> done);
    // The rules in force for the document on screen.
    const engine::DocumentRules &Rules() const { return m_documents.Current().rules; }
    // Where allowed downloads are saved (DownloadSaver.h); by default the user's download
    // directory.
    QString DownloadDirectory() const;
    void SetDownloadDirectory(const QString &directory);

    // --- Events (single-cast; pDisp is Application() for the top-level browser) --------------
    std::function<void(TWebBrowser *sender, IDispatch *pDisp, const QString &url, LONG flags,
                       const QString &targetFrameName, const QByteArray &postData,
                       const QString &headers, bool &cancel)>
        OnBeforeNavigate2;
    std::function<void(TWebBrowser *sender, IDispatch *pDisp, const QString &url)>
        OnNavigateComplete2;
    std::function<void(TWebBrowser *sender, IDispatch *pDisp, const QString &url)>
        OnDocumentComplete;
    std::function<void(TWebBrowser *sender)> OnDownloadBegin;
    std::function<void(TWebBrowser *sender)> OnDownloadComplete;
    std::function<void(TWebBrowser *sender, const QString &text)> OnTitleChange;
    std::function<void(TWebBrowser *sender, LONG progress, LONG progressMax)> OnProgressChange;
    std::function<void(TWebBrowser *sender, const QString &text)> OnStatusTextChange;
    std::function<void(TWebBrowser *sender, LONG command, bool enable)> OnCommandStateChange;
    // The requested URL and geometry; the handler may cancel, or hand back the browser that is
    // to show the page instead.
    std::function<void(TWebBrowser *sender, const QString &url, const QRect &geometry,
                       TWebBrowser *&target, bool &cancel)>
        OnNewWindow2;
    std::function<void(TWebBrowser *sender, const QString &property)> OnPropertyChange;
    std::function<void(TWebBrowser *sender, bool visible)> OnToolBar;
    std::function<void(TWebBrowser *sender, bool visible)> OnStatusBar;
    std::function<void(TWebBrowser *sender, bool visible)> OnMenuBar;
    std::function<void(TWebBrowser *sender, bool activeDocument, bool &cancel)> OnFileDownload;
    // An allowed download is about to be saved at path, a new file in the download directory;
    // the host may give another absolute path or cancel. Not raised with DLCTL_SILENT.
    std::function<void(TWebBrowser *sender, QString &path, bool &cancel)> OnDownloadPath;
    // An allowed download ended: saved at path, or failed or cancelled (nothing left there).
    std::function<void(TWebBrowser *sender, const QString &url, const QString &path, bool saved)>
        OnDownloadFinished;
    // A frame or request the security rules stopped: its URL and the URL action that refused it
    // (0 when the download-control flags, the offline state or the local-file rule did).
    std::function<void(TWebBrowser *sender, const QString &url, DWORD action)> OnContentBlocked;

protected:
    engine::EnginePage *Page() const { return m_page; }

private:
    void ConnectPage();
    void ConnectDownloads();

    // --- Navigation (WebBrowserNavigation.cpp) -----------------------------------------------
    // The document on screen keeps its own rules until the next one commits; a navigation's
    // rules are decided when it is accepted and its page settings set then, to be in force
    // when its document starts.
    bool DecideNavigation(const QUrl &url, int type, bool isMainFrame);
    bool DecideTopLevel(const QUrl &url, int type);
    bool DecideFrame(const QUrl &url);
    engine::DocumentRules DecideRules(const QUrl &url) const;
    // A new navigation (not a redirect) replaces one still pending; the document on screen
    // that pulls it completes first when its load ran into this navigation.
    void BeginNavigation(bool clientPull);
    // Asks the engine's history whether the pending navigation has committed, and takes the
    // new document on when it has. Qt's own signals tell of a commit later, or not at all.
    void CheckCommit();
    void Commit();
    void RaiseNavigateComplete();
    void OnLoadingChanged(const QWebEngineLoadingInfo &info);
    // The pending navigation ended without a document (no content, a download, stopped,
    // cancelled): the document on screen and its rules stay, and the busy display ends.
    void EndNavigation();
    // A download that the pending navigation turned into.
    void NavigationBecameDownload(const QUrl &url);
    void ApplyPageSettings(const engine::DocumentRules &rules);
    void UpdateRulesInForce();
    // Seals the document on screen against what next allows beyond its own rules, once per
    // kind of content; the pending rules judge requests once the seal is in place.
    void SealCurrentDocument(const engine::DocumentRules &next);

    // --- Content met (WebBrowserMet.cpp) -------------------------------------------------------
    std::optional<engine::Block> DecideRequest(const engine::Request &request);
    // The local files a document at url may load (LocalSite.h).
    engine::LocalSite SiteOf(const QUrl &url) const;
    // False for a local file that the sites in force do not admit for a request of kind.
    bool AdmitsLocalFile(const QUrl &url, engine::RequestKind kind) const;
    // The host hears of content met, once per document and action; false when it refuses.
    bool Meet(const engine::MetAction &met);
    void MeetSnapshot(const engine::DocumentSnapshot &snapshot);
    void MeetCookie(const QNetworkCookie &cookie);

    // NewWindow2, then the page in the browser the host handed back; E_FAIL without one.
    HRESULT OpenNewWindow(const QUrl &url, const QRect &geometry);
    bool IsOffline() const;
    void ReportBlocked(const QUrl &url, DWORD action);
    void CompleteDocument();
    // Makes the snapshot the current one; a new document detaches the old document's model.
    void AcceptSnapshot(engine::DocumentSnapshot snapshot);
    // DocumentComplete for each readable frame of the context, inner frames first, with the
    // frame's window as pDisp; false once the control is gone or shows another document.
    static bool CompleteFrames(const QPointer<TWebBrowser> &self,
                               const engine::DocumentContext &context);
    // A page with a chosen charset is read again with it: the engine's navigation to the
    // handed-over content is let through without events, under the page's own rules (true) ...
    bool TakeCharsetReread(const QUrl &url);
    // ... and a refresh of such a page reads it with that charset (true).
    bool RefreshWithCharset();
    // Hands the engine the page's bytes with its chosen charset as their content type.
    void ReadWithCharset(const QUrl &url, const QByteArray &content);
    void ShowAlert(const QString &text);
    std::optional<bool> AskHost(const QString &text, DWORD type);
    void SetBusy(bool busy);
    void UpdateCommandState();
    bool HasDocument() const;

    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<engine::SecurityChain> m_security;
    std::unique_ptr<engine::RequestInterceptor> m_interceptor;
    std::unique_ptr<engine::CookieFilter> m_cookies;
    std::unique_ptr<engine::DownloadSaver> m_downloads;
    engine::EnginePage *m_page = nullptr; // owned by this widget
    QWebEngineView *m_view = nullptr;     // child widget
    QPointer<QMessageBox> m_alertBox;
    engine::DocumentCommands *m_commands = nullptr; // child object, made on first use

    ComPtr<IUnknown> m_site;
    ComPtr<IDocHostUIHandler> m_uiHandler;
    ComPtr<IDocHostShowUI> m_showUI;
    ComPtr<IDispatch> m_ambientDispatch;
    ComPtr<IDispatch> m_identity;
    engine::AmbientProperties m_ambient;

    // A top-level navigation of the control's page.
    struct Navigation {
        QUrl target;              // what the engine loads (data: for a charset reading)
        engine::HistoryMark mark; // the history when it was accepted
        bool reread = false;      // the page on screen read again with its charset: no events
        bool reading = false;     // a reading with a chosen charset, also from history
        bool history = false;     // back or forward
    };
    engine::DocumentTracker m_documents;    // whose rules are in force
    std::optional<Navigation> m_navigation; // accepted, not yet committed
    QUrl m_refusedUrl;                      // the last top-level navigation refused
    Navigation m_shown;                     // the one that brought the document on screen
    int m_documentSerial = 0;               // counts the documents that came on screen
    bool m_documentComplete = true;         // its DocumentComplete is raised or under way
    bool m_navigateCompleteDue = false;     // committed; NavigateComplete2 is next
    QStringList m_sealDirectives;           // the policy the document on screen was sealed with
    int m_sealSerial = 0;                   // names the latest seal sent
    engine::MetLog m_met;
    engine::DocumentSnapshot m_snapshot;
    mutable ComPtr<engine::HtmlDocument> m_document; // over m_snapshot, made on first use
    std::shared_ptr<engine::DocumentLink> m_link;    // the current document's page handle
    engine::CharsetOverrides m_charsets;
    bool m_charsetRereadPending = false; // the content was handed over, its navigation is next
    QString m_shownCharset;              // the chosen charset the current document was read with
    bool m_busy = false;
    LONG m_readyState = READYSTATE_UNINITIALIZED;
    bool m_offline = false;
    bool m_toolBar = true;
    bool m_statusBar = true;
    bool m_menuBar = true;
    bool m_canGoBack = false;
    bool m_canGoForward = false;
    QString m_statusText;
    QString m_engineUserAgent;
};
