#include "platform/engine/EngineEnvironment.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QLocale>

#include <algorithm>

#include <unistd.h>

namespace engine {

void PrepareEngineEnvironment() {
    QList<QByteArray> wanted{"--disable-gpu",
                             "--disable-background-networking",
                             "--disable-component-update",
                             "--disable-sync",
                             "--no-first-run",
                             "--no-default-browser-check"};
    // WebRTC sends nothing over UDP, whatever world or frame holds the interface
    // (WebRtcRemoval.h).
    wanted << "--force-webrtc-ip-handling-policy=disable_non_proxied_udp";
    // Chromium refuses to start as root with its sandbox on.
    if (::geteuid() == 0) {
        wanted << "--no-sandbox";
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const QList<QByteArray> present = flags.split(' ');
    // The engine's language (its error pages, its own texts) is the program's locale.
    if (std::none_of(present.begin(), present.end(),
                     [](const QByteArray &flag) { return flag.startsWith("--lang="); }))
        wanted << "--lang=" + QLocale().bcp47Name().toLatin1();
    for (const QByteArray &flag : wanted) {
        if (present.contains(flag))
            continue;
        if (!flags.isEmpty())
            flags += ' ';
        flags += flag;
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace engine
