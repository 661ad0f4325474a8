#pragma once
// TWebBrowserSecure: the program's browser control. It is the engine control's own client site:
// it answers the host UI interfaces, supplies the ambient properties (user agent, download-control
// flags, offline-if-not-connected) and, through IServiceProvider, acts as the engine's custom
// security manager, turning zone mapping, security identifiers and URL actions into events. What
// no handler claims goes back to the platform's default security manager.
//
// The engine's reference counts never own this object: the window that creates it does.

#include "platform/com/Dispatch.h"
#include "platform/com/ServiceProvider.h"
#include "platform/engine/DocHost.h"
#include "platform/engine/WebBrowser.h"
#include "platform/urlmon/SecurityManager.h"

#include <QString>

#include <functional>
#include <optional>

class TWebBrowserSecure;

using TProcessUrlActionEvent = std::function<HRESULT(
    TWebBrowserSecure *Sender, const QString &Url, DWORD Action, BYTE *pPolicy, DWORD cbPolicy,
    BYTE *pContext, DWORD cbContext, DWORD dwFlags, DWORD dwReserved, bool &handled)>;
using TGetSecurityIdEvent =
    std::function<HRESULT(TWebBrowserSecure *Sender, LPCWSTR pwszUrl, BYTE *pbSecurityId,
                          DWORD &cbSecurityId, DWORD_PTR dwReserved, bool &handled)>;
using TMapUrlToZoneEvent = std::function<HRESULT(TWebBrowserSecure *Sender, LPCWSTR pwszUrl,
                                                 DWORD &dwZone, DWORD dwFlags, bool &handled)>;
using TTransletorAcceleratorEvent =
    std::function<void(TWebBrowserSecure *Sender, const MSG &lpMsg, const GUID &pguidCmdGroup,
                       DWORD nCmdID, bool &Done)>;
using TWebBrowserFileDownload = std::function<void(
    TWebBrowserSecure *Sender, VARIANT_BOOL &ActiveDocument, VARIANT_BOOL &Cancel)>;
using TShowMessageEvent = std::function<void(
    TWebBrowserSecure *Sender, HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType,
    LPOLESTR lpstrHelpFile, DWORD dwHelpContext, LRESULT &plResult, bool &handled)>;

// Download-control flags as a set, in DLCTL_* bit order. Kept for the published property
// DownloadControl; the flag word that takes effect is DownLoadControl2.
enum class TDlControl {
    dlcImages,
    dlcVideos,
    dlcBgsounds,
    dlcNo_scripts,
    dlcNo_java,
    dlcNo_runactivexctls,
    dlcNo_dlactivexctls,
    dlcDownloadonly,
    dlcNo_framedownload,
    dlcResynchronize,
    dlcPragma_no_cache,
    dlcNo_behaviors,
    dlcNo_metacharset,
    dlcUrl_encoding_disable_utf8,
    dlcUrl_encoding_enable_utf8,
    dlcForceoffline,
    dlcNo_clientpull,
    dlcSilent,
    dlcOfflineifnotconnected,
    dlcOffline
};
using TDlControlEnum = DWORD; // one bit per TDlControl value

class TWebBrowserSecure final : public TWebBrowser,
                                public IDocHostShowUI,
                                public IDocHostUIHandler,
                                public IDispatch,
                                public IInternetSecurityManager,
                                public IServiceProvider {
    Q_OBJECT
public:
    explicit TWebBrowserSecure(QWidget *parent = nullptr);
    ~TWebBrowserSecure() override;

    // --- Events and fields, in their published order ------------------------------------------
    TProcessUrlActionEvent OnProcessUrlAction;
    TGetSecurityIdEvent OnGetSecurityId;
    TMapUrlToZoneEvent OnMapUrlToZone;
    // Hides the engine control's own FileDownload event, which this control binds to.
    TWebBrowserFileDownload OnFileDownload;
    TShowMessageEvent OnShowMessage;
    TTransletorAcceleratorEvent OnAccelerator;

    // --- Properties ---------------------------------------------------------------------------
    const QString &UserAgent() const { return FUserAgent; }
    // Notifies the engine only when text differs (case-sensitive) from the current agent.
    void SetUserAgent(const QString &text);
    // The accessors of the flag set do nothing; DownLoadControl2 is what takes effect.
    TDlControlEnum DownloadControl() const { return 0; }
    void SetDownloadControl(TDlControlEnum) {}
    DWORD DownLoadControl2() const { return FDownLoadControl2; }
    // Notifies the engine only when flags differ from the current word.
    void SetDownLoadControl2(DWORD flags);
    // The engine's version, major in the upper 16 bits and minor in the lower; 0 when the
    // engine's registered server has no readable version (asked again on the next call).
    DWORD GetIEVersion();
    DWORD IEVersion() { return GetIEVersion(); }

    // Focus to the control and, unless it already holds it, to the page inside.
    void SetFocus();

    // --- IUnknown: own table first; counting does not own the object --------------------------
    HRESULT QueryInterface(REFIID riid, void **object) override;
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }

    // --- IDocHostUIHandler --------------------------------------------------------------------
    HRESULT ShowContextMenu(DWORD id, POINT *point, IUnknown *commandTarget,
                            IDispatch *object) override;
    HRESULT GetHostInfo(DOCHOSTUIINFO *info) override;
    HRESULT ShowUI(DWORD id, IOleInPlaceActiveObject *activeObject,
                   IOleCommandTarget *commandTarget, IOleInPlaceFrame *frame,
                   IOleInPlaceUIWindow *document) override;
    HRESULT HideUI() override;
    HRESULT UpdateUI() override;
    HRESULT EnableModeless(BOOL enable) override;
    HRESULT OnDocWindowActivate(BOOL activate) override;
    HRESULT OnFrameWindowActivate(BOOL activate) override;
    HRESULT ResizeBorder(const RECT *border, IOleInPlaceUIWindow *window,
                         BOOL frameWindow) override;
    HRESULT TranslateAccelerator(MSG *message, const GUID *group, DWORD command) override;
    HRESULT GetOptionKeyPath(LPOLESTR *key, DWORD reserved) override;
    HRESULT GetDropTarget(IDropTarget *dropTarget, IDropTarget **replacement) override;
    HRESULT GetExternal(IDispatch **external) override;
    HRESULT TranslateUrl(DWORD translate, LPWSTR url, LPWSTR *translated) override;
    HRESULT FilterDataObject(IDataObject *object, IDataObject **filtered) override;

    // --- IDocHostShowUI -----------------------------------------------------------------------
    HRESULT ShowMessage(HWND window, LPOLESTR text, LPOLESTR caption, DWORD type, LPOLESTR helpFile,
                        DWORD helpContext, LRESULT *result) override;
    HRESULT ShowHelp(HWND window, LPOLESTR helpFile, UINT command, DWORD data, POINT mouse,
                     IDispatch *hit) override;

    // --- IDispatch: the ambient properties ----------------------------------------------------
    HRESULT GetTypeInfoCount(UINT *count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) override;
    HRESULT GetIDsOfNames(REFIID riid, const LPCSTR *names, UINT count, LCID lcid,
                          DISPID *ids) override;
    HRESULT Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS *params,
                   Variant *result, EXCEPINFO *excepInfo, UINT *argErr) override;

    // --- IServiceProvider and IInternetSecurityManager ----------------------------------------
    HRESULT QueryService(REFGUID service, REFIID riid, void **object) override;
    HRESULT SetSecuritySite(IInternetSecurityMgrSite *site) override;
    HRESULT GetSecuritySite(IInternetSecurityMgrSite **site) override;
    HRESULT MapUrlToZone(LPCWSTR url, DWORD *zone, DWORD flags) override;
    HRESULT GetSecurityId(LPCWSTR url, BYTE *securityId, DWORD *size, DWORD_PTR reserved) override;
    HRESULT ProcessUrlAction(LPCWSTR url, DWORD action, BYTE *policy, DWORD policySize,
                             BYTE *context, DWORD contextSize, DWORD flags,
                             DWORD reserved) override;
    HRESULT QueryCustomPolicy(LPCWSTR url, REFGUID key, BYTE **policy, DWORD *policySize,
                              BYTE *context, DWORD contextSize, DWORD reserved) override;
    HRESULT SetZoneMapping(DWORD zone, LPCWSTR pattern, DWORD flags) override;
    HRESULT GetZoneMappings(DWORD zone, IEnumString **mappings, DWORD flags) override;

private:
    // The ambient value of member, or nullopt when this control has none.
    std::optional<Variant> AmbientProperty(DISPID member);
    void BindFileDownload();

    DWORD FDownLoadControl2 = 0;
    DWORD FIEVersion = 0;
    QString FUserAgent;
};
