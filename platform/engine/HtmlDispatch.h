#pragma once
// IDispatch over a type-library table for the document model's read-only objects: names and
// calls are checked against the table, then the object answers the member it found.

#include "platform/com/ComObject.h"
#include "platform/com/TypeLibrary.h"

namespace engine {

template <typename Interface> class TableDispatch : public ComObject<Interface> {
public:
    HRESULT GetTypeInfoCount(UINT *count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo **info) override {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
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
