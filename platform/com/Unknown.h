#pragma once
// IUnknown and the ComPtr smart pointer. Every interface declares its IID as `static constexpr
// IID iid`.

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

#include <type_traits>
#include <utility>

struct IUnknown {
    static constexpr IID iid{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    virtual HRESULT QueryInterface(REFIID riid, void **object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

// Owning reference to a COM interface: AddRef on copy, Release on destruction.
template <typename T> class ComPtr final {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    ComPtr(T *p) : m_p(p) {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr(const ComPtr &o) : ComPtr(o.m_p) {}
    // From a pointer to a derived type (an implementation class or a derived interface).
    template <typename U>
    requires(!std::is_same_v<U, T> && std::is_convertible_v<U *, T *>) ComPtr(ComPtr<U> o)
        : m_p(o.Detach()) {}
    ComPtr(ComPtr &&o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ~ComPtr() { Reset(); }
    ComPtr &operator=(const ComPtr &o) {
        ComPtr(o).Swap(*this);
        return *this;
    }
    ComPtr &operator=(ComPtr &&o) noexcept {
        ComPtr(std::move(o)).Swap(*this);
        return *this;
    }

    // Takes over a reference the caller already owns (no AddRef).
    static ComPtr Attach(T *p) {
        ComPtr r;
        r.m_p = p;
        return r;
    }
    T *Detach() { return std::exchange(m_p, nullptr); }
    void Reset() {
        if (T *p = std::exchange(m_p, nullptr))
            p->Release();
    }
    void Swap(ComPtr &o) noexcept { std::swap(m_p, o.m_p); }

    T *Get() const { return m_p; }
    T *operator->() const { return m_p; }
    T &operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // Address for out parameters; releases what is held first.
    T **ReleaseAndGetAddressOf() {
        Reset();
        return &m_p;
    }

    template <typename U> HRESULT As(ComPtr<U> &out) const {
        if (!m_p)
            return E_POINTER;
        return m_p->QueryInterface(U::iid, reinterpret_cast<void **>(out.ReleaseAndGetAddressOf()));
    }
    template <typename U> ComPtr<U> As() const {
        ComPtr<U> out;
        As(out);
        return out;
    }

    friend bool operator==(const ComPtr &a, const ComPtr &b) { return a.m_p == b.m_p; }

private:
    T *m_p = nullptr;
};
