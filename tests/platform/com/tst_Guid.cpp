#include "platform/com/Guid.h"
#include "platform/com/KnownGuids.h"

#include <QtTest>

Q_DECLARE_METATYPE(GUID)

class TestGuid final : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void roundTripsKnownGuids_data();
    void roundTripsKnownGuids();
};

void TestGuid::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("formatted");

    const QString web = QStringLiteral("{8856F961-340A-11D0-A96B-00C04FD705A2}");
    QTest::newRow("braced upper") << web << true << web;
    QTest::newRow("braced lower") << web.toLower() << true << web;
    QTest::newRow("bare") << QStringLiteral("8856f961-340a-11d0-a96b-00c04fd705a2") << true << web;
    QTest::newRow("null") << QStringLiteral("{00000000-0000-0000-0000-000000000000}") << true
                          << QStringLiteral("{00000000-0000-0000-0000-000000000000}");
    QTest::newRow("all ones") << QStringLiteral("FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF") << true
                              << QStringLiteral("{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}");

    const auto bad = [](const char *name, const char *text) {
        QTest::newRow(name) << QString::fromLatin1(text) << false << QString();
    };
    bad("empty", "");
    bad("opening brace only", "{8856F961-340A-11D0-A96B-00C04FD705A2");
    bad("closing brace only", "8856F961-340A-11D0-A96B-00C04FD705A2}");
    bad("parentheses", "(8856F961-340A-11D0-A96B-00C04FD705A2)");
    bad("one digit short", "{8856F961-340A-11D0-A96B-00C04FD705A}");
    bad("one digit long", "{8856F961-340A-11D0-A96B-00C04FD705A2F}");
    bad("hyphen moved", "{8856F96-1340A-11D0-A96B-00C04FD705A2}");
    bad("no hyphens", "{8856F961340A11D0A96B00C04FD705A2}");
    bad("non-hex letter", "{8856F961-340A-11D0-A96B-00C04FD705G2}");
    bad("sign inside", "{+856F961-340A-11D0-A96B-00C04FD705A2}");
    bad("space inside", "{8856F961-340A-11D0-A96B-00C04FD705 2}");
    bad("leading space", " {8856F961-340A-11D0-A96B-00C04FD705A2}");
    bad("trailing text", "{8856F961-340A-11D0-A96B-00C04FD705A2}x");
}

void TestGuid::parse() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, formatted);

    const std::optional<GUID> guid = ParseGuid(text.toStdString());
    QCOMPARE(guid.has_value(), valid);
    if (valid)
        QCOMPARE(QString::fromStdString(FormatGuid(*guid)), formatted);
}

void TestGuid::roundTripsKnownGuids_data() {
    QTest::addColumn<GUID>("guid");
    QTest::addColumn<QString>("text");
    QTest::newRow("CLSID_WebBrowser")
        << CLSID_WebBrowser << QStringLiteral("{8856F961-340A-11D0-A96B-00C04FD705A2}");
    QTest::newRow("IID_IInternetSecurityManager")
        << IID_IInternetSecurityManager << QStringLiteral("{79EAC9EE-BAF9-11CE-8C82-00AA004BA90B}");
    QTest::newRow("IID_IDispatch")
        << IID_IDispatch << QStringLiteral("{00020400-0000-0000-C000-000000000046}");
    QTest::newRow("CGID_IWebBrowser")
        << CGID_IWebBrowser << QStringLiteral("{ED016940-BD5B-11CF-BA4E-00C04FD70816}");
    QTest::newRow("CGID_MSHTML") << CGID_MSHTML
                                 << QStringLiteral("{DE4BA900-59CA-11CF-9592-444553540000}");
    QTest::newRow("DIID_DWebBrowserEvents2")
        << DIID_DWebBrowserEvents2 << QStringLiteral("{34A715A0-6587-11D0-924A-0020AFC7AC4D}");
}

void TestGuid::roundTripsKnownGuids() {
    QFETCH(GUID, guid);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(FormatGuid(guid)), text);
    const auto parsed = ParseGuid(text.toStdString());
    QVERIFY(parsed);
    QVERIFY(*parsed == guid);
}

QTEST_APPLESS_MAIN(TestGuid)
#include "tst_Guid.moc"
