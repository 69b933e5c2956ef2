// Sierpinski, Scorpion, Tree and Triangles over the scripted platform: the map
// each step's random number picks, the start points, captions and prompts,
// passes and colours.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "logic/maps/MapTestSupport.h"
#include "runtime/NumberFormat.h"

namespace quillon {
namespace {

using namespace maptest;

using FigureItem = const char*;

TEST(ChaosGame, CaptionsAndPrompts)
{
    struct Row {
        const char* name;
        FigureItem command;
        std::vector<Prompt> prompts;  // prompt, title, default shown
        std::vector<const char*> answers;
        std::vector<std::string> captions;  // as written, in order
    };
    const Row rows[] = {
        {"Sierpi", "mnuSierpi", {}, {}, {"Sierpi   "}},
        {"Scorpion", "mnuScorpion", {}, {}, {"Scorpion   "}},
        {"Tree", "mnuTree",
         {{"Entre a value for (ax)    {Try  0.5  to  1.0}", "Tree", "0.87"},
          {"Entre a value for (bx)    {Try  0.5  to  1.0}", "Tree", "0.93"}},
         {"0.87", "0.93"},
         {"Tree   ", "Tree      ax = 0.87", "Tree      ax = 0.87   bx = 0.93"}},
        {"Triangles", "mnuTriangles",
         {{"Entre a value for (r)    {Try  -50  to  +50 ; close to PI}", "Triangles", "3.141593"}},
         {"3.141593"},
         {"Triangles  ", "Triangles    r = 3.141593"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Started s;
        s.userMode();
        for (const char* answer : row.answers)
            s.platform.answer(std::string(answer));
        s.resetAt(1);
        s.form.click(row.command);
        ASSERT_EQ(s.platform.prompts.size(), row.prompts.size());
        for (size_t k = 0; k < row.prompts.size(); ++k) {
            EXPECT_EQ(s.platform.prompts[k].prompt, row.prompts[k].prompt);
            EXPECT_EQ(s.platform.prompts[k].title, row.prompts[k].title);
            EXPECT_EQ(s.platform.prompts[k].defaultText, row.prompts[k].defaultText);
        }
        std::vector<std::string> written = row.captions;
        written.push_back("");  // RESET
        EXPECT_EQ(s.platform.captions, written);
        // Cleared (window, then pic1) before anything was drawn.
        ASSERT_GE(s.platform.ops.size(), 3u);
        EXPECT_EQ(s.platform.ops[0].kind, SurfaceOp::Kind::Clear);
        EXPECT_EQ(s.platform.ops[1].kind, SurfaceOp::Kind::Clear);
        EXPECT_EQ(s.platform.ops[1].surface, Surface::Picture);
        EXPECT_EQ(s.platform.ops[2].kind, SurfaceOp::Kind::Point);
    }
}

// Each point is halfway from the last one to the corner drawn for the step,
// starting from (50, 150) whatever the point was.
TEST(ChaosGame, SierpinskiGoesHalfwayToTheDrawnCornerAndStaysInTheTriangle)
{
    const Traced corners[3] = {{320, 0}, {1, 199}, {639, 199}};
    const Traced firstPoints[3] = {{185, 75}, {25.5, 174.5}, {344.5, 174.5}};
    bool seen[3] = {false, false, false};
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u}) {
        SCOPED_TRACE(seed);
        Started s(seed);
        s.form.x = 999;
        s.form.y = -5;
        s.traceUntilReset(&FigureState::xNew, &FigureState::yNew, 3000);
        s.form.click("mnuSierpi");
        ASSERT_EQ(s.trace.size(), 3000u);

        Rnd expected(seed);
        expected.next();  // the colour
        Traced last{50, 150};
        for (size_t k = 0; k < s.trace.size(); ++k) {
            const int corner = static_cast<int>(std::floor(expected.next() * 3.0f));
            if (k == 0) {
                seen[corner] = true;
                EXPECT_EQ(s.trace[0].u, firstPoints[corner].u);
                EXPECT_EQ(s.trace[0].v, firstPoints[corner].v);
            }
            ASSERT_EQ(s.trace[k].u, (corners[corner].u + last.u) / 2) << k;
            ASSERT_EQ(s.trace[k].v, (corners[corner].v + last.v) / 2) << k;
            last = s.trace[k];
            // Inside the triangle: above the base and inside both slanted edges.
            // The start (50, 150) lies 5880 (in cross-product units) outside the
            // edge from (320, 0) to (1, 199); each step halves that, so the
            // figure falls into the triangle within a few points.
            const Traced& p = s.trace[k];
            ASSERT_LE(p.v, 199) << k;
            const double outside = 5880 / std::ldexp(1.0, static_cast<int>(k) + 1);
            ASSERT_GE(p.v * 319 + (p.u - 320) * 199, -outside - 1e-9) << k;
            ASSERT_GE(p.v * 319 - (p.u - 320) * 199, -1e-9) << k;
        }
        const auto points = s.platform.points();
        ASSERT_FALSE(points.empty());
        expectPointAt(points[0], canvas(s.trace[0].u, 20, kSW, 10),
                      canvas(s.trace[0].v, 45, kSH, 15));
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
}

TEST(ChaosGame, PassLengthsAndOneColourPerPass)
{
    struct Row {
        const char* name;
        FigureItem command;
        std::vector<const char*> answers;
        size_t passLength;
    };
    const Row rows[] = {
        {"Sierpi", "mnuSierpi", {}, 5000},
        {"Scorpion", "mnuScorpion", {}, 10000},
        {"Tree", "mnuTree", {"0.87", "0.93"}, 5000},
        {"Triangles", "mnuTriangles", {"3.141593"}, 10000},
    };
    const uint32_t seed = 99;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Started s(seed);
        s.userMode();
        for (const char* answer : row.answers)
            s.platform.answer(std::string(answer));
        const uint64_t steps = 2 * row.passLength + 3;
        s.resetAt(steps);
        s.form.click(row.command);
        EXPECT_EQ(s.platform.doEventsCalls, steps);
        ASSERT_EQ(s.platform.pointCount, 2 * steps);
        // One random number per step besides the colour of the pass.
        const int drawsPerPass = static_cast<int>(row.passLength);
        expectPasses(s.platform, row.passLength, passColours(seed, 0, drawsPerPass, 3));
    }
}

struct Affine {
    double a, b, c, d, e, f;
};

// Scorpion: s <= 0.01, <= 0.86, <= 0.93, above; x = xNew, y = yNew, then the point.
TEST(ChaosGame, ScorpionAppliesTheMapItsThresholdsPick)
{
    const Affine maps[4] = {{0, 0, 0, 0.16, 0, 0},
                            {0.85, 0.04, -1.04, 0.85, 0, 1.6},
                            {0.2, -0.26, 0.23, 0.22, 0, 0.6},
                            {-0.15, 0.28, 0.26, 0.24, 0, 0.44}};
    const uint32_t seed = 2718;
    Started s(seed);
    s.traceUntilReset(&FigureState::x, &FigureState::y, 5000);
    s.form.click("mnuScorpion");
    ASSERT_EQ(s.trace.size(), 5000u);
    Rnd expected(seed);
    expected.next();  // the colour
    Traced last{0, 0};  // continues from the point the form holds
    int used[4] = {0, 0, 0, 0};
    for (size_t k = 0; k < s.trace.size(); ++k) {
        const float r = expected.next();
        const int row = r <= 0.01f ? 0 : r <= 0.86f ? 1 : r <= 0.93f ? 2 : 3;
        ++used[row];
        const Affine& m = maps[row];
        ASSERT_NEAR(s.trace[k].u, (m.a * last.u + m.b * last.v) + m.e, 1e-12) << k;
        ASSERT_NEAR(s.trace[k].v, (m.c * last.u + m.d * last.v) + m.f, 1e-12) << k;
        last = s.trace[k];
    }
    for (int row = 0; row < 4; ++row)
        EXPECT_GT(used[row], 0) << row;
    expectPointAt(s.platform.points()[0], canvas(s.trace[0].u, 2400, kSW, 3),
                  canvas(s.trace[0].v, 1200, kSH, 4.5));
}

// Tree: new y = a y - b x + f, new x = c y - d x + e from the old point; the
// row from r against 0, p1 and p2. Which row a step used shows in its point.
TEST(ChaosGame, TreeRowsAtTheThresholdEdges)
{
    const Affine maps[3] = {{0.85, 0.04, -0.04, 0.85, 0, 1.6},
                            {-0.15, 0.28, 0.26, 0.24, 0, 0.44},
                            {0.2, -0.28, 0.23, 0.22, 0, 1.6}};
    struct Row {
        const char* p1;
        const char* p2;
        std::function<int(float)> rowFor;
        bool mayUse[3];
    };
    const Row rows[] = {
        // p1 = p2 = 1: every r > 0 takes the first row.
        {"1", "1", [](float r) { return r > 0 ? 0 : 1; }, {true, false, false}},
        // p1 = p2 = 0.5: first row up to 0.5, the second above; never the third.
        {"0.5", "0.5", [](float r) { return r > 0 && r <= 0.5f ? 0 : 1; }, {true, true, false}},
        {"0.87", "0.93",
         [](float r) { return r > 0 && r <= 0.87f ? 0 : (r > 0.93f || r <= 0) ? 1 : 2; },
         {true, true, true}},
    };
    // A seed whose second number (the first step's r, after the colour) is 0:
    // r = 0 fails the test r > 0 and takes the second row whatever p1 is.
    uint32_t zeroSeed = 0;
    for (uint32_t seed = 1; seed < (1u << 24) && zeroSeed == 0; ++seed) {
        Rnd probe(seed);
        probe.next();
        if (probe.next() == 0)
            zeroSeed = seed;
    }
    ASSERT_NE(zeroSeed, 0u);
    for (const Row& row : rows) {
        for (const uint32_t seed : {1618u, zeroSeed}) {
            SCOPED_TRACE(std::string(row.p1) + " " + row.p2 + " seed " + std::to_string(seed));
            Started s(seed);
            s.userMode();
            s.answers({row.p1, row.p2});
            s.form.x = 0.5;  // Tree goes on from the point the form holds
            s.form.y = 2;
            s.traceUntilReset(&FigureState::x, &FigureState::y, 3000);
            s.form.click("mnuTree");
            ASSERT_EQ(s.trace.size(), 3000u);
            Rnd expected(seed);
            expected.next();  // the colour
            Traced last{0.5, 2};
            int used[3] = {0, 0, 0};
            for (size_t k = 0; k < s.trace.size(); ++k) {
                const int want = row.rowFor(expected.next());
                ++used[want];
                const Affine& m = maps[want];
                ASSERT_NEAR(s.trace[k].v, m.a * last.v - m.b * last.u + m.f, 1e-12) << k;
                ASSERT_NEAR(s.trace[k].u, m.c * last.v - m.d * last.u + m.e, 1e-12) << k;
                last = s.trace[k];
            }
            for (int r = 0; r < 3 && seed != zeroSeed; ++r)
                EXPECT_EQ(used[r] > 0, row.mayUse[r]) << r;
            expectPointAt(s.platform.points()[0], canvas(s.trace[0].u, 1400, kSW, 2),
                          static_cast<float>(-s.trace[0].v * 800 + kSH / 1.125));
        }
    }
}

// Triangles start at 0.65 (cos, sin) of 2r/3 and turn by +theta about the origin
// or by -theta about (1, 0), shrunk by 0.65; with r = 0 both are pure shrinks.
TEST(ChaosGame, TrianglesStartTurnAndCollapseForRZero)
{
    for (const char* answer : {"3.141593", "0", "-20"}) {
        SCOPED_TRACE(answer);
        const double r = std::stod(answer);
        const double theta = 2 * r / 3;
        const double cs = 0.65 * std::cos(theta), sn = 0.65 * std::sin(theta);
        const uint32_t seed = 31;
        Started s(seed);
        s.userMode();
        s.answers({answer});
        s.traceUntilReset(&FigureState::x, &FigureState::y, 2500);
        s.form.click("mnuTriangles");
        ASSERT_EQ(s.trace.size(), 2500u);
        Rnd expected(seed);
        expected.next();  // the colour
        Traced last{cs, sn};
        for (size_t k = 0; k < s.trace.size(); ++k) {
            Traced want;
            if (expected.next() < 0.5f)
                want = {cs * last.u - sn * last.v, sn * last.u + cs * last.v};
            else
                want = {(cs * last.u + sn * last.v + 1) - cs, (-sn * last.u + cs * last.v) + sn};
            ASSERT_NEAR(s.trace[k].u, want.u, 1e-12) << k;
            ASSERT_NEAR(s.trace[k].v, want.v, 1e-12) << k;
            if (r == 0) {
                ASSERT_EQ(s.trace[k].v, 0) << k;  // on the segment from (0, 0) to (1, 0)
                ASSERT_GE(s.trace[k].u, 0) << k;
                ASSERT_LE(s.trace[k].u, 1) << k;
            }
            last = s.trace[k];
        }
        expectPointAt(s.platform.points()[0], canvas(s.trace[0].u, 2500, kSW, 2.65),
                      canvas(s.trace[0].v, 4000, kSH, 2));
    }
}

}  // namespace
}  // namespace quillon
