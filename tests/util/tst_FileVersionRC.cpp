// TFileVersionRC: loading from files and from COM server registrations, and what it answers
// without a block.

#include "util/utility.h"

#include "platform/kernel/VersionInfoWriter.h"
#include "platform/registry/RegistryObjects.h"
#include "tests/platform/kernel/ExecutableFixtures.h"
#include "tests/support/FreshPlatformDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr WORD kRtVersion = 16;
const char kClsid[] = "{6B1C2D3E-0F4A-4B5C-9D6E-7F8091A2B3C4}";

std::vector<BYTE> VersionFile(const std::array<WORD, 4> &version, WORD language = 0x0411,
                              WORD codePage = 0x04B0) {
    platform::VersionInfoContent content;
    content.fileVersion = version;
    content.productVersion = version;
    content.language = language;
    content.codePage = codePage;
    content.strings = {{"CompanyName", "Example Works"}, {"FileDescription", "検索エンジン"}};
    return fixtures::BuildPe({{kRtVersion, 1, language, platform::BuildVersionInfo(content)}})
        .bytes;
}

// The same file with its translation table renamed out of reach.
std::vector<BYTE> WithoutTranslation(std::vector<BYTE> bytes) {
    const char16_t key[] = u"VarFileInfo";
    const auto *pattern = reinterpret_cast<const BYTE *>(key);
    const auto found = std::search(bytes.begin(), bytes.end(), pattern, pattern + 22);
    if (found == bytes.end())
        qFatal("no translation table");
    *found = 'X';
    return bytes;
}

void RegisterServer(const std::string &subKey, const std::string &path) {
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.OpenKey("Software\\Classes\\CLSID\\" + std::string(kClsid) + "\\" + subKey, true))
        qFatal("cannot create the class key");
    registry.WriteString("", path);
}

} // namespace

class TestFileVersionRC final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<FreshPlatformDir> FPlatform;

    std::string Write(const QString &name, const std::vector<BYTE> &bytes) {
        const QString path = FDir->filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        if (!fixtures::WriteFile(path.toStdString(), bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path.toStdString();
    }

private slots:
    void init() {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        FPlatform = std::make_unique<FreshPlatformDir>();
    }

    void loadFromFile() {
        TFileVersionRC rc;
        const std::string path = Write("engine.dll", VersionFile({6, 0, 2900, 2180}));
        rc.LoadFromFile(path);
        QCOMPARE(rc.FileName(), path);
        QVERIFY(rc.InfoSize() > 0);
        QVERIFY(rc.InfoBlock());
        QCOMPARE(rc.Translation(), std::string("041104B0"));
        QCOMPARE(rc.GetVersionNumber(), 0x000600000B540884ull);
        std::string text = "unchanged";
        rc.GetVersionText(text);
        QCOMPARE(text, std::string("6.0.2900.2180"));
        QCOMPARE(rc.GetStringValue("FileDescription"), std::string("検索エンジン"));
        QCOMPARE(rc.GetStringValue("NoSuchValue"), std::string());
    }

    // The About box reads the program's own version and copyright this way.
    void ownExecutable() {
        TFileVersionRC rc;
        rc.LoadFromFile(QCoreApplication::applicationFilePath().toStdString());
        QCOMPARE(rc.GetStringValue("LegalCopyright"), std::string(QM_EXPECTED_COPYRIGHT));
        std::string text;
        rc.GetVersionText(text);
        QCOMPARE(text, std::string(QM_EXPECTED_VERSION));
    }

    void withoutBlock_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing file") << "missing";
        QTest::newRow("file without a resource") << "plain";
        QTest::newRow("unreadable fixed information") << "bad-signature";
    }

    // No block (or no fixed information): empty strings, number 0, out text untouched.
    void withoutBlock() {
        QFETCH(QString, kind);
        std::string path = FDir->filePath("missing").toStdString();
        if (kind == "plain") {
            path = Write("plain", fixtures::BuildPe({}).bytes);
        } else if (kind == "bad-signature") {
            auto bytes = VersionFile({1, 2, 3, 4});
            const BYTE signature[] = {0xBD, 0x04, 0xEF, 0xFE};
            std::search(bytes.begin(), bytes.end(), signature, signature + 4)[0] = 0;
            path = Write("bad-signature", bytes);
        }
        TFileVersionRC rc;
        rc.LoadFromFile(Write("first", VersionFile({9, 9, 9, 9})));
        rc.LoadFromFile(path);
        QCOMPARE(rc.FileName(), path);
        std::string text = "unchanged";
        rc.GetVersionText(text);
        QCOMPARE(text, std::string("unchanged"));
        QCOMPARE(rc.GetVersionNumber(), 0ull);
        if (kind != "bad-signature") {
            QCOMPARE(rc.InfoSize(), 0);
            QVERIFY(!rc.InfoBlock());
            QCOMPARE(rc.GetStringValue("CompanyName"), std::string());
        }
    }

    // Translation is replaced by a block that has one and kept otherwise.
    void translationAcrossLoads() {
        TFileVersionRC rc;
        QCOMPARE(rc.Translation(), std::string());
        rc.LoadFromFile(Write("a", VersionFile({1, 0, 0, 0}, 0x0409, 0x04E4)));
        QCOMPARE(rc.Translation(), std::string("040904E4"));
        rc.LoadFromFile(Write("b", WithoutTranslation(VersionFile({2, 0, 0, 0}))));
        QVERIFY(rc.InfoBlock());
        QCOMPARE(rc.Translation(), std::string("040904E4"));
        rc.LoadFromFile(Write("c", VersionFile({3, 0, 0, 0})));
        QCOMPARE(rc.Translation(), std::string("041104B0"));
    }

    void loadFromCLSID_data() {
        QTest::addColumn<QString>("inproc");
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("expected"); // version text, empty for no block
        QTest::newRow("local server path and a switch") << ""
                                                        << "@/bin/engine.exe -Embedding"
                                                        << "6.0.2900.2180";
        QTest::newRow("local server path with blanks and a switch")
            << ""
            << "@/Program Files/viewer.exe -Embedding"
            << "2.5.0.1";
        QTest::newRow("in-process server path with blanks") << "@/Program Files/viewer.exe"
                                                            << ""
                                                            << "2.5.0.1";
        QTest::newRow("in-process server preferred") << "@/Program Files/viewer.exe"
                                                     << "@/bin/engine.exe"
                                                     << "2.5.0.1";
        QTest::newRow("environment reference without blank") << "%QM_ENGINE_DIR%/engine.exe"
                                                             << ""
                                                             << "";
        QTest::newRow("bare name cut to nothing") << "engine.exe"
                                                  << ""
                                                  << "";
        QTest::newRow("not registered") << ""
                                        << ""
                                        << "";
    }

    void loadFromCLSID() {
        QFETCH(QString, inproc);
        QFETCH(QString, local);
        QFETCH(QString, expected);
        Write("bin/engine.exe", VersionFile({6, 0, 2900, 2180}));
        Write("Program Files/viewer.exe", VersionFile({2, 5, 0, 1}));
        qputenv("QM_ENGINE_DIR", FDir->filePath("bin").toUtf8());
        const auto resolve = [&](QString value) {
            return value.replace(QLatin1Char('@'), FDir->path() + QLatin1Char('/')).toStdString();
        };
        if (!inproc.isEmpty())
            RegisterServer("InprocServer32", resolve(inproc));
        if (!local.isEmpty())
            RegisterServer("LocalServer32", resolve(local));

        TFileVersionRC rc;
        rc.LoadFromCLSID(kClsid);
        std::string text;
        rc.GetVersionText(text);
        QCOMPARE(QString::fromStdString(text), expected);
        QCOMPARE(rc.InfoBlock() != nullptr, !expected.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFileVersionRC)
#include "tst_FileVersionRC.moc"
