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

} // namespace

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
        // The log window's security list gets the action here once that window exists.
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
        // Busy display: the progress bar over panel 1; the message strip is emptied.
        ProgressBar1->setValue(0);
        ProgressBar1->setVisible(true);
        txtMessage->clear();
        txtMessage->setVisible(false);
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
        if (StatusBar1->isVisibleTo(this))
            StatusBar1->Panel(2)->SetText(text);
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
            txtMessage->setFixedWidth(Panel1->width());
            txtMessage->setText(message);
            txtMessage->setVisible(!message.isEmpty());
            result = 1;
        }
        if (AppOption->DebugEnable())
            LogLine(message);
    };
    // The page asks for the window's bars.
    BrowserHost->OnToolBar = [this](TWebBrowser *, bool visible) {
        for (QToolBar *band : {ToolBar3, CoolBand2, ToolBar2, ToolBar1})
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
        LogLine(u"Progress: "_qs + QString::number(progress) + u'/' + QString::number(progressMax));
        if (progressMax != 0 && progressMax >= progress) {
            const int position = int(qint64(progress) * ProgressBar1->maximum() / progressMax);
            ProgressBar1->setValue(position);
            ProgressBar1->setToolTip(u"進行状況 "_qs + QString::number(position) + u'%');
        }
        if (progressMax == 0 || progress == -1)
            ProgressBar1->setVisible(false); // busy display ends
    };
    BrowserHost->OnDocumentComplete = [this](TWebBrowser *, IDispatch *pDisp, const QString &url) {
        LogLine(u"DocumentComplete: "_qs + url);
        // The whole page has finished, whichever frame reported it.
        if (BrowserHost->ReadyState() != READYSTATE_COMPLETE && !IsTopLevel(pDisp))
            return;
        ProgressBar1->setVisible(false);
        CurrentZone = -1;
        // The page commands follow the document's kind once the engine offers the document.
        if (IDispatch *document = BrowserHost->Document()) {
            void *html = nullptr;
            const bool isHtml = SUCCEEDED(document->QueryInterface(IID_IHTMLDocument2, &html));
            if (html)
                static_cast<IUnknown *>(html)->Release();
            EnablePageCommands(isHtml);
        }
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
