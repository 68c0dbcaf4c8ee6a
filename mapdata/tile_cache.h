#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>

// A decoded tile or a resampled part of one, shared by the cache and the renderings that use it.
using TDecodedTile = std::shared_ptr<const QImage>;

// What a cached picture is: tile Tile of the loaded content Content (a number no two loads
// share, see TTileCacheIdentity), decoded whole (Part and Size null) or the part Part of it
// (picture pixels) resampled to Size. A resampled part depends on nothing else, so a cached one
// is exactly what resampling again would give.
struct TTileKey {
    uint64_t Content = 0;
    int Tile = 0;
    QRect Part;
    QSize Size;

    bool operator==(const TTileKey &) const = default;
};

// A bounded store of decoded map tiles and resampled parts of them, least recently used first
// out, safe to use from any thread. Filed under the content they belong to, they can only ever
// be served to the content they were made from.
class TTileCache {
public:
    explicit TTileCache(size_t budgetBytes);

    // The picture, or null when it is not held.
    TDecodedTile Find(const TTileKey &key);
    // Keeps a picture, dropping the least recently used ones beyond the budget. A picture
    // larger than the whole budget is not kept.
    void Insert(const TTileKey &key, TDecodedTile picture);
    // Drops every tile of one content.
    void Drop(uint64_t content);
    void Clear();

    size_t BudgetBytes() const { return FBudgetBytes; }
    size_t Bytes() const;
    // The most bytes held at any time since the cache was made.
    size_t PeakBytes() const;

private:
    struct TEntry {
        TTileKey Key;
        TDecodedTile Picture;
    };
    struct TKeyHash {
        size_t operator()(const TTileKey &key) const;
    };
    void Remove(std::list<TEntry>::iterator entry);

    const size_t FBudgetBytes;
    mutable std::mutex FMutex;
    std::list<TEntry> FEntries; // most recently used first
    std::unordered_map<TTileKey, std::list<TEntry>::iterator, TKeyHash> FIndex;
    size_t FBytes = 0;
    size_t FPeakBytes = 0;
};

// The cache every map object shares: 256 MiB, room for a whole state's full map decoded.
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
