// String resources of PE modules opened as data files.

#include "platform/kernel/Handles.h"
#include "platform/kernel/Module.h"

#include "tests/platform/kernel/ExecutableFixtures.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr WORD kRtString = 6;

fixtures::PeFixture StringsPe() {
    // Block 1 holds ids 0-15, block 3 ids 32-47.
    return fixtures::BuildPe(
        {{kRtString, 1, 0x0411, fixtures::StringBlock({"", "Hello", "", "日本語のテキスト"})},
         {kRtString, 3, 0x0411,
          fixtures::StringBlock(
              {"thirty-two", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "last"})}});
}

} // namespace

class TestModuleStrings final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;

    std::string Write(const char *name, const std::vector<BYTE> &bytes) {
        const std::string path = FDir.filePath(QString::fromLatin1(name)).toStdString();
        if (!fixtures::WriteFile(path, bytes))
            qFatal("cannot write %s", path.c_str());
        return path;
    }

private slots:
    void loadString_data() {
        QTest::addColumn<UINT>("id");
        QTest::addColumn<int>("bufferMax");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("error");
        QTest::newRow("first block") << 1u << 64 << "Hello" << int(ERROR_SUCCESS);
        QTest::newRow("multi-byte text") << 3u << 64 << "日本語のテキスト" << int(ERROR_SUCCESS);
        QTest::newRow("later block, first entry")
            << 32u << 64 << "thirty-two" << int(ERROR_SUCCESS);
        QTest::newRow("later block, last entry") << 47u << 64 << "last" << int(ERROR_SUCCESS);
        QTest::newRow("empty entry") << 2u << 64 << "" << int(ERROR_SUCCESS);
        QTest::newRow("block not present") << 16u << 64 << "" << int(ERROR_RESOURCE_DATA_NOT_FOUND);
        QTest::newRow("cut to the buffer") << 1u << 4 << "Hel" << int(ERROR_SUCCESS);
        QTest::newRow("cut at a character boundary") << 3u << 8 << "日本" << int(ERROR_SUCCESS);
        QTest::newRow("room for the NUL only") << 1u << 1 << "" << int(ERROR_SUCCESS);
    }

    void loadString() {
        QFETCH(UINT, id);
        QFETCH(int, bufferMax);
        QFETCH(QString, expected);
        QFETCH(int, error);
        const HMODULE module = LoadLibraryExA(Write("strings.dll", StringsPe().bytes).c_str(),
                                              nullptr, LOAD_LIBRARY_AS_DATAFILE);
        QVERIFY(module);
        std::vector<char> buffer(std::size_t(bufferMax) + 8, '#');
        const int length = LoadStringA(module, id, buffer.data(), bufferMax);
        QCOMPARE(GetLastError(), DWORD(error));
        const QByteArray utf8 = expected.toUtf8();
        QCOMPARE(length, int(utf8.size()));
        QCOMPARE(QByteArray(buffer.data()), utf8);
        QCOMPARE(buffer[std::size_t(bufferMax)], '#'); // nothing written past the buffer
        QVERIFY(FreeLibrary(module));
    }

    // A string that claims more text than its block holds fails instead of reading beyond it.
    void malformedBlock() {
        auto pe = StringsPe();
        fixtures::PutU16(pe.bytes, pe.firstData + 2, 0xFFFF); // entry 1's length
        const HMODULE module =
            LoadLibraryExA(Write("bad.dll", pe.bytes).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        QVERIFY(module);
        char buffer[64];
        QCOMPARE(LoadStringA(module, 1, buffer, sizeof buffer), 0);
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_DATA));
        QCOMPARE(LoadStringA(module, 0, buffer, sizeof buffer), 0);
        QCOMPARE(GetLastError(), DWORD(ERROR_SUCCESS));
        QVERIFY(FreeLibrary(module));
    }

    void openFailures_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<DWORD>("flags");
        QTest::addColumn<int>("error");
        QTest::newRow("code loading refused") << "pe" << DWORD(0) << int(ERROR_NOT_SUPPORTED);
        QTest::newRow("missing file")
            << "missing" << LOAD_LIBRARY_AS_DATAFILE << int(ERROR_FILE_NOT_FOUND);
        QTest::newRow("not a PE image")
            << "text" << LOAD_LIBRARY_AS_IMAGE_RESOURCE << int(ERROR_BAD_FORMAT);
    }

    void openFailures() {
        QFETCH(QString, kind);
        QFETCH(DWORD, flags);
        QFETCH(int, error);
        std::string path = FDir.filePath(QStringLiteral("missing.dll")).toStdString();
        if (kind == "pe")
            path = Write("ok.dll", StringsPe().bytes);
        else if (kind == "text")
            path = Write("text.dll", {'t', 'e', 'x', 't'});
        QVERIFY(!LoadLibraryExA(path.c_str(), nullptr, flags));
        QCOMPARE(GetLastError(), DWORD(error));
    }

    void handleChecks() {
        char buffer[8];
        QCOMPARE(LoadStringA(nullptr, 1, buffer, sizeof buffer), 0);
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        const HMODULE module = LoadLibraryExA(Write("h.dll", StringsPe().bytes).c_str(), nullptr,
                                              LOAD_LIBRARY_AS_DATAFILE);
        QCOMPARE(LoadStringA(module, 1, buffer, 0), 0);
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
        QCOMPARE(WaitForSingleObject(module, 0), WAIT_FAILED);
        QVERIFY(FreeLibrary(module));
        QVERIFY(!FreeLibrary(module));
        QCOMPARE(LoadStringA(module, 1, buffer, sizeof buffer), 0);
    }
};

QTEST_GUILESS_MAIN(TestModuleStrings)
#include "tst_ModuleStrings.moc"
