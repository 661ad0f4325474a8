// Import and export of .reg files.

#include "RegistryDump.h"
#include "platform/registry/MachineStore.h"
#include "platform/registry/RegFile.h"
#include "tests/support/FreshPlatformDir.h"

#include <QFile>
#include <QStringEncoder>
#include <QtTest>

#include <memory>

namespace {

QByteArray FixtureBytes(const char *name) {
    QFile file(qEnvironmentVariable("QM_SOURCE_DIR") + "/tests/fixtures/registry/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Utf16Text(const std::string &bytes) {
    if (bytes.size() < 2 || bytes.substr(0, 2) != "\xFF\xFE")
        return {};
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.data() + 2),
                              qsizetype(bytes.size() - 2) / 2);
}

std::string Import(const QByteArray &text) {
    std::string error;
    registry::ImportRegText(std::string_view(text.constData(), std::size_t(text.size())), error);
    return error;
}

QByteArray Hex(const QByteArray &bytes) {
    return bytes.toHex();
}

struct Tree {
    HKEY root;
    const char *path;
    const char *exportPath;
};

const Tree FixtureTrees[] = {
    {HKEY_CURRENT_USER, "Software\\Tarnwick", "HKEY_CURRENT_USER\\Software\\Tarnwick\\日本語キー"},
    {HKEY_LOCAL_MACHINE, "Software\\Tarnwick", "HKLM\\Software\\Tarnwick\\Machine"},
    {HKEY_LOCAL_MACHINE, "Software\\Classes\\.qmtest", "HKCR\\.qmtest"},
};

} // namespace

class TestRegFile final : public QObject {
    Q_OBJECT

private slots:
    void init() { FDir = std::make_unique<FreshPlatformDir>(); }
    void cleanup() { FDir.reset(); }

    void importsTheEditorsFile() {
        const QByteArray fixture = FixtureBytes("japanese-tree.reg");
        QVERIFY(fixture.startsWith("\xFF\xFE"));
        QCOMPARE(Import(fixture), std::string());

        const char *key = "Software\\Tarnwick\\日本語キー";
        QCOMPARE(GetString(HKEY_CURRENT_USER, key, ""), std::optional<std::string>("既定の値"));
        QCOMPARE(GetString(HKEY_CURRENT_USER, key, "名前"),
                 std::optional<std::string>("データ \"引用\" と \\バックスラッシュ\\"));
        QCOMPARE(GetString(HKEY_CURRENT_USER, key, "展開"),
                 std::optional<std::string>("%HOME%\\日本"));
        TestKey opened;
        QCOMPARE(OpenKey(HKEY_CURRENT_USER, key, opened), ERROR_SUCCESS);
        QCOMPARE(QueryRaw(opened.get(), "一覧"),
                 (RawValue{REG_MULTI_SZ, Bytes("a\0日本\0\0", 10)}));
        QCOMPARE(QueryRaw(opened.get(), "Count"), (RawValue{REG_DWORD, Bytes("\x2a\0\0\0", 4)}));
        QCOMPARE(QueryRaw(opened.get(), "Big"),
                 (RawValue{REG_QWORD, Bytes("\1\0\0\0\0\0\0\x80", 8)}));
        QCOMPARE(QueryRaw(opened.get(), "Nothing"), (RawValue{REG_NONE, {}}));
        QCOMPARE(QueryRaw(opened.get(), "Long")->data.size(), std::size_t(60));
        QVERIFY(KeyExists(HKEY_CURRENT_USER, "Software\\Tarnwick\\日本語キー\\空のキー"));
        QCOMPARE(GetString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.qmtest", ""),
                 std::optional<std::string>("qmtestfile"));
    }

    void exportMatchesTheEditorsFile() {
        const QByteArray fixture = FixtureBytes("japanese-tree.reg");
        QCOMPARE(Import(fixture), std::string());
        // The fixture's blocks of one tree are what the editor writes for that tree.
        const QString text = QString::fromUtf16(
            reinterpret_cast<const char16_t *>(fixture.constData() + 2), (fixture.size() - 2) / 2);
        const QStringList blocks = text.split("\r\n\r\n", Qt::SkipEmptyParts);
        QString expected = blocks.first() + "\r\n\r\n";
        for (const auto &block : blocks)
            if (block.startsWith("[HKEY_CURRENT_USER\\Software\\Tarnwick\\日本語キー"))
                expected += block + "\r\n\r\n";

        std::string bytes, error;
        QVERIFY2(registry::ExportRegText(FixtureTrees[0].exportPath, bytes, error), error.c_str());
        QCOMPARE(Utf16Text(bytes), expected);
    }

    void roundTripThroughAFreshStore() {
        QCOMPARE(Import(FixtureBytes("japanese-tree.reg")), std::string());
        std::vector<QStringList> before;
        std::vector<std::string> exported;
        for (const auto &tree : FixtureTrees) {
            before.push_back(DumpTree(tree.root, tree.path));
            std::string bytes, error;
            QVERIFY2(registry::ExportRegText(tree.exportPath, bytes, error), error.c_str());
            exported.push_back(bytes);
        }
        FreshPlatformDir fresh;
        for (const auto &bytes : exported)
            QCOMPARE(Import(QByteArray::fromStdString(bytes)), std::string());
        for (std::size_t i = 0; i < std::size(FixtureTrees); ++i)
            QCOMPARE(DumpTree(FixtureTrees[i].root, FixtureTrees[i].path), before[i]);
    }

    void valueSyntax_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("data");
        const QByteArray v5 = "Windows Registry Editor Version 5.00\r\n\r\n[HKCU\\Software\\T]\r\n";
        const QByteArray v4 = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\T]\n";
        QTest::newRow("ansi expand string in REGEDIT4")
            << v4 + "\"p\"=hex(2):25,41,25,00\n"
            << QByteArray("p") << int(REG_EXPAND_SZ) << Hex("%A%\0");
        QTest::newRow("ansi multi string in REGEDIT4")
            << v4 + "\"m\"=hex(7):61,00,62,00,00\n"
            << QByteArray("m") << int(REG_MULTI_SZ) << Hex(QByteArray("a\0b\0\0", 5));
        QTest::newRow("utf-8 REGEDIT4") << v4 + "\"n\"=\"ｸｲﾙﾐｱ\"\n"
                                        << QByteArray("n") << int(REG_SZ) << Hex("ｸｲﾙﾐｱ");
        QTest::newRow("shift_jis REGEDIT4") << v4 + "\"n\"=\"\xB8\xB2\x83\x5C\"\n"
                                            << QByteArray("n") << int(REG_SZ) << Hex("ｸｲソ");
        QTest::newRow("shift_jis string data in a utf-8 REGEDIT4")
            << v4 + "\"p\"=hex(2):b8,b2,83,5c,00\n"
            << QByteArray("p") << int(REG_EXPAND_SZ) << Hex("ｸｲソ");
        QTest::newRow("shift_jis multi string in a shift_jis REGEDIT4")
            << v4 + "\"\xB8\"=hex(7):b1,00,b2,00,00\n"
            << QByteArray("ｸ") << int(REG_MULTI_SZ) << Hex(QByteArray("ｱ\0ｲ\0\0", 9));
        QTest::newRow("utf-8 with BOM") << "\xEF\xBB\xBF" + v5 + "\"名\"=\"値\"\r\n"
                                        << QByteArray("名") << int(REG_SZ) << Hex("値");
        QTest::newRow("continuation lines")
            << v5 + "\"b\"=hex:01,02,\\\r\n  03,\\\r\n  04\r\n"
            << QByteArray("b") << int(REG_BINARY) << QByteArray("01020304");
        QTest::newRow("escapes") << v5 + "\"a\\\\b\"=\"x\\\"y\\\\\"\r\n"
                                 << QByteArray("a\\b") << int(REG_SZ) << Hex("x\"y\\");
        QTest::newRow("default value") << v5 + "@=\"d\"\r\n"
                                       << QByteArray() << int(REG_SZ) << Hex("d");
        QTest::newRow("short dword") << v5 + "\"d\"=dword:ff\r\n"
                                     << QByteArray("d") << int(REG_DWORD) << QByteArray("ff000000");
        QTest::newRow("dword as hex(4)")
            << v5 + "\"d\"=hex(4):01,00,00,00\r\n"
            << QByteArray("d") << int(REG_DWORD) << QByteArray("01000000");
        QTest::newRow("other type number") << v5 + "\"n\"=hex(1f):aa\r\n"
                                           << QByteArray("n") << 0x1f << QByteArray("aa");
        QTest::newRow("comments and blank lines") << v5 + "; note\r\n\r\n\"c\"=\"1\"\r\n"
                                                  << QByteArray("c") << int(REG_SZ) << Hex("1");
    }

    void valueSyntax() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, name);
        QFETCH(int, type);
        QFETCH(QByteArray, data);
        QCOMPARE(Import(file), std::string());
        TestKey key;
        QCOMPARE(OpenKey(HKEY_CURRENT_USER, "Software\\T", key), ERROR_SUCCESS);
        const auto value = QueryRaw(key.get(), name.constData());
        QVERIFY(value);
        QCOMPARE(int(value->type), type);
        const QByteArray stored(reinterpret_cast<const char *>(value->data.data()),
                                qsizetype(value->data.size()));
        // String types are stored with their terminator.
        const bool string = type == REG_SZ || type == REG_EXPAND_SZ;
        QCOMPARE(stored.toHex(), string && !data.endsWith("00") ? data + "00" : data);
    }

    void deletions() {
        const QByteArray header = "Windows Registry Editor Version 5.00\r\n\r\n";
        QCOMPARE(Import(header + "[HKCU\\Software\\T\\Child]\r\n\"v\"=\"1\"\r\n\"w\"=\"2\"\r\n"),
                 std::string());
        QCOMPARE(Import(header + "[HKCU\\Software\\T\\Child]\r\n\"v\"=-\r\n\"absent\"=-\r\n"),
                 std::string());
        TestKey child;
        QCOMPARE(OpenKey(HKEY_CURRENT_USER, "Software\\T\\Child", child), ERROR_SUCCESS);
        QCOMPARE(ValueNames(child.get()), std::vector<std::string>{"w"});
        QCOMPARE(
            Import(header + "[-HKEY_CURRENT_USER\\Software\\T]\r\n[-HKCU\\Software\\Absent]\r\n"),
            std::string());
        QVERIFY(!KeyExists(HKEY_CURRENT_USER, "Software\\T"));
    }

    void malformedInputNamesTheLine_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");
        const QByteArray h = "Windows Registry Editor Version 5.00\n\n[HKCU\\Software\\T]\n";
        QTest::newRow("no header")
            << QByteArray("[HKCU\\Software\\T]\n") << "line 1: not a registry";
        QTest::newRow("empty") << QByteArray() << "line 1: empty";
        QTest::newRow("bad dword") << h + "\"d\"=dword:xyz\n"
                                   << "line 4: dword";
        QTest::newRow("dword too long") << h + "\"d\"=dword:123456789\n"
                                        << "line 4: dword";
        QTest::newRow("unterminated string") << h + "\"s\"=\"abc\n"
                                             << "line 4: malformed string";
        QTest::newRow("unterminated name") << h + "\"s=1\n"
                                           << "line 4: value name";
        QTest::newRow("missing equals") << h + "\"s\" \"1\"\n"
                                        << "line 4: missing '='";
        QTest::newRow("unknown format") << h + "\"s\"=word:1\n"
                                        << "line 4: unknown data format";
        QTest::newRow("bad hex byte") << h + "\"b\"=hex:0g\n"
                                      << "line 4: malformed hex";
        QTest::newRow("bad hex type") << h + "\"b\"=hex(z):00\n"
                                      << "line 4: malformed hex(type)";
        QTest::newRow("odd utf-16 string") << h + "\"e\"=hex(2):41,00,00\n"
                                           << "line 4: string data of odd length";
        QTest::newRow("dword of 3 bytes") << h + "\"d\"=hex(4):01,02,03\n"
                                          << "line 4: wrong number";
        QTest::newRow("neither utf-8 nor shift_jis")
            << QByteArray("REGEDIT4\n\n[HKCU\\Software\\T]\n\"a\"=\"\xB1\"\n\"b\"=\"\x81\x20\"\n")
            << "line 5: neither UTF-8 nor Shift_JIS";
        QTest::newRow("broken utf-8 after a BOM") << "\xEF\xBB\xBF" + h + "\"a\"=\"\xE6\x97\"\n"
                                                  << "line 4: not valid UTF-8";
        const std::u16string surrogate = u"REGEDIT4\n\n[HKCU\\Software\\T]\n\"a\"=\"\xD800\"\n";
        QTest::newRow("lone surrogate in utf-16")
            << QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(surrogate.data()),
                                                   qsizetype(2 * surrogate.size()))
            << "line 4: not valid UTF-16LE";
        const std::u16string complete = u"REGEDIT4\r\n\r\n[HKCU\\Software\\T]\r\n\"a\"=\"1\"\r\n";
        QTest::newRow("utf-16 cut within a code unit")
            << QByteArray("\xFF\xFE") +
                   QByteArray(reinterpret_cast<const char *>(complete.data()),
                              qsizetype(2 * complete.size())) +
                   QByteArray("\x41")
            << "line 5: not valid UTF-16LE";
        QTest::newRow("string data neither utf-8 nor shift_jis")
            << QByteArray("REGEDIT4\n\n[HKCU\\Software\\T]\n\"p\"=hex(2):81,20,00\n")
            << "line 4: string data is neither";
        QTest::newRow("unknown root")
            << QByteArray("REGEDIT4\n\n[HKEY_NOWHERE\\x]\n") << "line 3: unknown root";
        QTest::newRow("root itself") << QByteArray("REGEDIT4\n\n[-HKCU]\n") << "line 3: a root";
        QTest::newRow("open bracket") << QByteArray("REGEDIT4\n\n[HKCU\\x\n") << "line 3: key line";
        QTest::newRow("value before a key")
            << QByteArray("REGEDIT4\n\n\"v\"=\"1\"\n") << "line 3: value outside";
        QTest::newRow("value after a deleted key")
            << QByteArray("REGEDIT4\n\n[-HKCU\\Software\\T]\n\"v\"=\"1\"\n")
            << "line 4: value outside";
    }

    void malformedInputNamesTheLine() {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        const QString reported = QString::fromStdString(Import(file));
        QVERIFY2(reported.startsWith(error), qPrintable(reported));
        // Nothing of a malformed file is applied.
        QVERIFY(!KeyExists(HKEY_CURRENT_USER, "Software\\T"));
    }

    void fileErrors() {
        std::string error;
        QVERIFY(!registry::ImportRegFile(FDir->file("absent.reg").toStdString(), error));
        QVERIFY2(error.find("absent.reg") != std::string::npos, error.c_str());
        QVERIFY(!registry::ExportRegFile("HKCU\\Software\\Absent",
                                         FDir->file("out.reg").toStdString(), error));
        QVERIFY2(error.find("HKCU\\Software\\Absent") != std::string::npos, error.c_str());
        QVERIFY(!QFile::exists(FDir->file("out.reg")));
        QVERIFY(!registry::ExportRegFile("HKEY_NOWHERE\\x", FDir->file("out.reg").toStdString(),
                                         error));
    }

    // A failure part-way names the line and leaves the registry as it was.
    void applyFailureChangesNothing() {
        QCOMPARE(PutString(HKEY_CURRENT_USER, "Software\\Kept", "v", "old"), ERROR_SUCCESS);
        QVERIFY(SetMachineStoreReadOnly(true));
        const QString reported = QString::fromStdString(
            Import("REGEDIT4\n\n[HKCU\\Software\\T]\n\"n\"=\"1\"\n[HKCU\\Software\\Kept]\n"
                   "\"v\"=\"new\"\n[-HKCU\\Software\\Kept\\Child]\n\n[HKLM\\Software\\T]\n"
                   "\"v\"=\"1\"\n"));
        QVERIFY(SetMachineStoreReadOnly(false));
        QVERIFY2(reported.startsWith("line 9: HKEY_LOCAL_MACHINE\\Software\\T: Access is denied"),
                 qPrintable(reported));
        QVERIFY(!KeyExists(HKEY_CURRENT_USER, "Software\\T"));
        QCOMPARE(GetString(HKEY_CURRENT_USER, "Software\\Kept", "v"),
                 std::optional<std::string>("old"));
    }

    // Within one import, later lines see what earlier lines wrote, the classes view included.
    void laterLinesSeeEarlierOnes() {
        QCOMPARE(Import("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Classes\\.qm]\n@=\"user\"\n"
                        "[HKEY_CLASSES_ROOT\\.qm]\n\"v\"=\"through the view\"\n"),
                 std::string());
        QCOMPARE(GetString(HKEY_CURRENT_USER, "Software\\Classes\\.qm", "v"),
                 std::optional<std::string>("through the view"));
        QVERIFY(!KeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\.qm"));
    }

    // A REGEDIT4 file from a Japanese machine: half-width katakana, characters whose second
    // byte is a backslash, code page 932's own characters, ANSI string data.
    void shiftJisFileImportsIntact() {
        const QByteArray fixture = FixtureBytes("shift-jis.reg");
        QVERIFY(!fixture.isEmpty());
        QCOMPARE(Import(fixture), std::string());
        const char *key = "Software\\T\\ｾｯﾄｱｯﾌﾟ";
        QCOMPARE(GetString(HKEY_CURRENT_USER, key, "製品名"),
                 std::optional<std::string>("ｸｲﾙﾐｱ ﾋﾞｭｰｱ"));
        QCOMPARE(GetString(HKEY_CURRENT_USER, key, "表示"),
                 std::optional<std::string>("表示名①～"));
        QCOMPARE(GetString(HKEY_CURRENT_USER, key, "ソ"), std::optional<std::string>("ソ"));
        QCOMPARE(GetString(HKEY_CURRENT_USER, key, ""), std::optional<std::string>("既定値"));
        QCOMPARE(GetString(HKEY_CURRENT_USER, key, "パス"),
                 std::optional<std::string>("%APPDATA%\\ｸｲﾙﾐｱ"));
        // The katakana go back to the bytes they came from.
        QStringEncoder encoder("Shift_JIS");
        const QByteArray back =
            encoder.encode(QString::fromStdString(*GetString(HKEY_CURRENT_USER, key, "製品名")));
        QCOMPARE(back, QByteArray("\xB8\xB2\xD9\xD0\xB1 \xCB\xDE\xAD\xB0\xB1"));
    }

    // A line naming only a root key, as provisioning files write them, opens that root.
    void rootKeyLines() {
        QCOMPARE(Import("REGEDIT4\n\n[HKEY_LOCAL_MACHINE]\n\n[HKEY_LOCAL_MACHINE\\Software\\T]\n"
                        "\"v\"=\"1\"\n\n[HKEY_CURRENT_USER]\n\"top\"=\"2\"\n"),
                 std::string());
        QCOMPARE(GetString(HKEY_LOCAL_MACHINE, "Software\\T", "v"),
                 std::optional<std::string>("1"));
        QCOMPARE(GetString(HKEY_CURRENT_USER, "", "top"), std::optional<std::string>("2"));
    }

private:
    std::unique_ptr<FreshPlatformDir> FDir;
};

QTEST_GUILESS_MAIN(TestRegFile)
#include "tst_RegFile.moc"
