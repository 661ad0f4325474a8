// The reg command of quillmere-platform, run as a process.

#include "RegistryDump.h"
#include "tests/support/FreshPlatformDir.h"
#include "tests/support/ToolRunner.h"

#include <QtTest>

#include <memory>

namespace {

using Run = ToolRun;
constexpr auto Tool = RunPlatformTool;

void Seed() {
    TestKey seed, child;
    QCOMPARE(CreateKey(HKEY_CURRENT_USER, "Software\\Seed", seed), ERROR_SUCCESS);
    QCOMPARE(SetString(seed.get(), "name", "value"), ERROR_SUCCESS);
    QCOMPARE(SetString(seed.get(), "", "def"), ERROR_SUCCESS);
    QCOMPARE(SetDword(seed.get(), "n", 5), ERROR_SUCCESS);
    QCOMPARE(CreateKey(seed.get(), "Child", child), ERROR_SUCCESS);
    QCOMPARE(SetString(child.get(), "c", "1"), ERROR_SUCCESS);
}

QByteArray Hex(const QByteArray &bytes) {
    return bytes.toHex();
}

} // namespace

class TestRegTool final : public QObject {
    Q_OBJECT

private slots:
    void init() {
        FDir = std::make_unique<FreshPlatformDir>();
        Seed();
    }
    void cleanup() { FDir.reset(); }

    void commands_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString seed = "HKCU\\Software\\Seed";
        QTest::newRow("query value") << QStringList{"reg", "query", seed, "/v", "NAME"} << 0
                                     << "\n    name    REG_SZ    value\n"
                                     << "";
        QTest::newRow("query default, long root, dash option")
            << QStringList{"reg", "query", "hkey_current_user\\Software\\Seed", "--VE"} << 0
            << "HKEY_CURRENT_USER\\Software\\Seed\n    (Default)    REG_SZ    def\n"
            << "";
        QTest::newRow("query key")
            << QStringList{"reg", "query", seed} << 0
            << "    n    REG_DWORD    0x5\n\nHKEY_CURRENT_USER\\Software\\Seed\\Child\n"
            << "";
        QTest::newRow("query recursive")
            << QStringList{"reg", "query", seed, "-s"} << 0
            << "HKEY_CURRENT_USER\\Software\\Seed\\Child\n    c    REG_SZ    1\n"
            << "";
        QTest::newRow("query missing key")
            << QStringList{"reg", "query", seed + "\\Nope"} << 1 << ""
            << "unable to find";
        QTest::newRow("query missing value")
            << QStringList{"reg", "query", seed, "/v", "nope"} << 1 << ""
            << "unable to find";
        QTest::newRow("bad root") << QStringList{"reg", "query", "HKXX\\Software"} << 2 << ""
                                  << "invalid key name";
        QTest::newRow("users root is not provided")
            << QStringList{"reg", "query", "HKU\\.DEFAULT"} << 2 << ""
            << "invalid key name";
        QTest::newRow("bad type") << QStringList{"reg", "add", seed, "/v", "x", "/t", "REG_FOO"}
                                  << 2 << ""
                                  << "invalid type";
        QTest::newRow("bad dword")
            << QStringList{"reg", "add", seed, "/v", "x", "/t", "REG_DWORD", "/d", "12z"} << 2 << ""
            << "invalid data";
        QTest::newRow("odd binary")
            << QStringList{"reg", "add", seed, "/v", "x", "/t", "REG_BINARY", "/d", "abc"} << 2
            << ""
            << "invalid data";
        QTest::newRow("existing value without /f")
            << QStringList{"reg", "add", seed, "/v", "name", "/d", "other"} << 1 << ""
            << "add /f";
        QTest::newRow("delete without /f") << QStringList{"reg", "delete", seed} << 2 << ""
                                           << "needs /f";
        QTest::newRow("delete missing key")
            << QStringList{"reg", "delete", seed + "\\Nope", "/f"} << 1 << ""
            << "unable to find";
        QTest::newRow("option without value") << QStringList{"reg", "query", seed, "/v"} << 2 << ""
                                              << "needs a value";
        QTest::newRow("two value options")
            << QStringList{"reg", "query", seed, "/v", "a", "/ve"} << 2 << ""
            << "only one";
        QTest::newRow("unknown operation") << QStringList{"reg", "copy", seed} << 2 << ""
                                           << "unknown operation";
        QTest::newRow("no operation") << QStringList{"reg"} << 2 << ""
                                      << "usage";
        QTest::newRow("unreadable file")
            << QStringList{"reg", "import", "/nonexistent/x.reg"} << 1 << ""
            << "cannot read /nonexistent/x.reg";
        QTest::newRow("unknown command") << QStringList{"registry"} << 2 << ""
                                         << "unknown command";
        QTest::newRow("help") << QStringList{"reg", "--help"} << 0 << "machine-readonly"
                              << "";
    }

    void commands() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run run = Tool(FDir->path(), args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.out.contains(out), qPrintable(run.out));
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        // Failures explain themselves in one line.
        if (exitCode != 0 && !run.err.startsWith("usage"))
            QCOMPARE(run.err.count('\n'), 1);
        QCOMPARE(DumpTree(HKEY_CURRENT_USER, "Software\\Seed").size(), 6);
    }

    void addWritesTypedValues_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("default type")
            << QStringList{"/v", "s", "/d", "日本語"} << int(REG_SZ) << Hex("日本語");
        QTest::newRow("empty default value") << QStringList{"/ve"} << int(REG_SZ) << Hex("");
        QTest::newRow("expand") << QStringList{"/v", "e", "/t", "REG_EXPAND_SZ", "/d", "%HOME%"}
                                << int(REG_EXPAND_SZ) << Hex("%HOME%");
        QTest::newRow("dword hex") << QStringList{"/v", "d", "/t", "reg_dword", "/d", "0x1F"}
                                   << int(REG_DWORD) << QByteArray("1f000000");
        QTest::newRow("qword decimal")
            << QStringList{"/v", "q", "/t", "REG_QWORD", "/d", "4294967296"} << int(REG_QWORD)
            << QByteArray("0000000001000000");
        QTest::newRow("binary") << QStringList{"/v", "b", "/t", "REG_BINARY", "/d", "00ffA0"}
                                << int(REG_BINARY) << QByteArray("00ffa0");
        QTest::newRow("multi") << QStringList{"/v", "m", "/t", "REG_MULTI_SZ", "/d", "a\\0bc"}
                               << int(REG_MULTI_SZ) << QByteArray("6100626300") + "00";
        QTest::newRow("multi with separator")
            << QStringList{"/v", "m", "/t", "REG_MULTI_SZ", "/d", "a#b", "/se", "#"}
            << int(REG_MULTI_SZ) << QByteArray("6100620000");
        QTest::newRow("overwrite with /f")
            << QStringList{"/v", "name", "/d", "new", "/f"} << int(REG_SZ) << Hex("new");
    }

    void addWritesTypedValues() {
        QFETCH(QStringList, options);
        QFETCH(int, type);
        QFETCH(QByteArray, data);
        const Run run =
            Tool(FDir->path(), QStringList{"reg", "add", "HKCU\\Software\\Seed\\New"} << options);
        QCOMPARE(run.exitCode, 0);
        const QString name = options.first() == "/v" ? options[1] : QString();
        TestKey key;
        QCOMPARE(OpenKey(HKEY_CURRENT_USER, "Software\\Seed\\New", key), ERROR_SUCCESS);
        const auto value = QueryRaw(key.get(), name.toUtf8().constData());
        QVERIFY(value);
        QCOMPARE(int(value->type), type);
        const bool string = type == REG_SZ || type == REG_EXPAND_SZ;
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(value->data.data()),
                            qsizetype(value->data.size()))
                     .toHex(),
                 string ? data + "00" : data);
    }

    void deleteValuesAndKeys() {
        QCOMPARE(Tool(FDir->path(), {"reg", "delete", "HKCU\\Software\\Seed", "/v", "name", "/f"})
                     .exitCode,
                 0);
        TestKey seed;
        QCOMPARE(OpenKey(HKEY_CURRENT_USER, "Software\\Seed", seed), ERROR_SUCCESS);
        QCOMPARE(ValueNames(seed.get()), (std::vector<std::string>{"", "n"}));
        QCOMPARE(
            Tool(FDir->path(), {"reg", "delete", "HKCU\\Software\\Seed", "/va", "/f"}).exitCode, 0);
        QVERIFY(ValueNames(seed.get()).empty());
        QVERIFY(KeyExists(HKEY_CURRENT_USER, "Software\\Seed\\Child"));
        QCOMPARE(Tool(FDir->path(), {"reg", "delete", "HKCU\\Software\\Seed", "/f"}).exitCode, 0);
        QVERIFY(!KeyExists(HKEY_CURRENT_USER, "Software\\Seed"));
    }

    void exportAndImport() {
        const QString file = FDir->file("seed.reg");
        const QStringList before = DumpTree(HKEY_CURRENT_USER, "Software\\Seed");
        QCOMPARE(Tool(FDir->path(), {"reg", "export", "HKCU\\Software\\Seed", file}).exitCode, 0);
        const Run again = Tool(FDir->path(), {"reg", "export", "HKCU\\Software\\Seed", file});
        QCOMPARE(again.exitCode, 1);
        QVERIFY(again.err.contains("/y"));
        QCOMPARE(Tool(FDir->path(), {"reg", "export", "HKCU\\Software\\Seed", file, "/y"}).exitCode,
                 0);

        FreshPlatformDir other;
        QCOMPARE(Tool(other.path(), {"reg", "import", file}).exitCode, 0);
        QCOMPARE(DumpTree(HKEY_CURRENT_USER, "Software\\Seed"), before);

        const QString fixture =
            qEnvironmentVariable("QM_SOURCE_DIR") + "/tests/fixtures/registry/japanese-tree.reg";
        QCOMPARE(Tool(other.path(), {"reg", "import", fixture}).exitCode, 0);
        const Run query = Tool(other.path(), {"reg", "query", "HKCR\\.qmtest", "/ve"});
        QVERIFY2(query.out.contains("(Default)    REG_SZ    qmtestfile"), qPrintable(query.out));

        QFile broken(FDir->file("broken.reg"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("REGEDIT4\n\n[HKCU\\Software\\Broken]\n\"v\"=dword:zz\n");
        broken.close();
        const Run failed = Tool(FDir->path(), {"reg", "import", broken.fileName()});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY2(failed.err.contains("line 4"), qPrintable(failed.err));
        QVERIFY(!KeyExists(HKEY_CURRENT_USER, "Software\\Broken"));
    }

    void machineReadOnlySwitch() {
        QCOMPARE(Tool(FDir->path(), {"reg", "machine-readonly", "status"}).out, QString("off\n"));
        QCOMPARE(Tool(FDir->path(), {"reg", "machine-readonly", "on"}).out, QString("on\n"));
        const Run denied = Tool(FDir->path(), {"reg", "add", "HKLM\\Software\\X", "/ve"});
        QCOMPARE(denied.exitCode, 1);
        QVERIFY(denied.err.contains("Access is denied"));
        QCOMPARE(Tool(FDir->path(), {"reg", "add", "HKCR\\.x", "/ve"}).exitCode, 1);
        QCOMPARE(Tool(FDir->path(), {"reg", "machine-readonly", "off"}).out, QString("off\n"));
        QCOMPARE(Tool(FDir->path(), {"reg", "add", "HKCR\\.x", "/ve", "/d", "xfile"}).exitCode, 0);
        QCOMPARE(GetString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.x", ""),
                 std::optional<std::string>("xfile"));
        QCOMPARE(Tool(FDir->path(), {"reg", "machine-readonly", "maybe"}).exitCode, 2);
    }

private:
    std::unique_ptr<FreshPlatformDir> FDir;
};

QTEST_GUILESS_MAIN(TestRegTool)
#include "tst_RegTool.moc"
