#pragma once
// Answers read from one store file, kept for one state of it (a generation of StoreWatch.h):
// whether a key exists, a key's child by name, its sub-key names, a value by name, its values.
// Answers of another generation are never handed out; a newer generation empties the cache.
// Bounded: emptied when it would hold too many answers or bytes.

#include "platform/registry/Store.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

namespace registry {

struct CacheKey {
    enum class Kind : std::uint8_t { Exists, Child, ChildNames, Value, Values };
    Kind kind = Kind::Exists;
    std::int64_t id = 0;
    std::string name; // folded; the child's or the value's name
    bool operator==(const CacheKey &) const = default;
};

using CachedAnswer = std::variant<bool, std::optional<std::int64_t>, std::vector<std::string>,
                                  std::optional<StoredValue>, std::vector<StoredValue>>;

class ReadCache final {
public:
    static constexpr std::size_t MaxAnswers = 8192;
    static constexpr std::size_t MaxBytes = std::size_t{1} << 20;

    std::optional<CachedAnswer> Find(std::uint64_t generation, const CacheKey &key) const;
    // Ignored for an older generation than the one held and for a single answer too big to keep.
    void Put(std::uint64_t generation, CacheKey key, CachedAnswer answer);
    std::size_t Answers() const;
    std::size_t Bytes() const;

private:
    struct KeyHash {
        std::size_t operator()(const CacheKey &key) const;
    };

    mutable std::mutex FMutex;
    std::uint64_t FGeneration = 0;
    std::unordered_map<CacheKey, CachedAnswer, KeyHash> FAnswers;
    std::size_t FBytes = 0;
};

} // namespace registry
