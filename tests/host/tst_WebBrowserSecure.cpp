// TWebBrowserSecure without loading pages: its interface table, the ambient-property dispatch, the
// handled rules of its events, change-only notification of the engine, the security service and
// the engine version read through the class registration.

#include "HostFixture.h"

#include "platform/com/DispParams.h"
#include "platform/com/KnownGuids.h"
#include "platform/engine/EngineEnvironment.h"
#include "platform/engine/EngineRegistration.h"
#include "platform/registry/RegistryObjects.h"

#include <QApplication>
#include <QScopeGuard>
#include <QtTest>

#include <array>
#include <cstring>

namespace {

// A result no default path produces: shows that the handler's own answer came through.
constexpr HRESULT kHandlerResult = E_ACCESSDENIED;

QString Render(const Variant &value) {
    switch (value.Type()) {
    case VT_BSTR:
        return QString::fromStdString(*value.ToString());
    case VT_I4:
        return QString::number(*value.ToI4());
    case VT_BOOL:
        return *value.ToBool() ? u"true"_qs : u"false"_qs;
    default:
        return QString();
    }
}

Variant GetProperty(IDispatch *object, DISPID member) {
    DISPPARAMS none;
    Variant result;
    if (object->Invoke(member, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result,
                       nullptr, nullptr) != S_OK)
        return Variant();
    return result;
}

void SetEngineServer(const std::string &path) {
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    QVERIFY(registry.OpenKey(
        "Software\\Classes\\CLSID\\" + FormatGuid(CLSID_WebBrowser) + "\\InprocServer32", true));
    registry.WriteString("", path);
}

// Handler rows shared by the events with a handled rule.
void HandledRows() {
    QTest::addColumn<bool>("assigned");
    QTest::addColumn<bool>("claims");
    QTest::newRow("unassigned") << false << false;
    QTest::newRow("assigned, not claiming") << true << false;
    QTest::newRow("assigned, claiming") << true << true;
}

} // namespace

class TestWebBrowserSecure final : public QObject {
    Q_OBJECT
public:
    static void initMain() {
        engine::PrepareEngineEnvironment();
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan)); // a Japanese user
    }

private slots:
    void init() { m_f = std::make_unique<HostFixture>(); }
    void cleanup() { m_f.reset(); }

    void interfaceTable_data();
    void interfaceTable();
    void ambientDispatch_data();
    void ambientDispatch();
    void ambientFontFollowsParentUnlessOwn();
    void notifiesEngineOnlyOnChange_data();
    void notifiesEngineOnlyOnChange();
    void queryService_data();
    void queryService();
    void mapUrlToZone_data();
    void mapUrlToZone();
    void getSecurityId_data();
    void getSecurityId();
    void getSecurityIdLongerThanTheBuffer_data();
    void getSecurityIdLongerThanTheBuffer();
    void processUrlAction_data();
    void processUrlAction();
    void showMessage_data();
    void showMessage();
    void translateAccelerator_data();
    void translateAccelerator();
    void fileDownload_data();
    void fileDownload();
    void fixedHostAnswers();
    void engineVersionFromRegisteredServer();

private:
    TWebBrowserSecure &B() { return *m_f->browser; }

    std::unique_ptr<HostFixture> m_f;
};

// --- Interface table ---------------------------------------------------------------------------

void TestWebBrowserSecure::interfaceTable_data() {
    QTest::addColumn<QString>("iid");
    QTest::addColumn<HRESULT>("expected");
    QTest::addColumn<int>("which"); // index into the control's interfaces, -1 for none
    QTest::newRow("IUnknown is the identity") << FormatGuid(IID_IUnknown).c_str() << S_OK << 0;
    QTest::newRow("IDocHostShowUI") << FormatGuid(IID_IDocHostShowUI).c_str() << S_OK << 0;
    QTest::newRow("IDocHostUIHandler") << FormatGuid(IID_IDocHostUIHandler).c_str() << S_OK << 1;
    QTest::newRow("IDispatch: the ambient dispatch")
        << FormatGuid(IID_IDispatch).c_str() << S_OK << 2;
    QTest::newRow("IInternetSecurityManager")
        << FormatGuid(IID_IInternetSecurityManager).c_str() << S_OK << 3;
    QTest::newRow("IServiceProvider") << FormatGuid(IID_IServiceProvider).c_str() << S_OK << 4;
    QTest::newRow("IShellFolder refused")
        << FormatGuid(IID_IShellFolder).c_str() << E_NOINTERFACE << -1;
    QTest::newRow("IOleCommandTarget not offered")
        << FormatGuid(IID_IOleCommandTarget).c_str() << E_NOINTERFACE << -1;
    QTest::newRow("zone manager not offered")
        << FormatGuid(IID_IInternetZoneManager).c_str() << E_NOINTERFACE << -1;
}

void TestWebBrowserSecure::interfaceTable() {
    QFETCH(QString, iid);
    QFETCH(HRESULT, expected);
    QFETCH(int, which);
    const std::array<void *, 5> interfaces{
        static_cast<IDocHostShowUI *>(&B()), static_cast<IDocHostUIHandler *>(&B()),
        static_cast<IDispatch *>(&B()), static_cast<IInternetSecurityManager *>(&B()),
        static_cast<IServiceProvider *>(&B())};
    void *object = &B(); // must be cleared on refusal
    QCOMPARE(B().QueryInterface(*ParseGuid(iid.toStdString()), &object), expected);
    QCOMPARE(object, which < 0 ? nullptr : interfaces[std::size_t(which)]);
    // Every interface leads back to the same identity.
    if (which >= 0) {
        void *identity = nullptr;
        QCOMPARE(static_cast<IUnknown *>(static_cast<IDispatch *>(&B()))
                     ->QueryInterface(IID_IUnknown, &identity),
                 S_OK);
        QCOMPARE(identity, interfaces[0]);
    }
}

// --- Ambient properties ------------------------------------------------------------------------

void TestWebBrowserSecure::ambientDispatch_data() {
    QTest::addColumn<DISPID>("member");
    QTest::addColumn<WORD>("flags");
    QTest::addColumn<bool>("withResult");
    QTest::addColumn<HRESULT>("expected");
    QTest::addColumn<VARTYPE>("type");
    QTest::addColumn<QString>("value");
    const WORD get = DISPATCH_PROPERTYGET;
    const auto ok = [&](const char *name, DISPID member, VARTYPE type, const QString &value) {
        QTest::newRow(name) << member << get << true << S_OK << type << value;
    };
    const auto none = [&](const char *name, DISPID member, WORD flags, bool withResult) {
        QTest::newRow(name) << member << flags << withResult << DISP_E_MEMBERNOTFOUND << VT_EMPTY
                            << QString();
    };
    ok("user agent", DISPID_AMBIENT_USERAGENT, VT_BSTR, u"Use IE Control Browser 日本"_qs);
    // The high flag bit makes the 32-bit integer negative: passed bit for bit.
    ok("download control", DISPID_AMBIENT_DLCONTROL, VT_I4,
       QString::number(static_cast<LONG>(0x80000090u)));
    ok("offline if not connected", DISPID_AMBIENT_OFFLINEIFNOTCONNECTED, VT_BOOL, u"true"_qs);
    ok("back colour as 00BBGGRR", -701, VT_I4, QString::number(0x563412));
    ok("display name", -702, VT_BSTR, u"WebBrowser1"_qs);
    ok("fore colour as 00BBGGRR", -704, VT_I4, QString::number(0xEFCDAB));
    ok("locale", -705, VT_I4, QString::number(0x0411));
    ok("message reflect", -706, VT_BOOL, u"true"_qs);
    ok("user mode", -709, VT_BOOL, u"true"_qs);
    ok("UI dead", -710, VT_BOOL, u"false"_qs);
    ok("show grab handles", -711, VT_BOOL, u"false"_qs);
    ok("show hatching", -712, VT_BOOL, u"false"_qs);
    ok("supports mnemonics", -714, VT_BOOL, u"true"_qs);
    ok("auto clip", -715, VT_BOOL, u"true"_qs);
    QTest::newRow("get combined with method")
        << DISPID_AMBIENT_USERAGENT << WORD(DISPATCH_PROPERTYGET | DISPATCH_METHOD) << true << S_OK
        << VT_BSTR << u"Use IE Control Browser 日本"_qs;
    none("scale units not offered", -707, get, true);
    none("silent not offered", DISPID_AMBIENT_SILENT, get, true);
    none("DISPID 0", DISPID_VALUE, get, true);
    none("user agent as a method call", DISPID_AMBIENT_USERAGENT, DISPATCH_METHOD, true);
    none("download control put", DISPID_AMBIENT_DLCONTROL, DISPATCH_PROPERTYPUT, true);
    none("user agent without result", DISPID_AMBIENT_USERAGENT, get, false);
    none("download control without result", DISPID_AMBIENT_DLCONTROL, get, false);
    none("offline without result", DISPID_AMBIENT_OFFLINEIFNOTCONNECTED, get, false);
}

void TestWebBrowserSecure::ambientDispatch() {
    QFETCH(DISPID, member);
    QFETCH(WORD, flags);
    QFETCH(bool, withResult);
    QFETCH(HRESULT, expected);
    QFETCH(VARTYPE, type);
    QFETCH(QString, value);
    B().SetUserAgent(u"Use IE Control Browser 日本"_qs);
    B().SetDownLoadControl2(0x80000090u);
    QPalette palette = B().palette();
    palette.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    palette.setColor(QPalette::WindowText, QColor(0xAB, 0xCD, 0xEF));
    B().setPalette(palette);

    DispArgs put = DispArgs::PropertyPut(Variant(LONG(0)));
    DISPPARAMS none;
    DISPPARAMS *params = (flags & DISPATCH_PROPERTYPUT) ? put.Params() : &none;
    Variant result;
    QCOMPARE(B().Invoke(member, GUID_NULL, LOCALE_USER_DEFAULT, flags, params,
                        withResult ? &result : nullptr, nullptr, nullptr),
             expected);
    QCOMPARE(result.Type(), type);
    QCOMPARE(Render(result), value);
}

void TestWebBrowserSecure::ambientFontFollowsParentUnlessOwn() {
    QWidget panel;
    QFont panelFont(u"Noto Sans CJK JP"_qs, 13);
    panelFont.setBold(true);
    panel.setFont(panelFont);
    B().setParent(&panel);
    const auto unparent = qScopeGuard([&] { B().setParent(nullptr); });

    const auto fontProperty = [&](DISPID member) {
        const Variant font = GetProperty(&B(), -703);
        return font.Dispatch() ? Render(GetProperty(font.Dispatch(), member)) : u"<none>"_qs;
    };
    QCOMPARE(fontProperty(0), u"Noto Sans CJK JP"_qs);
    QCOMPARE(fontProperty(2), u"13"_qs);
    QCOMPARE(fontProperty(3), u"true"_qs);

    B().setFont(QFont(u"Serif"_qs, 9));
    QCOMPARE(fontProperty(0), u"Serif"_qs);
    QCOMPARE(fontProperty(2), u"9"_qs);
    QCOMPARE(fontProperty(3), u"true"_qs); // what the own font leaves open comes from the panel
    QFont own(u"Serif"_qs, 9);
    own.setBold(false);
    B().setFont(own);
    QCOMPARE(fontProperty(3), u"false"_qs);
}

void TestWebBrowserSecure::notifiesEngineOnlyOnChange_data() {
    QTest::addColumn<bool>("userAgent"); // else the download-control word
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<int>("notifications");
    QTest::newRow("agent: empty as at creation") << true << QStringList{u""_qs} << 0;
    QTest::newRow("agent: set, same again, other case")
        << true << QStringList{u"Agent"_qs, u"Agent"_qs, u"agent"_qs} << 2;
    QTest::newRow("agent: back to empty") << true << QStringList{u"A"_qs, u""_qs} << 2;
    QTest::newRow("flags: 0 as at creation") << false << QStringList{u"0"_qs} << 0;
    QTest::newRow("flags: set, same again, one more bit")
        << false << QStringList{u"16"_qs, u"16"_qs, u"144"_qs} << 2;
    QTest::newRow("flags: high bit") << false << QStringList{u"2147483648"_qs} << 1;
}

void TestWebBrowserSecure::notifiesEngineOnlyOnChange() {
    QFETCH(bool, userAgent);
    QFETCH(QStringList, values);
    QFETCH(int, notifications);
    const ComPtr<CountingSite> site = MakeComObject<CountingSite>(&B());
    B().SetClientSite(static_cast<IDispatch *>(site.Get()));
    site->reads.clear();
    const DISPID member = userAgent ? DISPID_AMBIENT_USERAGENT : DISPID_AMBIENT_DLCONTROL;
    for (const QString &value : values) {
        if (userAgent)
            B().SetUserAgent(value);
        else
            B().SetDownLoadControl2(value.toUInt());
    }
    QCOMPARE(site->reads.value(member), notifications);
    QCOMPARE(site->reads.size(), notifications ? 1 : 0); // no other property was re-read
    // The engine holds the last value.
    if (userAgent)
        QCOMPARE(B().Ambient().userAgent, values.last());
    else
        QCOMPARE(B().Ambient().downloadControl, values.last().toUInt());
}

// --- Security manager --------------------------------------------------------------------------

void TestWebBrowserSecure::queryService_data() {
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("iid");
    QTest::addColumn<HRESULT>("expected");
    const QString manager = FormatGuid(IID_IInternetSecurityManager).c_str();
    QTest::newRow("security manager") << manager << manager << S_OK;
    QTest::newRow("security manager as IUnknown")
        << manager << FormatGuid(IID_IUnknown).c_str() << E_NOINTERFACE;
    QTest::newRow("security manager as IDispatch")
        << manager << FormatGuid(IID_IDispatch).c_str() << E_NOINTERFACE;
    QTest::newRow("other service asking for the manager")
        << FormatGuid(IID_IDocHostUIHandler).c_str() << manager << E_NOINTERFACE;
    QTest::newRow("zone manager") << FormatGuid(IID_IInternetZoneManager).c_str()
                                  << FormatGuid(IID_IInternetZoneManager).c_str() << E_NOINTERFACE;
}

void TestWebBrowserSecure::queryService() {
    QFETCH(QString, service);
    QFETCH(QString, iid);
    QFETCH(HRESULT, expected);
    void *object = &B();
    QCOMPARE(
        B().QueryService(*ParseGuid(service.toStdString()), *ParseGuid(iid.toStdString()), &object),
        expected);
    QCOMPARE(object, expected == S_OK ? static_cast<IInternetSecurityManager *>(&B()) : nullptr);
}

void TestWebBrowserSecure::mapUrlToZone_data() {
    HandledRows();
}

void TestWebBrowserSecure::mapUrlToZone() {
    QFETCH(bool, assigned);
    QFETCH(bool, claims);
    QString seenUrl;
    DWORD seenFlags = 0;
    TWebBrowserSecure *seenSender = nullptr;
    if (assigned) {
        B().OnMapUrlToZone = [&](TWebBrowserSecure *sender, LPCWSTR url, DWORD &zone, DWORD flags,
                                 bool &handled) -> HRESULT {
            seenSender = sender;
            seenUrl = QString::fromUtf16(url);
            seenFlags = flags;
            zone = URLZONE_TRUSTED;
            handled = claims;
            return kHandlerResult;
        };
    }
    DWORD zone = 77;
    const std::u16string url = u"file:///home/user/Html/例.jp/index.html";
    const HRESULT hr = B().MapUrlToZone(url.c_str(), &zone, 0x2);
    QCOMPARE(hr, claims ? kHandlerResult : INET_E_DEFAULT_ACTION);
    // A zone written without claiming still stands in the engine's variable.
    QCOMPARE(zone, assigned ? URLZONE_TRUSTED : 77u);
    QCOMPARE(seenUrl, assigned ? QString::fromStdU16String(url) : QString());
    QCOMPARE(seenFlags, assigned ? 0x2u : 0u);
    QCOMPARE(seenSender, assigned ? &B() : nullptr);
    QCOMPARE(B().MapUrlToZone(url.c_str(), nullptr, 0), INET_E_DEFAULT_ACTION);
}

void TestWebBrowserSecure::getSecurityId_data() {
    HandledRows();
}

void TestWebBrowserSecure::getSecurityId() {
    QFETCH(bool, assigned);
    QFETCH(bool, claims);
    std::array<BYTE, 512> buffer{};
    DWORD sizeSeen = 0;
    BYTE *bufferSeen = nullptr;
    if (assigned) {
        B().OnGetSecurityId = [&](TWebBrowserSecure *, LPCWSTR, BYTE *id, DWORD &size, DWORD_PTR,
                                  bool &handled) -> HRESULT {
            bufferSeen = id;
            sizeSeen = size;
            std::memcpy(id, "http:a\3\0\0\0", 10);
            size = 10;
            handled = claims;
            return kHandlerResult;
        };
    }
    DWORD size = DWORD(buffer.size());
    const HRESULT hr = B().GetSecurityId(u"http://a/", buffer.data(), &size, 0);
    QCOMPARE(hr, claims ? kHandlerResult : INET_E_DEFAULT_ACTION);
    QCOMPARE(sizeSeen, assigned ? 512u : 0u);
    QCOMPARE(bufferSeen, assigned ? buffer.data() : nullptr); // the engine's own buffer
    // The size changes only when the handler claims the call.
    QCOMPARE(size, claims ? 10u : 512u);
    QCOMPARE(B().GetSecurityId(u"http://a/", buffer.data(), nullptr, 0), INET_E_DEFAULT_ACTION);
}

void TestWebBrowserSecure::getSecurityIdLongerThanTheBuffer_data() {
    QTest::addColumn<HRESULT>("handlerResult");
    QTest::addColumn<HRESULT>("expected");
    QTest::newRow("claimed success") << S_OK << HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    QTest::newRow("claimed failure stays") << E_FAIL << E_FAIL;
}

void TestWebBrowserSecure::getSecurityIdLongerThanTheBuffer() {
    QFETCH(HRESULT, handlerResult);
    QFETCH(HRESULT, expected);
    // A handler that reports more bytes than the engine's buffer holds.
    B().OnGetSecurityId = [&](TWebBrowserSecure *, LPCWSTR, BYTE *, DWORD &size, DWORD_PTR,
                              bool &handled) {
        size = 40;
        handled = true;
        return handlerResult;
    };
    std::array<BYTE, 8> buffer{};
    DWORD size = DWORD(buffer.size());
    QCOMPARE(B().GetSecurityId(u"http://www.example.jp/", buffer.data(), &size, 0), expected);
    QCOMPARE(size, 40u); // the length the identifier needs
}

void TestWebBrowserSecure::processUrlAction_data() {
    QTest::addColumn<bool>("assigned");
    QTest::addColumn<bool>("claims");
    QTest::addColumn<DWORD>("policySize");
    QTest::addColumn<HRESULT>("expected");
    QTest::addColumn<bool>("raised");
    QTest::addColumn<DWORD>("flags");
    for (DWORD size : {0u, 1u, 2u, 3u})
        QTest::addRow("policy of %u bytes", unsigned(size))
            << true << true << size << S_FALSE << false << 0x41u;
    QTest::newRow("unassigned") << false << false << 4u << INET_E_DEFAULT_ACTION << false << 0x41u;
    QTest::newRow("assigned, not claiming")
        << true << false << 4u << INET_E_DEFAULT_ACTION << true << 0x41u;
    QTest::newRow("assigned, claiming") << true << true << 4u << kHandlerResult << true << 0x41u;
    QTest::newRow("claiming, larger policy buffer")
        << true << true << 16u << kHandlerResult << true << 0x41u;
    // Only content the page met reaches the handler; the default manager decides the rest.
    QTest::newRow("decision before the document loads")
        << true << true << 4u << INET_E_DEFAULT_ACTION << false << (PUAF_PRELOAD | 0x41u);
}

void TestWebBrowserSecure::processUrlAction() {
    QFETCH(bool, assigned);
    QFETCH(bool, claims);
    QFETCH(DWORD, policySize);
    QFETCH(HRESULT, expected);
    QFETCH(bool, raised);
    QFETCH(DWORD, flags);
    std::array<BYTE, 16> policy{};
    BYTE context[16] = {};
    bool wasRaised = false;
    QStringList seen; // the arguments as the handler saw them
    if (assigned) {
        B().OnProcessUrlAction = [&](TWebBrowserSecure *, const QString &url, DWORD action,
                                     BYTE *pPolicy, DWORD cbPolicy, BYTE *pContext, DWORD cbContext,
                                     DWORD flags, DWORD reserved, bool &handled) -> HRESULT {
            wasRaised = true;
            seen << url << QString::number(action, 16) << QString::number(cbPolicy)
                 << QString::number(cbContext, 16) << QString::number(flags, 16)
                 << QString::number(reserved);
            seen << QString::number(pPolicy == policy.data())
                 << QString::number(pContext == context);
            pPolicy[0] = 3; // URLPOLICY_DISALLOW
            handled = claims;
            return kHandlerResult;
        };
    }
    const HRESULT hr = B().ProcessUrlAction(u"http://例え.jp/a?b=ü", URLACTION_SCRIPT_RUN,
                                            policy.data(), policySize, context, 16, flags, 0);
    QCOMPARE(hr, expected);
    QCOMPARE(wasRaised, raised);
    if (raised)
        QCOMPARE(seen,
                 (QStringList{u"http://例え.jp/a?b=ü"_qs, u"1400"_qs, QString::number(policySize),
                              u"10"_qs, u"41"_qs, u"0"_qs, u"1"_qs, u"1"_qs}));
    QCOMPARE(policy[0], BYTE(raised ? 3 : 0));
}

void TestWebBrowserSecure::fixedHostAnswers() {
    // A missing policy buffer counts as one of 0 bytes: the handler never writes through it.
    bool raised = false;
    B().OnProcessUrlAction = [&](TWebBrowserSecure *, const QString &, DWORD, BYTE *, DWORD, BYTE *,
                                 DWORD, DWORD, DWORD, bool &handled) {
        raised = handled = true;
        return S_OK;
    };
    QCOMPARE(B().ProcessUrlAction(u"http://a/", URLACTION_SCRIPT_RUN, nullptr, 4, nullptr, 0, 0, 0),
             S_FALSE);
    QVERIFY(!raised);

    // The security-manager calls that are always left to the default manager.
    auto *site = reinterpret_cast<IInternetSecurityMgrSite *>(&B());
    QCOMPARE(B().SetSecuritySite(site), INET_E_DEFAULT_ACTION);
    QCOMPARE(B().GetSecuritySite(&site), INET_E_DEFAULT_ACTION);
    QCOMPARE(site, nullptr);
    BYTE *custom = nullptr;
    DWORD customSize = 0;
    QCOMPARE(B().QueryCustomPolicy(u"http://a/", GUID_NULL, &custom, &customSize, nullptr, 0, 0),
             INET_E_DEFAULT_ACTION);
    QCOMPARE(custom, nullptr);
    QCOMPARE(B().SetZoneMapping(URLZONE_TRUSTED, u"example.jp", 0), INET_E_DEFAULT_ACTION);
    auto *mappings = reinterpret_cast<IEnumString *>(&B());
    QCOMPARE(B().GetZoneMappings(URLZONE_TRUSTED, &mappings, 0), INET_E_DEFAULT_ACTION);
    QCOMPARE(mappings, nullptr);

    // The host UI answers: the engine keeps its own menus, help, URLs and data objects.
    DOCHOSTUIINFO info;
    info.dwFlags = 0xFFFF;
    QCOMPARE(B().GetHostInfo(&info), E_NOTIMPL);
    QCOMPARE(info.dwFlags, 0u);
    QCOMPARE(info.dwDoubleClick, DOCHOSTUIDBLCLK_SHOWPROPERTIES);
    QCOMPARE(B().ShowContextMenu(0, nullptr, nullptr, nullptr), S_FALSE);
    QCOMPARE(B().ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_FALSE);
    QCOMPARE(B().ShowHelp(nullptr, nullptr, 0, 0, POINT{}, nullptr), S_FALSE);
    QCOMPARE(B().HideUI(), S_OK);
    QCOMPARE(B().ResizeBorder(nullptr, nullptr, TRUE), S_OK);
    auto *key = reinterpret_cast<LPOLESTR>(&B());
    QCOMPARE(B().GetOptionKeyPath(&key, 0), S_OK);
    QCOMPARE(key, nullptr);
    auto *dropTarget = reinterpret_cast<IDropTarget *>(&B());
    QCOMPARE(B().GetDropTarget(nullptr, &dropTarget), S_OK);
    QCOMPARE(dropTarget, nullptr);
    auto *external = static_cast<IDispatch *>(&B());
    QCOMPARE(B().GetExternal(&external), S_FALSE);
    QCOMPARE(external, nullptr);
    char16_t url[] = u"http://a/";
    LPWSTR translated = url;
    QCOMPARE(B().TranslateUrl(0, url, &translated), S_FALSE);
    QCOMPARE(translated, nullptr);
}

// --- Host UI events ----------------------------------------------------------------------------

void TestWebBrowserSecure::showMessage_data() {
    QTest::addColumn<bool>("assigned");
    QTest::addColumn<bool>("claims");
    QTest::addColumn<bool>("withResult"); // the engine passes a result variable
    QTest::newRow("unassigned") << false << false << true;
    QTest::newRow("assigned, not claiming") << true << false << true;
    QTest::newRow("assigned, claiming") << true << true << true;
    QTest::newRow("claiming without a result variable") << true << true << false;
}

void TestWebBrowserSecure::showMessage() {
    QFETCH(bool, assigned);
    QFETCH(bool, claims);
    QFETCH(bool, withResult);
    QStringList seen;
    if (assigned) {
        B().OnShowMessage = [&](TWebBrowserSecure *, HWND window, LPOLESTR text, LPOLESTR caption,
                                DWORD type, LPOLESTR helpFile, DWORD helpContext, LRESULT &result,
                                bool &handled) {
            QVERIFY(!handled);
            QCOMPARE(window, nullptr);
            seen << QString::fromUtf16(text) << QString::fromUtf16(caption) << QString::number(type)
                 << QString::fromUtf16(helpFile) << QString::number(helpContext)
                 << QString::number(result);
            result = IDCANCEL;
            handled = claims;
        };
    }
    char16_t text[] = u"こんにちは";
    char16_t caption[] = u"Web ページからのメッセージ";
    char16_t help[] = u"help.chm";
    LRESULT result = IDOK;
    const HRESULT hr = B().ShowMessage(nullptr, text, caption, MB_OK | MB_ICONWARNING, help, 9,
                                       withResult ? &result : nullptr);
    QCOMPARE(hr, claims ? S_OK : S_FALSE);
    const QStringList all{u"こんにちは"_qs,
                          u"Web ページからのメッセージ"_qs,
                          QString::number(MB_OK | MB_ICONWARNING),
                          u"help.chm"_qs,
                          u"9"_qs,
                          withResult ? QString::number(IDOK) : u"0"_qs};
    QCOMPARE(seen, assigned ? all : QStringList());
    // The handler writes the engine's own result variable.
    QCOMPARE(result, assigned && withResult ? LRESULT(IDCANCEL) : LRESULT(IDOK));
}

void TestWebBrowserSecure::translateAccelerator_data() {
    HandledRows();
}

void TestWebBrowserSecure::translateAccelerator() {
    QFETCH(bool, assigned);
    QFETCH(bool, claims);
    MSG seen;
    GUID seenGroup{1, 2, 3, {}};
    if (assigned) {
        B().OnAccelerator = [&](TWebBrowserSecure *, const MSG &message, const GUID &group,
                                DWORD command, bool &done) {
            QVERIFY(!done);
            seen = message;
            seenGroup = group;
            QCOMPARE(command, 42u);
            done = claims;
        };
    }
    MSG message;
    message.message = WM_KEYDOWN;
    message.wParam = 'D';
    QCOMPARE(B().TranslateAccelerator(&message, &CGID_MSHTML, 42), claims ? S_OK : S_FALSE);
    QCOMPARE(seen.wParam, assigned ? WPARAM('D') : WPARAM(0));
    QVERIFY(!assigned || seenGroup == CGID_MSHTML);
    QCOMPARE(B().TranslateAccelerator(nullptr, &CGID_MSHTML, 42), S_FALSE); // no key to offer
    // Without a command group the handler sees GUID_NULL.
    QCOMPARE(B().TranslateAccelerator(&message, nullptr, 42), claims ? S_OK : S_FALSE);
    QVERIFY(!assigned || seenGroup == GUID_NULL);
}

void TestWebBrowserSecure::fileDownload_data() {
    QTest::addColumn<bool>("assigned");
    QTest::addColumn<bool>("setsCancel");
    QTest::addColumn<bool>("engineCancel"); // the flag as the engine passes it in
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("unassigned") << false << false << false << false;
    QTest::newRow("handler leaves cancel") << true << false << false << false;
    QTest::newRow("handler cancels") << true << true << false << true;
    QTest::newRow("handler clears a set cancel") << true << false << true << false;
}

void TestWebBrowserSecure::fileDownload() {
    QFETCH(bool, assigned);
    QFETCH(bool, setsCancel);
    QFETCH(bool, engineCancel);
    QFETCH(bool, cancelled);
    VARIANT_BOOL seenActive = 7;
    if (assigned) {
        B().OnFileDownload = [&](TWebBrowserSecure *, VARIANT_BOOL &active, VARIANT_BOOL &cancel) {
            seenActive = active;
            cancel = setsCancel ? VARIANT_TRUE : VARIANT_FALSE;
        };
    }
    // What the engine raises for a download.
    bool cancel = engineCancel;
    QVERIFY(static_cast<TWebBrowser &>(B()).OnFileDownload);
    static_cast<TWebBrowser &>(B()).OnFileDownload(&B(), true, cancel);
    QCOMPARE(cancel, assigned ? cancelled : engineCancel);
    QCOMPARE(seenActive, assigned ? VARIANT_TRUE : VARIANT_BOOL(7));
}

// --- Engine version ----------------------------------------------------------------------------

void TestWebBrowserSecure::engineVersionFromRegisteredServer() {
    const DWORD ours = (QM_VERSION_MAJOR << 16) | QM_VERSION_MINOR;
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    // The control registered this executable, which carries the version resource, at creation.
    QCOMPARE(B().GetIEVersion(), ours);
    // Read once: a later change of the registration does not change the cached version.
    SetEngineServer("/nonexistent/engine.so");
    QCOMPARE(B().IEVersion(), ours);

    // A failed lookup gives 0 and is tried again on the next read.
    TWebBrowserSecure other;
    SetEngineServer("/nonexistent/engine.so");
    QCOMPARE(other.GetIEVersion(), 0u);
    SetEngineServer(self);
    QCOMPARE(other.GetIEVersion(), ours);

    // A file without a version resource is not registered in place of a missing server.
    const QString plain = m_f->platformDir.file(u"plain.so"_qs);
    QFile file(plain);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("no version here");
    file.close();
    SetEngineServer("/nonexistent/engine.so");
    QVERIFY(!engine::RegisterEngineClass(plain.toStdString()));
    QCOMPARE(TWebBrowserSecure().GetIEVersion(), ours);        // registered itself at creation
    QVERIFY(engine::RegisterEngineClass(plain.toStdString())); // a working registration stays
    QCOMPARE(TWebBrowserSecure().GetIEVersion(), ours);
}

QTEST_MAIN(TestWebBrowserSecure)
#include "tst_WebBrowserSecure.moc"
