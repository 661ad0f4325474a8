#pragma once
// The URL security manager: zone of a URL, security identifier, URL-action policy. The default
// manager of this platform delegates every call first to a custom manager that its security site
// offers (QueryService(IID_IInternetSecurityManager)); a custom answer other than
// INET_E_DEFAULT_ACTION is final. When the default logic runs, it maps the URL to its zone through
// the custom MapUrlToZone first, so the zone a host gives a page decides what the page may do.

#include "platform/com/ServiceProvider.h"
#include "platform/urlmon/UrlActions.h"
#include "platform/urlmon/Zones.h"

struct IEnumString : IUnknown {
    static constexpr IID iid{0x00000101, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    // Each string returned is allocated with CoTaskMemAlloc; *fetched may be null when count is 1.
    virtual HRESULT Next(ULONG count, LPOLESTR *strings, ULONG *fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumString **clone) = 0;

protected:
    ~IEnumString() = default;
};

// The site a security manager may ask for a window (for prompts) and, through IServiceProvider on
// the same object, for a custom security manager.
struct IInternetSecurityMgrSite : IUnknown {
    static constexpr IID iid{
        0x79EAC9ED, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
    virtual HRESULT GetWindow(HWND *window) = 0;
    virtual HRESULT EnableModeless(BOOL enable) = 0;

protected:
    ~IInternetSecurityMgrSite() = default;
};

struct IInternetSecurityManager : IUnknown {
    // Also the service id (SID_SInternetSecurityManager) under which hosts offer a custom manager.
    static constexpr IID iid{
        0x79EAC9EE, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};

    // Stores the site (null drops it and any custom manager found through it).
    virtual HRESULT SetSecuritySite(IInternetSecurityMgrSite *site) = 0;
    virtual HRESULT GetSecuritySite(IInternetSecurityMgrSite **site) = 0;
    // *zone receives URLZONE_*; URLZONE_INVALID with an error result for URLs that have none.
    virtual HRESULT MapUrlToZone(LPCWSTR url, DWORD *zone, DWORD flags) = 0;
    // Writes "<scheme>:<host>" (UTF-8 bytes, no NUL) followed by the zone as four little-endian
    // bytes; *size is the buffer size on entry and the identifier's length on return.
    // Too small a buffer: HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), *size = needed length.
    virtual HRESULT GetSecurityId(LPCWSTR url, BYTE *securityId, DWORD *size,
                                  DWORD_PTR reserved) = 0;
    // S_OK when the policy allows the action, S_FALSE when it does not (disallow, or query).
    // The policy DWORD is written only when policySize >= 4. Actions whose policy is a level in
    // the high word (Java 0x1C00, credentials 0x1A00, ...) answer S_OK; the caller reads the
    // policy (URLPOLICY_JAVA_PROHIBIT = 0 means no Java).
    virtual HRESULT ProcessUrlAction(LPCWSTR url, DWORD action, BYTE *policy, DWORD policySize,
                                     BYTE *context, DWORD contextSize, DWORD flags,
                                     DWORD reserved) = 0;
    virtual HRESULT QueryCustomPolicy(LPCWSTR url, REFGUID key, BYTE **policy, DWORD *policySize,
                                      BYTE *context, DWORD contextSize, DWORD reserved) = 0;
    // Adds (SZM_CREATE) or removes (SZM_DELETE) a site-list entry in the user store. pattern is
    // "host", "scheme://host", "*.domain" or "*://host".
    virtual HRESULT SetZoneMapping(DWORD zone, LPCWSTR pattern, DWORD flags) = 0;
    virtual HRESULT GetZoneMappings(DWORD zone, IEnumString **mappings, DWORD flags) = 0;

protected:
    ~IInternetSecurityManager() = default;
};

// Creates the platform's default security manager in-process (CLSID_InternetSecurityManager).
// serviceProvider is not used (as on the original platform); reserved must be 0.
HRESULT CoInternetCreateSecurityManager(IServiceProvider *serviceProvider,
                                        IInternetSecurityManager **manager, DWORD reserved);
