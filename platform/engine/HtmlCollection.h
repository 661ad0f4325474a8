#pragma once
// IHTMLElementCollection: elements of one document in document order (all, anchors, images,
// applets, embeds, scripts, links, and what tags() picks from them).

#include "platform/engine/HtmlElement.h"

#include <functional>

namespace engine {

class HtmlCollection final : public TableDispatch<IHTMLElementCollection> {
public:
    // indexes: positions in the document's order of the elements the collection holds.
    HtmlCollection(DocumentContext context, QList<int> indexes)
        : m_context(std::move(context)), m_indexes(std::move(indexes)) {}

    // The elements of the document's snapshot that pass keep.
    static ComPtr<HtmlCollection> Select(const DocumentContext &context,
                                         const std::function<bool(const ElementSnapshot &)> &keep);

    LONG Length() const { return static_cast<LONG>(m_indexes.size()); }
    // Null for an index out of range.
    ComPtr<HtmlElement> Item(LONG index) const;
    // The first element whose id or name is name (ignoring case); null for none.
    ComPtr<HtmlElement> NamedItem(const QString &name) const;
    // The elements of this collection with the tag name (ignoring case).
    ComPtr<HtmlCollection> Tags(const QString &tagName) const;

protected:
    const InterfaceInfo &Info() const override;
    HRESULT Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) override;

private:
    DocumentContext m_context;
    QList<int> m_indexes;
};

// An element as the dispatch value callers receive: its IHTMLElement, or null.
Variant ElementValue(const ComPtr<HtmlElement> &element);

} // namespace engine
