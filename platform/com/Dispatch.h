#pragma once
// IDispatch: late-bound calls by DISPID, with the DISPIDs and call flags the program and the
// engine exchange. Names and strings are UTF-8 (see Variant.h).

#include "platform/com/Unknown.h"

using DISPID = LONG;
using LCID = DWORD;

class Variant;
struct DISPPARAMS;
struct EXCEPINFO;
class InterfaceInfo;

// Invoke flags.
constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

// Reserved DISPIDs.
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_NEWENUM = -4;

// Ambient properties the browser control asks its host for.
constexpr DISPID DISPID_AMBIENT_OFFLINEIFNOTCONNECTED = -5501;
constexpr DISPID DISPID_AMBIENT_SILENT = -5502;
constexpr DISPID DISPID_AMBIENT_DLCONTROL = -5512;
constexpr DISPID DISPID_AMBIENT_USERAGENT = -5513;

// Describes one interface of a type library (TypeLibrary.h).
struct ITypeInfo : IUnknown {
    static constexpr IID iid{0x00020401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    using Base = IUnknown;
    // The description stays valid while this object is referenced.
    virtual HRESULT GetInterfaceInfo(const InterfaceInfo **info) = 0;

protected:
    ~ITypeInfo() = default;
};

struct IDispatch : IUnknown {
    static constexpr IID iid{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    using Base = IUnknown;
    virtual HRESULT GetTypeInfoCount(UINT *count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) = 0;
    // names[0] is a member, names[1..] its parameters; ids receive the member's DISPID and the
    // parameters' positions. Unknown names give DISPID_UNKNOWN and DISP_E_UNKNOWNNAME.
    virtual HRESULT GetIDsOfNames(REFIID riid, const LPCSTR *names, UINT count, LCID lcid,
                                  DISPID *ids) = 0;
    // riid must be GUID_NULL. result and excepInfo may be null; argErr receives the position of a
    // rejected argument.
    virtual HRESULT Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS *params,
                           Variant *result, EXCEPINFO *excepInfo, UINT *argErr) = 0;

protected:
    ~IDispatch() = default;
};
