// Median time of one value read and of one committed value write through the registry, next to
// a QSettings INI file doing the same in the same run. Reads are fresh on both sides: the INI file
// is opened anew for each read; the registry answers from its read cache, which holds for the
// store's present state, and also reads right after a commit, which makes it read the file.

#include "platform/registry/Registry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Rounds = 300;

// prepare, when given, runs before each operation and is not timed.
double MedianMicroseconds(const std::function<bool(int)> &operation,
                          const std::function<void(int)> &prepare = {}) {
    std::vector<qint64> times;
    times.reserve(Rounds);
    QElapsedTimer timer;
    for (int i = 0; i < Rounds; ++i) {
        if (prepare)
            prepare(i);
        timer.start();
        if (!operation(i)) {
            std::fprintf(stderr, "bench_registry: operation %d failed\n", i);
            return -1;
        }
        times.push_back(timer.nsecsElapsed());
    }
    std::nth_element(times.begin(), times.begin() + Rounds / 2, times.end());
    return double(times[Rounds / 2]) / 1000.0;
}

void Report(const char *what, double registry, double settings) {
    std::printf("%-28s registry %10.1f us   QSettings %10.1f us   ratio %6.2f\n", what, registry,
                settings, settings > 0 ? registry / settings : 0.0);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    qputenv("QUILLMERE_PLATFORM_DIR", dir.path().toLocal8Bit());
    const QString iniPath = dir.filePath("bench.ini");

    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Bench", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 1;
    const auto write = [key](int i) {
        const DWORD value = DWORD(i);
        return RegSetValueExA(key, "Value", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                              sizeof value) == ERROR_SUCCESS;
    };
    const auto read = [key](int) {
        DWORD value = 0, size = sizeof value;
        return RegQueryValueExA(key, "Value", nullptr, nullptr, reinterpret_cast<BYTE *>(&value),
                                &size) == ERROR_SUCCESS;
    };
    QSettings writer(iniPath, QSettings::IniFormat);
    const auto settingsWrite = [&writer](int i) {
        writer.setValue("Bench/Value", i);
        writer.sync();
        return writer.status() == QSettings::NoError;
    };
    const auto settingsRead = [&iniPath](int) {
        const QSettings reader(iniPath, QSettings::IniFormat);
        return reader.value("Bench/Value").isValid();
    };

    std::printf("median of %d operations each\n", Rounds);
    const double registryWrite = MedianMicroseconds(write);
    const double settingsWriteTime = MedianMicroseconds(settingsWrite);
    Report("committed write of one value", registryWrite, settingsWriteTime);
    const double registryRead = MedianMicroseconds(read);
    const double settingsReadTime = MedianMicroseconds(settingsRead);
    Report("read of one value", registryRead, settingsReadTime);
    // Each read follows a commit of the value, so the registry reads its store file.
    const double registryFresh = MedianMicroseconds(read, [&write](int i) { write(i); });
    Report("read after a commit", registryFresh, settingsReadTime);
    RegCloseKey(key);
    return 0;
}
