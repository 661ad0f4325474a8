// The Win32-style registry functions on the user and machine stores.

#include "RegistryTestUtil.h"
#include "tests/support/FreshPlatformDir.h"

#include <QtTest>

#include <memory>

namespace {

QByteArray ToQt(const std::vector<BYTE> &data) {
    return QByteArray(reinterpret_cast<const char *>(data.data()), qsizetype(data.size()));
}

} // namespace

class TestRegistryApi final : public QObject {
    Q_OBJECT

private slots:
    void init() { FDir = std::make_unique<FreshPlatformDir>(); }
    void cleanup() { FDir.reset(); }

    void namesAreCaseInsensitiveAndCasePreserving() {
        TestKey key;
        QCOMPARE(CreateKey(HKEY_CURRENT_USER, "Software\\MixedCase\\Ключ", key), ERROR_SUCCESS);
        QCOMPARE(SetString(key.get(), "ValueName", "first"), ERROR_SUCCESS);
        QCOMPARE(SetString(key.get(), "VALUENAME", "second"), ERROR_SUCCESS);

        TestKey again;
        DWORD disposition = 0;
        QCOMPARE(CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\mixedcase\\КЛЮЧ", again, KEY_ALL_ACCESS,
                           &disposition),
                 ERROR_SUCCESS);
        QCOMPARE(disposition, REG_OPENED_EXISTING_KEY);
        QCOMPARE(GetString(HKEY_CURRENT_USER, "software\\MIXEDCASE\\ключ", "valuename"),
                 std::optional<std::string>("second"));
        // The first spelling of each name is kept.
        QCOMPARE(ValueNames(again.get()), std::vector<std::string>{"ValueName"});
        TestKey software;
        QCOMPARE(OpenKey(HKEY_CURRENT_USER, "software", software), ERROR_SUCCESS);
        QCOMPARE(SubKeyNames(software.get()), std::vector<std::string>{"MixedCase"});
    }

    void valuesRoundTrip_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QByteArray>("read");

        const QByteArray text("日本語のテキスト");
        QTest::newRow("sz") << QByteArray("文字列") << int(REG_SZ) << text + '\0' << text + '\0';
        QTest::newRow("sz without terminator")
            << QByteArray("s") << int(REG_SZ) << QByteArray("abc") << QByteArray("abc\0", 4);
        QTest::newRow("empty sz") << QByteArray("e") << int(REG_SZ) << QByteArray()
                                  << QByteArray(1, '\0');
        QTest::newRow("expand sz") << QByteArray("x") << int(REG_EXPAND_SZ)
                                   << QByteArray("%HOME%\\a\0", 9) << QByteArray("%HOME%\\a\0", 9);
        QTest::newRow("dword") << QByteArray("d") << int(REG_DWORD)
                               << QByteArray("\x78\x56\x34\x12", 4)
                               << QByteArray("\x78\x56\x34\x12", 4);
        QTest::newRow("qword") << QByteArray("q") << int(REG_QWORD)
                               << QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8)
                               << QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
        QTest::newRow("binary with zeros")
            << QByteArray("b") << int(REG_BINARY) << QByteArray("\0\xff\0", 3)
            << QByteArray("\0\xff\0", 3);
        QTest::newRow("empty binary")
            << QByteArray("b0") << int(REG_BINARY) << QByteArray() << QByteArray();
        QTest::newRow("multi sz") << QByteArray("m") << int(REG_MULTI_SZ)
                                  << QByteArray("one\0二\0\0", 10) << QByteArray("one\0二\0\0", 10);
        QTest::newRow("multi sz missing final empty string")
            << QByteArray("m2") << int(REG_MULTI_SZ) << QByteArray("a\0b\0", 4)
            << QByteArray("a\0b\0\0", 5);
        QTest::newRow("none") << QByteArray("n") << int(REG_NONE) << QByteArray("\x01", 1)
                              << QByteArray("\x01", 1);
        QTest::newRow("default value")
            << QByteArray() << int(REG_SZ) << QByteArray("def\0", 4) << QByteArray("def\0", 4);
    }

    void valuesRoundTrip() {
        QFETCH(QByteArray, name);
        QFETCH(int, type);
        QFETCH(QByteArray, written);
        QFETCH(QByteArray, read);
        TestKey key;
        QCOMPARE(CreateKey(HKEY_LOCAL_MACHINE, "Software\\Types", key), ERROR_SUCCESS);
        QCOMPARE(RegSetValueExA(key.get(), name.constData(), 0, DWORD(type),
                                reinterpret_cast<const BYTE *>(written.constData()),
                                DWORD(written.size())),
                 ERROR_SUCCESS);
        TestKey reopened;
        QCOMPARE(OpenKey(HKEY_LOCAL_MACHINE, "Software\\Types", reopened), ERROR_SUCCESS);
        const auto value = QueryRaw(reopened.get(), name.constData());
        QVERIFY(value);
        QCOMPARE(value->type, DWORD(type));
        QCOMPARE(ToQt(value->data), read);
    }

    void malformedDataIsRefused_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("nullData");
        QTest::newRow("dword of 3 bytes") << int(REG_DWORD) << 3 << false;
        QTest::newRow("qword of 4 bytes") << int(REG_QWORD) << 4 << false;
        QTest::newRow("null data with a size") << int(REG_BINARY) << 4 << true;
    }

    void malformedDataIsRefused() {
        QFETCH(int, type);
        QFETCH(int, size);
        QFETCH(bool, nullData);
        const BYTE buffer[8] = {};
        TestKey key;
        QCOMPARE(CreateKey(HKEY_CURRENT_USER, "Software\\Bad", key), ERROR_SUCCESS);
        QCOMPARE(RegSetValueExA(key.get(), "v", 0, DWORD(type), nullData ? nullptr : buffer,
                                DWORD(size)),
                 ERROR_INVALID_PARAMETER);
        QVERIFY(!QueryRaw(key.get(), "v"));
    }

    void queryBufferContract() {
        TestKey key;
        QCOMPARE(CreateKey(HKEY_CURRENT_USER, "Software\\Buffer", key), ERROR_SUCCESS);
        QCOMPARE(SetString(key.get(), "v", "hello"), ERROR_SUCCESS);

        DWORD type = 0, size = 0;
        QCOMPARE(RegQueryValueExA(key.get(), "v", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        QCOMPARE(size, DWORD(6));
        QCOMPARE(type, REG_SZ);

        char small[3] = {};
        size = sizeof small;
        QCOMPARE(RegQueryValueExA(key.get(), "v", nullptr, nullptr, reinterpret_cast<BYTE *>(small),
                                  &size),
                 ERROR_MORE_DATA);
        QCOMPARE(size, DWORD(6));

        char exact[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
        size = sizeof exact;
        QCOMPARE(RegQueryValueExA(key.get(), "v", nullptr, nullptr, reinterpret_cast<BYTE *>(exact),
                                  &size),
                 ERROR_SUCCESS);
        QCOMPARE(QByteArray(exact, 6), QByteArray("hello\0", 6));

        char large[32] = {};
        size = sizeof large;
        QCOMPARE(RegQueryValueExA(key.get(), "v", nullptr, nullptr, reinterpret_cast<BYTE *>(large),
                                  &size),
                 ERROR_SUCCESS);
        QCOMPARE(size, DWORD(6));

        QCOMPARE(RegQueryValueExA(key.get(), "v", nullptr, nullptr, reinterpret_cast<BYTE *>(large),
                                  nullptr),
                 ERROR_INVALID_PARAMETER);
        QCOMPARE(RegQueryValueExA(key.get(), "missing", nullptr, nullptr, nullptr, &size),
                 ERROR_FILE_NOT_FOUND);
        QCOMPARE(RegQueryValueExA(key.get(), "v", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    }

    void enumeration() {
        TestKey key;
        QCOMPARE(CreateKey(HKEY_CURRENT_USER, "Software\\Enum", key), ERROR_SUCCESS);
        for (const char *name : {"gamma", "Beta", "alpha"}) {
            TestKey child;
            QCOMPARE(CreateKey(key.get(), name, child), ERROR_SUCCESS);
        }
        for (const char *name : {"z", "a", "M"})
            QCOMPARE(SetString(key.get(), name, "1"), ERROR_SUCCESS);
        QCOMPARE(SetString(key.get(), "z", "longer value"), ERROR_SUCCESS);

        // Sub-keys in case-insensitive order, values in the order they were first written.
        QCOMPARE(SubKeyNames(key.get()), (std::vector<std::string>{"alpha", "Beta", "gamma"}));
        QCOMPARE(ValueNames(key.get()), (std::vector<std::string>{"z", "a", "M"}));

        char name[4] = {};
        DWORD chars = 4;
        QCOMPARE(RegEnumKeyExA(key.get(), 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
                 ERROR_MORE_DATA);
        chars = 4;
        QCOMPARE(RegEnumKeyExA(key.get(), 3, name, &chars, nullptr, nullptr, nullptr, nullptr),
                 ERROR_NO_MORE_ITEMS);

        DWORD type = 0, size = 0;
        chars = 4;
        QCOMPARE(RegEnumValueA(key.get(), 0, name, &chars, nullptr, &type, nullptr, &size),
                 ERROR_SUCCESS);
        QCOMPARE(QByteArray(name), QByteArray("z"));
        QCOMPARE(size, DWORD(13));

        DWORD subKeys = 0, maxSubKey = 0, values = 0, maxName = 0, maxData = 0;
        QCOMPARE(RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, &maxSubKey,
                                  nullptr, &values, &maxName, &maxData, nullptr, nullptr),
                 ERROR_SUCCESS);
        QCOMPARE(subKeys, DWORD(3));
        QCOMPARE(maxSubKey, DWORD(5));
        QCOMPARE(values, DWORD(3));
        QCOMPARE(maxName, DWORD(1));
        QCOMPARE(maxData, DWORD(13));
    }

    void deleteRules() {
        TestKey key;
        QCOMPARE(CreateKey(HKEY_CURRENT_USER, "Software\\Del\\Parent\\Child", key), ERROR_SUCCESS);
        QCOMPARE(SetString(key.get(), "v", "1"), ERROR_SUCCESS);
        key.reset();
        TestKey del;
        QCOMPARE(OpenKey(HKEY_CURRENT_USER, "Software\\Del", del, KEY_ALL_ACCESS), ERROR_SUCCESS);
        QCOMPARE(SetString(del.get(), "kept", "1"), ERROR_SUCCESS);

        QCOMPARE(RegDeleteKeyA(del.get(), "Parent"), ERROR_ACCESS_DENIED);
        QVERIFY(KeyExists(HKEY_CURRENT_USER, "Software\\Del\\Parent\\Child"));
        QCOMPARE(RegDeleteKeyA(del.get(), "Missing"), ERROR_FILE_NOT_FOUND);
        QCOMPARE(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
        QCOMPARE(RegDeleteValueA(del.get(), "missing"), ERROR_FILE_NOT_FOUND);

        QCOMPARE(RegDeleteTreeA(del.get(), "Parent"), ERROR_SUCCESS);
        QVERIFY(!KeyExists(HKEY_CURRENT_USER, "Software\\Del\\Parent"));
        QCOMPARE(GetString(HKEY_CURRENT_USER, "Software\\Del", "kept"),
                 std::optional<std::string>("1"));

        // A tree without a sub-key name empties the key itself and keeps it.
        TestKey leaf;
        QCOMPARE(CreateKey(del.get(), "Leaf", leaf), ERROR_SUCCESS);
        QCOMPARE(RegDeleteTreeA(del.get(), nullptr), ERROR_SUCCESS);
        QVERIFY(KeyExists(HKEY_CURRENT_USER, "Software\\Del"));
        QVERIFY(SubKeyNames(del.get()).empty());
        QVERIFY(ValueNames(del.get()).empty());

        QCOMPARE(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Del"), ERROR_SUCCESS);
        QVERIFY(!KeyExists(HKEY_CURRENT_USER, "Software\\Del"));
    }

    void accessRightsAreEnforced_data() {
        QTest::addColumn<int>("access");
        QTest::addColumn<int>("query");
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("createNew");
        QTest::addColumn<int>("enumerate");
        QTest::newRow("query only")
            << int(KEY_QUERY_VALUE) << int(ERROR_SUCCESS) << int(ERROR_ACCESS_DENIED)
            << int(ERROR_ACCESS_DENIED) << int(ERROR_ACCESS_DENIED);
        QTest::newRow("read") << int(KEY_READ) << int(ERROR_SUCCESS) << int(ERROR_ACCESS_DENIED)
                              << int(ERROR_ACCESS_DENIED) << int(ERROR_SUCCESS);
        QTest::newRow("write") << int(KEY_WRITE) << int(ERROR_ACCESS_DENIED) << int(ERROR_SUCCESS)
                               << int(ERROR_SUCCESS) << int(ERROR_ACCESS_DENIED);
        QTest::newRow("all") << int(KEY_ALL_ACCESS) << int(ERROR_SUCCESS) << int(ERROR_SUCCESS)
                             << int(ERROR_SUCCESS) << int(ERROR_SUCCESS);
    }

    void accessRightsAreEnforced() {
        QFETCH(int, access);
        QFETCH(int, query);
        QFETCH(int, set);
        QFETCH(int, createNew);
        QFETCH(int, enumerate);
        QCOMPARE(PutString(HKEY_CURRENT_USER, "Software\\Acl", "v", "old"), ERROR_SUCCESS);
        TestKey key;
        QCOMPARE(OpenKey(HKEY_CURRENT_USER, "Software\\Acl", key, REGSAM(access)), ERROR_SUCCESS);

        DWORD size = 0;
        QCOMPARE(RegQueryValueExA(key.get(), "v", nullptr, nullptr, nullptr, &size), query);
        QCOMPARE(SetString(key.get(), "v", "new"), set);
        QCOMPARE(RegDeleteValueA(key.get(), "v"), set == ERROR_SUCCESS ? ERROR_SUCCESS : set);
        TestKey child;
        QCOMPARE(CreateKey(key.get(), "Child", child), createNew);
        char name[64];
        DWORD chars = sizeof name;
        const LONG enumerated =
            RegEnumKeyExA(key.get(), 0, name, &chars, nullptr, nullptr, nullptr, nullptr);
        QCOMPARE(enumerated == ERROR_NO_MORE_ITEMS ? LONG(ERROR_SUCCESS) : enumerated, enumerate);
        // A refused write changed nothing.
        if (set != ERROR_SUCCESS)
            QCOMPARE(GetString(HKEY_CURRENT_USER, "Software\\Acl", "v"),
                     std::optional<std::string>("old"));
        if (createNew != ERROR_SUCCESS)
            QVERIFY(!KeyExists(HKEY_CURRENT_USER, "Software\\Acl\\Child"));
    }

    void invalidHandlesAreRefused_data() {
        QTest::addColumn<quintptr>("handle");
        TestKey key;
        QCOMPARE(CreateKey(HKEY_CURRENT_USER, "Software\\Closed", key), ERROR_SUCCESS);
        const auto closed = quintptr(key.get());
        QCOMPARE(RegCloseKey(key.get()), ERROR_SUCCESS);
        *key.out() = nullptr;
        QTest::newRow("closed") << closed;
        QTest::newRow("null") << quintptr(0);
        QTest::newRow("garbage") << quintptr(0xdeadbeef);
        QTest::newRow("unsupported predefined") << quintptr(0x80000005);
    }

    void invalidHandlesAreRefused() {
        QFETCH(quintptr, handle);
        const auto key = reinterpret_cast<HKEY>(handle);
        TestKey out;
        DWORD size = 0;
        char name[16];
        DWORD chars = sizeof name;
        QCOMPARE(RegOpenKeyExA(key, "x", 0, KEY_READ, out.out()), ERROR_INVALID_HANDLE);
        QCOMPARE(out.get(), HKEY(nullptr));
        QCOMPARE(CreateKey(key, "x", out), ERROR_INVALID_HANDLE);
        QCOMPARE(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size),
                 ERROR_INVALID_HANDLE);
        QCOMPARE(SetString(key, "v", "1"), ERROR_INVALID_HANDLE);
        QCOMPARE(RegDeleteValueA(key, "v"), ERROR_INVALID_HANDLE);
        QCOMPARE(RegDeleteTreeA(key, "x"), ERROR_INVALID_HANDLE);
        QCOMPARE(RegEnumKeyExA(key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
                 ERROR_INVALID_HANDLE);
        QCOMPARE(RegCloseKey(key), ERROR_INVALID_HANDLE);
    }

    void keyDeletedWhileOpen() {
        TestKey held;
        QCOMPARE(CreateKey(HKEY_CURRENT_USER, "Software\\Gone", held), ERROR_SUCCESS);
        QCOMPARE(SetString(held.get(), "v", "1"), ERROR_SUCCESS);
        QCOMPARE(RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Gone"), ERROR_SUCCESS);
        // A new key of the same name is another key.
        QCOMPARE(PutString(HKEY_CURRENT_USER, "Software\\Gone", "v", "2"), ERROR_SUCCESS);

        DWORD size = 0;
        TestKey child;
        QCOMPARE(RegQueryValueExA(held.get(), "v", nullptr, nullptr, nullptr, &size),
                 ERROR_KEY_DELETED);
        QCOMPARE(SetString(held.get(), "v", "3"), ERROR_KEY_DELETED);
        QCOMPARE(CreateKey(held.get(), "Child", child), ERROR_KEY_DELETED);
        QCOMPARE(OpenKey(held.get(), "", child), ERROR_KEY_DELETED);
        QCOMPARE(GetString(HKEY_CURRENT_USER, "Software\\Gone", "v"),
                 std::optional<std::string>("2"));
        QCOMPARE(RegCloseKey(held.get()), ERROR_SUCCESS);
        *held.out() = nullptr;
    }

    void overridePredefinedKey() {
        TestKey target;
        QCOMPARE(CreateKey(HKEY_CURRENT_USER, "Temp\\Registration", target), ERROR_SUCCESS);
        QCOMPARE(RegOverridePredefKey(HKEY_CLASSES_ROOT, target.get()), ERROR_SUCCESS);
        target.reset(); // the override keeps its own reference

        QCOMPARE(PutString(HKEY_CLASSES_ROOT, "CLSID\\{1}\\LocalServer32", "", "/bin/x"),
                 ERROR_SUCCESS);
        QCOMPARE(GetString(HKEY_CURRENT_USER, "Temp\\Registration\\CLSID\\{1}\\LocalServer32", ""),
                 std::optional<std::string>("/bin/x"));
        QVERIFY(!KeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID"));

        QCOMPARE(RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr), ERROR_SUCCESS);
        QVERIFY(!KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{1}"));

        TestKey plain;
        QCOMPARE(CreateKey(HKEY_CURRENT_USER, "Temp", plain), ERROR_SUCCESS);
        QCOMPARE(RegOverridePredefKey(plain.get(), plain.get()), ERROR_INVALID_HANDLE);
        QCOMPARE(RegOverridePredefKey(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE), ERROR_INVALID_HANDLE);
        QCOMPARE(RegOverridePredefKey(HKEY_CURRENT_USER, reinterpret_cast<HKEY>(0x4242)),
                 ERROR_INVALID_HANDLE);
    }

    void readsDoNotCreateStores() {
        TestKey key;
        QCOMPARE(OpenKey(HKEY_LOCAL_MACHINE, "Software", key), ERROR_FILE_NOT_FOUND);
        QVERIFY(!QFile::exists(FDir->file("machine.db")));
        QVERIFY(!QFile::exists(FDir->file("user.db")));
    }

    // The first write call on a new store may change nothing (and roll back the store's own
    // set-up); the calls after it must still find a working store.
    void firstCallThatChangesNothingLeavesAWorkingStore_data() {
        QTest::addColumn<bool>("machine");
        QTest::newRow("user") << false;
        QTest::newRow("machine") << true;
    }

    void firstCallThatChangesNothingLeavesAWorkingStore() {
        QFETCH(bool, machine);
        const HKEY root = machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        QCOMPARE(RegDeleteTreeA(root, "Software"), ERROR_FILE_NOT_FOUND);
        TestKey key;
        QCOMPARE(CreateKey(root, "Software\\After", key), ERROR_SUCCESS);
        QCOMPARE(SetString(key.get(), "v", "kept"), ERROR_SUCCESS);
        QCOMPARE(GetString(root, "Software\\After", "v"), std::optional<std::string>("kept"));
    }

private:
    std::unique_ptr<FreshPlatformDir> FDir;
};

QTEST_GUILESS_MAIN(TestRegistryApi)
#include "tst_RegistryApi.moc"
