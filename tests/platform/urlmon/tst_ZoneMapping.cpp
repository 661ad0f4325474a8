// MapUrlToZone of the default security manager: local files, server shares, site lists of both
// stores with their matching rules, dot-less hosts, special schemes, malformed and huge URLs.

#include "UrlmonFixture.h"

#include <QtTest>

Q_DECLARE_METATYPE(HRESULT)

class TestZoneMapping final : public QObject {
    Q_OBJECT

private slots:
    // One platform directory for the read-only cases: seeding a fresh machine store is slow.
    void initTestCase() {
        m_fixture = std::make_unique<FreshPlatformDir>();
        m_manager = NewSecurityManager();
        QVERIFY(m_manager);
        // Site lists of both stores, laid out as the original editor writes them.
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Domains\\listed.example", "*", 2));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Domains\\scheme.example", "https", 2));
        QVERIFY(SetDword(HKEY_LOCAL_MACHINE, "ZoneMap\\Domains\\machine.example", "http", 4));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Domains\\both.example", "*", 2));
        QVERIFY(SetDword(HKEY_LOCAL_MACHINE, "ZoneMap\\Domains\\both.example", "*", 4));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Domains\\www.exact.example", "http", 4));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Domains\\org", "http", 4));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Domains\\org\\testing", "http", 2));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Domains\\super.cool\\*.testing", "ftp", 2));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Domains\\super.cool\\testing.*", "ftp", 2));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Domains\\example.net\\www", "*", 4));
        QVERIFY(SetText(HKEY_CURRENT_USER, "ZoneMap\\Ranges\\Range1", ":Range", "192.168.1.*"));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Ranges\\Range1", "*", 1));
        QVERIFY(SetText(HKEY_LOCAL_MACHINE, "ZoneMap\\Ranges\\Range7", ":Range", "10.0.0.1-50"));
        QVERIFY(SetDword(HKEY_LOCAL_MACHINE, "ZoneMap\\Ranges\\Range7", "http", 4));
    }
    void cleanupTestCase() {
        m_manager.Reset();
        m_fixture.reset();
    }

    void mapUrlToZone_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<uint>("flags");
        QTest::addColumn<HRESULT>("result");
        QTest::addColumn<uint>("zone");
        const uint invalid = URLZONE_INVALID;
        // Local files in both path styles.
        QTest::newRow("linux path") << "/home/u/Html/a.html" << 0u << S_OK << 0u;
        QTest::newRow("file three slashes") << "file:///home/u/a%20b.html" << 0u << S_OK << 0u;
        QTest::newRow("file one slash") << "file:/home/u/a.html" << 0u << S_OK << 0u;
        QTest::newRow("file localhost") << "file://localhost/etc/x.html" << 0u << S_OK << 0u;
        QTest::newRow("drive path") << "C:\\Html\\a.htm" << 0u << S_OK << 0u;
        QTest::newRow("bare drive") << "c:" << 0u << S_OK << 0u;
        QTest::newRow("file drive three slashes") << "file:///C:/Html/a.htm" << 0u << S_OK << 0u;
        QTest::newRow("file drive backslash") << "file://c:\\Index.htm" << 0u << S_OK << 0u;
        QTest::newRow("res") << "res://mshtml.dll/blank.htm" << 0u << S_OK << 0u;
        QTest::newRow("relative as file") << "pages/index.htm" << uint(MUTZ_ISFILE) << S_OK << 0u;
        // Server shares are intranet; a file host with a dot is a network name.
        QTest::newRow("unc") << "\\\\server\\share\\a.htm" << 0u << S_OK << 1u;
        QTest::newRow("file share") << "file://server/share/a.htm" << 0u << S_OK << 1u;
        QTest::newRow("file dotted host") << "file://some%20file.jpg" << 0u << S_OK << 3u;
        // Dot-less hosts and the Internet.
        QTest::newRow("dotless") << "http://intranet/" << 0u << S_OK << 1u;
        QTest::newRow("dotless with port") << "http://localhost:8080/x" << 0u << S_OK << 1u;
        QTest::newRow("internet") << "http://www.example.com/" << 0u << S_OK << 3u;
        QTest::newRow("upper case") << "HTTPS://WWW.Example.COM/X" << 0u << S_OK << 3u;
        QTest::newRow("ipv6 literal") << "http://[::1]/" << 0u << S_OK << 3u;
        // Site lists.
        QTest::newRow("listed") << "http://listed.example/a" << 0u << S_OK << 2u;
        QTest::newRow("listed sub-domain") << "https://a.b.listed.example/" << 0u << S_OK << 2u;
        QTest::newRow("listed upper case") << "http://LISTED.Example/" << 0u << S_OK << 2u;
        QTest::newRow("listed user and port")
            << "ftp://u:p@listed.example:2121/f" << 0u << S_OK << 2u;
        QTest::newRow("star skips unknown scheme") << "zip://listed.example/" << 0u << S_OK << 3u;
        QTest::newRow("listed ignored by flag")
            << "http://listed.example/" << uint(MUTZ_IGNORE_ZONE_MAPPINGS) << S_OK << 3u;
        QTest::newRow("scheme value") << "https://scheme.example/" << 0u << S_OK << 2u;
        QTest::newRow("other scheme") << "http://scheme.example/" << 0u << S_OK << 3u;
        QTest::newRow("machine store") << "http://machine.example/" << 0u << S_OK << 4u;
        QTest::newRow("user over machine") << "http://both.example/" << 0u << S_OK << 2u;
        QTest::newRow("three-label key") << "http://www.exact.example/" << 0u << S_OK << 4u;
        QTest::newRow("three-label key no wildcard")
            << "http://a.www.exact.example/" << 0u << S_OK << 3u;
        QTest::newRow("one-label key") << "http://org/" << 0u << S_OK << 4u;
        QTest::newRow("one-label key no wildcard") << "http://google.org/" << 0u << S_OK << 3u;
        QTest::newRow("one-label sub-key") << "http://testing.org/" << 0u << S_OK << 2u;
        QTest::newRow("wildcard sub-key") << "ftp://google.testing.super.cool/" << 0u << S_OK << 2u;
        QTest::newRow("trailing star is literal")
            << "ftp://testing.google.super.cool/" << 0u << S_OK << 3u;
        QTest::newRow("sub-key") << "http://www.example.net/" << 0u << S_OK << 4u;
        QTest::newRow("sub-key parent") << "http://example.net/" << 0u << S_OK << 3u;
        QTest::newRow("sub-key sibling") << "http://mail.example.net/" << 0u << S_OK << 3u;
        QTest::newRow("range star") << "http://192.168.1.20/" << 0u << S_OK << 1u;
        QTest::newRow("range miss") << "http://192.168.2.20/" << 0u << S_OK << 3u;
        QTest::newRow("range span") << "http://10.0.0.7/" << 0u << S_OK << 4u;
        QTest::newRow("range span miss") << "http://10.0.0.70/" << 0u << S_OK << 3u;
        // Schemes without an authority.
        QTest::newRow("about") << "about:blank" << 0u << S_OK << 3u;
        QTest::newRow("javascript") << "javascript:alert(1)" << 0u << S_OK << 3u;
        QTest::newRow("data") << "data:text/html,<b>x</b>" << 0u << S_OK << 3u;
        QTest::newRow("mailto") << "mailto:a@b.example" << 0u << S_OK << 3u;
        QTest::newRow("unknown scheme") << "test:123abc" << 0u << S_OK << 3u;
        // Malformed.
        QTest::newRow("empty") << "" << 0u << E_INVALIDARG << invalid;
        QTest::newRow("relative") << "index.htm" << 0u << E_INVALIDARG << invalid;
        QTest::newRow("http without slashes") << "http:google.com" << 0u << E_INVALIDARG << invalid;
        QTest::newRow("empty host") << "http:///path" << 0u << E_INVALIDARG << invalid;
        QTest::newRow("only user info") << "http://user@/" << 0u << E_INVALIDARG << invalid;
        QTest::newRow("no scheme") << "://x" << 0u << E_INVALIDARG << invalid;
        QTest::newRow("empty share") << "\\\\" << 0u << E_INVALIDARG << invalid;
        QTest::newRow("unclosed ipv6") << "http://[::1/" << 0u << S_OK << 3u;
        QTest::newRow("several at signs") << "http://a@b@host/" << 0u << S_OK << 1u;
        QTest::newRow("lone surrogate")
            << QString(QChar(0xD800)) + "http://x.example/" << 0u << E_INVALIDARG << invalid;
    }
    void mapUrlToZone() {
        QFETCH(QString, url);
        QFETCH(uint, flags);
        QFETCH(HRESULT, result);
        QFETCH(uint, zone);
        DWORD got = 12345;
        QCOMPARE(m_manager->MapUrlToZone(W(url).c_str(), &got, flags), result);
        QCOMPARE(got, DWORD(zone));
    }

    void nullArguments() {
        DWORD zone = 12345;
        QCOMPARE(m_manager->MapUrlToZone(nullptr, &zone, 0), E_INVALIDARG);
        QCOMPARE(zone, URLZONE_INVALID);
        QCOMPARE(m_manager->MapUrlToZone(u"http://x.example/", nullptr, 0), E_INVALIDARG);
    }

    // The ZoneMap switches turn the intranet rules off; ProtocolDefaults sets the fallback zone.
    void zoneMapSettings() {
        const FreshPlatformDir fresh;
        const auto manager = NewSecurityManager();
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap", "IntranetName", 0));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap", "UNCAsIntranet", 0));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\ProtocolDefaults", "ftp", 4));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Domains\\listed.example", "*", 2));
        DWORD zone = 0;
        QCOMPARE(manager->MapUrlToZone(u"http://intranet/", &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_INTERNET);
        QCOMPARE(manager->MapUrlToZone(u"\\\\server\\share", &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_INTERNET);
        QCOMPARE(manager->MapUrlToZone(u"ftp://files.example/", &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_UNTRUSTED);
        QCOMPARE(manager->MapUrlToZone(u"ftp://listed.example/", &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_TRUSTED);
    }

    // Other processes add sites: a manager created before the write sees it on the next call.
    void siteListsReadFresh() {
        const FreshPlatformDir fresh;
        const auto manager = NewSecurityManager();
        DWORD zone = 0;
        QCOMPARE(manager->MapUrlToZone(u"http://late.example/", &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_INTERNET);
        QVERIFY(SetDword(HKEY_CURRENT_USER, "ZoneMap\\Domains\\late.example", "*", 4));
        QCOMPARE(manager->MapUrlToZone(u"http://late.example/", &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_UNTRUSTED);
    }

    void hugeUrls_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<HRESULT>("result");
        QTest::addColumn<uint>("zone");
        const int mega = 1 << 20;
        QTest::newRow("long path") << "http://www.example.com/" + QString(mega, 'a') << S_OK << 3u;
        QTest::newRow("long host")
            << "http://" + QString(mega, 'a') + ".com/" << E_INVALIDARG << uint(URLZONE_INVALID);
        QString labels;
        for (int i = 0; i < mega / 2; ++i)
            labels += QStringLiteral("a.");
        QTest::newRow("many labels")
            << "http://" + labels + "example/" << E_INVALIDARG << uint(URLZONE_INVALID);
        QTest::newRow("long data") << "data:text/plain," + QString(mega, 'x') << S_OK << 3u;
        QTest::newRow("long scheme") << QString(mega, 'h') + "://x.example/" << S_OK << 3u;
        QTest::newRow("long local path") << "file:///" + QString(mega, '/') << S_OK << 0u;
        QTest::newRow("long garbage")
            << QString(mega, QChar(0x3042)) << E_INVALIDARG << uint(URLZONE_INVALID);
    }
    void hugeUrls() {
        QFETCH(QString, url);
        QFETCH(HRESULT, result);
        QFETCH(uint, zone);
        DWORD got = 0;
        QCOMPARE(m_manager->MapUrlToZone(W(url).c_str(), &got, 0), result);
        QCOMPARE(got, DWORD(zone));
    }

private:
    std::unique_ptr<FreshPlatformDir> m_fixture;
    ComPtr<IInternetSecurityManager> m_manager;
};

QTEST_GUILESS_MAIN(TestZoneMapping)
#include "tst_ZoneMapping.moc"
