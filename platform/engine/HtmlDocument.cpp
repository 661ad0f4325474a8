#include "platform/engine/HtmlDocument.h"

#include "platform/engine/CharsetOverrides.h"

#include <QByteArrayView>

#include <array>
#include <memory>

namespace engine {
namespace {

struct TextMember {
    const char *name;
    DISPID dispid;
    QString DocumentSnapshot::*field;
};

constexpr DISPID kDispidAll = 1003;
constexpr DISPID kDispidBody = 1004;
constexpr DISPID kDispidAnchors = 1007;
constexpr DISPID kDispidApplets = 1008;
constexpr DISPID kDispidLinks = 1009;
constexpr DISPID kDispidImages = 1011;
constexpr DISPID kDispidScripts = 1013;
constexpr DISPID kDispidEmbeds = 1015;
constexpr DISPID kDispidReadyState = 1018;
constexpr DISPID kDispidFrames = 1019;
constexpr DISPID kDispidCharset = 1032;
constexpr DISPID kDispidParentWindow = 1034;
constexpr DISPID kDispidBgColor = -501;
constexpr DISPID kDispidLength = 1001;
constexpr DISPID kDispidWindowDocument = 1151;

// The document's text properties and the snapshot field each one answers.
const std::array<TextMember, 11> kTextMembers{{
    {"URL", 1025, &DocumentSnapshot::url},
    {"title", 1012, &DocumentSnapshot::title},
    {"lastModified", 1028, &DocumentSnapshot::lastModified},
    {"fileCreatedDate", 1043, &DocumentSnapshot::fileCreatedDate},
    {"fileModifiedDate", 1044, &DocumentSnapshot::fileModifiedDate},
    {"fileUpdatedDate", 1045, &DocumentSnapshot::fileUpdatedDate},
    {"fileSize", 1042, &DocumentSnapshot::fileSize},
    {"security", 1046, &DocumentSnapshot::security},
    {"charset", kDispidCharset, &DocumentSnapshot::charset},
    {"defaultCharset", 1033, &DocumentSnapshot::defaultCharset},
    {"bgColor", kDispidBgColor, &DocumentSnapshot::bgColor},
}};

MemberInfo Getter(const char *name, DISPID dispid, VARTYPE type) {
    return MemberInfo{name, dispid, DISPATCH_PROPERTYGET, type, {}, {}};
}

bool IsTag(const ElementSnapshot &e, const char16_t *tag) {
    return e.tagName.compare(QString::fromUtf16(tag), Qt::CaseInsensitive) == 0;
}

} // namespace

HRESULT HtmlWindow::Document(ComPtr<HtmlDocument> *document) const {
    if (!document)
        return E_POINTER;
    *document = nullptr;
    if (!m_context.snapshot->readable)
        return E_ACCESSDENIED;
    *document = MakeComObject<HtmlDocument>(m_context);
    return S_OK;
}

const InterfaceInfo &HtmlWindow::Info() const {
    static const std::unique_ptr<InterfaceInfo> info = [] {
        auto i = std::make_unique<InterfaceInfo>("IHTMLWindow2", IHTMLWindow2::iid);
        i->Add(Getter("document", kDispidWindowDocument, VT_DISPATCH));
        return i;
    }();
    return *info;
}

HRESULT HtmlWindow::Call(const MemberInfo &, DISPPARAMS *, Variant *result) {
    ComPtr<HtmlDocument> document;
    const HRESULT hr = Document(&document);
    if (SUCCEEDED(hr))
        *result = Variant(ComPtr<IDispatch>(document));
    return hr;
}

ComPtr<HtmlWindow> HtmlFrames::Item(LONG index) const {
    if (index < 0 || index >= Length())
        return nullptr;
    return MakeComObject<HtmlWindow>(m_context.Frame(index));
}

const InterfaceInfo &HtmlFrames::Info() const {
    static const std::unique_ptr<InterfaceInfo> info = [] {
        auto i =
            std::make_unique<InterfaceInfo>("IHTMLFramesCollection2", IHTMLFramesCollection2::iid);
        i->Add(Getter("length", kDispidLength, VT_I4));
        i->Add(MemberInfo{"item",
                          DISPID_VALUE,
                          DISPATCH_METHOD,
                          VT_VARIANT,
                          {ParamInfo{"index", VT_VARIANT, false, false}},
                          {}});
        return i;
    }();
    return *info;
}

HRESULT HtmlFrames::Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) {
    if (member.dispid == kDispidLength) {
        *result = Variant(Length());
        return S_OK;
    }
    const std::optional<LONG> index = ArgAt(params, 0)->ToI4();
    if (!index)
        return DISP_E_TYPEMISMATCH;
    ComPtr<HtmlWindow> window = Item(*index);
    if (!window)
        return E_INVALIDARG;
    *result = Variant(ComPtr<IDispatch>(window));
    return S_OK;
}

HtmlDocument::HtmlDocument(DocumentSnapshot snapshot)
    : m_context{std::make_shared<const DocumentSnapshot>(std::move(snapshot)), nullptr, {}} {}

QString HtmlDocument::TextProperty(std::string_view name) const {
    for (const TextMember &m : kTextMembers) {
        if (QByteArrayView(name.data(), qsizetype(name.size()))
                .compare(m.name, Qt::CaseInsensitive) == 0)
            return Snapshot().*m.field;
    }
    return {};
}

ComPtr<HtmlFrames> HtmlDocument::Frames() const {
    return MakeComObject<HtmlFrames>(m_context);
}

ComPtr<HtmlCollection> HtmlDocument::All() const {
    return HtmlCollection::Select(m_context, [](const ElementSnapshot &) { return true; });
}

ComPtr<HtmlCollection> HtmlDocument::Anchors() const {
    return HtmlCollection::Select(m_context, [](const ElementSnapshot &e) {
        return IsTag(e, u"A") && !(e.name.isEmpty() && e.id.isEmpty());
    });
}

ComPtr<HtmlCollection> HtmlDocument::Images() const {
    return HtmlCollection::Select(m_context,
                                  [](const ElementSnapshot &e) { return IsTag(e, u"IMG"); });
}

ComPtr<HtmlCollection> HtmlDocument::Applets() const {
    return HtmlCollection::Select(m_context, [](const ElementSnapshot &e) {
        return IsTag(e, u"APPLET") || IsTag(e, u"OBJECT");
    });
}

ComPtr<HtmlCollection> HtmlDocument::Embeds() const {
    return HtmlCollection::Select(m_context,
                                  [](const ElementSnapshot &e) { return IsTag(e, u"EMBED"); });
}

ComPtr<HtmlCollection> HtmlDocument::Scripts() const {
    return HtmlCollection::Select(m_context,
                                  [](const ElementSnapshot &e) { return IsTag(e, u"SCRIPT"); });
}

ComPtr<HtmlCollection> HtmlDocument::Links() const {
    return HtmlCollection::Select(
        m_context, [](const ElementSnapshot &e) { return IsTag(e, u"A") && !e.href.isEmpty(); });
}

ComPtr<HtmlElement> HtmlDocument::Body() const {
    const DocumentSnapshot &s = Snapshot();
    if (s.bodyIndex < 0)
        return nullptr;
    const ElementSnapshot *body =
        s.bodyIndex < s.elements.size() ? &s.elements[s.bodyIndex] : &s.body;
    return MakeComObject<HtmlElement>(
        m_context, s.bodyIndex, std::shared_ptr<const ElementSnapshot>(m_context.snapshot, body));
}

ComPtr<HtmlWindow> HtmlDocument::ParentWindow() const {
    return MakeComObject<HtmlWindow>(m_context);
}

HRESULT HtmlDocument::PutBgColor(const Variant &value) {
    const std::optional<QJsonValue> colour = ColorValue(value);
    if (!colour)
        return DISP_E_TYPEMISMATCH;
    return m_context.Write(-1, QString(), "d.bgColor = v", *colour);
}

HRESULT HtmlDocument::PutCharset(const Variant &value) {
    const std::optional<QJsonValue> text = TextValue(value);
    if (!text)
        return DISP_E_TYPEMISMATCH;
    const QString charset = text->toString();
    if (!charset.isEmpty() && !IsCharsetName(charset))
        return E_INVALIDARG;
    DocumentLink *link = m_context.LiveLink();
    if (!link || !link->SetCharset)
        return E_ACCESSDENIED;
    return link->SetCharset(QUrl(Snapshot().url), charset);
}

HRESULT HtmlDocument::QueryStatus(const GUID *group, ULONG count, OLECMD *commands, OLECMDTEXT *) {
    DocumentLink *link = m_context.LiveLink();
    if (!link || !link->QueryCommands)
        return E_ACCESSDENIED;
    return link->QueryCommands(group, count, commands);
}

HRESULT HtmlDocument::Exec(const GUID *group, DWORD command, DWORD option, VARIANT *in,
                           VARIANT *out) {
    DocumentLink *link = m_context.LiveLink();
    if (!link || !link->ExecCommand)
        return E_ACCESSDENIED;
    return link->ExecCommand(group, command, option, in, out);
}

const InterfaceInfo &HtmlDocument::Info() const {
    static const std::unique_ptr<InterfaceInfo> info = [] {
        auto i = std::make_unique<InterfaceInfo>("IHTMLDocument2", IHTMLDocument2::iid);
        for (const TextMember &m : kTextMembers)
            AddProperty(*i, m.name, m.dispid, VT_BSTR,
                        m.dispid == kDispidCharset || m.dispid == kDispidBgColor);
        i->Add(Getter("readyState", kDispidReadyState, VT_BSTR));
        i->Add(Getter("frames", kDispidFrames, VT_DISPATCH));
        for (const auto &[name, dispid] : {std::pair{"all", kDispidAll},
                                           {"body", kDispidBody},
                                           {"anchors", kDispidAnchors},
                                           {"applets", kDispidApplets},
                                           {"links", kDispidLinks},
                                           {"images", kDispidImages},
                                           {"scripts", kDispidScripts},
                                           {"embeds", kDispidEmbeds},
                                           {"parentWindow", kDispidParentWindow}})
            i->Add(Getter(name, dispid, VT_DISPATCH));
        return i;
    }();
    return *info;
}

HRESULT HtmlDocument::Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) {
    if (member.kind == DISPATCH_PROPERTYPUT)
        return member.dispid == kDispidCharset ? PutCharset(PutValue(params))
                                               : PutBgColor(PutValue(params));
    const auto collection = [result](const ComPtr<HtmlCollection> &c) {
        *result = Variant(ComPtr<IDispatch>(c));
        return S_OK;
    };
    switch (member.dispid) {
    case kDispidFrames:
        *result = Variant(ComPtr<IDispatch>(Frames()));
        return S_OK;
    case kDispidReadyState:
        *result = Variant(ReadyState().toStdString());
        return S_OK;
    case kDispidAll:
        return collection(All());
    case kDispidAnchors:
        return collection(Anchors());
    case kDispidApplets:
        return collection(Applets());
    case kDispidLinks:
        return collection(Links());
    case kDispidImages:
        return collection(Images());
    case kDispidScripts:
        return collection(Scripts());
    case kDispidEmbeds:
        return collection(Embeds());
    case kDispidBody:
        *result = ElementValue(Body());
        return S_OK;
    case kDispidParentWindow:
        *result = Variant(ComPtr<IDispatch>(ParentWindow()));
        return S_OK;
    default:
        *result = Variant(TextProperty(member.name).toStdString());
        return S_OK;
    }
}

} // namespace engine
