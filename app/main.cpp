// The program entry: the command-line answers that need no window, unit initialisation, the
// application, the main window, the message loop.

#include "app/Main.h"
#include "app/CommandLine.h"
#include "app/MainUnit.h"
#include "app/ProgramLanguage.h"
#include "options/appoption.h"
#include "platform/engine/EngineEnvironment.h"

#include <QApplication>
#include <QIcon>

#include <iostream>

int main(int argc, char *argv[]) {
    if (const auto request = commandline::Classify(argc, argv);
        request != commandline::Request::Window)
        return commandline::Answer(request, std::cout, std::cerr);
    SetProgramLocale();
    engine::PrepareEngineEnvironment();
    QApplication app(argc, argv);
    InstallQtTranslations(app);
    QApplication::setWindowIcon(QIcon(u":/icons/quillmere.svg"_qs));
    QGuiApplication::setDesktopFileName(u"quillmere"_qs);
    appoption::Initialize();
    InitializeMainUnit();
    QApplication::setApplicationName(u"ローカルWebファイル閲覧ツール Quillmere"_qs);
    int result = 0;
    {
        TForm1 form;
        form.FormCreate(app.arguments().mid(1));
        result = QApplication::exec();
    }
    FinalizeMainUnit();
    appoption::Finalize();
    return result;
}
