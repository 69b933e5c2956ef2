// Henon and Lozi over the scripted platform: prompts, captions, first points,
// passes and colours, and every way a drawing stops.
#include <gtest/gtest.h>

#include <cmath>

#include "app/CommandTables.h"
#include "app/Form.h"
#include "runtime/Numeric.h"
#include "support/ScriptedPlatform.h"

namespace quillon {
namespace {

using testing::ScriptedPlatform;
using testing::SurfaceOp;

struct Started {
    ScriptedPlatform platform;
    Form form{platform};
    Started()
    {
        form.Form_Load();
        form.rnd.reseed(4242);
    }
    void userMode() { form.randomMode = 1; }
    // Ends the drawing with RESET inside the given DoEvents call.
    void resetAt(uint64_t call) { platform.at(call, [this] { form.mnuReset_Click(); }); }
};

struct MapPoint {
    double u, v;
};

// Where the window places a map point of these two figures.
SurfaceOp canvasPoint(const ScriptedPlatform& p, MapPoint m)
{
    SurfaceOp op{SurfaceOp::Kind::Point, Surface::Window};
    op.x = static_cast<float>(m.u * 3000 + static_cast<float>(p.scaleWidth()) / 2.0f);
    op.y = static_cast<float>(m.v * 6000 + static_cast<float>(p.scaleHeight()) / 2.0f);
    return op;
}

struct FigureCase {
    const char* name;
    const char* command;
    const char* title;
    const char* promptA;
    const char* promptB;
    const char* defaultA;
    const char* defaultB;
    const char* caption;
    MapPoint first[3];
    double randomScale, aLow, bLow;
};

const FigureCase kCases[] = {
    {"Henon", "mnuHenon", "Henon",
     "Entre a value for (a)    {Try  1.35  to  1.45}",
     "Entre a value for (b)    {Try  0.25  to  0.35}", "1.4", "0.3",
     "Henon      a = 1.4   b = 0.3", {{1, 0}, {-0.4, 0.3}, {1.076, -0.12}}, 0.1, 1.35, 0.25},
    {"Lozi", "mnuLozi", "Lozi", "Entre a value for (a)    {Try  1.6  to  1.8}",
     "Entre a value for (b)    {Try  0.4  to  0.6}", "1.7", "0.5",
     "Lozi      a = 1.7   b = 0.5", {{1, 0}, {-0.7, 0.5}, {0.31, -0.35}}, 0.2, 1.6, 0.4},
};

TEST(HenonLozi, DefaultsPromptsCaptionAndFirstPoints)
{
    for (const FigureCase& fc : kCases) {
        SCOPED_TRACE(fc.name);
        Started s;
        s.userMode();
        s.platform.answer(fc.defaultA);
        s.platform.answer(fc.defaultB);
        s.resetAt(3);
        s.form.click(fc.command);

        ASSERT_EQ(s.platform.prompts.size(), 2u);
        EXPECT_EQ(s.platform.prompts[0].prompt, fc.promptA);
        EXPECT_EQ(s.platform.prompts[0].title, fc.title);
        EXPECT_EQ(s.platform.prompts[0].defaultText, fc.defaultA);
        EXPECT_EQ(s.platform.prompts[1].prompt, fc.promptB);
        EXPECT_EQ(s.platform.prompts[1].defaultText, fc.defaultB);

        // Caption: the title, then each label and value appended in turn.
        ASSERT_GE(s.platform.captions.size(), 3u);
        EXPECT_EQ(s.platform.captions[0], std::string(fc.name) + "   ");
        EXPECT_EQ(s.platform.captions[2], fc.caption);

        // Cleared first (window, then pic1), then three points on each surface.
        ASSERT_GE(s.platform.ops.size(), 2u);
        EXPECT_EQ(s.platform.ops[0].kind, SurfaceOp::Kind::Clear);
        EXPECT_EQ(s.platform.ops[0].surface, Surface::Window);
        EXPECT_EQ(s.platform.ops[1].surface, Surface::Picture);
        const auto points = s.platform.points();
        ASSERT_EQ(points.size(), 6u);
        for (int k = 0; k < 3; ++k) {
            const SurfaceOp want = canvasPoint(s.platform, fc.first[k]);
            EXPECT_EQ(points[2 * k].surface, Surface::Window);
            EXPECT_EQ(points[2 * k + 1].surface, Surface::Picture);
            for (int surface = 0; surface < 2; ++surface) {
                EXPECT_NEAR(points[2 * k + surface].x, want.x, 0.002) << k;
                EXPECT_NEAR(points[2 * k + surface].y, want.y, 0.002) << k;
            }
        }
        // The reset exit cleared both surfaces, zeroed the point and the flag.
        EXPECT_EQ(s.platform.ops.back().kind, SurfaceOp::Kind::Clear);
        EXPECT_EQ(s.platform.ops.back().surface, Surface::Picture);
        EXPECT_EQ(s.form.stopFlag, 0);
        EXPECT_EQ(s.form.x, 0);
        EXPECT_EQ(s.form.yNew, 0);
        EXPECT_EQ(s.platform.currentCaption, "");
    }
}

TEST(HenonLozi, PointsAfterAResizeUseTheNewCentre)
{
    Started s;
    s.userMode();
    s.platform.answer("1.4");
    s.platform.answer("0.3");
    s.platform.at(1, [&] { s.platform.setScale(9000, 11520); });  // the window is resized
    s.resetAt(2);
    s.form.click("mnuHenon");
    const auto points = s.platform.points();
    ASSERT_EQ(points.size(), 4u);
    EXPECT_FLOAT_EQ(points[0].x, 3000 + 7680);  // (1, 0) before the resize
    EXPECT_FLOAT_EQ(points[0].y, 5760);
    EXPECT_FLOAT_EQ(points[2].x, -0.4f * 3000 + 4500);  // placed by the new centre
}

TEST(HenonLozi, RandomParametersAreDrawnInOrderFromTheirRanges)
{
    for (const FigureCase& fc : kCases) {
        SCOPED_TRACE(fc.name);
        for (uint32_t seed : {1u, 99u, 123456u}) {
            Started s;
            s.form.rnd.reseed(seed);
            Rnd expected(seed);
            s.resetAt(1);
            s.form.click(fc.command);
            const double a = static_cast<double>(expected.next()) * fc.randomScale + fc.aLow;
            const double b = static_cast<double>(expected.next()) * fc.randomScale + fc.bLow;
            EXPECT_TRUE(s.platform.prompts.empty());
            const NumberFormat numbers;
            EXPECT_EQ(s.platform.captions.at(2), std::string(fc.name) + "      a = " +
                                                     numbers.text(a) + "   b = " + numbers.text(b));
            EXPECT_GE(a, fc.aLow);
            EXPECT_LT(a, fc.aLow + fc.randomScale);
            EXPECT_GE(b, fc.bLow);
            EXPECT_LT(b, fc.bLow + fc.randomScale);
            // The first pass's colour is the next draw.
            const int colour = static_cast<int>(Int(expected.next() * 7.0f) + 9.0f);
            ASSERT_EQ(s.platform.points().size(), 2u);
            EXPECT_EQ(s.platform.points()[0].color, QBColor(colour));
        }
    }
}

TEST(HenonLozi, PassesOf5000PointsEachInOneBrightColour)
{
    Started s;
    s.userMode();
    s.platform.answer("1.4");
    s.platform.answer("0.3");
    Rnd expected(4242);
    s.resetAt(3 * 5000 + 10);
    s.form.click("mnuHenon");
    const auto points = s.platform.pointsOn(Surface::Picture);
    ASSERT_EQ(points.size(), 3u * 5000 + 10);
    for (int pass = 0; pass < 4; ++pass) {
        const Rgb colour = QBColor(static_cast<int>(Int(expected.next() * 7.0f) + 9.0f));
        const size_t end = std::min<size_t>((pass + 1) * 5000, points.size());
        for (size_t k = pass * 5000; k < end; ++k)
            ASSERT_EQ(points[k].color, colour) << "pass " << pass << " point " << k;
    }
}

TEST(HenonLozi, ResetMidPassStopsAtOnce)
{
    Started s;
    s.resetAt(100);
    s.form.click("mnuHenon");
    EXPECT_EQ(s.platform.doEventsCalls, 100u);
    EXPECT_EQ(s.platform.pointsOn(Surface::Window).size(), 100u);
    EXPECT_EQ(s.form.stopFlag, 0);
    EXPECT_EQ(s.platform.currentCaption, "");
    EXPECT_EQ(s.form.a, 0);  // RESET zeroed the parameters
    // RESET cleared (window, pic1), then the reset exit cleared again.
    const auto& ops = s.platform.ops;
    ASSERT_GE(ops.size(), 4u);
    for (size_t k = ops.size() - 4; k < ops.size(); ++k)
        EXPECT_EQ(ops[k].kind, SurfaceOp::Kind::Clear);
    // A figure started afterwards draws normally.
    s.resetAt(150);
    s.form.click("mnuLozi");
    EXPECT_EQ(s.platform.doEventsCalls, 150u);
}

TEST(HenonLozi, FixFinishesThePassOnClearedSurfacesThenHalts)
{
    Started s;
    s.platform.at(100, [&] { s.form.Form_KeyDown(keys::Tab, 0); });
    s.form.click("mnuHenon");
    EXPECT_EQ(s.form.stopFlag, -1);
    EXPECT_EQ(s.platform.doEventsCalls, 5000u);
    EXPECT_EQ(s.platform.currentCaption, "");
    // The surfaces were cleared at point 100 and the pass went on drawing.
    size_t clearsAfterStart = 0, pointsAfterFix = 0;
    bool fixed = false;
    for (size_t k = 2; k < s.platform.ops.size(); ++k) {
        if (s.platform.ops[k].kind == SurfaceOp::Kind::Clear) {
            ++clearsAfterStart;
            fixed = true;
        } else if (fixed && s.platform.ops[k].surface == Surface::Window) {
            ++pointsAfterFix;
        }
    }
    EXPECT_EQ(clearsAfterStart, 2u);
    EXPECT_EQ(pointsAfterFix, 4900u);
    // The point stays where the pass ended.
    EXPECT_NE(s.form.x, 0);

    // While halted a figure clears and writes its caption but draws nothing.
    const size_t before = s.platform.pointCount;
    s.form.click("mnuLozi");
    EXPECT_EQ(s.platform.pointCount, before);
    EXPECT_EQ(s.platform.currentCaption.rfind("Lozi      a = ", 0), 0u);

    // A second FIX lets figures draw again.
    s.form.mnuFIX_Click();
    EXPECT_EQ(s.form.stopFlag, 0);
    s.resetAt(s.platform.doEventsCalls + 7);
    s.form.click("mnuHenon");
    EXPECT_EQ(s.platform.pointCount, before + 14);
}

TEST(HenonLozi, ResetWhileIdleBlocksFiguresUntilFix)
{
    Started s;
    s.form.mnuReset_Click();
    EXPECT_EQ(s.form.stopFlag, 1);
    s.platform.ops.clear();
    s.form.click("mnuHenon");
    EXPECT_EQ(s.platform.pointCount, 0u);
    EXPECT_EQ(s.platform.ops.size(), 2u);  // cleared, nothing drawn
    EXPECT_EQ(s.platform.currentCaption.rfind("Henon      a = ", 0), 0u);
    EXPECT_EQ(s.form.stopFlag, 1);

    s.form.mnuFIX_Click();
    EXPECT_EQ(s.form.stopFlag, -2);
    // -2 runs like 0; a FIX now turns it into a reset request that ends the drawing.
    s.platform.at(40, [&] { s.form.mnuFIX_Click(); });
    s.form.click("mnuHenon");
    EXPECT_EQ(s.platform.doEventsCalls, 40u);
    EXPECT_EQ(s.form.stopFlag, 0);
}

TEST(HenonLozi, CancelledPromptsAfterAResetGiveTheFixedPoint)
{
    Started s;
    s.userMode();
    s.platform.answer("1.4");
    s.platform.answer("0.3");
    s.resetAt(50);
    s.form.click("mnuHenon");
    s.platform.ops.clear();

    for (auto command : {"mnuHenon", "mnuLozi"}) {
        s.platform.ops.clear();
        s.platform.answer(std::nullopt);  // Cancel
        s.platform.answer(std::nullopt);
        s.resetAt(s.platform.doEventsCalls + 20);
        s.form.click(command);
        EXPECT_EQ(s.form.a, 0);
        const auto points = s.platform.points();
        ASSERT_EQ(points.size(), 40u);
        for (const SurfaceOp& p : points) {
            EXPECT_FLOAT_EQ(p.x, 3000 + 15360 / 2);
            EXPECT_FLOAT_EQ(p.y, 11520 / 2);
        }
    }
}

TEST(HenonLozi, AnswersThatDoNotConvertKeepTheFieldAndTheNextPromptStillComes)
{
    for (const char* bad : {"", "abc", "1e999", "nan", "inf", "1,4", "--1"}) {
        SCOPED_TRACE(bad);
        Started s;
        s.userMode();
        s.form.a = 1.25;
        s.platform.answer(std::string(bad));
        s.platform.answer(" 0.31 ");
        s.resetAt(1);
        s.form.click("mnuHenon");
        EXPECT_EQ(s.platform.prompts.size(), 2u);
        EXPECT_EQ(s.platform.captions.at(1), "Henon      a = 1.25");
        EXPECT_EQ(s.platform.captions.at(2), "Henon      a = 1.25   b = 0.31");
        EXPECT_TRUE(s.platform.boxes.empty());
    }
}

TEST(HenonLozi, DivergingOrbitRunsOnWithoutDrawingUntilReset)
{
    Started s;
    s.userMode();
    s.platform.answer("3");
    s.platform.answer("0.3");
    s.resetAt(20000);
    s.form.click("mnuHenon");
    EXPECT_EQ(s.platform.doEventsCalls, 20000u);
    EXPECT_LT(s.platform.pointsOn(Surface::Window).size(), 20u);
    for (const SurfaceOp& p : s.platform.points()) {
        EXPECT_TRUE(std::isfinite(p.x));
        EXPECT_TRUE(std::isfinite(p.y));
    }
    EXPECT_EQ(s.form.stopFlag, 0);
    EXPECT_EQ(s.form.x, 0);
}

}  // namespace
}  // namespace quillon
