// The history's choice of an entry from its menu.

#include "app/VisitHistory.h"

#include <QtTest>

class TestVisitHistory final : public QObject {
    Q_OBJECT
private slots:
    void choose_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<int>("historyPos");
        QTest::newRow("first") << 0 << true << 0;
        QTest::newRow("last") << 2 << true << 2;
        QTest::newRow("past the end") << 3 << false << 2;
        QTest::newRow("negative") << -1 << false << 2;
    }
    void choose() {
        QFETCH(int, index);
        QFETCH(bool, taken);
        QFETCH(int, historyPos);
        TVisitHistory visits;
        QVERIFY(!visits.Choose(0)); // empty
        QCOMPARE(visits.HistoryPos(), -1);
        for (const QString &url : {u"a"_qs, u"b"_qs, u"c"_qs})
            visits.Record(url);
        QCOMPARE(visits.Choose(index), taken);
        QCOMPARE(visits.HistoryPos(), historyPos);
        QCOMPARE(visits.History().size(), 3);
    }
};

QTEST_MAIN(TestVisitHistory)
#include "tst_VisitHistory.moc"
