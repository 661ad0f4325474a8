// The platform's default security manager, with delegation to a custom manager of its site.

#include "platform/urlmon/SecurityManager.h"

#include "platform/com/ComObject.h"
#include "platform/urlmon/SecurityUrl.h"
#include "platform/urlmon/SiteList.h"
#include "platform/urlmon/StringEnumerator.h"
#include "platform/urlmon/WideText.h"
#include "platform/urlmon/ZoneMapping.h"
#include "platform/urlmon/ZonePolicy.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

namespace {

constexpr LONG kErrorNotFound = 1168; // ERROR_NOT_FOUND

// Managers whose custom manager is being called on this thread: a custom manager that calls
// back into the same default manager gets the default answer instead of endless recursion.
thread_local std::vector<const void *> t_delegating;

class DefaultSecurityManager final : public ComObject<IInternetSecurityManager> {
public:
    HRESULT SetSecuritySite(IInternetSecurityMgrSite *site) override {
        ComPtr<IInternetSecurityManager> custom;
        if (site) {
            ComPtr<IServiceProvider> provider;
            if (SUCCEEDED(ComPtr<IInternetSecurityMgrSite>(site).As(provider)) && provider)
                provider->QueryService(IInternetSecurityManager::iid, IInternetSecurityManager::iid,
                                       reinterpret_cast<void **>(custom.ReleaseAndGetAddressOf()));
            if (custom.Get() == this)
                custom.Reset();
        }
        const std::lock_guard lock(m_mutex);
        m_site = site;
        m_custom = std::move(custom);
        return S_OK;
    }

    HRESULT GetSecuritySite(IInternetSecurityMgrSite **site) override {
        if (!site)
            return E_INVALIDARG;
        const std::lock_guard lock(m_mutex);
        *site = ComPtr(m_site).Detach();
        return S_OK;
    }

    HRESULT MapUrlToZone(LPCWSTR url, DWORD *zone, DWORD flags) override {
        if (const auto taken = AskCustom([&](IInternetSecurityManager *custom) {
                return custom->MapUrlToZone(url, zone, flags);
            }))
            return *taken;
        if (!zone)
            return E_INVALIDARG;
        *zone = URLZONE_INVALID;
        urlmon::SecurityUrl parsed;
        if (!url)
            return E_INVALIDARG;
        const HRESULT hr =
            urlmon::ParseSecurityUrl(urlmon::ToUtf8(url), flags & MUTZ_ISFILE, parsed);
        if (SUCCEEDED(hr))
            *zone = urlmon::ZoneOfUrl(parsed, flags);
        return hr;
    }

    HRESULT GetSecurityId(LPCWSTR url, BYTE *securityId, DWORD *size, DWORD_PTR reserved) override {
        if (const auto taken = AskCustom([&](IInternetSecurityManager *custom) {
                return custom->GetSecurityId(url, securityId, size, reserved);
            }))
            return *taken;
        if (!url || !securityId || !size)
            return E_INVALIDARG;
        const std::string text = urlmon::ToUtf8(url);
        urlmon::SecurityUrl parsed;
        if (const HRESULT hr = urlmon::ParseSecurityUrl(text, false, parsed); FAILED(hr))
            return hr;
        DWORD zone = URLZONE_INVALID; // a custom manager that claims without a zone grants nothing
        if (const HRESULT hr = ZoneForDecision(url, &parsed, zone); FAILED(hr))
            return hr;
        const std::string id = urlmon::SecurityIdText(parsed, text);
        if (id.size() > 0xFFFFFFFFu - 4) // DWORD sizes cannot describe it
            return E_INVALIDARG;
        const DWORD needed = static_cast<DWORD>(id.size() + 4);
        if (*size < needed) {
            *size = needed;
            return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        }
        std::memcpy(securityId, id.data(), id.size());
        for (int i = 0; i < 4; ++i)
            securityId[id.size() + i] = static_cast<BYTE>(zone >> (8 * i));
        *size = needed;
        return S_OK;
    }

    HRESULT ProcessUrlAction(LPCWSTR url, DWORD action, BYTE *policy, DWORD policySize,
                             BYTE *context, DWORD contextSize, DWORD flags,
                             DWORD reserved) override {
        if (const auto taken = AskCustom([&](IInternetSecurityManager *custom) {
                return custom->ProcessUrlAction(url, action, policy, policySize, context,
                                                contextSize, flags, reserved);
            }))
            return *taken;
        if (!url)
            return E_INVALIDARG;
        urlmon::SecurityUrl parsed;
        const HRESULT parsedHr =
            urlmon::ParseSecurityUrl(urlmon::ToUtf8(url), flags & PUAF_ISFILE, parsed);
        DWORD zone = URLZONE_INVALID;
        if (const HRESULT hr = ZoneForDecision(url, SUCCEEDED(parsedHr) ? &parsed : nullptr, zone);
            FAILED(hr))
            return hr;
        const auto value = urlmon::ZoneActionPolicy(zone, action, URLZONEREG_DEFAULT);
        if (!value)
            return E_FAIL;
        if (policy && policySize >= sizeof(DWORD))
            for (std::size_t i = 0; i < sizeof(DWORD); ++i)
                policy[i] = static_cast<BYTE>(*value >> (8 * i));
        // No prompts on this platform: a policy that would ask is answered as refused.
        return GetUrlPolicyPermissions(*value) == URLPOLICY_ALLOW ? S_OK : S_FALSE;
    }

    HRESULT QueryCustomPolicy(LPCWSTR url, REFGUID key, BYTE **policy, DWORD *policySize,
                              BYTE *context, DWORD contextSize, DWORD reserved) override {
        if (const auto taken = AskCustom([&](IInternetSecurityManager *custom) {
                return custom->QueryCustomPolicy(url, key, policy, policySize, context, contextSize,
                                                 reserved);
            }))
            return *taken;
        return HRESULT_FROM_WIN32(kErrorNotFound);
    }

    HRESULT SetZoneMapping(DWORD zone, LPCWSTR pattern, DWORD flags) override {
        if (const auto taken = AskCustom([&](IInternetSecurityManager *custom) {
                return custom->SetZoneMapping(zone, pattern, flags);
            }))
            return *taken;
        if (!pattern)
            return E_INVALIDARG;
        const std::string text = urlmon::ToUtf8(pattern);
        switch (flags) {
        case SZM_CREATE:
            return urlmon::AddSite(zone, text);
        case SZM_DELETE:
            return urlmon::RemoveSite(zone, text);
        default:
            return E_INVALIDARG;
        }
    }

    HRESULT GetZoneMappings(DWORD zone, IEnumString **mappings, DWORD flags) override {
        if (const auto taken = AskCustom([&](IInternetSecurityManager *custom) {
                return custom->GetZoneMappings(zone, mappings, flags);
            }))
            return *taken;
        if (!mappings || flags != 0)
            return E_INVALIDARG;
        std::vector<std::u16string> patterns;
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            for (const urlmon::SiteEntry &site : urlmon::ListSites(root))
                if (site.zone == zone)
                    patterns.push_back(urlmon::ToUtf16(site.Pattern()));
        *mappings = urlmon::CreateStringEnumerator(std::move(patterns)).Detach();
        return S_OK;
    }

private:
    ComPtr<IInternetSecurityManager> Custom() const {
        if (std::find(t_delegating.begin(), t_delegating.end(), this) != t_delegating.end())
            return nullptr;
        const std::lock_guard lock(m_mutex);
        return m_custom;
    }

    // The custom manager's answer unless it hands the call back with INET_E_DEFAULT_ACTION.
    template <typename Call> std::optional<HRESULT> AskCustom(Call call) {
        const ComPtr<IInternetSecurityManager> custom = Custom();
        if (!custom)
            return std::nullopt;
        t_delegating.push_back(this);
        const HRESULT hr = call(custom.Get());
        t_delegating.pop_back();
        return hr == INET_E_DEFAULT_ACTION ? std::nullopt : std::optional<HRESULT>(hr);
    }

    // The zone that decides a URL's identifier and actions: the custom MapUrlToZone first, then
    // this platform's settings. parsed is null when the URL cannot be parsed.
    HRESULT ZoneForDecision(LPCWSTR url, const urlmon::SecurityUrl *parsed, DWORD &zone) {
        if (const auto taken = AskCustom([&](IInternetSecurityManager *custom) {
                return custom->MapUrlToZone(url, &zone, 0);
            }))
            return *taken;
        if (!parsed)
            return E_INVALIDARG;
        zone = urlmon::ZoneOfUrl(*parsed, 0);
        return S_OK;
    }

    mutable std::mutex m_mutex;
    ComPtr<IInternetSecurityMgrSite> m_site;
    ComPtr<IInternetSecurityManager> m_custom;
};

} // namespace

HRESULT CoInternetCreateSecurityManager(IServiceProvider *, IInternetSecurityManager **manager,
                                        DWORD reserved) {
    if (!manager)
        return E_INVALIDARG;
    *manager = nullptr;
    if (reserved != 0)
        return E_INVALIDARG;
    urlmon::SeedMachineStore();
    *manager = MakeComObject<DefaultSecurityManager>().Detach();
    return S_OK;
}
