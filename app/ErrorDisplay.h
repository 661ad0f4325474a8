#pragma once
// Failing engine calls as exceptions, and the application's error display.

#include "platform/com/HResult.h"

#include <QString>

#include <stdexcept>

class QWidget;

// The system's text for a result code, without its line end; "OLE エラー XXXXXXXX" for a code
// the system has no text for.
QString SysErrorMessage(HRESULT code);

// A call on the engine that failed; what() is the system's text for its result (UTF-8).
class EOleSysError final : public std::runtime_error {
public:
    explicit EOleSysError(HRESULT code);
    HRESULT ErrorCode() const { return FErrorCode; }

private:
    HRESULT FErrorCode;
};

// Raises EOleSysError for a failure result.
void OleCheck(HRESULT result);

// The application's error display: a message box with the error's text, captioned with the
// application's title. It does not wait for the box to close.
void ShowException(QWidget *parent, const std::exception &error);
