// The main window's navigation handlers on the real browser control (offscreen): the address box
// list, the history and its menu, back and forward enabling, the address box keys, Alt+D, the
// drop target and new processes.

#include "app/Main.h"
#include "app/MainUnit.h"
#include "host/WebBrowserSecure.h"
#include "options/appoption.h"
#include "platform/engine/EngineConstants.h"
#include "platform/engine/EngineEnvironment.h"
#include "tests/support/FreshPlatformDir.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

#include <memory>

namespace {

QStringList MenuEntries(const QMenu &menu) {
    QStringList entries;
    for (const QAction *item : menu.actions())
        entries.append(QString::number(item->data().toInt()) + u':' +
                       QString(item->text()).replace(u"&&"_qs, u"&"_qs));
    return entries;
}

} // namespace

class TestMainNavigation final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void initTestCase() {
        QVERIFY(FPlatform.isValid() && FPages.isValid());
        appoption::Initialize();
        InitializeMainUnit();
        for (const char *name : {"a", "b", "c"}) {
            QFile page(FPages.filePath(QString::fromLatin1(name) + u".html"_qs));
            QVERIFY(page.open(QIODevice::WriteOnly));
            page.write(QByteArray("<title>") + name + "</title><p>" + name);
        }
        QFile tall(FPages.filePath(u"tall.html"_qs));
        QVERIFY(tall.open(QIODevice::WriteOnly));
        tall.write("<title>tall</title><body style='height:20000px'><script>addEventListener("
                   "'scroll', () => { document.title = 'scrolled'; });</script>");
    }
    void cleanupTestCase() {
        FinalizeMainUnit();
        appoption::Finalize();
    }
    void init() {
        FForm = std::make_unique<TForm1>();
        FForm->FormCreate({}, true);
    }
    void cleanup() { FForm.reset(); }

    void recordVisits_data();
    void recordVisits();
    void historyMenuChoice();
    void commandState_data();
    void commandState();
    void addressBoxKeys();
    void commandFailureIsShown_data();
    void commandFailureIsShown();
    void altD_data();
    void altD();
    void pageAccelerator_data();
    void pageAccelerator();
    void dropLeavesAddress();
    void launchProgram_data();
    void launchProgram();

private:
    QString PageUrl(const char *name) const {
        return QUrl::fromLocalFile(FPages.filePath(QString::fromLatin1(name) + u".html"_qs))
            .toString();
    }
    // Shows the window with a window control of its own besides the address box.
    QLineEdit *ShowActive() {
        auto *control = new QLineEdit(FForm.get());
        control->setObjectName(u"control"_qs);
        FForm->show();
        FForm->activateWindow();
        if (!QTest::qWaitForWindowActive(FForm.get()))
            qWarning("window not active");
        return control;
    }

    FreshPlatformDir FPlatform;
    QTemporaryDir FPages;
    std::unique_ptr<TForm1> FForm;
};

void TestMainNavigation::recordVisits_data() {
    QTest::addColumn<QStringList>("visits");
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<int>("historyPos");
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QStringList>("menu");
    const QString a = u"http://a.example/"_qs, b = u"http://b.example/"_qs,
                  c = u"http://c.example/"_qs;
    QTest::newRow("three pages") << QStringList{a, b, c} << QStringList{a, b, c} << 2
                                 << QStringList{c, b, a}
                                 << QStringList{u"2:"_qs + c, u"1:"_qs + b, u"0:"_qs + a};
    QTest::newRow("other case is the same page")
        << QStringList{a, b, u"HTTP://A.EXAMPLE/"_qs} << QStringList{a, b} << 0 << QStringList{a, b}
        << QStringList{u"1:"_qs + b, u"0:"_qs + a};
    QTest::newRow("title reported twice")
        << QStringList{a, a} << QStringList{a} << 0 << QStringList{a} << QStringList{u"0:"_qs + a};
    QTest::newRow("back to an earlier page keeps the later ones")
        << QStringList{a, b, c, a} << QStringList{a, b, c} << 0 << QStringList{a, c, b}
        << QStringList{u"2:"_qs + c, u"1:"_qs + b, u"0:"_qs + a};
    const QString amp = u"http://a.example/?x=1&y=2"_qs;
    QTest::newRow("ampersand shown as typed") << QStringList{amp} << QStringList{amp} << 0
                                              << QStringList{amp} << QStringList{u"0:"_qs + amp};
}

// Records through the window: the address box list, the history and the history menu.
void TestMainNavigation::recordVisits() {
    QFETCH(QStringList, visits);
    QFETCH(QStringList, history);
    QFETCH(int, historyPos);
    QFETCH(QStringList, addresses);
    QFETCH(QStringList, menu);
    FForm->ComboBox1->setEditText(u"typed"_qs);
    for (const QString &url : visits)
        FForm->RecordVisit(url);
    QCOMPARE(FForm->Visits().History(), history);
    QCOMPARE(FForm->Visits().HistoryPos(), historyPos);
    QStringList items;
    for (int i = 0; i < FForm->ComboBox1->count(); ++i)
        items.append(FForm->ComboBox1->itemText(i));
    QCOMPARE(items, addresses);
    QCOMPARE(FForm->ComboBox1->currentText(), u"typed"_qs);
    QCOMPARE(MenuEntries(*FForm->historyMenu), menu);
}

// A menu choice moves HistoryPos and navigates; the history changes only with the page's title.
void TestMainNavigation::historyMenuChoice() {
    for (const char *name : {"a", "b", "c"})
        FForm->RecordVisit(PageUrl(name));
    QAction *b = FForm->historyMenu->actions().at(1);
    QCOMPARE(b->data().toInt(), 1);
    b->trigger();
    QCOMPARE(FForm->Visits().HistoryPos(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(FForm->BrowserHost->LocationURL(), PageUrl("b"), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(FForm->windowTitle(), u"b"_qs, 30000);
    QCOMPARE(FForm->Visits().History(), QStringList({PageUrl("a"), PageUrl("b"), PageUrl("c")}));
    QCOMPARE(FForm->Visits().HistoryPos(), 1);

    // An item whose index is outside the history changes nothing.
    QAction stray(u"stray"_qs);
    stray.setData(7);
    FForm->HistoryItemClick(&stray);
    FForm->HistoryItemClick(nullptr);
    QCOMPARE(FForm->Visits().HistoryPos(), 1);
}

void TestMainNavigation::commandState_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("enable");
    QTest::addColumn<bool>("back");
    QTest::addColumn<bool>("forward");
    QTest::newRow("forward off") << int(CSC_NAVIGATEFORWARD) << false << true << false;
    QTest::newRow("back off") << int(CSC_NAVIGATEBACK) << false << false << true;
    QTest::newRow("back on") << int(CSC_NAVIGATEBACK) << true << true << true;
    QTest::newRow("update commands") << int(CSC_UPDATECOMMANDS) << false << true << true;
    QTest::newRow("other command") << 5 << false << true << true;
}

// The engine's command-state event drives both the tool bar button and the View menu item.
void TestMainNavigation::commandState() {
    QFETCH(int, command);
    QFETCH(bool, enable);
    QFETCH(bool, back);
    QFETCH(bool, forward);
    QVERIFY(FForm->ToolButton9->isEnabled() && FForm->ToolButton10->isEnabled());
    FForm->BrowserHost->OnCommandStateChange(FForm->BrowserHost, command, enable);
    QCOMPARE(FForm->ToolButton9->isEnabled(), back);
    QCOMPARE(FForm->Back2->isEnabled(), back);
    QCOMPARE(FForm->ToolButton10->isEnabled(), forward);
    QCOMPARE(FForm->Forward2->isEnabled(), forward);
}

// Enter navigates to the text as typed (a bare local path), and the title that arrives records
// the page; Tab then moves the keyboard focus into the page itself without navigating: the
// engine's own widget has it, and the arrow keys scroll the page.
void TestMainNavigation::addressBoxKeys() {
    ShowActive();
    QLineEdit *edit = FForm->ComboBox1->lineEdit();
    FForm->ComboBox1->setFocus();
    FForm->ComboBox1->setEditText(FPages.filePath(u"tall.html"_qs));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(FForm->BrowserHost->LocationURL(), PageUrl("tall"), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(FForm->Visits().History(), QStringList{PageUrl("tall")}, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(FForm->windowTitle(), u"tall"_qs, 30000);

    FForm->ComboBox1->setFocus();
    FForm->ComboBox1->setEditText(FPages.filePath(u"a.html"_qs));
    QTest::keyClick(edit, Qt::Key_Tab);
    QTRY_VERIFY(FForm->BrowserHost->isAncestorOf(QApplication::focusWidget()));
    QWidget *page = QApplication::focusWidget();
    const auto *view = FForm->BrowserHost->findChild<QWebEngineView *>();
    QVERIFY(view && view->focusProxy());
    QCOMPARE(page, view->focusProxy()); // the engine's render widget
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(page, Qt::Key_Down);
    QTRY_COMPARE_WITH_TIMEOUT(FForm->windowTitle(), u"scrolled"_qs, 30000);
    QCOMPARE(FForm->BrowserHost->LocationURL(), PageUrl("tall"));
}

// A failing engine call of a command reaches the error display: a message box with the
// system's text for the result code.
void TestMainNavigation::commandFailureIsShown_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("text");
    QTest::newRow("go, blank address") << "go" << u"パラメーターが間違っています。"_qs;
    QTest::newRow("back without history") << "back" << u"エラーを特定できません"_qs;
    QTest::newRow("forward without history") << "forward" << u"エラーを特定できません"_qs;
}

void TestMainNavigation::commandFailureIsShown() {
    QFETCH(QString, command);
    QFETCH(QString, text);
    FForm->show();
    FForm->ComboBox1->setEditText(u"  "_qs);
    if (command == u"go")
        FForm->ToolButton2->trigger();
    else if (command == u"back")
        FForm->ToolButton9->trigger();
    else
        FForm->ToolButton10->trigger();
    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = FForm->findChild<QMessageBox *>()) && box->isVisible());
    QCOMPARE(box->text(), text);
    QCOMPARE(box->icon(), QMessageBox::Critical);
    box->close();
}

void TestMainNavigation::altD_data() {
    QTest::addColumn<bool>("fromPage");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("window control") << false << int(Qt::AltModifier);
    QTest::newRow("window control, Alt+Shift") << false << int(Qt::AltModifier | Qt::ShiftModifier);
    QTest::newRow("page") << true << int(Qt::AltModifier);
}

void TestMainNavigation::altD() {
    QFETCH(bool, fromPage);
    QFETCH(int, modifiers);
    QLineEdit *control = ShowActive();
    QWidget *start = control;
    if (fromPage) {
        FForm->BrowserHost->setFocus();
        QTRY_VERIFY(QApplication::focusWidget() != nullptr);
        start = QApplication::focusWidget();
        QVERIFY(start == FForm->BrowserHost || FForm->BrowserHost->isAncestorOf(start));
    } else {
        start->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), start);
    }
    FForm->ComboBox1->setEditText(u"file:///x.html"_qs);
    QTest::keyClick(start, Qt::Key_D, Qt::KeyboardModifiers(modifiers));
    QTRY_COMPARE(QApplication::focusWidget(), FForm->ComboBox1);
    QCOMPARE(FForm->ComboBox1->lineEdit()->selectedText(), u"file:///x.html"_qs);
    QCOMPARE(control->text(), QString()); // the key reached no control
}

void TestMainNavigation::pageAccelerator_data() {
    QTest::addColumn<uint>("message");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("done");
    QTest::newRow("system key D") << WM_SYSKEYDOWN << int('D') << true;
    QTest::newRow("plain key D") << WM_KEYDOWN << int('D') << false;
    QTest::newRow("system key E") << WM_SYSKEYDOWN << int('E') << false;
}

// The host's accelerator event: only Alt+D is taken, and it focuses the address box.
void TestMainNavigation::pageAccelerator() {
    QFETCH(uint, message);
    QFETCH(int, key);
    QFETCH(bool, done);
    QLineEdit *control = ShowActive();
    control->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), control);
    MSG msg;
    msg.message = message;
    msg.wParam = WPARAM(key);
    bool reported = false;
    FForm->BrowserHost->OnAccelerator(FForm->BrowserHost, msg, GUID_NULL, 0, reported);
    QCOMPARE(reported, done);
    QWidget *expected = done ? static_cast<QWidget *>(FForm->ComboBox1) : control;
    QTRY_COMPARE(QApplication::focusWidget(), expected);
}

// The window installs the drop target on the address box: a dropped address changes nothing.
void TestMainNavigation::dropLeavesAddress() {
    QLineEdit *edit = FForm->ComboBox1->lineEdit();
    FForm->ComboBox1->setEditText(u"kept"_qs);
    QMimeData data;
    data.setText(u"dropped"_qs);
    QDropEvent drop(QPointF(3, 3), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &drop);
    QVERIFY(!drop.isAccepted());
    QCOMPARE(FForm->ComboBox1->currentText(), u"kept"_qs);
}

void TestMainNavigation::launchProgram_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("started");
    QTest::newRow("a program") << u"/bin/true"_qs << true;
    QTest::newRow("no such file") << FPages.filePath(u"missing"_qs) << false;
    QTest::newRow("not a program") << FPages.filePath(u"a.html"_qs) << false;
    QTest::newRow("a directory") << FPages.path() << false;
}

void TestMainNavigation::launchProgram() {
    QFETCH(QString, file);
    QFETCH(bool, started);
    QCOMPARE(FForm->LaunchProgram(file), started);
}

QTEST_MAIN(TestMainNavigation)
#include "tst_MainNavigation.moc"
