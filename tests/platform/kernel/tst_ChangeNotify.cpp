// Directory change notification: which changes signal the handle, re-arming, and failures.

#include "platform/kernel/ChangeNotify.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <thread>

namespace {

using Operation = std::function<void(const QDir &watched, const QDir &outside)>;

void Touch(const QString &path, const QByteArray &content = {}) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(content) < 0)
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestChangeNotify final : public QObject {
    Q_OBJECT

private slots:
    void changes_data() {
        QTest::addColumn<DWORD>("filter");
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<bool>("signalled");
        const DWORD names = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
        QTest::newRow("file created")
            << names << Operation([](const QDir &d, const QDir &) { Touch(d.filePath("new")); })
            << true;
        QTest::newRow("directory created")
            << names << Operation([](const QDir &d, const QDir &) { d.mkdir("sub-new"); }) << true;
        QTest::newRow("file deleted") << names << Operation([](const QDir &d, const QDir &) {
            QFile::remove(d.filePath("existing"));
        }) << true;
        QTest::newRow("file renamed") << names << Operation([](const QDir &d, const QDir &) {
            QFile::rename(d.filePath("existing"), d.filePath("renamed"));
        }) << true;
        QTest::newRow("file moved in") << names << Operation([](const QDir &d, const QDir &o) {
            QFile::rename(o.filePath("elsewhere"), d.filePath("arrived"));
        }) << true;
        QTest::newRow("content written") << names << Operation([](const QDir &d, const QDir &) {
            Touch(d.filePath("existing"), "more");
        }) << false;
        QTest::newRow("permissions changed") << names << Operation([](const QDir &d, const QDir &) {
            QFile::setPermissions(d.filePath("existing"), QFile::ReadOwner);
        }) << false;
        QTest::newRow("file created in a sub-directory")
            << names << Operation([](const QDir &d, const QDir &) { Touch(d.filePath("sub/f")); })
            << false;
        QTest::newRow("directory with file-name filter")
            << DWORD(FILE_NOTIFY_CHANGE_FILE_NAME)
            << Operation([](const QDir &d, const QDir &) { d.mkdir("sub-new"); }) << false;
        QTest::newRow("file with directory-name filter")
            << DWORD(FILE_NOTIFY_CHANGE_DIR_NAME)
            << Operation([](const QDir &d, const QDir &) { Touch(d.filePath("new")); }) << false;
        QTest::newRow("content written, last-write filter")
            << DWORD(FILE_NOTIFY_CHANGE_LAST_WRITE)
            << Operation([](const QDir &d, const QDir &) { Touch(d.filePath("existing"), "x"); })
            << true;
    }

    void changes() {
        QFETCH(DWORD, filter);
        QFETCH(Operation, operation);
        QFETCH(bool, signalled);
        QTemporaryDir root;
        QDir(root.path()).mkpath("watched/sub");
        QDir(root.path()).mkpath("outside");
        const QDir watched(root.filePath("watched"));
        const QDir outside(root.filePath("outside"));
        Touch(watched.filePath("existing"), "content");
        Touch(outside.filePath("elsewhere"));

        const HANDLE handle =
            FindFirstChangeNotificationA(watched.path().toUtf8().constData(), FALSE, filter);
        QVERIFY(handle != INVALID_HANDLE_VALUE);
        QCOMPARE(WaitForSingleObject(handle, 0), WAIT_TIMEOUT);
        operation(watched, outside);
        QCOMPARE(WaitForSingleObject(handle, 0), signalled ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
        QVERIFY(FindCloseChangeNotification(handle));
    }

    // Signalled stays signalled until re-armed; re-arming clears what was seen, and a later
    // change signals again.
    void rearm() {
        QTemporaryDir dir;
        const HANDLE handle = FindFirstChangeNotificationA(dir.path().toUtf8().constData(), FALSE,
                                                           FILE_NOTIFY_CHANGE_FILE_NAME);
        QVERIFY(handle != INVALID_HANDLE_VALUE);
        Touch(dir.filePath("a"));
        Touch(dir.filePath("b"));
        QCOMPARE(WaitForSingleObject(handle, 0), WAIT_OBJECT_0);
        QCOMPARE(WaitForSingleObject(handle, 0), WAIT_OBJECT_0);
        QVERIFY(FindNextChangeNotification(handle));
        QCOMPARE(WaitForSingleObject(handle, 0), WAIT_TIMEOUT);
        QFile::remove(dir.filePath("a"));
        QCOMPARE(WaitForSingleObject(handle, 0), WAIT_OBJECT_0);
        QVERIFY(FindCloseChangeNotification(handle));
    }

    // A blocking wait ends when another thread makes a change.
    void waitWakesOnChange() {
        QTemporaryDir dir;
        const HANDLE handle = FindFirstChangeNotificationA(dir.path().toUtf8().constData(), FALSE,
                                                           FILE_NOTIFY_CHANGE_FILE_NAME);
        QVERIFY(handle != INVALID_HANDLE_VALUE);
        std::thread writer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            Touch(dir.filePath("late"));
        });
        const DWORD result = WaitForSingleObject(handle, INFINITE);
        writer.join();
        QCOMPARE(result, WAIT_OBJECT_0);
        QVERIFY(FindCloseChangeNotification(handle));
    }

    void failures_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<BOOL>("subtree");
        QTest::addColumn<DWORD>("filter");
        QTest::addColumn<int>("error");
        const DWORD names = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
        QTest::newRow("missing directory")
            << "missing" << FALSE << names << int(ERROR_PATH_NOT_FOUND);
        QTest::newRow("regular file") << "file" << FALSE << names << int(ERROR_PATH_NOT_FOUND);
        QTest::newRow("empty path") << "" << FALSE << names << int(ERROR_PATH_NOT_FOUND);
        QTest::newRow("sub-tree watch") << "." << TRUE << names << int(ERROR_NOT_SUPPORTED);
        QTest::newRow("no filter") << "." << FALSE << DWORD(0) << int(ERROR_INVALID_PARAMETER);
        QTest::newRow("unknown filter bit")
            << "." << FALSE << DWORD(0x100) << int(ERROR_INVALID_PARAMETER);
    }

    void failures() {
        QFETCH(QString, path);
        QFETCH(BOOL, subtree);
        QFETCH(DWORD, filter);
        QFETCH(int, error);
        QTemporaryDir dir;
        Touch(dir.filePath("file"));
        const QString full = path.isEmpty() ? QString() : dir.filePath(path);
        SetLastError(0);
        QCOMPARE(FindFirstChangeNotificationA(full.toUtf8().constData(), subtree, filter),
                 INVALID_HANDLE_VALUE);
        QCOMPARE(GetLastError(), DWORD(error));
    }

    // Closed and made-up handles are recognised, not dereferenced.
    void staleHandles() {
        QTemporaryDir dir;
        const HANDLE handle = FindFirstChangeNotificationA(dir.path().toUtf8().constData(), FALSE,
                                                           FILE_NOTIFY_CHANGE_FILE_NAME);
        QVERIFY(FindCloseChangeNotification(handle));
        for (HANDLE h : {handle, INVALID_HANDLE_VALUE, HANDLE(nullptr), HANDLE(0x12345678)}) {
            QCOMPARE(WaitForSingleObject(h, 0), WAIT_FAILED);
            QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
            QVERIFY(!FindNextChangeNotification(h));
            QVERIFY(!FindCloseChangeNotification(h));
            QVERIFY(!CloseHandle(h));
        }
    }
};

QTEST_GUILESS_MAIN(TestChangeNotify)
#include "tst_ChangeNotify.moc"
