// Zone decisions are kept between calls, yet follow a change of the zone settings from the very
// next call: made by another process, or by redirecting the user's key in this one.

#include "../registry/OtherProcess.h"
#include "UrlmonFixture.h"

#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QList<QStringList>)

namespace {

const QString kUser = QString::fromStdString("HKCU\\" + kSettings);
const QString kMachine = QString::fromStdString("HKLM\\" + kSettings);

struct Decision {
    HRESULT mapped = E_FAIL;
    DWORD zone = URLZONE_INVALID;
    HRESULT action = E_FAIL;
};

Decision Decide(IInternetSecurityManager &manager, const QString &url) {
    Decision decision;
    const std::u16string wide = W(url);
    decision.mapped = manager.MapUrlToZone(wide.c_str(), &decision.zone, 0);
    DWORD policy = 0;
    decision.action = manager.ProcessUrlAction(wide.c_str(), URLACTION_SCRIPT_RUN,
                                               reinterpret_cast<BYTE *>(&policy), sizeof policy,
                                               nullptr, 0, PUAF_NOUI, 0);
    return decision;
}

} // namespace

class TestZoneChanges final : public QObject {
    Q_OBJECT

private slots:
    void init() { m_fixture = std::make_unique<FreshPlatformDir>(); }
    void cleanup() { m_fixture.reset(); }

    void decisionsFollowAnotherProcess_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QList<QStringList>>("setup");
        QTest::addColumn<QList<QStringList>>("changes");
        QTest::addColumn<uint>("zoneBefore");
        QTest::addColumn<HRESULT>("scriptBefore");
        QTest::addColumn<uint>("zoneAfter");
        QTest::addColumn<HRESULT>("scriptAfter");
        const QString domains = kUser + "ZoneMap\\Domains\\example.org";
        QTest::newRow("site added")
            << "http://www.example.org/" << QList<QStringList>{}
            << QList<QStringList>{{"set-dword", domains, "*", "4"}} << 3u << S_OK << 4u << S_FALSE;
        QTest::newRow("site removed")
            << "http://www.example.org/" << QList<QStringList>{{"set-dword", domains, "*", "4"}}
            << QList<QStringList>{{"delete-tree", domains}} << 4u << S_FALSE << 3u << S_OK;
        QTest::newRow("range added")
            << "http://10.1.2.3/" << QList<QStringList>{}
            << QList<QStringList>{{"set-string", kUser + "ZoneMap\\Ranges\\Range1", ":Range",
                                   "10.1.2.*"},
                                  {"set-dword", kUser + "ZoneMap\\Ranges\\Range1", "http", "4"}}
            << 3u << S_OK << 4u << S_FALSE;
        QTest::newRow("policy of the user")
            << "http://www.example.org/" << QList<QStringList>{}
            << QList<QStringList>{{"set-dword", kUser + "Zones\\3", "1400", "3"}} << 3u << S_OK
            << 3u << S_FALSE;
        QTest::newRow("policy of the machine")
            << "http://www.example.org/" << QList<QStringList>{}
            << QList<QStringList>{{"set-dword", kMachine + "Zones\\3", "1400", "3"}} << 3u << S_OK
            << 3u << S_FALSE;
        QTest::newRow("policy of the user removed")
            << "http://www.example.org/"
            << QList<QStringList>{{"set-dword", kUser + "Zones\\3", "1400", "3"}}
            << QList<QStringList>{{"delete-value", kUser + "Zones\\3", "1400"}} << 3u << S_FALSE
            << 3u << S_OK;
        QTest::newRow("level raised")
            << "http://www.example.org/" << QList<QStringList>{}
            << QList<QStringList>{{"set-dword", kUser + "Zones\\3", "CurrentLevel", "0x12000"}}
            << 3u << S_OK << 3u << S_FALSE;
        QTest::newRow("intranet names off")
            << "http://intranet/" << QList<QStringList>{}
            << QList<QStringList>{{"set-dword", kUser + "ZoneMap", "IntranetName", "0"}} << 1u
            << S_OK << 3u << S_OK;
        QTest::newRow("protocol default")
            << "http://www.example.org/" << QList<QStringList>{}
            << QList<QStringList>{{"set-dword", kUser + "ZoneMap\\ProtocolDefaults", "http", "4"}}
            << 3u << S_OK << 4u << S_FALSE;
    }

    void decisionsFollowAnotherProcess() {
        QFETCH(QString, url);
        QFETCH(QList<QStringList>, setup);
        QFETCH(QList<QStringList>, changes);
        QFETCH(uint, zoneBefore);
        QFETCH(HRESULT, scriptBefore);
        QFETCH(uint, zoneAfter);
        QFETCH(HRESULT, scriptAfter);
        for (const QStringList &change : setup)
            QVERIFY(EditInOtherProcess(change));
        const auto manager = NewSecurityManager();
        for (int round = 0; round < 2; ++round) {
            const Decision before = Decide(*manager, url);
            QCOMPARE(before.mapped, S_OK);
            QCOMPARE(before.zone, DWORD(zoneBefore));
            QCOMPARE(before.action, scriptBefore);
        }
        for (const QStringList &change : changes)
            QVERIFY(EditInOtherProcess(change));
        const Decision after = Decide(*manager, url);
        QCOMPARE(after.zone, DWORD(zoneAfter));
        QCOMPARE(after.action, scriptAfter);
    }

    // HKEY_CURRENT_USER redirected to another key: its zone settings decide, and the default
    // ones again once the redirection ends; no store changes in between.
    void decisionsFollowARedirectedUserKey() {
        const auto manager = NewSecurityManager();
        HKEY other = nullptr;
        QCOMPARE(RegCreateKeyExA(HKEY_CURRENT_USER, "Other", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 &other, nullptr),
                 ERROR_SUCCESS);
        const std::string zonePath = "Other\\" + kSettings + "Zones\\3";
        HKEY zone = nullptr;
        QCOMPARE(RegCreateKeyExA(HKEY_CURRENT_USER, zonePath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, &zone, nullptr),
                 ERROR_SUCCESS);
        const DWORD disallow = 3;
        QCOMPARE(RegSetValueExA(zone, "1400", 0, REG_DWORD,
                                reinterpret_cast<const BYTE *>(&disallow), sizeof disallow),
                 ERROR_SUCCESS);
        RegCloseKey(zone);
        const QString url = "http://www.example.org/";
        QCOMPARE(Decide(*manager, url).action, S_OK);
        QCOMPARE(Decide(*manager, url).action, S_OK);
        QCOMPARE(RegOverridePredefKey(HKEY_CURRENT_USER, other), ERROR_SUCCESS);
        QCOMPARE(Decide(*manager, url).action, S_FALSE);
        QCOMPARE(RegOverridePredefKey(HKEY_CURRENT_USER, nullptr), ERROR_SUCCESS);
        QCOMPARE(Decide(*manager, url).action, S_OK);
        RegCloseKey(other);
    }

private:
    std::unique_ptr<FreshPlatformDir> m_fixture;
};

QTEST_GUILESS_MAIN(TestZoneChanges)
#include "tst_ZoneChanges.moc"
