#pragma once
// IDispatch over a type-library table for the document model's objects: names and calls are
// checked against the table, then the object answers the member it found. An object with several
// interfaces answers all of them through the one table.

#include "platform/com/DispatchObject.h"
#include "platform/com/TypeLibrary.h"

namespace engine {

// The value of a property put the table accepted.
inline const Variant &PutValue(DISPPARAMS *params) {
    const Variant *value = NamedArg(params, DISPID_PROPERTYPUT);
    return *(value ? value : ArgAt(params, 0));
}

// A read-write property: a getter and a put with one value.
inline void AddProperty(InterfaceInfo &info, const char *name, DISPID dispid, VARTYPE type,
                        bool writable) {
    info.Add(MemberInfo{name, dispid, DISPATCH_PROPERTYGET, type, {}, {}});
    if (writable)
        info.Add(MemberInfo{name,
                            dispid,
                            DISPATCH_PROPERTYPUT,
                            VT_EMPTY,
                            {ParamInfo{"value", VT_VARIANT, false, false}},
                            {}});
}

template <typename... Interfaces> class TableDispatch : public DispatchObject<Interfaces...> {
public:
    HRESULT GetIDsOfNames(REFIID, const LPCSTR *names, UINT count, LCID, DISPID *ids) override {
        return Info().GetIDsOfNames(names, count, ids);
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params, Variant *result,
                   EXCEPINFO *excepInfo, UINT *argErr) override {
        const MemberInfo *member = nullptr;
        if (const HRESULT hr = Info().CheckCall(id, flags, params, &member, argErr); FAILED(hr))
            return hr;
        Variant value;
        const HRESULT hr = Call(*member, params, &value);
        if (FAILED(hr)) {
            if (!excepInfo)
                return hr;
            *excepInfo = EXCEPINFO{};
            excepInfo->bstrSource = Info().Name();
            excepInfo->bstrDescription = hr == E_ACCESSDENIED ? "Access is denied." : member->name;
            excepInfo->scode = hr;
            return DISP_E_EXCEPTION;
        }
        if (result)
            *result = std::move(value);
        return S_OK;
    }

protected:
    TableDispatch() = default;
    virtual const InterfaceInfo &Info() const = 0;
    // Runs a member the table accepted for this call.
    virtual HRESULT Call(const MemberInfo &member, DISPPARAMS *params, Variant *result) = 0;
};

} // namespace engine
