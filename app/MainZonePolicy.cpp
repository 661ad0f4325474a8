// TForm1: the zone policy of local references. The host's three security events go to
// zonepolicy:: with the window's local-browsing rule; what the policy does not claim goes back to
// the platform's default manager.

#include "app/Main.h"

#include "app/MainUnit.h"
#include "app/StatusPanels.h"
#include "policy/LocalBrowseSettings.h"

HRESULT TForm1::WebBrowser1ProcessUrlAction(TWebBrowserSecure *, const QString &, DWORD Action,
                                            BYTE *, DWORD, BYTE *, DWORD, DWORD dwFlags, DWORD,
                                            bool &handled) {
    const int category = UrlActionCategory(Action);
    if (!SecurityCategories.test(size_t(category))) {
        SecurityCategories.set(size_t(category));
        StatusBar1->update();
        StatusBar1->Panel(spCategories)->update();
    }
    // The log window's security list gets the action here once that window exists.
    handled = false;
    DebugTrace(QString::fromStdString(zonepolicy::ActionTraceText(Action, dwFlags)));
    return INET_E_DEFAULT_ACTION;
}

HRESULT TForm1::WebBrowser1GetSecurityId(TWebBrowserSecure *, LPCWSTR pwszUrl, BYTE *pbSecurityId,
                                         DWORD &cbSecurityId, DWORD_PTR dwReserved, bool &handled) {
    return zonepolicy::GetSecurityId(*SecurityManager, LocalBrowse().Rule(), pwszUrl, pbSecurityId,
                                     &cbSecurityId, dwReserved, handled);
}

HRESULT TForm1::WebBrowser1MapUrlToZone(TWebBrowserSecure *, LPCWSTR pwszUrl, DWORD &dwZone,
                                        DWORD dwFlags, bool &handled) {
    const HRESULT hr = zonepolicy::MapUrlToZone(*SecurityManager, LocalBrowse().Rule(), pwszUrl,
                                                dwZone, dwFlags, handled);
    LogLine(QString::fromStdString(zonepolicy::ZoneLogLine(pwszUrl, dwZone, handled)));
    return hr;
}
