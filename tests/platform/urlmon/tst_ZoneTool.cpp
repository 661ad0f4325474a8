// The zone and sites commands of quillmere-platform, run as a process against a fresh platform
// directory.

#include "UrlmonFixture.h"
#include "tests/support/ToolRunner.h"

#include <QtTest>

namespace {

using Run = ToolRun;
constexpr auto Tool = RunPlatformTool;

} // namespace

class TestZoneTool final : public QObject {
    Q_OBJECT

private slots:
    // Reading cases share one platform directory; sitesRoundTrip writes into one of its own.
    void initTestCase() { m_fixture = std::make_unique<FreshPlatformDir>(); }
    void cleanupTestCase() { m_fixture.reset(); }

    void zone_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("internet") << "http://www.example.com/a"
                                  << "zone 3 インターネット"
                                  << QStringList{"1400 script allow 0x00000000",
                                                 "1A05 third-party cookies query 0x00000001",
                                                 "1C00 Java high 0x00010000"};
        QTest::newRow("local linux")
            << "file:///home/u/Html/index.html"
            << "zone 0 マイ コンピュータ" << QStringList{"1803 file download allow 0x00000000"};
        QTest::newRow("local drive") << "C:\\Html\\index.htm"
                                     << "zone 0 マイ コンピュータ" << QStringList{};
        QTest::newRow("dot-less") << "http://intranet/"
                                  << "zone 1 ローカル イントラネット" << QStringList{};
        QTest::newRow("javascript") << "javascript:alert(1)"
                                    << "zone 3 インターネット" << QStringList{};
        const QString internet = "zone 3 インターネット",
                      intranet = "zone 1 ローカル イントラネット",
                      local = "zone 0 マイ コンピュータ";
        QTest::newRow("spaces") << "http://www.example.com/a b c.html" << internet << QStringList{};
        QTest::newRow("non-ascii host") << "http://例え.jp/ページ" << internet << QStringList{};
        QTest::newRow("percent escapes")
            << "file:///home/u/a%20b%E3%81%82.html" << local << QStringList{};
        QTest::newRow("dot segments") << "http://intranet/a/../../b" << intranet << QStringList{};
        QTest::newRow("upper-case scheme")
            << "HTTP://WWW.EXAMPLE.COM/" << internet << QStringList{};
        QTest::newRow("file two slashes")
            << "file://server/share/a.html" << intranet << QStringList{};
        QTest::newRow("file three slashes drive")
            << "file:///C:/Html/a.html" << local << QStringList{};
    }
    void zone() {
        QFETCH(QString, url);
        QFETCH(QString, header);
        QFETCH(QStringList, lines);
        const Run run = Tool(m_fixture->path(), {"zone", url});
        QCOMPARE(run.exitCode, 0);
        QStringList got = run.out.split('\n', Qt::SkipEmptyParts);
        for (QString &line : got)
            line = line.simplified();
        QCOMPARE(got.value(0), header);
        // The eleven main actions, each once.
        QCOMPARE(got.size(), 12);
        for (const char *code : {"1400", "1200", "1C00", "1803", "1A02", "1A03", "1A05", "1A06",
                                 "1607", "1604", "1608"})
            QCOMPARE(got.filter(QRegularExpression(QString("^") + code + " ")).size(), 1);
        for (const QString &line : lines)
            QVERIFY2(got.contains(line), qPrintable(line + " not in\n" + run.out));
    }

    void badInput_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("relative") << QStringList{"zone", "index.htm"} << 1;
        QTest::newRow("http without slashes") << QStringList{"zone", "http:foo"} << 1;
        QTest::newRow("empty host") << QStringList{"zone", "http:///a.html"} << 1;
        QTest::newRow("huge host")
            << QStringList{"zone", "http://" + QString(100000, 'a') + "/"} << 1;
        QTest::newRow("no url") << QStringList{"zone"} << 2;
        QTest::newRow("two urls") << QStringList{"zone", "a:", "b:"} << 2;
        QTest::newRow("zone out of range") << QStringList{"sites", "add", "5", "a.example"} << 2;
        QTest::newRow("zone not a number") << QStringList{"sites", "add", "x", "a.example"} << 2;
        QTest::newRow("bad host") << QStringList{"sites", "add", "4", "a b.example"} << 1;
        QTest::newRow("unlisted") << QStringList{"sites", "remove", "4", "a.example"} << 1;
        QTest::newRow("unknown verb") << QStringList{"sites", "move", "4", "a.example"} << 2;
    }
    void badInput() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const Run run = Tool(m_fixture->path(), args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(run.err.count('\n') >= 1, true);
    }

    // sites add makes every scheme of the host Restricted, in this and in other processes.
    void sitesRoundTrip() {
        const FreshPlatformDir fresh;
        const QString dir = fresh.path();
        QCOMPARE(Tool(dir, {"sites", "add", "4", "restricted.example"}).exitCode, 0);
        QCOMPARE(Tool(dir, {"sites", "add", "2", "https://www.trusted.example"}).exitCode, 0);
        QCOMPARE(Tool(dir, {"zone", "ftp://files.restricted.example/"}).out.section('\n', 0, 0),
                 QStringLiteral("zone 4 制限付きサイト"));
        QCOMPARE(Tool(dir, {"sites", "list", "4"}).out, QStringLiteral("*://restricted.example\n"));
        QCOMPARE(Tool(dir, {"sites", "list"}).out,
                 QStringLiteral("2 https://www.trusted.example\n4 *://restricted.example\n"));
        // The manager of this process sees what the tool wrote.
        const auto manager = NewSecurityManager();
        DWORD zone = 0;
        QCOMPARE(manager->MapUrlToZone(u"http://restricted.example/", &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_UNTRUSTED);
        QCOMPARE(Tool(dir, {"sites", "remove", "4", "restricted.example"}).exitCode, 0);
        QCOMPARE(manager->MapUrlToZone(u"http://restricted.example/", &zone, 0), S_OK);
        QCOMPARE(zone, URLZONE_INTERNET);
        QCOMPARE(Tool(dir, {"sites", "list", "4"}).out, QString());
    }

private:
    std::unique_ptr<FreshPlatformDir> m_fixture;
};

QTEST_GUILESS_MAIN(TestZoneTool)
#include "tst_ZoneTool.moc"
