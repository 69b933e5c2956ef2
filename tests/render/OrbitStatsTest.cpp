// Orbit statistics from the figures' own steps: the published Lyapunov
// exponents of the Henon and Lozi maps and of the Lorenz flow, what becomes of
// orbits that settle, escape or leave the frame, box counting on pictures of
// known dimension, and the text the reports and the contact sheet write.
#include <gtest/gtest.h>

#include <cmath>

#include "render/analysis/BoxDimension.h"
#include "render/analysis/ContactSheet.h"
#include "render/analysis/OrbitStats.h"
#include "render/analysis/Search.h"
#include "render/analysis/StatsReport.h"

namespace quillon::render {
namespace {

RenderSettings settingsOf(const char* figure, std::vector<std::string> params)
{
    RenderSettings s;
    s.choice = chooseFigure(figure, params);
    return s;
}

TEST(OrbitStats, PublishedExponentsWithinTheEstimatesError)
{
    struct Case {
        const char* figure;
        std::vector<std::string> params;
        std::vector<double> exponents;
        double published;  // how far the published digits are rounded, or the flow's Euler steps take it
        double kaplanYorke;
    };
    const Case cases[] = {
        {"Henon", {"a=1.4", "b=0.3"}, {0.4192, -1.6232}, 5e-5, 1.258},
        {"Lozi", {"a=1.7", "b=0.5"}, {0.4702, -1.1634}, 5e-5, NAN},
        // 0.9056 for the flow itself; steps of 0.0004 take about 0.004 off it.
        {"Lorenz", {}, {0.9056}, 0.006, NAN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.figure);
        const OrbitStats stats = followOrbit(settingsOf(c.figure, c.params));
        EXPECT_EQ(stats.outcome, Outcome::Chaotic);
        const auto& e = stats.lyapunov.exponents;
        ASSERT_EQ(e.size(), c.exponents.size());
        for (size_t k = 0; k < e.size(); ++k) {
            EXPECT_GT(e[k].error, 0);
            EXPECT_NEAR(e[k].value, c.exponents[k], 3 * e[k].error + c.published) << "exponent " << k + 1;
        }
        if (e.size() == 2) {
            // A constant Jacobian determinant -b: the sum is log b, whatever the orbit.
            EXPECT_NEAR(e[0].value + e[1].value, std::log(std::stod(c.params[1].substr(2))), 1e-9);
        }
        if (!std::isnan(c.kaplanYorke)) {
            EXPECT_NEAR(*stats.kaplanYorke, c.kaplanYorke, 0.002);
        }
        EXPECT_EQ(stats.perUnitTime, e.size() == 1);
    }
}

TEST(OrbitStats, OrbitsThatSettleEscapeOrLeaveTheFrame)
{
    struct Case {
        const char* figure;
        std::vector<std::string> params;
        Outcome outcome;
        std::optional<uint64_t> period, escapeStep;
    };
    const Case cases[] = {
        {"Henon", {"a=0.2"}, Outcome::FixedPoint, 1, {}},
        {"Henon", {"a=0.5"}, Outcome::Periodic, 2, {}},
        {"Henon", {"a=1.0"}, Outcome::Periodic, 4, {}},
        {"Henon", {"a=1.25"}, Outcome::Periodic, 7, {}},
        // x: 1, -2, -10.7, -343.07, then -353094, a thousand frames off.
        {"Henon", {"a=3"}, Outcome::Escaped, {}, 5},
        // Out where the map is linear, a long cycle never near the frame.
        {"GingerBread", {"x=1000", "y=0"}, Outcome::LeftFrame, {}, {}},
        {"Sierpi", {}, Outcome::RandomIteration, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.figure) + (c.params.empty() ? "" : " " + c.params[0]));
        const OrbitStats stats = followOrbit(settingsOf(c.figure, c.params), {.steps = 100'000});
        EXPECT_STREQ(outcomeName(stats.outcome), outcomeName(c.outcome));
        EXPECT_EQ(stats.escapeStep, c.escapeStep);
        if (c.outcome == Outcome::Periodic || c.outcome == Outcome::FixedPoint) {
            EXPECT_EQ(stats.period, c.period);
            EXPECT_LT(*stats.largestExponent(), 0);
        }
        if (c.escapeStep) {
            EXPECT_FALSE(stats.largestExponent());
        }
    }
    // Halving towards a corner each step: both exponents are log 1/2.
    const OrbitStats sierpi = followOrbit(settingsOf("Sierpi", {}), {.steps = 10'000});
    for (const Exponent& e : sierpi.lyapunov.exponents)
        EXPECT_NEAR(e.value, -std::log(2.0), 1e-9);
}

TEST(Search, TheRuleTurnsDownSpeckleAndFilledFrames)
{
    // Henon's attractor, framed whole, has a box dimension of about 1.25; the
    // Martin figure's orbit fills rings (about 1.8); Lorenz is a flow, judged
    // without the band.
    RenderSettings henon = settingsOf("Henon", {"a=1.4", "b=0.3"});
    RenderSettings martin = settingsOf("Martin", {});
    RenderSettings lorenz = settingsOf("Lorenz", {});
    for (RenderSettings* s : {&henon, &martin, &lorenz}) {
        s->framing = Framing{.frameWidth = 320, .frameHeight = 240, .width = 320, .height = 240};
        s->fit = true;
        resolveFit(*s);
    }
    const OrbitStats h = orbitStats(henon), m = orbitStats(martin), l = orbitStats(lorenz);
    const Interest usual;
    struct Case {
        const OrbitStats& stats;
        Interest interest;
        Verdict verdict;
    };
    const Case cases[] = {
        {h, usual, Verdict::Kept},
        {m, usual, Verdict::HighDimension},
        {l, usual, Verdict::Kept},
        {h, Interest{.minDimension = 1.3}, Verdict::LowDimension},
        {m, Interest{.maxDimension = 1.9}, Verdict::Kept},
        {l, Interest{.minDimension = 1.95}, Verdict::Kept},
        {h, Interest{.maxLit = 0.01}, Verdict::TooMuchLit},
        {h, Interest{.minLit = 0.9, .maxLit = 1}, Verdict::TooLittleLit},
    };
    for (const Case& c : cases)
        EXPECT_EQ(verdictName(verdictOf(c.stats, c.interest)), std::string(verdictName(c.verdict)))
            << "box " << c.stats.box->dimension << " lit " << *c.stats.litFraction;
}

TEST(BoxDimension, PicturesOfKnownDimension)
{
    constexpr int kSide = 512;
    const auto picture = [](auto lit) {
        std::vector<bool> mask(static_cast<size_t>(kSide) * kSide);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                mask[static_cast<size_t>(y) * kSide + x] = lit(x, y);
        return mask;
    };
    struct Case {
        const char* name;
        std::vector<bool> mask;
        double dimension;
    };
    const Case cases[] = {
        {"filled", picture([](int, int) { return true; }), 2},
        {"a row", picture([](int, int y) { return y == 100; }), 1},
        {"a diagonal", picture([](int x, int y) { return x == y; }), 1},
        {"one pixel", picture([](int x, int y) { return x == 7 && y == 300; }), 0},
        // Pascal's triangle mod 2: three copies at half the size.
        {"Sierpinski", picture([](int x, int y) { return (x & y) == 0; }), std::log2(3.0)},
    };
    for (const Case& c : cases) {
        const auto box = boxDimension(c.mask, kSide, kSide);
        ASSERT_TRUE(box) << c.name;
        EXPECT_NEAR(box->dimension, c.dimension, 1e-9) << c.name;
        EXPECT_EQ(box->smallest, 2) << c.name;
        EXPECT_EQ(box->largest, 64) << c.name;
    }
    EXPECT_FALSE(boxDimension(picture([](int, int) { return false; }), kSide, kSide));
    EXPECT_FALSE(boxDimension(std::vector<bool>(16 * 16, true), 16, 16));  // too few sizes to fit
}

TEST(StatsReport, TextJsonAndHtmlEscapes)
{
    const Report report = {{"caption", "a \"b\" \\ c\td\x01"}, {"period", std::nullopt, true}, {"steps", "10", true}};
    EXPECT_EQ(reportLines(report), "caption: a \"b\" \\ c\td\x01\nsteps: 10\n");
    EXPECT_EQ(reportJson(report), R"({"caption": "a \"b\" \\ c\td\u0001", "period": null, "steps": 10})" "\n");
    EXPECT_EQ(reportNumber(-1e-17), "0");
    EXPECT_EQ(reportNumber(INFINITY), std::nullopt);
    EXPECT_EQ(htmlText("<a href='x'>&\"</a>"), "&lt;a href=&#39;x&#39;&gt;&amp;&quot;&lt;/a&gt;");
    EXPECT_EQ(urlPath("my pics#1 %.png"), "my%20pics%231%20%25.png");
    EXPECT_EQ(urlPath("c:d.png"), "c%3Ad.png");
}

}  // namespace
}  // namespace quillon::render
