#include "policy/ZoneDisplay.h"
#include "tests/support/FreshPlatformDir.h"

#include <QTemporaryDir>
#include <QtTest>

class TestZoneDisplay final : public QObject {
    Q_OBJECT

    FreshPlatformDir m_dir;
    ComPtr<IInternetSecurityManager> m_platform;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QCOMPARE(CoInternetCreateSecurityManager(nullptr, m_platform.ReleaseAndGetAddressOf(), 0),
                 S_OK);
        QCOMPARE(m_platform->SetZoneMapping(URLZONE_UNTRUSTED, u"restricted.example", SZM_CREATE),
                 S_OK);
    }

    void zoneForUrl_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("useOriginalUrl");
        QTest::addColumn<int>("defaultZone");
        QTest::addColumn<int>("zone");

        QTest::newRow("saved page, original url off")
            << "/srv/Html/restricted.example/a.html" << false << 3 << 3;
        QTest::newRow("saved page, original url on")
            << "file:///srv/Html/restricted.example/a.html" << true << 3 << 4;
        QTest::newRow("local file outside") << "file:///etc/a.html" << true << 2 << 2;
        QTest::newRow("network address") << "http://restricted.example/" << false << 3 << 4;
        QTest::newRow("internet address") << "https://www.example.org/" << false << 2 << 3;
        QTest::newRow("relative text fails: default") << "index.html" << false << 2 << 2;
    }

    void zoneForUrl() {
        QFETCH(QString, address);
        QFETCH(bool, useOriginalUrl);
        QFETCH(int, defaultZone);
        QFETCH(int, zone);
        LocalZoneRule rule;
        rule.LocalWebDirectory = "/srv/Html/";
        rule.UseOrginalUrl = useOriginalUrl;
        rule.DefaultSecurityZone = defaultZone;
        QCOMPARE(zonedisplay::ZoneForUrl(*m_platform, rule, address.toStdString()), zone);
    }

    void zoneListIndex_data() {
        QTest::addColumn<int>("zone");
        QTest::addColumn<int>("index");
        QTest::newRow("my computer") << 0 << 0;
        QTest::newRow("restricted") << 4 << 4;
        QTest::newRow("not yet known") << -1 << 5;
        QTest::newRow("beyond the list") << 5 << 5;
        QTest::newRow("user zone") << 1000 << 5;
    }

    void zoneListIndex() {
        QFETCH(int, zone);
        QFETCH(int, index);
        QCOMPARE(zonedisplay::ZoneListIndex(zone, 5), index);
    }

    void panelAt_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("panel");
        QTest::newRow("left edge") << 0 << 0;
        QTest::newRow("first pixel") << 1 << 1;
        QTest::newRow("border of 1 and 2") << 120 << 1;
        QTest::newRow("after the border") << 121 << 2;
        QTest::newRow("status text") << 400 << 3;
        QTest::newRow("border of 3 and 4") << 540 << 3;
        QTest::newRow("zone") << 600 << 4;
        QTest::newRow("past the last panel") << 900 << 4;
    }

    void panelAt() {
        QFETCH(int, x);
        QFETCH(int, panel);
        QCOMPARE(zonedisplay::PanelAt({120, 120, 300, 120}, x), panel);
    }

    void hints() {
        TSecurityCategories met;
        std::string hint = "previous";
        QVERIFY(zonedisplay::PanelHint(2, "", met, "", hint));
        QCOMPARE(QString::fromStdString(hint), QStringLiteral("セキュリティ項目"));

        met.set(scScript).set(scCookie);
        QVERIFY(zonedisplay::PanelHint(2, "", met, "", hint));
        QCOMPARE(QString::fromStdString(hint), QStringLiteral("セキュリティ項目スクリプトCookie"));

        QVERIFY(zonedisplay::PanelHint(1, "2026/12/09 10:00:00", met, "", hint));
        QCOMPARE(QString::fromStdString(hint),
                 QStringLiteral("ページの更新日時 2026/12/09 10:00:00"));
        QVERIFY(zonedisplay::PanelHint(3, "", met, "完了", hint));
        QCOMPARE(QString::fromStdString(hint), QStringLiteral("ステータス完了"));
        QVERIFY(zonedisplay::PanelHint(4, "", met, "", hint));
        QCOMPARE(QString::fromStdString(hint), QStringLiteral("セキュリティーゾーン"));

        hint = "kept";
        QVERIFY(!zonedisplay::PanelHint(0, "", met, "", hint));
        QVERIFY(!zonedisplay::PanelHint(5, "", met, "", hint));
        QCOMPARE(hint, std::string("kept"));
    }
};

QTEST_GUILESS_MAIN(TestZoneDisplay)
#include "tst_ZoneDisplay.moc"
