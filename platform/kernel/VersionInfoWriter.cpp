#include "platform/kernel/VersionInfoWriter.h"

#include "platform/kernel/Utf16.h"

#include <cstdio>

namespace platform {
namespace {

struct Node {
    std::string key;
    WORD type = 0;
    WORD valueLength = 0; // WCHARs for text, bytes for binary
    std::vector<BYTE> value;
    std::vector<Node> children;
};

void PutU16(std::vector<BYTE> &out, WORD v) {
    out.push_back(BYTE(v & 0xFF));
    out.push_back(BYTE(v >> 8));
}

void PutU32(std::vector<BYTE> &out, DWORD v) {
    PutU16(out, WORD(v & 0xFFFF));
    PutU16(out, WORD(v >> 16));
}

void Align(std::vector<BYTE> &out) {
    while (out.size() % 4)
        out.push_back(0);
}

std::vector<BYTE> Utf16Bytes(const std::string &text) {
    std::vector<BYTE> bytes;
    for (char16_t c : Utf8ToUtf16(text))
        PutU16(bytes, c);
    PutU16(bytes, 0);
    return bytes;
}

// Nodes start 4-aligned; wLength excludes the padding after the node.
std::vector<BYTE> Serialize(const Node &node) {
    std::vector<BYTE> out(6);
    const std::vector<BYTE> key = Utf16Bytes(node.key);
    out.insert(out.end(), key.begin(), key.end());
    Align(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const Node &child : node.children) {
        Align(out);
        const std::vector<BYTE> bytes = Serialize(child);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    const WORD length = WORD(out.size());
    out[0] = BYTE(length & 0xFF);
    out[1] = BYTE(length >> 8);
    out[2] = BYTE(node.valueLength & 0xFF);
    out[3] = BYTE(node.valueLength >> 8);
    out[4] = BYTE(node.type);
    return out;
}

Node TextNode(const std::string &key, const std::string &value) {
    Node node{key, 1, 0, Utf16Bytes(value), {}};
    node.valueLength = WORD(node.value.size() / 2);
    return node;
}

DWORD High(const std::array<WORD, 4> &v) {
    return DWORD(v[0]) << 16 | v[1];
}
DWORD Low(const std::array<WORD, 4> &v) {
    return DWORD(v[2]) << 16 | v[3];
}

} // namespace

std::vector<BYTE> BuildVersionInfo(const VersionInfoContent &content) {
    std::vector<BYTE> fixed;
    for (DWORD v : {0xFEEF04BDu, 0x00010000u, High(content.fileVersion), Low(content.fileVersion),
                    High(content.productVersion), Low(content.productVersion), 0x3Fu, 0u, 0u,
                    content.fileType, 0u, 0u, 0u})
        PutU32(fixed, v);
    Node root{"VS_VERSION_INFO", 0, WORD(fixed.size()), fixed, {}};

    char tableKey[9];
    std::snprintf(tableKey, sizeof tableKey, "%04X%04X", unsigned(content.language),
                  unsigned(content.codePage));
    Node table{tableKey, 1, 0, {}, {}};
    for (const auto &[name, value] : content.strings)
        table.children.push_back(TextNode(name, value));
    root.children.push_back(Node{"StringFileInfo", 1, 0, {}, {table}});

    std::vector<BYTE> translation;
    PutU16(translation, content.language);
    PutU16(translation, content.codePage);
    Node var{"Translation", 0, WORD(translation.size()), translation, {}};
    root.children.push_back(Node{"VarFileInfo", 1, 0, {}, {var}});
    return Serialize(root);
}

} // namespace platform
