#pragma once
// Answers computed from registry reads, kept while ChangeGeneration() stays the same, so that a
// change by any process is met by the next question. Bounded: emptied when full.

#include "platform/registry/ChangeGeneration.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>

namespace registry {

template <typename Key, typename Value> class RegistryMemo final {
public:
    static constexpr std::size_t MaxAnswers = 1024;

    // compute() reads the registry; its answer is kept only when nothing changed while it ran.
    template <typename Compute> Value Get(const Key &key, Compute compute) {
        const auto before = ChangeGeneration();
        if (before) {
            const std::lock_guard lock(FMutex);
            if (FGeneration == *before)
                if (const auto found = FAnswers.find(key); found != FAnswers.end())
                    return found->second;
        }
        Value value = compute();
        if (before && ChangeGeneration() == before) {
            const std::lock_guard lock(FMutex);
            if (FGeneration != *before || FAnswers.size() >= MaxAnswers) {
                FAnswers.clear();
                FGeneration = *before;
            }
            FAnswers.insert_or_assign(key, value);
        }
        return value;
    }

private:
    std::mutex FMutex;
    std::uint64_t FGeneration = 0;
    std::map<Key, Value> FAnswers;
};

} // namespace registry
