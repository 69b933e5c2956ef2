#include <gtest/gtest.h>

#include <string>

#include "render/engine/Bands.h"
#include "render/image/UsageError.h"
#include "support/InTempDirectory.h"

namespace quillon::render {
namespace {

using testing::bytesOf;

// A picture made in bands is the picture made at once, byte for byte: every
// tone (the equalised one needs the whole picture's counts), supersampled
// bands, colour sums, a view of the sweep, uneven last bands, and the second
// sweep reading the scratch file or counting again.
TEST(Bands, BandedEqualsWhole)
{
    testing::InTempDirectory dir;
    struct Row {
        const char* figure;
        const char* tone;
        int aa;
        OrbitColour colour;
        int rows;  // a band's picture rows
        bool recount;
        bool view;
    };
    const Row rows[] = {
        {"Henon", "log", 1, OrbitColour::None, 1, false, false},
        {"Henon", "eq", 2, OrbitColour::None, 7, false, false},
        {"Henon", "eq", 2, OrbitColour::None, 13, true, true},
        {"Henon", "flame", 2, OrbitColour::Speed, 9, false, false},
        {"Henon", "log", 3, OrbitColour::Angle, 20, true, false},
        {"Henon", "eq", 1, OrbitColour::None, 48, false, false},  // one band
        {"BIFURCATION", "eq", 2, OrbitColour::None, 5, false, false},
        {"BIFURCATION", "log", 1, OrbitColour::Speed, 11, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.figure) + " " + row.tone + " aa " + std::to_string(row.aa) + " rows " +
                     std::to_string(row.rows) + (row.recount ? " recounted" : "") + (row.view ? " viewed" : ""));
        RenderSettings s;
        s.choice = chooseFigure(row.figure, {});
        s.framing = {.width = 64, .height = 48};
        s.style = Style::Density;
        s.points = 300'000;
        s.threads = 2;
        s.tone = row.tone;
        s.supersampling = row.aa;
        s.colour = row.colour;
        if (row.view)
            s.view = View{.centerX = row.figure == std::string("Henon") ? 0.5 : 3.7, .centerY = 0.2, .zoom = 3};
        renderToFile(s, "whole.png");
        const int bands = (48 + row.rows - 1) / row.rows;
        const RenderResult banded =
            renderInBands(s, "banded.png", BandPlan{.bands = bands, .rows = row.rows, .recount = row.recount});
        EXPECT_GT(banded.litPixels, 0u);
        EXPECT_EQ(bytesOf("banded.png"), bytesOf("whole.png"));
    }
}

// The memory allowed decides the bands; a picture that cannot be made even in
// bands of one row is refused, naming both amounts.
TEST(Bands, PlanFollowsTheMemoryAllowed)
{
    RenderSettings s;
    s.choice = chooseFigure("Henon", {});
    s.framing = {.frameWidth = 640, .frameHeight = 480, .width = 4000, .height = 3000};
    s.style = Style::Density;
    s.supersampling = 2;
    s.threads = 2;
    s.memoryLimit = 1ull << 40;
    EXPECT_FALSE(bandPlan(s, "p.png"));  // fits whole
    struct Row {
        uint64_t limit;
        int bands;
    };
    // A band row of 2 x 8000 counts x 4 bytes x 3 sets and 4000 pixels x 6 bytes.
    const uint64_t perRow = 2 * 8000 * 4 * 3 + 4000 * 6;
    const Row rows[] = {{kBandOverhead + perRow * 1500, 2}, {kBandOverhead + perRow * 1000, 3},
                        {kBandOverhead + perRow * 999, 4}, {kBandOverhead + perRow, 3000}};
    for (const Row& row : rows) {
        s.memoryLimit = row.limit;
        const auto plan = bandPlan(s, "p.png");
        ASSERT_TRUE(plan) << row.limit;
        EXPECT_EQ(plan->bands, row.bands) << row.limit;
        EXPECT_GE(static_cast<int64_t>(plan->bands) * plan->rows, 3000);
        EXPECT_LT(static_cast<int64_t>(plan->bands - 1) * plan->rows, 3000);
        EXPECT_LE(bandedBytes(s, plan->rows), row.limit);
    }
    s.memoryLimit = kBandOverhead + perRow - 1;
    try {
        checkSettings(s);
        ADD_FAILURE() << "not refused";
    } catch (const UsageError& e) {
        EXPECT_NE(std::string(e.what()).find("even in bands of one row, more than the 64 MiB allowed"),
                  std::string::npos)
            << e.what();
    }
}

}  // namespace
}  // namespace quillon::render
