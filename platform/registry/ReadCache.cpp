#include "platform/registry/ReadCache.h"

#include <functional>

namespace registry {

namespace {

constexpr std::size_t EntryOverhead = 96; // map node, key and variant, roughly

std::size_t BytesOf(const StoredValue &value) {
    return sizeof value + value.name.size() + value.data.size();
}

struct AnswerBytes {
    std::size_t operator()(bool) const { return 0; }
    std::size_t operator()(const std::optional<std::int64_t> &) const { return 0; }
    std::size_t operator()(const std::vector<std::string> &names) const {
        std::size_t bytes = 0;
        for (const auto &name : names)
            bytes += sizeof name + name.size();
        return bytes;
    }
    std::size_t operator()(const std::optional<StoredValue> &value) const {
        return value ? BytesOf(*value) : 0;
    }
    std::size_t operator()(const std::vector<StoredValue> &values) const {
        std::size_t bytes = 0;
        for (const auto &value : values)
            bytes += BytesOf(value);
        return bytes;
    }
};

} // namespace

std::size_t ReadCache::KeyHash::operator()(const CacheKey &key) const {
    const std::size_t id = std::hash<std::int64_t>{}(key.id * 8 + static_cast<int>(key.kind));
    return id ^ (std::hash<std::string>{}(key.name) + 0x9e3779b97f4a7c15ULL + (id << 6));
}

std::optional<CachedAnswer> ReadCache::Find(std::uint64_t generation, const CacheKey &key) const {
    const std::lock_guard lock(FMutex);
    if (generation != FGeneration)
        return std::nullopt;
    const auto found = FAnswers.find(key);
    if (found == FAnswers.end())
        return std::nullopt;
    return found->second;
}

void ReadCache::Put(std::uint64_t generation, CacheKey key, CachedAnswer answer) {
    const std::size_t bytes = EntryOverhead + key.name.size() + std::visit(AnswerBytes{}, answer);
    const std::lock_guard lock(FMutex);
    if (generation < FGeneration || bytes > MaxBytes / 16)
        return;
    if (generation > FGeneration || FAnswers.size() >= MaxAnswers || FBytes + bytes > MaxBytes) {
        FAnswers.clear();
        FBytes = 0;
        FGeneration = generation;
    }
    const auto [entry, inserted] = FAnswers.try_emplace(std::move(key), std::move(answer));
    if (inserted)
        FBytes += bytes;
}

std::size_t ReadCache::Answers() const {
    const std::lock_guard lock(FMutex);
    return FAnswers.size();
}

std::size_t ReadCache::Bytes() const {
    const std::lock_guard lock(FMutex);
    return FBytes;
}

} // namespace registry
