// A least-recently-used cache of tap lists, one per thread so that no locking is needed.
#include "imaging/resample_tap_cache.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <numeric>

namespace {

constexpr size_t kMostEntries = 32;
// 8 bytes a tap: about 8 MB, room for some thirty axes of a thousand output pixels under a
// strongly shrinking Lanczos3.
constexpr size_t kMostTaps = size_t(1) << 20;

// Everything BuildTapLists depends on; Singles compared by their bits, so that the key equals
// exactly when the arguments do.
struct TTapListsKey {
    TResampleKernel Kernel;
    uint32_t SupportBits;
    uint32_t ScaleBits;
    int OutputExtent;
    int SourceExtent;

    bool operator==(const TTapListsKey &) const = default;
};

struct TCacheEntry {
    TTapListsKey Key;
    TSharedTapAxis Lists;
    size_t Taps;
    uint64_t LastUse;
};

size_t TapCount(const std::vector<TResampleTapList> &lists)
{
    return std::accumulate(lists.begin(), lists.end(), size_t(0),
                           [](size_t sum, const TResampleTapList &taps) { return sum + taps.size(); });
}

class TTapListsCache {
public:
    TSharedTapAxis Find(const TTapListsKey &key)
    {
        const auto entry = std::find_if(FEntries.begin(), FEntries.end(),
                                        [&](const TCacheEntry &candidate) { return candidate.Key == key; });
        if (entry == FEntries.end())
            return nullptr;
        entry->LastUse = ++FClock;
        return entry->Lists;
    }

    void Add(const TTapListsKey &key, const TSharedTapAxis &lists)
    {
        const size_t taps = TapCount(lists->Lists);
        if (taps > kMostTaps)
            return;
        while (FEntries.size() >= kMostEntries || FTaps + taps > kMostTaps)
            EvictLeastRecentlyUsed();
        FEntries.push_back({key, lists, taps, ++FClock});
        FTaps += taps;
    }

private:
    void EvictLeastRecentlyUsed()
    {
        const auto oldest = std::min_element(FEntries.begin(), FEntries.end(),
                                             [](const TCacheEntry &a, const TCacheEntry &b) {
                                                 return a.LastUse < b.LastUse;
                                             });
        FTaps -= oldest->Taps;
        FEntries.erase(oldest);
    }

    std::vector<TCacheEntry> FEntries;
    size_t FTaps = 0;
    uint64_t FClock = 0;
};

} // namespace

TSharedTapAxis CachedTapAxis(int outputExtent, int sourceExtent, float scale, TResampleKernel kernel,
                               float support)
{
    thread_local TTapListsCache cache;
    const TTapListsKey key{kernel, std::bit_cast<uint32_t>(support), std::bit_cast<uint32_t>(scale), outputExtent,
                           sourceExtent};
    if (TSharedTapAxis lists = cache.Find(key))
        return lists;
    auto lists = std::make_shared<const TTapAxis>(BuildTapLists(outputExtent, sourceExtent, scale, kernel, support));
    cache.Add(key, lists);
    return lists;
}
