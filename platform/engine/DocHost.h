#pragma once
// Interfaces through which the browser control talks to its host: the host asks for these on the
// client site it gives the control (TWebBrowser::SetClientSite), and the control calls them from
// within its own processing on the GUI thread.

#include "platform/com/Variant.h"
#include "platform/engine/EngineConstants.h"
#include "platform/urlmon/WideChar.h"

using WPARAM = ULONG_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;

struct POINT {
    LONG x = 0;
    LONG y = 0;
};
struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};
// A window message as the keyboard hook of the host sees it.
struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;

struct DOCHOSTUIINFO {
    ULONG cbSize = sizeof(DOCHOSTUIINFO);
    DWORD dwFlags = 0;
    DWORD dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    OLECHAR *pchHostCss = nullptr;
    OLECHAR *pchHostNS = nullptr;
};

struct OLECMD {
    ULONG cmdID = 0;
    DWORD cmdf = 0;
};
struct OLECMDTEXT {
    DWORD cmdtextf = 0;
    ULONG cwActual = 0;
    ULONG cwBuf = 0;
    WCHAR rgwz[1] = {};
};

// Interfaces only passed through here; the control never implements or calls them.
struct IOleInPlaceActiveObject;
struct IOleInPlaceFrame;
struct IOleInPlaceUIWindow;
struct IDropTarget;
struct IDataObject;

struct IOleCommandTarget : IUnknown {
    static constexpr IID iid{
        0xB722BCCB, 0x4E68, 0x101B, {0xA2, 0xBC, 0x00, 0xAA, 0x00, 0x40, 0x47, 0x70}};
    virtual HRESULT QueryStatus(const GUID *group, ULONG count, OLECMD *commands,
                                OLECMDTEXT *text) = 0;
    virtual HRESULT Exec(const GUID *group, DWORD command, DWORD option, VARIANT *in,
                         VARIANT *out) = 0;

protected:
    ~IOleCommandTarget() = default;
};

struct IDocHostUIHandler : IUnknown {
    static constexpr IID iid{
        0xBD3F23C0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};
    // S_OK: the host showed its menu; S_FALSE: the control shows its own.
    virtual HRESULT ShowContextMenu(DWORD id, POINT *point, IUnknown *commandTarget,
                                    IDispatch *object) = 0;
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO *info) = 0;
    virtual HRESULT ShowUI(DWORD id, IOleInPlaceActiveObject *activeObject,
                           IOleCommandTarget *commandTarget, IOleInPlaceFrame *frame,
                           IOleInPlaceUIWindow *document) = 0;
    virtual HRESULT HideUI() = 0;
    virtual HRESULT UpdateUI() = 0;
    virtual HRESULT EnableModeless(BOOL enable) = 0;
    virtual HRESULT OnDocWindowActivate(BOOL activate) = 0;
    virtual HRESULT OnFrameWindowActivate(BOOL activate) = 0;
    virtual HRESULT ResizeBorder(const RECT *border, IOleInPlaceUIWindow *window,
                                 BOOL frameWindow) = 0;
    // S_OK: the host handled the key; S_FALSE: the control handles it.
    virtual HRESULT TranslateAccelerator(MSG *message, const GUID *group, DWORD command) = 0;
    virtual HRESULT GetOptionKeyPath(LPOLESTR *key, DWORD reserved) = 0;
    virtual HRESULT GetDropTarget(IDropTarget *dropTarget, IDropTarget **replacement) = 0;
    virtual HRESULT GetExternal(IDispatch **external) = 0;
    virtual HRESULT TranslateUrl(DWORD translate, LPWSTR url, LPWSTR *translated) = 0;
    virtual HRESULT FilterDataObject(IDataObject *object, IDataObject **filtered) = 0;

protected:
    ~IDocHostUIHandler() = default;
};

struct IDocHostShowUI : IUnknown {
    static constexpr IID iid{
        0xC4D244B0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};
    // A page's message box (alert: MB_OK, confirm: MB_OKCANCEL, plus an icon bit). S_OK: the host
    // handled it and *result holds IDOK or IDCANCEL; S_FALSE: the control shows its own box.
    virtual HRESULT ShowMessage(HWND window, LPOLESTR text, LPOLESTR caption, DWORD type,
                                LPOLESTR helpFile, DWORD helpContext, LRESULT *result) = 0;
    virtual HRESULT ShowHelp(HWND window, LPOLESTR helpFile, UINT command, DWORD data, POINT mouse,
                             IDispatch *hit) = 0;

protected:
    ~IDocHostShowUI() = default;
};
