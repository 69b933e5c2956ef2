#include <gtest/gtest.h>

#include <vector>

#include "render/look/Tone.h"

namespace quillon::render {
namespace {

TEST(RenderTone, TonesOfGivenCounts)
{
    constexpr uint32_t huge = 1u << 30;  // far above the pixel count: the sorted path
    struct Row { ToneCurve curve; std::vector<uint32_t> counts; std::vector<float> tones; };
    const Row rows[] = {
        {ToneCurve::Log, {0, 1, 3, 7}, {0, 1 / 3.0f, 2 / 3.0f, 1}},
        {ToneCurve::Log, {0, 0, 0}, {0, 0, 0}},
        {ToneCurve::Log, {0, 4, 4}, {0, 1, 1}},
        {ToneCurve::Log, {0, 1, huge, 5}, {0, 0.0333333f, 1, 0.0861654f}},
        {ToneCurve::Equalized, {0, 1, 1, 2, 5}, {0, 0.1f, 0.1f, 0.55f, 1}},
        {ToneCurve::Equalized, {27, 9, 3, 9}, {1, 0.7f, 0.1f, 0.7f}},
        {ToneCurve::Equalized, {0, 0, 0}, {0, 0, 0}},
        {ToneCurve::Equalized, {0, 4, 4}, {0, 1, 1}},
        {ToneCurve::Equalized, {0, 1, huge, 5}, {0, 0.1f, 1, 0.55f}},
        {ToneCurve::Equalized, {huge, 1, huge}, {1, 0.1f, 1}},
    };
    for (const Row& row : rows) {
        const Tone tone(row.counts.data(), row.counts.size(), row.curve);
        for (size_t i = 0; i < row.counts.size(); ++i)
            EXPECT_NEAR(tone(row.counts[i]), row.tones[i], 1e-6)
                << static_cast<int>(row.curve) << " count " << row.counts[i];
    }
}

TEST(RenderTone, CurvesByName)
{
    EXPECT_EQ(toneCurveNamed("log"), ToneCurve::Log);
    EXPECT_EQ(toneCurveNamed("eq"), ToneCurve::Equalized);
    for (const char* bad : {"", "Log", "equalized", "eq "})
        EXPECT_FALSE(toneCurveNamed(bad)) << bad;
}

}  // namespace
}  // namespace quillon::render
