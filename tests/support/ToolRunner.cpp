#include "tests/support/ToolRunner.h"

#include <QProcess>
#include <QProcessEnvironment>

#ifndef QM_PLATFORM_TOOL
#error "QM_PLATFORM_TOOL names the quillmere-platform executable"
#endif

ToolRun RunPlatformTool(const QString &platformDir, const QStringList &arguments) {
    QProcess process;
    if (!platformDir.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QUILLMERE_PLATFORM_DIR"_qs, platformDir);
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(QM_PLATFORM_TOOL), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
