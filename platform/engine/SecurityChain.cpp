#include "platform/engine/SecurityChain.h"

#include "platform/com/ComObject.h"
#include "platform/engine/EngineConstants.h"

#include <QLoggingCategory>

namespace engine {

Q_LOGGING_CATEGORY(lcSecurity, "quillmere.engine.security")

// The security site the default manager is given: no window of its own (prompts are not shown),
// and the host's services passed through.
class SecuritySite final : public ComObject<IInternetSecurityMgrSite, IServiceProvider> {
public:
    void SetHostServices(ComPtr<IServiceProvider> services) { m_host = std::move(services); }

    HRESULT GetWindow(HWND *window) override {
        if (!window)
            return E_POINTER;
        *window = nullptr;
        return S_OK;
    }
    HRESULT EnableModeless(BOOL) override { return S_OK; }
    HRESULT QueryService(REFGUID service, REFIID riid, void **object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        return m_host ? m_host->QueryService(service, riid, object) : E_NOINTERFACE;
    }

private:
    ComPtr<IServiceProvider> m_host;
};

SecurityChain::SecurityChain() : m_site(MakeComObject<SecuritySite>()) {
    const HRESULT hr =
        CoInternetCreateSecurityManager(nullptr, m_manager.ReleaseAndGetAddressOf(), 0);
    if (FAILED(hr) || !m_manager)
        qCWarning(lcSecurity, "no security manager (0x%08X): every action is refused",
                  static_cast<unsigned>(hr));
    else
        m_manager->SetSecuritySite(m_site.Get());
}

SecurityChain::~SecurityChain() {
    if (m_manager)
        m_manager->SetSecuritySite(nullptr);
}

void SecurityChain::SetHostServices(ComPtr<IServiceProvider> services) {
    m_site->SetHostServices(std::move(services));
    // The default manager looks for the custom manager when it is given its site.
    if (m_manager)
        m_manager->SetSecuritySite(m_site.Get());
}

std::u16string SecurityUrl(const QUrl &url) {
    const QString text = url.toString(QUrl::FullyEncoded);
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()), text.size());
}

HRESULT SecurityChain::ProcessUrlAction(const QUrl &url, DWORD action, DWORD &policy,
                                        DWORD flags) const {
    policy = URLPOLICY_DISALLOW;
    if (!m_manager)
        return E_UNEXPECTED;
    const std::u16string text = SecurityUrl(url);
    return m_manager->ProcessUrlAction(text.c_str(), action, reinterpret_cast<BYTE *>(&policy),
                                       sizeof policy, nullptr, 0, flags, 0);
}

bool SecurityChain::Allows(const QUrl &url, DWORD action) const {
    return Answer(url, action, PUAF_DEFAULT);
}

bool SecurityChain::Decides(const QUrl &url, DWORD action) const {
    return Answer(url, action, PUAF_PRELOAD);
}

bool SecurityChain::Answer(const QUrl &url, DWORD action, DWORD flags) const {
    DWORD policy = URLPOLICY_DISALLOW;
    const HRESULT hr = ProcessUrlAction(url, action, policy, flags);
    if (FAILED(hr))
        qCWarning(lcSecurity, "URL action 0x%X for %s failed (0x%08X): refused",
                  static_cast<unsigned>(action), qPrintable(url.toDisplayString()),
                  static_cast<unsigned>(hr));
    if (hr != S_OK)
        return false;
    if (action == URLACTION_JAVA_PERMISSIONS)
        return policy != URLPOLICY_JAVA_PROHIBIT;
    return true;
}

DWORD SecurityChain::Zone(const QUrl &url) const {
    DWORD zone = URLZONE_INVALID;
    if (m_manager) {
        const std::u16string text = SecurityUrl(url);
        if (FAILED(m_manager->MapUrlToZone(text.c_str(), &zone, 0)))
            zone = URLZONE_INVALID;
    }
    return zone;
}

QByteArray SecurityChain::SecurityId(const QUrl &url) const {
    if (!m_manager)
        return {};
    const std::u16string text = SecurityUrl(url);
    QByteArray id(MAX_SIZE_SECURITY_ID, Qt::Uninitialized);
    DWORD size = MAX_SIZE_SECURITY_ID;
    if (FAILED(m_manager->GetSecurityId(text.c_str(), reinterpret_cast<BYTE *>(id.data()), &size,
                                        0)) ||
        size > MAX_SIZE_SECURITY_ID)
        return {};
    id.truncate(size);
    return id;
}

} // namespace engine
