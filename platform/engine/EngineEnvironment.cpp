#include "platform/engine/EngineEnvironment.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>

#include <unistd.h>

namespace engine {

void PrepareEngineEnvironment() {
    QList<QByteArray> wanted{"--disable-gpu",
                             "--disable-background-networking",
                             "--disable-component-update",
                             "--disable-sync",
                             "--no-first-run",
                             "--no-default-browser-check"};
    // Chromium refuses to start as root with its sandbox on.
    if (::geteuid() == 0) {
        wanted << "--no-sandbox";
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const QList<QByteArray> present = flags.split(' ');
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
