// The registry object and the registry ini-file object with their storage convention.

#include "RegistryTestUtil.h"
#include "platform/registry/RegistryObjects.h"
#include "tests/support/FreshPlatformDir.h"

#include <QtTest>

#include <memory>

namespace {

const char *const OptionKey = "Software\\Maker\\Product\\1.0";
const char *const DebugKey = "Software\\Maker\\Product\\1.0\\Debug";

RawValue Stored(const char *path, const char *name) {
    TestKey key;
    if (OpenKey(HKEY_CURRENT_USER, path, key) != ERROR_SUCCESS)
        return {};
    return QueryRaw(key.get(), name).value_or(RawValue{});
}

RawValue Sz(const char *text) {
    return {REG_SZ, Bytes(text, std::strlen(text) + 1)};
}

RawValue Dword(DWORD value) {
    return {REG_DWORD, Bytes(reinterpret_cast<const char *>(&value), sizeof value)};
}

} // namespace

Q_DECLARE_METATYPE(RawValue)

class TestRegistryObjects final : public QObject {
    Q_OBJECT

private slots:
    void init() { FDir = std::make_unique<FreshPlatformDir>(); }
    void cleanup() { FDir.reset(); }

    void iniFileOpeningCreatesTheKeyAndSectionsOnFirstWrite() {
        TRegistryIniFile reader(OptionKey, KEY_QUERY_VALUE);
        QVERIFY(KeyExists(HKEY_CURRENT_USER, OptionKey));
        QVERIFY(!reader.SectionExists("Debug"));
        QCOMPARE(reader.ReadBool("Window", "StatusBar", true), true);
        QCOMPARE(reader.ReadInteger("UI", "DefaultWidth", -1), -1);
        QCOMPARE(reader.ReadString("LocalBrowse", "Directory", "dflt"), std::string("dflt"));

        TRegistryIniFile writer(OptionKey, KEY_WRITE);
        writer.WriteBool("Debug", "Enable", true);
        QVERIFY(reader.SectionExists("Debug"));
        QCOMPARE(reader.ReadBool("Debug", "Enable", false), true);
        QCOMPARE(TRegistryIniFile(OptionKey, KEY_READ).ReadSections(),
                 std::vector<std::string>{"Debug"});
        QVERIFY(reader.ReadSections().empty()); // listing sub-keys needs enumeration rights
        QCOMPARE(reader.ReadSection("debug"), std::vector<std::string>{"Enable"});
    }

    void iniFileWritesFollowTheStoredType_data() {
        QTest::addColumn<RawValue>("before");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("integer");
        QTest::addColumn<RawValue>("after");
        QTest::newRow("new value") << RawValue{} << false << 42 << Dword(42);
        QTest::newRow("existing string stays a string") << Sz("7") << true << -5 << Sz("-5");
        QTest::newRow("existing dword") << Dword(1) << true << 9 << Dword(9);
        QTest::newRow("existing binary becomes a dword")
            << RawValue{REG_BINARY, Bytes("\1\2", 2)} << true << 3 << Dword(3);
    }

    void iniFileWritesFollowTheStoredType() {
        QFETCH(RawValue, before);
        QFETCH(bool, exists);
        QFETCH(int, integer);
        QFETCH(RawValue, after);
        if (exists) {
            TestKey key;
            QCOMPARE(CreateKey(HKEY_CURRENT_USER, DebugKey, key), ERROR_SUCCESS);
            QCOMPARE(RegSetValueExA(key.get(), "Value", 0, before.type, before.data.data(),
                                    DWORD(before.data.size())),
                     ERROR_SUCCESS);
        }
        // A writer without query access still keeps a string a string.
        TRegistryIniFile writer(OptionKey, KEY_WRITE);
        writer.WriteInteger("Debug", "Value", integer);
        QCOMPARE(Stored(DebugKey, "Value"), after);
    }

    void iniFileBooleansAreStrings() {
        TRegistryIniFile writer(OptionKey, KEY_WRITE);
        writer.WriteBool("Debug", "On", true);
        writer.WriteBool("Debug", "Off", false);
        QCOMPARE(Stored(DebugKey, "On"), Sz("1"));
        QCOMPARE(Stored(DebugKey, "Off"), Sz("0"));
    }

    void iniFileReads_data() {
        QTest::addColumn<RawValue>("stored");
        QTest::addColumn<int>("integer");  // ReadInteger with default 7
        QTest::addColumn<bool>("boolean"); // ReadBool with default true
        QTest::newRow("decimal text") << Sz("42") << 42 << true;
        QTest::newRow("negative text") << Sz("-3") << -3 << true;
        QTest::newRow("text zero") << Sz("0") << 0 << false;
        QTest::newRow("non-numeric text") << Sz("abc") << 7 << true;
        QTest::newRow("trailing garbage") << Sz("12x") << 7 << true;
        QTest::newRow("empty text") << Sz("") << 7 << true;
        QTest::newRow("out of range text") << Sz("99999999999") << 7 << true;
        QTest::newRow("dword 5") << Dword(5) << 5 << true;
        QTest::newRow("dword 0") << Dword(0) << 0 << false;
        QTest::newRow("dword -1") << Dword(0xffffffff) << -1 << true;
        QTest::newRow("four binary bytes")
            << RawValue{REG_BINARY, Bytes("\x02\0\0\0", 4)} << 2 << true;
        QTest::newRow("two binary bytes") << RawValue{REG_BINARY, Bytes("\0\0", 2)} << 7 << true;
        QTest::newRow("expand string is not text here")
            << RawValue{REG_EXPAND_SZ, Bytes("1\0", 2)} << 7 << true;
        QTest::newRow("missing") << RawValue{} << 7 << true;
    }

    void iniFileReads() {
        QFETCH(RawValue, stored);
        QFETCH(int, integer);
        QFETCH(bool, boolean);
        TestKey key;
        QCOMPARE(CreateKey(HKEY_CURRENT_USER, DebugKey, key), ERROR_SUCCESS);
        if (stored.type != REG_NONE)
            QCOMPARE(RegSetValueExA(key.get(), "v", 0, stored.type, stored.data.data(),
                                    DWORD(stored.data.size())),
                     ERROR_SUCCESS);
        TRegistryIniFile reader(OptionKey, KEY_QUERY_VALUE);
        QCOMPARE(reader.ReadInteger("Debug", "v", 7), integer);
        QCOMPARE(reader.ReadBool("Debug", "v", true), boolean);
    }

    void iniFileWriteFailureRaisesAReadableError() {
        TRegistryIniFile reader(OptionKey, KEY_QUERY_VALUE);
        try {
            reader.WriteInteger("UI", "DefaultWidth", 800);
            QFAIL("write through a query-only key succeeded");
        } catch (const ERegistryException &error) {
            const QString message = QString::fromUtf8(error.what());
            QVERIFY2(message.contains("HKEY_CURRENT_USER\\Software\\Maker\\Product\\1.0\\UI"),
                     error.what());
            QVERIFY2(message.contains("Access is denied"), error.what());
        }
        QVERIFY(!reader.SectionExists("UI"));
    }

    void iniFileDeletesAndErases() {
        TRegistryIniFile writer(OptionKey, KEY_ALL_ACCESS);
        writer.WriteString("S", "a", "1");
        writer.WriteString("S", "b", "2");
        writer.DeleteKey("S", "a");
        QVERIFY(!writer.ValueExists("S", "a"));
        QVERIFY(writer.ValueExists("S", "b"));
        writer.EraseSection("S");
        QVERIFY(!writer.SectionExists("S"));
        QVERIFY(KeyExists(HKEY_CURRENT_USER, OptionKey));
    }

    void registryOpensRelativeAndAbsoluteKeys() {
        TRegistry registry;
        QVERIFY(!registry.OpenKey("Software\\Maker", false));
        QVERIFY(registry.OpenKey("Software\\Maker", true));
        QCOMPARE(registry.CurrentPath(), std::string("Software\\Maker"));
        QVERIFY(registry.OpenKey("Product", true));
        QCOMPARE(registry.CurrentPath(), std::string("Software\\Maker\\Product"));
        registry.WriteString("Name", "製品");
        QVERIFY(registry.OpenKey("\\Software", false));
        QCOMPARE(registry.CurrentPath(), std::string("Software"));
        QVERIFY(registry.KeyExists("Maker\\Product"));
        QVERIFY(registry.HasSubKeys());
        QCOMPARE(registry.GetKeyNames(), std::vector<std::string>{"Maker"});

        QVERIFY(registry.OpenKeyReadOnly("\\Software\\Maker\\Product"));
        QCOMPARE(registry.ReadString("name"), std::string("製品"));
        QCOMPARE(registry.GetValueNames(), std::vector<std::string>{"Name"});
        QVERIFY_THROWS_EXCEPTION(ERegistryException, registry.WriteString("Name", "x"));

        QVERIFY(registry.OpenKey("\\Software", false));
        QVERIFY(registry.DeleteKey("Maker"));
        QVERIFY(!KeyExists(HKEY_CURRENT_USER, "Software\\Maker"));
        QVERIFY(!registry.DeleteKey("Maker"));
    }

    void registryTypedReads() {
        TRegistry registry;
        // Without an open key nothing is written to the root.
        QVERIFY_THROWS_EXCEPTION(ERegistryException, registry.WriteString("s", "x"));
        QVERIFY(!registry.ValueExists("s"));
        QVERIFY(registry.OpenKey("Software\\Typed", true));
        registry.WriteString("s", "12");
        registry.WriteExpandString("e", "%HOME%");
        registry.WriteInteger("i", -12);
        registry.WriteBool("b", true);
        registry.WriteBinaryData("bin", {1, 2, 3});

        QCOMPARE(registry.ReadInteger("i"), -12);
        QCOMPARE(registry.ReadBool("b"), true);
        QCOMPARE(registry.ReadExpandString("e"), std::string("%HOME%"));
        QCOMPARE(registry.ReadBinaryData("bin"), (std::vector<BYTE>{1, 2, 3}));
        QCOMPARE(registry.GetDataType("e"), TRegDataType::rdExpandString);
        QCOMPARE(registry.GetDataType("b"), TRegDataType::rdInteger);
        QCOMPARE(registry.GetDataSize("s"), 3);
        QCOMPARE(registry.GetDataSize("missing"), -1);
        QCOMPARE(registry.ReadString("missing"), std::string());

        QVERIFY_THROWS_EXCEPTION(ERegistryException, registry.ReadInteger("s"));
        QVERIFY_THROWS_EXCEPTION(ERegistryException, registry.ReadString("i"));
        QVERIFY_THROWS_EXCEPTION(ERegistryException, registry.ReadBinaryData("s"));
        QVERIFY_THROWS_EXCEPTION(ERegistryException, registry.ReadInteger("missing"));

        QVERIFY(registry.DeleteValue("s"));
        QVERIFY(!registry.ValueExists("s"));
        QVERIFY(!registry.DeleteValue("s"));
    }

private:
    std::unique_ptr<FreshPlatformDir> FDir;
};

QTEST_GUILESS_MAIN(TestRegistryObjects)
#include "tst_RegistryObjects.moc"
