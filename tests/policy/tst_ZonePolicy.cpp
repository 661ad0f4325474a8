#include "platform/com/ComObject.h"
#include "platform/urlmon/WideText.h"
#include "policy/ZonePolicy.h"
#include "tests/support/FreshPlatformDir.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {

const std::string kDir = "/srv/saved/Html/";

LocalZoneRule rule(bool useOriginalUrl, int defaultZone = 3) {
    LocalZoneRule r;
    r.LocalWebDirectory = kDir;
    r.UseOrginalUrl = useOriginalUrl;
    r.DefaultSecurityZone = defaultZone;
    return r;
}

// A platform manager whose security identifiers are shorter than a zone part.
class ShortIdManager final : public ComObject<IInternetSecurityManager> {
public:
    HRESULT SetSecuritySite(IInternetSecurityMgrSite *) override { return E_NOTIMPL; }
    HRESULT GetSecuritySite(IInternetSecurityMgrSite **) override { return E_NOTIMPL; }
    HRESULT MapUrlToZone(LPCWSTR, DWORD *zone, DWORD) override {
        *zone = URLZONE_INVALID;
        return E_FAIL;
    }
    HRESULT GetSecurityId(LPCWSTR, BYTE *id, DWORD *size, DWORD_PTR) override {
        id[0] = 'f';
        id[1] = ':';
        *size = 2;
        return S_OK;
    }
    HRESULT ProcessUrlAction(LPCWSTR, DWORD, BYTE *, DWORD, BYTE *, DWORD, DWORD, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT QueryCustomPolicy(LPCWSTR, REFGUID, BYTE **, DWORD *, BYTE *, DWORD, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT SetZoneMapping(DWORD, LPCWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT GetZoneMappings(DWORD, IEnumString **, DWORD) override { return E_NOTIMPL; }
};

std::u16string wide(const QString &s) {
    return urlmon::ToUtf16(s.toStdString());
}

} // namespace

class TestZonePolicy final : public QObject {
    Q_OBJECT

    FreshPlatformDir m_dir;
    ComPtr<IInternetSecurityManager> m_platform;

    // The security identifier the platform itself gives url.
    QByteArray platformId(const std::u16string &url) {
        BYTE id[MAX_SIZE_SECURITY_ID];
        DWORD size = sizeof id;
        if (FAILED(m_platform->GetSecurityId(url.c_str(), id, &size, 0)))
            return {};
        return QByteArray(reinterpret_cast<const char *>(id), int(size));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QCOMPARE(CoInternetCreateSecurityManager(nullptr, m_platform.ReleaseAndGetAddressOf(), 0),
                 S_OK);
        QCOMPARE(m_platform->SetZoneMapping(URLZONE_UNTRUSTED, u"restricted.example", SZM_CREATE),
                 S_OK);
        QCOMPARE(m_platform->SetZoneMapping(URLZONE_TRUSTED, u"trusted.example", SZM_CREATE), S_OK);
    }

    void mapUrlToZone_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("useOriginalUrl");
        QTest::addColumn<int>("defaultZone");
        QTest::addColumn<bool>("handled");
        QTest::addColumn<int>("zone"); // 77: left as it was

        const QString page = QString::fromStdString(kDir) + "restricted.example/index.html";
        QTest::newRow("saved page, fixed zone") << page << false << 3 << true << 3;
        QTest::newRow("saved page, its Internet zone") << page << true << 3 << true << 4;
        QTest::newRow("saved page as file url, its Internet zone")
            << "file://" + page << true << 3 << true << 4;
        QTest::newRow("saved trusted page")
            << QString::fromStdString(kDir) + "trusted.example/a.html" << true << 3 << true << 2;
        QTest::newRow("saved page of a plain Internet host")
            << QString::fromStdString(kDir) + "www.example.org/a.html" << true << 4 << true << 3;
        QTest::newRow("saved page of a dot-less host")
            << QString::fromStdString(kDir) + "host1/index.html" << true << 3 << true << 1;
        QTest::newRow("file outside the directory, original url on")
            << "file:///home/u/notes.html" << true << 3 << true << 3;
        QTest::newRow("path outside the directory, other fixed zone")
            << "/home/u/notes.html" << false << 4 << true << 4;
        QTest::newRow("dot segments climbing out of a trusted host")
            << QString::fromStdString(kDir) + "trusted.example/../../../../tmp/evil.html" << true
            << 4 << true << 4;
        QTest::newRow("fixed zone -1 is passed on")
            << QString::fromStdString(kDir) + "host1/a.html" << false << -1 << true << -1;
        QTest::newRow("http is the platform's")
            << "http://restricted.example/" << true << 3 << false << 77;
        QTest::newRow("about is the platform's") << "about:blank" << true << 3 << false << 77;
        QTest::newRow("javascript is the platform's")
            << "javascript:alert(1)" << false << 3 << false << 77;
    }

    void mapUrlToZone() {
        QFETCH(QString, url);
        QFETCH(bool, useOriginalUrl);
        QFETCH(int, defaultZone);
        QFETCH(bool, handled);
        QFETCH(int, zone);

        DWORD z = 77;
        bool h = false;
        const std::u16string u = wide(url);
        const HRESULT hr = zonepolicy::MapUrlToZone(*m_platform, rule(useOriginalUrl, defaultZone),
                                                    u.c_str(), z, 0, h);
        QCOMPARE(hr, S_OK);
        QCOMPARE(h, handled);
        QCOMPARE(LONG(z), zone);
    }

    void failedPlatformLookupIsStillClaimed() {
        const auto failing = MakeComObject<ShortIdManager>();
        DWORD z = 77;
        bool h = false;
        const std::u16string u = wide(QString::fromStdString(kDir) + "host1/a.html");
        QCOMPARE(zonepolicy::MapUrlToZone(*failing, rule(true), u.c_str(), z, 0, h), E_FAIL);
        QVERIFY(h);
        QCOMPARE(z, URLZONE_INVALID);
    }

    void securityIdOfASavedPage() {
        const std::u16string page =
            wide(QString::fromStdString(kDir) + "restricted.example/a.html");
        BYTE id[MAX_SIZE_SECURITY_ID];
        DWORD size = sizeof id;
        bool handled = false;

        // By its Internet URL: exactly the platform's identifier of that URL.
        QCOMPARE(
            zonepolicy::GetSecurityId(*m_platform, rule(true), page.c_str(), id, &size, 0, handled),
            S_OK);
        QVERIFY(handled);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(id), int(size)),
                 platformId(u"http://restricted.example/a.html"));

        // By the fixed zone: the file's own identifier with the zone part replaced.
        size = sizeof id;
        QCOMPARE(zonepolicy::GetSecurityId(*m_platform, rule(false, 2), page.c_str(), id, &size, 0,
                                           handled),
                 S_OK);
        QVERIFY(handled);
        QByteArray expected = platformId(page);
        QVERIFY(expected.size() > 4);
        expected.replace(expected.size() - 4, 4, QByteArray("\x02\0\0\0", 4));
        QCOMPARE(QByteArray(reinterpret_cast<char *>(id), int(size)), expected);
    }

    void securityIdOfOtherAddressesIsThePlatforms() {
        BYTE id[MAX_SIZE_SECURITY_ID];
        DWORD size = sizeof id;
        bool handled = true;
        QCOMPARE(zonepolicy::GetSecurityId(*m_platform, rule(true), u"http://example.com/", id,
                                           &size, 0, handled),
                 S_OK);
        QVERIFY(!handled);
    }

    void securityIdBufferTooSmall() {
        const std::u16string page =
            wide(QString::fromStdString(kDir) + "restricted.example/a.html");
        BYTE id[4] = {0xAA, 0xAA, 0xAA, 0xAA};
        DWORD size = 3;
        bool handled = false;
        const HRESULT hr = zonepolicy::GetSecurityId(*m_platform, rule(false), page.c_str(), id,
                                                     &size, 0, handled);
        QVERIFY(FAILED(hr));
        QVERIFY(handled);
        QCOMPARE(id[3], BYTE(0xAA));
    }

    void identifierShorterThanAZoneIsNotWrittenBefore() {
        const auto shortIds = MakeComObject<ShortIdManager>();
        BYTE buffer[8] = {0x55, 0x55, 0, 0, 0, 0, 0, 0};
        BYTE *id = buffer + 2;
        DWORD size = 6;
        bool handled = false;
        QCOMPARE(zonepolicy::GetSecurityId(*shortIds, rule(false, 4), u"/home/u/a.html", id, &size,
                                           0, handled),
                 S_OK);
        QCOMPARE(size, DWORD(2));
        QCOMPARE(buffer[0], BYTE(0x55));
        QCOMPARE(buffer[1], BYTE(0x55));
        QCOMPARE(id[0], BYTE('f'));
    }

    void texts() {
        QCOMPARE(zonepolicy::ZoneLogLine(u"file:///C:/Html/host1/index.html", 3, true),
                 std::string("URL=file:///C:/Html/host1/index.html Zone=3 Handled=1"));
        QCOMPARE(zonepolicy::ZoneLogLine(u"about:blank", URLZONE_INVALID, false),
                 std::string("URL=about:blank Zone=-1 Handled=0"));
        QCOMPARE(zonepolicy::ActionTraceText(0x1400, 0x40), std::string("Action=0x1400 Flag=0040"));
        QCOMPARE(zonepolicy::ActionTraceText(0x1A02, 0x12345),
                 std::string("Action=0x1A02 Flag=12345"));
        QCOMPARE(zonepolicy::SecurityLineText(0x1C00), std::string("0x1C00"));
    }

    void categories_data() {
        QTest::addColumn<uint>("action");
        QTest::addColumn<int>("category");
        const struct {
            uint action;
            int category;
        } rows[] = {{0x1000, 3}, {0x11FF, 3}, {0x1200, 2}, {0x13FF, 2}, {0x1400, 0}, {0x15FF, 0},
                    {0x1600, 5}, {0x1607, 5}, {0x1803, 5}, {0x1A02, 4}, {0x1A03, 4}, {0x1A05, 5},
                    {0x1A06, 5}, {0x1C00, 1}, {0x1CFF, 1}, {0x1D00, 5}, {0x0FFF, 5}, {0x2000, 5}};
        for (const auto &r : rows)
            QTest::addRow("0x%X", r.action) << r.action << r.category;
    }

    void categories() {
        QFETCH(uint, action);
        QFETCH(int, category);
        QCOMPARE(UrlActionCategory(action), category);
    }

    void categoryNames() {
        QCOMPARE(QString::fromUtf8(SecurityCategoryName(scScript)), QStringLiteral("スクリプト"));
        QCOMPARE(QString::fromUtf8(SecurityCategoryName(scOther)), QStringLiteral("その他"));
        QCOMPARE(QString::fromUtf8(SecurityCategoryName(6)), QString());
    }
};

QTEST_GUILESS_MAIN(TestZonePolicy)
#include "tst_ZonePolicy.moc"
