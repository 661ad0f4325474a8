#pragma once
// Saving the downloads the control allowed. Each download goes into the download directory
// under the name the server suggested, made safe and unique (FileNames.h): an existing file is
// never overwritten. The name is reserved by creating the file before the engine writes it, so
// two downloads of one name at once get two files. A download that fails or is cancelled leaves no
// file behind: neither the reserved one nor the engine's partial "<name>.download".

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class QWebEngineDownloadRequest;

namespace engine {

// The user's download directory when it exists, else the home directory.
QString DefaultDownloadDirectory();

class DownloadSaver final : public QObject {
    Q_OBJECT
public:
    explicit DownloadSaver(QObject *parent = nullptr);
    // Unfinished downloads are cancelled and their files removed.
    ~DownloadSaver() override;
    DownloadSaver(const DownloadSaver &) = delete;
    DownloadSaver &operator=(const DownloadSaver &) = delete;

    QString Directory() const { return m_directory; }
    void SetDirectory(const QString &directory) { m_directory = directory; }

    // Accepts download and saves it. Unless silent, ChoosePath may replace the reserved path by
    // another absolute one (a file there is replaced once the download is complete) or cancel,
    // and OnStatus tells the start and the end.
    void Save(QWebEngineDownloadRequest *download, bool silent);

    // The engine resumes an interrupted download as a new request with the same id: it goes on
    // into the same file, unless MayContinue refuses (then it is cancelled). False for a download
    // that is not under way.
    bool Resume(QWebEngineDownloadRequest *download);

    // Asked when a download under way is interrupted, before the engine resumes it by itself
    // with a new request, and when a resumed one arrives: false cancels it.
    std::function<bool(const QUrl &url)> MayContinue;
    std::function<void(QString &path, bool &cancel)> ChoosePath;
    std::function<void(const QString &text)> OnStatus;
    // Every saved, failed or cancelled download, silent or not; path is empty when the
    // download never started.
    std::function<void(const QUrl &url, const QString &path, bool saved)> OnFinished;

private:
    struct Active {
        quint32 id = 0;
        QPointer<QWebEngineDownloadRequest> download;
        QUrl url;
        QString path;
        bool silent = false;
        bool reserved = false; // the file at path was created here
    };
    void Accept(QWebEngineDownloadRequest *download, const QString &path);
    bool Continues(const QUrl &url) const { return !MayContinue || MayContinue(url); }
    void Finished(const Active &active, bool saved);
    void Status(bool silent, const QString &text) const;

    QString m_directory = DefaultDownloadDirectory();
    QList<Active> m_active;
};

} // namespace engine
