#pragma once
// The document model's interfaces, with the IIDs of the original platform. They add no methods
// to IDispatch: callers reach the members by name or DISPID, or through the C++ classes.

#include "platform/com/Dispatch.h"

namespace engine {

#define QM_HTML_INTERFACE(Name, Parent, d1, d2, d3, ...)                                           \
    struct Name : Parent {                                                                         \
        static constexpr IID iid{d1, d2, d3, {__VA_ARGS__}};                                       \
        using Base = Parent;                                                                       \
                                                                                                   \
    protected:                                                                                     \
        ~Name() = default;                                                                         \
    }

// {332C4425-26CB-11D0-B483-00C04FD90119} and its relatives.
QM_HTML_INTERFACE(IHTMLDocument2, IDispatch, 0x332C4425, 0x26CB, 0x11D0, 0xB4, 0x83, 0x00, 0xC0,
                  0x4F, 0xD9, 0x01, 0x19);
QM_HTML_INTERFACE(IHTMLFramesCollection2, IDispatch, 0x332C4426, 0x26CB, 0x11D0, 0xB4, 0x83, 0x00,
                  0xC0, 0x4F, 0xD9, 0x01, 0x19);
QM_HTML_INTERFACE(IHTMLWindow2, IHTMLFramesCollection2, 0x332C4427, 0x26CB, 0x11D0, 0xB4, 0x83,
                  0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19);

// {3050Fxxx-98B5-11CF-BB82-00AA00BDCE0B}
#define QM_HTML_ELEMENT_INTERFACE(Name, d1)                                                        \
    QM_HTML_INTERFACE(Name, IDispatch, d1, 0x98B5, 0x11CF, 0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD,     \
                      0xCE, 0x0B)
QM_HTML_ELEMENT_INTERFACE(IHTMLElement, 0x3050F1FF);
QM_HTML_ELEMENT_INTERFACE(IHTMLElementCollection, 0x3050F21F);
QM_HTML_ELEMENT_INTERFACE(IHTMLStyle, 0x3050F25E);
QM_HTML_ELEMENT_INTERFACE(IHTMLAnchorElement, 0x3050F1DA);
QM_HTML_ELEMENT_INTERFACE(IHTMLImgElement, 0x3050F240);
QM_HTML_ELEMENT_INTERFACE(IHTMLObjectElement, 0x3050F24F);
QM_HTML_ELEMENT_INTERFACE(IHTMLEmbedElement, 0x3050F25F);
QM_HTML_ELEMENT_INTERFACE(IHTMLBodyElement, 0x3050F1D8);
QM_HTML_ELEMENT_INTERFACE(IHTMLTableCell, 0x3050F23D);

#undef QM_HTML_ELEMENT_INTERFACE
#undef QM_HTML_INTERFACE

} // namespace engine
