#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "render/image/UsageError.h"
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

TEST(RenderTone, FlameCurveAndControlsByHand)
{
    // Counts 0, 1, 3, 12: 16 hits on 4 pixels, q = 4. Tone log(1 + c/4) / log(4).
    const std::vector<uint32_t> counts = {0, 1, 3, 12};
    const Tone plain(counts.data(), counts.size(), ToneCurve::Flame);
    EXPECT_NEAR(plain(1), 0.1609640, 1e-6);  // log 1.25 / log 4
    EXPECT_NEAR(plain(3), 0.4036775, 1e-6);  // log 1.75 / log 4
    EXPECT_EQ(plain(12), 1.0f);
    EXPECT_EQ(plain(0), 0.0f);

    struct Row {
        ToneControls controls;
        double tone, scaled, alpha;
    };
    const Row rows[] = {
        // brightness 8 doubles, exposure 1 doubles again; gamma 2 is a square root.
        {{.brightness = 8, .gamma = 2}, 0.125, 0.25, 0.5},
        {{.brightness = 4, .gamma = 2, .exposure = 1}, 0.125, 0.25, 0.5},
        {{.brightness = 2, .gamma = 1, .exposure = -1}, 0.5, 0.125, 0.125},
        // Below a threshold of 0.25 a straight line to the curve: 0.16 * 0.25^(1/2 - 1).
        {{.gamma = 2, .gammaThreshold = 0.25}, 0.16, 0.16, 0.32},
        {{.gamma = 2, .gammaThreshold = 0.25}, 0.25, 0.25, 0.5},
        {{.gamma = 4, .gammaThreshold = 0.01}, 0.0625, 0.0625, 0.5},
        // The flame defaults: 0.005 is below their threshold, 0.01^(1/4 - 1) = 31.6228 the slope.
        {ToneControls::defaultsFor(ToneCurve::Flame), 0.005, 0.005, 0.1581139},
        // Neutral controls leave the tone as it is.
        {ToneControls::defaultsFor(ToneCurve::Log), 0.3, 0.3, 0.3},
    };
    for (const Row& row : rows) {
        const Tone tone(counts.data(), counts.size(), ToneCurve::Flame, row.controls);
        EXPECT_NEAR(tone.scaled(row.tone), row.scaled, 1e-12) << row.tone;
        EXPECT_NEAR(tone.alpha(tone.scaled(row.tone)), row.alpha, 1e-7) << row.tone;
    }

    // Out of range: one control named.
    for (const auto& [controls, name] : std::vector<std::pair<ToneControls, std::string>>{
             {{.gamma = 0}, "gamma"}, {{.gammaThreshold = 2}, "gamma-threshold"}, {{.vibrancy = -0.5}, "vibrancy"},
             {{.brightness = NAN}, "brightness"}, {{.exposure = 99}, "exposure"}, {{.highlight = -2}, "highlight"}}) {
        try {
            controls.check();
            ADD_FAILURE() << name << " taken";
        } catch (const SettingError& e) {
            EXPECT_EQ(e.setting, name);
        }
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
