#pragma once
// One control with the fake host attached, in a fresh platform directory, and a way to wait for
// a navigation's DocumentComplete.

#include "FakeHost.h"

#include "platform/engine/WebBrowser.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

inline constexpr int kLoadTimeout = 20000;

inline QString Fixture(const QString &name) {
    return QUrl::fromLocalFile(qEnvironmentVariable("QM_SOURCE_DIR") +
                               u"/tests/fixtures/engine/"_qs + name)
        .toString();
}

struct BrowserFixture {
    BrowserFixture() {
        browser->resize(400, 300);
        browser->show();
        browser->SetClientSite(static_cast<IDocHostShowUI *>(host.Get()));
        browser->SetDownloadDirectory(downloadDir.path());
        browser->OnDocumentComplete = [this](TWebBrowser *, IDispatch *, const QString &) {
            ++completed;
        };
        browser->OnContentBlocked = [this](TWebBrowser *, const QString &url, DWORD action) {
            blocked.append({url, action});
        };
    }
    ~BrowserFixture() { browser.reset(); }
    BrowserFixture(const BrowserFixture &) = delete;
    BrowserFixture &operator=(const BrowserFixture &) = delete;

    // Starts a navigation and waits for its DocumentComplete; returns the page title.
    QString Load(const std::function<void()> &start) {
        const int before = completed;
        start();
        if (!QTest::qWaitFor([&] { return completed > before; }, kLoadTimeout))
            return u"<no DocumentComplete>"_qs;
        return browser->LocationName();
    }
    QString LoadUrl(const QString &url) {
        return Load([&] { QCOMPARE(browser->Navigate(url), S_OK); });
    }
    // Re-reads the download-control word after the test changed the host's.
    void SetDownloadControl(DWORD flags) {
        host->downloadControl = flags;
        browser->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL);
    }
    bool WasBlocked(const QString &urlPart, DWORD action) const {
        for (const auto &[url, a] : blocked) {
            if (a == action && url.contains(urlPart))
                return true;
        }
        return false;
    }

    QTemporaryDir platformDir;
    QTemporaryDir downloadDir; // never the user's own
    // Before anything below may read the registry.
    bool platformDirSet = qputenv("QUILLMERE_PLATFORM_DIR", platformDir.path().toUtf8());
    ComPtr<FakeSecurityManager> manager = MakeComObject<FakeSecurityManager>();
    ComPtr<FakeHost> host = MakeComObject<FakeHost>(manager);
    std::unique_ptr<TWebBrowser> browser = std::make_unique<TWebBrowser>();
    QList<QPair<QString, DWORD>> blocked;
    int completed = 0;
};
