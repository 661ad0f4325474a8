// Content rules and ambient properties without an engine: which document rules a zone answer and
// the download-control word give, which requests and frames are let through.

#include "FakeHost.h"

#include "platform/engine/AmbientProperties.h"
#include "platform/engine/ContentRules.h"

#include <QtTest>

using namespace engine;

Q_DECLARE_METATYPE(engine::RequestKind)

namespace {

// Allows everything except the listed actions.
UrlActionCheck Denying(QSet<DWORD> denied) {
    return [denied](const QUrl &, DWORD action) { return !denied.contains(action); };
}

// An ambient dispatch answering one property with a fixed value.
class OneAmbient final : public DispatchObject<IDispatch> {
public:
    OneAmbient(DISPID id, Variant value) : m_id(id), m_value(std::move(value)) {}
    HRESULT GetIDsOfNames(REFIID, const LPCSTR *, UINT, LCID, DISPID *) override {
        return E_NOTIMPL;
    }
    HRESULT Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS *, Variant *result, EXCEPINFO *,
                   UINT *) override {
        if (member != m_id)
            return DISP_E_MEMBERNOTFOUND;
        *result = m_value;
        return S_OK;
    }

private:
    DISPID m_id;
    Variant m_value;
};

} // namespace

class TestContentRules final : public QObject {
    Q_OBJECT
private slots:
    void documentRules_data();
    void documentRules();
    void requests_data();
    void requests();
    void subframes_data();
    void subframes();
    void clientPull_data();
    void clientPull();
    void ambientProperties_data();
    void ambientProperties();
};

void TestContentRules::documentRules_data() {
    QTest::addColumn<DWORD>("downloadControl");
    QTest::addColumn<QSet<DWORD>>("denied");
    QTest::addColumn<QString>("expected"); // rules that are on, in a fixed order

    const QSet<DWORD> none;
    QTest::newRow("defaults allow all")
        << DLCTL_DEFAULT << none
        << u"scripts images media objects java fonts subframes cookies third-party-cookies"_qs;
    QTest::newRow("no download-control word: no images or media")
        << DWORD(0) << none
        << u"scripts objects java fonts subframes cookies third-party-cookies"_qs;
    QTest::newRow("zone refuses script")
        << DLCTL_DEFAULT << QSet<DWORD>{URLACTION_SCRIPT_RUN}
        << u"images media objects java fonts subframes cookies third-party-cookies"_qs;
    QTest::newRow("host refuses script")
        << (DLCTL_DEFAULT | DLCTL_NO_SCRIPTS) << none
        << u"images media objects java fonts subframes cookies third-party-cookies"_qs;
    QTest::newRow("zone refuses objects, fonts, frames")
        << DLCTL_DEFAULT
        << QSet<DWORD>{URLACTION_ACTIVEX_RUN, URLACTION_HTML_FONT_DOWNLOAD,
                       URLACTION_HTML_SUBFRAME_NAVIGATE}
        << u"scripts images media java cookies third-party-cookies"_qs;
    QTest::newRow("host refuses controls, java, frames")
        << (DLCTL_DEFAULT | DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_JAVA | DLCTL_NO_FRAMEDOWNLOAD)
        << none << u"scripts images media fonts cookies third-party-cookies"_qs;
    QTest::newRow("zone refuses cookies")
        << DLCTL_DEFAULT << QSet<DWORD>{URLACTION_COOKIES, URLACTION_COOKIES_THIRD_PARTY}
        << u"scripts images media objects java fonts subframes"_qs;
    QTest::newRow("zone refuses third-party cookies only")
        << DLCTL_DEFAULT << QSet<DWORD>{URLACTION_COOKIES_THIRD_PARTY}
        << u"scripts images media objects java fonts subframes cookies"_qs;
    QTest::newRow("java prohibited by zone")
        << DLCTL_DEFAULT << QSet<DWORD>{URLACTION_JAVA_PERMISSIONS}
        << u"scripts images media objects fonts subframes cookies third-party-cookies"_qs;
}

void TestContentRules::documentRules() {
    QFETCH(DWORD, downloadControl);
    QFETCH(QSet<DWORD>, denied);
    QFETCH(QString, expected);
    const DocumentRules r =
        DecideDocumentRules(QUrl(u"http://example.com/"_qs), downloadControl, Denying(denied));
    QStringList on;
    const std::pair<bool, const char *> flags[] = {{r.scripts, "scripts"},
                                                   {r.images, "images"},
                                                   {r.media, "media"},
                                                   {r.objects, "objects"},
                                                   {r.java, "java"},
                                                   {r.fonts, "fonts"},
                                                   {r.subframes, "subframes"},
                                                   {r.cookies, "cookies"},
                                                   {r.thirdPartyCookies, "third-party-cookies"}};
    for (const auto &[value, name] : flags) {
        if (value)
            on << QString::fromLatin1(name);
    }
    QCOMPARE(on.join(u' '), expected);
}

void TestContentRules::requests_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<engine::RequestKind>("kind");
    QTest::addColumn<QSet<DWORD>>("denied");
    QTest::addColumn<bool>("offline");
    QTest::addColumn<int>("block"); // -1: let through, else the reported action

    const QSet<DWORD> none;
    const QString remote = u"http://127.0.0.1:8080/x"_qs;
    const QString local = u"file:///srv/site/x"_qs;
    QTest::newRow("online image") << remote << RequestKind::Image << none << false << -1;
    QTest::newRow("offline: network page") << remote << RequestKind::MainFrame << none << true << 0;
    QTest::newRow("offline: secure socket")
        << u"wss://h/x"_qs << RequestKind::Other << none << true << 0;
    QTest::newRow("offline: local file still loads")
        << local << RequestKind::Image << none << true << -1;
    QTest::newRow("script, zone refuses")
        << local << RequestKind::Script << QSet<DWORD>{URLACTION_SCRIPT_RUN} << false
        << int(URLACTION_SCRIPT_RUN);
    QTest::newRow("object, zone refuses")
        << local << RequestKind::Object << QSet<DWORD>{URLACTION_ACTIVEX_RUN} << false
        << int(URLACTION_ACTIVEX_RUN);
    QTest::newRow("applet, java prohibited")
        << u"file:///srv/A.class"_qs << RequestKind::Object
        << QSet<DWORD>{URLACTION_JAVA_PERMISSIONS} << false << int(URLACTION_JAVA_PERMISSIONS);
    QTest::newRow("other object, java prohibited")
        << u"file:///srv/m.swf"_qs << RequestKind::Object << QSet<DWORD>{URLACTION_JAVA_PERMISSIONS}
        << false << -1;
    QTest::newRow("font, zone refuses")
        << local << RequestKind::Font << QSet<DWORD>{URLACTION_HTML_FONT_DOWNLOAD} << false
        << int(URLACTION_HTML_FONT_DOWNLOAD);
    QTest::newRow("style sheet, everything refused")
        << local << RequestKind::Other
        << QSet<DWORD>{URLACTION_SCRIPT_RUN, URLACTION_ACTIVEX_RUN, URLACTION_HTML_FONT_DOWNLOAD}
        << false << -1;
}

void TestContentRules::requests() {
    QFETCH(QString, url);
    QFETCH(engine::RequestKind, kind);
    QFETCH(QSet<DWORD>, denied);
    QFETCH(bool, offline);
    QFETCH(int, block);
    const DocumentRules rules =
        DecideDocumentRules(QUrl(u"file:///srv/site/page.html"_qs), DLCTL_DEFAULT, Denying(denied));
    const std::optional<Block> result = CheckRequest({QUrl(url), kind}, rules, offline);
    QCOMPARE(result.has_value(), block >= 0);
    if (result)
        QCOMPARE(int(result->action), block);
}

void TestContentRules::subframes_data() {
    QTest::addColumn<DWORD>("downloadControl");
    QTest::addColumn<QSet<DWORD>>("pageDenied");
    QTest::addColumn<QSet<DWORD>>("frameDenied");
    QTest::addColumn<int>("block");
    const QSet<DWORD> none;
    QTest::newRow("both allow all") << DLCTL_DEFAULT << none << none << -1;
    QTest::newRow("frame refuses script")
        << DLCTL_DEFAULT << none << QSet<DWORD>{URLACTION_SCRIPT_RUN} << int(URLACTION_SCRIPT_RUN);
    QTest::newRow("page without script: frame is not looser")
        << (DLCTL_DEFAULT | DLCTL_NO_SCRIPTS) << none << QSet<DWORD>{URLACTION_SCRIPT_RUN} << -1;
    // Every rule of the frame's zone counts, not scripts only.
    QTest::newRow("frame refuses fonts")
        << DLCTL_DEFAULT << none << QSet<DWORD>{URLACTION_HTML_FONT_DOWNLOAD}
        << int(URLACTION_HTML_FONT_DOWNLOAD);
    QTest::newRow("frame refuses frames of its own")
        << DLCTL_DEFAULT << none << QSet<DWORD>{URLACTION_HTML_SUBFRAME_NAVIGATE}
        << int(URLACTION_HTML_SUBFRAME_NAVIGATE);
    QTest::newRow("frame refuses objects")
        << DLCTL_DEFAULT << none << QSet<DWORD>{URLACTION_ACTIVEX_RUN}
        << int(URLACTION_ACTIVEX_RUN);
    QTest::newRow("frame prohibits java")
        << DLCTL_DEFAULT << none << QSet<DWORD>{URLACTION_JAVA_PERMISSIONS}
        << int(URLACTION_JAVA_PERMISSIONS);
    QTest::newRow("frame refuses session cookies")
        << DLCTL_DEFAULT << none << QSet<DWORD>{URLACTION_COOKIES_SESSION}
        << int(URLACTION_COOKIES_SESSION);
    QTest::newRow("page refuses the same as the frame")
        << DLCTL_DEFAULT << QSet<DWORD>{URLACTION_HTML_FONT_DOWNLOAD, URLACTION_SCRIPT_RUN}
        << QSet<DWORD>{URLACTION_HTML_FONT_DOWNLOAD, URLACTION_SCRIPT_RUN} << -1;
    QTest::newRow("page may not have frames")
        << DLCTL_DEFAULT << QSet<DWORD>{URLACTION_HTML_SUBFRAME_NAVIGATE} << none
        << int(URLACTION_HTML_SUBFRAME_NAVIGATE);
    QTest::newRow("no frame download") << (DLCTL_DEFAULT | DLCTL_NO_FRAMEDOWNLOAD) << none << none
                                       << int(URLACTION_HTML_SUBFRAME_NAVIGATE);
}

void TestContentRules::subframes() {
    QFETCH(DWORD, downloadControl);
    QFETCH(QSet<DWORD>, pageDenied);
    QFETCH(QSet<DWORD>, frameDenied);
    QFETCH(int, block);
    const QUrl url(u"http://example.com/"_qs);
    const DocumentRules page = DecideDocumentRules(url, downloadControl, Denying(pageDenied));
    const DocumentRules frame = DecideDocumentRules(url, downloadControl, Denying(frameDenied));
    const std::optional<DWORD> result = CheckSubframe(page, frame);
    QCOMPARE(result.has_value(), block >= 0);
    if (result)
        QCOMPARE(int(*result), block);
}

void TestContentRules::clientPull_data() {
    QTest::addColumn<DWORD>("downloadControl");
    QTest::addColumn<bool>("zoneAllows");
    QTest::addColumn<bool>("pulls");
    QTest::newRow("allowed") << DLCTL_DEFAULT << true << true;
    QTest::newRow("zone refuses meta refresh") << DLCTL_DEFAULT << false << false;
    QTest::newRow("host refuses client pull")
        << (DLCTL_DEFAULT | DLCTL_NO_CLIENTPULL) << true << false;
}

void TestContentRules::clientPull() {
    QFETCH(DWORD, downloadControl);
    QFETCH(bool, zoneAllows);
    QFETCH(bool, pulls);
    const QUrl document(u"http://example.com/"_qs);
    const UrlActionCheck allowed = [&](const QUrl &url, DWORD action) {
        return url == document && action == URLACTION_HTML_META_REFRESH && zoneAllows;
    };
    const std::optional<DWORD> block = CheckClientPull(document, downloadControl, allowed);
    QCOMPARE(block.has_value(), !pulls);
    if (block)
        QCOMPARE(*block, URLACTION_HTML_META_REFRESH);
}

void TestContentRules::ambientProperties_data() {
    QTest::addColumn<int>("dispid");
    QTest::addColumn<Variant>("value");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<DWORD>("downloadControl");
    QTest::addColumn<QString>("userAgent");

    QTest::newRow("flag word") << int(DISPID_AMBIENT_DLCONTROL) << Variant(LONG(DLCTL_DLIMAGES))
                               << true << DLCTL_DLIMAGES << QString();
    QTest::newRow("flag word with the high bit, as VT_I4")
        << int(DISPID_AMBIENT_DLCONTROL)
        << Variant(static_cast<LONG>(DLCTL_OFFLINEIFNOTCONNECTED | DLCTL_NO_SCRIPTS)) << true
        << (DLCTL_OFFLINEIFNOTCONNECTED | DLCTL_NO_SCRIPTS) << QString();
    QTest::newRow("flag word of the wrong type keeps the default")
        << int(DISPID_AMBIENT_DLCONTROL) << Variant("16") << false << DLCTL_DEFAULT << QString();
    QTest::newRow("user agent") << int(DISPID_AMBIENT_USERAGENT) << Variant("Agent/2") << true
                                << DLCTL_DEFAULT << u"Agent/2"_qs;
    QTest::newRow("host without the property")
        << int(DISPID_AMBIENT_SILENT) << Variant(true) << false << DLCTL_DEFAULT << QString();
}

void TestContentRules::ambientProperties() {
    QFETCH(int, dispid);
    QFETCH(Variant, value);
    QFETCH(bool, taken);
    QFETCH(DWORD, downloadControl);
    QFETCH(QString, userAgent);
    // The host answers `dispid`; the control asks for the property the row is about.
    const ComPtr<OneAmbient> host = MakeComObject<OneAmbient>(dispid, value);
    const DISPID asked = dispid == DISPID_AMBIENT_SILENT ? DISPID_AMBIENT_DLCONTROL : dispid;
    AmbientProperties properties;
    QCOMPARE(ReadAmbientProperty(host.Get(), asked, properties), taken);
    QCOMPARE(properties.downloadControl, downloadControl);
    QCOMPARE(properties.userAgent, userAgent);
    QVERIFY(!ReadAmbientProperty(nullptr, asked, properties));
}

QTEST_APPLESS_MAIN(TestContentRules)
#include "tst_ContentRules.moc"
