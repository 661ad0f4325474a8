#pragma once
// The control's document model: IHTMLDocument2-shaped objects over a DocumentSnapshot. A frame's
// window gives the frame's document, or the automation error E_ACCESSDENIED when the engine does
// not let its document be read.

#include "platform/engine/DocumentSnapshot.h"
#include "platform/engine/HtmlDispatch.h"

namespace engine {

struct IHTMLDocument2 : IDispatch {
    static constexpr IID iid{
        0x332C4425, 0x26CB, 0x11D0, {0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19}};
    using Base = IDispatch;

protected:
    ~IHTMLDocument2() = default;
};

struct IHTMLFramesCollection2 : IDispatch {
    static constexpr IID iid{
        0x332C4426, 0x26CB, 0x11D0, {0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19}};
    using Base = IDispatch;

protected:
    ~IHTMLFramesCollection2() = default;
};

struct IHTMLWindow2 : IHTMLFramesCollection2 {
    static constexpr IID iid{
        0x332C4427, 0x26CB, 0x11D0, {0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19}};
    using Base = IHTMLFramesCollection2;

protected:
    ~IHTMLWindow2() = default;
};

class HtmlDocument;

// A frame's window: its document, when readable.
class HtmlWindow final : public TableDispatch<IHTMLWindow2> {
public:
    explicit HtmlWindow(DocumentSnapshot frame) : m_frame(std::move(frame)) {}
    // E_ACCESSDENIED (and *document null) for a frame whose document may not be read.
    HRESULT Document(ComPtr<HtmlDocument> *document) const;

protected:
    const InterfaceInfo &Info() const override;
    HRESULT Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) override;

private:
    DocumentSnapshot m_frame;
};

// The frames of a document, in document order.
class HtmlFrames final : public TableDispatch<IHTMLFramesCollection2> {
public:
    explicit HtmlFrames(QList<DocumentSnapshot> frames) : m_frames(std::move(frames)) {}
    LONG Length() const { return static_cast<LONG>(m_frames.size()); }
    // Null for an index out of range.
    ComPtr<HtmlWindow> Item(LONG index) const;

protected:
    const InterfaceInfo &Info() const override;
    HRESULT Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) override;

private:
    QList<DocumentSnapshot> m_frames;
};

class HtmlDocument final : public TableDispatch<IHTMLDocument2> {
public:
    explicit HtmlDocument(DocumentSnapshot snapshot) : m_snapshot(std::move(snapshot)) {}

    // The text properties as the document answers them (URL, title, lastModified, ...; names
    // ignore case); empty for a name the document does not have.
    QString TextProperty(std::string_view name) const;
    // The document was read when it completed, so it is always "complete".
    QString ReadyState() const { return QStringLiteral("complete"); }
    ComPtr<HtmlFrames> Frames() const;
    const DocumentSnapshot &Snapshot() const { return m_snapshot; }

protected:
    const InterfaceInfo &Info() const override;
    HRESULT Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) override;

private:
    DocumentSnapshot m_snapshot;
};

} // namespace engine
