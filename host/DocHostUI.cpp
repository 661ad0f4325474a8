// TWebBrowserSecure as the engine's document host: IDocHostUIHandler and IDocHostShowUI. Every
// method answers at once and shows nothing itself; accelerators and page message boxes are
// offered to the window through OnAccelerator and OnShowMessage.

#include "host/WebBrowserSecure.h"

// --- IDocHostUIHandler -------------------------------------------------------------------------

HRESULT TWebBrowserSecure::ShowContextMenu(DWORD, POINT *, IUnknown *, IDispatch *) {
    return S_FALSE; // the engine's own context menu
}

HRESULT TWebBrowserSecure::GetHostInfo(DOCHOSTUIINFO *info) {
    if (info) {
        info->dwFlags = 0;
        info->dwDoubleClick = DOCHOSTUIDBLCLK_SHOWPROPERTIES;
    }
    return E_NOTIMPL; // the engine keeps its defaults
}

HRESULT TWebBrowserSecure::ShowUI(DWORD, IOleInPlaceActiveObject *, IOleCommandTarget *,
                                  IOleInPlaceFrame *, IOleInPlaceUIWindow *) {
    return S_FALSE; // the engine's own menus and tool bars
}

HRESULT TWebBrowserSecure::HideUI() {
    return S_OK;
}
HRESULT TWebBrowserSecure::UpdateUI() {
    return S_OK;
}
HRESULT TWebBrowserSecure::EnableModeless(BOOL) {
    return S_OK;
}
HRESULT TWebBrowserSecure::OnDocWindowActivate(BOOL) {
    return S_OK;
}
HRESULT TWebBrowserSecure::OnFrameWindowActivate(BOOL) {
    return S_OK;
}
HRESULT TWebBrowserSecure::ResizeBorder(const RECT *, IOleInPlaceUIWindow *, BOOL) {
    return S_OK;
}

HRESULT TWebBrowserSecure::TranslateAccelerator(MSG *message, const GUID *group, DWORD command) {
    if (!OnAccelerator || !message)
        return S_FALSE;
    bool done = false;
    OnAccelerator(this, *message, group ? *group : GUID_NULL, command, done);
    return done ? S_OK : S_FALSE;
}

HRESULT TWebBrowserSecure::GetOptionKeyPath(LPOLESTR *key, DWORD) {
    if (key)
        *key = nullptr; // the engine's standard settings
    return S_OK;
}

HRESULT TWebBrowserSecure::GetDropTarget(IDropTarget *, IDropTarget **replacement) {
    if (replacement)
        *replacement = nullptr;
    return S_OK;
}

HRESULT TWebBrowserSecure::GetExternal(IDispatch **external) {
    if (external)
        *external = nullptr; // no external object for scripts
    return S_FALSE;
}

HRESULT TWebBrowserSecure::TranslateUrl(DWORD, LPWSTR, LPWSTR *translated) {
    if (translated)
        *translated = nullptr;
    return S_FALSE;
}

HRESULT TWebBrowserSecure::FilterDataObject(IDataObject *, IDataObject **filtered) {
    if (filtered)
        *filtered = nullptr;
    return S_FALSE;
}

// --- IDocHostShowUI ----------------------------------------------------------------------------

HRESULT TWebBrowserSecure::ShowMessage(HWND window, LPOLESTR text, LPOLESTR caption, DWORD type,
                                       LPOLESTR helpFile, DWORD helpContext, LRESULT *result) {
    if (!OnShowMessage)
        return S_FALSE;
    // Without a result variable from the engine the handler writes into a local one.
    LRESULT local = 0;
    bool handled = false;
    OnShowMessage(this, window, text, caption, type, helpFile, helpContext,
                  result ? *result : local, handled);
    return handled ? S_OK : S_FALSE;
}

HRESULT TWebBrowserSecure::ShowHelp(HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch *) {
    return S_FALSE; // the engine's own help
}
