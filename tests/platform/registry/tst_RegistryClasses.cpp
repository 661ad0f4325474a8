// HKEY_CLASSES_ROOT as the merged view of the user's and the machine's Software\Classes, and the
// read-only machine store.

#include "RegistryTestUtil.h"
#include "platform/registry/MachineStore.h"
#include "platform/registry/RegistryObjects.h"
#include "tests/support/FreshPlatformDir.h"

#include <QFile>
#include <QtTest>

#include <memory>

namespace {

const char *const UserClasses = "Software\\Classes\\";
const char *const MachineClasses = "Software\\Classes\\";

std::string In(const char *prefix, const char *path) {
    return std::string(prefix) + path;
}

QByteArray FileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestRegistryClasses final : public QObject {
    Q_OBJECT

private slots:
    void init() { FDir = std::make_unique<FreshPlatformDir>(); }
    void cleanup() {
        SetMachineStoreReadOnly(false);
        FDir.reset();
    }

    void readsPreferTheUsersKeysAndValues() {
        QCOMPARE(PutString(HKEY_LOCAL_MACHINE, In(MachineClasses, ".htm").c_str(), "", "htmlfile"),
                 ERROR_SUCCESS);
        QCOMPARE(PutString(HKEY_LOCAL_MACHINE, In(MachineClasses, ".htm").c_str(), "Content type",
                           "text/plain"),
                 ERROR_SUCCESS);
        QCOMPARE(PutString(HKEY_CURRENT_USER, In(UserClasses, ".HTM").c_str(), "Content Type",
                           "text/html"),
                 ERROR_SUCCESS);
        QCOMPARE(PutString(HKEY_LOCAL_MACHINE, In(MachineClasses, "machineOnly").c_str(), "", "m"),
                 ERROR_SUCCESS);
        QCOMPARE(PutString(HKEY_CURRENT_USER, In(UserClasses, "userOnly").c_str(), "", "u"),
                 ERROR_SUCCESS);

        QCOMPARE(GetString(HKEY_CLASSES_ROOT, ".htm", ""), std::optional<std::string>("htmlfile"));
        QCOMPARE(GetString(HKEY_CLASSES_ROOT, ".htm", "content type"),
                 std::optional<std::string>("text/html"));
        QCOMPARE(GetString(HKEY_CLASSES_ROOT, "machineOnly", ""), std::optional<std::string>("m"));
        QCOMPARE(GetString(HKEY_CLASSES_ROOT, "userOnly", ""), std::optional<std::string>("u"));

        // Names appear once, with the user's spelling where both stores have them.
        QCOMPARE(SubKeyNames(HKEY_CLASSES_ROOT),
                 (std::vector<std::string>{".HTM", "machineOnly", "userOnly"}));
        TestKey htm;
        QCOMPARE(OpenKey(HKEY_CLASSES_ROOT, ".htm", htm), ERROR_SUCCESS);
        QCOMPARE(ValueNames(htm.get()), (std::vector<std::string>{"Content Type", ""}));
        DWORD values = 0;
        QCOMPARE(RegQueryInfoKeyA(htm.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  &values, nullptr, nullptr, nullptr, nullptr),
                 ERROR_SUCCESS);
        QCOMPARE(values, DWORD(2));
        QCOMPARE(OpenKey(HKEY_CLASSES_ROOT, "absent", htm), ERROR_FILE_NOT_FOUND);
    }

    void writesGoWhereTheOriginalSendsThem_data() {
        QTest::addColumn<bool>("inUser");
        QTest::addColumn<bool>("inMachine");
        QTest::addColumn<bool>("expectUser");
        QTest::newRow("user only") << true << false << true;
        QTest::newRow("both") << true << true << true;
        QTest::newRow("machine only") << false << true << false;
    }

    void writesGoWhereTheOriginalSendsThem() {
        QFETCH(bool, inUser);
        QFETCH(bool, inMachine);
        QFETCH(bool, expectUser);
        const auto userPath = In(UserClasses, "htmlfile");
        const auto machinePath = In(MachineClasses, "htmlfile");
        if (inUser)
            QCOMPARE(PutString(HKEY_CURRENT_USER, userPath.c_str(), "seed", "u"), ERROR_SUCCESS);
        if (inMachine)
            QCOMPARE(PutString(HKEY_LOCAL_MACHINE, machinePath.c_str(), "seed", "m"),
                     ERROR_SUCCESS);

        QCOMPARE(PutString(HKEY_CLASSES_ROOT, "htmlfile", "written", "x"), ERROR_SUCCESS);
        QCOMPARE(GetString(HKEY_CURRENT_USER, userPath.c_str(), "written").has_value(), expectUser);
        QCOMPARE(GetString(HKEY_LOCAL_MACHINE, machinePath.c_str(), "written").has_value(),
                 !expectUser);

        // A new key made through the merged view goes to the machine.
        DWORD disposition = 0;
        TestKey created;
        QCOMPARE(CreateKey(HKEY_CLASSES_ROOT, "htmlfile\\Shell\\open\\command", created,
                           KEY_ALL_ACCESS, &disposition),
                 ERROR_SUCCESS);
        QCOMPARE(disposition, REG_CREATED_NEW_KEY);
        QVERIFY(KeyExists(HKEY_LOCAL_MACHINE,
                          In(MachineClasses, "htmlfile\\Shell\\open\\command").c_str()));
        QVERIFY(!KeyExists(HKEY_CURRENT_USER, In(UserClasses, "htmlfile\\Shell").c_str()));
    }

    void deletingThroughTheViewRemovesTheUsersCopyFirst() {
        QCOMPARE(PutString(HKEY_CURRENT_USER, In(UserClasses, "type\\Shell").c_str(), "", "u"),
                 ERROR_SUCCESS);
        QCOMPARE(PutString(HKEY_LOCAL_MACHINE, In(MachineClasses, "type\\Shell").c_str(), "", "m"),
                 ERROR_SUCCESS);
        QCOMPARE(RegDeleteTreeA(HKEY_CLASSES_ROOT, "type\\Shell"), ERROR_SUCCESS);
        QCOMPARE(GetString(HKEY_CLASSES_ROOT, "type\\Shell", ""), std::optional<std::string>("m"));
        QCOMPARE(RegDeleteTreeA(HKEY_CLASSES_ROOT, "type\\Shell"), ERROR_SUCCESS);
        QVERIFY(!KeyExists(HKEY_CLASSES_ROOT, "type\\Shell"));
        QCOMPARE(RegDeleteTreeA(HKEY_CLASSES_ROOT, "type\\Shell"), ERROR_FILE_NOT_FOUND);
    }

    void readOnlyMachineStore_data() {
        QTest::addColumn<bool>("byPermissions"); // else by the marker file
        QTest::newRow("marker file") << false;
        QTest::newRow("no write permission bits") << true;
    }

    void readOnlyMachineStore() {
        QFETCH(bool, byPermissions);
        QCOMPARE(PutString(HKEY_LOCAL_MACHINE, In(MachineClasses, "machineType").c_str(), "", "m"),
                 ERROR_SUCCESS);
        QCOMPARE(PutString(HKEY_CURRENT_USER, In(UserClasses, "userType").c_str(), "", "u"),
                 ERROR_SUCCESS);
        const QString machineDb = FDir->file("machine.db");
        if (byPermissions)
            QVERIFY(QFile::setPermissions(machineDb, QFile::ReadOwner | QFile::ReadGroup));
        else
            QVERIFY(SetMachineStoreReadOnly(true));
        QVERIFY(IsMachineStoreReadOnly()); // also when running as root
        const QByteArray before = FileBytes(machineDb);

        TestKey key;
        QCOMPARE(CreateKey(HKEY_CLASSES_ROOT, "newType", key), ERROR_ACCESS_DENIED);
        QCOMPARE(CreateKey(HKEY_LOCAL_MACHINE, "Software\\New", key), ERROR_ACCESS_DENIED);
        QCOMPARE(PutString(HKEY_CLASSES_ROOT, "machineType", "v", "x"), ERROR_ACCESS_DENIED);
        QCOMPARE(OpenKey(HKEY_LOCAL_MACHINE, "Software", key, KEY_ALL_ACCESS), ERROR_ACCESS_DENIED);
        QCOMPARE(OpenKey(HKEY_CLASSES_ROOT, "machineType", key, KEY_WRITE), ERROR_ACCESS_DENIED);
        QCOMPARE(SetString(HKEY_LOCAL_MACHINE, "v", "x"), ERROR_ACCESS_DENIED);
        QCOMPARE(RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software"), ERROR_ACCESS_DENIED);

        // Reading goes on; the user's classes stay writable through the view.
        QCOMPARE(GetString(HKEY_CLASSES_ROOT, "machineType", ""), std::optional<std::string>("m"));
        QCOMPARE(PutString(HKEY_CLASSES_ROOT, "userType", "v", "x"), ERROR_SUCCESS);
        QCOMPARE(GetString(HKEY_CURRENT_USER, In(UserClasses, "userType").c_str(), "v"),
                 std::optional<std::string>("x"));
        QCOMPARE(FileBytes(machineDb), before);

        // The program's fallback: a class key it cannot create under HKCR goes to the user.
        TRegistry registry;
        registry.SetRootKey(HKEY_CLASSES_ROOT);
        QVERIFY(!registry.OpenKey("http\\Shell\\open", true));
        registry.SetRootKey(HKEY_CURRENT_USER);
        QVERIFY(registry.OpenKey("Software\\Classes\\http\\Shell\\open", true));
        QVERIFY(KeyExists(HKEY_CLASSES_ROOT, "http\\Shell\\open"));

        if (byPermissions)
            QVERIFY(QFile::setPermissions(machineDb, QFile::ReadOwner | QFile::WriteOwner));
        else
            QVERIFY(SetMachineStoreReadOnly(false));
        QVERIFY(!IsMachineStoreReadOnly());
        QCOMPARE(CreateKey(HKEY_CLASSES_ROOT, "newType", key), ERROR_SUCCESS);
    }

private:
    std::unique_ptr<FreshPlatformDir> FDir;
};

QTEST_GUILESS_MAIN(TestRegistryClasses)
#include "tst_RegistryClasses.moc"
