#pragma once
// Unit Main: the main window TForm1 and its layout.
//
// Every component carries its layout name as objectName(). Tool bar buttons and menu items are
// QActions (a tool bar creates the button of each action); check buttons and check items are
// checkable actions; a component's hint is its tool tip. Names this window chose where the
// layout leaves an item unnamed:
//
//   MainMenu1        the menu bar               Favorite1       "お気に入り(&A)" (menu bar item)
//   Help1, Tools1    "ヘルプ(&H)", "ツール(&T)"  Save2, Send2    "上書き保存(&S)", "送信(&E)"
//   ImportExport2    "インポートおよび…(&I)"     ToolBarMenu1    "ツールバー(&T)"
//   ExplorerBar1     "エクスプローラ バー(&E)"   Forward2, Back2 "進む", "戻る"
//   Go2, Stop2       "移動(&O)", "中止(&P)"     Refresh2        "最新情報に更新(&R)"
//   ScriptDebugger1  "スクリプト デバッガ(&U)"   FullScreen1     "全画面表示(&F)"
//   G2 L1 M1 S1 A2   text sizes, largest first   Auto1           "自動選択"
//   JapaneseAuto1    "日本語(自動選択)"           EUC1 JIS1 SJIS1 the Japanese encodings
//   MailNews1        "メールとﾆｭｰｽ(&M)"          Synchronize1    "同期(&S)..."
//   WindowsUpdate1   "Windows Update(&U)"       LocalBrowse1    "ローカル閲覧設定(&L)..."
//   N1 … N14         separators (N12 is the green colour item, so no separator takes it)
//   CoolBand2        address band               Label1          its label "アドレス(D)"
//   CoolBand4        band of Animate1           ToolButton2     "移動" (main tool bar)
//   ToolButton12     main tool bar separator    ToolButton15-17 "local", "ログ", "オフライン"
//   ToolButton11     "OffLine" (ToolBar2)       ToolButton26    "テスト" (ToolBar2)
//   BrowserHostPlaceholder  stands in Panel1 for the browser host control
//   StatusPanel0 … StatusPanel3  the panels of StatusBar1
//   imgMenu4         colour swatches of pmMenu4
//
// Handlers of the design without a member here, and why:
//
//   ApplicationEvents1Message  TKeyRouter, an event filter on the whole application (KeyRouter.h)
//   WndProc, StatusBar1Resize  TStatusBar lays out and paints its panels itself (StatusPanels.h)
//   Panel1Resize               the message strip lies in Panel1's layout and re-wraps with it
//   WebBrowser1Enter           Qt's focus chain: the control passes its focus on to the page;
//   WebBrowser1Exit            nothing is left to do when it leaves
//   FormDestroy                the Qt object tree frees the components with the window
//   WebBrowser1NewWindow2      not wired yet: a new window a page asks for is not opened
//   Undo1Click                 not wired yet: comes with the colour commands of pmMenu4

#include "app/PageState.h"
#include "app/VisitHistory.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"
#include "platform/engine/DocHost.h"
#include "platform/urlmon/SecurityManager.h"
#include "platform/urlmon/ZoneManager.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QColorDialog;
class QComboBox;
class QFileDialog;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPainter;
class QProgressBar;
class QRect;
class QTimer;
class QToolBar;
class TImageList;
class TKeyRouter;
class TLocalBrowseSettings;
class TStatusBar;
class TWebBrowser;
class TWebBrowserSecure;

// The main window. Components are owned by the Qt object tree; the pointers below only name them.
class TForm1 final : public QMainWindow, private TPageState {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    TForm1(const TForm1 &) = delete;
    TForm1 &operator=(const TForm1 &) = delete;
    ~TForm1() override;

    static constexpr int LayoutWidth = 684;
    static constexpr int LayoutHeight = 535;

    // Menus.
    QMenuBar *MainMenu1 = nullptr;
    QMenu *File1 = nullptr, *Edit3 = nullptr, *Show1 = nullptr, *Tools1 = nullptr, *Help1 = nullptr;
    QAction *Favorite1 = nullptr;
    QAction *New2 = nullptr, *Open2 = nullptr, *Save2 = nullptr, *SaveAs2 = nullptr,
            *PrintSetup2 = nullptr, *Print2 = nullptr, *PrintPreview = nullptr, *Send2 = nullptr,
            *OffLineMenu = nullptr, *ImportExport2 = nullptr, *Property2 = nullptr,
            *Close2 = nullptr;
    QAction *Cut2 = nullptr, *Copy2 = nullptr, *Paste2 = nullptr, *SelectAll2 = nullptr,
            *F3 = nullptr;
    QAction *ToolBarMenu1 = nullptr, *StatusBar3 = nullptr, *ExplorerBar1 = nullptr,
            *Forward2 = nullptr, *Back2 = nullptr, *Go2 = nullptr, *Stop2 = nullptr,
            *Refresh2 = nullptr, *C1 = nullptr, *ScriptDebugger1 = nullptr, *FullScreen1 = nullptr,
            *btnHoldColor = nullptr, *btnChangeTable = nullptr;
    QMenu *X1 = nullptr, *D2 = nullptr, *A1 = nullptr;
    QAction *O1 = nullptr, *LocalBrowse1 = nullptr, *About1 = nullptr;

    // Pop-up menus.
    QMenu *pmMenu4 = nullptr, *PopupMenu5 = nullptr, *historyMenu = nullptr;

    // Cool bar bands, top to bottom.
    QToolBar *ToolBar3 = nullptr, *CoolBand2 = nullptr, *ToolBar2 = nullptr, *CoolBand4 = nullptr,
             *ToolBar1 = nullptr;
    QAction *ToolButton19 = nullptr, *ToolButton20 = nullptr, *btnColorPin = nullptr,
            *btnChangeTableColor = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr;
    QLabel *Animate1 = nullptr;
    QAction *ToolButton9 = nullptr, *ToolButton10 = nullptr, *ToolButton14 = nullptr,
            *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton8 = nullptr,
            *ToolButton15 = nullptr, *ToolButton16 = nullptr, *ToolButton17 = nullptr;

    // Client area and status bar.
    QWidget *Panel1 = nullptr;
    // Stands where the browser host control goes: Panel1->layout()->replaceWidget(...).
    QWidget *BrowserHostPlaceholder = nullptr;
    QLabel *txtMessage = nullptr;
    TStatusBar *StatusBar1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;

    // Non-visual components.
    QTimer *Timer1 = nullptr;
    QFileDialog *OpenDialog1 = nullptr;
    QColorDialog *ColorDialog1 = nullptr;
    TImageList *imgMenu4 = nullptr, *imgSecurityZone = nullptr, *SecurityImage = nullptr;

    // StatusBar1's panels, left to right.
    enum TPanelIndex : int { spPageDate = 0, spCategories = 1, spStatusText = 2, spZone = 3 };

    // --- Start-up (MainStartup.cpp) ------------------------------------------------------------
    // The window's creation: the browser host, its events, the settings, the zone list and the
    // command line (arguments without the program name; automation: no navigation).
    void FormCreate(const QStringList &arguments, bool automation = false);
    // "新規作成(&N)": another process of this program without arguments.
    void New2Click();
    // Starts file with parameters and does not wait for it. False when it cannot start.
    bool LaunchProgram(const QString &file, const QStringList &parameters = {});

    TWebBrowserSecure *BrowserHost = nullptr; // child of Panel1
    ComPtr<IUnknown> BrowserIdentity;
    // The platform's own managers, created without a site: the zone policy and the zone display
    // ask SecurityManager, so its answers never come back to this window's handlers.
    ComPtr<IInternetSecurityManager> SecurityManager;
    ComPtr<IInternetZoneManager> ZoneManager;
    QStringList ZoneNames;
    int UnknownZoneIndex = -1;

    // --- Navigation commands and the address box (MainNavigation.cpp) -------------------------
    // Each command is one call on the engine; addresses go to it unchanged. A call that fails
    // reaches the application's error display.
    void Button2Click();      // Go: the address box text; nothing without BrowserHost
    void ToolButton9Click();  // Back
    void ToolButton10Click(); // Forward
    void ToolButton14Click(); // Home: the engine's home page
    void ToolButton1Click();  // Refresh: the page state reset; a complete reload while Ctrl is held
    void ToolButton8Click();  // Stop: only while the engine is busy
    // A history menu item was chosen: HistoryPos := its index, Navigate2 to its address.
    void HistoryItemClick(QAction *item);
    // The page at url reported its title: the address box list, the history and its menu.
    void RecordVisit(const QString &url);
    // Keys the window sees before its widgets (TKeyRouter): Alt+D anywhere focuses the address
    // box; in the address box Enter runs Go and Tab moves the focus into the page.
    void FormKeyDown(const QKeyEvent &key, bool &handled);
    void ComboBox1KeyDown(const QKeyEvent &key, bool &handled);
    const TVisitHistory &Visits() const { return FVisits; }

    // --- The host control's events, wired by WireBrowserEvents in this order -------------------
    void WebBrowser1ShowMessage(TWebBrowserSecure *Sender, HWND hwnd, LPOLESTR lpstrText,
                                LPOLESTR lpstrCaption, DWORD dwType, LPOLESTR lpstrHelpFile,
                                DWORD dwHelpContext, LRESULT &plResult, bool &handled);
    // The zone policy of local references (MainZonePolicy.cpp).
    HRESULT WebBrowser1ProcessUrlAction(TWebBrowserSecure *Sender, const QString &Url, DWORD Action,
                                        BYTE *pPolicy, DWORD cbPolicy, BYTE *pContext,
                                        DWORD cbContext, DWORD dwFlags, DWORD dwReserved,
                                        bool &handled);
    HRESULT WebBrowser1GetSecurityId(TWebBrowserSecure *Sender, LPCWSTR pwszUrl, BYTE *pbSecurityId,
                                     DWORD &cbSecurityId, DWORD_PTR dwReserved, bool &handled);
    HRESULT WebBrowser1MapUrlToZone(TWebBrowserSecure *Sender, LPCWSTR pwszUrl, DWORD &dwZone,
                                    DWORD dwFlags, bool &handled);
    void WebBrowser1FileDownload(TWebBrowserSecure *Sender, VARIANT_BOOL &ActiveDocument,
                                 VARIANT_BOOL &Cancel);
    void WebBrowser1BeforeNavigate2(TWebBrowser *Sender, IDispatch *pDisp, const QString &URL,
                                    LONG Flags, const QString &TargetFrameName,
                                    const QByteArray &PostData, const QString &Headers,
                                    bool &Cancel);
    void WebBrowser1DocumentComplete(TWebBrowser *Sender, IDispatch *pDisp, const QString &URL);
    void WebBrowser1NavigateComplete2(TWebBrowser *Sender, IDispatch *pDisp, const QString &URL);
    void WebBrowser1DownloadBegin(TWebBrowser *Sender);
    void WebBrowser1DownloadComplete(TWebBrowser *Sender);
    void WebBrowser1StatusTextChange(TWebBrowser *Sender, const QString &Text);
    // Captions, log, the zone of the page and, once the page has a location, the visit.
    void WebBrowser1TitleChange(TWebBrowser *Sender, const QString &Text);
    void WebBrowser1ProgressChange(TWebBrowser *Sender, LONG Progress, LONG ProgressMax);
    void WebBrowser1PropertyChange(TWebBrowser *Sender, const QString &szProperty);
    // Back and forward enabling (MainNavigation.cpp).
    void WebBrowser1CommandStateChange(TWebBrowser *Sender, LONG Command, bool Enable);
    void WebBrowser1ToolBar(TWebBrowser *Sender, bool Visible);
    // Shows or hides the status bar, checks its View menu item and stores "Window"/"StatusBar".
    void WebBrowser1StatusBar(TWebBrowser *Sender, bool Visible);
    void WebBrowser1MenuBar(TWebBrowser *Sender, bool Visible);
    // Wired after the user agent is set: Alt+D while the page has the focus (MainNavigation.cpp).
    void WebBrowser1Accelerator(TWebBrowserSecure *Sender, const MSG &lpMsg,
                                const GUID &pguidCmdGroup, DWORD nCmdID, bool &Done);

    // --- Progress, status text and the log ------------------------------------------------------
    // Writes a line to the log window when it exists (and to stderr with QUILLMERE_EVENT_LOG
    // set), then hands it to DebugTrace.
    void LogLine(const QString &text);
    // The busy display: the progress bar over panel 1, the message strip emptied and hidden.
    void StartBusy();
    void StopBusy();
    QObject *Form2 = nullptr; // the log window; none yet
    // Text size, encoding, source and the colour commands: only for HTML documents.
    void EnablePageCommands(bool enabled);
    // The View menu opens: its status bar item is checked as the bar is shown.
    void Show1Click();
    // "ステータス バー(&B)", already toggled: the bar follows its check mark.
    void StatusBar3Click(bool checked);

    // --- Zone policy and display ---------------------------------------------------------------
    void LoadLocalBrowseSettings();
    const TLocalBrowseSettings &LocalBrowse() const { return *FLocalBrowse; }
    // The setters write at once; an empty directory is refused (false, nothing changes).
    bool SetLocalWebDirectory(const QString &directory);
    void SetDownloadControlFlags(DWORD flags);
    void SetUseOrginalUrl(bool value);
    void SetDefaultSecurityZone(int zone);
    int ZoneForUrl(const QString &address);
    // The page state (PageState.h) is the window's own: CurrentZone, SecurityCategories and
    // PageDateText, reset together when a top-level navigation or a refresh starts.
    using TPageState::CurrentZone;
    using TPageState::PageDateText;
    using TPageState::SecurityCategories;

private:
    // The default size from the options, each side only when set.
    void CreateParams();
    void WireBrowserEvents();
    void WireCommands();
    void WireStatusBar();
    void EngineCommand(const std::function<HRESULT()> &call);
    void BuildZoneList();
    void HandleCommandLine(const QStringList &arguments);
    void RebuildHistoryMenu();
    // Alt+D: the address box becomes the active control with its text selected.
    void FocusAddressBox();
    TVisitHistory FVisits;
    TKeyRouter *FKeyRouter = nullptr; // child of this window
    bool IsTopLevel(IDispatch *dispatch) const;
    void DrawZonePanel(QPainter &painter, const QRect &rect);
    void DrawCategoryPanel(QPainter &painter, const QRect &rect);
    // Text panels 0 and 2: the text, and what assistive technology reads of the panel.
    void SetPanelText(int index, const QString &text);
    void DescribePanel(int index, const QString &shown);
    std::unique_ptr<TLocalBrowseSettings> FLocalBrowse;

    void LayoutFileMenu();
    void LayoutEditMenu();
    void LayoutViewMenu();
    void LayoutTextSizeMenu();
    void LayoutEncodingMenu();
    void LayoutFavoritesItem();
    void LayoutToolsMenu();
    void LayoutHelpMenu();
    void LayoutColourPopup();
    void LayoutColourBand();
    void LayoutAddressBand();
    void LayoutDeveloperBand();
    void LayoutAnimationBand();
    void LayoutMainToolBar();
    void LayoutClientPanel();
    void LayoutStatusBar();
    void LayoutNonVisual();
};
