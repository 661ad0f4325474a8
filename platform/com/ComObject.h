#pragma once
// Reference-counting base for objects that implement COM interfaces.
//
//   class Site final : public ComObject<IDispatch, IServiceProvider> { ... };
//   ComPtr<Site> site = MakeComObject<Site>(args...);
//
// QueryInterface answers IUnknown (always the same pointer, the object's identity), each listed
// interface, and the interfaces those derive from when they declare it as `using Base = Parent;`
// (IDispatch declares IUnknown). The count is atomic; the last Release deletes the object.

#include "platform/com/Unknown.h"

#include <atomic>
#include <type_traits>

template <typename First, typename... Rest> class ComObject : public First, public Rest... {
public:
    ComObject(const ComObject &) = delete;
    ComObject &operator=(const ComObject &) = delete;

    HRESULT QueryInterface(REFIID riid, void **object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid == IUnknown::iid)
            *object = static_cast<IUnknown *>(static_cast<First *>(this));
        else if (!(Find<First>(riid, object) || (Find<Rest>(riid, object) || ...)))
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override {
        const ULONG left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    template <typename I> bool Find(REFIID riid, void **object) {
        I *self = static_cast<I *>(this);
        if (riid == I::iid) {
            *object = self;
            return true;
        }
        return FindBase(riid, object, self);
    }
    // Walks further up an interface's chain of bases from an unambiguous starting pointer.
    template <typename I> static bool FindBase(REFIID riid, void **object, I *from) {
        if constexpr (requires { typename I::Base; }) {
            using B = typename I::Base;
            if constexpr (!std::is_same_v<B, IUnknown>) {
                if (riid == B::iid) {
                    *object = static_cast<B *>(from);
                    return true;
                }
                return FindBase<B>(riid, object, static_cast<B *>(from));
            }
        }
        return false;
    }

    std::atomic<ULONG> m_refs{0};
};

// Creates a reference-counted object and hands back the first reference.
template <typename T, typename... Args> ComPtr<T> MakeComObject(Args &&...args) {
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}
