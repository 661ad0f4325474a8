#include "app/ErrorDisplay.h"

#include "platform/kernel/SystemMessage.h"

#include <QApplication>
#include <QMessageBox>

QString SysErrorMessage(HRESULT code) {
    char buffer[512];
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, DWORD(code), 0, buffer, sizeof buffer, nullptr);
    if (length == 0)
        return u"OLE エラー %1"_qs.arg(DWORD(code), 8, 16, QLatin1Char('0')).toUpper();
    return QString::fromUtf8(buffer, length).trimmed();
}

EOleSysError::EOleSysError(HRESULT code)
    : std::runtime_error(SysErrorMessage(code).toStdString()), FErrorCode(code) {}

void OleCheck(HRESULT result) {
    if (FAILED(result))
        throw EOleSysError(result);
}

void ShowException(QWidget *parent, const std::exception &error) {
    auto *box = new QMessageBox(QMessageBox::Critical, QApplication::applicationName(),
                                QString::fromUtf8(error.what()), QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
