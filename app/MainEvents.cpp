// TForm1: the browser host control's events — page state, captions, address box, status text,
// progress, and the zone policy of local references.

#include "app/Main.h"

#include "app/MainUnit.h"
#include "app/StatusPanels.h"
#include "host/WebBrowserSecure.h"
#include "platform/urlmon/WideText.h"
#include "policy/LocalBrowseSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QProgressBar>

#include <cstdio>

void TForm1::LogLine(const QString &text) {
    static const bool mirror = qEnvironmentVariableIsSet("QUILLMERE_EVENT_LOG");
    if (mirror)
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    // The log window receives the line once it exists.
}

bool TForm1::IsTopLevel(IDispatch *dispatch) const {
    ComPtr<IUnknown> identity;
    if (dispatch)
        ComPtr<IDispatch>(dispatch).As(identity);
    return identity && identity == BrowserIdentity;
}

void TForm1::WireBrowserEvents() {
    BrowserHost->OnMapUrlToZone = [this](TWebBrowserSecure *, LPCWSTR url, DWORD &zone, DWORD flags,
                                         bool &handled) {
        const HRESULT hr = zonepolicy::MapUrlToZone(*SecurityManager, LocalBrowse().Rule(), url,
                                                    zone, flags, handled);
        LogLine(QString::fromStdString(zonepolicy::ZoneLogLine(url, zone, handled)));
        return hr;
    };
    BrowserHost->OnGetSecurityId = [this](TWebBrowserSecure *, LPCWSTR url, BYTE *id, DWORD &size,
                                          DWORD_PTR reserved, bool &handled) {
        return zonepolicy::GetSecurityId(*SecurityManager, LocalBrowse().Rule(), url, id, &size,
                                         reserved, handled);
    };
    BrowserHost->OnProcessUrlAction = [this](TWebBrowserSecure *, const QString &, DWORD action,
                                             BYTE *, DWORD, BYTE *, DWORD, DWORD flags, DWORD,
                                             bool &handled) {
        const int category = UrlActionCategory(action);
        if (!SecurityCategories.test(size_t(category))) {
            SecurityCategories.set(size_t(category));
            StatusBar1->update();
            StatusBar1->Panel(1)->update();
        }
        handled = false;
        DebugTrace(QString::fromStdString(zonepolicy::ActionTraceText(action, flags)));
        return INET_E_DEFAULT_ACTION;
    };
    BrowserHost->OnBeforeNavigate2 = [this](TWebBrowser *, IDispatch *pDisp, const QString &url,
                                            LONG, const QString &, const QByteArray &,
                                            const QString &, bool &) {
        LogLine(u"BeforeNavigate2: "_qs + url);
        if (!IsTopLevel(pDisp))
            return;
        CurrentZone = -1;
        SecurityCategories.reset();
        PageDateText.clear();
        StatusBar1->Panel(0)->SetText(QString());
        StatusBar1->update();
    };
    BrowserHost->OnNavigateComplete2 = [this](TWebBrowser *, IDispatch *pDisp, const QString &url) {
        LogLine(u"NavigateComplete2: "_qs + url);
        if (IsTopLevel(pDisp))
            ComboBox1->setEditText(url);
    };
    BrowserHost->OnTitleChange = [this](TWebBrowser *, const QString &title) {
        setWindowTitle(title);
        QApplication::setApplicationName(title);
        LogLine(u"TitleChange: "_qs + title);
        const QString location = BrowserHost->LocationURL();
        if (!location.isEmpty()) {
            if (CurrentZone == -1)
                CurrentZone = ZoneForUrl(location);
            StatusBar1->update();
            StatusBar1->Panel(3)->update();
        }
    };
    BrowserHost->OnStatusTextChange = [this](TWebBrowser *, const QString &text) {
        StatusBar1->Panel(2)->SetText(text);
    };
    BrowserHost->OnProgressChange = [this](TWebBrowser *, LONG progress, LONG progressMax) {
        const bool loading = progressMax > 0 && progress >= 0 && progress < progressMax;
        ProgressBar1->setVisible(loading);
        if (loading)
            ProgressBar1->setValue(int(qint64(progress) * 100 / progressMax));
    };
    BrowserHost->OnDocumentComplete = [this](TWebBrowser *, IDispatch *pDisp, const QString &url) {
        LogLine(u"DocumentComplete: "_qs + url);
        if (!IsTopLevel(pDisp))
            return;
        ProgressBar1->setVisible(false);
        CurrentZone = -1;
        StatusBar1->update();
        StatusBar1->Panel(1)->update();
        StatusBar1->Panel(3)->update();
    };
    StatusBar1->Panel(3)->OnDrawPanel = [this](QPainter &p, const QRect &r) {
        DrawZonePanel(p, r);
    };
    StatusBar1->Panel(1)->OnDrawPanel = [this](QPainter &p, const QRect &r) {
        DrawCategoryPanel(p, r);
    };
}
