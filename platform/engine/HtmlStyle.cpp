#include "platform/engine/HtmlStyle.h"

#include <array>
#include <memory>

namespace engine {
namespace {

struct StyleMember {
    const char *name;
    DISPID dispid;
    QString (HtmlStyle::*get)() const;
    HRESULT (HtmlStyle::*put)(const Variant &);
};

const std::array<StyleMember, 4> kMembers{{
    {"background", -2147413080, &HtmlStyle::Background, &HtmlStyle::PutBackground},
    {"backgroundColor", -501, &HtmlStyle::BackgroundColor, &HtmlStyle::PutBackgroundColor},
    {"backgroundImage", -2147413111, &HtmlStyle::BackgroundImage, nullptr},
    {"cssText", -2147413013, &HtmlStyle::CssText, nullptr},
}};

} // namespace

HRESULT HtmlStyle::PutBackground(const Variant &value) {
    const std::optional<QJsonValue> text = TextValue(value);
    if (!text)
        return DISP_E_TYPEMISMATCH;
    return m_context.Write(m_index, m_element->tagName,
                           "if (v) e.style.background = v; else { e.style.background = ''; "
                           "e.style.backgroundImage = 'none'; }",
                           *text);
}

HRESULT HtmlStyle::PutBackgroundColor(const Variant &value) {
    const std::optional<QJsonValue> colour = ColorValue(value);
    if (!colour)
        return DISP_E_TYPEMISMATCH;
    return m_context.Write(m_index, m_element->tagName, "e.style.backgroundColor = v", *colour);
}

const InterfaceInfo &HtmlStyle::Info() const {
    static const std::unique_ptr<InterfaceInfo> info = [] {
        auto i = std::make_unique<InterfaceInfo>("IHTMLStyle", IHTMLStyle::iid);
        for (const StyleMember &m : kMembers)
            AddProperty(*i, m.name, m.dispid, VT_BSTR, m.put != nullptr);
        return i;
    }();
    return *info;
}

HRESULT HtmlStyle::Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) {
    for (const StyleMember &m : kMembers) {
        if (m.dispid != member.dispid)
            continue;
        if (member.kind == DISPATCH_PROPERTYPUT)
            return (this->*m.put)(PutValue(params));
        *result = Variant((this->*m.get)().toStdString());
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

} // namespace engine
