#pragma once
// HRESULT and the named result codes the program and the platform modules exchange.

#include "platform/kernel/Win32.h"

using HRESULT = std::int32_t;

constexpr HRESULT MakeHResult(std::uint32_t v) { return static_cast<HRESULT>(v); }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr HRESULT HRESULT_FROM_WIN32(LONG e) {
    return e <= 0 ? static_cast<HRESULT>(e)
                  : MakeHResult((static_cast<std::uint32_t>(e) & 0xFFFFu) | 0x80070000u);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003);
constexpr HRESULT E_ABORT = MakeHResult(0x80004004);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005);
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005);
constexpr HRESULT E_HANDLE = MakeHResult(0x80070006);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154);
constexpr HRESULT CO_E_SERVER_EXEC_FAILURE = MakeHResult(0x80080005);
constexpr HRESULT RPC_E_DISCONNECTED = MakeHResult(0x80010108);
constexpr HRESULT RPC_E_SERVER_UNAVAILABLE = MakeHResult(0x800706BA);
constexpr HRESULT OLE_E_BLANK = MakeHResult(0x80040007);
constexpr HRESULT OLECMDERR_E_NOTSUPPORTED = MakeHResult(0x80040100);
constexpr HRESULT OLECMDERR_E_DISABLED = MakeHResult(0x80040101);
constexpr HRESULT OLECMDERR_E_UNKNOWNGROUP = MakeHResult(0x80040104);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = MakeHResult(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHResult(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeHResult(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHResult(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHResult(0x80020006);
constexpr HRESULT DISP_E_EXCEPTION = MakeHResult(0x80020009);
constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHResult(0x8002000E);
constexpr HRESULT DISP_E_BADINDEX = MakeHResult(0x8002000B);
constexpr HRESULT INET_E_INVALID_URL = MakeHResult(0x800C0002);
constexpr HRESULT INET_E_USE_DEFAULT_PROTOCOLHANDLER = MakeHResult(0x800C0011);
constexpr HRESULT INET_E_DEFAULT_ACTION = INET_E_USE_DEFAULT_PROTOCOLHANDLER;
constexpr HRESULT INET_E_USE_DEFAULT_SETTING = MakeHResult(0x800C0012);
constexpr HRESULT INET_E_CANNOT_CONNECT = MakeHResult(0x800C0004);
constexpr HRESULT INET_E_DOWNLOAD_FAILURE = MakeHResult(0x800C0008);
constexpr HRESULT INET_E_SECURITY_PROBLEM = MakeHResult(0x800C000E);
