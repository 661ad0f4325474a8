// The real programs as processes: the command line, the answers that need no window, the window
// caption from the page title, and the zone a saved page gets. The program mirrors its log lines to
// stderr when QUILLMERE_EVENT_LOG is set; the tests read them there.

#include "ProductVersion.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kStartTimeout = 60000;

class Program final {
public:
    Program(const QString &platformDir, const QStringList &arguments,
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
        env.insert(u"QUILLMERE_PLATFORM_DIR"_qs, platformDir);
        env.insert(u"QUILLMERE_EVENT_LOG"_qs, u"1"_qs);
        env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
        FProcess.setProcessEnvironment(env);
        FProcess.start(QStringLiteral(QM_PROGRAM), arguments);
    }
    ~Program() {
        FProcess.kill();
        FProcess.waitForFinished();
    }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Waits until a log line starts with prefix; the line, or empty when the program ended or
    // the time ran out.
    QString WaitForLine(const QString &prefix, int timeout = kStartTimeout) {
        QString found;
        (void)QTest::qWaitFor(
            [&] {
                Read();
                for (const QString &line : std::as_const(FLines))
                    if (line.startsWith(prefix)) {
                        found = line;
                        return true;
                    }
                return FProcess.state() == QProcess::NotRunning;
            },
            timeout);
        return found;
    }
    bool Running() const { return FProcess.state() == QProcess::Running; }
    QStringList Lines() {
        Read();
        return FLines;
    }

private:
    void Read() {
        FBuffer += FProcess.readAllStandardError();
        qsizetype end;
        while ((end = FBuffer.indexOf('\n')) >= 0) {
            FLines.append(QString::fromUtf8(FBuffer.left(end)));
            FBuffer.remove(0, end + 1);
        }
    }
    QProcess FProcess;
    QByteArray FBuffer;
    QStringList FLines;
};

void SetString(const QString &platformDir, const QString &key, const QString &name,
               const QString &data) {
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QUILLMERE_PLATFORM_DIR"_qs, platformDir);
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(QM_TOOL),
               {u"reg"_qs, u"add"_qs, key, u"/v"_qs, name, u"/d"_qs, data, u"/f"_qs});
    QVERIFY(tool.waitForFinished());
    QCOMPARE(tool.exitCode(), 0);
}

void SetOption(const QString &platformDir, const QString &section, const QString &name,
               const QString &data) {
    SetString(platformDir, u"HKCU\\Software\\Tarnwick\\Lumenvale\\1.0\\"_qs + section, name, data);
}

QString FixtureDir() {
    return qEnvironmentVariable("QM_SOURCE_DIR") + u"/tests/fixtures/localweb/"_qs;
}

} // namespace

class TestProgram final : public QObject {
    Q_OBJECT

private slots:
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("navigated"); // empty: nothing is navigated

        QTest::newRow("no argument: home page") << QStringList() << "about:blank";
        QTest::newRow("path, second argument ignored")
            << QStringList{FixtureDir() + u"restricted.example/index.html"_qs, u"-x"_qs}
            << QUrl::fromLocalFile(FixtureDir() + u"restricted.example/index.html"_qs).toString();
        QTest::newRow("path, then --help")
            << QStringList{FixtureDir() + u"restricted.example/index.html"_qs, u"--help"_qs}
            << QUrl::fromLocalFile(FixtureDir() + u"restricted.example/index.html"_qs).toString();
        QTest::newRow("switch") << QStringList{u"-automation-test"_qs} << "";
        QTest::newRow("switch like --help") << QStringList{u"--helpme"_qs} << "";
        QTest::newRow("empty argument") << QStringList{QString()} << "";
    }

    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, navigated);
        QTemporaryDir dir;
        Program program(dir.path(), arguments);
        if (navigated.isEmpty()) {
            // Nothing to wait for but a while in which nothing may happen.
            QTest::qWait(4000);
            QVERIFY(program.Running());
            for (const QString &line : program.Lines())
                QVERIFY2(!line.startsWith(u"Before Navi"_qs), qPrintable(line));
        } else {
            QCOMPARE(program.WaitForLine(u"Document Complete:"_qs),
                     u"Document Complete:"_qs + navigated + u" State 4 Busy 0"_qs);
        }
    }

    // --help and --version answer on standard output and end before the application exists: no
    // display is given, so a program that created its application would fail; nor may it touch
    // the platform directory.
    void answers_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("firstLine");

        const QString browser = QStringLiteral(QM_PROGRAM);
        const QString tool = QStringLiteral(QM_TOOL);
        const QString usage = u"使い方: quillmere [アドレスまたはファイル]"_qs;
        QTest::newRow("--help") << browser << QStringList{u"--help"_qs} << usage;
        QTest::newRow("--help, then a path")
            << browser
            << QStringList{u"--help"_qs, FixtureDir() + u"restricted.example/index.html"_qs}
            << usage;
        QTest::newRow("--version") << browser << QStringList{u"--version"_qs}
                                   << u"quillmere "_qs + QStringLiteral(QM_VERSION);
        QTest::newRow("tool --help") << tool << QStringList{u"--help"_qs}
                                     << u"usage: quillmere-platform <command> [arguments]"_qs;
        QTest::newRow("tool --version") << tool << QStringList{u"--version"_qs}
                                        << u"quillmere-platform "_qs + QStringLiteral(QM_VERSION);
    }

    void answers() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, firstLine);
        QTemporaryDir dir;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"DISPLAY"_qs);
        env.remove(u"WAYLAND_DISPLAY"_qs);
        env.insert(u"QT_QPA_PLATFORM"_qs, u"xcb"_qs);
        env.insert(u"QUILLMERE_PLATFORM_DIR"_qs, dir.path());
        env.insert(u"QUILLMERE_EVENT_LOG"_qs, u"1"_qs);
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        QVERIFY(process.waitForFinished(kStartTimeout));
        QCOMPARE(process.readAllStandardError(), QByteArray());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        QCOMPARE(out.section(u'\n', 0, 0), firstLine);
        QVERIFY(out.endsWith(u'\n'));
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    // Output that cannot be written (a full disk) makes the program fail with a message instead
    // of reporting success.
    void unwritableOutput_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");

        const QString browser = QStringLiteral(QM_PROGRAM);
        const QString tool = QStringLiteral(QM_TOOL);
        QTest::newRow("--version") << browser << QStringList{u"--version"_qs} << u"quillmere: "_qs;
        QTest::newRow("tool --version")
            << tool << QStringList{u"--version"_qs} << u"quillmere-platform: "_qs;
        QTest::newRow("tool command")
            << tool << QStringList{u"canonicalize"_qs, u"http://example.com/a/../b"_qs}
            << u"quillmere-platform: "_qs;
    }

    void unwritableOutput() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        if (!QFile::exists(u"/dev/full"_qs))
            QSKIP("no /dev/full here");
        QTemporaryDir dir;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QUILLMERE_PLATFORM_DIR"_qs, dir.path());
        process.setProcessEnvironment(env);
        process.setStandardOutputFile(u"/dev/full"_qs);
        process.start(program, arguments);
        QVERIFY(process.waitForFinished(kStartTimeout));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        const QString error = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(error.startsWith(message) && error.contains(u"No space left on device"_qs),
                 qPrintable(error));
    }

    // A saved page of a host in the restricted zone: judged by its Internet address its script
    // does not run, so the caption keeps the page's own title; judged by the fixed zone (3) it
    // runs and renames the page. A query or fragment that climbs to another host's directory
    // borrows nothing: the page stays restricted.
    void savedPageZone_data() {
        QTest::addColumn<QString>("useOriginalUrl");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("zone");
        QTest::newRow("original url on") << "1"
                                         << ""
                                         << "original title"
                                         << "Zone=4 Handled=1";
        QTest::newRow("original url off") << "0"
                                          << ""
                                          << "renamed by script"
                                          << "Zone=3 Handled=1";
        QTest::newRow("query climbing to another host") << "1"
                                                        << "?/../../other.example/x"
                                                        << "original title"
                                                        << "Zone=4 Handled=1";
        QTest::newRow("fragment climbing to another host") << "1"
                                                           << "#/../../other.example/x"
                                                           << "original title"
                                                           << "Zone=4 Handled=1";
        QTest::newRow("encoded dots in the query") << "1"
                                                   << "?/%2e%2e/%2E%2E/other.example/x"
                                                   << "original title"
                                                   << "Zone=4 Handled=1";
    }

    void savedPageZone() {
        QFETCH(QString, useOriginalUrl);
        QFETCH(QString, suffix);
        QFETCH(QString, title);
        QFETCH(QString, zone);
        QTemporaryDir dir;
        SetOption(dir.path(), u"LocalBrowse"_qs, u"Directory"_qs, FixtureDir());
        SetOption(dir.path(), u"SecurityOption"_qs, u"UseOrginalUrl"_qs, useOriginalUrl);
        QProcess sites;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QUILLMERE_PLATFORM_DIR"_qs, dir.path());
        sites.setProcessEnvironment(env);
        sites.start(QStringLiteral(QM_TOOL),
                    {u"sites"_qs, u"add"_qs, u"4"_qs, u"restricted.example"_qs});
        QVERIFY(sites.waitForFinished());
        QCOMPARE(sites.exitCode(), 0);

        const QString file =
            QUrl::fromLocalFile(FixtureDir() + u"restricted.example/index.html"_qs).toString();
        Program program(dir.path(), {file + suffix});
        QVERIFY(!program.WaitForLine(u"Document Complete:"_qs).isEmpty());
        const QStringList lines = program.Lines();
        QVERIFY2(lines.contains(u"   TITLE="_qs + title), qPrintable(lines.join(u'\n')));
        QVERIFY(!lines.contains(u"   TITLE="_qs + (title == u"original title"_qs
                                                       ? u"renamed by script"_qs
                                                       : u"original title"_qs)) ||
                title == u"renamed by script"_qs);
        // Every zone asked for the page, whatever the engine made of its suffix.
        int asked = 0;
        for (const QString &line : lines) {
            if (!line.startsWith(u"URL="_qs + file))
                continue;
            ++asked;
            QVERIFY2(line.endsWith(u' ' + zone), qPrintable(line));
        }
        QVERIFY2(asked > 0, qPrintable(lines.join(u'\n')));
    }

    // Bad input still opens a window that keeps running.
    void badArguments_data() {
        QTest::addColumn<QString>("argument");
        QTest::newRow("nonexistent file") << "/nonexistent/dir/page.html";
        QTest::newRow("directory") << QDir::tempPath();
        QTest::newRow("100,000 characters")
            << u"http://example.invalid/"_qs + QString(100000, u'a');
    }

    void badArguments() {
        QFETCH(QString, argument);
        QTemporaryDir dir;
        Program program(dir.path(), {argument});
        QVERIFY(!program.WaitForLine(u"Before Navi"_qs).isEmpty());
        QTest::qWait(2000);
        QVERIFY(program.Running());
    }

    // With page message boxes off the page's alert blocks nothing: the page goes on at once, and
    // in debug mode the message is logged. (What the strip shows is checked in tst_MainEvents.)
    // (The page is the home page: in debug mode a command-line argument would first show the
    // command line in a box that waits for the user.)
    void alertWithMessagesOff() {
        QTemporaryDir dir;
        SetOption(dir.path(), u"UI"_qs, u"ShowMessage"_qs, u"0"_qs);
        SetOption(dir.path(), u"Debug"_qs, u"Enable"_qs, u"1"_qs);
        const QString page =
            qEnvironmentVariable("QM_SOURCE_DIR") + u"/tests/fixtures/pages/alert.html"_qs;
        SetString(dir.path(), u"HKCU\\Software\\Microsoft\\Internet Explorer\\Main"_qs,
                  u"Start Page"_qs, QUrl::fromLocalFile(page).toString());
        Program program(dir.path(), {});
        QVERIFY(!program.WaitForLine(u"   TITLE=after alert"_qs).isEmpty());
        QVERIFY(program.Lines().contains(u"お知らせです"_qs));
    }

    // The program speaks Japanese whatever the environment's locale: the engine's language
    // (which the page's date formats follow) and the languages it asks servers for.
    void japaneseWhateverTheLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::newRow("C") << "C";
        QTest::newRow("unset") << "";
        QTest::newRow("German") << "de_DE.UTF-8";
    }
    void japaneseWhateverTheLocale() {
        QFETCH(QString, locale);
        QTemporaryDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &name : {u"LANG"_qs, u"LC_ALL"_qs, u"LC_MESSAGES"_qs, u"LANGUAGE"_qs})
            env.remove(name);
        if (!locale.isEmpty()) {
            env.insert(u"LANG"_qs, locale);
            env.insert(u"LANGUAGE"_qs, locale.left(2));
        }
        const QString page =
            qEnvironmentVariable("QM_SOURCE_DIR") + u"/tests/fixtures/pages/language.html"_qs;
        Program program(dir.path(), {page}, env);
        QCOMPARE(program.WaitForLine(u"   TITLE=ja"_qs), u"   TITLE=ja|ja"_qs);
    }

    void damagedOptionStore() {
        QTemporaryDir dir;
        QFile store(dir.filePath(u"user.db"_qs));
        QVERIFY(store.open(QIODevice::WriteOnly));
        store.write("this is not a database");
        store.close();
        Program program(dir.path(), {FixtureDir() + u"restricted.example/index.html"_qs});
        QVERIFY(!program.WaitForLine(u"Document Complete:"_qs).isEmpty());
        QVERIFY(program.Running());
        bool reported = false;
        for (const QString &line : program.Lines())
            reported = reported || (line.contains(u"user.db"_qs) && line.contains(u"damaged"_qs));
        QVERIFY(reported);
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_Program.moc"
