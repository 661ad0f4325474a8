// The main window's layout against the layout table: menus, bands, client panel, non-visual
// components.

#include "app/ImageList.h"
#include "app/Main.h"
#include "app/StatusPanels.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

// One menu entry: "-" as caption marks a separator, ">" before the caption a sub-menu.
struct TMenuRow {
    const char *Menu;
    const char *Name;
    QString Caption;
    bool Enabled = true;
    bool Checkable = false;
    bool Checked = false;
};

const TMenuRow MenuRows[] = {
    {"File1", "New2", u"新規作成(&N)"_qs},
    {"File1", "Open2", u"開く(&O)..."_qs},
    {"File1", "Save2", u"上書き保存(&S)"_qs, false},
    {"File1", "SaveAs2", u"名前を付けて保存(&A)..."_qs},
    {"File1", "N1", u"-"_qs},
    {"File1", "PrintSetup2", u"ページ設定(&U)..."_qs},
    {"File1", "Print2", u"印刷(&P)..."_qs},
    {"File1", "PrintPreview", u"印刷プレビュー(&V)..."_qs},
    {"File1", "N2", u"-"_qs},
    {"File1", "Send2", u"送信(&E)"_qs, false},
    {"File1", "OffLineMenu", u"オフライン作業(&W)"_qs, true, true},
    {"File1", "ImportExport2", u"インポートおよびエクスポート(&I)"_qs, false},
    {"File1", "N3", u"-"_qs},
    {"File1", "Property2", u"プロパティ(&R)"_qs},
    {"File1", "Close2", u"閉じる(&C)"_qs},
    {"Edit3", "Cut2", u"切り取り(&T)"_qs, false},
    {"Edit3", "Copy2", u"コピー(&C)"_qs},
    {"Edit3", "Paste2", u"貼り付け(&X)"_qs, false},
    {"Edit3", "N4", u"-"_qs},
    {"Edit3", "SelectAll2", u"すべて選択(&A)"_qs},
    {"Edit3", "N5", u"-"_qs},
    {"Edit3", "F3", u"このページの検索(&F)..."_qs},
    {"Show1", "ToolBarMenu1", u"ツールバー(&T)"_qs, false},
    {"Show1", "StatusBar3", u"ステータス バー(&B)"_qs, true, true, true},
    {"Show1", "ExplorerBar1", u"エクスプローラ バー(&E)"_qs, false},
    {"Show1", "N6", u"-"_qs},
    {"Show1", "Forward2", u"進む"_qs},
    {"Show1", "Back2", u"戻る"_qs},
    {"Show1", "Go2", u"移動(&O)"_qs},
    {"Show1", "Stop2", u"中止(&P)"_qs},
    {"Show1", "Refresh2", u"最新情報に更新(&R)"_qs},
    {"Show1", "N7", u"-"_qs},
    {"Show1", "X1", u">文字のサイズ(&X)"_qs},
    {"Show1", "D2", u">エンコード(&D)"_qs},
    {"Show1", "N8", u"-"_qs},
    {"Show1", "C1", u"ソース(&C)"_qs},
    {"Show1", "ScriptDebugger1", u"スクリプト デバッガ(&U)"_qs, false},
    {"Show1", "FullScreen1", u"全画面表示(&F)"_qs, false},
    {"Show1", "N9", u"-"_qs},
    {"Show1", "A1", u">背景の変更(&A)"_qs},
    {"Show1", "btnHoldColor", u"自動的に適応(&H)"_qs, true, true},
    {"Show1", "btnChangeTable", u"テーブルも適応(&T)"_qs, true, true},
    {"X1", "G2", u"最大(&G)"_qs, true, true},
    {"X1", "L1", u"大(&L)"_qs, true, true},
    {"X1", "M1", u"中(&M)"_qs, true, true},
    {"X1", "S1", u"小(&S)"_qs, true, true},
    {"X1", "A2", u"最小(&A)"_qs, true, true},
    {"D2", "Auto1", u"自動選択"_qs, false, true},
    {"D2", "N11", u"-"_qs},
    {"D2", "JapaneseAuto1", u"日本語(自動選択)"_qs, false, true},
    {"D2", "EUC1", u"日本語(EUC)"_qs, true, true},
    {"D2", "JIS1", u"日本語(iso-2022-jp)"_qs},
    {"D2", "SJIS1", u"日本語(シフト JIS)"_qs, true, true},
    {"D2", "ISO1", u"西ヨーロッパ言語(ISO)"_qs, true, true},
    {"A1", "N10", u"-"_qs},
    {"Tools1", "MailNews1", u"メールとﾆｭｰｽ(&M)"_qs, false},
    {"Tools1", "Synchronize1", u"同期(&S)..."_qs, false},
    {"Tools1", "WindowsUpdate1", u"Windows Update(&U)"_qs, false},
    {"Tools1", "N13", u"-"_qs},
    {"Tools1", "N14", u"-"_qs},
    {"Tools1", "O1", u"インターネット オプション(&O)..."_qs},
    {"Tools1", "LocalBrowse1", u"ローカル閲覧設定(&L)..."_qs},
    {"Help1", "About1", u"バージョン情報(&A)..."_qs},
    {"pmMenu4", "S2", u"選択(&S)..."_qs},
    {"pmMenu4", "Undo1", u"元に戻す"_qs},
    {"pmMenu4", "miColor_White", u"白(&W)"_qs},
    {"pmMenu4", "MenuItem1", u"黒(&C)"_qs},
    {"pmMenu4", "R1", u"赤(&R)"_qs},
    {"pmMenu4", "Y1", u"黄(&Y)"_qs},
    {"pmMenu4", "B1", u"青(&B)"_qs},
    {"pmMenu4", "G1", u"灰(&G)"_qs},
    {"pmMenu4", "N12", u"緑(&L)"_qs},
};

const char *const MenusWithRows[] = {"File1",  "Edit3", "Show1",   "X1",         "D2",         "A1",
                                     "Tools1", "Help1", "pmMenu4", "PopupMenu5", "historyMenu"};

// What a person sees of one component.
struct TSeen {
    QString Kind;
    QString Caption;
    QString Hint;
    bool Enabled = false;
    bool Checked = false;
    bool Visible = false;
};

TSeen See(QObject *object) {
    if (auto *action = qobject_cast<QAction *>(object)) {
        // A tool bar button is visible when the button the bar made for it is.
        auto *band = qobject_cast<QToolBar *>(action->parent());
        QWidget *button = band ? band->widgetForAction(action) : nullptr;
        return {u"button"_qs,        action->text(),      action->toolTip(),
                action->isEnabled(), action->isChecked(), button && button->isVisible()};
    }
    auto *widget = qobject_cast<QWidget *>(object);
    TSeen seen{QString::fromLatin1(object->metaObject()->className()),
               {},
               widget->toolTip(),
               widget->isEnabled(),
               false,
               widget->isVisible()};
    if (auto *label = qobject_cast<QLabel *>(widget))
        seen.Caption = label->text();
    else if (auto *combo = qobject_cast<QComboBox *>(widget))
        seen.Caption = combo->currentText();
    else if (auto *edit = qobject_cast<QLineEdit *>(widget))
        seen.Caption = edit->text();
    return seen;
}

} // namespace

class TestMainLayout final : public QObject {
    Q_OBJECT
    std::unique_ptr<TForm1> Form;

    template <typename T> T *Find(const char *name) {
        return Form->findChild<T *>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase() {
        Form = std::make_unique<TForm1>();
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    }
    void cleanupTestCase() { Form.reset(); }

    void window() {
        QCOMPARE(Form->objectName(), u"Form1"_qs);
        QCOMPARE(Form->windowTitle(), u"ブラウザ"_qs);
        QCOMPARE(Form->size(), QSize(684, 535));
        const QFontInfo font(Form->font());
        QCOMPARE(font.family(), u"Noto Sans CJK JP"_qs);
        QCOMPARE(font.pixelSize(), 12);
        QVERIFY(QFontMetrics(Form->font()).inFontUcs4(U'閲'));
    }

    void menuBar() {
        const struct {
            QString Title;
            const char *Name;
        } entries[] = {{u"ファイル(&F)"_qs, "File1"}, {u"編集(&E)"_qs, "Edit3"},
                       {u"表示(&V)"_qs, "Show1"},     {u"お気に入り(&A)"_qs, "Favorite1"},
                       {u"ツール(&T)"_qs, "Tools1"},  {u"ヘルプ(&H)"_qs, "Help1"}};
        const QList<QAction *> actions = Form->menuBar()->actions();
        QCOMPARE(actions.size(), qsizetype(std::size(entries)));
        for (qsizetype i = 0; i < actions.size(); ++i) {
            QCOMPARE(actions[i]->text(), entries[i].Title);
            const QObject *component =
                actions[i]->menu() ? static_cast<QObject *>(actions[i]->menu()) : actions[i];
            QCOMPARE(component->objectName(), QString::fromLatin1(entries[i].Name));
        }
        QVERIFY2(!Find<QAction>("Favorite1")->menu(), "the favorites entry pops up PopupMenu5");
        // The extension entries' place between the Tools menu's separators stays visible.
        QVERIFY(!Form->Tools1->separatorsCollapsible());
    }

    void menuItems_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(MenuRows)); ++i)
            QTest::newRow(MenuRows[i].Name) << i;
    }
    void menuItems() {
        QFETCH(int, row);
        const TMenuRow &expected = MenuRows[row];
        const QMenu *menu = Find<QMenu>(expected.Menu);
        QVERIFY(menu);
        int index = 0;
        for (int i = 0; i < row; ++i)
            index += qstrcmp(MenuRows[i].Menu, expected.Menu) == 0;
        const QList<QAction *> actions = menu->actions();
        QVERIFY(index < actions.size());
        const QAction *action = actions[index];
        if (expected.Caption == u"-"_qs) {
            QVERIFY(action->isSeparator());
            QCOMPARE(action->objectName(), QString::fromLatin1(expected.Name));
            return;
        }
        QVERIFY(!action->isSeparator());
        if (expected.Caption.startsWith(u'>')) {
            QVERIFY(action->menu());
            QCOMPARE(action->menu()->objectName(), QString::fromLatin1(expected.Name));
            QCOMPARE(action->text(), expected.Caption.mid(1));
        } else {
            QVERIFY(!action->menu());
            QCOMPARE(action->objectName(), QString::fromLatin1(expected.Name));
            QCOMPARE(action->text(), expected.Caption);
        }
        QCOMPARE(action->isEnabled(), expected.Enabled);
        QCOMPARE(action->isCheckable(), expected.Checkable);
        QCOMPARE(action->isChecked(), expected.Checked);
        QVERIFY(action->isVisible());
    }

    void menusHoldNothingElse_data() {
        QTest::addColumn<QString>("menu");
        for (const char *menu : MenusWithRows)
            QTest::newRow(menu) << QString::fromLatin1(menu);
    }
    void menusHoldNothingElse() {
        QFETCH(QString, menu);
        qsizetype rows = 0;
        for (const TMenuRow &row : MenuRows)
            rows += QString::fromLatin1(row.Menu) == menu;
        const QMenu *found = Form->findChild<QMenu *>(menu);
        QVERIFY(found);
        QCOMPARE(found->actions().size(), rows);
    }

    // Radio items share one group per sub-menu; the tag or hint is what the commands read.
    void subMenuItems_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("data");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("radio");
        QTest::newRow("largest") << u"G2"_qs << QVariant(0) << QString() << true;
        QTest::newRow("medium") << u"M1"_qs << QVariant(2) << QString() << true;
        QTest::newRow("smallest") << u"A2"_qs << QVariant(4) << QString() << true;
        QTest::newRow("automatic") << u"Auto1"_qs << QVariant() << QString() << true;
        QTest::newRow("euc") << u"EUC1"_qs << QVariant() << u"euc-jp"_qs << true;
        QTest::newRow("jis") << u"JIS1"_qs << QVariant() << u"iso-2022-jp"_qs << false;
        QTest::newRow("shift jis") << u"SJIS1"_qs << QVariant() << u"shift_jis"_qs << true;
        QTest::newRow("latin") << u"ISO1"_qs << QVariant() << u"iso-8859-1"_qs << true;
    }
    void subMenuItems() {
        QFETCH(QString, name);
        QFETCH(QVariant, data);
        QFETCH(QString, hint);
        QFETCH(bool, radio);
        const QAction *action = Form->findChild<QAction *>(name);
        QVERIFY(action);
        QCOMPARE(action->data(), data);
        if (!hint.isEmpty())
            QCOMPARE(action->toolTip(), hint);
        QCOMPARE(action->actionGroup() != nullptr, radio);
        if (radio)
            QVERIFY(action->actionGroup()->isExclusive());
    }

    // Each colour item carries 0xRRGGBB and shows a swatch of that colour.
    void colourItems_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("colour");
        QTest::newRow("white") << u"miColor_White"_qs << 0xFFFFFF;
        QTest::newRow("black") << u"MenuItem1"_qs << 0x000000;
        QTest::newRow("red") << u"R1"_qs << 0xFF0000;
        QTest::newRow("yellow") << u"Y1"_qs << 0xFFFF00;
        QTest::newRow("blue") << u"B1"_qs << 0x0000FF;
        QTest::newRow("grey") << u"G1"_qs << 0x888888;
        QTest::newRow("green") << u"N12"_qs << 0x00FF00;
    }
    void colourItems() {
        QFETCH(QString, name);
        QFETCH(int, colour);
        const QAction *item = Form->findChild<QAction *>(name);
        QVERIFY(item);
        QCOMPARE(item->data().toInt(), colour);
        const QImage swatch = item->icon().pixmap(16, 16).toImage();
        QCOMPARE(swatch.pixelColor(8, 8).rgb() & 0xFFFFFF, QRgb(colour));
    }

    void components_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("visible");
        // Hidden bands leave their buttons enabled; a hidden button is also disabled.
        const auto row = [](const char *name, const char *kind, const QString &caption,
                            const QString &hint, bool visible = true, bool enabled = true) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind) << caption
                                << hint << enabled << false << visible;
        };
        const auto hiddenButton = [&](const char *name, const QString &caption,
                                      const QString &hint) {
            row(name, "button", caption, hint, false, false);
        };
        row("ToolBar3", "QToolBar", {}, {});
        row("ToolButton19", "button", {}, u"背景色の変更"_qs);
        hiddenButton("ToolButton20", {}, u"背景の表示"_qs);
        row("btnColorPin", "button", u"色をとめる"_qs, u"自動的に適用します"_qs);
        row("btnChangeTableColor", "button", u"Table"_qs, u"Table要素も変更します"_qs);
        row("CoolBand2", "QToolBar", {}, {});
        row("Label1", "QLabel", u"アドレス(D)"_qs, {});
        row("ComboBox1", "QComboBox", u"about:blank"_qs, u"アドレス"_qs);
        row("ToolBar2", "QToolBar", {}, {}, false);
        for (auto [name, caption] : {std::pair{"ToolButton11", u"OffLine"_qs},
                                     {"ToolButton18", u"オプション"_qs},
                                     {"ToolButton26", u"テスト"_qs},
                                     {"ToolButton4", u"CMD"_qs},
                                     {"ToolButton5", u"OCMD"_qs},
                                     {"ToolButton3", u"メニューExt"_qs}})
            row(name, "button", caption, caption, false);
        row("Edit1", "QLineEdit", u"1"_qs, {}, false);
        row("Edit2", "QLineEdit", u"1"_qs, {}, false);
        row("CoolBand4", "QToolBar", {}, {}, false);
        row("Animate1", "QLabel", {}, {}, false);
        row("ToolBar1", "QToolBar", {}, {});
        row("ToolButton9", "button", u"Back"_qs, u"戻る"_qs);
        row("ToolButton10", "button", u"Foward"_qs, u"進む"_qs);
        row("ToolButton14", "button", u"ホーム"_qs, u"ホーム"_qs);
        row("ToolButton1", "button", u"更新"_qs, u"更新"_qs);
        row("ToolButton2", "button", u"移動"_qs, u"移動"_qs);
        row("ToolButton8", "button", u"中止"_qs, u"中止"_qs);
        hiddenButton("ToolButton15", u"local"_qs, u"local"_qs);
        hiddenButton("ToolButton16", u"ログ"_qs, u"ログ"_qs);
        hiddenButton("ToolButton17", u"オフライン"_qs, u"オフライン"_qs);
        row("Panel1", "QWidget", {}, {});
        row("BrowserHostPlaceholder", "QWidget", {}, {});
        row("txtMessage", "QLabel", {}, {}, false);
        row("StatusBar1", "TStatusBar", {}, u"ステータスバー"_qs);
        row("ProgressBar1", "QProgressBar", {}, u"進行状況"_qs, false);
    }
    void components() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QFETCH(bool, enabled);
        QFETCH(bool, checked);
        QFETCH(bool, visible);
        const QList<QObject *> found = Form->findChildren<QObject *>(name);
        QCOMPARE(found.size(), 1);
        const TSeen seen = See(found.first());
        QCOMPARE(seen.Kind, kind);
        QCOMPARE(seen.Caption, caption);
        QCOMPARE(seen.Hint, hint);
        QCOMPARE(seen.Enabled, enabled);
        QCOMPARE(seen.Checked, checked);
        QCOMPARE(seen.Visible, visible);
    }

    void checkButtons() {
        for (const char *name :
             {"btnColorPin", "btnChangeTableColor", "ToolButton20", "ToolButton15"})
            QVERIFY2(Find<QAction>(name)->isCheckable(), name);
        for (const char *name : {"ToolButton19", "ToolButton9", "ToolButton10", "ToolButton1"})
            QVERIFY2(!Find<QAction>(name)->isCheckable(), name);
    }

    // Bands in order: colour and address on the first row, the main tool bar below.
    void bandOrder() {
        QCOMPARE(Form->toolBarArea(Form->ToolBar3), Qt::TopToolBarArea);
        QVERIFY(Form->ToolBar3->geometry().right() < Form->CoolBand2->x());
        QCOMPARE(Form->ToolBar3->y(), Form->CoolBand2->y());
        QVERIFY(Form->toolBarBreak(Form->ToolBar1));
        QVERIFY(Form->ToolBar1->y() >= Form->CoolBand2->geometry().bottom());
        QCOMPARE(Form->ToolBar1->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        QCOMPARE(Form->ToolBar1->iconSize(), QSize(20, 20));
        QVERIFY(Form->ComboBox1->width() >= 100);
        QVERIFY(Form->ComboBox1->isEditable());
        QVERIFY(Form->ComboBox1->minimumWidth() == 100);
    }

    void dropDownButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("mode");
        QTest::newRow("history") << u"ToolButton9"_qs << u"historyMenu"_qs
                                 << int(QToolButton::MenuButtonPopup);
        QTest::newRow("colours") << u"ToolButton19"_qs << u"pmMenu4"_qs
                                 << int(QToolButton::InstantPopup);
    }
    void dropDownButtons() {
        QFETCH(QString, button);
        QFETCH(QString, menu);
        QFETCH(int, mode);
        auto *action = Form->findChild<QAction *>(button);
        auto *band = qobject_cast<QToolBar *>(action->parent());
        auto *toolButton = qobject_cast<QToolButton *>(band->widgetForAction(action));
        QVERIFY(toolButton);
        QCOMPARE(action->menu(), Form->findChild<QMenu *>(menu));
        QCOMPARE(int(toolButton->popupMode()), mode);
    }

    // The pictures come from the compiled-in resources and draw something at 20 x 20.
    void toolBarIcons_data() {
        QTest::addColumn<QString>("button");
        for (const char *name : {"ToolButton9", "ToolButton10", "ToolButton14", "ToolButton1",
                                 "ToolButton2", "ToolButton8", "ToolButton19"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void toolBarIcons() {
        QFETCH(QString, button);
        const QImage image =
            Form->findChild<QAction *>(button)->icon().pixmap(20, 20).toImage().convertToFormat(
                QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(20, 20));
        int painted = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                painted += qAlpha(image.pixel(x, y)) > 0;
        QVERIFY2(painted > 40, qPrintable(QString::number(painted)));
    }

    // The browser takes the whole client area; the message strip, once shown, sits below it at
    // full width and wraps.
    void clientPanel() {
        QCOMPARE(Form->centralWidget(), Form->Panel1);
        QCOMPARE(Form->BrowserHostPlaceholder->geometry(), Form->Panel1->rect());
        QVERIFY(Form->txtMessage->wordWrap());
        Form->txtMessage->setText(QString(40, u'長') + u" 警告 "_qs + QString(40, u'文'));
        Form->txtMessage->show();
        QTRY_VERIFY(Form->txtMessage->isVisible() &&
                    Form->BrowserHostPlaceholder->height() < Form->Panel1->height());
        QTRY_COMPARE(Form->txtMessage->geometry().bottom(), Form->Panel1->rect().bottom());
        QCOMPARE(Form->txtMessage->width(), Form->Panel1->width());
        QVERIFY(Form->txtMessage->height() > Form->txtMessage->fontMetrics().height() * 3 / 2);
        QCOMPARE(Form->BrowserHostPlaceholder->geometry().bottom() + 1, Form->txtMessage->y());
        Form->txtMessage->hide();
        Form->txtMessage->clear();
        QTRY_COMPARE(Form->BrowserHostPlaceholder->geometry(), Form->Panel1->rect());
    }

    void statusBar() {
        TStatusBar *bar = Form->StatusBar1;
        QCOMPARE(Form->statusBar(), bar);
        QCOMPARE(bar->PanelCount(), 4);
        using Style = TStatusPanel::TPanelStyle;
        const Style styles[] = {Style::Text, Style::OwnerDraw, Style::Text, Style::OwnerDraw};
        const int widths[] = {120, 120, bar->width() - 360, 120};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(bar->Panel(i)->objectName(), u"StatusPanel"_qs + QString::number(i));
            QCOMPARE(bar->Panel(i)->Style(), styles[i]);
            QCOMPARE(bar->Panel(i)->Width(), widths[i]);
        }
        QCOMPARE(bar->width(), Form->width());
        QCOMPARE(Form->ProgressBar1->parentWidget(), bar);
        QCOMPARE(Form->ProgressBar1->geometry(), QRect(120, 1, 118, bar->height() - 2));
        QCOMPARE(Form->ProgressBar1->maximum(), 100);
    }

    void nonVisual() {
        QCOMPARE(Form->Timer1->interval(), 100);
        QVERIFY(!Form->Timer1->isActive());
        QCOMPARE(Form->OpenDialog1->windowTitle(), u"HTMLファイルの選択"_qs);
        QCOMPARE(Form->OpenDialog1->nameFilters(),
                 QStringList{u"HTMLファイル (*.htm *.html *.shtml)"_qs});
        QCOMPARE(Form->OpenDialog1->fileMode(), QFileDialog::ExistingFile);
        QVERIFY(!Form->OpenDialog1->isVisible());
        QCOMPARE(Form->SecurityImage->Size(), QSize(20, 20));
        QCOMPARE(Form->imgSecurityZone->Count(), 0);
        QCOMPARE(Form->imgMenu4->Count(), 7);
        for (const char *name : {"Timer1", "OpenDialog1", "ColorDialog1", "imgSecurityZone",
                                 "SecurityImage", "imgMenu4", "PopupMenu5", "historyMenu"})
            QVERIFY2(Form->findChild<QObject *>(QString::fromLatin1(name)), name);
        QVERIFY(Form->PopupMenu5->isEmpty());
        QVERIFY(Form->historyMenu->isEmpty());
    }
};

QTEST_MAIN(TestMainLayout)
#include "tst_MainLayout.moc"
