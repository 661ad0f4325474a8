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

#include "app/VisitHistory.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"
#include "platform/urlmon/SecurityManager.h"
#include "platform/urlmon/ZoneManager.h"
#include "policy/ZoneDisplay.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QColorDialog;
class QComboBox;
class QFileDialog;
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
class TForm1 final : public QMainWindow {
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

    // --- Start-up and navigation ---------------------------------------------------------------
    // The window's creation: the browser host, its events, the settings, the zone list and the
    // command line (arguments without the program name; automation: no navigation).
    void FormCreate(const QStringList &arguments, bool automation = false);
    // Navigation commands: each is one call on the engine; addresses go to it unchanged. A call
    // that fails reaches the application's error display.
    void Go();     // the address box text; nothing without BrowserHost
    void GoHome(); // the engine's home page
    void GoBack();
    void GoForward();
    void Refresh(); // a complete reload while Ctrl is held
    void Stop();    // only while the engine is busy
    // A history menu item was chosen: HistoryPos := its index, Navigate2 to its address.
    void HistoryItemClick(QAction *item);
    // The page at url reported its title: the address box list, the history and its menu.
    void RecordVisit(const QString &url);
    // Back and forward enabling from the engine's command-state event.
    void CommandStateChange(LONG command, bool enable);
    // Alt+D: the address box becomes the active control with its text selected.
    void FocusAddressBox();
    // New window: another process of this program without arguments. False when it cannot start.
    bool LaunchProgram(const QString &file, const QStringList &parameters = {});
    const TVisitHistory &Visits() const { return FVisits; }

    TWebBrowserSecure *BrowserHost = nullptr; // child of Panel1
    ComPtr<IUnknown> BrowserIdentity;
    ComPtr<IInternetSecurityManager> SecurityManager;
    ComPtr<IInternetZoneManager> ZoneManager;
    QStringList ZoneNames;
    int UnknownZoneIndex = -1;

    // --- Browser events ------------------------------------------------------------------------
    void WireBrowserEvents();
    // Writes a line to the log window when it exists (and to stderr with QUILLMERE_EVENT_LOG
    // set), then hands it to DebugTrace.
    void LogLine(const QString &text);
    // The busy display: the progress bar over panel 1, the message strip emptied and hidden.
    void StartBusy();
    void StopBusy();
    QObject *Form2 = nullptr; // the log window; none yet
    // Shows or hides the status bar, checks its View menu item and stores "Window"/"StatusBar".
    void ShowStatusBar(bool visible);
    // Text size, encoding, source and the colour commands: only for HTML documents.
    void EnablePageCommands(bool enabled);

    // --- Zone policy and display -----------------------------------------------------------------
    void LoadLocalBrowseSettings();
    const TLocalBrowseSettings &LocalBrowse() const { return *FLocalBrowse; }
    // The setters write at once; an empty directory is refused (false, nothing changes).
    bool SetLocalWebDirectory(const QString &directory);
    void SetDownloadControlFlags(DWORD flags);
    void SetUseOrginalUrl(bool value);
    void SetDefaultSecurityZone(int zone);
    int ZoneForUrl(const QString &address);
    int CurrentZone = -1;
    TSecurityCategories SecurityCategories;
    QString PageDateText;

private:
    void EngineCommand(const std::function<HRESULT()> &call);
    void BuildZoneList();
    void HandleCommandLine(const QStringList &arguments);
    void WireNavigation();
    void RebuildHistoryMenu();
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
