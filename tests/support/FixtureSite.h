#pragma once
// Pages and files a test writes for itself, below a directory of its own.

#include <QByteArray>
#include <QString>

// Writes content to path, making the directories on the way. False when any step fails.
bool WriteFile(const QString &path, const QByteArray &content);
