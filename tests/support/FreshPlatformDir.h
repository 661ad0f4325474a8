#pragma once
// A temporary platform directory made current (QUILLMERE_PLATFORM_DIR) for the lifetime of the
// object. At its end the previous directory is current again, unless a later fixture has made
// its own current meanwhile (a fixture replaced by a new one leaves the new one in force).

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class FreshPlatformDir final {
public:
    FreshPlatformDir();
    ~FreshPlatformDir();
    FreshPlatformDir(const FreshPlatformDir &) = delete;
    FreshPlatformDir &operator=(const FreshPlatformDir &) = delete;

    bool isValid() const { return FDir.isValid(); }
    QString path() const { return FDir.path(); }
    QString file(const QString &name) const { return FDir.filePath(name); }

private:
    QTemporaryDir FDir;
    QByteArray FSaved;
    QByteArray FOwn;
};
