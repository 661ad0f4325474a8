#pragma once
// A minimal host for engine tests: answers the message boxes, the ambient properties and, through
// IServiceProvider, the security questions. URLs containing "/restricted/" are in the Restricted
// sites zone, where the actions in deniedRestricted are refused; everything else is allowed.
// With a web directory set, local files below it are saved pages of the host that the folder
// under it names, with that host's security identifier, as the program gives them when it judges
// saved pages by their Internet address.

#include "platform/com/ComObject.h"
#include "platform/com/DispParams.h"
#include "platform/com/DispatchObject.h"
#include "platform/engine/DocHost.h"
#include "platform/urlmon/SecurityManager.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

#include <utility>

struct ShownMessage {
    QString text;
    DWORD type = 0;
};

struct ActionQuery {
    QString url;
    DWORD action = 0;
    DWORD flags = 0;
};

class FakeSecurityManager final : public ComObject<IInternetSecurityManager> {
public:
    QSet<DWORD> deniedRestricted{URLACTION_SCRIPT_RUN};
    QList<ActionQuery> queries;
    QString webDirectory; // an absolute path without a trailing '/'; empty: none

    static bool IsRestricted(LPCWSTR url) {
        return QString::fromUtf16(url).contains(u"/restricted/"_qs);
    }

    HRESULT SetSecuritySite(IInternetSecurityMgrSite *) override { return INET_E_DEFAULT_ACTION; }
    HRESULT GetSecuritySite(IInternetSecurityMgrSite **site) override {
        *site = nullptr;
        return INET_E_DEFAULT_ACTION;
    }
    HRESULT MapUrlToZone(LPCWSTR url, DWORD *zone, DWORD) override {
        *zone = IsRestricted(url) ? URLZONE_UNTRUSTED : URLZONE_INTERNET;
        return S_OK;
    }
    // "http:<host>" and the zone for a saved page; the default manager's for anything else.
    HRESULT GetSecurityId(LPCWSTR url, BYTE *securityId, DWORD *size, DWORD_PTR) override {
        const QUrl u(QString::fromUtf16(url));
        const QString prefix = webDirectory + u'/';
        if (webDirectory.isEmpty() || !u.isLocalFile() || !u.path().startsWith(prefix))
            return INET_E_DEFAULT_ACTION;
        const QString host = u.path().mid(prefix.size()).section(u'/', 0, 0);
        if (host.isEmpty())
            return INET_E_DEFAULT_ACTION;
        DWORD zone = URLZONE_INVALID;
        MapUrlToZone(url, &zone, 0);
        QByteArray id = "http:" + host.toUtf8();
        for (int i = 0; i < 4; ++i)
            id.append(char(zone >> (8 * i)));
        if (*size < DWORD(id.size())) {
            *size = DWORD(id.size());
            return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        }
        std::memcpy(securityId, id.constData(), id.size());
        *size = DWORD(id.size());
        return S_OK;
    }
    HRESULT ProcessUrlAction(LPCWSTR url, DWORD action, BYTE *policy, DWORD policySize, BYTE *,
                             DWORD, DWORD flags, DWORD) override {
        queries.append({QString::fromUtf16(url), action, flags});
        const bool denied = IsRestricted(url) && deniedRestricted.contains(action);
        const DWORD value =
            denied ? URLPOLICY_DISALLOW
                   : (action == URLACTION_JAVA_PERMISSIONS ? URLPOLICY_JAVA_HIGH : URLPOLICY_ALLOW);
        if (policy && policySize >= sizeof value)
            std::memcpy(policy, &value, sizeof value);
        return denied ? S_FALSE : S_OK;
    }
    HRESULT QueryCustomPolicy(LPCWSTR, REFGUID, BYTE **, DWORD *, BYTE *, DWORD, DWORD) override {
        return INET_E_DEFAULT_ACTION;
    }
    HRESULT SetZoneMapping(DWORD, LPCWSTR, DWORD) override { return INET_E_DEFAULT_ACTION; }
    HRESULT GetZoneMappings(DWORD, IEnumString **mappings, DWORD) override {
        *mappings = nullptr;
        return INET_E_DEFAULT_ACTION;
    }

    // Asked before the document loaded (decided) or when the engine met such content (met).
    enum class Asked { Decided, Met, Any };
    bool WasAsked(DWORD action, const QString &urlPart, Asked how = Asked::Any) const {
        for (const ActionQuery &q : queries) {
            const bool decided = q.flags & PUAF_PRELOAD;
            if (q.action == action && q.url.contains(urlPart) &&
                (how == Asked::Any || decided == (how == Asked::Decided)))
                return true;
        }
        return false;
    }
};

class FakeHost final : public DispatchObject<IDocHostShowUI, IDispatch, IServiceProvider> {
public:
    explicit FakeHost(ComPtr<FakeSecurityManager> manager) : m_manager(std::move(manager)) {}

    DWORD downloadControl = DLCTL_DEFAULT;
    LRESULT confirmAnswer = IDOK;
    std::string userAgent = "QuillmereTest/1.0";
    bool handleMessages = true; // false: S_FALSE, the control shows its own box
    QList<ShownMessage> messages;

    // IDocHostShowUI
    HRESULT ShowMessage(HWND, LPOLESTR text, LPOLESTR, DWORD type, LPOLESTR, DWORD,
                        LRESULT *result) override {
        messages.append({QString::fromUtf16(text), type});
        if (!handleMessages)
            return S_FALSE;
        *result = (type & MB_TYPEMASK) == MB_OKCANCEL ? confirmAnswer : IDOK;
        return S_OK;
    }
    HRESULT ShowHelp(HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch *) override { return S_FALSE; }

    // IDispatch: the ambient properties.
    HRESULT GetIDsOfNames(REFIID, const LPCSTR *, UINT, LCID, DISPID *) override {
        return E_NOTIMPL;
    }
    HRESULT Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS *, Variant *result,
                   EXCEPINFO *, UINT *) override {
        if (!(flags & DISPATCH_PROPERTYGET) || !result)
            return DISP_E_MEMBERNOTFOUND;
        switch (member) {
        case DISPID_AMBIENT_DLCONTROL:
            *result = Variant(static_cast<LONG>(downloadControl));
            return S_OK;
        case DISPID_AMBIENT_USERAGENT:
            *result = Variant(userAgent);
            return S_OK;
        case DISPID_AMBIENT_OFFLINEIFNOTCONNECTED:
            *result = Variant(true);
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

    // IServiceProvider
    HRESULT QueryService(REFGUID service, REFIID riid, void **object) override {
        *object = nullptr;
        if (service == IInternetSecurityManager::iid && riid == IInternetSecurityManager::iid)
            return m_manager->QueryInterface(riid, object);
        return E_NOINTERFACE;
    }

private:
    ComPtr<FakeSecurityManager> m_manager;
};
