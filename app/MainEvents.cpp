// TForm1: the browser host control's events — page state, captions, address box, status text,
// progress, the bars the page asks for and its message boxes.

#include "app/Main.h"

#include "app/MainUnit.h"
#include "app/StatusPanels.h"
#include "host/WebBrowserSecure.h"
#include "options/OptionKey.h"
#include "options/appoption.h"
#include "platform/engine/EngineConstants.h"
#include "platform/engine/HtmlInterfaces.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QToolBar>

#include <cstdio>
#include <functional>

namespace {

// A 16-bit boolean of the engine as the log writes it.
QString Bool16(bool value) {
    return value ? u"-1"_qs : u"0"_qs;
}

} // namespace

// Every handler once, in the order the host's events are listed; the accelerator is wired later,
// after the user agent is set (FormCreate).
void TForm1::WireBrowserEvents() {
    BrowserHost->OnShowMessage = std::bind_front(&TForm1::WebBrowser1ShowMessage, this);
    BrowserHost->OnProcessUrlAction = std::bind_front(&TForm1::WebBrowser1ProcessUrlAction, this);
    BrowserHost->OnGetSecurityId = std::bind_front(&TForm1::WebBrowser1GetSecurityId, this);
    BrowserHost->OnMapUrlToZone = std::bind_front(&TForm1::WebBrowser1MapUrlToZone, this);
    BrowserHost->OnFileDownload = std::bind_front(&TForm1::WebBrowser1FileDownload, this);
    BrowserHost->OnBeforeNavigate2 = std::bind_front(&TForm1::WebBrowser1BeforeNavigate2, this);
    BrowserHost->OnDocumentComplete = std::bind_front(&TForm1::WebBrowser1DocumentComplete, this);
    BrowserHost->OnNavigateComplete2 = std::bind_front(&TForm1::WebBrowser1NavigateComplete2, this);
    BrowserHost->OnDownloadBegin = std::bind_front(&TForm1::WebBrowser1DownloadBegin, this);
    BrowserHost->OnDownloadComplete = std::bind_front(&TForm1::WebBrowser1DownloadComplete, this);
    BrowserHost->OnStatusTextChange = std::bind_front(&TForm1::WebBrowser1StatusTextChange, this);
    BrowserHost->OnTitleChange = std::bind_front(&TForm1::WebBrowser1TitleChange, this);
    BrowserHost->OnProgressChange = std::bind_front(&TForm1::WebBrowser1ProgressChange, this);
    BrowserHost->OnPropertyChange = std::bind_front(&TForm1::WebBrowser1PropertyChange, this);
    BrowserHost->OnCommandStateChange =
        std::bind_front(&TForm1::WebBrowser1CommandStateChange, this);
    BrowserHost->OnToolBar = std::bind_front(&TForm1::WebBrowser1ToolBar, this);
    BrowserHost->OnStatusBar = std::bind_front(&TForm1::WebBrowser1StatusBar, this);
    BrowserHost->OnMenuBar = std::bind_front(&TForm1::WebBrowser1MenuBar, this);
}

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

// OK-only page messages go to the message strip when the option asks for it.
void TForm1::WebBrowser1ShowMessage(TWebBrowserSecure *, HWND, LPOLESTR lpstrText, LPOLESTR,
                                    DWORD dwType, LPOLESTR, DWORD, LRESULT &plResult,
                                    bool &handled) {
    const QString message = lpstrText ? QString::fromUtf16(lpstrText) : QString();
    if (!AppOption->ShowMessage() && (dwType & MB_TYPEMASK) == MB_OK) {
        handled = true;
        // The strip lies in Panel1's layout, which gives it Panel1's width.
        txtMessage->setText(message);
        txtMessage->setVisible(!message.isEmpty());
        plResult = IDOK;
    }
    if (AppOption->DebugEnable())
        LogLine(message);
}

void TForm1::WebBrowser1FileDownload(TWebBrowserSecure *, VARIANT_BOOL &, VARIANT_BOOL &) {}

void TForm1::WebBrowser1BeforeNavigate2(TWebBrowser *, IDispatch *pDisp, const QString &URL, LONG,
                                        const QString &, const QByteArray &, const QString &,
                                        bool &) {
    LogLine(u"Before Navi"_qs + URL);
    if (!IsTopLevel(pDisp))
        return;
    StartBusy();
    TPageState::Reset();
    SetPanelText(spPageDate, QString());
    StatusBar1->update();
}

void TForm1::WebBrowser1DocumentComplete(TWebBrowser *, IDispatch *, const QString &URL) {
    LogLine(u"Document Complete:"_qs + URL + u" State "_qs +
            QString::number(BrowserHost->ReadyState()) + u" Busy "_qs +
            Bool16(BrowserHost->Busy()));
    // The whole page has finished, whichever frame reported it.
    IDispatch *document = BrowserHost->Document();
    if (!document || BrowserHost->ReadyState() != READYSTATE_COMPLETE)
        return;
    StopBusy();
    CurrentZone = -1;
    ComPtr<engine::IHTMLDocument2> html;
    EnablePageCommands(SUCCEEDED(ComPtr<IDispatch>(document).As(html)));
    // The page summary, the held colour and panel 0's page date are applied here.
    StatusBar1->update();
    StatusBar1->Panel(spCategories)->update();
    StatusBar1->Panel(spZone)->update();
}

// The address box shows the top-level page's location, also when a frame reports.
void TForm1::WebBrowser1NavigateComplete2(TWebBrowser *, IDispatch *, const QString &URL) {
    LogLine(u"Navi Complete:"_qs + URL);
    ComboBox1->setEditText(BrowserHost->LocationURL());
}

void TForm1::WebBrowser1DownloadBegin(TWebBrowser *) {
    LogLine(u"Download begin "_qs + QString::number(BrowserHost->ReadyState()));
}

void TForm1::WebBrowser1DownloadComplete(TWebBrowser *) {
    LogLine(u"Download Comlete "_qs + BrowserHost->LocationURL() +
            QString::number(BrowserHost->ReadyState()) + u' ' + Bool16(BrowserHost->Busy()));
}

void TForm1::WebBrowser1StatusTextChange(TWebBrowser *, const QString &Text) {
    if (StatusBar1->isVisibleTo(this))
        SetPanelText(spStatusText, Text);
}

void TForm1::WebBrowser1TitleChange(TWebBrowser *, const QString &Text) {
    setWindowTitle(Text);
    QApplication::setApplicationName(Text);
    const QString location = BrowserHost->LocationURL();
    LogLine(u"Title Change "_qs + location + BrowserHost->LocationName());
    LogLine(u"   TITLE="_qs + Text);
    if (location.isEmpty())
        return;
    if (CurrentZone == -1)
        CurrentZone = ZoneForUrl(location);
    StatusBar1->update();
    StatusBar1->Panel(spZone)->update();
    RecordVisit(location);
}

void TForm1::WebBrowser1ProgressChange(TWebBrowser *, LONG Progress, LONG ProgressMax) {
    LogLine(u"Progress: "_qs + QString::number(Progress) + u'/' + QString::number(ProgressMax) +
            u"State="_qs + QString::number(BrowserHost->ReadyState()));
    if (ProgressMax != 0 && ProgressMax >= Progress) {
        const int position = int(qint64(Progress) * ProgressBar1->maximum() / ProgressMax);
        ProgressBar1->setValue(position);
        ProgressBar1->setToolTip(u"進行状況 "_qs + QString::number(position) + u'%');
        ProgressBar1->setAccessibleDescription(ProgressBar1->toolTip());
    }
    if (ProgressMax == 0 || Progress == -1)
        StopBusy();
}

void TForm1::WebBrowser1PropertyChange(TWebBrowser *, const QString &szProperty) {
    LogLine(u"Prop: "_qs + szProperty);
}

// The page asks for the window's bars; the cool bar's hidden bands stay hidden.
void TForm1::WebBrowser1ToolBar(TWebBrowser *, bool Visible) {
    for (QToolBar *band : {ToolBar3, CoolBand2, ToolBar1})
        band->setVisible(Visible);
}

void TForm1::WebBrowser1StatusBar(TWebBrowser *, bool Visible) {
    StatusBar1->setVisible(Visible);
    StatusBar3->setChecked(Visible);
    optionkey::StatusBar.Write(*MainIniWriter, Visible);
}

void TForm1::WebBrowser1MenuBar(TWebBrowser *, bool Visible) {
    MainMenu1->setVisible(Visible);
}

void TForm1::Show1Click() {
    StatusBar3->setChecked(StatusBar1->isVisibleTo(this));
}

void TForm1::StatusBar3Click(bool checked) {
    WebBrowser1StatusBar(BrowserHost, checked);
}

void TForm1::EnablePageCommands(bool enabled) {
    for (QAction *command : {X1->menuAction(), D2->menuAction(), C1, A1->menuAction(), ToolButton19,
                             btnChangeTable, btnChangeTableColor, btnColorPin, btnHoldColor})
        command->setEnabled(enabled);
}
