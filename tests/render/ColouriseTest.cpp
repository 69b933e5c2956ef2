#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "render/look/Colourise.h"

namespace quillon::render {
namespace {

TEST(RenderColourise, CountsAreTonedColouredAndAveragedInLinearLight)
{
    struct Row {
        const char* name;
        std::vector<uint32_t> counts;
        int width, height, aa;
        ToneCurve curve;
        Rgb background;
        std::vector<uint16_t> eightBit, sixteenBit;  // one grey sample a pixel
    };
    const Row rows[] = {
        // Grey's lightness is the tone, so its light is the tone cubed.
        {"log", {0, 1, 3, 7}, 4, 1, 1, ToneCurve::Log, 0x000000, {0, 54, 148, 255}, {0, 13907, 38045, 65535}},
        {"eq", {0, 1, 1, 2, 5, 0}, 3, 2, 1, ToneCurve::Equalized, 0x000000,
         {0, 3, 3, 113, 255, 0}, {0, 847, 847, 29143, 65535, 0}},
        {"black and white", {0, 1, 1, 0}, 1, 1, 2, ToneCurve::Log, 0x000000, {188}, {48192}},
        {"all of one count", {9, 9, 9, 9}, 1, 1, 2, ToneCurve::Equalized, 0x000000, {255}, {65535}},
        {"nothing lit", {0, 0, 0, 0}, 2, 1, 1, ToneCurve::Log, 0x808080, {128, 128}, {32896, 32896}},
    };
    const Palette grey = *Palette::named("grey");
    for (const Row& row : rows) {
        for (const int depth : {8, 16}) {
            const Image image = colourise(row.counts.data(), row.width, row.height, row.aa, row.curve,
                                          grey, row.background, depth);
            ASSERT_EQ(image.width, row.width);
            ASSERT_EQ(image.height, row.height);
            EXPECT_EQ(image.depth, depth);
            std::vector<uint16_t> expected;
            for (const uint16_t sample : depth == 8 ? row.eightBit : row.sixteenBit)
                expected.insert(expected.end(), 3, sample);
            EXPECT_EQ(image.samples, expected) << row.name << " at depth " << depth;
        }
    }

    const uint32_t lit[] = {0, 5};
    const Image navy = colourise(lit, 2, 1, 1, ToneCurve::Log, grey, 0x000080, 8);
    EXPECT_EQ(navy.samples, (std::vector<uint16_t>{0, 0, 128, 255, 255, 255}));
}

TEST(RenderColourise, SixteenBitsRoundTheSameLightAsEight)
{
    constexpr int width = 40, height = 30, aa = 3;
    std::vector<uint32_t> counts(static_cast<size_t>(width) * height * aa * aa);
    for (size_t i = 0; i < counts.size(); ++i)
        counts[i] = static_cast<uint32_t>(i * 7919 % 1000 < 300 ? 0 : i * 104729 % 5000);
    for (const std::string& name : Palette::names()) {
        const Palette palette = *Palette::named(name);
        const Image eight = colourise(counts.data(), width, height, aa, ToneCurve::Equalized, palette, 0x203040, 8);
        const Image sixteen = colourise(counts.data(), width, height, aa, ToneCurve::Equalized, palette, 0x203040, 16);
        ASSERT_EQ(eight.samples.size(), sixteen.samples.size());
        for (size_t i = 0; i < eight.samples.size(); ++i)
            ASSERT_LE(std::abs(sixteen.samples[i] / 257.0 - eight.samples[i]), 0.5 + 1e-6) << name << " " << i;
    }
}

TEST(RenderColourise, RefusesPicturesItCannotMake)
{
    const uint32_t counts[4] = {};
    const Palette grey = *Palette::named("grey");
    struct Row { int width, height, aa, depth; };
    for (const Row& row : {Row{0, 1, 1, 8}, Row{1, -1, 1, 8}, Row{1, 1, 0, 8}, Row{1, 1, 1, 12}})
        EXPECT_THROW(colourise(counts, row.width, row.height, row.aa, ToneCurve::Log, grey, 0, row.depth),
                     std::invalid_argument);
}

}  // namespace
}  // namespace quillon::render
