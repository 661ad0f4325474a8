// TWebBrowser: the engine's signals turned into the control's events, page message boxes, new
// windows, downloads and a crashed page process.

#include "platform/engine/DownloadSaver.h"
#include "platform/engine/EnginePage.h"
#include "platform/engine/SecurityChain.h"
#include "platform/engine/WebBrowser.h"
#include "platform/urlmon/UrlActions.h"

#include <QLoggingCategory>
#include <QMessageBox>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>

Q_DECLARE_LOGGING_CATEGORY(lcBrowser)

namespace {
const char16_t kMessageCaption[] = u"Web ページからのメッセージ";
}

void TWebBrowser::ConnectPage() {
    m_page->OnNavigationRequest = [this](const QUrl &url, QWebEnginePage::NavigationType type,
                                         bool isMainFrame) {
        return DecideNavigation(url, type, isMainFrame);
    };
    m_page->OnAlert = [this](const QString &text) { ShowAlert(text); };
    m_page->OnConfirm = [this](const QString &text) {
        return AskHost(text, MB_OKCANCEL | MB_ICONQUESTION);
    };
    m_page->OnPrompt = [this](const QString &text, const QString &defaultValue,
                              QString *result) -> std::optional<bool> {
        const std::optional<bool> ok = AskHost(text, MB_OKCANCEL | MB_ICONQUESTION);
        if (ok && *ok && result)
            *result = defaultValue;
        return ok;
    };

    // Each signal first looks whether the pending navigation has committed: Qt's own news of a
    // commit comes late, and not at all when neither address nor title changes.
    connect(m_page, &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo &info) { OnLoadingChanged(info); });
    connect(m_page, &QWebEnginePage::urlChanged, this, [this](const QUrl &url) {
        CheckCommit();
        RaiseNavigateComplete();
        // The document on screen changed its address itself (fragment, history API).
        if (!m_navigation && !m_shown.reading)
            m_documents.SetCurrentAddress(url);
        UpdateCommandState();
    });
    connect(m_page, &QWebEnginePage::titleChanged, this, [this](const QString &title) {
        CheckCommit();
        RaiseNavigateComplete();
        if (OnTitleChange)
            OnTitleChange(this, title);
    });
    connect(m_page, &QWebEnginePage::loadProgress, this, [this](int progress) {
        CheckCommit();
        RaiseNavigateComplete();
        if (OnProgressChange)
            OnProgressChange(this, progress, 100);
    });
    connect(m_page, &QWebEnginePage::linkHovered, this, [this](const QString &url) {
        m_statusText = url;
        if (OnStatusTextChange)
            OnStatusTextChange(this, url);
    });
    connect(m_page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest &request) {
                const QUrl url = request.requestedUrl();
                if (!request.isUserInitiated()) {
                    ReportBlocked(url, URLACTION_SHELL_POPUPMGR);
                    return;
                }
                OpenNewWindow(url, request.requestedGeometry());
            });
    ConnectDownloads();
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                if (status == QWebEnginePage::NormalTerminationStatus)
                    return;
                qCWarning(lcBrowser, "the page process ended (status %d, code %d)", status, code);
                if (m_navigation)
                    EndNavigation();
                m_readyState = READYSTATE_COMPLETE;
                SetBusy(false);
                m_statusText = u"ページの表示が異常終了しました"_qs;
                if (OnStatusTextChange)
                    OnStatusTextChange(this, m_statusText);
            });
}

void TWebBrowser::ConnectDownloads() {
    m_downloads->ChoosePath = [this](QString &path, bool &cancel) {
        if (OnDownloadPath)
            OnDownloadPath(this, path, cancel);
    };
    m_downloads->OnStatus = [this](const QString &text) {
        m_statusText = text;
        if (OnStatusTextChange)
            OnStatusTextChange(this, text);
    };
    // Offline, nothing more is fetched for a download under way.
    m_downloads->MayContinue = [this](const QUrl &url) {
        const bool offline = engine::IsNetworkUrl(url) && IsOffline();
        if (offline)
            ReportBlocked(url, 0);
        return !offline;
    };
    m_downloads->OnFinished = [this](const QUrl &url, const QString &path, bool saved) {
        if (OnDownloadFinished)
            OnDownloadFinished(this, url.toString(QUrl::FullyEncoded), path, saved);
    };
    connect(m_profile.get(), &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest *download) {
                // Save as (QWebEnginePage::save) arrives here too, already accepted.
                if (download->page() != m_page || download->isSavePageDownload() ||
                    m_downloads->Resume(download))
                    return;
                const QUrl url = download->url();
                // Content the page made itself takes the zone of the page on screen.
                CheckCommit();
                const QUrl &page = m_documents.Current().address;
                const QUrl judged = engine::IsMadeByPage(url) && !page.isEmpty() ? page : url;
                bool cancel = false;
                // Gone offline since the request left: nothing more is taken from the network.
                const bool offline = engine::IsNetworkUrl(url) && IsOffline();
                if (!offline && OnFileDownload)
                    OnFileDownload(this, false, cancel);
                if (offline || cancel) {
                    if (offline)
                        ReportBlocked(url, 0);
                    download->cancel();
                } else if (!m_security->Allows(judged, URLACTION_SHELL_FILE_DOWNLOAD)) {
                    ReportBlocked(url, URLACTION_SHELL_FILE_DOWNLOAD);
                    download->cancel();
                } else {
                    m_downloads->Save(download, m_ambient.downloadControl & DLCTL_SILENT);
                }
                // The download did not become the document: its rules stay.
                NavigationBecameDownload(url);
            });
}

QString TWebBrowser::DownloadDirectory() const {
    return m_downloads->Directory();
}

void TWebBrowser::SetDownloadDirectory(const QString &directory) {
    m_downloads->SetDirectory(directory);
}

void TWebBrowser::SetBusy(bool busy) {
    if (m_busy == busy)
        return;
    m_busy = busy;
    if (OnPropertyChange)
        OnPropertyChange(this, u"Busy"_qs);
}

void TWebBrowser::UpdateCommandState() {
    const bool back = m_page->history()->canGoBack();
    const bool forward = m_page->history()->canGoForward();
    if (back != m_canGoBack) {
        m_canGoBack = back;
        if (OnCommandStateChange)
            OnCommandStateChange(this, CSC_NAVIGATEBACK, back);
    }
    if (forward != m_canGoForward) {
        m_canGoForward = forward;
        if (OnCommandStateChange)
            OnCommandStateChange(this, CSC_NAVIGATEFORWARD, forward);
    }
}

std::optional<bool> TWebBrowser::AskHost(const QString &text, DWORD type) {
    if (!m_showUI)
        return std::nullopt;
    std::u16string message(reinterpret_cast<const char16_t *>(text.utf16()), text.size());
    std::u16string caption(kMessageCaption);
    LRESULT result = IDCANCEL;
    if (m_showUI->ShowMessage(nullptr, message.data(), caption.data(), type, nullptr, 0, &result) !=
        S_OK)
        return std::nullopt;
    return result == IDOK;
}

void TWebBrowser::ShowAlert(const QString &text) {
    if (AskHost(text, MB_OK | MB_ICONWARNING))
        return;
    // The control's own box does not stop the page (no nested event loop); while one is open,
    // later alerts replace its text instead of piling up.
    if (m_alertBox) {
        m_alertBox->setText(text);
        return;
    }
    m_alertBox = new QMessageBox(QMessageBox::Warning, QString::fromUtf16(kMessageCaption), text,
                                 QMessageBox::Ok, this);
    m_alertBox->setAttribute(Qt::WA_DeleteOnClose);
    m_alertBox->open();
}
