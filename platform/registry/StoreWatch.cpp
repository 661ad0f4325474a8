#include "platform/registry/StoreWatch.h"

#include "platform/registry/MachineStore.h"
#include "platform/registry/ReadCache.h"
#include "platform/registry/StoreFile.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

namespace registry {

namespace {

// The write-ahead-log index header (WalIndexHdr): two copies of 48 bytes at the start of the
// first region of the "-shm" file, in native byte order. A writer stores the second copy, then
// the first; a reader that finds both equal has a header no writer was changing. Every commit
// raises its change counter; mxFrame, the frame checksums and the salts tell the log's content.
constexpr std::size_t HeaderWords = 12;
constexpr std::size_t InitialisedByte = 12; // isInit
constexpr std::uint32_t IndexFormat = 3007000;
constexpr int IndexRegionSize = 32768;
using Header = std::array<std::uint32_t, HeaderWords>;

constexpr std::size_t MaxWatches = 8;

std::atomic<std::uint64_t> LastGeneration{0};

struct Watch {
    enum class State { New, Absent, Unfollowed, Followed };
    Watch(const std::filesystem::path &in, StoreKind store)
        : directory(in.native()), kind(store),
          path(store == StoreKind::User ? UserStorePath(in) : MachineStorePath(in)) {}
    std::string directory;
    StoreKind kind;
    std::string path;
    State state = State::New;
    SqliteHandle db; // the connection that keeps the log index mapped and in place
    const volatile std::uint32_t *index = nullptr;
    FileStamp stamp;                    // of the followed file
    std::optional<FileStamp> damagedAt; // a damaged file is not tried again until it changes
    std::optional<Header> header;       // seen last; none after a torn read
    std::uint64_t generation = 0;
    std::uint64_t lastUse = 0;
    std::shared_ptr<ReadCache> cache = std::make_shared<ReadCache>();
};

std::optional<Header> ReadHeader(const volatile std::uint32_t *index) {
    Header first{}, second{};
    std::atomic_thread_fence(std::memory_order_seq_cst);
    for (std::size_t i = 0; i < HeaderWords; ++i)
        first[i] = index[i];
    std::atomic_thread_fence(std::memory_order_seq_cst);
    for (std::size_t i = 0; i < HeaderWords; ++i)
        second[i] = index[HeaderWords + i];
    unsigned char initialised = 0;
    std::memcpy(&initialised,
                reinterpret_cast<const unsigned char *>(first.data()) + InitialisedByte, 1);
    if (first != second || first[0] != IndexFormat || !initialised)
        return std::nullopt; // being written: a commit is under way
    return first;
}

std::uint64_t FromHeader(Watch &watch) {
    const auto header = ReadHeader(watch.index);
    if (!header || !watch.header || *header != *watch.header)
        watch.generation = NewGeneration();
    watch.header = header;
    return watch.generation;
}

// Opens the connection that follows the file and maps the log index it uses.
bool Follow(Watch &watch, const FileStamp &stamp) {
    OpenedFile file = OpenStoreFile(watch.path, false);
    if (file.state == OpenedFile::State::Damaged)
        watch.damagedAt = stamp;
    if (file.state != OpenedFile::State::Open || file.version == 0)
        return false;
    sqlite3 *db = file.db.get();
    {
        Statement mode(db, "PRAGMA journal_mode");
        if (mode.step() != SQLITE_ROW || mode.columnText(0) != "wal")
            return false;
    }
    sqlite3_file *handle = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &handle) != SQLITE_OK ||
        !handle || !handle->pMethods || handle->pMethods->iVersion < 2 ||
        !handle->pMethods->xShmMap)
        return false;
    volatile void *region = nullptr;
    if (handle->pMethods->xShmMap(handle, 0, IndexRegionSize, 0, &region) != SQLITE_OK || !region)
        return false;
    watch.db = std::move(file.db);
    watch.index = static_cast<const volatile std::uint32_t *>(region);
    return true;
}

void Unfollow(Watch &watch, bool fileIntact) {
    if (watch.db && !fileIntact)
        LeaveFileAlone(watch.db.get());
    watch.db.reset();
    watch.index = nullptr;
    watch.header.reset();
}

std::optional<std::uint64_t> Refresh(Watch &watch) {
    const auto stamp = StampOf(watch.path);
    if (!stamp) {
        if (watch.state != Watch::State::Absent) {
            Unfollow(watch, false);
            watch.state = Watch::State::Absent;
            watch.generation = NewGeneration();
        }
        return watch.generation;
    }
    if (watch.state == Watch::State::Followed && watch.stamp == *stamp)
        return FromHeader(watch);
    if (watch.state == Watch::State::Unfollowed && watch.damagedAt == stamp)
        return std::nullopt;
    Unfollow(watch, false);
    watch.damagedAt.reset();
    watch.state = Watch::State::Unfollowed;
    if (!Follow(watch, *stamp))
        return std::nullopt;
    watch.state = Watch::State::Followed;
    watch.stamp = *stamp;
    return FromHeader(watch);
}

class WatchTable final {
public:
    // Closes the connections; later questions are answered with nullopt.
    void Close() {
        const std::lock_guard lock(FMutex);
        FClosed = true;
        for (auto &watch : FWatches)
            Unfollow(*watch, StampOf(watch->path) == watch->stamp);
        FWatches.clear();
    }

    template <typename Answer>
    auto With(const std::filesystem::path &directory, StoreKind kind, Answer answer) {
        const std::lock_guard lock(FMutex);
        Watch *watch = FClosed ? nullptr : Find(directory, kind);
        return answer(watch);
    }

private:
    Watch *Find(const std::filesystem::path &directory, StoreKind kind) {
        const auto found = std::find_if(FWatches.begin(), FWatches.end(), [&](const auto &watch) {
            return watch->kind == kind && watch->directory == directory.native();
        });
        if (found != FWatches.end()) {
            (*found)->lastUse = ++FUses;
            return found->get();
        }
        if (FWatches.size() >= MaxWatches) {
            const auto oldest = std::min_element(
                FWatches.begin(), FWatches.end(),
                [](const auto &a, const auto &b) { return a->lastUse < b->lastUse; });
            Unfollow(**oldest, StampOf((*oldest)->path) == (*oldest)->stamp);
            FWatches.erase(oldest);
        }
        FWatches.push_back(std::make_unique<Watch>(directory, kind));
        FWatches.back()->lastUse = ++FUses;
        return FWatches.back().get();
    }

    std::mutex FMutex;
    std::vector<std::unique_ptr<Watch>> FWatches;
    std::uint64_t FUses = 0;
    bool FClosed = false;
};

WatchTable &Table() {
    // Never destroyed, since other threads may still ask during exit; the connections close then.
    static auto *table = new WatchTable;
    static const struct Closer {
        WatchTable *table;
        ~Closer() { table->Close(); }
    } closer{table};
    return *table;
}

} // namespace

std::uint64_t NewGeneration() {
    return LastGeneration.fetch_add(1) + 1;
}

std::optional<StoreView> CheckedStoreView(const std::filesystem::path &directory, StoreKind kind) {
    return Table().With(directory, kind, [](Watch *watch) -> std::optional<StoreView> {
        if (!watch)
            return std::nullopt;
        const auto generation = Refresh(*watch);
        if (!generation)
            return std::nullopt;
        return StoreView{*generation, watch->state == Watch::State::Absent, watch->cache};
    });
}

std::optional<std::uint64_t> StoreGeneration(const std::filesystem::path &directory,
                                             StoreKind kind) {
    return Table().With(directory, kind, [](Watch *watch) -> std::optional<std::uint64_t> {
        if (!watch || watch->state == Watch::State::Unfollowed)
            return std::nullopt;
        if (watch->state == Watch::State::Followed)
            return FromHeader(*watch);
        return Refresh(*watch);
    });
}

} // namespace registry
