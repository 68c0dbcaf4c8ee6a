#include "mapdata/tile_cache.h"

#include <atomic>

namespace {

constexpr size_t kSharedBudgetBytes = size_t(256) << 20;

size_t PictureBytes(const QImage &picture)
{
    return size_t(picture.sizeInBytes());
}

uint64_t NewIdentity()
{
    static std::atomic<uint64_t> last{0};
    return ++last;
}

} // namespace

TTileCache::TTileCache(size_t budgetBytes) : FBudgetBytes(budgetBytes) {}

size_t TTileCache::TKeyHash::operator()(const TTileKey &key) const
{
    size_t hash = std::hash<uint64_t>()(key.Content);
    for (const int field : {key.Tile, key.Part.x(), key.Part.y(), key.Part.width(), key.Part.height(),
                            key.Size.width(), key.Size.height()})
        hash = hash * 0x9E3779B97F4A7C15ull + size_t(uint32_t(field));
    return hash;
}

TDecodedTile TTileCache::Find(const TTileKey &key)
{
    const std::lock_guard lock(FMutex);
    const auto found = FIndex.find(key);
    if (found == FIndex.end())
        return nullptr;
    FEntries.splice(FEntries.begin(), FEntries, found->second);
    return found->second->Picture;
}

void TTileCache::Insert(const TTileKey &key, TDecodedTile picture)
{
    const size_t bytes = PictureBytes(*picture);
    if (bytes > FBudgetBytes)
        return;
    const std::lock_guard lock(FMutex);
    if (const auto found = FIndex.find(key); found != FIndex.end())
        Remove(found->second);
    while (FBytes + bytes > FBudgetBytes)
        Remove(std::prev(FEntries.end()));
    FEntries.push_front({key, std::move(picture)});
    FIndex.emplace(key, FEntries.begin());
    FBytes += bytes;
    FPeakBytes = std::max(FPeakBytes, FBytes);
}

void TTileCache::Drop(uint64_t content)
{
    const std::lock_guard lock(FMutex);
    for (auto entry = FEntries.begin(); entry != FEntries.end();)
        if (entry->Key.Content == content)
            Remove(entry++);
        else
            ++entry;
}

void TTileCache::Clear()
{
    const std::lock_guard lock(FMutex);
    FEntries.clear();
    FIndex.clear();
    FBytes = 0;
}

size_t TTileCache::Bytes() const
{
    const std::lock_guard lock(FMutex);
    return FBytes;
}

size_t TTileCache::PeakBytes() const
{
    const std::lock_guard lock(FMutex);
    return FPeakBytes;
}

void TTileCache::Remove(std::list<TEntry>::iterator entry)
{
    FBytes -= PictureBytes(*entry->Picture);
    FIndex.erase(entry->Key);
    FEntries.erase(entry);
}

TTileCache &SharedTileCache()
{
    static TTileCache cache(kSharedBudgetBytes);
    return cache;
}

// Each identity touches the shared cache when it is made, so that the cache is made first
// and outlives every identity, static ones included.
TTileCacheIdentity::TTileCacheIdentity() : FValue(NewIdentity()) { SharedTileCache(); }

TTileCacheIdentity::TTileCacheIdentity(const TTileCacheIdentity &) : TTileCacheIdentity() {}

TTileCacheIdentity &TTileCacheIdentity::operator=(const TTileCacheIdentity &other)
{
    if (this != &other)
        Renew();
    return *this;
}

TTileCacheIdentity::~TTileCacheIdentity() { SharedTileCache().Drop(FValue); }

void TTileCacheIdentity::Renew()
{
    SharedTileCache().Drop(FValue);
    FValue = NewIdentity();
}
