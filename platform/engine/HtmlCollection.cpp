#include "platform/engine/HtmlCollection.h"

#include <memory>

namespace engine {
namespace {

constexpr DISPID kDispidLength = 1500;
constexpr DISPID kDispidTags = 1502;

const ElementSnapshot &At(const DocumentSnapshot &snapshot, int index) {
    return snapshot.elements.at(index);
}

} // namespace

Variant ElementValue(const ComPtr<HtmlElement> &element) {
    if (!element)
        return Variant::Null();
    return Variant(ComPtr<IDispatch>(static_cast<IHTMLElement *>(element.Get())));
}

ComPtr<HtmlCollection>
HtmlCollection::Select(const DocumentContext &context,
                       const std::function<bool(const ElementSnapshot &)> &keep) {
    QList<int> indexes;
    const QList<ElementSnapshot> &elements = context.snapshot->elements;
    for (int i = 0; i < elements.size(); ++i) {
        if (keep(elements[i]))
            indexes.append(i);
    }
    return MakeComObject<HtmlCollection>(context, std::move(indexes));
}

ComPtr<HtmlElement> HtmlCollection::Item(LONG index) const {
    if (index < 0 || index >= Length())
        return nullptr;
    const int position = m_indexes[index];
    return MakeComObject<HtmlElement>(m_context, position,
                                      std::shared_ptr<const ElementSnapshot>(
                                          m_context.snapshot, &At(*m_context.snapshot, position)));
}

ComPtr<HtmlElement> HtmlCollection::NamedItem(const QString &name) const {
    for (LONG i = 0; i < Length(); ++i) {
        const ElementSnapshot &e = At(*m_context.snapshot, m_indexes[i]);
        if (!name.isEmpty() && (e.id.compare(name, Qt::CaseInsensitive) == 0 ||
                                e.name.compare(name, Qt::CaseInsensitive) == 0))
            return Item(i);
    }
    return nullptr;
}

ComPtr<HtmlCollection> HtmlCollection::Tags(const QString &tagName) const {
    QList<int> indexes;
    for (int position : m_indexes) {
        if (At(*m_context.snapshot, position).tagName.compare(tagName, Qt::CaseInsensitive) == 0)
            indexes.append(position);
    }
    return MakeComObject<HtmlCollection>(m_context, std::move(indexes));
}

const InterfaceInfo &HtmlCollection::Info() const {
    static const std::unique_ptr<InterfaceInfo> info = [] {
        auto i =
            std::make_unique<InterfaceInfo>("IHTMLElementCollection", IHTMLElementCollection::iid);
        AddProperty(*i, "length", kDispidLength, VT_I4, false);
        i->Add(MemberInfo{"item",
                          DISPID_VALUE,
                          DISPATCH_METHOD,
                          VT_DISPATCH,
                          {ParamInfo{"name", VT_VARIANT, true, false},
                           ParamInfo{"index", VT_VARIANT, true, false}},
                          {}});
        i->Add(MemberInfo{"tags",
                          kDispidTags,
                          DISPATCH_METHOD,
                          VT_DISPATCH,
                          {ParamInfo{"tagName", VT_VARIANT, false, false}},
                          {}});
        return i;
    }();
    return *info;
}

HRESULT HtmlCollection::Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) {
    if (member.dispid == kDispidLength) {
        *result = Variant(Length());
        return S_OK;
    }
    const Variant *arg = ArgAt(params, 0);
    if (member.dispid == kDispidTags) {
        const std::optional<std::string> tag = arg->ToString();
        if (!tag || arg->Type() != VT_BSTR)
            return DISP_E_TYPEMISMATCH;
        *result = Variant(ComPtr<IDispatch>(Tags(QString::fromStdString(*tag))));
        return S_OK;
    }
    // item(index) or item(name): a position, or the first element with that id or name.
    if (!arg || arg->IsEmpty()) {
        *result = Variant::Null();
        return S_OK;
    }
    if (arg->Type() == VT_BSTR) {
        *result = ElementValue(NamedItem(QString::fromStdString(*arg->ToString())));
        return S_OK;
    }
    const std::optional<LONG> index = arg->ToI4();
    if (!index)
        return DISP_E_TYPEMISMATCH;
    *result = ElementValue(Item(*index));
    return S_OK;
}

} // namespace engine
