#pragma once
// The memory of this process (the window's side of the engine; its renderers are processes of
// their own) as the kernel counts it.

#include <QByteArray>
#include <QFile>

// A field of /proc/self/status in KiB: "VmRSS" (resident now), "VmHWM" (the most resident
// since the process started); -1 when the kernel does not give it.
inline qint64 StatusKib(const QByteArray &field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field).append(':');
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}
