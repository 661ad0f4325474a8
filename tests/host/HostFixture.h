#pragma once
// A TWebBrowserSecure in a fresh platform directory, and a client site that counts the engine's
// reads of each ambient property while passing them on to the control.

#include "host/WebBrowserSecure.h"
#include "platform/com/ComObject.h"
#include "tests/support/FreshPlatformDir.h"

#include <QHash>
#include <QtTest>

#include <memory>

class CountingSite final : public ComObject<IDispatch> {
public:
    explicit CountingSite(TWebBrowserSecure *browser) : m_browser(browser) {}

    QHash<DISPID, int> reads;

    HRESULT GetTypeInfoCount(UINT *count) override { return m_browser->GetTypeInfoCount(count); }
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) override {
        return m_browser->GetTypeInfo(index, lcid, info);
    }
    HRESULT GetIDsOfNames(REFIID riid, const LPCSTR *names, UINT count, LCID lcid,
                          DISPID *ids) override {
        return m_browser->GetIDsOfNames(riid, names, count, lcid, ids);
    }
    HRESULT Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS *params,
                   Variant *result, EXCEPINFO *excepInfo, UINT *argErr) override {
        if (flags & DISPATCH_PROPERTYGET)
            ++reads[member];
        return m_browser->Invoke(member, riid, lcid, flags, params, result, excepInfo, argErr);
    }

private:
    TWebBrowserSecure *m_browser;
};

struct HostFixture {
    HostFixture() { browser->setObjectName(u"WebBrowser1"_qs); }
    ~HostFixture() { browser.reset(); }
    HostFixture(const HostFixture &) = delete;
    HostFixture &operator=(const HostFixture &) = delete;

    // Before the control registers the engine's class.
    FreshPlatformDir platformDir;
    std::unique_ptr<TWebBrowserSecure> browser = std::make_unique<TWebBrowserSecure>();
};
