#pragma once
// IHTMLStyle of one element: its inline style as the snapshot read it; puts change the live
// element's inline style.

#include "platform/engine/DocumentLink.h"
#include "platform/engine/HtmlDispatch.h"
#include "platform/engine/HtmlInterfaces.h"

namespace engine {

class HtmlStyle final : public TableDispatch<IHTMLStyle> {
public:
    HtmlStyle(DocumentContext context, int index, std::shared_ptr<const ElementSnapshot> element)
        : m_context(std::move(context)), m_index(index), m_element(std::move(element)) {}

    QString CssText() const { return m_element->style; }
    QString Background() const { return m_element->styleBackground; }
    QString BackgroundColor() const { return m_element->styleBackgroundColor; }
    QString BackgroundImage() const { return m_element->styleBackgroundImage; }

    // Null or empty text clears the shorthand and removes any background image the element has
    // from anywhere (style sheet, attribute); other text sets the shorthand.
    HRESULT PutBackground(const Variant &value);
    // An integer is 0xRRGGBB; text is a CSS colour; null or empty clears.
    HRESULT PutBackgroundColor(const Variant &value);

protected:
    const InterfaceInfo &Info() const override;
    HRESULT Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) override;

private:
    DocumentContext m_context;
    int m_index = -1;
    std::shared_ptr<const ElementSnapshot> m_element;
};

} // namespace engine
