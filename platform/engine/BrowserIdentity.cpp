#include "platform/engine/BrowserIdentity.h"

#include "platform/com/DispatchObject.h"

#include <QLoggingCategory>

namespace engine {

namespace {

Q_LOGGING_CATEGORY(lcIdentity, "quillmere.engine.dispatch")

class BrowserIdentity final : public DispatchObject<IDispatch> {
public:
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo **info) override {
        if (info)
            *info = nullptr;
        return Unimplemented("GetTypeInfo");
    }
    HRESULT GetIDsOfNames(REFIID, const LPCSTR *, UINT, LCID, DISPID *) override {
        return Unimplemented("GetIDsOfNames");
    }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, Variant *, EXCEPINFO *,
                   UINT *) override {
        return Unimplemented("Invoke");
    }

private:
    static HRESULT Unimplemented(const char *what) {
        qCWarning(lcIdentity, "%s on the browser's event dispatch is not implemented", what);
        return E_NOTIMPL;
    }
};

} // namespace

ComPtr<IDispatch> MakeBrowserIdentity() {
    return ComPtr<IDispatch>(MakeComObject<BrowserIdentity>().Get());
}

} // namespace engine
