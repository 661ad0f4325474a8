#pragma once
// The administration tool quillmere-platform run as a process of its own.

#include <QString>
#include <QStringList>

struct ToolRun {
    int exitCode = -1; // -1: the tool did not end normally in time
    QString out;
    QString err;
};

// Runs the tool with arguments against platformDir (empty: the test's own platform directory),
// with the rest of the test's environment, and waits for it (bounded, a guard against a hang).
ToolRun RunPlatformTool(const QString &platformDir, const QStringList &arguments);
