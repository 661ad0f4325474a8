#pragma once
// Changes the registry of the current platform directory from another process
// (registry_edit_child, whose path the build gives as QM_EDIT_CHILD).

#include <QProcess>
#include <QStringList>
#include <QtGlobal>

// The child's arguments (see registry_edit_child.cpp); false when it failed.
inline bool EditInOtherProcess(const QStringList &arguments) {
    QProcess child; // inherits QUILLMERE_PLATFORM_DIR
    child.start(QStringLiteral(QM_EDIT_CHILD), arguments);
    if (!child.waitForFinished(120000)) // a guard against a hang, not a measurement
        return false;
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        qWarning("registry_edit_child %s: %s", qPrintable(arguments.join(' ')),
                 child.readAllStandardError().constData());
        return false;
    }
    return true;
}
