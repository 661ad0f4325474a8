// TForm1: the browser host control's events — page state, captions, address box, status text,
// progress, and the zone policy of local references.

#include "app/Main.h"

#include "app/MainUnit.h"
#include "app/StatusPanels.h"
#include "host/WebBrowserSecure.h"
#include "platform/com/KnownGuids.h"
#include "platform/engine/EngineConstants.h"
#include "platform/urlmon/WideText.h"
#include "policy/LocalBrowseSettings.h"

#include "options/appoption.h"
#include "policy/ZoneDisplay.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QToolBar>
#include <QToolTip>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Runs a handler for every tooltip request of the watched widget; the request is consumed.
class TToolTipHook final : public QObject {
public:
    TToolTipHook(QObject *parent, std::function<void(QHelpEvent &)> handler)
        : QObject(parent), FHandler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::ToolTip)
            return QObject::eventFilter(watched, event);
        FHandler(*static_cast<QHelpEvent *>(event));
        return true;
    }

private:
    std::function<void(QHelpEvent &)> FHandler;
};

// A 16-bit boolean of the engine as the log writes it.
QString Bool16(bool value) {
    return value ? u"-1"_qs : u"0"_qs;
}

} // namespace

void TForm1::LogLine(const QString &text) {
    static const bool mirror = qEnvironmentVariableIsSet("QUILLMERE_EVENT_LOG");
    if (mirror)
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    // The log window receives the line once it exists.
    DebugTrace(text);
}

void TForm1::StartBusy() {
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(true); // kept over panel 1 by the status bar
    txtMessage->clear();
    txtMessage->setVisible(false);
}

void TForm1::StopBusy() {
    ProgressBar1->setVisible(false);
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
        // The log window's security list gets the action here once that window exists.
        handled = false;
        DebugTrace(QString::fromStdString(zonepolicy::ActionTraceText(action, flags)));
        return INET_E_DEFAULT_ACTION;
    };
    BrowserHost->OnBeforeNavigate2 = [this](TWebBrowser *, IDispatch *pDisp, const QString &url,
                                            LONG, const QString &, const QByteArray &,
                                            const QString &, bool &) {
        LogLine(u"Before Navi"_qs + url);
        if (!IsTopLevel(pDisp))
            return;
        StartBusy();
        CurrentZone = -1;
        SecurityCategories.reset();
        PageDateText.clear();
        SetPanelText(0, QString());
        StatusBar1->update();
    };
    // The address box shows the top-level page's location, also when a frame reports.
    BrowserHost->OnNavigateComplete2 = [this](TWebBrowser *, IDispatch *, const QString &url) {
        LogLine(u"Navi Complete:"_qs + url);
        ComboBox1->setEditText(BrowserHost->LocationURL());
    };
    BrowserHost->OnDownloadBegin = [this](TWebBrowser *) {
        LogLine(u"Download begin "_qs + QString::number(BrowserHost->ReadyState()));
    };
    BrowserHost->OnDownloadComplete = [this](TWebBrowser *) {
        LogLine(u"Download Comlete "_qs + BrowserHost->LocationURL() +
                QString::number(BrowserHost->ReadyState()) + u' ' + Bool16(BrowserHost->Busy()));
    };
    BrowserHost->OnTitleChange = [this](TWebBrowser *, const QString &title) {
        setWindowTitle(title);
        QApplication::setApplicationName(title);
        const QString location = BrowserHost->LocationURL();
        LogLine(u"Title Change "_qs + location + BrowserHost->LocationName());
        LogLine(u"   TITLE="_qs + title);
        if (!location.isEmpty()) {
            if (CurrentZone == -1)
                CurrentZone = ZoneForUrl(location);
            StatusBar1->update();
            StatusBar1->Panel(3)->update();
        }
    };
    BrowserHost->OnStatusTextChange = [this](TWebBrowser *, const QString &text) {
        if (StatusBar1->isVisibleTo(this))
            SetPanelText(2, text);
    };
    BrowserHost->OnPropertyChange = [this](TWebBrowser *, const QString &name) {
        LogLine(u"Prop: "_qs + name);
    };
    // OK-only page messages go to the message strip when the option asks for it.
    BrowserHost->OnShowMessage = [this](TWebBrowserSecure *, HWND, LPOLESTR text, LPOLESTR,
                                        DWORD type, LPOLESTR, DWORD, LRESULT &result,
                                        bool &handled) {
        const QString message = text ? QString::fromUtf16(text) : QString();
        if (!AppOption->ShowMessage() && (type & 0xF) == 0) {
            handled = true;
            // The strip lies in Panel1's layout, which gives it Panel1's width.
            txtMessage->setText(message);
            txtMessage->setVisible(!message.isEmpty());
            result = 1;
        }
        if (AppOption->DebugEnable())
            LogLine(message);
    };
    // The page asks for the window's bars; the cool bar's hidden bands stay hidden.
    BrowserHost->OnToolBar = [this](TWebBrowser *, bool visible) {
        for (QToolBar *band : {ToolBar3, CoolBand2, ToolBar1})
            band->setVisible(visible);
    };
    BrowserHost->OnMenuBar = [this](TWebBrowser *, bool visible) {
        MainMenu1->setVisible(visible);
    };
    BrowserHost->OnStatusBar = [this](TWebBrowser *, bool visible) { ShowStatusBar(visible); };
    QObject::connect(StatusBar3, &QAction::triggered, this,
                     [this](bool checked) { ShowStatusBar(checked); }); // already toggled
    QObject::connect(Show1, &QMenu::aboutToShow, this,
                     [this] { StatusBar3->setChecked(StatusBar1->isVisibleTo(this)); });
    BrowserHost->OnProgressChange = [this](TWebBrowser *, LONG progress, LONG progressMax) {
        LogLine(u"Progress: "_qs + QString::number(progress) + u'/' + QString::number(progressMax) +
                u"State="_qs + QString::number(BrowserHost->ReadyState()));
        if (progressMax != 0 && progressMax >= progress) {
            const int position = int(qint64(progress) * ProgressBar1->maximum() / progressMax);
            ProgressBar1->setValue(position);
            ProgressBar1->setToolTip(u"進行状況 "_qs + QString::number(position) + u'%');
            ProgressBar1->setAccessibleDescription(ProgressBar1->toolTip());
        }
        if (progressMax == 0 || progress == -1)
            StopBusy();
    };
    BrowserHost->OnDocumentComplete = [this](TWebBrowser *, IDispatch *, const QString &url) {
        LogLine(u"Document Complete:"_qs + url + u" State "_qs +
                QString::number(BrowserHost->ReadyState()) + u" Busy "_qs +
                Bool16(BrowserHost->Busy()));
        // The whole page has finished, whichever frame reported it.
        IDispatch *document = BrowserHost->Document();
        if (!document || BrowserHost->ReadyState() != READYSTATE_COMPLETE)
            return;
        StopBusy();
        CurrentZone = -1;
        void *html = nullptr;
        const bool isHtml = SUCCEEDED(document->QueryInterface(IID_IHTMLDocument2, &html));
        if (html)
            static_cast<IUnknown *>(html)->Release();
        EnablePageCommands(isHtml);
        // The page summary, the held colour and panel 0's page date are applied here.
        StatusBar1->update();
        StatusBar1->Panel(1)->update();
        StatusBar1->Panel(3)->update();
    };
    StatusBar1->installEventFilter(new TToolTipHook(this, [this](QHelpEvent &event) {
        if (!StatusBar1->rect().contains(event.pos()))
            return;
        std::vector<int> widths;
        for (int i = 0; i < StatusBar1->PanelCount(); ++i)
            widths.push_back(StatusBar1->Panel(i)->Width());
        std::string hint;
        if (zonedisplay::PanelHint(zonedisplay::PanelAt(widths, event.pos().x()),
                                   PageDateText.toStdString(), SecurityCategories,
                                   StatusBar1->Panel(2)->Text().toStdString(), hint))
            StatusBar1->setToolTip(QString::fromStdString(hint));
        QToolTip::showText(event.globalPos(), StatusBar1->toolTip(), StatusBar1);
    }));
    StatusBar1->Panel(3)->OnDrawPanel = [this](QPainter &p, const QRect &r) {
        DrawZonePanel(p, r);
    };
    StatusBar1->Panel(1)->OnDrawPanel = [this](QPainter &p, const QRect &r) {
        DrawCategoryPanel(p, r);
    };
}

void TForm1::ShowStatusBar(bool visible) {
    StatusBar1->setVisible(visible);
    StatusBar3->setChecked(visible);
    MainIniWriter->WriteBool("Window", "StatusBar", visible);
}

void TForm1::EnablePageCommands(bool enabled) {
    for (QAction *command : {X1->menuAction(), D2->menuAction(), C1, A1->menuAction(), ToolButton19,
                             btnChangeTable, btnChangeTableColor, btnColorPin, btnHoldColor})
        command->setEnabled(enabled);
}
