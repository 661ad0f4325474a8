#include "platform/com/ComObject.h"
#include "platform/com/DispParams.h"

#include <QtTest>

Q_DECLARE_METATYPE(Variant)

namespace {

// Expected conversion result as text; a null QString means "cannot convert".
template <typename T> QString Shown(const std::optional<T> &value) {
    if (!value)
        return QString();
    if constexpr (std::is_same_v<T, std::string>)
        return QString::fromStdString(*value);
    else if constexpr (std::is_same_v<T, bool>)
        return *value ? QStringLiteral("true") : QStringLiteral("false");
    else
        return QString::number(*value);
}

class Window final : public ComObject<IDispatch> {
public:
    HRESULT GetTypeInfoCount(UINT *count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, const LPCSTR *, UINT, LCID, DISPID *) override {
        return E_NOTIMPL;
    }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, Variant *, EXCEPINFO *,
                   UINT *) override {
        return E_NOTIMPL;
    }
};

} // namespace

class TestVariant final : public QObject {
    Q_OBJECT
private slots:
    void conversions_data();
    void conversions();
    void objectsAndBytes();
    void outArgumentThroughReference();
    void argumentsInReverseOrder();
    void malformedParamsGiveNoArguments();
};

void TestVariant::conversions_data() {
    QTest::addColumn<Variant>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("i4");
    QTest::addColumn<QString>("ui4");
    QTest::addColumn<QString>("boolean");
    QTest::addColumn<QString>("text");

    const QString none;
    QTest::newRow("empty") << Variant() << int(VT_EMPTY) << "0"
                           << "0"
                           << "false"
                           << "";
    QTest::newRow("null") << Variant::Null() << int(VT_NULL) << none << none << none << none;
    QTest::newRow("i4 negative") << Variant(LONG(-5)) << int(VT_I4) << "-5" << none << "true"
                                 << "-5";
    QTest::newRow("i4 zero") << Variant(LONG(0)) << int(VT_I4) << "0"
                             << "0"
                             << "false"
                             << "0";
    QTest::newRow("ui4 above i4 range")
        << Variant(ULONG(0x80000000u)) << int(VT_UI4) << none << "2147483648"
        << "true"
        << "2147483648";
    QTest::newRow("bool true") << Variant(true) << int(VT_BOOL) << "-1" << none << "true"
                               << "True";
    QTest::newRow("variant bool") << Variant(VARIANT_TRUE) << int(VT_BOOL) << "-1" << none << "true"
                                  << "True";
    QTest::newRow("bool false") << Variant(false) << int(VT_BOOL) << "0"
                                << "0"
                                << "false"
                                << "False";
    QTest::newRow("bstr number") << Variant(" 42 ") << int(VT_BSTR) << "42"
                                 << "42"
                                 << "true"
                                 << " 42 ";
    QTest::newRow("bstr true word") << Variant("TRUE") << int(VT_BSTR) << none << none << "true"
                                    << "TRUE";
    QTest::newRow("bstr not a number")
        << Variant("12abc") << int(VT_BSTR) << none << none << none << "12abc";
    QTest::newRow("bstr overflow")
        << Variant("4294967296") << int(VT_BSTR) << none << none << "true"
        << "4294967296";
    QTest::newRow("bstr japanese")
        << Variant("インターネット") << int(VT_BSTR) << none << none << none << "インターネット";
    QTest::newRow("null char pointer") << Variant(static_cast<const char *>(nullptr))
                                       << int(VT_BSTR) << none << none << none << "";
    QTest::newRow("bytes") << Variant::Bytes({1, 2}) << int(VT_ARRAY | VT_UI1) << none << none
                           << none << none;
}

void TestVariant::conversions() {
    QFETCH(Variant, value);
    QFETCH(int, type);
    QFETCH(QString, i4);
    QFETCH(QString, ui4);
    QFETCH(QString, boolean);
    QFETCH(QString, text);

    QCOMPARE(int(value.Type()), type);
    QCOMPARE(Shown(value.ToI4()), i4);
    QCOMPARE(Shown(value.ToUI4()), ui4);
    QCOMPARE(Shown(value.ToBool()), boolean);
    QCOMPARE(Shown(value.ToString()), text);

    // Read through a reference, the same answers.
    Variant ref = Variant::Ref(&value);
    QCOMPARE(int(ref.Type()), int(VT_BYREF | VT_VARIANT));
    QCOMPARE(Shown(ref.ToI4()), i4);
    QCOMPARE(Shown(ref.ToString()), text);
}

void TestVariant::objectsAndBytes() {
    ComPtr<IDispatch> window = MakeComObject<Window>();
    Variant dispatch{window};
    QCOMPARE(int(dispatch.Type()), int(VT_DISPATCH));
    QCOMPARE(dispatch.Dispatch(), window.Get());
    QCOMPARE(dispatch.Unknown(), static_cast<IUnknown *>(window.Get()));
    QVERIFY(!dispatch.ToI4() && !dispatch.ToString());

    Variant unknown{ComPtr<IUnknown>(window)};
    QCOMPARE(int(unknown.Type()), int(VT_UNKNOWN));
    QCOMPARE(unknown.Dispatch(), nullptr); // no implicit QueryInterface

    const Variant post = Variant::Bytes({'a', '=', '1'});
    QVERIFY(post.ByteArray());
    QCOMPARE(post.ByteArray()->size(), std::size_t(3));
    QCOMPARE(Variant(LONG(3)).ByteArray(), nullptr);

    Variant copy = dispatch; // copies share the object
    dispatch.Clear();
    QVERIFY(dispatch.IsEmpty());
    QCOMPARE(copy.Dispatch(), window.Get());
}

void TestVariant::outArgumentThroughReference() {
    Variant cancel(false);
    const Variant out = Variant::Ref(&cancel);
    QCOMPARE(out.SetOut(Variant(true)), S_OK);
    QCOMPARE(cancel.ToVariantBool(), VARIANT_TRUE);
    QCOMPARE(out.RefTarget(), &cancel);

    QCOMPARE(Variant(LONG(1)).SetOut(Variant(true)), E_INVALIDARG);
    QVERIFY(Variant::Ref(nullptr).IsEmpty());

    // A reference to a reference is not followed further: it reads as a mismatch.
    Variant middle = Variant::Ref(&cancel);
    const Variant outer = Variant::Ref(&middle);
    QVERIFY(!outer.ToBool());
    // A reference stored into its own target does not loop.
    QCOMPARE(out.SetOut(Variant::Ref(&cancel)), S_OK);
    QVERIFY(!cancel.ToBool());
}

void TestVariant::argumentsInReverseOrder() {
    DispArgs args{Variant("http://host/"), Variant(LONG(2)), Variant(true)};
    DISPPARAMS *params = args.Params();
    QCOMPARE(params->cArgs, 3u);
    QCOMPARE(params->rgvarg[0].ToVariantBool(), VARIANT_TRUE); // last argument first
    QCOMPARE(*PositionalArg(params, 0)->ToString(), std::string("http://host/"));
    QCOMPARE(*ArgAt(params, 1)->ToI4(), 2);
    QCOMPARE(PositionalArg(params, 3), nullptr);

    DispArgs moved = std::move(args); // the layout follows the arguments
    QCOMPARE(*moved.Arg(0)->ToString(), std::string("http://host/"));

    DispArgs put = DispArgs::PropertyPut(Variant(true));
    QCOMPARE(PositionalCount(put.Params()), 0u);
    QCOMPARE(NamedArg(put.Params(), DISPID_PROPERTYPUT)->ToVariantBool(), VARIANT_TRUE);

    // Positional arguments fill the first parameters, named ones the rest.
    Variant raw[] = {Variant("named third"), Variant("second"), Variant("first")};
    DISPID names[] = {2};
    DISPPARAMS mixed{raw, names, 3, 1};
    QCOMPARE(*ArgAt(&mixed, 0)->ToString(), std::string("first"));
    QCOMPARE(*ArgAt(&mixed, 1)->ToString(), std::string("second"));
    QCOMPARE(*ArgAt(&mixed, 2)->ToString(), std::string("named third"));
    QCOMPARE(ArgAt(&mixed, 3), nullptr);
}

void TestVariant::malformedParamsGiveNoArguments() {
    Variant one[] = {Variant(LONG(1))};
    DISPPARAMS namedExceedArgs{one, nullptr, 1, 2};
    DISPPARAMS nullArgs{nullptr, nullptr, 4, 0};
    DISPPARAMS nullNames{one, nullptr, 1, 1};
    for (DISPPARAMS *bad : {&namedExceedArgs, &nullArgs, &nullNames}) {
        QVERIFY(!IsWellFormed(bad));
        QCOMPARE(PositionalCount(bad), 0u);
        QCOMPARE(ArgAt(bad, 0), nullptr);
        QCOMPARE(NamedArg(bad, 0), nullptr);
    }
    QVERIFY(IsWellFormed(nullptr));
    QCOMPARE(ArgAt(nullptr, 0), nullptr);
}

QTEST_APPLESS_MAIN(TestVariant)
#include "tst_Variant.moc"
