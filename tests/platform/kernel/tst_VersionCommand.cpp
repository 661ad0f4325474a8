// The "version" sub-command of quillmere-platform.

#include "tests/platform/kernel/ExecutableFixtures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sstream>

int VersionCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

namespace {

struct Result {
    int status = 0;
    QString out;
    QString err;
};

Result Run(const std::vector<std::string> &args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = VersionCommand(args, out, err);
    return {status, QString::fromStdString(out.str()), QString::fromStdString(err.str())};
}

} // namespace

class TestVersionCommand final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;

private slots:
    void printsVersionResource() {
        const std::string path = FDir.filePath(QStringLiteral("engine.dll")).toStdString();
        QVERIFY(fixtures::WriteFile(
            path, fixtures::BuildPe({{16, 1, 0x0411,
                                      fixtures::VersionBlock({6, 0, 2900, 2180},
                                                             {{"CompanyName", "Example Works"},
                                                              {"FileDescription", "エンジン"}})}})
                      .bytes));
        const Result r = Run({path});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out, QStringLiteral("File version:    6.0.2900.2180\n"
                                       "Product version: 6.0.2900.2180\n"
                                       "Translation:     041104B0\n"
                                       "041104B0 CompanyName: Example Works\n"
                                       "041104B0 FileDescription: エンジン\n"));
    }

#ifdef QM_PLATFORM_TOOL
    // The installed tool answers "version" on itself: the command is in its table and the tool
    // carries the build's version resource.
    void toolItself() {
        QProcess tool;
        tool.start(QStringLiteral(QM_PLATFORM_TOOL),
                   {QStringLiteral("version"), QStringLiteral(QM_PLATFORM_TOOL)});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 0);
        const QString out = QString::fromUtf8(tool.readAllStandardOutput());
        QVERIFY2(out.contains(QStringLiteral("File version:    " QM_EXPECTED_VERSION "\n")),
                 qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("041104B0 ProductName: " QM_EXPECTED_PRODUCT "\n")));
    }
#endif

    void failures_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << "missing" << 1 << "no such file";
        QTest::newRow("not an executable") << "text" << 1 << "not a PE or ELF executable";
        QTest::newRow("no version resource") << "plain.dll" << 1 << "no version resource";
        QTest::newRow("directory") << "." << 1 << "not a readable regular file";
    }

    // One line on err naming the file and the reason; nothing on out.
    void failures() {
        QFETCH(QString, file);
        QFETCH(int, status);
        QFETCH(QString, message);
        QVERIFY(fixtures::WriteFile(FDir.filePath(QStringLiteral("text")).toStdString(),
                                    {'a', 'b', '\n'}));
        QVERIFY(fixtures::WriteFile(FDir.filePath(QStringLiteral("plain.dll")).toStdString(),
                                    fixtures::BuildPe({}).bytes));
        const std::string path = FDir.filePath(file).toStdString();
        const Result r = Run({path});
        QCOMPARE(r.status, status);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err,
                 QStringLiteral("version: %1: %2\n").arg(QString::fromStdString(path), message));
    }

    void usage() {
        QCOMPARE(Run({}).status, 2);
        QCOMPARE(Run({"a", "b"}).status, 2);
        QCOMPARE(Run({"--help"}).status, 0);
    }
};

QTEST_GUILESS_MAIN(TestVersionCommand)
#include "tst_VersionCommand.moc"
