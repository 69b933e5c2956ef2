// Colour by the orbit: each mode's value of points whose answer is known, the
// map colours of a chaos game where each map's image lies, an orbit's mean
// age, threads that never change a sum, and modes refused where they mean
// nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "app/HitCounter.h"
#include "render/engine/Counting.h"
#include "render/engine/OrbitColouring.h"
#include "render/image/UsageError.h"

namespace quillon::render {
namespace {

TEST(OrbitColour, ValuesOfPointsWhoseAnswerIsKnown)
{
    struct Point {
        double u, v;
        int16_t map = 0;
    };
    struct Case {
        const char* what;
        OrbitColour colour;
        std::vector<Point> points;
        std::vector<double> values;  // Angle: the direction as a turn, -1 for none
    };
    const Case cases[] = {
        // Up the canvas is up the plane here (ky < 0, as the figures' canvases).
        {"a straight segment has one angle", OrbitColour::Angle, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}, {-1, 0.125, 0.125, 0.125}},
        {"going left", OrbitColour::Angle, {{0, 0}, {-2, 0}, {-2, -1}}, {-1, 0.5, 0.75}},
        {"standing still has no direction", OrbitColour::Angle, {{1, 1}, {1, 1}}, {-1, -1}},
        {"straight on, a right angle, back", OrbitColour::Turn, {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 0}}, {0, 0, 0, 0.5, 1}},
        // low 1, scale 0.5: a step of 2 is half way, of 5 past the top.
        {"speeds within the range", OrbitColour::Speed, {{0, 0}, {2, 0}, {5, 4}, {5, 4.5}}, {0, 0.5, 1, 0}},
        {"ages", OrbitColour::Age, {{0, 0}, {9, 9}, {0, 1}, {3, 3}, {1, 0}}, {0, 0.25, 0.5, 0.75, 1}},
        // Halfway from 0.5 towards 0 (map 1 of 3), then towards 1 (map 3) twice.
        {"map colours blend along the orbit", OrbitColour::Map, {{0, 0, 1}, {0, 0, 3}, {0, 0, 3}}, {0.25, 0.625, 0.8125}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HitGrid grid;
        grid.mapping.canvas = CanvasMap{.kx = 1, .ky = -1};
        setColour(grid, c.colour, ColourRange{1, 3}, 5, 3);
        CountLane lane;
        for (size_t k = 0; k < c.points.size(); ++k) {
            lane.orbit.lastMap = c.points[k].map;
            const PointColour got = pointColour(lane, grid, c.points[k].u, c.points[k].v);
            if (c.colour != OrbitColour::Angle) {
                EXPECT_NEAR(got.value, c.values[k], 1e-12) << "point " << k;
            } else if (c.values[k] < 0) {
                EXPECT_EQ(got.cosine, 0.0) << "point " << k;
                EXPECT_EQ(got.sine, 0.0) << "point " << k;
            } else {
                EXPECT_NEAR(got.cosine, std::cos(2 * M_PI * c.values[k]), 1e-12) << "point " << k;
                EXPECT_NEAR(got.sine, std::sin(2 * M_PI * c.values[k]), 1e-12) << "point " << k;
            }
        }
    }
}

CountRequest colouredRequest(const char* figure, OrbitColour colour, int threads)
{
    return {.choice = chooseFigure(figure, {}),
            .framing = Framing{.width = 160, .height = 120},
            .seed = 3,
            .threads = threads,
            .colour = colour,
            .range = {0, 5}};
}

TEST(OrbitColour, EachMapOfTheChaosGameColoursItsOwnPart)
{
    // A point placed by map k of 3 has moved halfway to k's own colour
    // (0, 0.5 or 1) from a colour that is on average one half: the three
    // corner triangles of Sierpinski's triangle average 0.25, 0.5 and 0.75.
    DensityCounter counter(colouredRequest("Sierpi", OrbitColour::Map, 2));
    counter.countTo(3'000'000);
    const CountGrids& g = counter.grids();
    const int w = counter.width(), h = counter.height();
    int left = w, right = 0, top = h, bottom = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (g.counts[static_cast<size_t>(y) * w + x]) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    ASSERT_GT(right - left, 40);
    // The triangle stands on its base: the lower half is two corner
    // triangles side by side, the upper half the third; a pixel's width of
    // each seam is left out.
    struct Part {
        double x0, x1, y0, y1;  // of the figure's box, from its top left
    };
    const double dx = 1.0 / (right - left), dy = 1.0 / (bottom - top);
    const Part parts[] = {{0, 0.5 - dx, 0.5 + dy, 1}, {0.5 + dx, 1, 0.5 + dy, 1}, {0, 1, 0, 0.5 - dy}};
    std::vector<double> means;
    for (const Part& p : parts) {
        double values = 0, hits = 0;
        for (int y = top + int(p.y0 * (bottom - top)); y <= top + int(p.y1 * (bottom - top)); ++y)
            for (int x = left + int(p.x0 * (right - left)); x <= left + int(p.x1 * (right - left)); ++x) {
                const size_t k = static_cast<size_t>(y) * w + x;
                values += static_cast<double>(g.values[k]) / kValueUnit;
                hits += g.counts[k];
            }
        ASSERT_GT(hits, 10000);
        means.push_back(values / hits);
    }
    std::sort(means.begin(), means.end());
    EXPECT_NEAR(means[0], 0.25, 0.02);
    EXPECT_NEAR(means[1], 0.5, 0.02);
    EXPECT_NEAR(means[2], 0.75, 0.02);
}

TEST(OrbitColour, SumsOfOrbitsWhateverTheThreads)
{
    struct Case {
        const char* figure;
        OrbitColour colour;
    };
    const Case cases[] = {{"Henon", OrbitColour::Speed}, {"Henon", OrbitColour::Angle}, {"Sierpi", OrbitColour::Map},
                          {"Lorenz Orbits (XY)", OrbitColour::Turn}, {"Hopalong", OrbitColour::Age},
                          {"BIFURCATION", OrbitColour::Speed}};
    const uint64_t points = 2 * kGrowingOrbitLength + 99;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.figure) + " " + orbitColourName(c.colour));
        DensityCounter one(colouredRequest(c.figure, c.colour, 1));
        one.countTo(points);
        DensityCounter three(colouredRequest(c.figure, c.colour, 3));
        three.countTo(points / 3);
        three.countTo(points);
        const CountGrids &a = one.grids(), &b = three.grids();
        EXPECT_TRUE(std::equal(a.counts.begin(), a.counts.end(), b.counts.begin()));
        if (c.colour == OrbitColour::Angle) {
            EXPECT_TRUE(std::equal(a.cosines.begin(), a.cosines.end(), b.cosines.begin()));
            EXPECT_TRUE(std::equal(a.sines.begin(), a.sines.end(), b.sines.begin()));
            EXPECT_NE(std::accumulate(a.sines.begin(), a.sines.end(), int64_t{0}), 0);
        } else {
            EXPECT_TRUE(std::equal(a.values.begin(), a.values.end(), b.values.begin()));
            EXPECT_GT(std::accumulate(a.values.begin(), a.values.end(), uint64_t{0}), 0u);
        }
    }
    // One whole orbit, all of it in the picture: its points' mean age is one half.
    DensityCounter ages(colouredRequest("Sierpi", OrbitColour::Age, 1));
    ages.countTo(kGrowingOrbitLength);
    const CountGrids& g = ages.grids();
    const double values = static_cast<double>(std::accumulate(g.values.begin(), g.values.end(), uint64_t{0}));
    const double hits = static_cast<double>(std::accumulate(g.counts.begin(), g.counts.end(), uint64_t{0}));
    EXPECT_EQ(hits, static_cast<double>(kGrowingOrbitLength));
    EXPECT_NEAR(values / kValueUnit / hits, 0.5, 1e-4);
}

TEST(OrbitColour, ModesThatMeanNothingAreRefused)
{
    const FigureChoice sweep = chooseFigure("BIFURCATION", {});
    for (const OrbitColour refused : {OrbitColour::Angle, OrbitColour::Turn, OrbitColour::Map, OrbitColour::Age}) {
        try {
            checkColourFor(sweep, refused);
            ADD_FAILURE() << orbitColourName(refused) << " taken";
        } catch (const SettingError& e) {
            EXPECT_NE(std::string(e.what()).find("means nothing for the bifurcation diagram"), std::string::npos);
        }
    }
    for (const OrbitColour taken : {OrbitColour::None, OrbitColour::Speed})
        EXPECT_NO_THROW(checkColourFor(sweep, taken));
    for (const char* figure : {"Henon", "Sierpi", "Lorenz Orbits (XZ)"})
        for (const std::string& name : orbitColourNames())
            EXPECT_NO_THROW(checkColourFor(chooseFigure(figure, {}), *orbitColourNamed(name))) << figure << name;
}

}  // namespace
}  // namespace quillon::render
