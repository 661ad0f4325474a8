#include "options/appoption.h"
#include "platform/registry/MachineStore.h"
#include "tests/support/FreshPlatformDir.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {
constexpr const char *kOptionKey = "Software\\Tarnwick\\Lumenvale\\1.0";

bool keyExists(const std::string &path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void setRaw(const std::string &path, const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key = nullptr;
    QCOMPARE(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                             nullptr, &key, nullptr),
             ERROR_SUCCESS);
    QCOMPARE(RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size),
             ERROR_SUCCESS);
    RegCloseKey(key);
}

void setString(const std::string &path, const char *name, const char *text) {
    setRaw(path, name, REG_SZ, text, DWORD(std::strlen(text) + 1));
}

void setDword(const std::string &path, const char *name, DWORD v) {
    setRaw(path, name, REG_DWORD, &v, sizeof v);
}

// Type and bytes of a value, or type REG_NONE with no bytes when it is absent.
std::pair<DWORD, QByteArray> readRaw(const std::string &path, const char *name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {REG_NONE, {}};
    DWORD type = 0, size = 0;
    QByteArray bytes;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        bytes.resize(size);
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(bytes.data()), &size);
    } else {
        type = REG_NONE;
    }
    RegCloseKey(key);
    return {type, bytes};
}
} // namespace

class TestAppOption final : public QObject {
    Q_OBJECT

    FreshPlatformDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void init() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software"); }

    void firstRunGivesDefaultsAndCreatesTheKey() {
        QVERIFY(!keyExists(kOptionKey));
        TAppOption o;
        QCOMPARE(o.CheckDefaultBrowser(), false);
        QCOMPARE(o.DebugEnable(), false);
        QCOMPARE(o.ToolbarExt(), false);
        QCOMPARE(o.LogDialog(), false);
        QCOMPARE(o.ShowStatusBar(), true);
        QCOMPARE(o.ShowMessage(), true);
        QCOMPARE(o.DefaultWidth(), -1);
        QCOMPARE(o.DefaultHeight(), -1);
        QVERIFY(keyExists(kOptionKey));
        QVERIFY(o.IsOptionKeyWritable());
    }

    void booleanSetterWritesOnlyOnChange() {
        TAppOption o;
        o.SetDebugEnable(false); // unchanged: nothing written
        QCOMPARE(readRaw(std::string(kOptionKey) + "\\Debug", "Enable").first, REG_NONE);
        QVERIFY(!keyExists(std::string(kOptionKey) + "\\Debug"));

        o.SetDebugEnable(true);
        const auto [type, bytes] = readRaw(std::string(kOptionKey) + "\\Debug", "Enable");
        QCOMPARE(type, REG_SZ);
        QCOMPARE(QByteArray(bytes.constData()), QByteArray("1"));
        QCOMPARE(o.DebugEnable(), true);

        o.SetShowMessage(false);
        QCOMPARE(
            QByteArray(readRaw(std::string(kOptionKey) + "\\UI", "ShowMessage").second.constData()),
            QByteArray("0"));
        QCOMPARE(TAppOption().ShowMessage(), false);
    }

    void integerSetterWritesEvenWhenUnchanged() {
        TAppOption o;
        o.SetDefaultWidth(-1);
        const auto [type, bytes] = readRaw(std::string(kOptionKey) + "\\UI", "DefaultWidth");
        QCOMPARE(type, REG_DWORD);
        QCOMPARE(bytes.size(), 4);
        qint32 v = 0;
        std::memcpy(&v, bytes.constData(), 4);
        QCOMPARE(v, -1);
    }

    void integerKeepsAnExistingStringType() {
        setString(std::string(kOptionKey) + "\\UI", "DefaultHeight", "480");
        TAppOption o;
        QCOMPARE(o.DefaultHeight(), 480);
        o.SetDefaultHeight(600);
        const auto [type, bytes] = readRaw(std::string(kOptionKey) + "\\UI", "DefaultHeight");
        QCOMPARE(type, REG_SZ);
        QCOMPARE(QByteArray(bytes.constData()), QByteArray("600"));
    }

    void storedValuesAreInterpreted_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind"); // 0 = REG_DWORD, 1 = REG_SZ
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("expected");

        QTest::newRow("dword 5 is true") << "Debug"
                                         << "Enable" << 0 << "5"
                                         << "DebugEnable" << 1;
        QTest::newRow("dword 0 is false") << "Window"
                                          << "StatusBar" << 0 << "0"
                                          << "ShowStatusBar" << 0;
        QTest::newRow("string 1 is true") << "Debug"
                                          << "LogDialog" << 1 << "1"
                                          << "LogDialog" << 1;
        QTest::newRow("text bool is default") << "UI"
                                              << "ShowMessage" << 1 << "yes"
                                              << "ShowMessage" << 1;
        QTest::newRow("text width is default") << "UI"
                                               << "DefaultWidth" << 1 << "abc"
                                               << "DefaultWidth" << -1;
        QTest::newRow("numeric text width") << "UI"
                                            << "DefaultWidth" << 1 << "800"
                                            << "DefaultWidth" << 800;
        QTest::newRow("dword height") << "UI"
                                      << "DefaultHeight" << 0 << "700"
                                      << "DefaultHeight" << 700;
        QTest::newRow("section names fold case") << "debug"
                                                 << "TOOLBAREXT" << 1 << "1"
                                                 << "ToolbarExt" << 1;
    }

    void storedValuesAreInterpreted() {
        QFETCH(QString, section);
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(QString, data);
        QFETCH(QString, field);
        QFETCH(int, expected);

        const std::string path = std::string(kOptionKey) + "\\" + section.toStdString();
        if (kind == 0)
            setDword(path, name.toUtf8().constData(), data.toUInt());
        else
            setString(path, name.toUtf8().constData(), data.toUtf8().constData());

        TAppOption o;
        const QHash<QString, int> fields{
            {"DebugEnable", o.DebugEnable()},   {"ShowStatusBar", o.ShowStatusBar()},
            {"LogDialog", o.LogDialog()},       {"ShowMessage", o.ShowMessage()},
            {"DefaultWidth", o.DefaultWidth()}, {"DefaultHeight", o.DefaultHeight()},
            {"ToolbarExt", o.ToolbarExt()},
        };
        QCOMPARE(fields.value(field), expected);
    }

    void removeOptionKeysWalksUpUntilAKeyHoldsSomething_data() {
        QTest::addColumn<QString>("extraKey");   // created beside the option key first
        QTest::addColumn<QString>("extraValue"); // key receiving one value
        QTest::addColumn<bool>("makerRemains");
        QTest::addColumn<bool>("productRemains");

        QTest::newRow("nothing else") << ""
                                      << "" << false << false;
        QTest::newRow("other product of the maker") << "Software\\Tarnwick\\Other"
                                                    << "" << true << false;
        QTest::newRow("value in the product key")
            << ""
            << "Software\\Tarnwick\\Lumenvale" << true << true;
        QTest::newRow("other version of the product") << "Software\\Tarnwick\\Lumenvale\\2.0"
                                                      << "" << true << true;
    }

    void removeOptionKeysWalksUpUntilAKeyHoldsSomething() {
        QFETCH(QString, extraKey);
        QFETCH(QString, extraValue);
        QFETCH(bool, makerRemains);
        QFETCH(bool, productRemains);

        TAppOption o;
        o.SetDebugEnable(true);
        if (!extraKey.isEmpty())
            setString(extraKey.toStdString(), "x", "1");
        if (!extraValue.isEmpty())
            setString(extraValue.toStdString(), "Owner", "someone");
        setString("Software\\Neighbour", "x", "1");

        o.RemoveOptionKeys();

        QVERIFY(!keyExists(kOptionKey));
        QCOMPARE(keyExists("Software\\Tarnwick\\Lumenvale"), productRemains);
        QCOMPARE(keyExists("Software\\Tarnwick"), makerRemains);
        QVERIFY(keyExists("Software"));
        QVERIFY(keyExists("Software\\Neighbour"));
        QVERIFY(!o.IsOptionKeyWritable());
    }

    void removeOptionKeysWithoutAnyKeyIsHarmless() {
        TAppOption o;
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software");
        o.RemoveOptionKeys();
        QVERIFY(!keyExists("Software\\Tarnwick"));
    }

    void failedWriteRaisesAndKeepsTheCachedBoolean() {
        // The user's root redirected to a key of a read-only machine store: every write fails.
        HKEY machine = nullptr;
        QCOMPARE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Redirected", 0, nullptr, 0,
                                 KEY_ALL_ACCESS, nullptr, &machine, nullptr),
                 ERROR_SUCCESS);
        HKEY optionKey = nullptr;
        QCOMPARE(RegCreateKeyExA(machine, kOptionKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 &optionKey, nullptr),
                 ERROR_SUCCESS);
        RegCloseKey(optionKey);
        QVERIFY(SetMachineStoreReadOnly(true));
        QCOMPARE(RegOverridePredefKey(HKEY_CURRENT_USER, machine), ERROR_SUCCESS);
        {
            TAppOption o;
            QVERIFY(!o.IsOptionKeyWritable());
            QVERIFY_THROWS_EXCEPTION(ERegistryException, o.SetDebugEnable(true));
            QCOMPARE(o.DebugEnable(), false);
            QVERIFY_THROWS_EXCEPTION(ERegistryException, o.SetDefaultWidth(640));
            QCOMPARE(o.DefaultWidth(), 640);
        }
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        SetMachineStoreReadOnly(false);
        RegCloseKey(machine);
        QCOMPARE(TAppOption().DebugEnable(), false);
    }

    void unitInitialisationCreatesTheGlobal() {
        QVERIFY(AppOption == nullptr);
        appoption::Initialize();
        QVERIFY(AppOption != nullptr);
        QCOMPARE(AppOption->ShowStatusBar(), true);
        appoption::Finalize();
        QVERIFY(AppOption == nullptr);
    }
};

QTEST_GUILESS_MAIN(TestAppOption)
#include "tst_AppOption.moc"
