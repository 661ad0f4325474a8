// Hostile pages in the browser control: a page of 100 frames of one 140 KB file loaded to
// DocumentComplete, and the print preview of a 400-page document opened until its first page is
// shown. Prints the time, the window process's memory growth (peak resident after less
// resident before, from /proc/self/status) and the longest time the GUI thread did not answer
// a 10 ms timer. Run `bench_bounded_work frames` or `bench_bounded_work preview`, each in a
// process of its own (the peak is the process's).

#include "platform/engine/DocumentCommands.h"
#include "platform/engine/EngineEnvironment.h"
#include "platform/engine/PreviewPages.h"
#include "platform/engine/PrintPreview.h"
#include "platform/engine/WebBrowser.h"
#include "tests/platform/engine/HostilePages.h"
#include "tests/platform/engine/ProcessMemory.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

constexpr int kTimeoutMs = 300000;

// Runs the event loop from start() until done() holds; prints the figures under name.
void Measure(const char *name, const std::function<void()> &start,
             const std::function<bool()> &done) {
    const qint64 before = StatusKib("VmRSS");
    QElapsedTimer clock, tick;
    qint64 longest = 0;
    QEventLoop loop;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, &loop, [&] {
        longest = std::max(longest, tick.restart());
        if (done())
            loop.quit();
    });
    QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
    clock.start();
    tick.start();
    heartbeat.start(10);
    start();
    loop.exec();
    std::printf("%s: %s after %lld ms, window process +%lld KiB (peak %lld KiB), GUI thread "
                "silent for at most %lld ms\n",
                name, done() ? "done" : "timed out", clock.elapsed(), StatusKib("VmHWM") - before,
                StatusKib("VmHWM"), longest);
}

// Loads url to its DocumentComplete.
void Load(TWebBrowser &browser, const char *name, const QString &url) {
    int completed = 0;
    browser.OnDocumentComplete = [&](TWebBrowser *, IDispatch *pDisp, const QString &) {
        if (pDisp == browser.Application())
            ++completed;
    };
    Measure(
        name, [&] { browser.Navigate(url); }, [&] { return completed > 0; });
    browser.OnDocumentComplete = nullptr;
}

void Frames(TWebBrowser &browser, const QDir &dir) {
    hostile::WriteFile(dir.filePath(QStringLiteral("small.html")), "<title>small</title>");
    Load(browser, "a small page first",
         QUrl::fromLocalFile(dir.filePath(QStringLiteral("small.html"))).toString());
    Load(browser, "100 frames of 140 KB", hostile::WriteFramesPage(dir));
    int elements = 0;
    for (const engine::DocumentSnapshot &f : browser.Snapshot().frames)
        elements += int(f.elements.size());
    std::printf("  snapshot: %lld of %d frames, %d elements in them\n",
                qlonglong(browser.Snapshot().frames.size()), browser.Snapshot().frameCount,
                elements);
}

void Preview(TWebBrowser &browser, const QDir &dir) {
    Load(browser, "a document of 400 pages", hostile::WriteLongDocument(dir));
    engine::DocumentCommands &commands = browser.Commands();
    Measure(
        "print preview of 400 pages",
        [&] { browser.ExecWB(OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr); },
        [&] {
            const engine::PrintPreviewWindow *window = commands.PreviewWindow();
            return window && window->Pages()->HeldPages().contains(0);
        });
}

} // namespace

int main(int argc, char **argv) {
    engine::PrepareEngineEnvironment();
    QApplication app(argc, argv);
    const QByteArray what = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (what != "frames" && what != "preview") {
        std::fprintf(stderr, "usage: bench_bounded_work frames|preview\n");
        return 2;
    }
    QTemporaryDir dir;
    qputenv("QUILLMERE_PLATFORM_DIR", dir.filePath(QStringLiteral("platform")).toUtf8());
    TWebBrowser browser;
    browser.resize(684, 535);
    browser.show();
    if (what == "frames")
        Frames(browser, QDir(dir.path()));
    else
        Preview(browser, QDir(dir.path()));
    return 0;
}
