// Names of the files the control writes, without an engine: a page's title gives a plain name
// inside the folder, whatever it holds, and a reserved name never takes an existing file or
// resource folder.

#include "platform/engine/FileNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

class TestFileNames final : public QObject {
    Q_OBJECT
private slots:
    void pageNameStaysInsideTheFolder_data();
    void pageNameStaysInsideTheFolder();
    void reservedNameSkipsFilesAndResourceFolders_data();
    void reservedNameSkipsFilesAndResourceFolders();
};

void TestFileNames::pageNameStaysInsideTheFolder_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected");
    const QString page = u"http://example.com/dir/"_qs;
    QTest::newRow("plain") << u"News"_qs << page << u"News.html"_qs;
    QTest::newRow("already a web page name") << u"index.HTM"_qs << page << u"index.HTM"_qs;
    QTest::newRow("slashes") << u"a/b\\\\c"_qs << page << u"a_b__c.html"_qs;
    QTest::newRow("climbing out") << u"../../etc/passwd"_qs << page << u"_.._etc_passwd.html"_qs;
    QTest::newRow("dot dot") << u".."_qs << page << u"page.html"_qs;
    QTest::newRow("hidden") << u".profile"_qs << page << u"profile.html"_qs;
    QTest::newRow("empty: the address's file name")
        << QString() << u"http://example.com/a/report.htm"_qs << u"report.htm"_qs;
    QTest::newRow("empty, no file name") << u"   "_qs << page << u"page.html"_qs;
    QTest::newRow("newline and tab") << u"two\nlines\there"_qs << page << u"two_lines_here.html"_qs;
    QTest::newRow("characters a file name cannot hold")
        << u"a:b*c?\"d\"<e>|f"_qs << page << u"a_b_c__d__e__f.html"_qs;
    QTest::newRow("right-to-left override")
        << u"txt\u202Eexe.lmth"_qs << page << u"txt_exe.lmth.html"_qs;
    QTest::newRow("very long") << QString(1000, u'x') << page << QString(235, u'x') + u".html"_qs;
    QTest::newRow("very long in UTF-8")
        << QString(300, QChar(0x65E5)) << page << QString(78, QChar(0x65E5)) + u".html"_qs;
}

void TestFileNames::pageNameStaysInsideTheFolder() {
    QFETCH(QString, title);
    QFETCH(QString, url);
    QFETCH(QString, expected);
    const QString name = engine::PageFileName(title, QUrl(url));
    QCOMPARE(name, expected);
    QVERIFY(name.toUtf8().size() <= 240);
    // Reserved in a folder, the file is a new one directly inside it.
    QTemporaryDir dir;
    const std::optional<QString> path = engine::ReserveUniqueFile(QDir(dir.path()), name);
    QVERIFY(path);
    QCOMPARE(QFileInfo(*path).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{name});
}

void TestFileNames::reservedNameSkipsFilesAndResourceFolders_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("companion");
    QTest::addColumn<QString>("expected");
    const QString files = u"_files"_qs;
    QTest::newRow("free") << QStringList() << QStringList() << files << u"p.html"_qs;
    QTest::newRow("file taken") << QStringList{u"p.html"_qs} << QStringList() << files
                                << u"p (1).html"_qs;
    QTest::newRow("resource folder taken")
        << QStringList() << QStringList{u"p_files"_qs} << files << u"p (1).html"_qs;
    QTest::newRow("both, at different numbers")
        << QStringList{u"p.html"_qs} << QStringList{u"p (1)_files"_qs} << files << u"p (2).html"_qs;
    QTest::newRow("a folder of the file's name")
        << QStringList() << QStringList{u"p.html"_qs} << files << u"p (1).html"_qs;
    QTest::newRow("without a companion, folders do not count")
        << QStringList() << QStringList{u"p_files"_qs} << QString() << u"p.html"_qs;
}

void TestFileNames::reservedNameSkipsFilesAndResourceFolders() {
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QString, companion);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QDir folder(dir.path());
    for (const QString &name : files) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
    }
    for (const QString &name : folders)
        QVERIFY(folder.mkdir(name));
    const std::optional<QString> path = engine::ReserveUniqueFile(folder, u"p.html"_qs, companion);
    QVERIFY(path);
    QCOMPARE(QFileInfo(*path).fileName(), expected);
    for (const QString &name : files) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("kept"));
    }
}

QTEST_MAIN(TestFileNames)
#include "tst_FileNames.moc"
