// TForm1: the main menu and the pop-up menus, one function per menu.

#include "app/ImageList.h"
#include "app/LayoutItems.h"
#include "app/Main.h"

#include <QActionGroup>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr TItemState Disabled{.Enabled = false};
constexpr TItemState CheckItem{.Checkable = true};

QMenu *AddMainMenu(QMenuBar *bar, const char *name, const QString &caption) {
    auto *menu = new QMenu(caption, bar);
    menu->setObjectName(QString::fromLatin1(name));
    bar->addMenu(menu);
    return menu;
}

// A radio item of `group`; the group's exclusivity lets no item or one item be checked.
QAction *AddRadioItem(QMenu *menu, QActionGroup *group, const char *name, const QString &caption,
                      bool enabled = true) {
    QAction *action = AddItem(menu, name, caption, {.Enabled = enabled, .Checkable = true});
    group->addAction(action);
    return action;
}

// A colour swatch of the list's size: a dark frame around the colour 0xRRGGBB.
QIcon Swatch(const QSize &size, int rgb) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.setBrush(QColor::fromRgb(static_cast<QRgb>(rgb)));
    painter.drawRect(QRect(QPoint(1, 1), size - QSize(3, 3)));
    return QIcon(pixmap);
}

} // namespace

void TForm1::LayoutFileMenu() {
    File1 = AddMainMenu(MainMenu1, "File1", u"ファイル(&F)"_qs);
    New2 = AddItem(File1, "New2", u"新規作成(&N)"_qs);
    Open2 = AddItem(File1, "Open2", u"開く(&O)..."_qs);
    Save2 = AddItem(File1, "Save2", u"上書き保存(&S)"_qs, Disabled);
    SaveAs2 = AddItem(File1, "SaveAs2", u"名前を付けて保存(&A)..."_qs);
    AddSeparator(File1, "N1");
    PrintSetup2 = AddItem(File1, "PrintSetup2", u"ページ設定(&U)..."_qs);
    Print2 = AddItem(File1, "Print2", u"印刷(&P)..."_qs);
    PrintPreview = AddItem(File1, "PrintPreview", u"印刷プレビュー(&V)..."_qs);
    AddSeparator(File1, "N2");
    Send2 = AddItem(File1, "Send2", u"送信(&E)"_qs, Disabled);
    OffLineMenu = AddItem(File1, "OffLineMenu", u"オフライン作業(&W)"_qs, CheckItem);
    ImportExport2 =
        AddItem(File1, "ImportExport2", u"インポートおよびエクスポート(&I)"_qs, Disabled);
    AddSeparator(File1, "N3");
    Property2 = AddItem(File1, "Property2", u"プロパティ(&R)"_qs);
    Close2 = AddItem(File1, "Close2", u"閉じる(&C)"_qs);
}

void TForm1::LayoutEditMenu() {
    Edit3 = AddMainMenu(MainMenu1, "Edit3", u"編集(&E)"_qs);
    Cut2 = AddItem(Edit3, "Cut2", u"切り取り(&T)"_qs, Disabled);
    Copy2 = AddItem(Edit3, "Copy2", u"コピー(&C)"_qs);
    Paste2 = AddItem(Edit3, "Paste2", u"貼り付け(&X)"_qs, Disabled);
    AddSeparator(Edit3, "N4");
    SelectAll2 = AddItem(Edit3, "SelectAll2", u"すべて選択(&A)"_qs);
    AddSeparator(Edit3, "N5");
    F3 = AddItem(Edit3, "F3", u"このページの検索(&F)..."_qs);
}

void TForm1::LayoutViewMenu() {
    Show1 = AddMainMenu(MainMenu1, "Show1", u"表示(&V)"_qs);
    ToolBarMenu1 = AddItem(Show1, "ToolBarMenu1", u"ツールバー(&T)"_qs, Disabled);
    StatusBar3 = AddItem(Show1, "StatusBar3", u"ステータス バー(&B)"_qs,
                         {.Checkable = true, .Checked = true});
    ExplorerBar1 = AddItem(Show1, "ExplorerBar1", u"エクスプローラ バー(&E)"_qs, Disabled);
    AddSeparator(Show1, "N6");
    Forward2 = AddItem(Show1, "Forward2", u"進む"_qs);
    Back2 = AddItem(Show1, "Back2", u"戻る"_qs);
    Go2 = AddItem(Show1, "Go2", u"移動(&O)"_qs);
    Stop2 = AddItem(Show1, "Stop2", u"中止(&P)"_qs);
    Refresh2 = AddItem(Show1, "Refresh2", u"最新情報に更新(&R)"_qs);
    AddSeparator(Show1, "N7");
    LayoutTextSizeMenu();
    LayoutEncodingMenu();
    AddSeparator(Show1, "N8");
    C1 = AddItem(Show1, "C1", u"ソース(&C)"_qs);
    ScriptDebugger1 = AddItem(Show1, "ScriptDebugger1", u"スクリプト デバッガ(&U)"_qs, Disabled);
    FullScreen1 = AddItem(Show1, "FullScreen1", u"全画面表示(&F)"_qs, Disabled);
    AddSeparator(Show1, "N9");
    // Start-up appends copies of the colour pop-up's items after the separator.
    A1 = AddSubMenu(Show1, "A1", u"背景の変更(&A)"_qs);
    AddSeparator(A1, "N10");
    btnHoldColor = AddItem(Show1, "btnHoldColor", u"自動的に適応(&H)"_qs, CheckItem);
    btnChangeTable = AddItem(Show1, "btnChangeTable", u"テーブルも適応(&T)"_qs, CheckItem);
}

// Text sizes, largest first; the tag gives the engine's zoom level as 4 - tag.
void TForm1::LayoutTextSizeMenu() {
    X1 = AddSubMenu(Show1, "X1", u"文字のサイズ(&X)"_qs);
    auto *group = new QActionGroup(X1);
    const struct {
        const char *Name;
        QString Caption;
    } sizes[] = {{"G2", u"最大(&G)"_qs},
                 {"L1", u"大(&L)"_qs},
                 {"M1", u"中(&M)"_qs},
                 {"S1", u"小(&S)"_qs},
                 {"A2", u"最小(&A)"_qs}};
    int tag = 0;
    for (const auto &size : sizes)
        AddRadioItem(X1, group, size.Name, size.Caption)->setData(tag++);
}

// Encodings; an item's hint is the charset it gives the document.
void TForm1::LayoutEncodingMenu() {
    D2 = AddSubMenu(Show1, "D2", u"エンコード(&D)"_qs);
    auto *group = new QActionGroup(D2);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    AddRadioItem(D2, group, "Auto1", u"自動選択"_qs, false);
    AddSeparator(D2, "N11");
    AddRadioItem(D2, group, "JapaneseAuto1", u"日本語(自動選択)"_qs, false);
    AddRadioItem(D2, group, "EUC1", u"日本語(EUC)"_qs)->setToolTip(u"euc-jp"_qs);
    AddItem(D2, "JIS1", u"日本語(iso-2022-jp)"_qs)->setToolTip(u"iso-2022-jp"_qs);
    AddRadioItem(D2, group, "SJIS1", u"日本語(シフト JIS)"_qs)->setToolTip(u"shift_jis"_qs);
    AddRadioItem(D2, group, "ISO1", u"西ヨーロッパ言語(ISO)"_qs)->setToolTip(u"iso-8859-1"_qs);
}

// The favorites entry has no items: a click pops up PopupMenu5.
void TForm1::LayoutFavoritesItem() {
    Favorite1 = NewAction(MainMenu1, "Favorite1", u"お気に入り(&A)"_qs);
    MainMenu1->addAction(Favorite1);
}

void TForm1::LayoutToolsMenu() {
    Tools1 = AddMainMenu(MainMenu1, "Tools1", u"ツール(&T)"_qs);
    AddItem(Tools1, "MailNews1", u"メールとﾆｭｰｽ(&M)"_qs, Disabled);
    AddItem(Tools1, "Synchronize1", u"同期(&S)..."_qs, Disabled);
    AddItem(Tools1, "WindowsUpdate1", u"Windows Update(&U)"_qs, Disabled);
    // Extension entries go between these two separators, which stay two lines when adjacent.
    Tools1->setSeparatorsCollapsible(false);
    AddSeparator(Tools1, "N13");
    AddSeparator(Tools1, "N14");
    O1 = AddItem(Tools1, "O1", u"インターネット オプション(&O)..."_qs);
    LocalBrowse1 = AddItem(Tools1, "LocalBrowse1", u"ローカル閲覧設定(&L)..."_qs);
}

void TForm1::LayoutHelpMenu() {
    Help1 = AddMainMenu(MainMenu1, "Help1", u"ヘルプ(&H)"_qs);
    About1 = AddItem(Help1, "About1", u"バージョン情報(&A)..."_qs);
}

// The colour pop-up: choose, undo, then the fixed colours, each carrying 0xRRGGBB as its data
// and showing its swatch of imgMenu4.
void TForm1::LayoutColourPopup() {
    pmMenu4 = new QMenu(this);
    pmMenu4->setObjectName(u"pmMenu4"_qs);
    imgMenu4 = new TImageList(QSize(16, 16), this);
    imgMenu4->setObjectName(u"imgMenu4"_qs);
    AddItem(pmMenu4, "S2", u"選択(&S)..."_qs);
    AddItem(pmMenu4, "Undo1", u"元に戻す"_qs);
    const struct {
        const char *Name;
        QString Caption;
        int Colour;
    } colours[] = {{"miColor_White", u"白(&W)"_qs, 0xFFFFFF},
                   {"MenuItem1", u"黒(&C)"_qs, 0x000000},
                   {"R1", u"赤(&R)"_qs, 0xFF0000},
                   {"Y1", u"黄(&Y)"_qs, 0xFFFF00},
                   {"B1", u"青(&B)"_qs, 0x0000FF},
                   {"G1", u"灰(&G)"_qs, 0x888888},
                   {"N12", u"緑(&L)"_qs, 0x00FF00}};
    for (const auto &colour : colours) {
        QAction *item = AddItem(pmMenu4, colour.Name, colour.Caption);
        item->setData(colour.Colour);
        item->setIcon(imgMenu4->At(imgMenu4->Add(Swatch(imgMenu4->Size(), colour.Colour))));
    }
    PopupMenu5 = new QMenu(this);
    PopupMenu5->setObjectName(u"PopupMenu5"_qs);
    historyMenu = new QMenu(this);
    historyMenu->setObjectName(u"historyMenu"_qs);
}
