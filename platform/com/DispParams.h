#pragma once
// DISPPARAMS and EXCEPINFO, with checked access to the arguments of a call.
//
// As on the original platform, rgvarg holds the arguments in reverse order: the named arguments
// first (rgdispidNamedArgs[i] names rgvarg[i]), then the positional ones, last argument first.
// A property put passes its value as the named argument DISPID_PROPERTYPUT.

#include "platform/com/Variant.h"

#include <initializer_list>
#include <utility>

struct DISPPARAMS {
    VARIANTARG *rgvarg = nullptr;
    DISPID *rgdispidNamedArgs = nullptr;
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

struct EXCEPINFO {
    WORD wCode = 0;
    WORD wReserved = 0;
    std::string bstrSource;
    std::string bstrDescription;
    std::string bstrHelpFile;
    DWORD dwHelpContext = 0;
    HRESULT scode = S_OK;
};

// True when the counts and pointers of params are consistent (null params: no arguments).
bool IsWellFormed(const DISPPARAMS *params);
// Number of positional arguments; 0 for malformed params.
UINT PositionalCount(const DISPPARAMS *params);
// The positional argument at position (0 = first in declaration order), or null.
Variant *PositionalArg(const DISPPARAMS *params, UINT position);
// The named argument with the given DISPID (a parameter position or DISPID_PROPERTYPUT), or null.
Variant *NamedArg(const DISPPARAMS *params, DISPID name);
// The argument for the parameter at position: positional arguments fill the first parameters,
// named ones any of the rest.
Variant *ArgAt(const DISPPARAMS *params, UINT position);

// Owns the arguments of an outgoing call and lays them out as DISPPARAMS.
class DispArgs final {
public:
    // Positional arguments in declaration order.
    DispArgs(std::initializer_list<Variant> args);
    // A property put: the value as the named argument DISPID_PROPERTYPUT.
    static DispArgs PropertyPut(Variant value);

    DispArgs(const DispArgs &) = delete;
    DispArgs &operator=(const DispArgs &) = delete;
    DispArgs(DispArgs &&other) noexcept;
    DispArgs &operator=(DispArgs &&) = delete;

    DISPPARAMS *Params() { return &m_params; }
    // Positional argument in declaration order, or null.
    Variant *Arg(UINT position) { return PositionalArg(&m_params, position); }

private:
    DispArgs() = default;
    void Bind();

    std::vector<Variant> m_args; // reversed
    std::vector<DISPID> m_names;
    DISPPARAMS m_params;
};
