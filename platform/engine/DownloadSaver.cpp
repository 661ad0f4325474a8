#include "platform/engine/DownloadSaver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>

Q_LOGGING_CATEGORY(lcDownloads, "quillmere.engine.downloads")

namespace engine {

namespace {

constexpr qsizetype kMaxNameBytes = 240;
constexpr qsizetype kMaxExtension = 16;
constexpr int kMaxUniqueTries = 10000;

// Splits "name.ext" into "name" and ".ext"; a long or missing extension stays in the name.
std::pair<QString, QString> SplitExtension(const QString &name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || name.size() - dot > kMaxExtension)
        return {name, QString()};
    return {name.left(dot), name.mid(dot)};
}

bool IsFinal(QWebEngineDownloadRequest::DownloadState state) {
    return state == QWebEngineDownloadRequest::DownloadCompleted ||
           state == QWebEngineDownloadRequest::DownloadCancelled ||
           state == QWebEngineDownloadRequest::DownloadInterrupted;
}

} // namespace

QString SafeFileName(const QString &suggested) {
    QString name =
        suggested.mid(qMax(suggested.lastIndexOf(u'/'), suggested.lastIndexOf(u'\\')) + 1);
    for (QChar &c : name) {
        // Control and format characters (a right-to-left override can disguise an extension).
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u'_';
    }
    name = name.trimmed();
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    name = name.trimmed();
    auto [base, extension] = SplitExtension(name);
    // One UTF-16 unit is at least one byte of UTF-8, so the loop below runs a bounded number
    // of times however long the suggestion was.
    base.truncate(kMaxNameBytes);
    while (!base.isEmpty() && (base + extension).toUtf8().size() > kMaxNameBytes)
        base.chop(base.size() >= 2 && base.back().isLowSurrogate() ? 2 : 1);
    name = base.trimmed() + extension;
    return name.isEmpty() || name.startsWith(u'.') ? u"download"_qs + name : name;
}

std::optional<QString> ReserveUniqueFile(const QDir &dir, const QString &name) {
    const auto [base, extension] = SplitExtension(name);
    for (int n = 0; n < kMaxUniqueTries; ++n) {
        const QString candidate =
            n == 0 ? name : u"%1 (%2)%3"_qs.arg(base, QString::number(n), extension);
        QFile file(dir.filePath(candidate));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return file.fileName();
        if (!file.exists()) {
            qCWarning(lcDownloads, "cannot create %s: %s", qPrintable(file.fileName()),
                      qPrintable(file.errorString()));
            return std::nullopt;
        }
    }
    return std::nullopt;
}

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
    // The engine sends the request that resumes an interrupted download once this returns.
    connect(download, &QWebEngineDownloadRequest::interruptReasonChanged, this, [this, download] {
        if (download->interruptReason() != QWebEngineDownloadRequest::NoReason &&
            !IsFinal(download->state()) && !Continues(download->url()))
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
