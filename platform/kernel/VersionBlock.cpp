#include "platform/kernel/VersionBlock.h"

#include "platform/kernel/FileReader.h"

#include <algorithm>

namespace platform {

std::optional<VersionNode> ReadVersionNode(std::span<const BYTE> block, std::size_t start,
                                           std::size_t limit) {
    limit = std::min(limit, block.size());
    constexpr std::size_t kHeader = 6;
    if (start > limit || limit - start < kHeader + 2)
        return std::nullopt;
    const BYTE *p = block.data() + start;
    VersionNode node;
    node.start = start;
    const WORD length = LoadU16(p);
    node.valueLength = LoadU16(p + 2);
    node.type = LoadU16(p + 4);
    if (length < kHeader + 2 || length > limit - start)
        return std::nullopt;
    node.end = start + length;

    std::size_t pos = start + kHeader;
    for (;; pos += 2) {
        if (node.end - pos < 2)
            return std::nullopt; // key without its terminating NUL
        const char16_t c = char16_t(LoadU16(block.data() + pos));
        if (c == 0)
            break;
        node.key += c;
    }
    node.valueStart = std::min(AlignVersion(pos + 2), node.end);
    const std::size_t declared =
        node.type == 1 ? std::size_t(node.valueLength) * 2 : std::size_t(node.valueLength);
    node.valueSize = std::min(declared, node.end - node.valueStart);
    node.childrenStart = std::min(AlignVersion(node.valueStart + node.valueSize), node.end);
    return node;
}

std::vector<VersionNode> VersionChildren(std::span<const BYTE> block, const VersionNode &parent) {
    std::vector<VersionNode> children;
    std::size_t pos = parent.childrenStart;
    while (pos < parent.end) {
        auto child = ReadVersionNode(block, pos, parent.end);
        if (!child)
            break;
        pos = AlignVersion(child->end);
        children.push_back(std::move(*child));
    }
    return children;
}

bool VersionKeyEquals(const std::u16string &key, const std::u16string &name) {
    const auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    return key.size() == name.size() &&
           std::equal(key.begin(), key.end(), name.begin(),
                      [&](char16_t a, char16_t b) { return fold(a) == fold(b); });
}

std::u16string VersionTextValue(std::span<const BYTE> block, const VersionNode &node) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < node.valueSize; i += 2) {
        const char16_t c = char16_t(LoadU16(block.data() + node.valueStart + i));
        if (c == 0)
            break;
        text += c;
    }
    return text;
}

} // namespace platform
