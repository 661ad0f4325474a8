#include "platform/com/DispParams.h"

#include <algorithm>

bool IsWellFormed(const DISPPARAMS *params) {
    if (!params)
        return true;
    return params->cNamedArgs <= params->cArgs && (params->cArgs == 0 || params->rgvarg) &&
           (params->cNamedArgs == 0 || params->rgdispidNamedArgs);
}

UINT PositionalCount(const DISPPARAMS *params) {
    if (!params || !IsWellFormed(params))
        return 0;
    return params->cArgs - params->cNamedArgs;
}

Variant *PositionalArg(const DISPPARAMS *params, UINT position) {
    if (position >= PositionalCount(params))
        return nullptr;
    return &params->rgvarg[params->cArgs - 1 - position];
}

Variant *NamedArg(const DISPPARAMS *params, DISPID name) {
    if (!params || !IsWellFormed(params))
        return nullptr;
    for (UINT i = 0; i < params->cNamedArgs; ++i) {
        if (params->rgdispidNamedArgs[i] == name)
            return &params->rgvarg[i];
    }
    return nullptr;
}

Variant *ArgAt(const DISPPARAMS *params, UINT position) {
    if (position < PositionalCount(params))
        return PositionalArg(params, position);
    return NamedArg(params, static_cast<DISPID>(position));
}

DispArgs::DispArgs(std::initializer_list<Variant> args) : m_args(args) {
    std::reverse(m_args.begin(), m_args.end());
    Bind();
}

DispArgs DispArgs::PropertyPut(Variant value) {
    DispArgs put;
    put.m_args.push_back(std::move(value));
    put.m_names.push_back(DISPID_PROPERTYPUT);
    put.Bind();
    return put;
}

DispArgs::DispArgs(DispArgs &&other) noexcept
    : m_args(std::move(other.m_args)), m_names(std::move(other.m_names)) {
    Bind();
    other.Bind();
}

void DispArgs::Bind() {
    m_params.rgvarg = m_args.empty() ? nullptr : m_args.data();
    m_params.rgdispidNamedArgs = m_names.empty() ? nullptr : m_names.data();
    m_params.cArgs = static_cast<UINT>(m_args.size());
    m_params.cNamedArgs = static_cast<UINT>(m_names.size());
}
