#include "platform/engine/DownloadSaver.h"

#include "platform/engine/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>

#include <optional>

Q_LOGGING_CATEGORY(lcDownloads, "quillmere.engine.downloads")

namespace engine {

namespace {

bool IsFinal(QWebEngineDownloadRequest::DownloadState state) {
    return state == QWebEngineDownloadRequest::DownloadCompleted ||
           state == QWebEngineDownloadRequest::DownloadCancelled ||
           state == QWebEngineDownloadRequest::DownloadInterrupted;
}

} // namespace

QString DefaultDownloadDirectory() {
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return !downloads.isEmpty() && QFileInfo(downloads).isDir() ? downloads : QDir::homePath();
}

DownloadSaver::DownloadSaver(QObject *parent) : QObject(parent) {}

DownloadSaver::~DownloadSaver() {
    for (const Active &active : std::as_const(m_active)) {
        if (active.download) {
            active.download->disconnect(this);
            active.download->cancel();
        }
        QFile::remove(active.path + u".download"_qs);
        if (active.reserved)
            QFile::remove(active.path);
    }
}

bool DownloadSaver::Resume(QWebEngineDownloadRequest *download) {
    for (qsizetype i = 0; i < m_active.size(); ++i) {
        Active &active = m_active[i];
        if (active.id != download->id())
            continue;
        if (active.download)
            active.download->disconnect(this);
        active.download = download;
        if (Continues(active.url)) {
            Accept(download, active.path);
        } else {
            download->cancel();
            Finished(m_active.takeAt(i), false);
        }
        return true;
    }
    return false;
}

void DownloadSaver::Accept(QWebEngineDownloadRequest *download, const QString &path) {
    const QFileInfo target(path);
    download->setDownloadDirectory(target.absolutePath());
    download->setDownloadFileName(target.fileName());
    connect(download, &QWebEngineDownloadRequest::stateChanged, this,
            [this, download](QWebEngineDownloadRequest::DownloadState state) {
                if (!IsFinal(state))
                    return;
                download->disconnect(this);
                for (qsizetype i = 0; i < m_active.size(); ++i) {
                    if (m_active[i].download == download) {
                        Finished(m_active.takeAt(i),
                                 state == QWebEngineDownloadRequest::DownloadCompleted);
                        return;
                    }
                }
            });
    // The engine tells of an interruption before it sends the request that resumes the download
    // (a request no request check sees): here it can still be cancelled.
    connect(download, &QWebEngineDownloadRequest::interruptReasonChanged, this, [this, download] {
        const auto reason = download->interruptReason();
        if (reason != QWebEngineDownloadRequest::NoReason &&
            reason != QWebEngineDownloadRequest::UserCanceled && !IsFinal(download->state()) &&
            !Continues(download->url()))
            download->cancel();
    });
    download->accept();
}

void DownloadSaver::Save(QWebEngineDownloadRequest *download, bool silent) {
    const QUrl url = download->url();
    QString suggested = download->suggestedFileName();
    if (suggested.isEmpty())
        suggested = download->downloadFileName();
    const QString name = SafeFileName(suggested);
    const QDir dir(m_directory);
    std::optional<QString> path;
    if (dir.mkpath(u"."_qs))
        path = ReserveUniqueFile(dir, name);
    bool reserved = path.has_value();
    if (path && !silent && ChoosePath) {
        QString chosen = *path;
        bool cancel = false;
        ChoosePath(chosen, cancel);
        if (cancel || chosen != *path) {
            QFile::remove(*path);
            reserved = false;
        }
        if (cancel) {
            path.reset();
        } else if (chosen != *path) {
            if (!QDir::isAbsolutePath(chosen))
                qCWarning(lcDownloads, "not an absolute path: %s", qPrintable(chosen));
            path = QDir::isAbsolutePath(chosen) ? std::optional(QDir::cleanPath(chosen))
                                                : std::nullopt;
        }
    }
    if (!path) {
        download->cancel();
        Status(silent, u"ダウンロードできませんでした: %1"_qs.arg(name));
        if (OnFinished)
            OnFinished(url, QString(), false);
        return;
    }
    m_active.append({download->id(), download, url, *path, silent, reserved});
    Status(silent, u"ダウンロードしています: %1"_qs.arg(QFileInfo(*path).fileName()));
    Accept(download, *path);
}

void DownloadSaver::Finished(const Active &active, bool saved) {
    if (!saved) {
        QFile::remove(active.path + u".download"_qs);
        if (active.reserved)
            QFile::remove(active.path);
    }
    const QString name = QFileInfo(active.path).fileName();
    Status(active.silent, saved ? u"ダウンロードが完了しました: %1"_qs.arg(active.path)
                                : u"ダウンロードできませんでした: %1"_qs.arg(name));
    if (OnFinished)
        OnFinished(active.url, active.path, saved);
}

void DownloadSaver::Status(bool silent, const QString &text) const {
    if (!silent && OnStatus)
        OnStatus(text);
}

} // namespace engine
