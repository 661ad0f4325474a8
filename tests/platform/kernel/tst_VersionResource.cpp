// Version resources read from our own executable, from PE and ELF fixtures, and from files that
// are damaged or hostile.

#include "platform/kernel/Version.h"

#include "tests/platform/kernel/ExecutableFixtures.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>
#include <random>
#include <sys/stat.h>

using fixtures::Resource;

namespace {

constexpr WORD kRtString = 6;
constexpr WORD kRtVersion = 16;
const std::string kLongJapanese = [] {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "表示";
    return text;
}();

const std::vector<std::pair<std::string, std::string>> kStrings = {
    {"CompanyName", "Example Works"},  {"FileDescription", "ブラウザー エンジン"},
    {"FileVersion", "6.00.2900.2180"}, {"Comments", "emoji \xF0\x9F\x98\x80 outside the BMP"},
    {"LegalCopyright", kLongJapanese},
};

std::vector<BYTE> Load(const std::string &path) {
    DWORD handle = 1;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0)
        return {};
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoA(path.c_str(), handle, size, block.data()))
        return {};
    return block;
}

std::optional<std::string> QueryString(const std::vector<BYTE> &block, const char *path) {
    void *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), path, &value, &length))
        return std::nullopt;
    const std::string text(static_cast<const char *>(value));
    if (length != text.size() + 1)
        return "<length " + std::to_string(length) + " for " + text + ">";
    return text;
}

std::optional<VS_FIXEDFILEINFO> FixedInfo(const std::vector<BYTE> &block) {
    void *value = nullptr;
    UINT length = 0;
    if (block.empty() || !VerQueryValueA(block.data(), "\\", &value, &length) ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, value, sizeof info);
    return info;
}

QString VersionText(const VS_FIXEDFILEINFO &info) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(info.dwFileVersionMS >> 16)
        .arg(info.dwFileVersionMS & 0xFFFF)
        .arg(info.dwFileVersionLS >> 16)
        .arg(info.dwFileVersionLS & 0xFFFF);
}

fixtures::PeFixture VersionPe() {
    return fixtures::BuildPe(
        {{kRtVersion, 1, 0x0411, fixtures::VersionBlock({6, 0, 2900, 2180}, kStrings)}});
}

fixtures::ElfFixture VersionElf() {
    return fixtures::BuildElf({{".text", std::vector<BYTE>(40, 0x90)},
                               {".qm_version", fixtures::VersionBlock({1, 2, 3, 4}, kStrings)}});
}

} // namespace

class TestVersionResource final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;

    std::string Write(const std::string &name, const std::vector<BYTE> &bytes) {
        const std::string path = FDir.filePath(QString::fromStdString(name)).toStdString();
        if (!fixtures::WriteFile(path, bytes))
            qFatal("cannot write %s", path.c_str());
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(FDir.isValid()); }

    void ownExecutable_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("FileDescription") << "FileDescription" << QM_EXPECTED_DESCRIPTION;
        QTest::newRow("FileVersion") << "FileVersion" << QM_EXPECTED_VERSION;
        QTest::newRow("ProductVersion") << "ProductVersion" << QM_EXPECTED_VERSION;
        QTest::newRow("ProductName") << "ProductName" << QM_EXPECTED_PRODUCT;
        QTest::newRow("LegalCopyright") << "LegalCopyright" << QM_EXPECTED_COPYRIGHT;
    }

    // The build's generated resource is found in our own ELF executable.
    void ownExecutable() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const auto block = Load(QCoreApplication::applicationFilePath().toStdString());
        QVERIFY(!block.empty());
        const auto info = FixedInfo(block);
        QVERIFY(info);
        QCOMPARE(info->dwSignature, VS_FFI_SIGNATURE);
        QCOMPARE(VersionText(*info), QStringLiteral(QM_EXPECTED_VERSION));
        QCOMPARE(info->dwFileType, VFT_APP);
        void *translation = nullptr;
        UINT length = 0;
        QVERIFY(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &length));
        QCOMPARE(length, 4u);
        QCOMPARE(*static_cast<const DWORD *>(translation), 0x04B00411u);
        const std::string path = "\\StringFileInfo\\041104B0\\" + name.toStdString();
        const auto value = QueryString(block, path.c_str());
        QVERIFY(value);
        QCOMPARE(QString::fromStdString(*value), expected);
    }

    void fixtureStrings_data() {
        QTest::addColumn<bool>("elf");
        QTest::addColumn<QString>("version");
        QTest::newRow("PE") << false << "6.0.2900.2180";
        QTest::newRow("ELF") << true << "1.2.3.4";
    }

    // Every string comes back as UTF-8 in full, including text that grows when converted.
    void fixtureStrings() {
        QFETCH(bool, elf);
        QFETCH(QString, version);
        const auto block = Load(Write("strings", elf ? VersionElf().bytes : VersionPe().bytes));
        QVERIFY(!block.empty());
        const auto info = FixedInfo(block);
        QVERIFY(info);
        QCOMPARE(VersionText(*info), version);
        const auto strings = platform::VersionStrings(block.data());
        QCOMPARE(strings.size(), kStrings.size());
        for (std::size_t i = 0; i < kStrings.size(); ++i) {
            QCOMPARE(strings[i].table, std::string("041104B0"));
            QCOMPARE(strings[i].name, kStrings[i].first);
            QCOMPARE(strings[i].value, kStrings[i].second);
            const std::string path = "\\StringFileInfo\\041104B0\\" + kStrings[i].first;
            QCOMPARE(QueryString(block, path.c_str()), std::optional(kStrings[i].second));
        }
    }

    void queryPaths_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("value");
        QTest::newRow("case-insensitive keys")
            << "\\stringfileinfo\\041104b0\\COMPANYNAME" << true << "Example Works";
        QTest::newRow("repeated backslashes")
            << "\\\\StringFileInfo\\\\041104B0\\CompanyName\\" << true << "Example Works";
        QTest::newRow("missing name") << "\\StringFileInfo\\041104B0\\ProductName" << false << "";
        QTest::newRow("other translation")
            << "\\StringFileInfo\\040904B0\\CompanyName" << false << "";
        QTest::newRow("prefix of a key") << "\\StringFileInfo\\041104B0\\Company" << false << "";
        QTest::newRow("below a string")
            << "\\StringFileInfo\\041104B0\\CompanyName\\x" << false << "";
    }

    void queryPaths() {
        QFETCH(QString, path);
        QFETCH(bool, found);
        QFETCH(QString, value);
        const auto block = Load(Write("paths", VersionPe().bytes));
        QVERIFY(!block.empty());
        const auto text = QueryString(block, path.toUtf8().constData());
        QCOMPARE(text.has_value(), found);
        if (found)
            QCOMPARE(QString::fromStdString(*text), value);
    }

    // The version resource is chosen by ID 1 whatever its language; other IDs do not count.
    void resourceSelection_data() {
        QTest::addColumn<int>("name");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("found");
        QTest::newRow("ID 1, English") << 1 << 0x0409 << true;
        QTest::newRow("ID 1, neutral") << 1 << 0 << true;
        QTest::newRow("ID 2") << 2 << 0x0411 << false;
    }

    void resourceSelection() {
        QFETCH(int, name);
        QFETCH(int, language);
        QFETCH(bool, found);
        const auto pe = fixtures::BuildPe(
            {{kRtString, 1, 0x0411, std::vector<BYTE>(32, 0)},
             {kRtVersion, WORD(name), WORD(language), fixtures::VersionBlock({1, 0, 0, 7}, {})}});
        const auto block = Load(Write("selection", pe.bytes));
        QCOMPARE(!block.empty(), found);
        if (found)
            QCOMPARE(VersionText(*FixedInfo(block)), QStringLiteral("1.0.0.7"));
    }

    // A buffer smaller than the reported size is refused rather than filled with a cut block.
    void bufferContract() {
        const std::string path = Write("buffer", VersionPe().bytes);
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        QVERIFY(size > 0);
        std::vector<BYTE> block(size, 0xEE);
        QVERIFY(!GetFileVersionInfoA(path.c_str(), 0, size - 1, block.data()));
        QCOMPARE(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
        QCOMPARE(block.front(), BYTE(0xEE));
        QVERIFY(!GetFileVersionInfoA(path.c_str(), 0, size, nullptr));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
        // A block that did not come from GetFileVersionInfoA is not interpreted.
        void *value = nullptr;
        UINT length = 0;
        const auto raw = fixtures::VersionBlock({1, 0, 0, 0}, kStrings);
        std::vector<BYTE> padded(raw);
        padded.resize(raw.size() * 4, 0);
        QVERIFY(!VerQueryValueA(padded.data(), "\\", &value, &length));
    }

    void unusableFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error");
        QTest::newRow("missing") << "missing" << int(ERROR_FILE_NOT_FOUND);
        QTest::newRow("empty path") << "empty path" << int(ERROR_FILE_NOT_FOUND);
        QTest::newRow("directory") << "directory" << int(ERROR_ACCESS_DENIED);
        QTest::newRow("fifo") << "fifo" << int(ERROR_ACCESS_DENIED);
        QTest::newRow("text file") << "text" << int(ERROR_BAD_FORMAT);
        QTest::newRow("PE without resources") << "pe-empty" << int(ERROR_RESOURCE_TYPE_NOT_FOUND);
        QTest::newRow("PE with strings only") << "pe-strings" << int(ERROR_RESOURCE_TYPE_NOT_FOUND);
        QTest::newRow("ELF without the section")
            << "elf-plain" << int(ERROR_RESOURCE_TYPE_NOT_FOUND);
        QTest::newRow("big-endian ELF") << "elf-be" << int(ERROR_BAD_FORMAT);
    }

    void unusableFiles() {
        QFETCH(QString, kind);
        QFETCH(int, error);
        std::string path;
        if (kind == "missing") {
            path = FDir.filePath(QStringLiteral("does-not-exist")).toStdString();
        } else if (kind == "directory") {
            path = FDir.path().toStdString();
        } else if (kind == "fifo") {
            path = FDir.filePath(QStringLiteral("fifo")).toStdString();
            QVERIFY(::mkfifo(path.c_str(), 0600) == 0 || errno == EEXIST);
        } else if (kind == "text") {
            path = Write("text", {'h', 'e', 'l', 'l', 'o', '\n'});
        } else if (kind == "pe-empty") {
            path = Write("pe-empty", fixtures::BuildPe({}).bytes);
        } else if (kind == "pe-strings") {
            path = Write("pe-strings",
                         fixtures::BuildPe({{kRtString, 1, 0, std::vector<BYTE>(32, 0)}}).bytes);
        } else if (kind == "elf-plain") {
            path = Write("elf-plain", fixtures::BuildElf({{".text", {1, 2, 3}}}).bytes);
        } else if (kind == "elf-be") {
            auto elf = VersionElf();
            elf.bytes[5] = 2;
            path = Write("elf-be", elf.bytes);
        }
        DWORD handle = 1;
        SetLastError(0);
        QCOMPARE(GetFileVersionInfoSizeA(path.c_str(), &handle), 0u);
        QCOMPARE(handle, 0u);
        QCOMPARE(GetLastError(), DWORD(error));
        std::vector<BYTE> block(4096);
        QVERIFY(!GetFileVersionInfoA(path.c_str(), 0, DWORD(block.size()), block.data()));
    }

    void hostileFields_data() {
        QTest::addColumn<bool>("elf");
        QTest::addColumn<QString>("field");
        QTest::addColumn<qulonglong>("value");
        const auto huge = qulonglong(0xFFFFFFF0u);
        QTest::newRow("PE header offset past the end") << false << "e_lfanew" << huge;
        QTest::newRow("resource RVA outside every section")
            << false << "resourceRva" << qulonglong(0x00900000);
        QTest::newRow("section data past the end") << false << "rawPointer" << huge;
        QTest::newRow("section data size huge") << false << "rawSize" << huge;
        QTest::newRow("root directory with 65535 entries")
            << false << "rootCount" << qulonglong(0xFFFF);
        QTest::newRow("name directory pointing back at the root")
            << false << "nameTarget" << qulonglong(0x80000000u);
        QTest::newRow("data entry size huge") << false << "dataSize" << huge;
        QTest::newRow("data entry RVA bogus") << false << "dataRva" << huge;
        QTest::newRow("block longer than its resource") << false << "wLength" << qulonglong(0xFFFF);
        QTest::newRow("block length zero") << false << "wLength" << qulonglong(0);
        QTest::newRow("block key not terminated") << false << "key" << qulonglong(0x4141);
        QTest::newRow("section table past the end") << true << "e_shoff" << huge;
        QTest::newRow("section count past the end") << true << "e_shnum" << qulonglong(0xFFFF);
        QTest::newRow("name table index out of range")
            << true << "e_shstrndx" << qulonglong(0x7000);
        QTest::newRow("extended section count huge")
            << true << "extendedCount" << qulonglong(0xFFFFFFFFFFFFull);
        QTest::newRow("version section past the end") << true << "sh_offset" << huge;
        QTest::newRow("version section size huge") << true << "sh_size" << huge;
        QTest::newRow("name table offset past the end") << true << "names_offset" << huge;
    }

    // Corrupted fields make the lookup fail cleanly; nothing is read outside the file.
    void hostileFields() {
        QFETCH(bool, elf);
        QFETCH(QString, field);
        QFETCH(qulonglong, value);
        std::vector<BYTE> bytes;
        if (elf) {
            auto f = VersionElf();
            bytes = f.bytes;
            const std::size_t version = f.sectionTable + 64 * 2;
            const std::size_t names = f.sectionTable + 64 * 3;
            if (field == "e_shoff")
                fixtures::PutU64(bytes, 0x28, value);
            else if (field == "e_shnum")
                fixtures::PutU16(bytes, 0x3C, WORD(value));
            else if (field == "e_shstrndx")
                fixtures::PutU16(bytes, 0x3E, WORD(value));
            else if (field == "extendedCount")
                fixtures::PutU16(bytes, 0x3C, 0),
                    fixtures::PutU64(bytes, f.sectionTable + 32, value);
            else if (field == "sh_offset")
                fixtures::PutU64(bytes, version + 24, value);
            else if (field == "sh_size")
                fixtures::PutU64(bytes, version + 32, value);
            else if (field == "names_offset")
                fixtures::PutU64(bytes, names + 24, value);
        } else {
            auto f = VersionPe();
            bytes = f.bytes;
            if (field == "e_lfanew")
                fixtures::PutU32(bytes, 0x3C, DWORD(value));
            else if (field == "resourceRva")
                fixtures::PutU32(bytes, f.resourceDirField, DWORD(value));
            else if (field == "rawPointer")
                fixtures::PutU32(bytes, f.sectionHeader + 20, DWORD(value));
            else if (field == "rawSize")
                fixtures::PutU32(bytes, f.sectionHeader + 16, DWORD(value));
            else if (field == "rootCount")
                fixtures::PutU16(bytes, f.rootDirectory + 14, WORD(value));
            else if (field == "nameTarget")
                fixtures::PutU32(bytes, f.firstNameEntry + 4, DWORD(value));
            else if (field == "dataSize")
                fixtures::PutU32(bytes, f.firstDataEntry + 4, DWORD(value));
            else if (field == "dataRva")
                fixtures::PutU32(bytes, f.firstDataEntry, DWORD(value));
            else if (field == "wLength")
                fixtures::PutU16(bytes, f.firstData, WORD(value));
            else if (field == "key")
                for (std::size_t at = f.firstData + 6; at < bytes.size(); at += 2)
                    fixtures::PutU16(bytes, at, WORD(value));
        }
        const std::string path = Write("hostile", bytes);
        DWORD handle = 0;
        QCOMPARE(GetFileVersionInfoSizeA(path.c_str(), &handle), 0u);
        QVERIFY(GetLastError() != ERROR_SUCCESS);
    }

    // A child that claims more room than its parent is dropped; what lies before it stays
    // readable.
    void oversizedChild() {
        auto f = VersionPe();
        // StringFileInfo follows the 52-byte fixed information after the 40-byte root header.
        const std::size_t stringFileInfo = f.firstData + 40 + 52;
        fixtures::PutU16(f.bytes, stringFileInfo, 0xFFF0);
        const auto block = Load(Write("oversized", f.bytes));
        QVERIFY(!block.empty());
        QCOMPARE(VersionText(*FixedInfo(block)), QStringLiteral("6.0.2900.2180"));
        QVERIFY(!QueryString(block, "\\StringFileInfo\\041104B0\\CompanyName"));
        QVERIFY(platform::VersionStrings(block.data()).empty());
    }

    void truncated_data() {
        QTest::addColumn<bool>("elf");
        QTest::newRow("PE") << false;
        QTest::newRow("ELF") << true;
    }

    // Every proper prefix of the files fails cleanly; the whole file succeeds.
    void truncated() {
        QFETCH(bool, elf);
        const auto bytes = elf ? VersionElf().bytes : VersionPe().bytes;
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            const std::string path =
                Write("truncated", std::vector<BYTE>(bytes.begin(), bytes.begin() + length));
            DWORD handle = 0;
            if (GetFileVersionInfoSizeA(path.c_str(), &handle) != 0)
                QFAIL(qPrintable(QStringLiteral("prefix of %1 bytes accepted").arg(length)));
        }
        QVERIFY(!Load(Write("truncated", bytes)).empty());
    }

    // Random damage anywhere: every query on whatever is accepted stays inside the block.
    void randomDamage() {
        const auto original = VersionPe().bytes;
        std::mt19937 random(20261209);
        const char *paths[] = {"\\", "\\VarFileInfo\\Translation",
                               "\\StringFileInfo\\041104B0\\CompanyName",
                               "\\StringFileInfo\\041104B0\\LegalCopyright", "\\StringFileInfo"};
        for (int round = 0; round < 300; ++round) {
            auto bytes = original;
            for (int n = 0; n < 4; ++n)
                bytes[random() % bytes.size()] = BYTE(random());
            const auto block = Load(Write("damaged", bytes));
            if (block.empty())
                continue;
            for (const char *path : paths) {
                void *value = nullptr;
                UINT length = 0;
                if (VerQueryValueA(block.data(), path, &value, &length)) {
                    const auto *p = static_cast<const BYTE *>(value);
                    QVERIFY2(p >= block.data() && p + length <= block.data() + block.size(),
                             qPrintable(QStringLiteral("%1 %2 %3 %4")
                                            .arg(path)
                                            .arg(p - block.data())
                                            .arg(length)
                                            .arg(block.size())));
                }
            }
            for (const auto &s : platform::VersionStrings(block.data()))
                QVERIFY(s.value.size() < block.size());
        }
    }
};

QTEST_GUILESS_MAIN(TestVersionResource)
#include "tst_VersionResource.moc"
