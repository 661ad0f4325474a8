// TWebBrowserSecure on the real engine: a page's alert reaches OnShowMessage as an OK-only box,
// without a handler the engine shows its own box, the engine's security questions reach the
// control's events, and SetFocus hands the keyboard to the page.

#include "HostFixture.h"

#include "platform/engine/EngineEnvironment.h"
#include "tests/support/FixtureSite.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopeGuard>
#include <QVBoxLayout>
#include <QtTest>

namespace {

constexpr int kLoadTimeout = 20000;

} // namespace

class TestWebBrowserSecureEngine final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void init();
    void cleanup() { m_f.reset(); }
    void alertReachesShowMessage_data();
    void alertReachesShowMessage();
    void setFocusGivesTheKeyboardToThePage();

private:
    // Loads a page whose script shows text in an alert and then sets the title; returns the
    // title once the page completed.
    QString LoadAlertPage(const QString &text);

    std::unique_ptr<HostFixture> m_f;
    int m_completed = 0;
};

void TestWebBrowserSecureEngine::init() {
    m_f = std::make_unique<HostFixture>();
    m_completed = 0;
    m_f->browser->resize(400, 300);
    m_f->browser->show();
    m_f->browser->OnDocumentComplete = [this](TWebBrowser *, IDispatch *, const QString &) {
        ++m_completed;
    };
}

QString TestWebBrowserSecureEngine::LoadAlertPage(const QString &text) {
    const QString path = m_f->platformDir.file(u"alert.html"_qs);
    if (!WriteFile(path, u"<html><head><meta charset='utf-8'><title>before</title></head><body>"
                         "<script>var r = alert('%1'); document.title = 'after ' + r;</script>"
                         "</body></html>"_qs.arg(text)
                             .toUtf8()))
        return u"<no page>"_qs;
    if (m_f->browser->Navigate(QUrl::fromLocalFile(path).toString()) != S_OK)
        return u"<not navigated>"_qs;
    if (!QTest::qWaitFor([&] { return m_completed > 0; }, kLoadTimeout))
        return u"<no DocumentComplete>"_qs;
    // The title is set after the alert returned.
    if (!QTest::qWaitFor([&] { return m_f->browser->LocationName().startsWith(u"after"_qs); },
                         kLoadTimeout))
        return u"<title not set after the alert>"_qs;
    return m_f->browser->LocationName();
}

void TestWebBrowserSecureEngine::alertReachesShowMessage_data() {
    QTest::addColumn<bool>("assigned");
    QTest::addColumn<bool>("claims");
    QTest::newRow("handler claims") << true << true;
    QTest::newRow("handler declines") << true << false;
    QTest::newRow("no handler") << false << false;
}

void TestWebBrowserSecureEngine::alertReachesShowMessage() {
    QFETCH(bool, assigned);
    QFETCH(bool, claims);
    QStringList texts;
    DWORD type = 0xFFFF;
    if (assigned) {
        m_f->browser->OnShowMessage = [&](TWebBrowserSecure *, HWND, LPOLESTR text, LPOLESTR,
                                          DWORD dwType, LPOLESTR, DWORD, LRESULT &result,
                                          bool &handled) {
            texts << QString::fromUtf16(text);
            type = dwType;
            result = IDOK;
            handled = claims;
        };
    }
    // The engine's security questions come to this control through its service provider.
    int zoneQuestions = 0;
    m_f->browser->OnMapUrlToZone = [&](TWebBrowserSecure *, LPCWSTR, DWORD &, DWORD, bool &) {
        ++zoneQuestions;
        return S_OK; // not claimed: the default manager decides
    };

    QCOMPARE(LoadAlertPage(u"日本語のお知らせ"_qs), u"after undefined"_qs);
    QVERIFY(zoneQuestions > 0);
    QCOMPARE(texts, assigned ? QStringList{u"日本語のお知らせ"_qs} : QStringList());
    if (assigned)
        QCOMPARE(type & MB_TYPEMASK, MB_OK);
    // Unclaimed, the engine shows its own box with the page's text.
    const auto *box = m_f->browser->findChild<QMessageBox *>();
    QCOMPARE(box != nullptr, !claims);
    if (box)
        QCOMPARE(box->text(), u"日本語のお知らせ"_qs);
}

void TestWebBrowserSecureEngine::setFocusGivesTheKeyboardToThePage() {
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *address = new QLineEdit(&window);
    layout->addWidget(address);
    m_f->browser->setParent(&window);
    const auto unparent = qScopeGuard([&] { m_f->browser->setParent(nullptr); });
    layout->addWidget(m_f->browser.get());
    window.show();
    address->setFocus();
    QCOMPARE(window.focusWidget(), address);

    m_f->browser->SetFocus();
    QWidget *focus = window.focusWidget();
    QVERIFY(focus);
    QVERIFY(m_f->browser->isAncestorOf(focus)); // inside the engine's view, not the control
    // Asked again while the page holds the focus, it stays there.
    m_f->browser->SetFocus();
    QCOMPARE(window.focusWidget(), focus);
}

QTEST_MAIN(TestWebBrowserSecureEngine)
#include "tst_WebBrowserSecureEngine.moc"
