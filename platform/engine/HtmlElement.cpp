#include "platform/engine/HtmlElement.h"

#include <QByteArrayView>

#include <array>
#include <memory>
#include <span>

namespace engine {
namespace {

constexpr DISPID kDispidStyle = -2147418038;
constexpr DISPID kDispidComplete = 1010;
constexpr DISPID kDispidWidth = -2147418107;
constexpr DISPID kDispidHeight = -2147418106;
constexpr DISPID kDispidBgColor = -501;
constexpr DISPID kDispidBackground = -2147413111;

struct TextMember {
    const char *name;
    DISPID dispid;
    QString ElementSnapshot::*field;
};

const std::array<TextMember, 4> kCommon{{
    {"tagName", -2147417108, &ElementSnapshot::tagName},
    {"id", -2147417110, &ElementSnapshot::id},
    {"className", -2147417111, &ElementSnapshot::className},
    {"innerText", -2147417085, &ElementSnapshot::innerText},
}};
const std::array<TextMember, 1> kAnchor{{{"href", DISPID_VALUE, &ElementSnapshot::href}}};
const std::array<TextMember, 4> kImage{{
    {"alt", 1002, &ElementSnapshot::alt},
    {"src", 1003, &ElementSnapshot::href},
    {"fileSize", 2011, &ElementSnapshot::fileSize},
    {"href", 2022, &ElementSnapshot::href},
}};
// OBJECT and APPLET; an EMBED answers the same names and its src.
const std::array<TextMember, 6> kObject{{
    {"classid", 3001, &ElementSnapshot::classid},
    {"codetype", 3002, &ElementSnapshot::codetype},
    {"code", 3003, &ElementSnapshot::code},
    {"type", 3004, &ElementSnapshot::type},
    {"data", 3005, &ElementSnapshot::data},
    {"src", 3006, &ElementSnapshot::data},
}};
const std::array<TextMember, 2> kPainted{{
    {"bgColor", kDispidBgColor, &ElementSnapshot::bgColor},
    {"background", kDispidBackground, &ElementSnapshot::background},
}};

std::span<const TextMember> KindMembers(ElementKind kind) {
    switch (kind) {
    case ElementKind::Anchor:
        return kAnchor;
    case ElementKind::Image:
        return kImage;
    case ElementKind::Object:
        return std::span(kObject).first(5);
    case ElementKind::Embed:
        return kObject;
    case ElementKind::Body:
    case ElementKind::TableCell:
    case ElementKind::Table:
        return kPainted;
    case ElementKind::Plain:
        break;
    }
    return {};
}

bool IsPainted(ElementKind kind) {
    return kind == ElementKind::Body || kind == ElementKind::TableCell ||
           kind == ElementKind::Table;
}

// The interface a kind adds to IHTMLElement; null for none.
const IID *KindIid(ElementKind kind) {
    switch (kind) {
    case ElementKind::Anchor:
        return &IHTMLAnchorElement::iid;
    case ElementKind::Image:
        return &IHTMLImgElement::iid;
    case ElementKind::Object:
        return &IHTMLObjectElement::iid;
    case ElementKind::Embed:
        return &IHTMLEmbedElement::iid;
    case ElementKind::Body:
        return &IHTMLBodyElement::iid;
    case ElementKind::TableCell:
        return &IHTMLTableCell::iid;
    case ElementKind::Plain:
    case ElementKind::Table:
        break;
    }
    return nullptr;
}

std::unique_ptr<InterfaceInfo> MakeInfo(ElementKind kind) {
    auto info = std::make_unique<InterfaceInfo>("IHTMLElement", IHTMLElement::iid);
    for (const TextMember &m : kCommon)
        AddProperty(*info, m.name, m.dispid, VT_BSTR, false);
    AddProperty(*info, "style", kDispidStyle, VT_DISPATCH, false);
    for (const TextMember &m : KindMembers(kind))
        AddProperty(*info, m.name, m.dispid, VT_BSTR, IsPainted(kind));
    if (kind == ElementKind::Image) {
        AddProperty(*info, "complete", kDispidComplete, VT_BOOL, false);
        AddProperty(*info, "width", kDispidWidth, VT_I4, false);
        AddProperty(*info, "height", kDispidHeight, VT_I4, false);
    }
    return info;
}

const TextMember *FindText(ElementKind kind, std::string_view name, DISPID dispid) {
    for (std::span<const TextMember> members :
         {std::span<const TextMember>(kCommon), KindMembers(kind)}) {
        for (const TextMember &m : members) {
            if (name.empty() ? m.dispid == dispid
                             : QByteArrayView(name.data(), qsizetype(name.size()))
                                       .compare(m.name, Qt::CaseInsensitive) == 0)
                return &m;
        }
    }
    return nullptr;
}

} // namespace

ElementKind KindOfTag(const QString &tagName) {
    static const QList<std::pair<QString, ElementKind>> kinds{
        {u"A"_qs, ElementKind::Anchor},      {u"IMG"_qs, ElementKind::Image},
        {u"OBJECT"_qs, ElementKind::Object}, {u"APPLET"_qs, ElementKind::Object},
        {u"EMBED"_qs, ElementKind::Embed},   {u"BODY"_qs, ElementKind::Body},
        {u"TD"_qs, ElementKind::TableCell},  {u"TH"_qs, ElementKind::TableCell},
        {u"TABLE"_qs, ElementKind::Table},   {u"TR"_qs, ElementKind::Table},
    };
    for (const auto &[tag, kind] : kinds) {
        if (tagName.compare(tag, Qt::CaseInsensitive) == 0)
            return kind;
    }
    return ElementKind::Plain;
}

HtmlElement::HtmlElement(DocumentContext context, int index,
                         std::shared_ptr<const ElementSnapshot> element)
    : m_context(std::move(context)), m_index(index), m_element(std::move(element)),
      m_kind(KindOfTag(m_element->tagName)) {}

HRESULT HtmlElement::QueryInterface(REFIID riid, void **object) {
    for (ElementKind kind : {ElementKind::Anchor, ElementKind::Image, ElementKind::Object,
                             ElementKind::Embed, ElementKind::Body, ElementKind::TableCell}) {
        if (kind != m_kind && riid == *KindIid(kind)) {
            if (object)
                *object = nullptr;
            return object ? E_NOINTERFACE : E_POINTER;
        }
    }
    return TableDispatch::QueryInterface(riid, object);
}

std::optional<QString> HtmlElement::TextProperty(std::string_view name) const {
    if (name.empty())
        return std::nullopt;
    const TextMember *m = FindText(m_kind, name, DISPID_UNKNOWN);
    return m ? std::optional<QString>(*m_element.*m->field) : std::nullopt;
}

ComPtr<HtmlStyle> HtmlElement::Style() const {
    return MakeComObject<HtmlStyle>(m_context, m_index, m_element);
}

HRESULT HtmlElement::PutBgColor(const Variant &value) {
    if (!IsPainted(m_kind))
        return E_NOTIMPL;
    const std::optional<QJsonValue> colour = ColorValue(value);
    if (!colour)
        return DISP_E_TYPEMISMATCH;
    return m_context.Write(m_index, m_element->tagName,
                           "if (v) e.setAttribute('bgcolor', v); else e.removeAttribute('bgcolor')",
                           *colour);
}

HRESULT HtmlElement::PutBackground(const Variant &value) {
    if (!IsPainted(m_kind))
        return E_NOTIMPL;
    const std::optional<QJsonValue> text = TextValue(value);
    if (!text)
        return DISP_E_TYPEMISMATCH;
    return m_context.Write(
        m_index, m_element->tagName,
        "if (v) e.setAttribute('background', v); else e.removeAttribute('background')", *text);
}

const InterfaceInfo &HtmlElement::Info() const {
    static const std::array<std::unique_ptr<InterfaceInfo>, 8> infos = [] {
        std::array<std::unique_ptr<InterfaceInfo>, 8> all;
        for (std::size_t k = 0; k < all.size(); ++k)
            all[k] = MakeInfo(static_cast<ElementKind>(k));
        return all;
    }();
    return *infos[static_cast<std::size_t>(m_kind)];
}

HRESULT HtmlElement::Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) {
    if (member.kind == DISPATCH_PROPERTYPUT)
        return member.dispid == kDispidBgColor ? PutBgColor(PutValue(params))
                                               : PutBackground(PutValue(params));
    switch (member.dispid) {
    case kDispidStyle:
        *result = Variant(ComPtr<IDispatch>(static_cast<IHTMLStyle *>(Style().Get())));
        return S_OK;
    case kDispidComplete:
        *result = Variant(m_element->complete);
        return S_OK;
    case kDispidWidth:
        *result = Variant(LONG(m_element->width));
        return S_OK;
    case kDispidHeight:
        *result = Variant(LONG(m_element->height));
        return S_OK;
    default:
        break;
    }
    const TextMember *m = FindText(m_kind, {}, member.dispid);
    if (!m)
        return DISP_E_MEMBERNOTFOUND;
    *result = Variant((*m_element.*m->field).toStdString());
    return S_OK;
}

} // namespace engine
