#pragma once
// A whole key tree as comparable text, for comparing stores.

#include "RegistryTestUtil.h"

#include <QStringList>

// One line per key and value: path, then name, type and data in hex.
inline QStringList DumpTree(HKEY root, const std::string &path) {
    QStringList lines;
    TestKey key;
    if (OpenKey(root, path.c_str(), key) != ERROR_SUCCESS)
        return {QStringLiteral("missing %1").arg(QString::fromStdString(path))};
    lines << QString::fromStdString("[" + path + "]");
    for (const auto &name : ValueNames(key.get())) {
        const auto value = QueryRaw(key.get(), name.c_str());
        const QByteArray data(reinterpret_cast<const char *>(value->data.data()),
                              qsizetype(value->data.size()));
        lines << QStringLiteral("%1 %2 %3")
                     .arg(QString::fromStdString(name))
                     .arg(value->type)
                     .arg(QString::fromLatin1(data.toHex()));
    }
    for (const auto &child : SubKeyNames(key.get()))
        lines << DumpTree(root, path + "\\" + child);
    return lines;
}
