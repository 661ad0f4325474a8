// Where the platform state lives, and the thread-local last error.

#include "platform/kernel/PlatformDir.h"
#include "platform/kernel/Win32.h"

#include <QTemporaryDir>
#include <QtTest>

#include <thread>

class TestPlatformDirectory final : public QObject {
    Q_OBJECT

private slots:
    void init() {
        for (const char *name : {"QUILLMERE_PLATFORM_DIR", "XDG_DATA_HOME", "HOME"})
            FSaved.emplace_back(name, qgetenv(name));
    }
    void cleanup() {
        for (const auto &[name, value] : FSaved)
            qputenv(name, value);
        FSaved.clear();
    }

    void environmentDecides_data() {
        QTest::addColumn<QByteArray>("platformDir");
        QTest::addColumn<QByteArray>("dataHome");
        QTest::addColumn<QString>("expected");
        QTest::newRow("override") << QByteArray("/srv/qm") << QByteArray("/data") << "/srv/qm";
        QTest::newRow("data home") << QByteArray() << QByteArray("/data") << "/data/quillmere";
        QTest::newRow("home") << QByteArray() << QByteArray() << "/home/u/.local/share/quillmere";
        QTest::newRow("relative data home is ignored")
            << QByteArray() << QByteArray("data") << "/home/u/.local/share/quillmere";
    }

    void environmentDecides() {
        QFETCH(QByteArray, platformDir);
        QFETCH(QByteArray, dataHome);
        QFETCH(QString, expected);
        qputenv("HOME", "/home/u");
        qputenv("QUILLMERE_PLATFORM_DIR", platformDir);
        qputenv("XDG_DATA_HOME", dataHome);
        QCOMPARE(QString::fromStdString(platform::PlatformDirectory().string()), expected);
    }

    void readAfreshAndCreated() {
        QTemporaryDir dir;
        const QByteArray first = dir.filePath("a/b").toLocal8Bit();
        qputenv("QUILLMERE_PLATFORM_DIR", first);
        QVERIFY(platform::EnsurePlatformDirectory());
        QVERIFY(QFileInfo(dir.filePath("a/b")).isDir());
        qputenv("QUILLMERE_PLATFORM_DIR", dir.filePath("c").toLocal8Bit());
        QCOMPARE(QString::fromStdString(platform::PlatformDirectory().string()), dir.filePath("c"));
        // A file where the directory should be cannot become one.
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        qputenv("QUILLMERE_PLATFORM_DIR", dir.filePath("file").toLocal8Bit());
        QVERIFY(!platform::EnsurePlatformDirectory());
    }

    void lastErrorIsPerThread() {
        SetLastError(ERROR_ACCESS_DENIED);
        DWORD seen = 1;
        std::thread other([&seen] {
            seen = GetLastError();
            SetLastError(ERROR_FILE_NOT_FOUND);
        });
        other.join();
        QCOMPARE(seen, DWORD(0));
        QCOMPARE(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    }

private:
    std::vector<std::pair<const char *, QByteArray>> FSaved;
};

QTEST_GUILESS_MAIN(TestPlatformDirectory)
#include "tst_PlatformDirectory.moc"
