// TWebBrowserSecure: construction as the engine's client site, the interface table, the ambient
// properties that notify the engine on change, focus, the engine version and the FileDownload
// event.

#include "host/WebBrowserSecure.h"

#include "platform/com/KnownGuids.h"
#include "util/utility.h"


TWebBrowserSecure::TWebBrowserSecure(QWidget *parent) : TWebBrowser(parent) {
    BindFileDownload();
    // The engine asks its site for the host interfaces and reads the ambient properties now.
    SetClientSite(static_cast<IDocHostShowUI *>(this));
}

TWebBrowserSecure::~TWebBrowserSecure() {
    // The engine releases its references to the site while this object is still whole.
    SetClientSite(nullptr);
}

HRESULT TWebBrowserSecure::QueryInterface(REFIID riid, void **object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (riid == IDocHostShowUI::iid || riid == IUnknown::iid)
        *object = static_cast<IDocHostShowUI *>(this);
    else if (riid == IDocHostUIHandler::iid)
        *object = static_cast<IDocHostUIHandler *>(this);
    else if (riid == IDispatch::iid)
        *object = static_cast<IDispatch *>(this);
    else if (riid == IInternetSecurityManager::iid)
        *object = static_cast<IInternetSecurityManager *>(this);
    else if (riid == IServiceProvider::iid)
        *object = static_cast<IServiceProvider *>(this);
    else // IShellFolder included: this host is no shell folder
        return E_NOINTERFACE;
    return S_OK;
}

void TWebBrowserSecure::SetUserAgent(const QString &text) {
    if (text == FUserAgent)
        return;
    FUserAgent = text;
    OnAmbientPropertyChange(DISPID_AMBIENT_USERAGENT);
}

void TWebBrowserSecure::SetDownLoadControl2(DWORD flags) {
    if (flags == FDownLoadControl2)
        return;
    FDownLoadControl2 = flags;
    OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL);
}

void TWebBrowserSecure::SetFocus() {
    setFocus(Qt::OtherFocusReason);
    // The page is the widget inside that takes keyboard focus (the engine's view).
    QWidget *current = window()->focusWidget();
    if (current && current != this && isAncestorOf(current))
        return;
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->focusPolicy() != Qt::NoFocus || child->focusProxy()) {
            child->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

DWORD TWebBrowserSecure::GetIEVersion() {
    if (FIEVersion == 0) {
        TFileVersionRC version;
        version.LoadFromCLSID(FormatGuid(CLSID_WebBrowser));
        FIEVersion = static_cast<DWORD>(version.GetVersionNumber() >> 32);
    }
    return FIEVersion;
}

void TWebBrowserSecure::BindFileDownload() {
    TWebBrowser::OnFileDownload = [this](TWebBrowser *, bool activeDocument, bool &cancel) {
        if (!OnFileDownload)
            return;
        VARIANT_BOOL active = activeDocument ? VARIANT_TRUE : VARIANT_FALSE;
        VARIANT_BOOL cancelFlag = cancel ? VARIANT_TRUE : VARIANT_FALSE;
        OnFileDownload(this, active, cancelFlag);
        cancel = cancelFlag != VARIANT_FALSE;
    };
}
