#pragma once
// A URL moniker: names a URL. Only what the engine needs of it is offered (the display name).

#include "platform/com/Unknown.h"
#include "platform/urlmon/WideChar.h"

struct IBindCtx;

struct IMoniker : IUnknown {
    static constexpr IID iid{0x0000000F, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    // *displayName receives the URL, allocated with CoTaskMemAlloc. bindCtx and left are unused.
    virtual HRESULT GetDisplayName(IBindCtx *bindCtx, IMoniker *left, LPOLESTR *displayName) = 0;

protected:
    ~IMoniker() = default;
};

// context (a base moniker) is not supported yet: non-null answers E_NOTIMPL. Empty or null url:
// E_INVALIDARG.
HRESULT CreateURLMoniker(IMoniker *context, LPCWSTR url, IMoniker **moniker);
