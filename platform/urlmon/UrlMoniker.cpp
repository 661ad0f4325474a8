#include "platform/urlmon/UrlMoniker.h"

#include "platform/com/ComObject.h"
#include "platform/urlmon/WideText.h"

#include <QDebug>

#include <string>

namespace {

class UrlMoniker final : public ComObject<IMoniker> {
public:
    explicit UrlMoniker(std::u16string url) : m_url(std::move(url)) {}

    HRESULT GetDisplayName(IBindCtx *, IMoniker *, LPOLESTR *displayName) override {
        if (!displayName)
            return E_INVALIDARG;
        *displayName = urlmon::CoTaskMemString(m_url);
        return *displayName ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::u16string m_url;
};

} // namespace

HRESULT CreateURLMoniker(IMoniker *context, LPCWSTR url, IMoniker **moniker) {
    if (!moniker)
        return E_INVALIDARG;
    *moniker = nullptr;
    if (!url || !*url)
        return E_INVALIDARG;
    if (context) {
        qWarning("urlmon: CreateURLMoniker with a base moniker is not implemented");
        return E_NOTIMPL;
    }
    *moniker = MakeComObject<UrlMoniker>(std::u16string(url)).Detach();
    return S_OK;
}
