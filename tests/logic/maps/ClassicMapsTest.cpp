// Martin, Mira, Gingerbread, Crown, Comet, Creature, Diamond and Dust over the
// scripted platform: prompts and captions, first points, passes and colours,
// Comet's orbits and Dust's two maps; and, for map figures of every family,
// answers that do not convert.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "logic/maps/MapTestSupport.h"
#include "runtime/NumberFormat.h"

namespace quillon {
namespace {

using namespace maptest;

using FigureItem = const char*;

struct Ask {
    const char* prompt;
    const char* shown;  // the default as the box shows it
};

struct Figure {
    const char* name;
    FigureItem command;
    const char* title;
    const char* prefix;
    std::vector<Ask> asks;
    const char* caption;  // with the defaults
};

const Figure kFigures[] = {
    {"Martin", "mnuMartin", "Martin", "Martin   ",
     {{"Entre a value for (a)    {Try values close to  3.14  (PI)}", "3.141593"}},
     "Martin      a = 3.141593"},
    {"Mira", "mnuMira", "Mira", "Mira   ",
     {{"Entre a value for (a)    {Try  -1.0  to  +1.0}", "0.7"},
      {"Entre a value for (y)    {Try  -25  to  +25}", "12.1"}},
     "Mira      a = 0.7   y = 12.1"},
    {"Gingerbread", "mnuGinBread", "Gingerbread", "Gingerbread   ",
     {{"Entre a value for (x)    {Try  -0.99  to  -0.01}", "-0.297"},
      {"Entre a value for (y)    {Try  -0.89  to  +1.99}", "-0.612"}},
     "Gingerbread      x = -0.297   y = -0.612"},
    {"Crown", "mnuCrown", "Crown", "Crown   ",
     {{"Entre a value for (a)    {Try  0  to  0.59}", "0.51"},
      {"Entre a value for (b)    {Try  -1.0  to  -0.1}", "-0.49"},
      {"Entre a value for (x)    {Try  -2.0  to  +10.0}", "4"},
      {"Entre a value for (y)    {Try  -1.0  to  +10.0}", "1"}},
     "Crown      a = 0.51   b = -0.49   x = 4   y = 1"},
    {"Comet", "mnuComet", "Comet", "Comet   ",
     {{"Entre a value for (a)    {Try  -1.0  to  +1.0}", "-0.53129"}}, "Comet      a = -0.53129"},
    {"Creature", "mnuCreature", "Creature", "Creature   ",
     {{"Entre a value for (a)    {Try  0.4  to  0.8}", "0.76"},
      {"Entre a value for (b)    {Try  0.25  to  0.30}", "0.28"}},
     "Creature      a = 0.76   b = 0.28"},
    {"Diamond", "mnuDIA", "Diamond", "Diamond  ",
     {{"Entre a value for (a)    {Try  -50  to  +50}", "100"},
      {"Entre a value for (b)    {Try  -50  to  +50}", "0"},
      {"Entre a value for (c)    {Try  -50  to  +50}", "-100"}},
     "Diamond    a = 100  b = 0  c = -100"},
    {"Dust", "mnuDust", "Dust", "Dust  ",
     {{"Entre a value for (r)    {Try  -1.0  to  +1.0}", "0.7"}}, "Dust    r = 0.7"},
};

void answerDefaults(Started& s, const Figure& f)
{
    for (const Ask& ask : f.asks)
        s.platform.answer(std::string(ask.shown));
}

TEST(ClassicMaps, PromptsDefaultsAndCaptions)
{
    for (const Figure& f : kFigures) {
        SCOPED_TRACE(f.name);
        Started s;
        s.userMode();
        answerDefaults(s, f);
        s.resetAt(1);
        s.form.click(f.command);
        ASSERT_EQ(s.platform.prompts.size(), f.asks.size());
        for (size_t k = 0; k < f.asks.size(); ++k) {
            EXPECT_EQ(s.platform.prompts[k].prompt, f.asks[k].prompt);
            EXPECT_EQ(s.platform.prompts[k].title, f.title);
            EXPECT_EQ(s.platform.prompts[k].defaultText, f.asks[k].shown);
        }
        EXPECT_EQ(s.platform.captions.at(0), f.prefix);
        EXPECT_EQ(s.platform.captions.at(f.asks.size()), f.caption);
    }
}

TEST(ClassicMaps, FirstPointsWithTheDefaults)
{
    struct Row {
        const Figure& figure;
        double FigureState::* u;  // the fields that hold the drawn point
        double FigureState::* v;
        std::vector<Traced> points;
        float firstX, firstY;  // where the first point is set
    };
    const double sinPi = std::sin(3.141593);
    const Row rows[] = {
        {kFigures[0], &FigureState::xNew, &FigureState::yNew,
         {{0, 3.141593}, {3.141593, 3.141593}, {3.141593 - sinPi, 0}},
         canvas(0, 100, kSW, 2), canvas(3.141593, 100, kSH, 2)},
        // x = 0 at start: x = 0.9999 * 12.1, y = 0.7 x + 0.6 x^2 / (x^2 + 1).
        {kFigures[1], &FigureState::x, &FigureState::y,
         {{12.09879, 0.7 * 12.09879 + 0.6 * 146.3807 / 147.3807}},
         canvas(12.09879, 300, kSW, 2.25), canvas(9.0650819, 300, kSH, 2)},
        {kFigures[2], &FigureState::xNew, &FigureState::yNew,
         {{1.909, -0.297}}, canvas(1.909, 750, kSW, 2.6), canvas(-0.297, 700, kSH, 2.6)},
        // Crown draws its start point first.
        {kFigures[3], &FigureState::x, &FigureState::y,
         {{4, 1}, {3.03995, -2.4496255}}, static_cast<float>(2000 + kSW / 2),
         static_cast<float>(kSH / 1.6 - 8000)},
        {kFigures[5], &FigureState::x, &FigureState::y,
         {{1, 1}, {1.48, 1.48}}, static_cast<float>(5500 + kSW / 10),
         static_cast<float>(3400 + kSH / 10)},
        {kFigures[6], &FigureState::xNew, &FigureState::yNew,
         {{0, 100}, {100, 100}, {89.9747137, 0}, {-9.9546452, 10.0252863}},
         static_cast<float>(kSW / 2), static_cast<float>(2000 + kSH / 2)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.figure.name);
        Started s;
        s.userMode();
        answerDefaults(s, row.figure);
        s.traceUntilReset(row.u, row.v, row.points.size());
        s.form.click(row.figure.command);
        ASSERT_EQ(s.trace.size(), row.points.size());
        for (size_t k = 0; k < row.points.size(); ++k) {
            SCOPED_TRACE(k);
            expectDigits(s.trace[k].u, row.points[k].u, 1e-6);
            expectDigits(s.trace[k].v, row.points[k].v, 1e-6);
        }
        const auto points = s.platform.points();
        ASSERT_EQ(points.size(), 2 * row.points.size());
        expectPointAt(points[0], row.firstX, row.firstY);
        expectPointAt(points[1], row.firstX, row.firstY);
        EXPECT_EQ(points[1].surface, Surface::Picture);
    }
}

TEST(ClassicMaps, CrownKeepsItsFunctionValueAsASingle)
{
    Started s;
    s.userMode();
    s.answers({"0.51", "-0.49", "4", "1"});
    float fx1 = 0, fx2 = 0;
    double x2 = 0;
    s.platform.at(1, [&] { fx1 = s.form.fx; });
    s.platform.at(2, [&] {
        fx2 = s.form.fx;
        x2 = s.form.x;
    });
    s.resetAt(2);
    s.form.click("mnuCrown");
    EXPECT_EQ(fx1, static_cast<float>(0.51 * 4));
    // x = 0.99995 y + fx with fx the Single 2.04, not the Double 2.04.
    EXPECT_NEAR(x2, 0.99995 + static_cast<double>(2.04f), 1e-12);
    EXPECT_GT(std::fabs(x2 - 3.03995), 1e-8);
    EXPECT_FLOAT_EQ(fx2, 1.5503745f);

    // At x = 0 the function uses b (the test is x > 0): b * 0 is a negative zero.
    Started zero;
    zero.userMode();
    zero.answers({"0.51", "-0.49", "0", "1"});
    float fx0 = 1;
    zero.platform.at(1, [&] { fx0 = zero.form.fx; });
    zero.resetAt(1);
    zero.form.click("mnuCrown");
    EXPECT_EQ(fx0, 0.0f);
    EXPECT_TRUE(std::signbit(fx0));
}

// One colour per pass: Dust draws one more number per step, Comet two per orbit.
TEST(ClassicMaps, PassLengthsAndOneColourPerPass)
{
    struct Row {
        const Figure& figure;
        size_t passLength;
        int drawsPerPass;
    };
    const Row rows[] = {{kFigures[0], 10000, 0}, {kFigures[1], 1000, 0}, {kFigures[2], 5000, 0},
                        {kFigures[3], 1000, 0},  {kFigures[5], 1000, 0}, {kFigures[6], 5000, 0},
                        {kFigures[7], 5000, 5000}};
    const uint32_t seed = 8080;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.figure.name);
        Started s(seed);
        s.userMode();
        answerDefaults(s, row.figure);
        const uint64_t steps = 2 * row.passLength + 3;
        s.resetAt(steps);
        s.form.click(row.figure.command);
        EXPECT_EQ(s.platform.doEventsCalls, steps);
        ASSERT_EQ(s.platform.pointCount, 2 * steps);
        expectPasses(s.platform, row.passLength, passColours(seed, 0, row.drawsPerPass, 3));
    }
}

// From (1, 0) with r = 0.7: the rotation gives (-0.3500001, 0.6062177), the
// quadratic map (1, 0.8); the step's random number picks one.
TEST(ClassicMaps, DustTakesTheMapItsRandomNumberPicks)
{
    bool seen[2] = {false, false};
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u}) {
        SCOPED_TRACE(seed);
        Rnd expected(seed);
        expected.next();  // the colour
        const bool rotation = expected.next() < 0.5f;
        seen[rotation ? 0 : 1] = true;
        Started s(seed);
        s.userMode();
        s.answers({"0.7"});
        s.traceUntilReset(&FigureState::x, &FigureState::y, 1);
        s.form.click("mnuDust");
        EXPECT_EQ(std::bit_cast<uint32_t>(s.form.pi), 0x40490FDCu);
        ASSERT_EQ(s.trace.size(), 1u);
        const Traced want = rotation ? Traced{-0.3500001, 0.6062177} : Traced{1, 0.8};
        EXPECT_NEAR(s.trace[0].u, want.u, 1e-7);
        EXPECT_NEAR(s.trace[0].v, want.v, 1e-7);
        ASSERT_EQ(s.platform.points().size(), 2u);
        expectPointAt(s.platform.points()[0], canvas(want.u, 2000, kSW, 2.5),
                      canvas(want.v, 2000, kSH, 2));
    }
    EXPECT_TRUE(seen[0] && seen[1]);
}

struct CometStep {
    int16_t iter, i, j;
    double x, y;
};

// Each orbit runs until its 1000th step or right after its first point with
// |x| + |y| > 10; exactly 10 goes on.
TEST(ClassicMaps, CometOrbitsEndAfterTheirFirstPointOutsideTheDiamond)
{
    Started s(123);
    s.userMode();
    s.answers({"0.5"});
    std::vector<CometStep> steps;
    s.platform.onEveryCall([&] {
        if (s.platform.doEventsCalls == 5) {  // a point exactly on the edge
            s.form.x = 6;
            s.form.y = -4;
        }
        if (s.platform.doEventsCalls == 1002) {  // a point just outside
            s.form.x = -6;
            s.form.y = 4.0000001;
        }
        steps.push_back({s.form.iter, s.form.i, s.form.j, s.form.x, s.form.y});
        if (s.platform.doEventsCalls == 12000)
            s.form.mnuReset_Click();
    });
    s.form.click("mnuComet");
    ASSERT_EQ(steps.size(), 12000u);

    // The first point comes from the orbit's two random numbers after the colour.
    Rnd expected(123);
    expected.next();
    const double x0 = expected.next() - 0.00001, y0 = expected.next() - 0.00001;
    const double root = std::sqrt(1 - 0.25);
    EXPECT_NEAR(steps[0].x, x0 * 0.5 - (y0 - x0 * x0) * root, 1e-12);
    EXPECT_NEAR(steps[0].y, x0 * root + (y0 - x0 * x0) * 0.5, 1e-12);
    expectPointAt(s.platform.points()[0], canvas(steps[0].x, 3000, kSW, 2.2),
                  canvas(steps[0].y, 3000, kSH, 2));

    // (6, -4) continues; the next point leaves the diamond and ends the orbit.
    EXPECT_EQ(steps[5].j, 6);
    EXPECT_GT(std::fabs(steps[5].x) + std::fabs(steps[5].y), 10);
    EXPECT_EQ(steps[6].j, 1);
    EXPECT_EQ(steps[6].i, 2);
    // The orbit that was set just outside ends at once.
    EXPECT_EQ(steps[1001].j, 996);
    EXPECT_EQ(steps[1002].j, 1);

    int earlyEnds = 0;
    for (size_t k = 1; k < steps.size(); ++k) {
        const CometStep& prev = steps[k - 1];
        const CometStep& next = steps[k];
        ASSERT_LE(next.j, 1000);
        const bool outside = std::fabs(prev.x) + std::fabs(prev.y) > 10;
        if (next.j == 1) {
            ASSERT_TRUE(prev.j == 1000 || outside) << k;
            earlyEnds += prev.j != 1000;
            // Orbits 1 and 2 of a group, five groups to a pass.
            ASSERT_EQ(next.i, prev.i == 2 ? 1 : 2) << k;
            if (prev.i == 2) {
                ASSERT_EQ(next.iter, prev.iter == 4 ? 0 : prev.iter + 1) << k;
            }
        } else {
            ASSERT_FALSE(outside) << k;
            ASSERT_EQ(next.j, prev.j + 1) << k;
        }
    }
    EXPECT_GE(earlyEnds, 2);
}

// |a| > 1: the root fails, both updates are abandoned, and every orbit stays at
// its random start for 1000 steps; a pass is 10 such orbits, 20 draws besides
// its colour.
TEST(ClassicMaps, CometWithATooLargeFreezesEveryOrbitAtItsStart)
{
    const uint32_t seed = 4711;
    Started s(seed);
    s.userMode();
    s.answers({"2"});
    const uint64_t steps = 10000 + 1500;
    s.resetAt(steps);
    s.form.click("mnuComet");
    const auto points = s.platform.pointsOn(Surface::Window);
    ASSERT_EQ(points.size(), steps);

    Rnd expected(seed);
    for (size_t pass = 0; pass < 2; ++pass) {
        const Rgb colour = QBColor(passColourIndex(expected));
        for (size_t orbit = 0; orbit < 10; ++orbit) {
            const double x = expected.next() - 0.00001, y = expected.next() - 0.00001;
            const float X = canvas(x, 3000, kSW, 2.2), Y = canvas(y, 3000, kSH, 2);
            for (size_t k = 0; k < 1000; ++k) {
                const size_t n = pass * 10000 + orbit * 1000 + k;
                if (n >= points.size())
                    break;
                ASSERT_EQ(points[n].color, colour) << n;
                ASSERT_NEAR(points[n].x, X, 0.01) << n;
                ASSERT_NEAR(points[n].y, Y, 0.01) << n;
            }
        }
    }
}

// An answer that does not convert keeps the field; the other prompts still come
// and the figure is drawn with the values in use.
TEST(MapFigures, AnswersThatDoNotConvertKeepTheFields)
{
    struct Row {
        FigureItem command;
        std::vector<const char*> answers;
        const char* caption;
    };
    const Row rows[] = {
        {"mnuHop1", {"abc", "", "1e999"},
         "Hopalong(1)      a = 0.25   b = -0.5   c = 0.125"},
        {"mnuHop4", {"", "0.75", "x1"}, "Tetras      a = 0.25   b = 0.75   c = 0.125"},
        {"mnu3P4", {"1e999", "abc", "-7"},
         "Starburst      a = 0.25   b = -0.5   c = -7"},
        {"mnuE1", {"abc", "", "1e999", "0.5"},
         "Eqn(1)    a = 0.25  b = -0.5  c = 0.125  d = 0.5"},
        {"mnuE8B", {"3", "1.2.3", "", "x"},
         "Eqn(8B)    a = 3  b = -0.5  c = 0.125  d = -2"},
        {"mnuCrown", {"abc", "", "1e999", "2"},
         "Crown      a = 0.25   b = -0.5   x = 3   y = 2"},
        {"mnuMira", {"0.5", "twelve"}, "Mira      a = 0.5   y = -1.5"},
        {"mnuDIA", {"", "7", ""}, "Diamond    a = 0.25  b = 7  c = 0.125"},
        {"mnuDust", {"1e999"}, "Dust    r = 0.375"},
        {"mnuTree", {"--1", "0.6"}, "Tree      ax = 0.875   bx = 0.6"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        Started s;
        s.userMode();
        s.form.a = 0.25;
        s.form.b = -0.5;
        s.form.c = 0.125;
        s.form.d = -2;
        s.form.r = 0.375;
        s.form.p1 = 0.875f;
        s.form.x = 3;
        s.form.y = -1.5;
        for (const char* answer : row.answers)
            s.platform.answer(std::string(answer));
        s.resetAt(1);
        s.form.click(row.command);
        EXPECT_EQ(s.platform.prompts.size(), row.answers.size());
        EXPECT_EQ(s.platform.captions.at(row.answers.size()), row.caption);
        EXPECT_EQ(s.platform.doEventsCalls, 1u);
        EXPECT_TRUE(s.platform.boxes.empty());
    }
}

}  // namespace
}  // namespace quillon
