#pragma once
// Late-bound calls on the document model, as a script caller makes them: names looked up with
// GetIDsOfNames, then Invoke.

#include "platform/com/DispParams.h"

#include <QString>

#include <initializer_list>

inline HRESULT InvokeByName(IDispatch *object, const char *name, WORD flags, DISPPARAMS *params,
                            Variant *result, EXCEPINFO *excep = nullptr) {
    DISPID id = DISPID_UNKNOWN;
    if (const HRESULT hr = object->GetIDsOfNames(GUID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
        FAILED(hr))
        return hr;
    return object->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, flags, params, result, excep,
                          nullptr);
}

// Reads a property by name.
inline HRESULT GetByName(IDispatch *object, const char *name, Variant *value,
                         EXCEPINFO *excep = nullptr) {
    return InvokeByName(object, name, DISPATCH_PROPERTYGET, nullptr, value, excep);
}

// Writes a property by name.
inline HRESULT PutByName(IDispatch *object, const char *name, Variant value,
                         EXCEPINFO *excep = nullptr) {
    DispArgs put = DispArgs::PropertyPut(std::move(value));
    return InvokeByName(object, name, DISPATCH_PROPERTYPUT, put.Params(), nullptr, excep);
}

// Calls a method (or indexed property such as item) by name.
inline HRESULT CallByName(IDispatch *object, const char *name, std::initializer_list<Variant> args,
                          Variant *result) {
    DispArgs list(args);
    return InvokeByName(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, list.Params(),
                        result);
}

// A dispatch-valued property, or null.
inline ComPtr<IDispatch> Object(IDispatch *object, const char *name) {
    Variant value;
    if (!object || FAILED(GetByName(object, name, &value)))
        return nullptr;
    return ComPtr<IDispatch>(value.Dispatch());
}

inline QString Text(const Variant &value) {
    return QString::fromStdString(value.ToString().value_or("<not text>"));
}
