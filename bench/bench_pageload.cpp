// Page-load time to DocumentComplete for a generated local page with 300 sub-resources: the
// browser control against a bare QWebEngineView, alternating in one process. Prints medians and
// the ratio.

#include "platform/engine/EngineEnvironment.h"
#include "platform/engine/WebBrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kResources = 300;
constexpr int kRounds = 9;
constexpr int kTimeoutMs = 60000;

bool WriteFile(const QString &path, const QByteArray &data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// index.html with images, style sheets and scripts, each a file of its own.
QString MakePage(const QDir &dir) {
    dir.mkpath(QStringLiteral("r"));
    QByteArray html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>bench</title>\n";
    for (int i = 0; i < kResources; ++i) {
        const QByteArray n = QByteArray::number(i);
        switch (i % 3) {
        case 0:
            WriteFile(dir.filePath(QString::fromLatin1("r/" + n + ".svg")),
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" height=\"8\">"
                      "<rect width=\"8\" height=\"8\" fill=\"#" +
                          QByteArray::number(0x100000 + i * 997, 16).right(6) + "\"/></svg>");
            html += "<img src=\"r/" + n + ".svg\" width=\"8\" height=\"8\">\n";
            break;
        case 1:
            WriteFile(dir.filePath(QString::fromLatin1("r/" + n + ".css")),
                      ".c" + n + " { color: #123; }\n");
            html += "<link rel=\"stylesheet\" href=\"r/" + n + ".css\">\n";
            break;
        default:
            WriteFile(dir.filePath(QString::fromLatin1("r/" + n + ".js")),
                      "window.v" + n + " = " + n + ";\n");
            html += "<script src=\"r/" + n + ".js\"></script>\n";
            break;
        }
    }
    html += "</head><body><p>300 resources</p></body></html>\n";
    WriteFile(dir.filePath(QStringLiteral("index.html")), html);
    return QUrl::fromLocalFile(dir.filePath(QStringLiteral("index.html"))).toString();
}

// Runs start() and the event loop until done() was called; milliseconds, or -1 on time-out.
double Measure(const std::function<void(std::function<void()>)> &start) {
    QEventLoop loop;
    bool finished = false;
    QElapsedTimer timer;
    timer.start();
    start([&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
    if (!finished)
        loop.exec();
    return finished ? double(timer.nsecsElapsed()) / 1e6 : -1.0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    engine::PrepareEngineEnvironment();
    QApplication app(argc, argv);
    QTemporaryDir platformDir;
    qputenv("QUILLMERE_PLATFORM_DIR", platformDir.path().toUtf8());
    QTemporaryDir site;
    const QString url = MakePage(QDir(site.path()));

    std::vector<double> bare, control;
    for (int round = 0; round < kRounds; ++round) {
        {
            QWebEngineView view;
            view.resize(800, 600);
            view.show();
            bare.push_back(Measure([&](std::function<void()> done) {
                QObject::connect(&view, &QWebEngineView::loadFinished, &view,
                                 [done](bool) { done(); });
                view.load(QUrl(url));
            }));
        }
        {
            TWebBrowser browser;
            browser.resize(800, 600);
            browser.show();
            control.push_back(Measure([&](std::function<void()> done) {
                browser.OnDocumentComplete = [done](TWebBrowser *, IDispatch *, const QString &) {
                    done();
                };
                browser.Navigate(url);
            }));
        }
    }
    if (std::count(bare.begin(), bare.end(), -1.0) ||
        std::count(control.begin(), control.end(), -1.0)) {
        std::fprintf(stderr, "bench_pageload: a load did not finish within %d ms\n", kTimeoutMs);
        return 1;
    }
    const double b = Median(bare), c = Median(control);
    std::printf("bench_pageload: local page with %d sub-resources, median of %d loads each\n",
                kResources, kRounds);
    std::printf("  bare QWebEngineView       %8.1f ms\n", b);
    std::printf("  browser control           %8.1f ms\n", c);
    std::printf("  ratio control / bare      %8.2f  (goal: at most 1.10)\n", c / b);
    return 0;
}
