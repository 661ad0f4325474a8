#pragma once
// Base for objects that implement IDispatch without type information: GetTypeInfoCount answers
// 0 and GetTypeInfo E_NOTIMPL; the object supplies GetIDsOfNames and Invoke.
//
//   class Ambient final : public DispatchObject<IDispatch> { ... };

#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"

template <typename... Interfaces> class DispatchObject : public ComObject<Interfaces...> {
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

protected:
    DispatchObject() = default;
};
