#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>

// A decoded tile, shared by the cache and the renderings that use it.
using TDecodedTile = std::shared_ptr<const QImage>;

// A bounded store of decoded map tiles, least recently used first out, safe to use from any
// thread. A tile is filed under the identity of the loaded content it belongs to (a number no
// two loads share, see TTileCacheIdentity) and its index in that content, so that it can only
// ever be served to the content it was decoded from.
class TTileCache {
public:
    explicit TTileCache(size_t budgetBytes);

    // The tile, or null when it is not held.
    TDecodedTile Find(uint64_t content, int tile);
    // Keeps a decoded tile, dropping the least recently used ones beyond the budget. A tile
    // larger than the whole budget is not kept.
    void Insert(uint64_t content, int tile, TDecodedTile picture);
    // Drops every tile of one content.
    void Drop(uint64_t content);
    void Clear();

    size_t BudgetBytes() const { return FBudgetBytes; }
    size_t Bytes() const;
    // The most bytes held at any time since the cache was made.
    size_t PeakBytes() const;

private:
    struct TEntry {
        uint64_t Content;
        int Tile;
        TDecodedTile Picture;
    };
    struct TKeyHash {
        size_t operator()(const std::pair<uint64_t, int> &key) const
        {
            return std::hash<uint64_t>()(key.first * 0x9E3779B97F4A7C15ull ^ uint64_t(uint32_t(key.second)));
        }
    };
    void Remove(std::list<TEntry>::iterator entry);

    const size_t FBudgetBytes;
    mutable std::mutex FMutex;
    std::list<TEntry> FEntries; // most recently used first
    std::unordered_map<std::pair<uint64_t, int>, std::list<TEntry>::iterator, TKeyHash> FIndex;
    size_t FBytes = 0;
    size_t FPeakBytes = 0;
};

// The cache every map object shares: 256 MiB, room for a whole state's full map.
TTileCache &SharedTileCache();

// The identity under which a map object files its decoded tiles in the shared cache. Every
// identity, copies included, holds a number of its own; renewing it or ending it drops the
// tiles filed under the old number, so that a map object that loads another file (or is
// cleared) can never be served a tile of what it held before.
class TTileCacheIdentity {
public:
    TTileCacheIdentity();
    TTileCacheIdentity(const TTileCacheIdentity &);
    TTileCacheIdentity &operator=(const TTileCacheIdentity &);
    ~TTileCacheIdentity();

    uint64_t Value() const { return FValue; }
    void Renew();

private:
    uint64_t FValue;
};
