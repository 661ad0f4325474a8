#include "platform/registry/ErrorText.h"
#include "platform/registry/KeyNames.h"
#include "platform/registry/RegFile.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace registry {

namespace {

// The editor breaks hex data after the byte that reaches this column.
constexpr std::size_t HexWrapColumn = 77;

std::string Quote(const std::string &text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::vector<BYTE> Utf8ToUtf16(const std::vector<BYTE> &bytes) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    std::vector<BYTE> units;
    for (const QChar c : text) {
        units.push_back(BYTE(c.unicode() & 0xff));
        units.push_back(BYTE(c.unicode() >> 8));
    }
    return units;
}

std::string HexData(const std::string &prefix, const std::vector<BYTE> &bytes) {
    std::string line = prefix;
    // Columns count characters, not bytes.
    std::size_t column = std::size_t(QString::fromStdString(prefix).size());
    char hex[3];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        line += hex;
        if (i + 1 == bytes.size())
            break;
        line += ',';
        column += 3;
        if (column >= HexWrapColumn) {
            line += "\\\r\n  ";
            column = 2;
        }
    }
    return line;
}

std::string ValueLine(const std::string &name, DWORD type, const std::vector<BYTE> &data) {
    const std::string left = (name.empty() ? std::string("@") : Quote(name)) + "=";
    const bool plainText = type == REG_SZ && !data.empty() && data.back() == 0 &&
                           std::find(data.begin(), data.end() - 1, BYTE(0)) == data.end() - 1;
    if (plainText)
        return left + Quote(std::string(data.begin(), data.end() - 1));
    if (type == REG_DWORD && data.size() == 4) {
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x",
                      unsigned(data[0] | data[1] << 8 | data[2] << 16 | unsigned(data[3]) << 24));
        return left + text;
    }
    if (type == REG_BINARY)
        return HexData(left + "hex:", data);
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", unsigned(type));
    const bool isString = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    return HexData(left + prefix, isString ? Utf8ToUtf16(data) : data);
}

class Exporter final {
public:
    LONG Key(HKEY key, const std::string &path) {
        FText += "[" + path + "]\r\n";
        DWORD maxName = 0, maxData = 0;
        LONG status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, &maxName, &maxData, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            return status;
        std::vector<char> name(maxName + 1);
        std::vector<BYTE> data(maxData);
        for (DWORD index = 0;; ++index) {
            DWORD nameChars = DWORD(name.size()), size = DWORD(data.size()), type = 0;
            status = RegEnumValueA(key, index, name.data(), &nameChars, nullptr, &type, data.data(),
                                   &size);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status != ERROR_SUCCESS) // also a value grown since the sizes were taken
                return status;
            FText += ValueLine(std::string(name.data(), nameChars), type,
                               std::vector<BYTE>(data.begin(), data.begin() + size)) +
                     "\r\n";
        }
        FText += "\r\n";
        std::vector<char> child(256);
        for (DWORD index = 0;; ++index) {
            DWORD chars = DWORD(child.size());
            status =
                RegEnumKeyExA(key, index, child.data(), &chars, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS)
                return ERROR_SUCCESS;
            if (status == ERROR_MORE_DATA) {
                child.resize(child.size() * 2);
                --index;
                continue;
            }
            if (status != ERROR_SUCCESS)
                return status;
            const std::string childName(child.data(), chars);
            HKEY opened = nullptr;
            status = RegOpenKeyExA(key, childName.c_str(), 0, KEY_READ, &opened);
            if (status != ERROR_SUCCESS)
                return status;
            status = Key(opened, path + "\\" + childName);
            RegCloseKey(opened);
            if (status != ERROR_SUCCESS)
                return status;
        }
    }

    std::string Utf16Bytes() const {
        const QString text = QString::fromStdString(FText);
        std::string bytes = "\xFF\xFE";
        bytes.append(reinterpret_cast<const char *>(text.utf16()), std::size_t(text.size()) * 2);
        return bytes;
    }

    std::string FText = "Windows Registry Editor Version 5.00\r\n\r\n";
};

} // namespace

bool ExportRegText(const std::string &keyPath, std::string &bytes, std::string &error) {
    const auto rooted = ParseRootedPath(keyPath);
    if (!rooted) {
        error = "unknown root key in " + keyPath;
        return false;
    }
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(rooted->root, rooted->subKey.c_str(), 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) {
        const std::string root = RootKeyName(rooted->root);
        Exporter exporter;
        status = exporter.Key(key, rooted->subKey.empty() ? root : root + "\\" + rooted->subKey);
        RegCloseKey(key);
        if (status == ERROR_SUCCESS)
            bytes = exporter.Utf16Bytes();
    }
    if (status != ERROR_SUCCESS) {
        error = keyPath + ": " + ErrorText(status);
        return false;
    }
    return true;
}

bool ExportRegFile(const std::string &keyPath, const std::string &fileName, std::string &error) {
    std::string bytes;
    if (!ExportRegText(keyPath, bytes, error))
        return false;
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit()) {
        error = "cannot write " + fileName + ": " + file.errorString().toStdString();
        return false;
    }
    return true;
}

} // namespace registry
