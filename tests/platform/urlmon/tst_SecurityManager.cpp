// The default security manager's contracts: ProcessUrlAction buffer rules, GetSecurityId layout and
// size check, site-list writes through SetZoneMapping, and delegation to a custom manager that the
// security site offers.

#include "UrlmonFixture.h"

#include "platform/com/ComObject.h"
#include "platform/urlmon/UrlMoniker.h"

#include <QtTest>

#include <cstring>
#include <functional>

Q_DECLARE_METATYPE(HRESULT)

namespace {

// A host's custom manager: claims what its handlers claim, hands everything else back.
class FakeCustomManager final : public ComObject<IInternetSecurityManager> {
public:
    std::function<HRESULT(std::u16string_view, DWORD *)> onMap;
    std::function<HRESULT(std::u16string_view, DWORD, BYTE *, DWORD)> onAction;
    QStringList calls;

    HRESULT SetSecuritySite(IInternetSecurityMgrSite *) override { return INET_E_DEFAULT_ACTION; }
    HRESULT GetSecuritySite(IInternetSecurityMgrSite **site) override {
        *site = nullptr;
        return INET_E_DEFAULT_ACTION;
    }
    HRESULT MapUrlToZone(LPCWSTR url, DWORD *zone, DWORD) override {
        calls << "MapUrlToZone";
        return onMap ? onMap(url, zone) : INET_E_DEFAULT_ACTION;
    }
    HRESULT GetSecurityId(LPCWSTR, BYTE *, DWORD *, DWORD_PTR) override {
        calls << "GetSecurityId";
        return INET_E_DEFAULT_ACTION;
    }
    HRESULT ProcessUrlAction(LPCWSTR url, DWORD action, BYTE *policy, DWORD size, BYTE *, DWORD,
                             DWORD, DWORD) override {
        calls << "ProcessUrlAction";
        return onAction ? onAction(url, action, policy, size) : INET_E_DEFAULT_ACTION;
    }
    HRESULT QueryCustomPolicy(LPCWSTR, REFGUID, BYTE **, DWORD *, BYTE *, DWORD, DWORD) override {
        return INET_E_DEFAULT_ACTION;
    }
    HRESULT SetZoneMapping(DWORD, LPCWSTR, DWORD) override { return INET_E_DEFAULT_ACTION; }
    HRESULT GetZoneMappings(DWORD, IEnumString **mappings, DWORD) override {
        *mappings = nullptr;
        return INET_E_DEFAULT_ACTION;
    }
};

// The host's site: offers the custom manager as a service.
class FakeSite final : public ComObject<IInternetSecurityMgrSite, IServiceProvider> {
public:
    explicit FakeSite(ComPtr<IInternetSecurityManager> custom) : m_custom(std::move(custom)) {}
    HRESULT GetWindow(HWND *window) override {
        *window = nullptr;
        return E_NOTIMPL;
    }
    HRESULT EnableModeless(BOOL) override { return S_OK; }
    HRESULT QueryService(REFGUID service, REFIID riid, void **object) override {
        *object = nullptr;
        if (service != IInternetSecurityManager::iid || !m_custom)
            return E_NOINTERFACE;
        return m_custom->QueryInterface(riid, object);
    }

private:
    ComPtr<IInternetSecurityManager> m_custom;
};

// A site without IServiceProvider.
class PlainSite final : public ComObject<IInternetSecurityMgrSite> {
public:
    HRESULT GetWindow(HWND *) override { return E_NOTIMPL; }
    HRESULT EnableModeless(BOOL) override { return S_OK; }
};

const char16_t kHostPage[] = u"file:///srv/Html/host1/index.html";

QByteArray SecurityId(IInternetSecurityManager *manager, const char16_t *url, HRESULT *result) {
    BYTE buffer[MAX_SIZE_SECURITY_ID] = {};
    DWORD size = sizeof(buffer);
    *result = manager->GetSecurityId(url, buffer, &size, 0);
    return SUCCEEDED(*result) ? QByteArray(reinterpret_cast<char *>(buffer), int(size))
                              : QByteArray();
}

} // namespace

class TestSecurityManager final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_fixture = std::make_unique<FreshPlatformDir>();
        m_manager = NewSecurityManager();
        QVERIFY(m_manager);
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Domains\\restricted.example", "*", 4));
    }
    void cleanupTestCase() {
        m_manager.Reset();
        m_fixture.reset();
    }

    // The policy DWORD is written only into buffers of at least four bytes; the answer is the same.
    void processUrlActionBuffer_data() {
        QTest::addColumn<uint>("size");
        QTest::addColumn<bool>("written");
        for (uint size : {0u, 1u, 2u, 3u})
            QTest::addRow("%u bytes", size) << size << false;
        QTest::newRow("4 bytes") << 4u << true;
        QTest::newRow("8 bytes") << 8u << true;
    }
    void processUrlActionBuffer() {
        QFETCH(uint, size);
        QFETCH(bool, written);
        BYTE buffer[8];
        std::memset(buffer, 0xAB, sizeof(buffer));
        QCOMPARE(m_manager->ProcessUrlAction(u"http://restricted.example/", URLACTION_SCRIPT_RUN,
                                             buffer, size, nullptr, 0, 0, 0),
                 S_FALSE);
        const BYTE expected[8] = {written ? BYTE(3) : BYTE(0xAB),
                                  written ? BYTE(0) : BYTE(0xAB),
                                  written ? BYTE(0) : BYTE(0xAB),
                                  written ? BYTE(0) : BYTE(0xAB),
                                  0xAB,
                                  0xAB,
                                  0xAB,
                                  0xAB};
        QCOMPARE(QByteArray(reinterpret_cast<char *>(buffer), 8),
                 QByteArray(reinterpret_cast<const char *>(expected), 8));
    }

    void processUrlActionErrors() {
        DWORD policy = 0;
        auto *out = reinterpret_cast<BYTE *>(&policy);
        QCOMPARE(
            m_manager->ProcessUrlAction(nullptr, URLACTION_SCRIPT_RUN, out, 4, nullptr, 0, 0, 0),
            E_INVALIDARG);
        QCOMPARE(m_manager->ProcessUrlAction(u"index.htm", URLACTION_SCRIPT_RUN, out, 4, nullptr, 0,
                                             0, 0),
                 E_INVALIDARG);
        QCOMPARE(
            m_manager->ProcessUrlAction(u"http://a.example/", 0x1FFF, out, 4, nullptr, 0, 0, 0),
            E_FAIL);
        QCOMPARE(m_manager->ProcessUrlAction(u"http://a.example/", URLACTION_SCRIPT_RUN, nullptr, 4,
                                             nullptr, 0, 0, 0),
                 S_OK);
    }

    void securityId_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("id");
        const auto id = [](const char *text, char zone) -> QByteArray {
            return QByteArray(text) + QByteArray(1, zone) + QByteArray(3, '\0');
        };
        QTest::newRow("path and query dropped")
            << "http://www.zone3.example/site/about?x=1#f" << id("http:www.zone3.example", 3);
        QTest::newRow("user, port, case")
            << "FTP://u:p@Zone3.Example:2121/file" << id("ftp:zone3.example", 3);
        QTest::newRow("listed") << "https://restricted.example/"
                                << id("https:restricted.example", 4);
        QTest::newRow("dotless") << "http://intranet/" << id("http:intranet", 1);
        QTest::newRow("opaque") << "about:blank" << id("about:blank", 3);
        QTest::newRow("linux file") << "file:///home/u/a.html" << id("file:", 0);
        QTest::newRow("linux path") << "/home/u/a.html" << id("file:", 0);
        QTest::newRow("drive path") << "C:\\test.htm" << id("file:", 0);
        QTest::newRow("res") << "res://mshtml.dll/blank.htm" << id("file:", 0);
        QTest::newRow("file host") << "file://some%20file.jpg" << id("file:some%20file.jpg", 3);
        QTest::newRow("japanese host") << "http://例え.example/" << id("http:例え.example", 3);
    }
    void securityId() {
        QFETCH(QString, url);
        QFETCH(QByteArray, id);
        HRESULT result = E_UNEXPECTED;
        QCOMPARE(SecurityId(m_manager.Get(), W(url).c_str(), &result), id);
        QCOMPARE(result, S_OK);
    }

    // Exactly the identifier's size succeeds; one byte less fails, reports the size, writes
    // nothing.
    void securityIdBufferSize() {
        const QByteArray expected = QByteArray("http:www.example.com") + QByteArray("\3\0\0\0", 4);
        QByteArray buffer(64, '\x55');
        DWORD size = DWORD(expected.size() - 1);
        QCOMPARE(m_manager->GetSecurityId(u"http://www.example.com/",
                                          reinterpret_cast<BYTE *>(buffer.data()), &size, 0),
                 HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
        QCOMPARE(size, DWORD(expected.size()));
        QCOMPARE(buffer, QByteArray(64, '\x55'));
        QCOMPARE(m_manager->GetSecurityId(u"http://www.example.com/",
                                          reinterpret_cast<BYTE *>(buffer.data()), &size, 0),
                 S_OK);
        QCOMPARE(buffer.left(int(size)), expected);
        QCOMPARE(buffer.mid(int(size)), QByteArray(64 - expected.size(), '\x55'));

        BYTE bytes[16];
        DWORD big = sizeof(bytes);
        QCOMPARE(m_manager->GetSecurityId(nullptr, bytes, &big, 0), E_INVALIDARG);
        QCOMPARE(m_manager->GetSecurityId(u"http://a.example/", nullptr, &big, 0), E_INVALIDARG);
        QCOMPARE(m_manager->GetSecurityId(u"http://a.example/", bytes, nullptr, 0), E_INVALIDARG);
        QCOMPARE(m_manager->GetSecurityId(u"index.htm", bytes, &big, 0), E_INVALIDARG);
        // A 1 MB data: URL does not fit the usual buffer: the needed size comes back.
        const std::u16string huge = u"data:," + std::u16string(1 << 20, u'x');
        DWORD usual = MAX_SIZE_SECURITY_ID;
        QByteArray room(MAX_SIZE_SECURITY_ID, '\0');
        QCOMPARE(m_manager->GetSecurityId(huge.c_str(), reinterpret_cast<BYTE *>(room.data()),
                                          &usual, 0),
                 HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
        QCOMPARE(usual, DWORD(huge.size() + 4));
    }

    void zoneMappings() {
        const FreshPlatformDir fresh;
        const auto manager = NewSecurityManager();
        DWORD zone = 0;
        QCOMPARE(manager->SetZoneMapping(4, u"Bad.Example", SZM_CREATE), S_OK);
        QCOMPARE(manager->SetZoneMapping(2, u"https://www.good.example", SZM_CREATE), S_OK);
        QCOMPARE(manager->SetZoneMapping(1, u"10.1.2.*", SZM_CREATE), S_OK);
        QCOMPARE(manager->MapUrlToZone(u"ftp://files.bad.example/", &zone, 0), S_OK);
        QCOMPARE(zone, 4u);
        QCOMPARE(manager->MapUrlToZone(u"https://www.good.example/", &zone, 0), S_OK);
        QCOMPARE(zone, 2u);
        QCOMPARE(manager->MapUrlToZone(u"http://www.good.example/", &zone, 0), S_OK);
        QCOMPARE(zone, 3u);
        QCOMPARE(manager->MapUrlToZone(u"http://10.1.2.3/", &zone, 0), S_OK);
        QCOMPARE(zone, 1u);

        QCOMPARE(Mappings(manager.Get(), 4), QStringList{"*://bad.example"});
        QCOMPARE(Mappings(manager.Get(), 2), QStringList{"https://www.good.example"});
        QCOMPARE(Mappings(manager.Get(), 1), QStringList{"*://10.1.2.*"});

        QCOMPARE(manager->SetZoneMapping(4, u"bad.example", SZM_DELETE), S_OK);
        QCOMPARE(manager->SetZoneMapping(4, u"bad.example", SZM_DELETE),
                 HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
        QCOMPARE(manager->SetZoneMapping(3, u"https://www.good.example", SZM_DELETE),
                 HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
        QCOMPARE(manager->SetZoneMapping(2, u"https://www.good.example", SZM_DELETE), S_OK);
        QCOMPARE(manager->SetZoneMapping(1, u"10.1.2.*", SZM_DELETE), S_OK);
        QCOMPARE(manager->MapUrlToZone(u"ftp://files.bad.example/", &zone, 0), S_OK);
        QCOMPARE(zone, 3u);
        QCOMPARE(Mappings(manager.Get(), 4), QStringList{});
        // Emptied keys are gone.
        HKEY key = nullptr;
        QCOMPARE(RegOpenKeyExA(HKEY_CURRENT_USER,
                               (kSettings + "ZoneMap\\Domains\\good.example").c_str(), 0, KEY_READ,
                               &key),
                 ERROR_FILE_NOT_FOUND);

        for (const char16_t *bad : {u"", u"http://", u"a..b", u"exa mple.com", u"*x.example",
                                    u"www.*.example", u"ht tp://a.example"})
            QCOMPARE(manager->SetZoneMapping(4, bad, SZM_CREATE), E_INVALIDARG);
        QCOMPARE(manager->SetZoneMapping(5, u"a.example", SZM_CREATE), E_INVALIDARG);
        QCOMPARE(manager->SetZoneMapping(4, u"a.example", 7), E_INVALIDARG);
        QCOMPARE(manager->SetZoneMapping(4, nullptr, SZM_CREATE), E_INVALIDARG);
    }

    // Every call goes to the custom manager first; INET_E_DEFAULT_ACTION hands it back, and the
    // default decisions then use the zone the custom MapUrlToZone gives.
    void delegation() {
        auto custom = MakeComObject<FakeCustomManager>();
        custom->onMap = [](std::u16string_view url, DWORD *zone) {
            if (url.starts_with(u"file:///srv/Html/")) {
                *zone = URLZONE_UNTRUSTED;
                return S_OK;
            }
            if (url == u"http://broken.example/")
                return E_ACCESSDENIED;
            if (url == u"http://lazy.example/")
                return S_OK; // claims without giving a zone
            return INET_E_DEFAULT_ACTION;
        };
        custom->onAction = [](std::u16string_view, DWORD action, BYTE *policy, DWORD size) {
            if (action != URLACTION_COOKIES_THIRD_PARTY)
                return INET_E_DEFAULT_ACTION;
            if (size >= 4)
                std::memset(policy, 0, 4);
            return S_OK;
        };
        const auto manager = NewSecurityManager();
        const auto site = MakeComObject<FakeSite>(ComPtr<IInternetSecurityManager>(custom.Get()));
        QCOMPARE(manager->SetSecuritySite(site.Get()), S_OK);
        ComPtr<IInternetSecurityMgrSite> got;
        QCOMPARE(manager->GetSecuritySite(got.ReleaseAndGetAddressOf()), S_OK);
        QCOMPARE(static_cast<void *>(got.Get()),
                 static_cast<void *>(static_cast<IInternetSecurityMgrSite *>(site.Get())));

        DWORD zone = 0, policy = 0;
        auto *out = reinterpret_cast<BYTE *>(&policy);
        QCOMPARE(manager->MapUrlToZone(kHostPage, &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_UNTRUSTED);
        QCOMPARE(manager->MapUrlToZone(u"http://www.example.com/", &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_INTERNET);
        QCOMPARE(manager->MapUrlToZone(u"http://broken.example/", &zone, 0), E_ACCESSDENIED);

        // A local page the host puts into Restricted sites may not run script.
        custom->calls.clear();
        QCOMPARE(
            manager->ProcessUrlAction(kHostPage, URLACTION_SCRIPT_RUN, out, 4, nullptr, 0, 0, 0),
            S_FALSE);
        QCOMPARE(policy, URLPOLICY_DISALLOW);
        QCOMPARE(custom->calls, (QStringList{"ProcessUrlAction", "MapUrlToZone"}));
        QCOMPARE(manager->ProcessUrlAction(u"http://www.example.com/", URLACTION_SCRIPT_RUN, out, 4,
                                           nullptr, 0, 0, 0),
                 S_OK);
        // The host's own answer is final.
        policy = 7;
        QCOMPARE(manager->ProcessUrlAction(u"http://restricted.example/",
                                           URLACTION_COOKIES_THIRD_PARTY, out, 4, nullptr, 0, 0, 0),
                 S_OK);
        QCOMPARE(policy, URLPOLICY_ALLOW);
        // A failing custom mapping fails the decision instead of falling back.
        QCOMPARE(manager->ProcessUrlAction(u"http://broken.example/", URLACTION_SCRIPT_RUN, out, 4,
                                           nullptr, 0, 0, 0),
                 E_ACCESSDENIED);

        // A claim without a zone grants nothing and identifies no zone.
        QCOMPARE(manager->ProcessUrlAction(u"http://lazy.example/", URLACTION_SCRIPT_RUN, out, 4,
                                           nullptr, 0, 0, 0),
                 E_FAIL);
        HRESULT result = E_UNEXPECTED;
        QCOMPARE(SecurityId(manager.Get(), u"http://lazy.example/", &result),
                 QByteArray(QByteArray("http:lazy.example") + QByteArray(4, '\xFF')));
        QCOMPARE(SecurityId(manager.Get(), kHostPage, &result),
                 QByteArray(QByteArray("file:") + QByteArray("\4\0\0\0", 4)));
        QCOMPARE(result, S_OK);

        // Dropping the site drops the custom manager.
        QCOMPARE(manager->SetSecuritySite(nullptr), S_OK);
        QCOMPARE(manager->MapUrlToZone(kHostPage, &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_LOCAL_MACHINE);
        QCOMPARE(manager->GetSecuritySite(got.ReleaseAndGetAddressOf()), S_OK);
        QVERIFY(!got);

        // A site that offers no services changes nothing.
        QCOMPARE(manager->SetSecuritySite(MakeComObject<PlainSite>().Get()), S_OK);
        QCOMPARE(manager->MapUrlToZone(kHostPage, &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_LOCAL_MACHINE);
    }

    // A custom manager that asks the same default manager back gets the default answer, not
    // endless recursion.
    void reentrantCustomManager() {
        const auto manager = NewSecurityManager();
        auto custom = MakeComObject<FakeCustomManager>();
        IInternetSecurityManager *inner = manager.Get();
        custom->onMap = [inner](std::u16string_view url, DWORD *zone) {
            const std::u16string copy(url);
            const HRESULT hr = inner->MapUrlToZone(copy.c_str(), zone, 0);
            if (SUCCEEDED(hr) && *zone == URLZONE_INTERNET)
                *zone = URLZONE_TRUSTED;
            return hr;
        };
        QCOMPARE(manager->SetSecuritySite(
                     MakeComObject<FakeSite>(ComPtr<IInternetSecurityManager>(custom.Get())).Get()),
                 S_OK);
        DWORD zone = 0;
        QCOMPARE(manager->MapUrlToZone(u"http://www.example.com/", &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_TRUSTED);
        QCOMPARE(manager->ProcessUrlAction(u"http://www.example.com/", URLACTION_CREDENTIALS_USE,
                                           reinterpret_cast<BYTE *>(&zone), 4, nullptr, 0, 0, 0),
                 S_OK);
        QCOMPARE(zone, URLPOLICY_CREDENTIALS_SILENT_LOGON_OK); // Trusted (Low), not Internet
        QCOMPARE(manager->SetSecuritySite(nullptr), S_OK);     // breaks the cycle site -> manager
    }

    void urlMoniker() {
        ComPtr<IMoniker> moniker;
        QCOMPARE(
            CreateURLMoniker(nullptr, u"file:///srv/script.html", moniker.ReleaseAndGetAddressOf()),
            S_OK);
        LPOLESTR name = nullptr;
        QCOMPARE(moniker->GetDisplayName(nullptr, nullptr, &name), S_OK);
        QCOMPARE(std::u16string(name), std::u16string(u"file:///srv/script.html"));
        CoTaskMemFree(name);
        QCOMPARE(CreateURLMoniker(nullptr, u"", moniker.ReleaseAndGetAddressOf()), E_INVALIDARG);
        QVERIFY(!moniker);
        QCOMPARE(CreateURLMoniker(nullptr, nullptr, moniker.ReleaseAndGetAddressOf()),
                 E_INVALIDARG);
        QCOMPARE(CreateURLMoniker(nullptr, u"x", nullptr), E_INVALIDARG);
    }

private:
    static QStringList Mappings(IInternetSecurityManager *manager, DWORD zone) {
        ComPtr<IEnumString> mappings;
        if (FAILED(manager->GetZoneMappings(zone, mappings.ReleaseAndGetAddressOf(), 0)))
            return {"<failed>"};
        QStringList list;
        LPOLESTR text = nullptr;
        while (mappings->Next(1, &text, nullptr) == S_OK) {
            list << QString::fromUtf16(text);
            CoTaskMemFree(text);
        }
        return list;
    }

    std::unique_ptr<FreshPlatformDir> m_fixture;
    ComPtr<IInternetSecurityManager> m_manager;
};

QTEST_GUILESS_MAIN(TestSecurityManager)
#include "tst_SecurityManager.moc"
