#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "render/look/Palette.h"
#include "render/look/PublishedMaps.h"

namespace quillon::render {
namespace {

void expectColour(const LinearRgb& actual, const LinearRgb& expected, const std::string& where)
{
    EXPECT_NEAR(actual.r, expected.r, 1e-5) << where;
    EXPECT_NEAR(actual.g, expected.g, 1e-5) << where;
    EXPECT_NEAR(actual.b, expected.b, 1e-5) << where;
}

TEST(RenderPalette, NamesEndsAndPassColours)
{
    EXPECT_EQ(Palette::names(),
              (std::vector<std::string>{"ember", "ocean", "violet", "grey", "passes", "viridis", "magma", "inferno",
                                        "plasma", "cividis", "twilight", "sunset", "aurora", "neon"}));
    for (const std::string& name : Palette::names()) {
        const auto palette = Palette::named(name);
        ASSERT_TRUE(palette) << name;
        EXPECT_FALSE(palette->description().empty()) << name;
        expectColour(palette->at(-1), palette->at(0), name + " below 0");
        expectColour(palette->at(2), palette->at(1), name + " above 1");
        expectColour(palette->at(NAN), palette->at(0), name + " at NaN");
    }
    EXPECT_FALSE(Palette::named("Ember"));
    EXPECT_FALSE(Palette::named(""));

    const float halfBlue = 0.21404114f;  // sRGB 127.5/255 in linear light
    struct Row { const char* palette; double v; LinearRgb colour; };
    const Row rows[] = {
        {"ember", 0, {0, 0, 0}},      {"ember", 1, {1, 1, 1}},
        {"grey", 0, {0, 0, 0}},       {"grey", 0.5, {0.125f, 0.125f, 0.125f}},
        {"grey", 1, {1, 1, 1}},       {"passes", 0, {0, 0, 0}},
        {"passes", 0.5 / 7, {0, 0, halfBlue}},
        {"passes", 1 / 7.0, {0, 0, 1}}, {"passes", 2 / 7.0, {0, 1, 0}},
        {"passes", 3 / 7.0, {0, 1, 1}}, {"passes", 4 / 7.0, {1, 0, 0}},
        {"passes", 5 / 7.0, {1, 0, 1}}, {"passes", 6 / 7.0, {1, 1, 0}},
        {"passes", 1, {1, 1, 1}},
    };
    for (const Row& row : rows)
        expectColour(Palette::named(row.palette)->at(row.v), row.colour,
                     std::string(row.palette) + " at " + std::to_string(row.v));
}

// Today's pictures stay as they are: the first entries of each table, and its
// middle, to the bit.
TEST(RenderPalette, BuiltInTablesUnchanged)
{
    struct Row { const char* palette; int entry; LinearRgb colour; };
    const Row rows[] = {
        {"ember", 0, {0, 0, 0}},
        {"ember", 1, {1.00544761e-09f, 0, 0}},
        {"ember", 2, {8.0493292e-09f, 0, 0}},
        {"ember", 3, {2.17077805e-08f, 0, 0}},
        {"ember", 4, {4.7431147e-08f, 0, 5.6581112e-10f}},
        {"ember", 896, {0.361122549f, 0.0530133955f, 0}},
        {"ocean", 0, {0.00168579991f, 0.0041014431f, 0.0293709356f}},
        {"ocean", 1, {0.00169519684f, 0.00413850276f, 0.0295480061f}},
        {"ocean", 2, {0.00170462357f, 0.00417575799f, 0.0297258943f}},
        {"ocean", 3, {0.00171408011f, 0.0042132088f, 0.0299046002f}},
        {"ocean", 4, {0.00172356633f, 0.00425085612f, 0.0300841276f}},
        {"ocean", 896, {0.0141844796f, 0.233240157f, 0.376813173f}},
        {"violet", 0, {0.00345681841f, 0, 0.0197801292f}},
        {"violet", 1, {0.0034932734f, 0, 0.0199679993f}},
        {"violet", 2, {0.00352999265f, 0, 0.0201570243f}},
        {"violet", 3, {0.00356697734f, 0, 0.0203472096f}},
        {"violet", 4, {0.00360422838f, 0, 0.0205385592f}},
        {"violet", 896, {0.325256735f, 0.0567310601f, 0.4991346f}},
        {"grey", 0, {0, 0, 0}},
        {"grey", 1, {1.73774481e-10f, 1.73774481e-10f, 1.73774481e-10f}},
        {"grey", 2, {1.39019585e-09f, 1.39019585e-09f, 1.39019585e-09f}},
        {"grey", 3, {4.69191086e-09f, 4.69191086e-09f, 4.69191086e-09f}},
        {"grey", 4, {1.11215668e-08f, 1.11215668e-08f, 1.11215668e-08f}},
        {"grey", 896, {0.125f, 0.125f, 0.125f}},
        {"passes", 0, {0, 0, 0}},
        {"passes", 1, {0, 0, 0.00030234133f}},
        {"passes", 2, {0, 0, 0.00060468266f}},
        {"passes", 3, {0, 0, 0.000907024019f}},
        {"passes", 4, {0, 0, 0.00120936532f}},
        {"passes", 896, {0.214041144f, 0.214041144f, 0.214041144f}},
    };
    for (const Row& row : rows) {
        const LinearRgb c = Palette::named(row.palette)->at(row.entry / 1792.0);
        const std::string where = std::string(row.palette) + " entry " + std::to_string(row.entry);
        EXPECT_EQ(c.r, row.colour.r) << where;
        EXPECT_EQ(c.g, row.colour.g) << where;
        EXPECT_EQ(c.b, row.colour.b) << where;
    }
}

// The published tables as matplotlib has them, and the palettes made of them:
// sRGB values read in as light, and the ends where the tables' ends are.
TEST(RenderPalette, PublishedTablesAsPublished)
{
    struct Row { const char* palette; size_t size, entry; double r, g, b; };
    const Row rows[] = {
        {"viridis", 256, 0, 0.267004, 0.004874, 0.329415},
        {"viridis", 256, 128, 0.127568, 0.566949, 0.550556},
        {"viridis", 256, 255, 0.993248, 0.906157, 0.143936},
        {"magma", 256, 0, 0.001462, 0.000466, 0.013866},
        {"magma", 256, 128, 0.716387, 0.214982, 0.475290},
        {"magma", 256, 255, 0.987053, 0.991438, 0.749504},
        {"inferno", 256, 0, 0.001462, 0.000466, 0.013866},
        {"inferno", 256, 128, 0.735683, 0.215906, 0.330245},
        {"inferno", 256, 255, 0.988362, 0.998364, 0.644924},
        {"plasma", 256, 0, 0.050383, 0.029803, 0.527975},
        {"plasma", 256, 128, 0.798216, 0.280197, 0.469538},
        {"plasma", 256, 255, 0.940015, 0.975158, 0.131326},
        {"cividis", 256, 0, 0.000000, 0.135112, 0.304751},
        {"cividis", 256, 128, 0.488697, 0.485318, 0.471008},
        {"cividis", 256, 255, 0.995737, 0.909344, 0.217772},
        {"twilight", 510, 0, 0.88575015840754434, 0.85000924943067835, 0.8879736506427196},
        {"twilight", 510, 255, 0.18488035509396164, 0.079425730279723883, 0.21307651648984993},
        {"twilight", 510, 509, 0.88571155122845646, 0.85002186115856315, 0.88572538990087124},
    };
    for (const Row& row : rows) {
        const std::string where = std::string(row.palette) + " entry " + std::to_string(row.entry);
        const auto map = std::find_if(std::begin(kPublishedMaps), std::end(kPublishedMaps),
                                      [&](const PublishedMap& m) { return row.palette == std::string(m.name); });
        ASSERT_NE(map, std::end(kPublishedMaps)) << where;
        ASSERT_EQ(map->size, row.size) << where;
        EXPECT_EQ(map->srgb[row.entry][0], row.r) << where;
        EXPECT_EQ(map->srgb[row.entry][1], row.g) << where;
        EXPECT_EQ(map->srgb[row.entry][2], row.b) << where;
        const LinearRgb c = Palette::named(row.palette)->at(static_cast<double>(row.entry) / (row.size - 1));
        EXPECT_FLOAT_EQ(c.r, static_cast<float>(srgbToLinear(row.r))) << where;
        EXPECT_FLOAT_EQ(c.g, static_cast<float>(srgbToLinear(row.g))) << where;
        EXPECT_FLOAT_EQ(c.b, static_cast<float>(srgbToLinear(row.b))) << where;
    }
    for (const std::string& name : Palette::names())
        EXPECT_EQ(Palette::named(name)->cyclic(), name == "twilight" || name == "neon") << name;
}

TEST(RenderPalette, UniformPalettesRiseEvenlyInLightnessInsideTheGamut)
{
    struct Row { const char* palette; double darkest, lightest; };
    const Row rows[] = {{"ember", 0, 1}, {"ocean", 0.18, 0.97}, {"violet", 0.14, 0.96}, {"grey", 0, 1}};
    constexpr int steps = 300;
    for (const Row& row : rows) {
        const Palette palette = *Palette::named(row.palette);
        const double step = (row.lightest - row.darkest) / steps;
        for (int k = 0; k <= steps; ++k) {
            const LinearRgb c = palette.at(static_cast<double>(k) / steps);
            for (const float channel : {c.r, c.g, c.b})
                ASSERT_TRUE(channel >= 0 && channel <= 1) << row.palette << " " << k;
            EXPECT_NEAR(toOklab(c.r, c.g, c.b).L, row.darkest + k * step, 0.05 * step)
                << row.palette << " step " << k;
        }
    }
}

TEST(RenderPalette, ParsesBackgroundColours)
{
    struct Row { const char* text; std::optional<Rgb> colour; };
    const Row rows[] = {
        {"#000000", 0x000000}, {"ffffff", 0xFFFFFF}, {"#1A2b3C", 0x1A2B3C},
        {"Navy", 0x000080},    {"GREY", 0x808080},   {"gray", 0x808080},
        {"white", 0xFFFFFF},   {"", std::nullopt},   {"#", std::nullopt},
        {"#12345", std::nullopt}, {"1234567", std::nullopt}, {"#12345g", std::nullopt},
        {"blak", std::nullopt},   {"# 12345", std::nullopt}, {"0x1234", std::nullopt},
        {"+12345", std::nullopt}, {"##123456", std::nullopt}, {" black", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(parseColour(row.text), row.colour) << '"' << row.text << '"';
}

}  // namespace
}  // namespace quillon::render
