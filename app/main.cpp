// The program entry: unit initialisation, the application, the main window, the message loop.

#include "app/Main.h"
#include "app/MainUnit.h"
#include "app/ProgramLanguage.h"
#include "options/appoption.h"
#include "platform/engine/EngineEnvironment.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    SetProgramLocale();
    engine::PrepareEngineEnvironment();
    QApplication app(argc, argv);
    InstallQtTranslations(app);
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
