#pragma once
// The control's way to the URL security decisions: the platform's default security manager with
// the control's security site, through which the default manager finds the host's own manager
// (IServiceProvider of the client site). The host answers first; INET_E_DEFAULT_ACTION hands the
// decision to the default manager, which maps the URL through the host's MapUrlToZone first.

#include "platform/com/ServiceProvider.h"
#include "platform/urlmon/SecurityManager.h"

#include <QUrl>

namespace engine {

class SecuritySite;

class SecurityChain final {
public:
    SecurityChain();
    ~SecurityChain();
    SecurityChain(const SecurityChain &) = delete;
    SecurityChain &operator=(const SecurityChain &) = delete;

    // The host's service provider (null: no host manager). The default manager asks it for a
    // custom manager once, here.
    void SetHostServices(ComPtr<IServiceProvider> services);

    // The chain's answer and the policy written out. A failure of the chain is returned as is.
    HRESULT ProcessUrlAction(const QUrl &url, DWORD action, DWORD &policy, DWORD flags) const;
    // Asked when the engine meets content of the action's kind (a script, an object, a cookie,
    // a download, a frame, a font, a meta refresh). True only when the chain allows action;
    // errors and queries count as "no". For the Java permissions action, whose answer is
    // carried in the policy, "prohibit" counts as "no".
    bool Allows(const QUrl &url, DWORD action) const;
    // The same question asked before a document loads, to decide its rules; marked with
    // PUAF_PRELOAD, so that the host can tell it from content met.
    bool Decides(const QUrl &url, DWORD action) const;
    // The zone of url, or URLZONE_INVALID.
    DWORD Zone(const QUrl &url) const;
    // The security identifier of url (the zone as its last four bytes), or empty on failure.
    QByteArray SecurityId(const QUrl &url) const;

private:
    bool Answer(const QUrl &url, DWORD action, DWORD flags) const;

    ComPtr<IInternetSecurityManager> m_manager;
    ComPtr<SecuritySite> m_site;
};

// The URL as the security chain receives it.
std::u16string SecurityUrl(const QUrl &url);

} // namespace engine
