#include "platform/com/TypeLibrary.h"

#include <QtTest>

namespace {

constexpr IID kBrowserIid{0x33333333, 0, 0, {3, 0, 0, 0, 0, 0, 0, 1}};
constexpr DISPID kNavigate = 104;
constexpr DISPID kOffline = 550;
constexpr DISPID kGoBack = 100;
constexpr DISPID kBeforeQuit = 300;

// A browser-like interface: a method with optional parameters, a read/write property, a
// read-only property and a method with an out parameter.
std::shared_ptr<InterfaceInfo> MakeBrowser() {
    auto info = std::make_shared<InterfaceInfo>("IBrowser", kBrowserIid, "Browser object");
    const bool added =
        info->Add({"Navigate",
                   kNavigate,
                   DISPATCH_METHOD,
                   VT_EMPTY,
                   {{"URL", VT_BSTR}, {"Flags", VT_VARIANT, true}, {"Headers", VT_VARIANT, true}},
                   "Navigates to a URL"}) &&
        info->Add({"Offline", kOffline, DISPATCH_PROPERTYGET, VT_BOOL, {}, "Offline mode"}) &&
        info->Add(
            {"Offline", kOffline, DISPATCH_PROPERTYPUT, VT_EMPTY, {{"Value", VT_BOOL}}, {}}) &&
        info->Add({"LocationURL", 211, DISPATCH_PROPERTYGET, VT_BSTR, {}, {}}) &&
        info->Add({"GoBack", kGoBack, DISPATCH_METHOD, VT_EMPTY, {}, {}}) &&
        info->Add({"BeforeQuit",
                   kBeforeQuit,
                   DISPATCH_METHOD,
                   VT_EMPTY,
                   {{"Reason", VT_I4}, {"Cancel", VT_BOOL, false, true}},
                   {}});
    return added ? info : nullptr;
}

} // namespace

class TestTypeLibrary final : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_browser = MakeBrowser();
        QVERIFY(m_browser);
    }
    void rejectsConflictingMembers_data();
    void rejectsConflictingMembers();
    void lookupsByNameAndDispid();
    void idsOfNames();
    void checkCall_data();
    void checkCall();
    void libraryAndTypeInfo();

private:
    std::shared_ptr<InterfaceInfo> m_browser;
};

void TestTypeLibrary::rejectsConflictingMembers_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("dispid");
    QTest::addColumn<int>("kind");
    QTest::newRow("same DISPID and kind") << "Other" << kGoBack << int(DISPATCH_METHOD);
    QTest::newRow("name taken by another DISPID") << "goback" << 999 << int(DISPATCH_METHOD);
    QTest::newRow("method on a property's DISPID") << "Offline" << kOffline << int(DISPATCH_METHOD);
    QTest::newRow("property on a method's DISPID")
        << "GoBack" << kGoBack << int(DISPATCH_PROPERTYGET);
    QTest::newRow("second put of a property") << "OFFLINE" << kOffline << int(DISPATCH_PROPERTYPUT);
    QTest::newRow("other name on a DISPID") << "Online" << kOffline << int(DISPATCH_PROPERTYPUTREF);
    QTest::newRow("combined kind") << "Both" << 700 << int(DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    QTest::newRow("empty name") << "" << 701 << int(DISPATCH_METHOD);
}

void TestTypeLibrary::rejectsConflictingMembers() {
    QFETCH(QString, name);
    QFETCH(int, dispid);
    QFETCH(int, kind);
    const std::size_t before = m_browser->Members().size();
    QVERIFY(!m_browser->Add({name.toStdString(), dispid, WORD(kind), VT_EMPTY, {}, {}}));
    QCOMPARE(m_browser->Members().size(), before);
}

void TestTypeLibrary::lookupsByNameAndDispid() {
    const auto &members = m_browser->Members();
    QStringList order;
    for (const MemberInfo &m : members)
        order << QString::fromStdString(m.name);
    QCOMPARE(order, QStringList(
                        {"Navigate", "Offline", "Offline", "LocationURL", "GoBack", "BeforeQuit"}));

    QCOMPARE(m_browser->FindByName("NAVIGATE"), &members[0]);
    QCOMPARE(m_browser->FindByName("offline"), &members[1]); // first declared: the get
    QCOMPARE(m_browser->FindByName("Offline", DISPATCH_PROPERTYPUT), &members[2]);
    QCOMPARE(m_browser->FindByName("LocationURL", DISPATCH_PROPERTYPUT), nullptr);
    QCOMPARE(m_browser->FindByName("Navigat"), nullptr);
    QCOMPARE(m_browser->FindByDispid(kOffline, DISPATCH_PROPERTYPUT), &members[2]);
    QCOMPARE(m_browser->FindByDispid(211)->helpString, std::string());
    QCOMPARE(m_browser->FindByDispid(kNavigate)->helpString, std::string("Navigates to a URL"));
    QCOMPARE(m_browser->FindByDispid(12345), nullptr);

    // A put-by-reference under the property's own name joins the property.
    QVERIFY(m_browser->Add({"offline", kOffline, DISPATCH_PROPERTYPUTREF, VT_EMPTY, {}, {}}));
    QCOMPARE(m_browser->FindByName("OFFLINE", DISPATCH_PROPERTYPUTREF)->name,
             std::string("offline"));
}

void TestTypeLibrary::idsOfNames() {
    DISPID ids[3] = {7, 7, 7};
    const LPCSTR call[] = {"navigate", "HEADERS", "url"};
    QCOMPARE(m_browser->GetIDsOfNames(call, 3, ids), S_OK);
    QCOMPARE(ids[0], kNavigate);
    QCOMPARE(ids[1], 2);
    QCOMPARE(ids[2], 0);

    const LPCSTR badParam[] = {"Navigate", "Target", "Flags"};
    QCOMPARE(m_browser->GetIDsOfNames(badParam, 3, ids), DISP_E_UNKNOWNNAME);
    QCOMPARE(ids[0], kNavigate);
    QCOMPARE(ids[1], DISPID_UNKNOWN);
    QCOMPARE(ids[2], 1);

    const LPCSTR badMember[] = {"Fly", "URL"};
    QCOMPARE(m_browser->GetIDsOfNames(badMember, 2, ids), DISP_E_UNKNOWNNAME);
    QCOMPARE(ids[0], DISPID_UNKNOWN);
    QCOMPARE(ids[1], DISPID_UNKNOWN);

    const LPCSTR nullName[] = {nullptr};
    QCOMPARE(m_browser->GetIDsOfNames(nullName, 1, ids), DISP_E_UNKNOWNNAME);
    QCOMPARE(m_browser->GetIDsOfNames(nullptr, 1, ids), E_POINTER);
}

void TestTypeLibrary::checkCall_data() {
    QTest::addColumn<int>("dispid");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("positional");
    QTest::addColumn<QList<int>>("named");
    QTest::addColumn<bool>("cancelByRef");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("argErr"); // -1: not set

    const int method = DISPATCH_METHOD;
    const int get = DISPATCH_PROPERTYGET;
    const int put = DISPATCH_PROPERTYPUT;
    const QList<int> none;
    QTest::newRow("method, required only")
        << kNavigate << method << 1 << none << false << S_OK << -1;
    QTest::newRow("method, all positional")
        << kNavigate << method << 3 << none << false << S_OK << -1;
    QTest::newRow("method, optional by name")
        << kNavigate << method << 1 << QList<int>{2} << false << S_OK << -1;
    QTest::newRow("method, too many")
        << kNavigate << method << 4 << none << false << DISP_E_BADPARAMCOUNT << -1;
    QTest::newRow("method, required missing")
        << kNavigate << method << 0 << none << false << DISP_E_BADPARAMCOUNT << -1;
    QTest::newRow("method, required missing, optional named")
        << kNavigate << method << 0 << QList<int>{1} << false << DISP_E_BADPARAMCOUNT << -1;
    QTest::newRow("method, unknown named")
        << kNavigate << method << 1 << QList<int>{5} << false << DISP_E_PARAMNOTFOUND << 0;
    QTest::newRow("method, named twice")
        << kNavigate << method << 1 << QList<int>{0} << false << DISP_E_PARAMNOTFOUND << 0;
    QTest::newRow("script get of a method")
        << kGoBack << (method | get) << 0 << none << false << S_OK << -1;
    QTest::newRow("script call of a property")
        << kOffline << (method | get) << 0 << none << false << S_OK << -1;
    QTest::newRow("put") << kOffline << put << 0 << QList<int>{DISPID_PROPERTYPUT} << false << S_OK
                         << -1;
    QTest::newRow("put without the named value")
        << kOffline << put << 1 << none << false << DISP_E_PARAMNOTFOUND << -1;
    QTest::newRow("put of a read-only property")
        << 211 << put << 0 << QList<int>{DISPID_PROPERTYPUT} << false << DISP_E_MEMBERNOTFOUND
        << -1;
    QTest::newRow("get with an argument")
        << 211 << get << 1 << none << false << DISP_E_BADPARAMCOUNT << -1;
    QTest::newRow("unknown DISPID")
        << 4242 << method << 0 << none << false << DISP_E_MEMBERNOTFOUND << -1;
    QTest::newRow("out parameter by reference")
        << kBeforeQuit << method << 2 << none << true << S_OK << -1;
    QTest::newRow("out parameter by value")
        << kBeforeQuit << method << 2 << none << false << DISP_E_TYPEMISMATCH << 0;
}

void TestTypeLibrary::checkCall() {
    QFETCH(int, dispid);
    QFETCH(int, flags);
    QFETCH(int, positional);
    QFETCH(QList<int>, named);
    QFETCH(bool, cancelByRef);
    QFETCH(int, expected);
    QFETCH(int, argErr);

    // rgvarg: named arguments first, then the positional ones, last first.
    Variant cancel(false);
    std::vector<Variant> args(named.size() + positional, Variant(LONG(1)));
    std::vector<DISPID> names(named.begin(), named.end());
    if (cancelByRef)
        args[named.size()] = Variant::Ref(&cancel); // the last positional argument
    DISPPARAMS params{args.empty() ? nullptr : args.data(), names.empty() ? nullptr : names.data(),
                      UINT(args.size()), UINT(names.size())};

    const MemberInfo *member = nullptr;
    UINT err = 12345;
    QCOMPARE(m_browser->CheckCall(dispid, WORD(flags), &params, &member, &err), HRESULT(expected));
    QCOMPARE(member != nullptr, expected == S_OK);
    if (member)
        QCOMPARE(member->dispid, dispid);
    if (argErr >= 0)
        QCOMPARE(err, UINT(argErr));
}

void TestTypeLibrary::libraryAndTypeInfo() {
    constexpr GUID libid{0x44444444, 0, 0, {4, 0, 0, 0, 0, 0, 0, 4}};
    TypeLibrary library("BrowserLib", libid, 1, 0, "Browser library");
    QVERIFY(library.Add(m_browser));
    QVERIFY(!library.Add(m_browser)); // same name and IID
    QVERIFY(!library.Add(std::make_shared<InterfaceInfo>("ibrowser", IID{})));
    QVERIFY(!library.Add(std::make_shared<InterfaceInfo>("IOther", kBrowserIid)));
    QVERIFY(!library.Add(nullptr));
    QVERIFY(library.Add(std::make_shared<InterfaceInfo>("IEvents", IID{})));
    QCOMPARE(library.Interfaces().size(), std::size_t(2));
    QCOMPARE(library.Find("IBROWSER"), m_browser);
    QCOMPARE(library.Find(kBrowserIid), m_browser);
    QCOMPARE(library.Find("IMissing"), nullptr);

    // The type info keeps its description alive on its own.
    auto events = std::make_shared<InterfaceInfo>("IEvents2", IID{});
    std::weak_ptr<const InterfaceInfo> watch = events;
    ComPtr<ITypeInfo> typeInfo = MakeTypeInfo(std::move(events));
    QVERIFY(typeInfo.As<ITypeInfo>());
    const InterfaceInfo *described = nullptr;
    QCOMPARE(typeInfo->GetInterfaceInfo(&described), S_OK);
    QCOMPARE(described->Name(), std::string("IEvents2"));
    QVERIFY(!watch.expired());
    typeInfo.Reset();
    QVERIFY(watch.expired());
    QVERIFY(!MakeTypeInfo(nullptr));
}

QTEST_APPLESS_MAIN(TestTypeLibrary)
#include "tst_TypeLibrary.moc"
