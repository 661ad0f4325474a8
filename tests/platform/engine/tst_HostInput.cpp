// Keys and context menus of the page reach the host's UI handler first, on the real engine.

#include "BrowserFixture.h"

#include "platform/com/ComObject.h"
#include "platform/engine/EngineEnvironment.h"
#include "platform/engine/HostInput.h"

#include <QMenu>
#include <QWebEngineView>

namespace {

// A host UI handler that takes the keys and the context menus it is told to take.
class UiHandler final : public ComObject<IDocHostUIHandler> {
public:
    QSet<WPARAM> takenKeys;
    bool takeMenus = false;
    QList<MSG> keys;
    QList<DWORD> menus;

    HRESULT ShowContextMenu(DWORD id, POINT *, IUnknown *, IDispatch *) override {
        menus << id;
        return takeMenus ? S_OK : S_FALSE;
    }
    HRESULT GetHostInfo(DOCHOSTUIINFO *) override { return E_NOTIMPL; }
    HRESULT ShowUI(DWORD, IOleInPlaceActiveObject *, IOleCommandTarget *, IOleInPlaceFrame *,
                   IOleInPlaceUIWindow *) override {
        return S_FALSE;
    }
    HRESULT HideUI() override { return S_OK; }
    HRESULT UpdateUI() override { return S_OK; }
    HRESULT EnableModeless(BOOL) override { return S_OK; }
    HRESULT OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT ResizeBorder(const RECT *, IOleInPlaceUIWindow *, BOOL) override { return S_OK; }
    HRESULT TranslateAccelerator(MSG *message, const GUID *, DWORD) override {
        keys << *message;
        return takenKeys.contains(message->wParam) ? S_OK : S_FALSE;
    }
    HRESULT GetOptionKeyPath(LPOLESTR *key, DWORD) override {
        *key = nullptr;
        return S_OK;
    }
    HRESULT GetDropTarget(IDropTarget *, IDropTarget **replacement) override {
        *replacement = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetExternal(IDispatch **external) override {
        *external = nullptr;
        return E_NOTIMPL;
    }
    HRESULT TranslateUrl(DWORD, LPWSTR, LPWSTR *translated) override {
        *translated = nullptr;
        return S_FALSE;
    }
    HRESULT FilterDataObject(IDataObject *, IDataObject **filtered) override {
        *filtered = nullptr;
        return S_FALSE;
    }
};

QList<QMenu *> OpenMenus() {
    QList<QMenu *> menus;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *menu = qobject_cast<QMenu *>(w); menu && menu->isVisible())
            menus << menu;
    }
    return menus;
}

} // namespace

class TestHostInput final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void init();
    void cleanup();
    void keyDownMessages_data();
    void keyDownMessages();
    void keysTheHostTakesNeverReachThePage();
    void contextMenuGoesToTheHostFirst_data();
    void contextMenuGoesToTheHostFirst();

private:
    QWidget *PageWidget() const {
        return m_f->browser->findChild<QWebEngineView *>()->focusProxy();
    }

    std::unique_ptr<BrowserFixture> m_f;
    ComPtr<UiHandler> m_handler;
};

void TestHostInput::init() {
    m_f = std::make_unique<BrowserFixture>();
    m_handler = MakeComObject<UiHandler>();
    m_f->browser->SetClientSite(static_cast<IDocHostUIHandler *>(m_handler.Get()));
    QCOMPARE(m_f->LoadUrl(Fixture(u"keys.html"_qs)), u"keys"_qs);
    QVERIFY(PageWidget());
}

void TestHostInput::cleanup() {
    for (QMenu *menu : OpenMenus())
        menu->close();
    m_f.reset();
    m_handler = nullptr;
}

void TestHostInput::keyDownMessages_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("mapped");
    QTest::addColumn<UINT>("message");
    QTest::addColumn<WPARAM>("vk");
    QTest::addColumn<bool>("altBit");
    QTest::newRow("letter") << int(Qt::Key_A) << 0 << true << WM_KEYDOWN << WPARAM('A') << false;
    QTest::newRow("ctrl+digit") << int(Qt::Key_5) << int(Qt::ControlModifier) << true << WM_KEYDOWN
                                << WPARAM('5') << false;
    QTest::newRow("alt+D") << int(Qt::Key_D) << int(Qt::AltModifier) << true << WM_SYSKEYDOWN
                           << WPARAM('D') << true;
    QTest::newRow("F5") << int(Qt::Key_F5) << 0 << true << WM_KEYDOWN << WPARAM(0x74) << false;
    QTest::newRow("F10") << int(Qt::Key_F10) << 0 << true << WM_SYSKEYDOWN << WPARAM(0x79) << false;
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << 0 << true << WM_KEYDOWN << WPARAM(0x08)
                               << false;
    QTest::newRow("shift+tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << true
                               << WM_KEYDOWN << WPARAM(0x09) << false;
    QTest::newRow("arrow") << int(Qt::Key_Down) << 0 << true << WM_KEYDOWN << WPARAM(0x28) << false;
    QTest::newRow("insert") << int(Qt::Key_Insert) << 0 << true << WM_KEYDOWN << WPARAM(0x2D)
                            << false;
    QTest::newRow("no virtual key")
        << int(Qt::Key_Eacute) << 0 << false << UINT(0) << WPARAM(0) << false;
}

void TestHostInput::keyDownMessages() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, mapped);
    QFETCH(UINT, message);
    QFETCH(WPARAM, vk);
    QFETCH(bool, altBit);
    const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
    const std::optional<MSG> msg = engine::KeyDownMessage(event);
    QCOMPARE(msg.has_value(), mapped);
    if (!mapped)
        return;
    QCOMPARE(msg->message, message);
    QCOMPARE(msg->wParam, vk);
    QCOMPARE(bool(msg->lParam & (LPARAM(1) << 29)), altBit);
}

void TestHostInput::keysTheHostTakesNeverReachThePage() {
    m_handler->takenKeys = {WPARAM('X')};
    for (const Qt::Key key : {Qt::Key_A, Qt::Key_X, Qt::Key_B})
        QTest::keyClick(PageWidget(), key);
    QTRY_COMPARE_WITH_TIMEOUT(m_f->browser->LocationName(), u"a b"_qs, kLoadTimeout);
    QCOMPARE(m_handler->keys.size(), 3);
    QCOMPARE(m_handler->keys[1].wParam, WPARAM('X'));

    // Without a host every key reaches the page.
    m_f->browser->SetClientSite(nullptr);
    QTest::keyClick(PageWidget(), Qt::Key_X);
    QTRY_COMPARE_WITH_TIMEOUT(m_f->browser->LocationName(), u"a b x"_qs, kLoadTimeout);
    QCOMPARE(m_handler->keys.size(), 3);
}

void TestHostInput::contextMenuGoesToTheHostFirst_data() {
    QTest::addColumn<bool>("hostTakes");
    QTest::addColumn<QPoint>("where");
    QTest::addColumn<DWORD>("kind");
    QTest::newRow("host shows its own") << true << QPoint(20, 20) << engine::CONTEXT_MENU_ANCHOR;
    QTest::newRow("engine menu on a link")
        << false << QPoint(20, 20) << engine::CONTEXT_MENU_ANCHOR;
    QTest::newRow("engine menu on the page")
        << false << QPoint(300, 200) << engine::CONTEXT_MENU_DEFAULT;
}

void TestHostInput::contextMenuGoesToTheHostFirst() {
    QFETCH(bool, hostTakes);
    QFETCH(QPoint, where);
    QFETCH(DWORD, kind);
    m_handler->takeMenus = hostTakes;
    QTest::mouseClick(PageWidget(), Qt::RightButton, {}, where);
    QTRY_COMPARE_WITH_TIMEOUT(m_handler->menus.size(), 1, kLoadTimeout);
    QCOMPARE(m_handler->menus.first(), kind);
    if (hostTakes) {
        QTest::qWait(200);
        QVERIFY(OpenMenus().isEmpty());
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(OpenMenus().size(), 1, kLoadTimeout);
    }
}

QTEST_MAIN(TestHostInput)
#include "tst_HostInput.moc"
