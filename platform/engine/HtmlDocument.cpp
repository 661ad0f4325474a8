#include "platform/engine/HtmlDocument.h"

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

constexpr DISPID kDispidFrames = 1019;
constexpr DISPID kDispidReadyState = 1018;
constexpr DISPID kDispidLength = 1001;
constexpr DISPID kDispidWindowDocument = 1151;

// The document's text properties and the snapshot field each one answers.
const std::array<TextMember, 10> kTextMembers{{
    {"URL", 1025, &DocumentSnapshot::url},
    {"title", 1012, &DocumentSnapshot::title},
    {"lastModified", 1028, &DocumentSnapshot::lastModified},
    {"fileCreatedDate", 1043, &DocumentSnapshot::fileCreatedDate},
    {"fileModifiedDate", 1044, &DocumentSnapshot::fileModifiedDate},
    {"fileUpdatedDate", 1045, &DocumentSnapshot::fileUpdatedDate},
    {"fileSize", 1042, &DocumentSnapshot::fileSize},
    {"security", 1046, &DocumentSnapshot::security},
    {"charset", 1032, &DocumentSnapshot::charset},
    {"bgColor", -501, &DocumentSnapshot::bgColor},
}};

MemberInfo Getter(const char *name, DISPID dispid, VARTYPE type,
                  std::vector<ParamInfo> params = {}) {
    return MemberInfo{name, dispid, DISPATCH_PROPERTYGET, type, std::move(params), {}};
}

std::string Utf8(const QString &text) {
    return text.toUtf8().toStdString();
}

} // namespace

HRESULT HtmlWindow::Document(ComPtr<HtmlDocument> *document) const {
    if (!document)
        return E_POINTER;
    *document = nullptr;
    if (!m_frame.readable)
        return E_ACCESSDENIED;
    *document = MakeComObject<HtmlDocument>(m_frame);
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
    return MakeComObject<HtmlWindow>(m_frames[index]);
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

QString HtmlDocument::TextProperty(std::string_view name) const {
    for (const TextMember &m : kTextMembers) {
        if (QByteArrayView(name.data(), qsizetype(name.size()))
                .compare(m.name, Qt::CaseInsensitive) == 0)
            return m_snapshot.*m.field;
    }
    return {};
}

ComPtr<HtmlFrames> HtmlDocument::Frames() const {
    return MakeComObject<HtmlFrames>(m_snapshot.frames);
}

const InterfaceInfo &HtmlDocument::Info() const {
    static const std::unique_ptr<InterfaceInfo> info = [] {
        auto i = std::make_unique<InterfaceInfo>("IHTMLDocument2", IHTMLDocument2::iid);
        for (const TextMember &m : kTextMembers)
            i->Add(Getter(m.name, m.dispid, VT_BSTR));
        i->Add(Getter("readyState", kDispidReadyState, VT_BSTR));
        i->Add(Getter("frames", kDispidFrames, VT_DISPATCH));
        return i;
    }();
    return *info;
}

HRESULT HtmlDocument::Call(const MemberInfo &member, DISPPARAMS *, Variant *result) {
    if (member.dispid == kDispidFrames)
        *result = Variant(ComPtr<IDispatch>(Frames()));
    else if (member.dispid == kDispidReadyState)
        *result = Variant(Utf8(ReadyState()));
    else
        *result = Variant(Utf8(TextProperty(member.name)));
    return S_OK;
}

} // namespace engine
