#include "platform/registry/ErrorText.h"
#include "platform/registry/KeyNames.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/RegFileParser.h"
#include "platform/registry/Transaction.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <vector>

namespace registry {

namespace {

LONG Apply(const RegOperation &operation) {
    switch (operation.kind) {
    case RegOperation::Kind::DeleteKey: {
        const LONG status = RegDeleteTreeA(operation.root, operation.subKey.c_str());
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    case RegOperation::Kind::CreateKey:
    case RegOperation::Kind::SetValue:
    case RegOperation::Kind::DeleteValue:
        break;
    }
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(operation.root, operation.subKey.c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    if (operation.kind == RegOperation::Kind::SetValue)
        status = RegSetValueExA(key, operation.name.c_str(), 0, operation.type,
                                operation.data.data(), DWORD(operation.data.size()));
    else if (operation.kind == RegOperation::Kind::DeleteValue) {
        status = RegDeleteValueA(key, operation.name.c_str());
        if (status == ERROR_FILE_NOT_FOUND)
            status = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return status;
}

} // namespace

bool ImportRegText(std::string_view bytes, std::string &error) {
    std::vector<RegOperation> operations;
    if (const auto failure = ParseRegText(bytes, operations)) {
        error = "line " + std::to_string(failure->line) + ": " + failure->message;
        return false;
    }
    // All of the file or nothing: a failure part-way leaves the registry as it was.
    Transaction transaction;
    for (const auto &operation : operations) {
        if (const LONG status = Apply(operation); status != ERROR_SUCCESS) {
            error = "line " + std::to_string(operation.line) + ": " + RootKeyName(operation.root) +
                    (operation.subKey.empty() ? "" : "\\") + operation.subKey + ": " +
                    ErrorText(status);
            return false;
        }
    }
    if (const LONG status = transaction.Commit(); status != ERROR_SUCCESS) {
        error = "the import could not be saved: " + ErrorText(status);
        return false;
    }
    return true;
}

bool ImportRegFile(const std::string &fileName, std::string &error) {
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot read " + fileName + ": " + file.errorString().toStdString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (!ImportRegText(std::string_view(bytes.constData(), std::size_t(bytes.size())), error)) {
        error = fileName + ": " + error;
        return false;
    }
    return true;
}

} // namespace registry
