#pragma once
// The control's document model: IHTMLDocument2-shaped objects over a DocumentSnapshot. A frame's
// window gives the frame's document, or the automation error E_ACCESSDENIED when the engine does
// not let its document be read. Reads answer the snapshot; puts run on the live page (see
// DocumentLink.h) and show in the next snapshot.

#include "platform/engine/DocumentLink.h"
#include "platform/engine/HtmlCollection.h"
#include "platform/engine/HtmlDispatch.h"
#include "platform/engine/HtmlInterfaces.h"

namespace engine {

class HtmlDocument;

// A document's window: its document, when readable.
class HtmlWindow final : public TableDispatch<IHTMLWindow2> {
public:
    explicit HtmlWindow(DocumentContext context) : m_context(std::move(context)) {}
    // E_ACCESSDENIED (and *document null) for a frame whose document may not be read.
    HRESULT Document(ComPtr<HtmlDocument> *document) const;

protected:
    const InterfaceInfo &Info() const override;
    HRESULT Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) override;

private:
    DocumentContext m_context;
};

// The frames of a document, in document order: those the snapshot took (the first
// Snapshot().frames.size() of Snapshot().frameCount).
class HtmlFrames final : public TableDispatch<IHTMLFramesCollection2> {
public:
    explicit HtmlFrames(DocumentContext context) : m_context(std::move(context)) {}
    LONG Length() const { return static_cast<LONG>(m_context.snapshot->frames.size()); }
    // Null for an index out of range.
    ComPtr<HtmlWindow> Item(LONG index) const;

protected:
    const InterfaceInfo &Info() const override;
    HRESULT Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) override;

private:
    DocumentContext m_context;
};

// The document is also the command target of the control that shows it (find, view source,
// Internet options, the standard commands), while it is that control's current document.
class HtmlDocument final : public TableDispatch<IHTMLDocument2, IOleCommandTarget> {
public:
    // A model without a page: everything reads, every put fails with E_ACCESSDENIED.
    explicit HtmlDocument(DocumentSnapshot snapshot);
    explicit HtmlDocument(DocumentContext context) : m_context(std::move(context)) {}

    // The text properties as the document answers them (URL, title, lastModified, ...; names
    // ignore case); empty for a name the document does not have.
    QString TextProperty(std::string_view name) const;
    // The document was read when it completed, so it is always "complete".
    QString ReadyState() const { return QStringLiteral("complete"); }
    ComPtr<HtmlFrames> Frames() const;
    const DocumentSnapshot &Snapshot() const { return *m_context.snapshot; }

    // Every element the snapshot holds (DocumentSnapshot.h: the page's element budget); A
    // elements with a name or id; IMG; APPLET and OBJECT; EMBED; SCRIPT; A elements with an
    // href. Elements beyond the budget are in none of them (Snapshot().elementCount tells).
    ComPtr<HtmlCollection> All() const;
    ComPtr<HtmlCollection> Anchors() const;
    ComPtr<HtmlCollection> Images() const;
    ComPtr<HtmlCollection> Applets() const;
    ComPtr<HtmlCollection> Embeds() const;
    ComPtr<HtmlCollection> Scripts() const;
    ComPtr<HtmlCollection> Links() const;
    // The BODY or FRAMESET element; null without one.
    ComPtr<HtmlElement> Body() const;
    // A window whose document is this document.
    ComPtr<HtmlWindow> ParentWindow() const;

    // The document's bgColor (as an element colour).
    HRESULT PutBgColor(const Variant &value);
    // Remembers the charset for this document's address: the next load of it (Refresh) reads
    // it with that charset. E_INVALIDARG for a name that is not a charset name.
    HRESULT PutCharset(const Variant &value);

    // IOleCommandTarget; E_ACCESSDENIED once the document is no longer current.
    HRESULT QueryStatus(const GUID *group, ULONG count, OLECMD *commands,
                        OLECMDTEXT *text) override;
    HRESULT Exec(const GUID *group, DWORD command, DWORD option, VARIANT *in,
                 VARIANT *out) override;

protected:
    const InterfaceInfo &Info() const override;
    HRESULT Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) override;

private:
    DocumentContext m_context;
};

} // namespace engine
