// TForm1: the window itself, its client panel, status bar and non-visual components.

#include "app/Main.h"

#include "app/FileFilter.h"
#include "app/ImageList.h"
#include "app/StatusPanels.h"
#include "policy/LocalBrowseSettings.h"
#include "ui_MainPanel.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMenuBar>
#include <QProgressBar>
#include <QTimer>

// The icons are compiled into this static library; registering them must happen outside any
// namespace.
static void InitLayoutResources() {
    Q_INIT_RESOURCE(icons);
    Q_INIT_RESOURCE(security);
}

TForm1::TForm1(QWidget *parent) : QMainWindow(parent) {
    InitLayoutResources();
    setObjectName(u"Form1"_qs);
    setWindowTitle(u"ブラウザ"_qs);
    QFont font(u"Noto Sans CJK JP"_qs);
    font.setPixelSize(12);
    setFont(font);
    resize(LayoutWidth, LayoutHeight);

    MainMenu1 = menuBar();
    MainMenu1->setObjectName(u"MainMenu1"_qs);
    LayoutColourPopup();
    LayoutFileMenu();
    LayoutEditMenu();
    LayoutViewMenu();
    LayoutFavoritesItem();
    LayoutToolsMenu();
    LayoutHelpMenu();

    LayoutColourBand();
    LayoutAddressBand();
    LayoutDeveloperBand();
    LayoutAnimationBand();
    LayoutMainToolBar();

    LayoutClientPanel();
    LayoutStatusBar();
    LayoutNonVisual();
}

TForm1::~TForm1() = default;

// Panel1 holds the browser host control (its placeholder until then) and, below it, the
// word-wrapped message strip, hidden until a page message is shown.
void TForm1::LayoutClientPanel() {
    Panel1 = new QWidget(this);
    Ui::MainPanel panel;
    panel.setupUi(Panel1);
    BrowserHostPlaceholder = panel.BrowserHostPlaceholder;
    txtMessage = panel.txtMessage;
    setCentralWidget(Panel1);
}

// Four panels: page date, security categories (owner-drawn), status text (takes the width left
// over), zone (owner-drawn); the progress bar waits, hidden, over the categories.
void TForm1::LayoutStatusBar() {
    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(u"StatusBar1"_qs);
    StatusBar1->setToolTip(u"ステータスバー"_qs);
    using Style = TStatusPanel::TPanelStyle;
    const Style styles[] = {Style::Text, Style::OwnerDraw, Style::Text, Style::OwnerDraw};
    const int widths[] = {120, 120, 300, 120};
    for (int i = 0; i < 4; ++i)
        StatusBar1->AddPanel(widths[i], styles[i])
            ->setObjectName(u"StatusPanel"_qs + QString::number(i));
    StatusBar1->SetStretchPanel(spStatusText);
    setStatusBar(StatusBar1);

    ProgressBar1 = new QProgressBar(StatusBar1);
    ProgressBar1->setObjectName(u"ProgressBar1"_qs);
    ProgressBar1->setToolTip(u"進行状況"_qs);
    ProgressBar1->setAccessibleName(u"進行状況"_qs);
    ProgressBar1->setAccessibleDescription(u"進行状況"_qs);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setVisible(false);
    StatusBar1->PlaceOver(ProgressBar1, spCategories);
}

void TForm1::LayoutNonVisual() {
    Timer1 = new QTimer(this);
    Timer1->setObjectName(u"Timer1"_qs);
    Timer1->setInterval(100);

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(u"OpenDialog1"_qs);
    OpenDialog1->setWindowTitle(u"HTMLファイルの選択"_qs);
    OpenDialog1->setNameFilters(QtFileFilters(u"HTMLファイル|*.htm;*.html;*.shtml"_qs));
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(u"ColorDialog1"_qs);

    imgSecurityZone = new TImageList(QSize(16, 16), this);
    imgSecurityZone->setObjectName(u"imgSecurityZone"_qs);
    SecurityImage = new TImageList(QSize(20, 20), this);
    SecurityImage->setObjectName(u"SecurityImage"_qs);
    for (int category = 0; category < 7; ++category)
        SecurityImage->Add(QIcon(u":/security/"_qs + QString::number(category) + u".svg"_qs));
}
