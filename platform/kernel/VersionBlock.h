#pragma once
// Reading the nodes of a VS_VERSIONINFO tree. Every node is
// {WORD wLength; WORD wValueLength; WORD wType; WCHAR szKey[]; pad; Value; pad; Children},
// aligned to 4 bytes from the start of the block. All offsets are checked against the block
// and the parent node, so hostile data yields "no such node", never an out-of-range read.

#include "platform/kernel/Win32.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

struct VersionNode {
    std::size_t start = 0;
    std::size_t end = 0; // start + wLength
    WORD valueLength = 0;
    WORD type = 0; // 1 = text (value length in WCHARs), 0 = binary (in bytes)
    std::u16string key;
    std::size_t valueStart = 0;
    std::size_t valueSize = 0; // bytes, clamped to the node
    std::size_t childrenStart = 0;
};

constexpr std::size_t AlignVersion(std::size_t offset) {
    return (offset + 3) & ~std::size_t(3);
}

// The node starting at `start` that must end at or before `limit`.
std::optional<VersionNode> ReadVersionNode(std::span<const BYTE> block, std::size_t start,
                                           std::size_t limit);

std::vector<VersionNode> VersionChildren(std::span<const BYTE> block, const VersionNode &parent);

// Key comparison of the original: ASCII letters compared without regard to case.
bool VersionKeyEquals(const std::u16string &key, const std::u16string &name);

// The text value of a node (up to its first NUL), as UTF-16.
std::u16string VersionTextValue(std::span<const BYTE> block, const VersionNode &node);

} // namespace platform
