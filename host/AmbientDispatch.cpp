// TWebBrowserSecure as the client site's ambient-property dispatch: property gets with a result
// variable are answered, every other call is DISP_E_MEMBERNOTFOUND. Type information and names
// come from the engine's own dispatch.

#include "host/WebBrowserSecure.h"

#include "platform/com/DispatchObject.h"

#include <QLocale>

namespace {

// Standard ambient properties of a control container.
constexpr DISPID DISPID_AMBIENT_BACKCOLOR = -701;
constexpr DISPID DISPID_AMBIENT_DISPLAYNAME = -702;
constexpr DISPID DISPID_AMBIENT_FONT = -703;
constexpr DISPID DISPID_AMBIENT_FORECOLOR = -704;
constexpr DISPID DISPID_AMBIENT_LOCALEID = -705;
constexpr DISPID DISPID_AMBIENT_MESSAGEREFLECT = -706;
constexpr DISPID DISPID_AMBIENT_USERMODE = -709;
constexpr DISPID DISPID_AMBIENT_UIDEAD = -710;
constexpr DISPID DISPID_AMBIENT_SHOWGRABHANDLES = -711;
constexpr DISPID DISPID_AMBIENT_SHOWHATCHING = -712;
constexpr DISPID DISPID_AMBIENT_SUPPORTSMNEMONICS = -714;
constexpr DISPID DISPID_AMBIENT_AUTOCLIP = -715;

// Font object properties (the font dispatch interface).
constexpr DISPID DISPID_FONT_NAME = 0;
constexpr DISPID DISPID_FONT_SIZE = 2;
constexpr DISPID DISPID_FONT_BOLD = 3;
constexpr DISPID DISPID_FONT_ITALIC = 4;
constexpr DISPID DISPID_FONT_UNDER = 5;
constexpr DISPID DISPID_FONT_STRIKE = 6;
constexpr DISPID DISPID_FONT_WEIGHT = 7;

// A read-only font object: the control's font as the ambient font property hands it out.
class AmbientFont final : public DispatchObject<IDispatch> {
public:
    explicit AmbientFont(QFont font) : FFont(std::move(font)) {}

    HRESULT GetIDsOfNames(REFIID, const LPCSTR *, UINT, LCID, DISPID *) override {
        return E_NOTIMPL;
    }
    HRESULT Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS *, Variant *result,
                   EXCEPINFO *, UINT *) override {
        if (!(flags & DISPATCH_PROPERTYGET) || !result)
            return DISP_E_MEMBERNOTFOUND;
        switch (member) {
        case DISPID_FONT_NAME:
            *result = Variant(FFont.family().toStdString());
            return S_OK;
        case DISPID_FONT_SIZE:
            *result = Variant(static_cast<LONG>(qRound(FFont.pointSizeF())));
            return S_OK;
        case DISPID_FONT_BOLD:
            *result = Variant(FFont.bold());
            return S_OK;
        case DISPID_FONT_ITALIC:
            *result = Variant(FFont.italic());
            return S_OK;
        case DISPID_FONT_UNDER:
            *result = Variant(FFont.underline());
            return S_OK;
        case DISPID_FONT_STRIKE:
            *result = Variant(FFont.strikeOut());
            return S_OK;
        case DISPID_FONT_WEIGHT:
            *result = Variant(static_cast<LONG>(FFont.weight()));
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    QFont FFont;
};

// 0x00BBGGRR, the colour form of the original platform.
LONG OleColor(const QColor &color) {
    return static_cast<LONG>(color.red() | color.green() << 8 | color.blue() << 16);
}

// The locale identifier of the user's language (its default sub-language): the program's
// default locale, which is the system's unless the program chose another.
LCID UserDefaultLocale() {
    switch (QLocale().language()) {
    case QLocale::Japanese:
        return 0x0411;
    case QLocale::English:
        return 0x0409;
    case QLocale::German:
        return 0x0407;
    case QLocale::French:
        return 0x040C;
    case QLocale::Korean:
        return 0x0412;
    case QLocale::Chinese:
        return 0x0804;
    default:
        return LOCALE_USER_DEFAULT;
    }
}

} // namespace

std::optional<Variant> TWebBrowserSecure::AmbientProperty(DISPID member) {
    switch (member) {
    case DISPID_AMBIENT_USERAGENT:
        return Variant(FUserAgent.toStdString());
    case DISPID_AMBIENT_DLCONTROL:
        return Variant(static_cast<LONG>(FDownLoadControl2)); // VT_I4, bit for bit
    case DISPID_AMBIENT_OFFLINEIFNOTCONNECTED:
        return Variant(true);
    case DISPID_AMBIENT_BACKCOLOR:
        return Variant(OleColor(palette().color(backgroundRole())));
    case DISPID_AMBIENT_DISPLAYNAME:
        return Variant(objectName().toStdString());
    case DISPID_AMBIENT_FONT:
        // font() is the parent's font unless this control was given one of its own.
        return Variant(ComPtr<IDispatch>(MakeComObject<AmbientFont>(font())));
    case DISPID_AMBIENT_FORECOLOR:
        return Variant(OleColor(palette().color(foregroundRole())));
    case DISPID_AMBIENT_LOCALEID:
        return Variant(static_cast<LONG>(UserDefaultLocale()));
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_USERMODE:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
    case DISPID_AMBIENT_AUTOCLIP:
        return Variant(true);
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
        return Variant(false);
    default:
        return std::nullopt;
    }
}

HRESULT TWebBrowserSecure::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS *,
                                  Variant *result, EXCEPINFO *, UINT *) {
    if (!(flags & DISPATCH_PROPERTYGET) || !result)
        return DISP_E_MEMBERNOTFOUND;
    std::optional<Variant> value = AmbientProperty(member);
    if (!value)
        return DISP_E_MEMBERNOTFOUND;
    *result = std::move(*value);
    return S_OK;
}

HRESULT TWebBrowserSecure::GetTypeInfoCount(UINT *count) {
    IDispatch *engine = Application();
    return engine ? engine->GetTypeInfoCount(count) : E_UNEXPECTED;
}

HRESULT TWebBrowserSecure::GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) {
    IDispatch *engine = Application();
    return engine ? engine->GetTypeInfo(index, lcid, info) : E_UNEXPECTED;
}

HRESULT TWebBrowserSecure::GetIDsOfNames(REFIID riid, const LPCSTR *names, UINT count, LCID lcid,
                                         DISPID *ids) {
    IDispatch *engine = Application();
    return engine ? engine->GetIDsOfNames(riid, names, count, lcid, ids) : E_UNEXPECTED;
}
