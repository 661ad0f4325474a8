// bench_zone: median cost of one zone decision plus one URL action through the default security
// manager whose security site offers a custom manager (as the browser control runs it), while the
// stores are unchanged and right after a commit. Prints figures; asserts nothing.

#include "platform/com/ComObject.h"
#include "platform/registry/Registry.h"
#include "platform/urlmon/SecurityManager.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

// The host's manager: claims the zone of its local pages, hands everything else back.
class HostManager final : public ComObject<IInternetSecurityManager> {
public:
    HRESULT SetSecuritySite(IInternetSecurityMgrSite *) override { return INET_E_DEFAULT_ACTION; }
    HRESULT GetSecuritySite(IInternetSecurityMgrSite **site) override {
        *site = nullptr;
        return INET_E_DEFAULT_ACTION;
    }
    HRESULT MapUrlToZone(LPCWSTR url, DWORD *zone, DWORD) override {
        if (!std::u16string_view(url).starts_with(u"file:///srv/Html/"))
            return INET_E_DEFAULT_ACTION;
        *zone = URLZONE_INTERNET;
        return S_OK;
    }
    HRESULT GetSecurityId(LPCWSTR, BYTE *, DWORD *, DWORD_PTR) override {
        return INET_E_DEFAULT_ACTION;
    }
    HRESULT ProcessUrlAction(LPCWSTR, DWORD, BYTE *, DWORD, BYTE *, DWORD, DWORD, DWORD) override {
        return INET_E_DEFAULT_ACTION;
    }
    HRESULT QueryCustomPolicy(LPCWSTR, REFGUID, BYTE **, DWORD *, BYTE *, DWORD, DWORD) override {
        return INET_E_DEFAULT_ACTION;
    }
    HRESULT SetZoneMapping(DWORD, LPCWSTR, DWORD) override { return INET_E_DEFAULT_ACTION; }
    HRESULT GetZoneMappings(DWORD, IEnumString **mappings, DWORD) override {
        *mappings = nullptr;
        return INET_E_DEFAULT_ACTION;
    }
};

class HostSite final : public ComObject<IInternetSecurityMgrSite, IServiceProvider> {
public:
    HRESULT GetWindow(HWND *window) override {
        *window = nullptr;
        return E_NOTIMPL;
    }
    HRESULT EnableModeless(BOOL) override { return S_OK; }
    HRESULT QueryService(REFGUID service, REFIID riid, void **object) override {
        *object = nullptr;
        return service == IInternetSecurityManager::iid ? m_manager->QueryInterface(riid, object)
                                                        : E_NOINTERFACE;
    }

private:
    ComPtr<HostManager> m_manager = MakeComObject<HostManager>();
};

// A committed write to the user store, which empties what was kept for the stores' state.
void ChangeUserStore(int round) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Bench", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    const DWORD value = DWORD(round);
    RegSetValueExA(key, "Round", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                   sizeof value);
    RegCloseKey(key);
}

// changeFirst: each round begins with a change of the user store (not timed).
double MedianNs(IInternetSecurityManager *manager, const char16_t *url, int rounds,
                bool changeFirst = false) {
    std::vector<double> samples;
    samples.reserve(rounds);
    for (int i = 0; i < rounds; ++i) {
        if (changeFirst)
            ChangeUserStore(i);
        const auto start = std::chrono::steady_clock::now();
        DWORD zone = 0, policy = 0;
        manager->MapUrlToZone(url, &zone, 0);
        manager->ProcessUrlAction(url, URLACTION_SCRIPT_RUN, reinterpret_cast<BYTE *>(&policy),
                                  sizeof policy, nullptr, 0, PUAF_NOUI, 0);
        samples.push_back(
            std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::nth_element(samples.begin(), samples.begin() + rounds / 2, samples.end());
    return samples[rounds / 2];
}

} // namespace

int main() {
    QTemporaryDir dir;
    qputenv("QUILLMERE_PLATFORM_DIR", dir.path().toLocal8Bit());
    ComPtr<IInternetSecurityManager> manager;
    if (FAILED(CoInternetCreateSecurityManager(nullptr, manager.ReleaseAndGetAddressOf(), 0)))
        return 1;
    manager->SetZoneMapping(URLZONE_TRUSTED, u"trusted.example", SZM_CREATE);
    manager->SetSecuritySite(MakeComObject<HostSite>().Get());

    constexpr int kRounds = 2000;
    const struct {
        const char *label;
        const char16_t *url;
    } cases[] = {
        {"local page, zone from the host", u"file:///srv/Html/www.example.com/index.html"},
        {"Internet URL, zone from the platform", u"http://www.example.com/a/b.html"},
        {"listed site, zone from the site list", u"https://www.trusted.example/"},
    };
    std::printf("bench_zone: MapUrlToZone + ProcessUrlAction(0x1400), median of %d\n", kRounds);
    for (const auto &c : cases)
        std::printf("  %-40s %10.0f ns\n", c.label, MedianNs(manager.Get(), c.url, kRounds));
    constexpr int kChangedRounds = 200;
    std::printf("right after a commit to the user store, median of %d\n", kChangedRounds);
    for (const auto &c : cases)
        std::printf("  %-40s %10.0f ns\n", c.label,
                    MedianNs(manager.Get(), c.url, kChangedRounds, true));
    manager->SetSecuritySite(nullptr);
    return 0;
}
