// Command-line splitting, process creation, waiting and exit codes.

#include "platform/kernel/Process.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

// Runs a command line and waits for it; the exit code, or nullopt when it did not start.
std::optional<DWORD> Run(const char *application, std::string commandLine,
                         const char *environment = nullptr, const char *directory = nullptr) {
    PROCESS_INFORMATION info;
    STARTUPINFOA startup;
    if (!CreateProcessA(application, commandLine.data(), nullptr, nullptr, FALSE, 0,
                        const_cast<char *>(environment), directory, &startup, &info))
        return std::nullopt;
    if (WaitForSingleObject(info.hProcess, INFINITE) != WAIT_OBJECT_0)
        qFatal("wait failed");
    DWORD code = 0;
    if (!GetExitCodeProcess(info.hProcess, &code))
        qFatal("no exit code");
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}

// The program's own way of quoting a path: single quotes, a single quote inside doubled.
std::string QuotePath(const QString &path) {
    QString doubled = path;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return "'" + doubled.toStdString() + "'";
}

} // namespace

class TestProcess final : public QObject {
    Q_OBJECT

private slots:
    void split_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("program and switch")
            << "'/opt/q m/prog' -Embedding" << true << QStringList{"/opt/q m/prog", "-Embedding"};
        QTest::newRow("doubled single quote")
            << "'/tmp/it''s/prog' x" << true << QStringList{"/tmp/it's/prog", "x"};
        QTest::newRow("double quotes, doubled inside")
            << "\"a \"\"b\"\" c\" d" << true << QStringList{"a \"b\" c", "d"};
        QTest::newRow("other quote kind inside")
            << "\"it's\" '\"x\"'" << true << QStringList{"it's", "\"x\""};
        QTest::newRow("blanks and tabs") << "  plain  words\tand\t\ttabs " << true
                                         << QStringList{"plain", "words", "and", "tabs"};
        QTest::newRow("quoted parts joined")
            << "pre'quoted part'post next" << true << QStringList{"prequoted partpost", "next"};
        QTest::newRow("empty quoted argument")
            << "prog '' \"\"" << true << QStringList{"prog", "", ""};
        QTest::newRow("nothing") << "   " << true << QStringList{};
        QTest::newRow("unclosed single quote") << "'/bin/prog -x" << false << QStringList{};
        QTest::newRow("closing quote doubled away") << "'abc''" << false << QStringList{};
        QTest::newRow("unclosed double quote") << "prog \"x" << false << QStringList{};
    }

    void split() {
        QFETCH(QString, commandLine);
        QFETCH(bool, valid);
        QFETCH(QStringList, arguments);
        const auto result = platform::SplitCommandLine(commandLine.toStdString());
        QCOMPARE(result.has_value(), valid);
        if (!valid)
            return;
        QStringList actual;
        for (const std::string &a : *result)
            actual << QString::fromStdString(a);
        QCOMPARE(actual, arguments);
    }

    // The child sees exactly the arguments the quoting rule gives.
    void argumentsReachChild() {
        QTemporaryDir dir;
        const QString out = dir.filePath("args");
        const std::string line = "sh -c 'printf \"%s|\" \"$@\" > \"$0\"' " + QuotePath(out) +
                                 " 'two words' 'it''s' \"dq \"\"x\"\"\" plain";
        QCOMPARE(Run(nullptr, line), std::optional<DWORD>(0));
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("two words|it's|dq \"x\"|plain|"));
    }

    void exitCodes_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<DWORD>("code");
        QTest::newRow("zero") << "exit 0" << DWORD(0);
        QTest::newRow("42") << "exit 42" << DWORD(42);
        QTest::newRow("killed by SIGTERM") << "kill -TERM $$" << DWORD(128 + SIGTERM);
    }

    void exitCodes() {
        QFETCH(QString, script);
        QFETCH(DWORD, code);
        QCOMPARE(Run("/bin/sh", "sh -c '" + script.toStdString() + "'"), std::optional(code));
    }

    // The program starts itself as the convention says: full path in single quotes (a quote
    // inside doubled), a blank and the switch; with and without the application name.
    void selfStartConvention_data() {
        QTest::addColumn<bool>("withApplicationName");
        QTest::newRow("application name given") << true;
        QTest::newRow("path from the command line") << false;
    }

    void selfStartConvention() {
        QFETCH(bool, withApplicationName);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("it's a dir"));
        const QString program = dir.filePath("it's a dir/child prog");
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n[ \"$1\" = -Embedding ] && [ $# -eq 1 ] && exit 5\nexit 1\n");
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const std::string path = program.toStdString();
        QCOMPARE(
            Run(withApplicationName ? path.c_str() : nullptr, QuotePath(program) + " -Embedding"),
            std::optional<DWORD>(5));
    }

    // An explicit environment block and working directory are what the child gets.
    void environmentAndDirectory() {
        QTemporaryDir dir;
        const std::string where = QDir(dir.path()).canonicalPath().toStdString();
        const char environment[] = "QM_CHILD=v1\0OTHER=x y\0";
        const std::string line = "sh -c '[ \"$QM_CHILD\" = v1 ] && [ \"$OTHER\" = \"x y\" ] && "
                                 "[ -z \"$HOME\" ] && [ \"$(pwd -P)\" = \"" +
                                 where + "\" ] && exit 3'";
        QCOMPARE(Run("/bin/sh", line, environment, where.c_str()), std::optional<DWORD>(3));
    }

    void failures_data() {
        QTest::addColumn<QString>("application");
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<int>("error");
        QTest::newRow("missing program") << ""
                                         << "'/nonexistent/prog' -x"
                                         << "" << int(ERROR_FILE_NOT_FOUND);
        QTest::newRow("not in PATH") << ""
                                     << "qm-no-such-program-here"
                                     << "" << int(ERROR_FILE_NOT_FOUND);
        QTest::newRow("not executable") << "NOEXEC"
                                        << "prog"
                                        << "" << int(ERROR_ACCESS_DENIED);
        QTest::newRow("unclosed quote") << ""
                                        << "'/bin/sh -c true"
                                        << "" << int(ERROR_INVALID_PARAMETER);
        QTest::newRow("empty command line") << ""
                                            << ""
                                            << "" << int(ERROR_INVALID_PARAMETER);
        QTest::newRow("bad directory") << "/bin/sh"
                                       << "sh -c true"
                                       << "/nonexistent/dir" << int(ERROR_PATH_NOT_FOUND);
    }

    void failures() {
        QFETCH(QString, application);
        QFETCH(QString, commandLine);
        QFETCH(QString, directory);
        QFETCH(int, error);
        QTemporaryDir dir;
        if (application == "NOEXEC") {
            application = dir.filePath("plain");
            QFile file(application);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const std::string app = application.toStdString();
        const std::string dirText = directory.toStdString();
        SetLastError(0);
        QVERIFY(!Run(app.empty() ? nullptr : app.c_str(), commandLine.toStdString(), nullptr,
                     dirText.empty() ? nullptr : dirText.c_str()));
        QCOMPARE(GetLastError(), DWORD(error));
    }

    // A running process polls as not signalled and STILL_ACTIVE; both handles see its end.
    void runningProcess() {
        PROCESS_INFORMATION info;
        std::string line = "sleep 60";
        QVERIFY(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               nullptr, &info));
        QVERIFY(info.hProcess != info.hThread);
        QCOMPARE(WaitForSingleObject(info.hProcess, 0), WAIT_TIMEOUT);
        DWORD code = 0;
        QVERIFY(GetExitCodeProcess(info.hProcess, &code));
        QCOMPARE(code, STILL_ACTIVE);
        QCOMPARE(::kill(pid_t(info.dwProcessId), SIGKILL), 0);
        QCOMPARE(WaitForSingleObject(info.hThread, INFINITE), WAIT_OBJECT_0);
        QCOMPARE(WaitForSingleObject(info.hProcess, 0), WAIT_OBJECT_0);
        QVERIFY(GetExitCodeProcess(info.hProcess, &code));
        QCOMPARE(code, DWORD(128 + SIGKILL));
        QVERIFY(CloseHandle(info.hThread));
        QVERIFY(CloseHandle(info.hProcess));
        QVERIFY(!CloseHandle(info.hProcess));
        QVERIFY(!GetExitCodeProcess(info.hProcess, &code));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_Process.moc"
