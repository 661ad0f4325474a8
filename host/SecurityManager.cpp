// TWebBrowserSecure as the engine's custom security manager. The three calls that matter become
// events; a handler's result counts only when it claims the call, and everything unclaimed is
// left to the platform's default manager (INET_E_DEFAULT_ACTION). URL actions reach the event
// only for content the engine met; its decisions before a document loads do not.

#include "host/WebBrowserSecure.h"

HRESULT TWebBrowserSecure::QueryService(REFGUID service, REFIID riid, void **object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (service == IInternetSecurityManager::iid && riid == IInternetSecurityManager::iid)
        return QueryInterface(riid, object);
    return E_NOINTERFACE;
}

HRESULT TWebBrowserSecure::SetSecuritySite(IInternetSecurityMgrSite *) {
    return INET_E_DEFAULT_ACTION; // the site is not kept
}

HRESULT TWebBrowserSecure::GetSecuritySite(IInternetSecurityMgrSite **site) {
    if (site)
        *site = nullptr;
    return INET_E_DEFAULT_ACTION;
}

HRESULT TWebBrowserSecure::MapUrlToZone(LPCWSTR url, DWORD *zone, DWORD flags) {
    // Without a zone variable the default manager gives its own answer to the bad call.
    if (!OnMapUrlToZone || !zone)
        return INET_E_DEFAULT_ACTION;
    bool handled = false;
    // A zone the handler writes stays in the engine's variable even when it does not claim.
    const HRESULT hr = OnMapUrlToZone(this, url, *zone, flags, handled);
    return handled ? hr : INET_E_DEFAULT_ACTION;
}

HRESULT TWebBrowserSecure::GetSecurityId(LPCWSTR url, BYTE *securityId, DWORD *size,
                                         DWORD_PTR reserved) {
    if (!OnGetSecurityId || !size)
        return INET_E_DEFAULT_ACTION;
    DWORD localSize = *size;
    bool handled = false;
    const HRESULT hr = OnGetSecurityId(this, url, securityId, localSize, reserved, handled);
    if (!handled)
        return INET_E_DEFAULT_ACTION; // the engine's size stays as it was
    // A claimed success must fit the engine's buffer, or the engine would read past its end.
    const bool overrun = SUCCEEDED(hr) && localSize > *size;
    *size = localSize;
    return overrun ? HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER) : hr;
}

HRESULT TWebBrowserSecure::ProcessUrlAction(LPCWSTR url, DWORD action, BYTE *policy,
                                            DWORD policySize, BYTE *context, DWORD contextSize,
                                            DWORD flags, DWORD reserved) {
    // No room for a policy (a missing buffer counts as one of 0 bytes): nothing to decide.
    if (policySize < sizeof(DWORD) || !policy)
        return S_FALSE;
    // A decision the engine takes before a document loads is not content the page met: the
    // default manager answers it by the zone this control maps, and no event is raised.
    if (flags & PUAF_PRELOAD)
        return INET_E_DEFAULT_ACTION;
    bool handled = false;
    HRESULT hr = INET_E_DEFAULT_ACTION;
    if (OnProcessUrlAction) {
        const QString text = url ? QString::fromUtf16(url) : QString();
        hr = OnProcessUrlAction(this, text, action, policy, policySize, context, contextSize, flags,
                                reserved, handled);
    }
    return handled ? hr : INET_E_DEFAULT_ACTION;
}

HRESULT TWebBrowserSecure::QueryCustomPolicy(LPCWSTR, REFGUID, BYTE **, DWORD *, BYTE *, DWORD,
                                             DWORD) {
    return INET_E_DEFAULT_ACTION;
}

HRESULT TWebBrowserSecure::SetZoneMapping(DWORD, LPCWSTR, DWORD) {
    return INET_E_DEFAULT_ACTION;
}

HRESULT TWebBrowserSecure::GetZoneMappings(DWORD, IEnumString **mappings, DWORD) {
    if (mappings)
        *mappings = nullptr;
    return INET_E_DEFAULT_ACTION;
}
