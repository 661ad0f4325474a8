#pragma once
// IServiceProvider: an object hands out services (interfaces of itself or of others) by service id.

#include "platform/com/Unknown.h"

struct IServiceProvider : IUnknown {
    static constexpr IID iid{
        0x6D5140C1, 0x7436, 0x11CE, {0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA}};
    // Fills *object with the riid interface of the service guidService; E_NOINTERFACE when the
    // service or the interface is not offered (then *object is null).
    virtual HRESULT QueryService(REFGUID guidService, REFIID riid, void **object) = 0;

protected:
    ~IServiceProvider() = default;
};
