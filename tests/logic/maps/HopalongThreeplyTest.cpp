// The hopalong and threeply families over the scripted platform: prompts and
// captions, the first points from the origin, random parameters, passes and
// colours; and, for map figures of every family, orbits that run away or
// divide by zero.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "logic/maps/MapTestSupport.h"
#include "runtime/NumberFormat.h"

namespace quillon {
namespace {

using namespace maptest;

using FigureItem = const char*;

struct Member {
    const char* name;
    FigureItem command;
    const char* title;
    const char* prefix;
    const char* defaults[3];
    const char* caption;  // with the defaults
    double scale;
    Traced points[3];  // from (0, 0) with the defaults
};

// Hopalong members from the origin: x = 0 has Sgn 0 (and takes Hop2's second
// branch), so the first point is (y - root term, a) and the second (root term, a).
const Member kHopalong[] = {
    {"Hop1", "mnuHop1", "Hopalong-1", "Hopalong(1)   ", {"0.724", "-0.565", "-0.117"},
     "Hopalong(1)      a = 0.724   b = -0.565   c = -0.117", 200,
     {{-std::sqrt(0.117), 0.724}, {1.1669903640381938, 1.0660526275297415},
      {-0.6703912302636272, -0.4429903640381938}}},
    {"Hop2", "mnuHop2", "Hopalong-2", "Hopalong(2)   ", {"-0.354", "0.192", "0.918"},
     "Hopalong(2)      a = -0.354   b = 0.192   c = 0.918", 500,
     {{std::sqrt(0.918), -0.354}, {0.6957426578686671, -1.3121231653602787},
      {-0.28665615452532056, -1.049742657868667}}},
    {"Hop3", "mnuHop3", "Hopalong-3", "Hopalong(3)   ", {"0.209", "-0.977", "0.617"},
     "Hopalong(3)      a = 0.209   b = -0.977   c = 0.617", 200,
     {{0, 0.209}, {0.209, 0.209}, {-0.6971969984501163, 0}}},
    {"Hop5", "mnuHop5", "Hopalong-4", "Hopalong(4)   ", {"0.427", "-0.912", "0.639"},
     "Hopalong(4)      a = 0.427   b = -0.912   c = 0.639", 200,
     {{std::sqrt(0.639), 0.427}, {0.5966280507792339, -0.37237475566845374},
      {-0.28465935984532703, -0.16962805077923387}}},
    {"Tetras", "mnuHop4", "Tetras", "Tetras   ", {"0.845", "0.976", "0.3"},
     "Tetras      a = 0.845   b = 0.976   c = 0.3", 200,
     {{0, 0.845}, {0.845, 0.845}, {-0.535499300929136, 0}}},
};

// Threeply members from the origin: (0, a), (a, a), then (third, 0).
const Member kThreeply[] = {
    {"Threeply", "mnuThreeply", "3Ply", "Threeply   ",
     {"83.0781", "-98.0297", "-33.527"},
     "Threeply      a = 83.0781   b = -98.0297   c = -33.527", 5,
     {{0, 83.0781}, {83.0781, 83.0781}, {-32.38472, 0}}},
    {"TP2", "mnu3P2", "3Ply2", "Threeply-2   ", {"85.63", "-10.97", "21.11"},
     "Threeply-2      a = 85.63   b = -10.97   c = 21.11", 5,
     {{0, 85.63}, {85.63, 85.63}, {20.46322, 0}}},
    {"TP4", "mnu3P4", "Starburst", "Starburst   ", {"77.85", "-61.97", "59.68"},
     "Starburst      a = 77.85   b = -61.97   c = 59.68", 5,
     {{0, 77.85}, {77.85, 77.85}, {30.46101, 0}}},
    {"TP5", "mnu3P5", "X-Ply", "X-Ply   ", {"65.74", "-3.76", "31.89"},
     "X-Ply      a = 65.74   b = -3.76   c = 31.89", 5,
     {{0, 65.74}, {65.74, 65.74}, {9.789793, 0}}},
    {"TP6", "mnu3P6", "3Ply3", "Threeply-3   ", {"-7.54", "-7.22", "37.2"},
     "Threeply-3      a = -7.54   b = -7.22   c = 37.2", 5,
     {{0, -7.54}, {-7.54, -7.54}, {-40.90476, 0}}},
    {"TP7", "mnu3P7", "3Ply-Sin", "Threeply-Sin   ", {"22.789", "93.2625", "36.322"},
     "Threeply-Sin      a = 22.789   b = 93.2625   c = 36.322", 5,
     {{0, 22.789}, {22.789, 22.789}, {8.658939, 0}}},
    {"TP8", "mnu3P8", "3Ply-Cos", "Threeply-Cos   ", {"43.78", "1.87", "95.75"},
     "Threeply-Cos      a = 43.78   b = 1.87   c = 95.75", 5,
     {{0, 43.78}, {43.78, 43.78}, {-95.44368, 0}}},
};

void checkPromptsCaptionAndFirstPoints(const Member& m, const char* hint, double relative)
{
    SCOPED_TRACE(m.name);
    Started s;
    s.userMode();
    s.answers({m.defaults[0], m.defaults[1], m.defaults[2]});
    s.traceUntilReset(&FigureState::xNew, &FigureState::yNew, 3);
    s.form.click(m.command);

    ASSERT_EQ(s.platform.prompts.size(), 3u);
    const char* names[] = {"(a)", "(b)", "(c)"};
    for (int k = 0; k < 3; ++k) {
        const std::string prompt = std::string("Entre a value for ") + names[k] + hint;
        EXPECT_EQ(s.platform.prompts[k].prompt, prompt);
        EXPECT_EQ(s.platform.prompts[k].title, m.title);
        EXPECT_EQ(s.platform.prompts[k].defaultText, m.defaults[k]);
    }
    ASSERT_GE(s.platform.captions.size(), 4u);
    EXPECT_EQ(s.platform.captions[0], m.prefix);
    EXPECT_EQ(s.platform.captions[3], m.caption);

    ASSERT_EQ(s.trace.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        expectDigits(s.trace[k].u, m.points[k].u, relative);
        expectDigits(s.trace[k].v, m.points[k].v, relative);
    }
    // The first point, s units per map unit from the centre, window then pic1.
    const auto points = s.platform.points();
    ASSERT_EQ(points.size(), 6u);
    EXPECT_EQ(points[0].surface, Surface::Window);
    EXPECT_EQ(points[1].surface, Surface::Picture);
    for (int k = 0; k < 2; ++k)
        expectPointAt(points[k], canvas(m.points[0].u, m.scale, kSW, 2),
                      canvas(m.points[0].v, m.scale, kSH, 2));
    EXPECT_EQ(s.form.x, 0);  // the reset exit zeroes the point
    EXPECT_EQ(s.form.stopFlag, 0);
}

TEST(HopalongFamily, PromptsCaptionAndFirstPointsFromTheOrigin)
{
    for (const Member& m : kHopalong)
        checkPromptsCaptionAndFirstPoints(m, "    {Try  -1.0  to  +1.0}", 1e-9);
    // Hop3's first point lies on the vertical through the centre, 41.8 below it.
    Started s;
    s.userMode();
    s.answers({"0.209", "-0.977", "0.617"});
    s.resetAt(1);
    s.form.click("mnuHop3");
    ASSERT_EQ(s.platform.points().size(), 2u);
    expectPointAt(s.platform.points()[0], kSW / 2, 41.8 + kSH / 2);
}

TEST(ThreeplyFamily, PromptsCaptionAndFirstThreePointsFromTheOrigin)
{
    for (const Member& m : kThreeply)
        checkPromptsCaptionAndFirstPoints(m, "    {Try  -100  to  +100}", 1e-6);
    Started s;
    s.userMode();
    s.answers({"83.0781", "-98.0297", "-33.527"});
    s.resetAt(1);
    s.form.click("mnuThreeply");
    ASSERT_EQ(s.platform.points().size(), 2u);
    expectPointAt(s.platform.points()[0], kSW / 2, 415.3905 + kSH / 2);
}

// With a = 1, b = 0, c = -5 every bracket is negative at x = 1, so the third
// point tells apart the members that take |T|, those that take T, and the one
// that adds: xNew = 1 - |T| S, 1 - T S or 1 + |T| S with S = 1.
TEST(ThreeplyFamily, NegativeBracketShowsAbsoluteValueAndSign)
{
    const double t = std::sin(1.0) - 5 - std::sin(-4.0);  // sin(x) cos(0) + c - sin(a+b+c) x
    const double third[] = {
        1 - std::fabs(t),                                               // Threeply
        1 - std::fabs(std::sin(1.0) + 1 - 5 - std::sin(-4.0)),          // TP2: sin(x) + cos(b)
        1 - std::fabs(std::sin(1.0) - 5 - std::tan(-4.0)),              // TP4: tangent
        1 - t,                                                          // TP5: no absolute value
        1 + std::fabs(t),                                               // TP6: added
        1 - (0 - 5 - std::sin(-4.0)),                                   // TP7: sin(b) = 0
        1 - (std::cos(1.0) - 5 - std::cos(-4.0)),                       // TP8: cosines
    };
    for (size_t k = 0; k < std::size(kThreeply); ++k) {
        const Member& m = kThreeply[k];
        SCOPED_TRACE(m.name);
        Started s;
        s.userMode();
        s.answers({"1", "0", "-5"});
        s.traceUntilReset(&FigureState::xNew, &FigureState::yNew, 3);
        s.form.click(m.command);
        ASSERT_EQ(s.trace.size(), 3u);
        EXPECT_EQ(s.trace[1].u, 1);
        EXPECT_NEAR(s.trace[2].u, third[k], 1e-12);
        EXPECT_EQ(s.trace[2].v, 0);
    }
}

// Random mode: three draws in the order a, b, c from the family's range, then the
// colour of the first pass; each pass has 10000 points in one colour.
void checkRandomParametersAndPasses(const Member& m, double scale, double offset, uint32_t seed)
{
    SCOPED_TRACE(m.name);
    Started s(seed);
    Rnd expected(seed);
    double values[3];
    for (double& v : values) {
        v = static_cast<double>(expected.next()) * scale + offset;
        EXPECT_GE(v, offset);
        EXPECT_LT(v, offset + scale);
    }
    const uint64_t steps = 2 * 10000 + 3;
    s.resetAt(steps);
    s.form.click(m.command);
    EXPECT_TRUE(s.platform.prompts.empty());
    const NumberFormat numbers;
    const std::string caption = std::string(m.prefix) + "   a = " + numbers.text(values[0]) +
                                "   b = " + numbers.text(values[1]) +
                                "   c = " + numbers.text(values[2]);
    EXPECT_EQ(s.platform.captions.at(3), caption);
    EXPECT_EQ(s.platform.doEventsCalls, steps);
    ASSERT_EQ(s.platform.pointCount, 2 * steps);  // every point could be placed
    expectPasses(s.platform, 10000, passColours(seed, 3, 0, 3));
}

TEST(HopalongFamily, RandomParametersInOrderAndPassesOf10000InOneColour)
{
    for (const Member& m : kHopalong)
        checkRandomParametersAndPasses(m, 2, -1, 777);
}

TEST(ThreeplyFamily, RandomParametersInOrderAndPassesOf10000InOneColour)
{
    for (const Member& m : kThreeply)
        checkRandomParametersAndPasses(m, 200, -100, 31337);
}

// Orbits that leave every range, or divide by zero, run on with non-finite
// values, draw nothing that cannot be placed, and stop at RESET.
TEST(MapFigures, RunawayAndDividingOrbitsRunUntilReset)
{
    const auto diverges = [](const std::vector<Traced>& t) {
        bool left = false;
        for (const Traced& p : t)
            left = left || !std::isfinite(p.u) || std::fabs(p.u) > 1e200;
        EXPECT_TRUE(left);
    };
    struct Row {
        const char* name;
        FigureItem command;
        std::vector<const char*> answers;
        std::function<void(const std::vector<Traced>&)> check;
        size_t maxPoints;  // points that can still be placed
    };
    const Row rows[] = {
        {"Hop1 a = 1e300", "mnuHop1", {"1e300", "-0.565", "-0.117"}, diverges, 10},
        {"Starburst huge", "mnu3P4", {"1e300", "1e300", "1e300"}, diverges, 10},
        {"Creature a = 1e300", "mnuCreature", {"1e300", "0.28"}, diverges, 10},
        // From the origin with c = 0 the root is 0 and Sgn(0) / 0 is not a number.
        {"Tetras 0/0", "mnuHop4", {"0.845", "0.976", "0"},
         [](const std::vector<Traced>& t) {
             EXPECT_TRUE(std::isnan(t[0].u));
             EXPECT_EQ(t[0].v, 0.845);
         }, 0},
        // (0,0) -> (0,1) -> (1,1); from (1,1) b x - c = 0, so xNew = 1 - 1/0.
        {"Tetras 1/0", "mnuHop4", {"1", "1", "1"},
         [](const std::vector<Traced>& t) {
             EXPECT_EQ(t[1].u, 1);
             EXPECT_EQ(t[2].u, -INFINITY);
             EXPECT_EQ(t[2].v, 0);
             EXPECT_EQ(t[3].v, INFINITY);  // a - x with x = -infinity
         }, 2},
        // b = 0 and a step from y = 0: Sgn(0) / Sqr(0) is 0/0.
        {"Eqn 8B 0/0", "mnuE8B", {"0.915", "0", "4.574", "-0.0258"},
         [](const std::vector<Traced>& t) {
             EXPECT_EQ(t[0].u, 0.915);
             EXPECT_TRUE(std::isnan(t[0].v));
             EXPECT_TRUE(std::isnan(t.back().u));
         }, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Started s;
        s.userMode();
        for (const char* answer : row.answers)
            s.platform.answer(std::string(answer));
        s.traceUntilReset(&FigureState::xNew, &FigureState::yNew, 3000);
        s.form.click(row.command);
        EXPECT_EQ(s.platform.doEventsCalls, 3000u);
        ASSERT_EQ(s.trace.size(), 3000u);
        row.check(s.trace);
        expectFinitePoints(s.platform);
        EXPECT_LE(s.platform.pointsOn(Surface::Window).size(), row.maxPoints);
        EXPECT_EQ(s.form.stopFlag, 0);
        EXPECT_EQ(s.form.x, 0);
        EXPECT_EQ(s.platform.currentCaption, "");
    }
}

}  // namespace
}  // namespace quillon
