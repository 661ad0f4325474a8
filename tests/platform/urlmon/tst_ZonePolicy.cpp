// Action policies: the built-in templates per zone, the machine store over the templates, the user
// store over the machine store, values of the wrong type, seeding, and the zone manager's policy
// calls.

#include "UrlmonFixture.h"

#include <QFile>
#include <QtTest>

Q_DECLARE_METATYPE(HRESULT)

namespace {

// One URL per zone (zone 2 and 4 through the site list the fixture writes).
const char16_t *const kZoneUrls[] = {u"file:///home/u/a.html", u"http://intranet/",
                                     u"http://trusted.example/", u"http://www.example.com/",
                                     u"http://restricted.example/"};

struct Decision {
    HRESULT result = E_UNEXPECTED;
    DWORD policy = 0xDEADBEEF;
};

Decision Decide(IInternetSecurityManager *manager, DWORD zone, DWORD action) {
    Decision d;
    d.result =
        manager->ProcessUrlAction(kZoneUrls[zone], action, reinterpret_cast<BYTE *>(&d.policy),
                                  sizeof(d.policy), nullptr, 0, PUAF_NOUI, 0);
    return d;
}

} // namespace

class TestZonePolicy final : public QObject {
    Q_OBJECT

private slots:
    // Every case starts from a fresh platform directory, except the read-only template table.
    void initTestCase() { QVERIFY(Fresh(m_shared)); }
    void init() {
        if (QTest::currentTestFunction() != QByteArrayLiteral("templates"))
            QVERIFY(Fresh(m_fresh));
        m_manager = m_fresh.manager ? m_fresh.manager : m_shared.manager;
    }
    void cleanup() {
        m_manager.Reset();
        m_fresh = {};
    }
    void cleanupTestCase() { m_shared = {}; }

    void templates_data() {
        QTest::addColumn<uint>("zone");
        QTest::addColumn<uint>("action");
        QTest::addColumn<uint>("policy");
        QTest::addColumn<HRESULT>("result");
        // The actions the browser control asks about, in every zone.
        const struct {
            DWORD action;
            DWORD policies[5];
        } rows[] = {
            {URLACTION_SCRIPT_RUN, {0, 0, 0, 0, 3}},
            {URLACTION_ACTIVEX_RUN, {0, 0, 0, 0, 3}},
            {URLACTION_SHELL_FILE_DOWNLOAD, {0, 0, 0, 0, 3}},
            {URLACTION_COOKIES, {0, 0, 0, 0, 3}},
            {URLACTION_COOKIES_SESSION, {0, 0, 0, 0, 3}},
            {URLACTION_COOKIES_THIRD_PARTY, {0, 0, 0, 1, 3}},
            {URLACTION_COOKIES_SESSION_THIRD_PARTY, {0, 0, 0, 0, 3}},
            {URLACTION_HTML_SUBFRAME_NAVIGATE, {0, 0, 0, 0, 3}},
            {URLACTION_HTML_FONT_DOWNLOAD, {0, 0, 0, 0, 1}},
            {URLACTION_HTML_META_REFRESH, {0, 0, 0, 0, 3}},
            {URLACTION_HTML_MIXED_CONTENT, {1, 1, 1, 1, 1}},
            {URLACTION_DOWNLOAD_UNSIGNED_ACTIVEX, {0, 3, 1, 3, 3}},
            {URLACTION_JAVA_PERMISSIONS, {0x20000, 0x20000, 0x30000, 0x10000, 0}},
            {URLACTION_CREDENTIALS_USE, {0, 0x20000, 0, 0x20000, 0x10000}},
        };
        for (const auto &row : rows)
            for (DWORD zone = 0; zone < 5; ++zone) {
                const DWORD policy = row.policies[zone];
                QTest::addRow("%04X zone %u", unsigned(row.action), unsigned(zone))
                    << uint(zone) << uint(row.action) << uint(policy)
                    << (GetUrlPolicyPermissions(policy) == URLPOLICY_ALLOW ? S_OK : S_FALSE);
            }
    }
    void templates() {
        QFETCH(uint, zone);
        QFETCH(uint, action);
        QFETCH(uint, policy);
        QFETCH(HRESULT, result);
        const Decision d = Decide(m_manager.Get(), zone, action);
        QCOMPARE(d.result, result);
        QCOMPARE(d.policy, DWORD(policy));
    }

    // Machine store over template, user store over machine store, per action and zone; values of
    // the wrong type or size are skipped as if absent.
    void storePrecedence_data() {
        QTest::addColumn<QList<QVariant>>("hklm"); // [type, bytes] or empty
        QTest::addColumn<QList<QVariant>>("hkcu");
        QTest::addColumn<uint>("policy");
        const QByteArray three("\x03\0\0\0", 4), zero("\0\0\0\0", 4);
        const auto dword = [](const QByteArray &b) { return QList<QVariant>{uint(REG_DWORD), b}; };
        QTest::newRow("template") << QList<QVariant>{} << QList<QVariant>{} << 0u;
        QTest::newRow("machine over template") << dword(three) << QList<QVariant>{} << 3u;
        QTest::newRow("user over machine") << dword(three) << dword(zero) << 0u;
        QTest::newRow("user over template") << QList<QVariant>{} << dword(three) << 3u;
        QTest::newRow("user string skipped")
            << dword(three) << QList<QVariant>{uint(REG_SZ), QByteArray("abc", 4)} << 3u;
        QTest::newRow("user 1-byte binary skipped")
            << dword(three) << QList<QVariant>{uint(REG_BINARY), QByteArray("\0", 1)} << 3u;
        QTest::newRow("user qword skipped")
            << dword(three) << QList<QVariant>{uint(REG_QWORD), QByteArray(8, '\0')} << 3u;
        QTest::newRow("machine multi-string skipped")
            << QList<QVariant>{uint(REG_MULTI_SZ), QByteArray("a\0\0", 3)} << QList<QVariant>{}
            << 0u;
        QTest::newRow("4-byte binary read")
            << QList<QVariant>{} << QList<QVariant>{uint(REG_BINARY), three} << 3u;
    }
    void storePrecedence() {
        QFETCH(QList<QVariant>, hklm);
        QFETCH(QList<QVariant>, hkcu);
        QFETCH(uint, policy);
        const auto write = [](HKEY root, const QList<QVariant> &value) {
            if (value.isEmpty())
                return true;
            const QByteArray bytes = value[1].toByteArray();
            return SetValue(root, "Zones\\3", "1400", value[0].toUInt(),
                            std::vector<BYTE>(bytes.begin(), bytes.end()));
        };
        QVERIFY(write(HKEY_LOCAL_MACHINE, hklm));
        QVERIFY(write(HKEY_CURRENT_USER, hkcu));
        const Decision d = Decide(m_manager.Get(), URLZONE_INTERNET, URLACTION_SCRIPT_RUN);
        QCOMPARE(d.policy, DWORD(policy));
        QCOMPARE(d.result, policy == 0 ? S_OK : S_FALSE);
    }

    // A zone's level picks the template that answers the actions no store sets.
    void currentLevelPicksTemplate() {
        QVERIFY(SetDword(HKEY_CURRENT_USER, "Zones\\3", "CurrentLevel", URLTEMPLATE_HIGH));
        QCOMPARE(Decide(m_manager.Get(), URLZONE_INTERNET, URLACTION_SCRIPT_RUN).result, S_FALSE);
        QVERIFY(SetDword(HKEY_CURRENT_USER, "Zones\\4", "CurrentLevel", URLTEMPLATE_LOW));
        QCOMPARE(Decide(m_manager.Get(), URLZONE_UNTRUSTED, URLACTION_SCRIPT_RUN).result, S_OK);
    }

    // First use writes the zone keys into the machine store once; later changes there stay.
    void seedingIsIdempotent() {
        QCOMPARE(ReadMachineText("Zones\\3", "DisplayName"), QStringLiteral("インターネット"));
        QVERIFY(SetDword(HKEY_LOCAL_MACHINE, "Zones\\3", "CurrentLevel", URLTEMPLATE_HIGH));
        QVERIFY(NewSecurityManager());
        QVERIFY(NewZoneManager());
        DWORD level = 0;
        QVERIFY(ReadMachineDword("Zones\\3", "CurrentLevel", level));
        QCOMPARE(level, URLTEMPLATE_HIGH);
        QCOMPARE(Decide(m_manager.Get(), URLZONE_INTERNET, URLACTION_SCRIPT_RUN).result, S_FALSE);
    }

    // With a read-only machine store nothing is seeded and the templates answer.
    void readOnlyMachineStore() {
        const FreshPlatformDir fresh;
        QFile marker(fresh.path() + "/machine.readonly");
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        const auto manager = NewSecurityManager();
        QVERIFY(manager);
        QVERIFY(ReadMachineText("Zones\\3", "DisplayName").isNull());
        DWORD policy = 0;
        QCOMPARE(manager->ProcessUrlAction(u"http://a.example/", URLACTION_SCRIPT_RUN,
                                           reinterpret_cast<BYTE *>(&policy), 4, nullptr, 0, 0, 0),
                 S_OK);
        QCOMPARE(manager->ProcessUrlAction(u"http://a.example/", URLACTION_COOKIES_THIRD_PARTY,
                                           reinterpret_cast<BYTE *>(&policy), 4, nullptr, 0, 0, 0),
                 S_FALSE);
        QCOMPARE(policy, URLPOLICY_QUERY);
    }

    void zoneManagerPolicies() {
        const auto zones = NewZoneManager();
        QVERIFY(SetDword(HKEY_LOCAL_MACHINE, "Zones\\3", "1A02", 3));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "Zones\\3", "1A02", 1));
        DWORD policy = 0;
        auto *out = reinterpret_cast<BYTE *>(&policy);
        QCOMPARE(zones->GetZoneActionPolicy(3, 0x1A02, out, 4, URLZONEREG_DEFAULT), S_OK);
        QCOMPARE(policy, 1u);
        QCOMPARE(zones->GetZoneActionPolicy(3, 0x1A02, out, 4, URLZONEREG_HKLM), S_OK);
        QCOMPARE(policy, 3u);
        QCOMPARE(zones->GetZoneActionPolicy(3, 0x1A02, out, 4, URLZONEREG_HKCU), S_OK);
        QCOMPARE(policy, 1u);
        // Errors: short or missing buffer, unknown zone, an action no one sets.
        QCOMPARE(zones->GetZoneActionPolicy(3, 0x1A02, out, 3, URLZONEREG_DEFAULT), E_INVALIDARG);
        QCOMPARE(zones->GetZoneActionPolicy(3, 0x1A02, nullptr, 4, URLZONEREG_DEFAULT),
                 E_INVALIDARG);
        QCOMPARE(zones->GetZoneActionPolicy(13, 0x1A02, out, 4, URLZONEREG_DEFAULT), E_INVALIDARG);
        QCOMPARE(zones->GetZoneActionPolicy(3, 0x1FFF, out, 4, URLZONEREG_DEFAULT), E_FAIL);

        // Writes go to the user store and decide the next ProcessUrlAction.
        DWORD disallow = URLPOLICY_DISALLOW;
        QCOMPARE(zones->SetZoneActionPolicy(1, URLACTION_SCRIPT_RUN,
                                            reinterpret_cast<BYTE *>(&disallow), 4,
                                            URLZONEREG_DEFAULT),
                 S_OK);
        QCOMPARE(Decide(m_manager.Get(), URLZONE_INTRANET, URLACTION_SCRIPT_RUN).result, S_FALSE);
        QCOMPARE(zones->SetZoneActionPolicy(1, URLACTION_SCRIPT_RUN,
                                            reinterpret_cast<BYTE *>(&disallow), 2,
                                            URLZONEREG_DEFAULT),
                 E_INVALIDARG);

        // Copying a template sets every action of it and the zone's level.
        QCOMPARE(zones->CopyTemplatePoliciesToZone(URLTEMPLATE_HIGH, 2, 0), S_OK);
        QCOMPARE(Decide(m_manager.Get(), URLZONE_TRUSTED, URLACTION_SHELL_FILE_DOWNLOAD).policy,
                 URLPOLICY_DISALLOW);
        QCOMPARE(zones->CopyTemplatePoliciesToZone(0x12345, 2, 0), E_INVALIDARG);
        QCOMPARE(zones->CopyTemplatePoliciesToZone(URLTEMPLATE_HIGH, 9, 0), E_INVALIDARG);
    }

private:
    struct Setup {
        std::unique_ptr<FreshPlatformDir> fixture;
        ComPtr<IInternetSecurityManager> manager;
    };
    // A fresh platform directory with the zone 2 and zone 4 sites of kZoneUrls.
    static bool Fresh(Setup &setup) {
        setup.manager.Reset();
        setup.fixture = std::make_unique<FreshPlatformDir>();
        setup.manager = NewSecurityManager();
        return setup.manager &&
               setup.manager->SetZoneMapping(2, u"trusted.example", SZM_CREATE) == S_OK &&
               setup.manager->SetZoneMapping(4, u"restricted.example", SZM_CREATE) == S_OK;
    }

    static QString ReadMachineText(const std::string &path, const char *name) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kSettings + path).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return {};
        char text[256] = {};
        DWORD size = sizeof(text);
        const LSTATUS status =
            RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? QString::fromUtf8(text) : QString();
    }
    static bool ReadMachineDword(const std::string &path, const char *name, DWORD &value) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kSettings + path).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return false;
        DWORD size = sizeof(value);
        const LSTATUS status =
            RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

    Setup m_shared;
    Setup m_fresh;
    ComPtr<IInternetSecurityManager> m_manager;
};

QTEST_GUILESS_MAIN(TestZonePolicy)
#include "tst_ZonePolicy.moc"
