// UTF-16 <-> UTF-8 of the interfaces' strings: ASCII, text that leaves ASCII anywhere, and text
// that is not valid in its encoding.

#include "platform/urlmon/WideText.h"

#include <QtTest>

class TestWideText final : public QObject {
    Q_OBJECT

private slots:
    void toUtf8_data() {
        QTest::addColumn<QString>("wide");
        QTest::addColumn<QByteArray>("utf8");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("ascii") << "http://a.example/x?y#z" << QByteArray("http://a.example/x?y#z");
        QTest::newRow("non-ascii last") << u"http://a/\u00e9"_qs << QByteArray("http://a/\xc3\xa9");
        QTest::newRow("non-ascii first") << u"\u3042/a"_qs << QByteArray("\xe3\x81\x82/a");
        QTest::newRow("surrogate pair")
            << QString::fromUtf16(u"a\xD83D\xDE00") << QByteArray("a\xf0\x9f\x98\x80");
        QTest::newRow("unpaired surrogate") << QString::fromUtf16(u"a\xD800"
                                                                  "b")
                                            << QByteArray("a?b");
    }
    void toUtf8() {
        QFETCH(QString, wide);
        QFETCH(QByteArray, utf8);
        const std::u16string text = wide.toStdU16String();
        QCOMPARE(QByteArray::fromStdString(urlmon::ToUtf8(text.c_str())), utf8);
    }

    void toUtf16_data() {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QString>("wide");
        QTest::newRow("ascii") << QByteArray("file:///a b") << "file:///a b";
        QTest::newRow("non-ascii last") << QByteArray("a\xc3\xa9") << u"a\u00e9"_qs;
        QTest::newRow("bad byte") << QByteArray("a\xff"
                                                "b")
                                  << u"a\ufffdb"_qs;
        QTest::newRow("cut sequence") << QByteArray("a\xc3") << u"a\ufffd"_qs;
    }
    void toUtf16() {
        QFETCH(QByteArray, utf8);
        QFETCH(QString, wide);
        QCOMPARE(QString::fromStdU16String(urlmon::ToUtf16(utf8.toStdString())), wide);
    }

    void nullIsEmpty() { QCOMPARE(urlmon::ToUtf8(nullptr), std::string()); }
};

QTEST_GUILESS_MAIN(TestWideText)
#include "tst_WideText.moc"
