// TForm1: navigation commands, the address box list, the history and its menu, back and forward
// enabling, new windows and closing.

#include "app/Main.h"

#include "app/ErrorDisplay.h"
#include "app/KeyRouter.h"
#include "app/StatusPanels.h"
#include "host/WebBrowserSecure.h"
#include "platform/engine/EngineConstants.h"
#include "platform/kernel/Process.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include <string>

// The commands of the tool bars and menus; the window's keys go through TKeyRouter first.
void TForm1::WireCommands() {
    connect(ToolButton2, &QAction::triggered, this, &TForm1::Button2Click);
    connect(Go2, &QAction::triggered, this, &TForm1::Button2Click);
    connect(ToolButton9, &QAction::triggered, this, &TForm1::ToolButton9Click);
    connect(Back2, &QAction::triggered, this, &TForm1::ToolButton9Click);
    connect(ToolButton10, &QAction::triggered, this, &TForm1::ToolButton10Click);
    connect(Forward2, &QAction::triggered, this, &TForm1::ToolButton10Click);
    connect(ToolButton14, &QAction::triggered, this, &TForm1::ToolButton14Click);
    connect(ToolButton1, &QAction::triggered, this, &TForm1::ToolButton1Click);
    connect(Refresh2, &QAction::triggered, this, &TForm1::ToolButton1Click);
    connect(ToolButton8, &QAction::triggered, this, &TForm1::ToolButton8Click);
    connect(Stop2, &QAction::triggered, this, &TForm1::ToolButton8Click);
    connect(historyMenu, &QMenu::triggered, this, &TForm1::HistoryItemClick);
    connect(New2, &QAction::triggered, this, &TForm1::New2Click);
    connect(Close2, &QAction::triggered, this, &TForm1::close);
    connect(StatusBar3, &QAction::triggered, this, &TForm1::StatusBar3Click);
    connect(Show1, &QMenu::aboutToShow, this, &TForm1::Show1Click);

    FKeyRouter = new TKeyRouter(*this);
    qApp->installEventFilter(FKeyRouter);
}

void TForm1::EngineCommand(const std::function<HRESULT()> &call) {
    try {
        OleCheck(call());
    } catch (const EOleSysError &error) {
        ShowException(this, error);
    }
}

void TForm1::Button2Click() {
    if (BrowserHost)
        EngineCommand([this] { return BrowserHost->Navigate(ComboBox1->currentText()); });
}

void TForm1::ToolButton14Click() {
    EngineCommand([this] { return BrowserHost->GoHome(); });
}

void TForm1::ToolButton9Click() {
    EngineCommand([this] { return BrowserHost->GoBack(); });
}

void TForm1::ToolButton10Click() {
    EngineCommand([this] { return BrowserHost->GoForward(); });
}

void TForm1::ToolButton1Click() {
    StartBusy();
    TPageState::Reset();
    StatusBar1->update();
    const bool complete = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    EngineCommand(
        [&] { return BrowserHost->Refresh2(complete ? REFRESH_COMPLETELY : REFRESH_NORMAL); });
}

void TForm1::ToolButton8Click() {
    if (BrowserHost->Busy())
        EngineCommand([this] { return BrowserHost->Stop(); });
}

void TForm1::HistoryItemClick(QAction *item) {
    if (!item || !FVisits.Choose(item->data().toInt()))
        return;
    EngineCommand(
        [this] { return BrowserHost->Navigate2(FVisits.History().at(FVisits.HistoryPos()), 0); });
}

void TForm1::RecordVisit(const QString &url) {
    FVisits.Record(url);
    ComboBox1->blockSignals(true);
    const QString text = ComboBox1->currentText();
    ComboBox1->clear();
    ComboBox1->addItems(FVisits.Addresses());
    ComboBox1->setEditText(text);
    ComboBox1->blockSignals(false);
    RebuildHistoryMenu();
}

// One item per history entry, newest first; the item's data is the entry's index. Captions are
// shown as they are: an "&" in an address is doubled so that it makes no accelerator.
void TForm1::RebuildHistoryMenu() {
    historyMenu->clear();
    const QStringList &history = FVisits.History();
    for (qsizetype i = history.size() - 1; i >= 0; --i) {
        QAction *item = historyMenu->addAction(QString(history[i]).replace(u'&', u"&&"_qs));
        item->setData(int(i));
    }
}

void TForm1::WebBrowser1CommandStateChange(TWebBrowser *, LONG Command, bool Enable) {
    if (Command == CSC_NAVIGATEFORWARD) {
        ToolButton10->setEnabled(Enable);
        Forward2->setEnabled(Enable);
    } else if (Command == CSC_NAVIGATEBACK) {
        ToolButton9->setEnabled(Enable);
        Back2->setEnabled(Enable);
    }
}

void TForm1::WebBrowser1Accelerator(TWebBrowserSecure *, const MSG &lpMsg, const GUID &, DWORD,
                                    bool &Done) {
    // A letter key's virtual-key code is its upper-case character.
    if (lpMsg.message == WM_SYSKEYDOWN && lpMsg.wParam == WPARAM('D')) { // Alt+D
        FocusAddressBox();
        Done = true;
    }
}

void TForm1::FormKeyDown(const QKeyEvent &key, bool &handled) {
    if (key.key() == Qt::Key_D && (key.modifiers() & Qt::AltModifier)) {
        FocusAddressBox();
        handled = true;
    }
}

// Enter goes on to the box after Go; Tab is taken, so that Qt's focus chain does not move it on.
void TForm1::ComboBox1KeyDown(const QKeyEvent &key, bool &handled) {
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Button2Click();
        break;
    case Qt::Key_Tab:
        if (BrowserHost)
            BrowserHost->setFocus(Qt::TabFocusReason);
        handled = true;
        break;
    default:
        break;
    }
}

void TForm1::FocusAddressBox() {
    ComboBox1->setFocus(Qt::ShortcutFocusReason);
    ComboBox1->lineEdit()->selectAll();
}

void TForm1::New2Click() {
    LaunchProgram(QApplication::applicationFilePath());
}

// The new process is not waited for: it shows its own window and the home page.
bool TForm1::LaunchProgram(const QString &file, const QStringList &parameters) {
    const auto quoted = [](const QString &text) {
        return QString(text).replace(u"\""_qs, u"\"\""_qs).prepend(u'"').append(u'"');
    };
    QStringList words{quoted(file)};
    for (const QString &parameter : parameters)
        words.append(quoted(parameter));
    std::string line = words.join(u' ').toStdString();
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    const std::string program = file.toStdString();
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
