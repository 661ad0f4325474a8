#include "app/FileFilter.h"

#include <QtTest>

class TestFileFilter final : public QObject {
    Q_OBJECT
private slots:
    void conversion_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("open dialog") << u"HTMLファイル|*.htm;*.html;*.shtml"_qs
                                     << QStringList{u"HTMLファイル (*.htm *.html *.shtml)"_qs};
        QTest::newRow("two entries")
            << u"HTML|*.htm|すべて|*.*"_qs << QStringList{u"HTML (*.htm)"_qs, u"すべて (*.*)"_qs};
        QTest::newRow("empty patterns skipped")
            << u"Text|;*.txt;; *.log ;"_qs << QStringList{u"Text (*.txt *.log)"_qs};
        QTest::newRow("description without patterns dropped")
            << u"HTML|*.htm|Broken"_qs << QStringList{u"HTML (*.htm)"_qs};
        QTest::newRow("entry with no patterns dropped")
            << u"Nothing|;;|HTML|*.htm"_qs << QStringList{u"HTML (*.htm)"_qs};
        QTest::newRow("empty") << QString() << QStringList();
    }
    void conversion() {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(QtFileFilters(filter), expected);
    }
};

QTEST_APPLESS_MAIN(TestFileFilter)
#include "tst_FileFilter.moc"
