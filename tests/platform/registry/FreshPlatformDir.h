#pragma once
// A temporary platform directory made current for the lifetime of the object.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <filesystem>

class FreshPlatformDir final {
public:
    FreshPlatformDir() : FSaved(qgetenv("QUILLMERE_PLATFORM_DIR")) {
        qputenv("QUILLMERE_PLATFORM_DIR", FDir.path().toLocal8Bit());
    }
    ~FreshPlatformDir() { qputenv("QUILLMERE_PLATFORM_DIR", FSaved); }
    FreshPlatformDir(const FreshPlatformDir &) = delete;
    FreshPlatformDir &operator=(const FreshPlatformDir &) = delete;

    QString path() const { return FDir.path(); }
    QString file(const QString &name) const { return FDir.filePath(name); }

private:
    QByteArray FSaved;
    QTemporaryDir FDir;
};
