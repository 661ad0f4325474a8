#pragma once
// A small VARIANT: the value types the program and the engine pass through IDispatch.
// Strings (VT_BSTR) are UTF-8 std::string, the text form every other platform interface uses
// here; BSTR lengths are therefore bytes. VT_BYREF|VT_VARIANT refers to a caller's Variant and
// is how out arguments (an event's Cancel flag, a result slot) travel; it does not own it.

#include "platform/com/Dispatch.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

using VARTYPE = WORD;
using VARIANT_BOOL = std::int16_t;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_NULL = 1;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_DISPATCH = 9;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_VARIANT = 12;
constexpr VARTYPE VT_UNKNOWN = 13;
constexpr VARTYPE VT_UI1 = 17;
constexpr VARTYPE VT_UI4 = 19;
constexpr VARTYPE VT_ARRAY = 0x2000;
constexpr VARTYPE VT_BYREF = 0x4000;

class Variant final {
public:
    Variant() = default; // VT_EMPTY
    Variant(LONG value) : m_value(value) {}
    Variant(ULONG value) : m_value(value) {}
    Variant(bool value) : m_value(value) {}
    Variant(VARIANT_BOOL value) : m_value(value != VARIANT_FALSE) {} // VT_BOOL, as VARIANT_TRUE
    Variant(std::string value) : m_value(std::move(value)) {}
    Variant(const char *value) : m_value(std::string(value ? value : "")) {}
    Variant(ComPtr<IDispatch> value) : m_value(std::move(value)) {}
    Variant(ComPtr<IUnknown> value) : m_value(std::move(value)) {}

    static Variant Null();
    // VT_ARRAY|VT_UI1, e.g. post data.
    static Variant Bytes(std::vector<BYTE> bytes);
    // VT_BYREF|VT_VARIANT referring to target (a null target gives VT_EMPTY).
    static Variant Ref(Variant *target);

    VARTYPE Type() const;
    bool IsEmpty() const { return Type() == VT_EMPTY; }
    void Clear() { m_value = std::monostate{}; }

    // Conversions as VariantChangeType does them for these types; nullopt when the value
    // cannot be represented (VT_NULL, objects, out of range, text that is not a number).
    // A by-reference value is read through its target.
    std::optional<LONG> ToI4() const;
    std::optional<ULONG> ToUI4() const;
    std::optional<bool> ToBool() const;
    std::optional<std::string> ToString() const;
    VARIANT_BOOL ToVariantBool() const {
        return ToBool().value_or(false) ? VARIANT_TRUE : VARIANT_FALSE;
    }

    // Exact-type access; null when the (dereferenced) value has another type.
    IDispatch *Dispatch() const;
    IUnknown *Unknown() const; // VT_UNKNOWN or VT_DISPATCH
    const std::vector<BYTE> *ByteArray() const;
    Variant *RefTarget() const;

    // Stores value through a VT_BYREF|VT_VARIANT; E_INVALIDARG for any other type.
    HRESULT SetOut(Variant value) const;

    friend bool operator==(const Variant &, const Variant &) = default;

private:
    struct NullValue {
        friend bool operator==(NullValue, NullValue) = default;
    };
    struct Reference {
        Variant *target = nullptr;
        friend bool operator==(Reference, Reference) = default;
    };
    // One level of indirection at most: a reference to a reference reads as a type mismatch.
    const Variant &Value() const;

    std::variant<std::monostate, NullValue, LONG, ULONG, bool, std::string, ComPtr<IDispatch>,
                 ComPtr<IUnknown>, std::vector<BYTE>, Reference>
        m_value;
};

using VARIANT = Variant;
using VARIANTARG = Variant;
