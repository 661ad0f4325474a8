#include "platform/wininet/WinInet.h"

#include <QtTest>

#include <string>
#include <vector>

namespace {

constexpr int kDecodeNoEncode = int(ICU_DECODE | ICU_NO_ENCODE); // 0x30000000
constexpr int kFailed = 0;                                       // in the table: error expected

struct Outcome {
    bool ok = false;
    std::string url;
    DWORD error = 0;
};

// Calls the way the program does: a 260-byte buffer, one retry with the reported length.
Outcome Canonicalize(const std::string &url, DWORD flags) {
    std::vector<char> buffer(260);
    DWORD length = static_cast<DWORD>(buffer.size());
    SetLastError(0);
    BOOL ok = InternetCanonicalizeUrlA(url.c_str(), buffer.data(), &length, flags);
    if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(length);
        ok = InternetCanonicalizeUrlA(url.c_str(), buffer.data(), &length, flags);
    }
    if (!ok)
        return {false, {}, GetLastError()};
    return {true, std::string(buffer.data(), length), 0};
}

} // namespace

class TestCanonicalize final : public QObject {
    Q_OBJECT
private slots:
    void canonicalize_data();
    void canonicalize();
    void bufferContract();
    void nullArguments();
    void megabyteUrls_data();
    void megabyteUrls();
    void toolCommand_data();
    void toolCommand();
};

void TestCanonicalize::canonicalize_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<QByteArray>("expected"); // or the error code when errorCode is set
    QTest::addColumn<int>("errorCode");

    const auto ok = [](const char *name, int flags, const char *url, const char *expected) {
        QTest::newRow(name) << flags << QByteArray(url) << QByteArray(expected) << kFailed;
    };
    const auto fails = [](const char *name, int flags, const char *url, int error) {
        QTest::newRow(name) << flags << QByteArray(url) << QByteArray() << error;
    };

    // Flags 0: http form.
    ok("already canonical", 0, "http://swupmf.adobe.com/manifest/50/win/AdobeUpdater.upd",
       "http://swupmf.adobe.com/manifest/50/win/AdobeUpdater.upd");
    ok("space in path", 0, "http://host1/docs/my page.html", "http://host1/docs/my%20page.html");
    ok("unsafe characters", 0, "http://h/<>\"{}|^[]`", "http://h/%3C%3E%22%7B%7D%7C%5E%5B%5D%60");
    ok("control character", 0, "http://h/a\x01z\x7F", "http://h/a%01z%7F");
    ok("japanese path", 0, "http://host1/日本/ページ.html",
       "http://host1/%E6%97%A5%E6%9C%AC/%E3%83%9A%E3%83%BC%E3%82%B8.html");
    ok("query and fragment untouched", 0, "http://h/a b?q=x y&z=日#frag ment",
       "http://h/a%20b?q=x y&z=日#frag ment");
    ok("percent escapes kept", 0, "http://h/100%25/a%2Fb/50%", "http://h/100%25/a%2Fb/50%");
    ok("percent encoded on request", int(ICU_ENCODE_PERCENT), "http://h/100%25/50%",
       "http://h/100%2525/50%25");
    ok("spaces only", int(ICU_ENCODE_SPACES_ONLY), "http://h/a b<c>", "http://h/a%20b<c>");
    ok("trailing space after query", 0,
       "http://www.winehq.org/index.php?x= ", "http://www.winehq.org/index.php?x=");
    ok("tab cr lf stripped", 0, "\tht\ttp\t://www\t.winehq\r.org/a\n", "http://www.winehq.org/a");
    ok("leading blanks", 0, "  http://h/a", "http://h/a");
    ok("upper-case scheme", 0, "HTTP://Host1/Docs/Index.html", "http://Host1/Docs/Index.html");
    ok("no path gets a slash", 0, "http://www.winehq.org", "http://www.winehq.org/");
    ok("no path before query", 0, "http://h?x=1", "http://h/?x=1");
    ok("empty host", 0, "http:///www.winehq.org", "http:///www.winehq.org");
    ok("nothing after the slashes", 0, "http://", "http:///");
    ok("backslash is a slash", 0, "http://www.winehq.org\\tests/../#example",
       "http://www.winehq.org/#example");

    // Dot segments.
    ok("dots back to root", 0, "http://www.winehq.org/tests/../tests/..", "http://www.winehq.org/");
    ok("dots before query", 0, "http://www.winehq.org/tests/..?query=x&return=y",
       "http://www.winehq.org/?query=x&return=y");
    ok("single dots", 0, "http://h/a/./b/./", "http://h/a/b/");
    ok("dots in the middle", 0, "http://h/a/b/../../c/d/../e", "http://h/c/e");
    ok("dots above root stay", 0, "http://www.winehq.org/..", "http://www.winehq.org/..");
    ok("dots climbing past root", 0, "http://h/a/../../b", "http://h/../b");
    ok("dots in query untouched", 0, "http://h/a/?p=../x", "http://h/a/?p=../x");
    ok("three dots are a name", 0, "http://h/a/.../b", "http://h/a/.../b");
    ok("no meta", int(ICU_NO_META), "http://h/a/../b", "http://h/a/../b");
    ok("without slashes", 0, "http:www.winehq.org/dir/../index.html",
       "http:www.winehq.org/index.html");

    // Decoding.
    ok("decode then encode", int(ICU_DECODE), "http://h/%41%20b", "http://h/A%20b");
    ok("decode without encode", kDecodeNoEncode, "http://h/a%20b?x=%20", "http://h/a b?x=%20");
    ok("malformed escapes kept", kDecodeNoEncode, "http://h/%zz%4%", "http://h/%zz%4%");
    ok("escaped dots are dots", kDecodeNoEncode, "http://h/a/%2E%2E/b", "http://h/b");

    // Other schemes keep their text.
    ok("opaque scheme", 0, "mailto:a b@example.com", "mailto:a b@example.com");
    ok("script url", 0, "JavaScript:alert('a b')", "javascript:alert('a b')");
    ok("about", 0, "about:blank", "about:blank");

    // File URLs, decoded for the local path (the program's file form).
    ok("drive, three slashes", kDecodeNoEncode,
       "file:///C:/Program%20Files/Atmel/AVR%20Tools/STK500/STK500.xml",
       "file://C:\\Program Files\\Atmel\\AVR Tools\\STK500\\STK500.xml");
    ok("drive, two slashes", kDecodeNoEncode, "file://C:/Html/host1/index.html",
       "file://C:\\Html\\host1\\index.html");
    ok("drive, four slashes", kDecodeNoEncode, "file:////C:/Html/a.html",
       "file://C:\\Html\\a.html");
    ok("drive, upper-case scheme", kDecodeNoEncode, "FILE:///C:/Html/host1/a.html",
       "file://C:\\Html\\host1\\a.html");
    ok("drive with bar", kDecodeNoEncode, "file:///c|/dir/file", "file://c:\\dir\\file");
    ok("drive, dots", kDecodeNoEncode, "file:///C:/Html/../x/./y", "file://C:\\x\\y");
    ok("drive, dots above root", kDecodeNoEncode, "file:///C:/../x", "file://C:\\..\\x");
    ok("drive only", kDecodeNoEncode, "file:///C:", "file://C:\\");
    ok("drive path", kDecodeNoEncode, "C:\\Html\\host1\\a b.html",
       "file://C:\\Html\\host1\\a b.html");
    ok("drive, encoded", 0, "file:///C:/Program Files/x.xml", "file://C:\\Program%20Files\\x.xml");
    ok("linux path", kDecodeNoEncode, "file:///home/u/a%20b.html", "file:///home/u/a b.html");
    ok("linux path, japanese", kDecodeNoEncode, "file:///home/u/%E6%97%A5%E6%9C%AC.html",
       "file:///home/u/日本.html");
    ok("linux path, encoded", 0, "file:///home/u/a b/日.html",
       "file:///home/u/a%20b/%E6%97%A5.html");
    ok("linux path, one slash", kDecodeNoEncode, "file:/home/u/x", "file:///home/u/x");
    ok("linux path, four slashes", kDecodeNoEncode, "file:////home/u/x", "file:///home/u/x");
    ok("linux path, dots", kDecodeNoEncode, "file:///home/u/../v/./x.html",
       "file:///home/v/x.html");
    ok("localhost", kDecodeNoEncode, "file://LocalHost/home/u/x", "file:///home/u/x");
    ok("other host", kDecodeNoEncode, "file://server/share/a%20b", "file://server/share/a b");
    ok("root", kDecodeNoEncode, "file:///", "file:///");
    ok("escaped NUL stays escaped", kDecodeNoEncode, "file:///home/u/a%00b",
       "file:///home/u/a%00b");
    ok("escaped hash is a name", kDecodeNoEncode, "file:///home/u/a%23b.html#top",
       "file:///home/u/a#b.html#top");

    // Failures.
    fails("empty", 0, "", ERROR_INTERNET_INVALID_URL);
    fails("blanks only", 0, " \t ", ERROR_INTERNET_INVALID_URL);
    fails("no scheme", 0, "www.example.com/index.html", ERROR_INTERNET_INVALID_URL);
    fails("colon first", 0, "://host/", ERROR_INTERNET_INVALID_URL);
    fails("digit first", 0, "1http://host/", ERROR_INTERNET_INVALID_URL);
    fails("space in scheme", 0, "ht tp://host/", ERROR_INTERNET_INVALID_URL);
    fails("relative file", kDecodeNoEncode, "file:home/u/x", ERROR_BAD_PATHNAME);
    fails("file without path", kDecodeNoEncode, "file:", ERROR_BAD_PATHNAME);
    fails("file with empty host", kDecodeNoEncode, "file://", ERROR_BAD_PATHNAME);
}

void TestCanonicalize::canonicalize() {
    QFETCH(int, flags);
    QFETCH(QByteArray, url);
    QFETCH(QByteArray, expected);
    QFETCH(int, errorCode);

    const Outcome outcome = Canonicalize(url.toStdString(), DWORD(flags));
    if (errorCode != kFailed) {
        QVERIFY2(!outcome.ok, outcome.url.c_str());
        QCOMPARE(outcome.error, DWORD(errorCode));
        return;
    }
    QVERIFY2(outcome.ok, QByteArray::number(outcome.error).constData());
    QCOMPARE(QByteArray::fromStdString(outcome.url), expected);
}

void TestCanonicalize::bufferContract() {
    const char *url = "http://host1/a b";
    const std::string expected = "http://host1/a%20b";
    const DWORD size = DWORD(expected.size());

    struct Case {
        DWORD given;
        bool ok;
    };
    for (const Case c : {Case{0, false}, Case{1, false}, Case{size - 1, false}, Case{size, false},
                         Case{size + 1, true}, Case{size + 50, true}}) {
        std::vector<char> buffer(c.given + 8, '#');
        DWORD length = c.given;
        SetLastError(0);
        const BOOL ok = InternetCanonicalizeUrlA(url, buffer.data(), &length, 0);
        const QByteArray label = "buffer of " + QByteArray::number(c.given);
        QVERIFY2(bool(ok) == c.ok, label.constData());
        if (c.ok) {
            QCOMPARE(length, size); // without the NUL
            QCOMPARE(std::string(buffer.data()), expected);
        } else {
            QCOMPARE(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
            QCOMPARE(length, size + 1); // with the NUL
        }
        // Nothing is written past the size given.
        for (std::size_t i = c.given; i < buffer.size(); ++i)
            QVERIFY2(buffer[i] == '#', label.constData());
    }
}

void TestCanonicalize::nullArguments() {
    char buffer[64];
    DWORD length = sizeof buffer;
    struct Case {
        const char *url;
        char *buffer;
        DWORD *length;
    };
    for (const Case c : {Case{nullptr, buffer, &length}, Case{"http://h/", nullptr, &length},
                         Case{"http://h/", buffer, nullptr}}) {
        SetLastError(0);
        QCOMPARE(InternetCanonicalizeUrlA(c.url, c.buffer, c.length, 0), FALSE);
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }
    QCOMPARE(length, DWORD(sizeof buffer));
}

void TestCanonicalize::megabyteUrls_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<QByteArray>("expected");

    constexpr int kRepeat = 100000;
    // About 1.1 MB of segments that mostly cancel out.
    QTest::newRow("dot segments") << 0
                                  << "http://host/" + QByteArray("d/./x y/../").repeated(kRepeat)
                                  << "http://host/" + QByteArray("d/").repeated(kRepeat);
    QTest::newRow("non-ASCII encoded")
        << 0 << "http://host/" + QByteArray(" 日本").repeated(kRepeat)
        << "http://host/" + QByteArray("%20%E6%97%A5%E6%9C%AC").repeated(kRepeat);
    QTest::newRow("escapes decoded")
        << kDecodeNoEncode << "file:///C:/" + QByteArray("%41%2f").repeated(kRepeat * 2)
        << "file://C:\\" + QByteArray("A\\").repeated(kRepeat * 2);
    QTest::newRow("dots above root") << 0 << "http://h/" + QByteArray("../").repeated(kRepeat * 4)
                                     << "http://h/" + QByteArray("../").repeated(kRepeat * 4);
}

void TestCanonicalize::megabyteUrls() {
    QFETCH(int, flags);
    QFETCH(QByteArray, url);
    QFETCH(QByteArray, expected);
    const Outcome outcome = Canonicalize(url.toStdString(), DWORD(flags));
    QVERIFY(outcome.ok);
    QVERIFY(QByteArray::fromStdString(outcome.url) == expected); // no 1 MB diff on failure
}

void TestCanonicalize::toolCommand_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // stdout, or the start of the one stderr line

    QTest::newRow("file form") << QStringList{"--flags", "0x30000000",
                                              "file:///C:/Program%20Files/x.xml"}
                               << 0 << "file://C:\\Program Files\\x.xml";
    QTest::newRow("decimal flags")
        << QStringList{"--flags", "805306368", "file:///home/u/a%20b"} << 0 << "file:///home/u/a b";
    QTest::newRow("default flags") << QStringList{"HTTP://host1/a b/../c"} << 0 << "http://host1/c";
    QTest::newRow("invalid url") << QStringList{"no scheme"} << 1
                                 << "canonicalize: not a valid URL (error 12005)";
    QTest::newRow("relative file") << QStringList{"--flags", "0x30000000", "file:x"} << 1
                                   << "canonicalize: not an absolute file path (error 161)";
    QTest::newRow("bad flags") << QStringList{"--flags", "0x1zz", "http://h/"} << 2
                               << "canonicalize: --flags";
    QTest::newRow("flags too large")
        << QStringList{"--flags", "0x100000000", "http://h/"} << 2 << "canonicalize: --flags";
    QTest::newRow("no url") << QStringList{} << 2 << "usage:";
    QTest::newRow("two urls") << QStringList{"http://a/", "http://b/"} << 2 << "usage:";
}

void TestCanonicalize::toolCommand() {
#ifndef QM_PLATFORM_TOOL
    QSKIP("quillmere-platform is not built");
#else
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    QProcess tool;
    tool.start(QStringLiteral(QM_PLATFORM_TOOL), QStringList{"canonicalize"} + args);
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), exitCode);
    const QString out = QString::fromUtf8(tool.readAllStandardOutput());
    const QString err = QString::fromUtf8(tool.readAllStandardError());
    if (exitCode == 0) {
        QCOMPARE(out, output + '\n');
        QVERIFY(err.isEmpty());
    } else {
        QVERIFY(out.isEmpty());
        QVERIFY2(err.startsWith(output), qPrintable(err));
        QCOMPARE(err.count('\n'), 1);
    }
#endif
}

QTEST_GUILESS_MAIN(TestCanonicalize)
#include "tst_Canonicalize.moc"
