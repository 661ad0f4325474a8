#include "platform/com/Variant.h"

#include <charconv>
#include <limits>
#include <strings.h>

namespace {

template <class... F> struct Overloaded : F... { using F::operator()...; };
template <class... F> Overloaded(F...) -> Overloaded<F...>;

// Decimal integer with optional sign and surrounding spaces, nothing else.
std::optional<std::int64_t> ParseInteger(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> ToInteger(const auto &value) {
    using R = std::optional<std::int64_t>;
    return std::visit(Overloaded{
                          [](std::monostate) -> R { return 0; },
                          [](LONG v) -> R { return v; },
                          [](ULONG v) -> R { return v; },
                          [](bool v) -> R { return v ? VARIANT_TRUE : VARIANT_FALSE; },
                          [](const std::string &v) -> R { return ParseInteger(v); },
                          [](const auto &) -> R { return std::nullopt; },
                      },
                      value);
}

} // namespace

Variant Variant::Null() {
    Variant v;
    v.m_value = NullValue{};
    return v;
}

Variant Variant::Bytes(std::vector<BYTE> bytes) {
    Variant v;
    v.m_value = std::move(bytes);
    return v;
}

Variant Variant::Ref(Variant *target) {
    Variant v;
    if (target)
        v.m_value = Reference{target};
    return v;
}

VARTYPE Variant::Type() const {
    return std::visit(Overloaded{
                          [](std::monostate) { return VT_EMPTY; },
                          [](NullValue) { return VT_NULL; },
                          [](LONG) { return VT_I4; },
                          [](ULONG) { return VT_UI4; },
                          [](bool) { return VT_BOOL; },
                          [](const std::string &) { return VT_BSTR; },
                          [](const ComPtr<IDispatch> &) { return VT_DISPATCH; },
                          [](const ComPtr<IUnknown> &) { return VT_UNKNOWN; },
                          [](const std::vector<BYTE> &) { return VARTYPE(VT_ARRAY | VT_UI1); },
                          [](Reference) { return VARTYPE(VT_BYREF | VT_VARIANT); },
                      },
                      m_value);
}

const Variant &Variant::Value() const {
    static const Variant mismatch = Null();
    const auto *ref = std::get_if<Reference>(&m_value);
    if (!ref)
        return *this;
    if (std::holds_alternative<Reference>(ref->target->m_value))
        return mismatch;
    return *ref->target;
}

std::optional<LONG> Variant::ToI4() const {
    const auto v = ToInteger(Value().m_value);
    if (!v || *v < std::numeric_limits<LONG>::min() || *v > std::numeric_limits<LONG>::max())
        return std::nullopt;
    return static_cast<LONG>(*v);
}

std::optional<ULONG> Variant::ToUI4() const {
    const auto v = ToInteger(Value().m_value);
    if (!v || *v < 0 || *v > std::numeric_limits<ULONG>::max())
        return std::nullopt;
    return static_cast<ULONG>(*v);
}

std::optional<bool> Variant::ToBool() const {
    if (const auto *text = std::get_if<std::string>(&Value().m_value)) {
        if (strcasecmp(text->c_str(), "true") == 0)
            return true;
        if (strcasecmp(text->c_str(), "false") == 0)
            return false;
    }
    const auto v = ToInteger(Value().m_value);
    if (!v)
        return std::nullopt;
    return *v != 0;
}

std::optional<std::string> Variant::ToString() const {
    using R = std::optional<std::string>;
    return std::visit(Overloaded{
                          [](std::monostate) -> R { return std::string(); },
                          [](LONG v) -> R { return std::to_string(v); },
                          [](ULONG v) -> R { return std::to_string(v); },
                          [](bool v) -> R { return v ? "True" : "False"; },
                          [](const std::string &v) -> R { return v; },
                          [](const auto &) -> R { return std::nullopt; },
                      },
                      Value().m_value);
}

IDispatch *Variant::Dispatch() const {
    const auto *p = std::get_if<ComPtr<IDispatch>>(&Value().m_value);
    return p ? p->Get() : nullptr;
}

IUnknown *Variant::Unknown() const {
    if (const auto *p = std::get_if<ComPtr<IUnknown>>(&Value().m_value))
        return p->Get();
    return Dispatch();
}

const std::vector<BYTE> *Variant::ByteArray() const {
    return std::get_if<std::vector<BYTE>>(&Value().m_value);
}

Variant *Variant::RefTarget() const {
    const auto *ref = std::get_if<Reference>(&m_value);
    return ref ? ref->target : nullptr;
}

HRESULT Variant::SetOut(Variant value) const {
    Variant *target = RefTarget();
    if (!target)
        return E_INVALIDARG;
    *target = std::move(value);
    return S_OK;
}
