// TDirChangeChecker: one answer for many changes, what counts as a change, and re-pointing.

#include "util/utility.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void Touch(const QString &path, const QByteArray &content = {}) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(content) < 0)
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

class TestDirChangeChecker final : public QObject {
    Q_OBJECT

private slots:
    void threeFilesReportedOnce() {
        QTemporaryDir dir;
        TDirChangeChecker checker;
        checker.SetDirectory(dir.path().toStdString());
        QVERIFY(!checker.HasChanged());
        for (const char *name : {"a.url", "b.url", "c.url"})
            Touch(dir.filePath(name));
        QVERIFY(checker.HasChanged());
        QVERIFY(!checker.HasChanged());
    }

    void contentChangeNotReported() {
        QTemporaryDir dir;
        Touch(dir.filePath("link.url"), "[InternetShortcut]\n");
        TDirChangeChecker checker;
        checker.SetDirectory(dir.path().toStdString());
        Touch(dir.filePath("link.url"), "URL=http://example.com/\n");
        QVERIFY(!checker.HasChanged());
        QFile::rename(dir.filePath("link.url"), dir.filePath("renamed.url"));
        QVERIFY(checker.HasChanged());
    }

    // The same path again keeps the notification, and with it a change not yet asked about.
    void samePathKeepsNotification() {
        QTemporaryDir dir;
        TDirChangeChecker checker;
        checker.SetDirectory(dir.path().toStdString());
        const HANDLE handle = checker.ChangeHandle();
        QVERIFY(handle != INVALID_HANDLE_VALUE);
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        checker.SetDirectory(dir.path().toStdString());
        QCOMPARE(checker.ChangeHandle(), handle);
        QVERIFY(checker.HasChanged());
    }

    // Another path moves the watch: the old directory is no longer reported.
    void otherPathMovesWatch() {
        QTemporaryDir first;
        QTemporaryDir second;
        TDirChangeChecker checker;
        checker.SetDirectory(first.path().toStdString());
        checker.SetDirectory(second.path().toStdString());
        QCOMPARE(checker.Directory(), second.path().toStdString());
        Touch(first.filePath("old"));
        QVERIFY(!checker.HasChanged());
        Touch(second.filePath("new"));
        QVERIFY(checker.HasChanged());
    }

    void unwatchable_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing directory") << "/nonexistent/quillmere/favorites";
        QTest::newRow("empty path") << "";
    }

    void unwatchable() {
        QFETCH(QString, path);
        TDirChangeChecker checker;
        QVERIFY(!checker.HasChanged());
        checker.SetDirectory(path.toStdString());
        QCOMPARE(checker.Directory(), path.toStdString());
        QCOMPARE(checker.ChangeHandle(), INVALID_HANDLE_VALUE);
        QVERIFY(!checker.HasChanged());
    }
};

QTEST_GUILESS_MAIN(TestDirChangeChecker)
#include "tst_DirChangeChecker.moc"
