// bench_zone_handlers: median cost of one MapUrlToZone plus one ProcessUrlAction through the main
// window's handlers on the host control and the platform security manager. Prints figures;
// asserts nothing.

#include "app/Main.h"
#include "app/MainUnit.h"
#include "host/WebBrowserSecure.h"
#include "options/appoption.h"
#include "platform/engine/EngineEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char *argv[]) {
    QTemporaryDir platform;
    qputenv("QUILLMERE_PLATFORM_DIR", platform.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    engine::PrepareEngineEnvironment();
    QApplication app(argc, argv);
    appoption::Initialize();
    InitializeMainUnit();
    {
        TForm1 form;
        form.FormCreate({}, true);
        form.SetLocalWebDirectory(platform.path());
        form.SetUseOrginalUrl(true);
        TWebBrowserSecure &host = *form.BrowserHost;
        const std::u16string url =
            QString(u"file://"_qs + platform.path() + u"/www.example/dir/page.html"_qs)
                .toStdU16String();

        constexpr int kRounds = 20000;
        std::vector<long long> samples;
        samples.reserve(kRounds);
        for (int i = 0; i < kRounds; ++i) {
            const auto start = std::chrono::steady_clock::now();
            DWORD zone = 0;
            bool handled = false;
            host.OnMapUrlToZone(&host, url.c_str(), zone, 0, handled);
            handled = false;
            host.OnProcessUrlAction(&host, QString(), 0x1400, nullptr, 0, nullptr, 0, 0, 0,
                                    handled);
            samples.push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                  std::chrono::steady_clock::now() - start)
                                  .count());
        }
        std::nth_element(samples.begin(), samples.begin() + kRounds / 2, samples.end());
        std::printf("bench_zone_handlers: MapUrlToZone + ProcessUrlAction through TForm1, "
                    "median %lld ns over %d rounds\n",
                    samples[kRounds / 2], kRounds);
    }
    FinalizeMainUnit();
    appoption::Finalize();
    return 0;
}
