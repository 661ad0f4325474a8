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
#include <QLineEdit>
#include <QMenu>

#include <string>

void TForm1::WireNavigation() {
    connect(ToolButton2, &QAction::triggered, this, &TForm1::Go);
    connect(Go2, &QAction::triggered, this, &TForm1::Go);
    connect(ToolButton9, &QAction::triggered, this, &TForm1::GoBack);
    connect(Back2, &QAction::triggered, this, &TForm1::GoBack);
    connect(ToolButton10, &QAction::triggered, this, &TForm1::GoForward);
    connect(Forward2, &QAction::triggered, this, &TForm1::GoForward);
    connect(ToolButton14, &QAction::triggered, this, &TForm1::GoHome);
    connect(ToolButton1, &QAction::triggered, this, &TForm1::Refresh);
    connect(Refresh2, &QAction::triggered, this, &TForm1::Refresh);
    connect(ToolButton8, &QAction::triggered, this, &TForm1::Stop);
    connect(Stop2, &QAction::triggered, this, &TForm1::Stop);
    connect(historyMenu, &QMenu::triggered, this, &TForm1::HistoryItemClick);
    connect(New2, &QAction::triggered, this,
            [this] { LaunchProgram(QApplication::applicationFilePath()); });
    connect(Close2, &QAction::triggered, this, &TForm1::close);

    BrowserHost->OnCommandStateChange = [this](TWebBrowser *, LONG command, bool enable) {
        CommandStateChange(command, enable);
    };
    BrowserHost->OnAccelerator = [this](TWebBrowserSecure *, const MSG &message, const GUID &,
                                        DWORD, bool &done) {
        if (message.message == WM_SYSKEYDOWN && message.wParam == 0x44) { // Alt+D
            FocusAddressBox();
            done = true;
        }
    };
    // A title report records the visited address after the browser events' own handling.
    auto titleChange = std::move(BrowserHost->OnTitleChange);
    BrowserHost->OnTitleChange = [this, titleChange](TWebBrowser *sender, const QString &title) {
        if (titleChange)
            titleChange(sender, title);
        const QString location = BrowserHost->LocationURL();
        if (!location.isEmpty())
            RecordVisit(location);
    };

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

void TForm1::Go() {
    if (BrowserHost)
        EngineCommand([this] { return BrowserHost->Navigate(ComboBox1->currentText()); });
}

void TForm1::GoHome() {
    EngineCommand([this] { return BrowserHost->GoHome(); });
}

void TForm1::GoBack() {
    EngineCommand([this] { return BrowserHost->GoBack(); });
}

void TForm1::GoForward() {
    EngineCommand([this] { return BrowserHost->GoForward(); });
}

void TForm1::Refresh() {
    StartBusy();
    CurrentZone = -1;
    SecurityCategories.reset();
    PageDateText.clear();
    StatusBar1->update();
    const bool complete = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    EngineCommand(
        [&] { return BrowserHost->Refresh2(complete ? REFRESH_COMPLETELY : REFRESH_NORMAL); });
}

void TForm1::Stop() {
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

void TForm1::CommandStateChange(LONG command, bool enable) {
    if (command == CSC_NAVIGATEFORWARD) {
        ToolButton10->setEnabled(enable);
        Forward2->setEnabled(enable);
    } else if (command == CSC_NAVIGATEBACK) {
        ToolButton9->setEnabled(enable);
        Back2->setEnabled(enable);
    }
}

void TForm1::FocusAddressBox() {
    ComboBox1->setFocus(Qt::ShortcutFocusReason);
    ComboBox1->lineEdit()->selectAll();
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
