// Time from process start to the first DocumentComplete of a local page: the browser window
// (quillmere) against a bare QWebEngineView program, alternating, in one run; and the resident
// memory of one window process (the browser process itself and with its engine helpers).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 7;
constexpr int kTimeoutMs = 60000;

struct Run {
    double ms = -1;
    long rssKb = 0;   // the program's own process
    long totalKb = 0; // with its child processes (renderer, zygote)
};

long RssKb(qint64 pid) {
    QFile status(u"/proc/"_qs + QString::number(pid) + u"/status"_qs);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// The process and every descendant, by walking /proc.
long TreeRssKb(qint64 root) {
    long total = 0;
    std::vector<qint64> pending{root};
    const QStringList all = QDir(u"/proc"_qs).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    while (!pending.empty()) {
        const qint64 pid = pending.back();
        pending.pop_back();
        total += RssKb(pid);
        for (const QString &entry : all) {
            bool numeric = false;
            const qint64 child = entry.toLongLong(&numeric);
            if (!numeric)
                continue;
            QFile stat(u"/proc/"_qs + entry + u"/stat"_qs);
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = stat.readAll();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (fields.value(1).toLongLong() == pid)
                pending.push_back(child);
        }
    }
    return total;
}

Run Measure(const QString &program, const QString &page, const QString &platformDir) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QUILLMERE_PLATFORM_DIR"_qs, platformDir);
    env.insert(u"QUILLMERE_EVENT_LOG"_qs, u"1"_qs);
    if (!env.contains(u"DISPLAY"_qs))
        env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
    process.setProcessEnvironment(env);
    process.setReadChannel(QProcess::StandardError);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {page});
    QByteArray output;
    Run run;
    while (timer.elapsed() < kTimeoutMs && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(50);
        output += process.readAllStandardError();
        if (output.contains("Document Complete:")) {
            run.ms = double(timer.nsecsElapsed()) / 1e6;
            QThread::msleep(500); // let the page settle before reading memory
            run.rssKb = RssKb(process.processId());
            run.totalKb = TreeRssKb(process.processId());
            break;
        }
    }
    process.kill();
    process.waitForFinished();
    return run;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QString dir = QCoreApplication::applicationDirPath();
    const QString quillmere =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir + u"/../app/quillmere"_qs;
    const QString bare = dir + u"/bare_view"_qs;
    QTemporaryDir site;
    QTemporaryDir platformDir;
    const QString page = site.filePath(u"index.html"_qs);
    QFile file(page);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>start</title></head>"
               "<body><h1>起動</h1><script>document.title = 'started';</script></body></html>");
    file.close();

    std::vector<double> ours, baseline;
    std::vector<double> rss, total;
    for (int round = 0; round < kRounds; ++round) {
        const Run b = Measure(bare, page, platformDir.path());
        const Run q = Measure(quillmere, page, platformDir.path());
        if (b.ms < 0 || q.ms < 0) {
            std::fprintf(stderr, "bench_startup: a program did not complete the page\n");
            return 1;
        }
        baseline.push_back(b.ms);
        ours.push_back(q.ms);
        rss.push_back(double(q.rssKb));
        total.push_back(double(q.totalKb));
    }
    const double b = Median(baseline), q = Median(ours);
    std::printf("bench_startup: process start to first DocumentComplete, median of %d\n", kRounds);
    std::printf("  bare QWebEngineView     %8.1f ms\n", b);
    std::printf("  quillmere               %8.1f ms\n", q);
    std::printf("  ratio                   %8.2f\n", q / b);
    std::printf("  resident memory of the window process %.1f MiB (with engine helpers %.1f MiB)\n",
                Median(rss) / 1024.0, Median(total) / 1024.0);
    return 0;
}
