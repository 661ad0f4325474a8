#pragma once
// The zone manager: zone attributes, per-zone action policies and zone enumeration.

#include "platform/com/ServiceProvider.h"
#include "platform/urlmon/UrlActions.h"
#include "platform/urlmon/Zones.h"

struct IInternetZoneManager : IUnknown {
    static constexpr IID iid{
        0x79EAC9EF, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};

    // Display name, description and icon path are the zone's built-in texts; levels and flags come
    // from the registry (user over machine store) with built-in defaults. cbSize is not written.
    virtual HRESULT GetZoneAttributes(DWORD zone, ZONEATTRIBUTES *attributes) = 0;
    virtual HRESULT SetZoneAttributes(DWORD zone, ZONEATTRIBUTES *attributes) = 0;
    virtual HRESULT GetZoneCustomPolicy(DWORD zone, REFGUID key, BYTE **policy, DWORD *policySize,
                                        URLZONEREG store) = 0;
    virtual HRESULT SetZoneCustomPolicy(DWORD zone, REFGUID key, BYTE *policy, DWORD policySize,
                                        URLZONEREG store) = 0;
    // policySize < 4 or null policy: E_INVALIDARG; unknown zone: E_INVALIDARG; action without a
    // policy in the zone: E_FAIL.
    virtual HRESULT GetZoneActionPolicy(DWORD zone, DWORD action, BYTE *policy, DWORD policySize,
                                        URLZONEREG store) = 0;
    virtual HRESULT SetZoneActionPolicy(DWORD zone, DWORD action, BYTE *policy, DWORD policySize,
                                        URLZONEREG store) = 0;
    virtual HRESULT PromptAction(DWORD action, HWND parent, LPCWSTR url, LPCWSTR text,
                                 DWORD promptFlags) = 0;
    virtual HRESULT LogAction(DWORD action, LPCWSTR url, LPCWSTR text, DWORD logFlags) = 0;
    // flags must be 0. The enumerator lists the zones in ascending number.
    virtual HRESULT CreateZoneEnumerator(DWORD *enumerator, DWORD *count, DWORD flags) = 0;
    virtual HRESULT GetZoneAt(DWORD enumerator, DWORD index, DWORD *zone) = 0;
    // An enumerator handle is valid once: a second destroy answers E_INVALIDARG.
    virtual HRESULT DestroyZoneEnumerator(DWORD enumerator) = 0;
    virtual HRESULT CopyTemplatePoliciesToZone(DWORD templateLevel, DWORD zone, DWORD reserved) = 0;

protected:
    ~IInternetZoneManager() = default;
};

// Creates the platform's zone manager in-process (CLSID_InternetZoneManager).
HRESULT CoInternetCreateZoneManager(IServiceProvider *serviceProvider,
                                    IInternetZoneManager **manager, DWORD reserved);
