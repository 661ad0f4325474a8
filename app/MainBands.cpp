// TForm1: the cool bar's bands, top to bottom, as tool bars.

#include "app/LayoutItems.h"
#include "app/Main.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QToolButton>

namespace {

constexpr TItemState CheckButton{.Checkable = true};
constexpr TItemState Hidden{.Visible = false};

QToolBar *AddBand(QMainWindow *window, const char *name) {
    auto *band = new QToolBar(window);
    band->setObjectName(QString::fromLatin1(name));
    band->setFloatable(false);
    band->setIconSize(QSize(20, 20));
    window->addToolBar(Qt::TopToolBarArea, band);
    return band;
}

// A tool bar button: an action of the band with an optional icon and hint.
QAction *AddButton(QToolBar *band, const char *name, const QString &caption,
                   const QString &hint = {}, const QString &icon = {},
                   const TItemState &state = {}) {
    QAction *action = NewAction(band, name, caption, state);
    if (!icon.isEmpty())
        action->setIcon(QIcon(icon));
    action->setToolTip(hint.isEmpty() ? caption : hint);
    band->addAction(action);
    return action;
}

void SetPopup(QToolBar *band, QAction *button, QMenu *menu, QToolButton::ToolButtonPopupMode mode) {
    button->setMenu(menu);
    if (auto *toolButton = qobject_cast<QToolButton *>(band->widgetForAction(button)))
        toolButton->setPopupMode(mode);
}

} // namespace

// Band 1: background colours. The colour button only drops down pmMenu4.
void TForm1::LayoutColourBand() {
    ToolBar3 = AddBand(this, "ToolBar3");
    ToolBar3->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolButton19 =
        AddButton(ToolBar3, "ToolButton19", {}, u"背景色の変更"_qs, u":/icons/colour.svg"_qs);
    SetPopup(ToolBar3, ToolButton19, pmMenu4, QToolButton::InstantPopup);
    ToolButton20 = AddButton(ToolBar3, "ToolButton20", {}, u"背景の表示"_qs, {},
                             {.Checkable = true, .Visible = false});
    btnColorPin = AddButton(ToolBar3, "btnColorPin", u"色をとめる"_qs, u"自動的に適用します"_qs, {},
                            CheckButton);
    btnChangeTableColor = AddButton(ToolBar3, "btnChangeTableColor", u"Table"_qs,
                                    u"Table要素も変更します"_qs, {}, CheckButton);
}

// Band 2: the address box under its label.
void TForm1::LayoutAddressBand() {
    CoolBand2 = AddBand(this, "CoolBand2");
    Label1 = new QLabel(u"アドレス(D)"_qs, CoolBand2);
    Label1->setObjectName(u"Label1"_qs);
    Label1->setContentsMargins(4, 0, 4, 0);
    CoolBand2->addWidget(Label1);
    ComboBox1 = new QComboBox(CoolBand2);
    ComboBox1->setObjectName(u"ComboBox1"_qs);
    ComboBox1->setEditable(true);
    // The list is kept by the visited-address recording, newest first; Enter adds nothing.
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setToolTip(u"アドレス"_qs);
    ComboBox1->setMinimumWidth(100);
    ComboBox1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    ComboBox1->setEditText(u"about:blank"_qs);
    Label1->setBuddy(ComboBox1);
    CoolBand2->addWidget(ComboBox1);
}

// Band 3: developer buttons; nothing shows this band.
void TForm1::LayoutDeveloperBand() {
    ToolBar2 = AddBand(this, "ToolBar2");
    ToolBar2->setToolButtonStyle(Qt::ToolButtonTextOnly);
    AddButton(ToolBar2, "ToolButton11", u"OffLine"_qs);
    AddButton(ToolBar2, "ToolButton18", u"オプション"_qs);
    AddButton(ToolBar2, "ToolButton26", u"テスト"_qs);
    AddButton(ToolBar2, "ToolButton4", u"CMD"_qs);
    AddButton(ToolBar2, "ToolButton5", u"OCMD"_qs);
    for (auto [edit, name] : {std::pair{&Edit1, "Edit1"}, std::pair{&Edit2, "Edit2"}}) {
        *edit = new QLineEdit(u"1"_qs, ToolBar2);
        (*edit)->setObjectName(QString::fromLatin1(name));
        (*edit)->setFixedWidth(32);
        ToolBar2->addWidget(*edit);
    }
    AddButton(ToolBar2, "ToolButton3", u"メニューExt"_qs);
    AddButton(ToolBar2, "ToolButton6", {});
    AddButton(ToolBar2, "ToolButton7", {});
    ToolBar2->setVisible(false);
}

// Band 4: the busy animation, hidden.
void TForm1::LayoutAnimationBand() {
    CoolBand4 = AddBand(this, "CoolBand4");
    Animate1 = new QLabel(CoolBand4);
    Animate1->setObjectName(u"Animate1"_qs);
    Animate1->setFixedSize(20, 20);
    CoolBand4->addWidget(Animate1);
    CoolBand4->setVisible(false);
}

// Band 5: navigation, flat, captions beside 20 x 20 pictures.
void TForm1::LayoutMainToolBar() {
    addToolBarBreak(Qt::TopToolBarArea);
    ToolBar1 = AddBand(this, "ToolBar1");
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolButton9 =
        AddButton(ToolBar1, "ToolButton9", u"Back"_qs, u"戻る"_qs, u":/icons/back.svg"_qs);
    SetPopup(ToolBar1, ToolButton9, historyMenu, QToolButton::MenuButtonPopup);
    ToolButton10 =
        AddButton(ToolBar1, "ToolButton10", u"Foward"_qs, u"進む"_qs, u":/icons/forward.svg"_qs);
    ToolButton14 = AddButton(ToolBar1, "ToolButton14", u"ホーム"_qs, {}, u":/icons/home.svg"_qs);
    ToolButton1 = AddButton(ToolBar1, "ToolButton1", u"更新"_qs, {}, u":/icons/refresh.svg"_qs);
    ToolButton2 = AddButton(ToolBar1, "ToolButton2", u"移動"_qs, {}, u":/icons/go.svg"_qs);
    ToolButton8 = AddButton(ToolBar1, "ToolButton8", u"中止"_qs, {}, u":/icons/stop.svg"_qs);
    ToolBar1->addSeparator()->setObjectName(u"ToolButton12"_qs);
    ToolButton15 = AddButton(ToolBar1, "ToolButton15", u"local"_qs, {}, {},
                             {.Checkable = true, .Visible = false});
    ToolButton16 = AddButton(ToolBar1, "ToolButton16", u"ログ"_qs, {}, {}, Hidden);
    ToolButton17 = AddButton(ToolBar1, "ToolButton17", u"オフライン"_qs, {}, {}, Hidden);
}
