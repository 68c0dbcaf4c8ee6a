// The tap-list cache: what it returns is exactly what a fresh build gives.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

#include "imaging/resample_passes.h"
#include "imaging/resample_tap_cache.h"
#include "tests/imaging/resample_test_pictures.h"

namespace {

struct TTapListsCase {
    int OutputExtent;
    int SourceExtent;
    float Scale;
    const TResampleFilterEntry *Filter;
};

// Sizes of map pieces and their neighbours: the same extents under another kernel, and a scale
// one Single step away, which gives other weights for the same extents.
std::vector<TTapListsCase> NeighbouringCases()
{
    std::vector<TTapListsCase> cases;
    const TResampleFilterEntry &lanczos3 = ResampleFilterTable[kLanczos3FilterIndex];
    const TResampleFilterEntry &triangle = ResampleFilterTable[1];
    for (const auto &[output, source] : {std::pair{154, 256}, {128, 256}, {205, 256}, {307, 256}, {60, 100},
                                        {3, 5}, {40, 1}, {17, 17}, {256, 154}, {100, 256}, {255, 256}}) {
        const float scale = ResampleScale(output, source);
        cases.push_back({output, source, scale, &lanczos3});
        cases.push_back({output, source, scale, &triangle});
        cases.push_back({output, source, std::nextafter(scale, 0.0f), &lanczos3});
    }
    return cases;
}

void ExpectSameLists(const std::vector<TResampleTapList> &actual, const std::vector<TResampleTapList> &expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        ASSERT_EQ(actual[i].size(), expected[i].size()) << "output " << i;
        for (size_t k = 0; k < actual[i].size(); ++k) {
            EXPECT_EQ(actual[i][k].SourceIndex, expected[i][k].SourceIndex) << "output " << i << " tap " << k;
            EXPECT_EQ(std::bit_cast<uint32_t>(actual[i][k].Weight), std::bit_cast<uint32_t>(expected[i][k].Weight))
                << "output " << i << " tap " << k;
        }
    }
}

// The resampler without the cache: fresh lists through the reference passes.
QImage UncachedResample(const QImage &picture, int width, int height, const TResampleFilterEntry &filter)
{
    QImage intermediate(width, picture.height(), QImage::Format_RGB888);
    QImage destination(width, height, QImage::Format_RGB888);
    const QImage source = picture.convertToFormat(QImage::Format_RGB888);
    ReferenceHorizontalPass(source, intermediate,
                            BuildTapLists(width, picture.width(), ResampleScale(width, picture.width()),
                                          filter.Kernel, filter.Support));
    ReferenceVerticalPass(intermediate, destination,
                          BuildTapLists(height, picture.height(), ResampleScale(height, picture.height()),
                                        filter.Kernel, filter.Support));
    return destination;
}

} // namespace

// Guards a key that misses an argument (kernel, exact scale, either extent) or an entry that is
// evicted while still handed out: three rounds over more keys than the cache holds, so that
// lists are found, evicted and rebuilt, each equal to a fresh build.
TEST(ResampleTapCache, ListsEqualFreshBuildsThroughHitsAndEvictions)
{
    const std::vector<TTapListsCase> cases = NeighbouringCases();
    ASSERT_GT(cases.size(), 32u) << "too few keys to force evictions";
    std::vector<TSharedTapAxis> held;
    for (int round = 0; round < 3; ++round)
        for (const TTapListsCase &c : cases) {
            held.push_back(CachedTapAxis(c.OutputExtent, c.SourceExtent, c.Scale, c.Filter->Kernel,
                                          c.Filter->Support));
            ExpectSameLists(held.back()->Lists, BuildTapLists(c.OutputExtent, c.SourceExtent, c.Scale,
                                                        c.Filter->Kernel, c.Filter->Support));
        }
    // Lists handed out in the first round outlive their eviction unchanged.
    const TTapListsCase &first = cases.front();
    ExpectSameLists(held.front()->Lists, BuildTapLists(first.OutputExtent, first.SourceExtent, first.Scale,
                                                 first.Filter->Kernel, first.Filter->Support));
}

// Guards the size bound: an axis with more taps than the cache may hold is still built whole.
TEST(ResampleTapCache, ListsLargerThanTheCacheAreStillBuilt)
{
    const TResampleFilterEntry &box = ResampleFilterTable[0];
    const float scale = ResampleScale(120000, 1200000);
    const std::vector<TResampleTapList> fresh = BuildTapLists(120000, 1200000, scale, box.Kernel, box.Support);
    ExpectSameLists(CachedTapAxis(120000, 1200000, scale, box.Kernel, box.Support)->Lists, fresh);
}

// Guards the renderer's use: pieces of alternating sizes, as the tiles of one view come, give
// the same bytes through the cached resampler as through fresh lists and the reference passes.
TEST(ResampleTapCache, CachedRunsEqualUncachedRuns)
{
    const TResampleFilterEntry &lanczos3 = ResampleFilterTable[kLanczos3FilterIndex];
    std::mt19937 random(3);
    const std::pair<QSize, QSize> pieces[] = {{{96, 96}, {58, 58}}, {{40, 96}, {24, 58}}, {{96, 96}, {58, 58}},
                                              {{96, 30}, {58, 18}}, {{96, 96}, {115, 115}}, {{96, 96}, {58, 58}}};
    for (const auto &[sourceSize, size] : pieces) {
        const QImage picture = RandomPicture(sourceSize.width(), sourceSize.height(), random(), QImage::Format_RGB32);
        QImage source = picture;
        QImage cached = SizedLike(size.width(), size.height());
        ResampleBitmap(source, cached, lanczos3.Kernel, lanczos3.Support);
        ASSERT_EQ(cached, UncachedResample(picture, size.width(), size.height(), lanczos3))
            << sourceSize.width() << 'x' << sourceSize.height() << " -> " << size.width() << 'x' << size.height();
    }
}
