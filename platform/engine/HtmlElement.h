#pragma once
// One element of the document model. Every element answers IHTMLElement (tagName, id,
// className, innerText, style); by its tag it also answers one of IHTMLAnchorElement,
// IHTMLImgElement, IHTMLObjectElement (OBJECT, APPLET), IHTMLEmbedElement, IHTMLBodyElement or
// IHTMLTableCell (TD, TH), and QueryInterface refuses the others. Puts (bgColor, background
// of bodies and table parts) change the live element.

#include "platform/engine/DocumentLink.h"
#include "platform/engine/HtmlDispatch.h"
#include "platform/engine/HtmlInterfaces.h"
#include "platform/engine/HtmlStyle.h"

#include <string_view>

namespace engine {

enum class ElementKind { Plain, Anchor, Image, Object, Embed, Body, TableCell, Table };

ElementKind KindOfTag(const QString &tagName);

class HtmlElement final
    : public TableDispatch<IHTMLElement, IHTMLAnchorElement, IHTMLImgElement, IHTMLObjectElement,
                           IHTMLEmbedElement, IHTMLBodyElement, IHTMLTableCell> {
public:
    // index: the element's position in the document's order.
    HtmlElement(DocumentContext context, int index, std::shared_ptr<const ElementSnapshot> element);

    HRESULT QueryInterface(REFIID riid, void **object) override;

    ElementKind Kind() const { return m_kind; }
    int Index() const { return m_index; }
    const ElementSnapshot &Snapshot() const { return *m_element; }
    // A text property the element's kind answers, by name (ignoring case), as dispatch gives it;
    // nullopt for a name the kind does not have.
    std::optional<QString> TextProperty(std::string_view name) const;
    ComPtr<HtmlStyle> Style() const;

    // Bodies and table parts: the bgcolor and background attributes (a colour as for the
    // style; null or empty removes the attribute). E_NOTIMPL for other kinds.
    HRESULT PutBgColor(const Variant &value);
    HRESULT PutBackground(const Variant &value);

protected:
    const InterfaceInfo &Info() const override;
    HRESULT Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) override;

private:
    DocumentContext m_context;
    int m_index = -1;
    std::shared_ptr<const ElementSnapshot> m_element;
    ElementKind m_kind = ElementKind::Plain;
};

} // namespace engine
