// The baseline of bench_startup: a bare QWebEngineView that loads the page given as its argument
// and prints "Document Complete:<url>" on stderr when the load finished, as the browser logs it.

#include "platform/engine/EngineEnvironment.h"

#include <QApplication>
#include <QWebEngineView>

#include <cstdio>

int main(int argc, char **argv) {
    engine::PrepareEngineEnvironment();
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QWebEngineView view;
    view.resize(684, 535);
    view.show();
    QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&view](bool) {
        std::fprintf(stderr, "Document Complete:%s\n", qPrintable(view.url().toString()));
    });
    view.load(QUrl::fromUserInput(QString::fromLocal8Bit(argv[1])));
    return QApplication::exec();
}
