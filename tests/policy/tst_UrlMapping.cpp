#include "policy/LocalPath.h"
#include "policy/UrlMapping.h"

#include <QtTest>

namespace {
const std::string kWinDir = "C:\\Html\\";
const std::string kPosixDir = "/home/u/Html/";

LocalPathStyle styleNamed(const QString &name) {
    return name == "windows" ? kWindowsPathStyle : kPosixPathStyle;
}
} // namespace

class TestUrlMapping final : public QObject {
    Q_OBJECT

private slots:
    void localFileReference_data() {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");

        QTest::newRow("win empty") << "windows"
                                   << "" << false;
        QTest::newRow("win one character") << "windows"
                                           << "x" << true;
        QTest::newRow("win drive path") << "windows"
                                        << "C:\\Html\\a.html" << true;
        QTest::newRow("win one-letter scheme") << "windows"
                                               << "a:b" << true;
        QTest::newRow("win file url, upper case") << "windows"
                                                  << "FILE://C:/x" << true;
        QTest::newRow("win http") << "windows"
                                  << "http://host/" << false;
        QTest::newRow("win relative") << "windows"
                                      << "index.html" << false;
        QTest::newRow("posix empty") << "posix"
                                     << "" << false;
        QTest::newRow("posix absolute path") << "posix"
                                             << "/home/u/a.html" << true;
        QTest::newRow("posix root") << "posix"
                                    << "/" << true;
        QTest::newRow("posix file url") << "posix"
                                        << "file:///home/u/a.html" << true;
        QTest::newRow("posix file url, upper case") << "posix"
                                                    << "File:///x" << true;
        QTest::newRow("posix one character") << "posix"
                                             << "x" << false;
        QTest::newRow("posix drive-like text") << "posix"
                                               << "C:\\Html\\a.html" << false;
        QTest::newRow("posix http") << "posix"
                                    << "http://host/" << false;
        QTest::newRow("posix switch") << "posix"
                                      << "-automation" << false;
    }

    void localFileReference() {
        QFETCH(QString, style);
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(IsLocalFileReference(text.toStdString(), styleNamed(style)), expected);
    }

    void mapping_data() {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("inDirectory");
        QTest::addColumn<QString>("internetUrl"); // empty: unchanged

        const QString w = "windows";
        QTest::newRow("win path") << w << "C:\\Html\\host1\\docs\\index.html" << true
                                  << "http://host1/docs/index.html";
        QTest::newRow("win path, other case")
            << w << "c:\\html\\host1\\index.html" << true << "http://host1/index.html";
        QTest::newRow("win three-slash url") << w << "file:///C:/Html/host1/docs/index.html" << true
                                             << "http://host1/docs/index.html";
        QTest::newRow("win two-slash url")
            << w << "file://C:/Html/host1/index.html" << true << "http://host1/index.html";
        QTest::newRow("win other directory") << w << "C:\\Other\\host1\\index.html" << false << "";
        QTest::newRow("win prefix directory")
            << w << "C:\\HtmlOld\\host1\\index.html" << false << "";
        QTest::newRow("win http url") << w << "http://host1/index.html" << false << "";
        QTest::newRow("win upper-case scheme") << w << "FILE:///C:/Html/host1/a.html" << true << "";
        QTest::newRow("win directory without separator") << w << "C:\\Html" << false << "";
        QTest::newRow("win escapes decoded")
            << w << "file:///C:/Html/host1/my%20page.html" << true << "http://host1/my%20page.html";
        QTest::newRow("win query kept")
            << w << "C:\\Html\\host1\\find.html?q=a" << true << "http://host1/find.html?q=a";
        QTest::newRow("win dot segments leave the directory")
            << w << "C:\\Html\\trusted.example\\..\\..\\Temp\\evil.html" << false << "";
        QTest::newRow("win dot segments stay inside")
            << w << "C:\\Html\\a.example\\..\\b.example\\x.html" << true
            << "http://b.example/x.html";

        const QString p = "posix";
        QTest::newRow("posix path")
            << p << "/home/u/Html/host1/docs/index.html" << true << "http://host1/docs/index.html";
        QTest::newRow("posix other case is another directory")
            << p << "/home/u/html/host1/index.html" << false << "";
        QTest::newRow("posix file url") << p << "file:///home/u/Html/host1/docs/index.html" << true
                                        << "http://host1/docs/index.html";
        QTest::newRow("posix file url naming a host")
            << p << "file://home/u/Html/host1/index.html" << false << "";
        QTest::newRow("posix other directory")
            << p << "/home/u/Other/host1/index.html" << false << "";
        QTest::newRow("posix prefix directory")
            << p << "/home/u/HtmlOld/host1/index.html" << false << "";
        QTest::newRow("posix http url") << p << "http://host1/index.html" << false << "";
        QTest::newRow("posix upper-case scheme")
            << p << "FILE:///home/u/Html/host1/a.html" << true << "";
        QTest::newRow("posix directory without separator") << p << "/home/u/Html" << false << "";
        QTest::newRow("posix escapes decoded and encoded again")
            << p << "file:///home/u/Html/host1/my%20page.html" << true
            << "http://host1/my%20page.html";
        QTest::newRow("posix japanese name") << p << "/home/u/Html/host1/日本.html" << true
                                             << "http://host1/%E6%97%A5%E6%9C%AC.html";
        QTest::newRow("posix dot segments leave the directory")
            << p << "/home/u/Html/trusted.example/../../../../tmp/evil.html" << false << "";
        QTest::newRow("posix encoded dot segments leave the directory")
            << p << "file:///home/u/Html/trusted.example/%2E%2E/%2E%2E/secret.html" << false << "";
        QTest::newRow("posix encoded separators leave the directory")
            << p << "file:///home/u/Html/a%2F..%2F..%2Fsecret.html" << false << "";
        QTest::newRow("posix dot segments stay inside")
            << p << "/home/u/Html/a.example/./../b.example/x.html" << true
            << "http://b.example/x.html";
        QTest::newRow("posix single dot")
            << p << "/home/u/Html/./host1/a.html" << true << "http://host1/a.html";
    }

    void mapping() {
        QFETCH(QString, style);
        QFETCH(QString, text);
        QFETCH(bool, inDirectory);
        QFETCH(QString, internetUrl);
        const LocalPathStyle s = styleNamed(style);
        const std::string dir = style == "windows" ? kWinDir : kPosixDir;
        const std::string input = text.toStdString();

        QCOMPARE(IsInLocalWebDirectory(input, dir, s), inDirectory);
        const std::string expected = internetUrl.isEmpty() ? input : internetUrl.toStdString();
        QCOMPARE(LocalToInternetUrl(input, dir, s), expected);
    }

    // A page must not borrow another host's zone through its own address: the query and the
    // fragment are carried over as they stand and never take part in finding the directory or
    // the host; the path is read as the engine opens it.
    void craftedAddresses_data() {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("inDirectory");
        QTest::addColumn<QString>("internetUrl"); // empty: unchanged

        const QString p = "posix";
        const QString page = "file:///home/u/Html/evil.example/a.html";
        QTest::newRow("posix query climbs") << p << page + "?/../../other.example/x" << true
                                            << "http://evil.example/a.html?/../../other.example/x";
        QTest::newRow("posix fragment climbs")
            << p << page + "#/../../other.example/x" << true
            << "http://evil.example/a.html#/../../other.example/x";
        QTest::newRow("posix query, encoded dots, mixed case")
            << p << page + "?/%2e%2E/%2E%2e/other.example/x" << true
            << "http://evil.example/a.html?/%2e%2E/%2E%2e/other.example/x";
        QTest::newRow("posix fragment, encoded separators")
            << p << page + "#%2f..%2F..%2fother.example%2Fx" << true
            << "http://evil.example/a.html#%2f..%2F..%2fother.example%2Fx";
        QTest::newRow("posix query, backslashes")
            << p << page + "?\\..\\..\\other.example\\x" << true
            << "http://evil.example/a.html?\\..\\..\\other.example\\x";
        QTest::newRow("posix fragment, doubled slashes")
            << p << page + "#//..//..//other.example//x" << true
            << "http://evil.example/a.html#//..//..//other.example//x";
        QTest::newRow("posix query inside a fragment")
            << p << page + "#x?/../../other.example/y" << true
            << "http://evil.example/a.html#x?/../../other.example/y";
        QTest::newRow("posix plain path, query")
            << p << "/home/u/Html/evil.example/a.html?/../../other.example/x" << true
            << "http://evil.example/a.html?/../../other.example/x";
        QTest::newRow("posix upper-case scheme, query")
            << p << "FILE:///home/u/Html/evil.example/a.html?/../../other.example/x" << true << "";
        QTest::newRow("posix outside, fragment leads in")
            << p << "file:///tmp/x.html#/../../home/u/Html/trusted.example/a" << false << "";
        QTest::newRow("posix outside, query leads in")
            << p << "file:///tmp/x.html?/../home/u/Html/trusted.example/a" << false << "";
        QTest::newRow("posix plain path outside, fragment leads in")
            << p << "/tmp/x.html#/../home/u/Html/trusted.example/a" << false << "";
        QTest::newRow("posix other case, query leads in")
            << p << "file:///home/u/HTML/x.html?/../../Html/trusted.example/a" << false << "";
        // The path itself names the file the engine opens, whatever way it is written.
        QTest::newRow("posix path, backslashes separate as in the engine")
            << p << "file:///home/u/Html/evil.example/sub\\..\\..\\other.example\\x" << true
            << "http://other.example/x";
        QTest::newRow("posix path, encoded dots")
            << p << "file:///home/u/Html/evil.example/%2e%2E/other.example/x" << true
            << "http://other.example/x";
        QTest::newRow("posix path, doubled slash before dots")
            << p << "file:///home/u/Html/evil.example//../other.example/x" << true
            << "http://evil.example/other.example/x";
        QTest::newRow("posix path, doubled slash after the directory")
            << p << "file:///home/u/Html//restricted.example/a.html" << true
            << "http://restricted.example/a.html";
        QTest::newRow("posix path, encoded question mark stays in the name")
            << p << "file:///home/u/Html/trusted.example%3F.evil/x" << true
            << "http://trusted.example%3F.evil/x";
        QTest::newRow("posix path, encoded hash stays in the name")
            << p << "file:///home/u/Html/trusted.example%23/x" << true
            << "http://trusted.example%23/x";

        const QString w = "windows";
        QTest::newRow("win query climbs") << w << "file:///C:/Html/evil/a.html?/../../other/x"
                                          << true << "http://evil/a.html?/../../other/x";
        QTest::newRow("win fragment, backslashes")
            << w << "C:\\Html\\evil\\a.html#\\..\\..\\other\\x" << true
            << "http://evil/a.html#\\..\\..\\other\\x";
        QTest::newRow("win query, encoded dots")
            << w << "C:\\Html\\evil\\a.html?\\%2e%2E\\%2E%2e\\other\\x" << true
            << "http://evil/a.html?\\%2e%2E\\%2E%2e\\other\\x";
        QTest::newRow("win mixed case, query") << w << "file:///c:/HTML/evil/a.html?/../../other/x"
                                               << true << "http://evil/a.html?/../../other/x";
        QTest::newRow("win fragment, encoded separators")
            << w << "file:///C:/Html/evil/a.html#%2f..%5C..%2fother" << true
            << "http://evil/a.html#%2f..%5C..%2fother";
        QTest::newRow("win outside, fragment leads in")
            << w << "file:///C:/Temp/x.html#/../../Html/trusted/a" << false << "";
        QTest::newRow("win outside, query leads in")
            << w << "C:\\Temp\\a\\x.html?\\..\\..\\..\\Html\\trusted\\a" << false << "";
        QTest::newRow("win path, encoded dots")
            << w << "file:///C:/Html/evil/%2E%2E/other/x" << true << "http://other/x";
    }

    void craftedAddresses() { mapping(); }

    void theDirectoryItselfMapsToABareScheme_data() {
        QTest::addColumn<QString>("style");
        QTest::newRow("windows") << "windows";
        QTest::newRow("posix") << "posix";
    }

    void theDirectoryItselfMapsToABareScheme() {
        QFETCH(QString, style);
        const std::string dir = style == "windows" ? kWinDir : kPosixDir;
        QVERIFY(IsInLocalWebDirectory(dir, dir, styleNamed(style)));
        const std::string mapped = LocalToInternetUrl(dir, dir, styleNamed(style));
        QVERIFY2(mapped.rfind("http://", 0) == 0, mapped.c_str());
        QVERIFY(mapped.size() <= 8);
    }

    void shiftJisTrailBytesAreNotSeparators() {
        // "表" in Shift-JIS is 0x95 0x5C: its second byte is the backslash.
        const std::string hyou = "\x95\x5C";
        const std::string dir = "C:\\" + hyou + "\\";
        const std::string path = dir + "host1\\" + hyou + "\\a.html";
        QVERIFY(IsInLocalWebDirectory(path, dir, kWindowsPathStyle));
        const std::string mapped = LocalToInternetUrl(path, dir, kWindowsPathStyle);
        // The mapping hands the character over whole; what the canonicaliser of this platform's
        // code page then makes of it is its own affair.
        QCOMPARE(mapped, localpath::Canonicalize("http://host1/" + hyou + "/a.html", 0).value());

        QCOMPARE(localpath::ReplaceSeparator("a\\" + hyou + "\\b", '\\', '/', CP_SHIFT_JIS),
                 "a/" + hyou + "/b");
        QVERIFY(!IsInLocalWebDirectory("C:\\" + hyou + "x\\host\\a.html", dir, kWindowsPathStyle));
    }

    void veryLongPathsAreMapped() {
        std::string path = kPosixDir + "host1";
        for (int i = 0; i < 2000; ++i)
            path += "/segment";
        path += "/a.html";
        QVERIFY(IsInLocalWebDirectory(path, kPosixDir, kPosixPathStyle));
        const std::string mapped = LocalToInternetUrl(path, kPosixDir, kPosixPathStyle);
        QCOMPARE(mapped.substr(0, 22), std::string("http://host1/segment/s"));
        QCOMPARE(mapped.size(), path.size() - kPosixDir.size() + 7);

        const std::string escaped = "file://" + path + "%2F..";
        QVERIFY(IsInLocalWebDirectory(escaped, kPosixDir, kPosixPathStyle));
    }

    void emptyDirectoryMatchesNothing() {
        QVERIFY(!IsInLocalWebDirectory("/home/u/a.html", "", kPosixPathStyle));
        QCOMPARE(LocalToInternetUrl("/home/u/a.html", "", kPosixPathStyle),
                 std::string("/home/u/a.html"));
    }

    void dotSegmentRemoval_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("above root") << "/../../x"
                                    << "/x";
        QTest::newRow("trailing dot-dot") << "/a/b/.."
                                          << "/a/";
        QTest::newRow("trailing dot") << "/a/."
                                      << "/a/";
        QTest::newRow("doubled separator") << "/a//b"
                                           << "/a/b";
        QTest::newRow("dots in names") << "/a/..b/c../.d"
                                       << "/a/..b/c../.d";
        QTest::newRow("plain") << "/a/b/c.html"
                               << "/a/b/c.html";
    }

    void dotSegmentRemoval() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(localpath::RemoveDotSegments(path.toStdString(), kPosixPathStyle, false),
                 expected.toStdString());
    }
};

QTEST_GUILESS_MAIN(TestUrlMapping)
#include "tst_UrlMapping.moc"
