#include "platform/registry/MachineStore.h"
#include "platform/registry/RegistryObjects.h"
#include "tests/support/FreshPlatformDir.h"
#include "util/utility.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

std::string readDefault(HKEY root, const std::string &path) {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(root);
    if (!reg.OpenKeyReadOnly(path))
        return "<absent>";
    return reg.ValueExists("") ? reg.ReadString("") : "<no value>";
}

void writeValue(HKEY root, const std::string &path, const std::string &name,
                const std::string &data) {
    TRegistry reg;
    reg.SetRootKey(root);
    QVERIFY(reg.OpenKey(path, true));
    reg.WriteString(name, data);
}

} // namespace

class TestRegistryHelpers final : public QObject {
    Q_OBJECT

    FreshPlatformDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void init() {
        SetMachineStoreReadOnly(false);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes");
    }

    void isShellCommandFor_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("exe");
        QTest::addColumn<bool>("expected");

        QTest::newRow("quoted, other letter case") << "\"C:\\Tools\\viewer.exe\" \"%1\""
                                                   << "C:\\TOOLS\\VIEWER.EXE" << true;
        QTest::newRow("unquoted with arguments") << "/opt/quillmere/bin/quillmere -nohome %1"
                                                 << "/opt/quillmere/bin/quillmere" << true;
        QTest::newRow("linux path, other letter case") << "\"/Opt/Q/quillmere\" \"%1\""
                                                       << "/opt/q/QUILLMERE" << true;
        QTest::newRow("another program") << "\"/usr/bin/firefox\" \"%1\""
                                         << "/opt/q/quillmere" << false;
        QTest::newRow("exe is only a prefix of the quoted part")
            << "\"/opt/q/quillmere-old\" \"%1\""
            << "/opt/q/quillmere" << true;
        QTest::newRow("quote inside the program part") << "\"/opt/it\"\"s/q\" \"%1\""
                                                       << "/opt/it\"s/q" << true;
        QTest::newRow("empty quoted program") << "\"\" /opt/q/quillmere"
                                              << "/opt/q/quillmere" << false;
        QTest::newRow("no command") << ""
                                    << "/opt/q/quillmere" << false;
        QTest::newRow("non-ASCII letters compare exactly") << "\"/opt/ÄPP/q\" \"%1\""
                                                           << "/opt/äpp/q" << false;
    }

    void isShellCommandFor() {
        QFETCH(QString, command);
        QFETCH(QString, exe);
        QFETCH(bool, expected);
        if (!command.isEmpty())
            writeValue(HKEY_CLASSES_ROOT, "http\\Shell\\open\\command", "", command.toStdString());
        QCOMPARE(IsShellCommandFor("http", "Open", exe.toStdString()), expected);
    }

    void setShellCommandReplacesTheWholeVerb() {
        writeValue(HKEY_CLASSES_ROOT, "htmlfile\\Shell\\open\\ddeexec", "", "[open(\"%1\")]");
        writeValue(HKEY_CLASSES_ROOT, "htmlfile\\Shell\\open", "MUIVerb", "Open");
        QVERIFY(SetShellCommand("htmlfile", "open", "\"/opt/q/quillmere\" \"%1\""));

        QCOMPARE(ReadShellCommand("htmlfile", "open"), std::string("\"/opt/q/quillmere\" \"%1\""));
        QCOMPARE(readDefault(HKEY_CLASSES_ROOT, "htmlfile\\Shell\\open\\ddeexec"),
                 std::string("<absent>"));
        TRegistry reg(KEY_READ);
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        QVERIFY(reg.OpenKeyReadOnly("htmlfile\\Shell\\open"));
        QVERIFY(!reg.ValueExists("MUIVerb"));
        QCOMPARE(reg.GetKeyNames(), std::vector<std::string>{"command"});
    }

    void emptyArgumentsAreRefused() {
        QVERIFY(!SetShellCommand("", "open", "x"));
        QVERIFY(!SetShellCommand("htmlfile", "", "x"));
        QCOMPARE(ReadShellCommand("", "open"), std::string());
        QCOMPARE(ReadShellCommand("htmlfile", ""), std::string());
    }

    void registerFileExtensionWritesTheThreeValues() {
        QCOMPARE(ReadClassDefault(".htm"), std::string());
        QVERIFY(RegisterFileExtension(".htm", "htmlfile", "text/html", "text"));
        QCOMPARE(ReadClassDefault(".htm"), std::string("htmlfile"));
        TRegistry reg(KEY_READ);
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        QVERIFY(reg.OpenKeyReadOnly(".htm"));
        QCOMPARE(reg.ReadString("Content type"), std::string("text/html"));
        QCOMPARE(reg.ReadString("PerceivedType"), std::string("text"));
    }

    void readOnlyMachineStoreFallsBackToTheUser() {
        QVERIFY(SetMachineStoreReadOnly(true));
        QVERIFY(SetShellCommand("http", "open", "/opt/q/quillmere %1"));
        QVERIFY(RegisterFileExtension(".html", "htmlfile", "text/html", "text"));
        SetMachineStoreReadOnly(false);

        QCOMPARE(readDefault(HKEY_CURRENT_USER, "Software\\Classes\\http\\Shell\\open\\command"),
                 std::string("/opt/q/quillmere %1"));
        QCOMPARE(readDefault(HKEY_CURRENT_USER, "Software\\Classes\\.html"),
                 std::string("htmlfile"));
        QCOMPARE(readDefault(HKEY_LOCAL_MACHINE, "Software\\Classes\\.html"),
                 std::string("<absent>"));
        QVERIFY(IsShellCommandFor("http", "open", "/opt/q/quillmere"));
    }

    void userRegistrationWinsOverTheMachine() {
        writeValue(HKEY_LOCAL_MACHINE, "Software\\Classes\\.htm", "", "otherfile");
        writeValue(HKEY_CURRENT_USER, "Software\\Classes\\.htm", "", "htmlfile");
        QCOMPARE(ReadClassDefault(".htm"), std::string("htmlfile"));
    }

    void aNonStringDefaultReadsAsEmpty() {
        TRegistry reg;
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        QVERIFY(reg.OpenKey(".odd", true));
        reg.WriteInteger("", 7);
        QCOMPARE(ReadClassDefault(".odd"), std::string());
    }
};

QTEST_GUILESS_MAIN(TestRegistryHelpers)
#include "tst_RegistryHelpers.moc"
