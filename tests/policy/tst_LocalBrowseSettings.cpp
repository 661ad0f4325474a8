#include "policy/LocalBrowseSettings.h"
#include "tests/support/FreshPlatformDir.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr const char *kOptionKey = "Software\\Tarnwick\\Lumenvale\\1.0";

// The host's flag word with a count of the notifications it gave the engine.
struct FakeHostFlags {
    DWORD word = 0;
    int notifications = 0;
};

bool valueExists(const char *section, const char *name) {
    TRegistryIniFile ini(kOptionKey, KEY_QUERY_VALUE);
    return ini.ValueExists(section, name);
}
} // namespace

class TestLocalBrowseSettings final : public QObject {
    Q_OBJECT

    FreshPlatformDir m_dir;

    struct Fixture {
        TRegistryIniFile reader{kOptionKey, KEY_QUERY_VALUE};
        TRegistryIniFile writer{kOptionKey, KEY_ALL_ACCESS};
        FakeHostFlags host;
        TLocalBrowseSettings settings;

        explicit Fixture(const LocalPathStyle &style) : settings(reader, writer, style) {
            settings.SetDownloadControlAccess([this] { return host.word; },
                                              [this](DWORD w) {
                                                  if (w != host.word)
                                                      ++host.notifications;
                                                  host.word = w;
                                              });
            settings.LoadLocalBrowseSettings();
        }
    };

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("HOME", "/home/tester");
    }

    void init() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software"); }

    void emptyKeyGivesTheDefaults_data() {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("directory");
        QTest::newRow("posix") << false << "/home/tester/Html/";
        QTest::newRow("windows") << true << "C:\\Html\\";
    }

    void emptyKeyGivesTheDefaults() {
        QFETCH(bool, windows);
        QFETCH(QString, directory);
        Fixture f(windows ? kWindowsPathStyle : kPosixPathStyle);
        QCOMPARE(QString::fromStdString(f.settings.LocalWebDirectory()), directory);
        QCOMPARE(f.host.word, DWORD(16));
        QCOMPARE(f.host.notifications, 1);
        QCOMPARE(f.settings.UseOrginalUrl(), false);
        QCOMPARE(f.settings.DefaultSecurityZone(), 3);
        QVERIFY(!valueExists("LocalBrowse", "Directory"));
    }

    void storedValuesAreRead_data() {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("held");
        QTest::newRow("windows, no trailing separator") << true << "D:\\Sites"
                                                        << "D:\\Sites\\";
        QTest::newRow("posix, no trailing separator") << false << "/srv/sites"
                                                      << "/srv/sites/";
        QTest::newRow("posix, trailing separator") << false << "/srv/sites/"
                                                   << "/srv/sites/";
        QTest::newRow("empty is absent") << false << ""
                                         << "/home/tester/Html/";
    }

    void storedValuesAreRead() {
        QFETCH(bool, windows);
        QFETCH(QString, stored);
        QFETCH(QString, held);
        {
            TRegistryIniFile w(kOptionKey);
            w.WriteString("LocalBrowse", "Directory", stored.toStdString());
            w.WriteInteger("SecurityOption", "DLControl", int(0x90000010u));
            w.WriteBool("SecurityOption", "UseOrginalUrl", true);
            w.WriteString("SecurityOption", "DefaultSecurityZone", "four");
        }
        Fixture f(windows ? kWindowsPathStyle : kPosixPathStyle);
        QCOMPARE(QString::fromStdString(f.settings.LocalWebDirectory()), held);
        QCOMPARE(f.host.word, DWORD(0x90000010u));
        QCOMPARE(f.settings.UseOrginalUrl(), true);
        QCOMPARE(f.settings.DefaultSecurityZone(), 3); // not a number: the default
    }

    void directorySetter_data() {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("held");
        QTest::addColumn<bool>("written");
        QTest::newRow("windows, other case is the same") << true << "C:\\Html\\"
                                                         << "C:\\HTML\\"
                                                         << "C:\\Html\\" << false;
        QTest::newRow("windows, new directory") << true << "C:\\Html\\"
                                                << "D:\\Sites"
                                                << "D:\\Sites\\" << true;
        QTest::newRow("posix, other case is another directory") << false << "/srv/Html/"
                                                                << "/srv/HTML/"
                                                                << "/srv/HTML/" << true;
        QTest::newRow("posix, same") << false << "/srv/Html/"
                                     << "/srv/Html/"
                                     << "/srv/Html/" << false;
        QTest::newRow("posix, new directory") << false << "/srv/Html/"
                                              << "/data/sites"
                                              << "/data/sites/" << true;
    }

    void directorySetter() {
        QFETCH(bool, windows);
        QFETCH(QString, initial);
        QFETCH(QString, set);
        QFETCH(QString, held);
        QFETCH(bool, written);
        TRegistryIniFile(kOptionKey).WriteString("LocalBrowse", "Directory", initial.toStdString());
        Fixture f(windows ? kWindowsPathStyle : kPosixPathStyle);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tarnwick\\Lumenvale\\1.0\\LocalBrowse");

        QVERIFY(f.settings.SetLocalWebDirectory(set.toStdString()));
        QCOMPARE(QString::fromStdString(f.settings.LocalWebDirectory()), held);
        QCOMPARE(valueExists("LocalBrowse", "Directory"), written);
        if (written)
            QCOMPARE(QString::fromStdString(f.reader.ReadString("LocalBrowse", "Directory", "")),
                     held);
    }

    void emptyDirectoryIsRefused() {
        Fixture f(kPosixPathStyle);
        QVERIFY(!f.settings.SetLocalWebDirectory(""));
        QCOMPARE(f.settings.LocalWebDirectory(), std::string("/home/tester/Html/"));
        QVERIFY(!valueExists("LocalBrowse", "Directory"));
    }

    void settersWriteOnlyOnChange() {
        Fixture f(kPosixPathStyle);
        const int notified = f.host.notifications;

        f.settings.SetDownloadControlFlags(16);
        f.settings.SetUseOrginalUrl(false);
        f.settings.SetDefaultSecurityZone(3);
        QCOMPARE(f.host.notifications, notified);
        QVERIFY(!valueExists("SecurityOption", "DLControl"));
        QVERIFY(!valueExists("SecurityOption", "UseOrginalUrl"));
        QVERIFY(!valueExists("SecurityOption", "DefaultSecurityZone"));

        f.settings.SetDownloadControlFlags(0x90);
        f.settings.SetUseOrginalUrl(true);
        f.settings.SetDefaultSecurityZone(4);
        QCOMPARE(f.host.notifications, notified + 1);
        QCOMPARE(f.settings.GetDownloadControlFlags(), DWORD(0x90));
        QCOMPARE(f.reader.ReadInteger("SecurityOption", "DLControl", 0), 0x90);
        QCOMPARE(f.reader.ReadString("SecurityOption", "UseOrginalUrl", ""), std::string("1"));
        QCOMPARE(f.reader.ReadInteger("SecurityOption", "DefaultSecurityZone", 0), 4);
        QCOMPARE(f.settings.Rule().DefaultSecurityZone, 4);
        QVERIFY(f.settings.Rule().UseOrginalUrl);
    }

    void failedWriteRaisesAfterTheValueChanged() {
        TRegistryIniFile reader(kOptionKey, KEY_QUERY_VALUE);
        TRegistryIniFile queryOnlyWriter(kOptionKey, KEY_QUERY_VALUE);
        TLocalBrowseSettings s(reader, queryOnlyWriter);
        s.LoadLocalBrowseSettings();
        QVERIFY_THROWS_EXCEPTION(ERegistryException, s.SetDefaultSecurityZone(2));
        QCOMPARE(s.DefaultSecurityZone(), 2);
        QVERIFY_THROWS_EXCEPTION(ERegistryException, s.SetLocalWebDirectory("/srv/x"));
        QCOMPARE(s.LocalWebDirectory(), std::string("/srv/x/"));
    }
};

QTEST_GUILESS_MAIN(TestLocalBrowseSettings)
#include "tst_LocalBrowseSettings.moc"
