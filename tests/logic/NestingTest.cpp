// Commands chosen while a drawing runs execute inside its DoEvents call and
// share the whole form state with it.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/CommandTables.h"
#include "app/Form.h"
#include "support/ScriptedPlatform.h"

namespace quillon {
namespace {

using testing::ScriptedPlatform;

struct Started {
    ScriptedPlatform platform;
    Form form{platform};
    Started()
    {
        form.Form_Load();
        form.randomMode = 1;
    }
};

TEST(Nesting, LoziInsideHenonThenEscTwice)
{
    Started s;
    s.platform.answer("1.4");
    s.platform.answer("0.3");
    std::vector<std::string> returned;
    s.platform.at(10, [&] {
        s.platform.answer("1.7");
        s.platform.answer("0.5");
        s.form.click("mnuLozi");
        returned.push_back("Lozi");
        // Henon resumes with what RESET left: zero parameters and point, no caption.
        EXPECT_EQ(s.form.a, 0);
        EXPECT_EQ(s.form.x, 0);
        EXPECT_EQ(s.form.stopFlag, 0);
        EXPECT_EQ(s.platform.currentCaption, "");
        EXPECT_EQ(s.form.nestedCommands(), 1);
    });
    s.platform.at(20, [&] {
        EXPECT_EQ(s.form.nestedCommands(), 2);
        EXPECT_EQ(s.platform.currentCaption, "Lozi      a = 1.7   b = 0.5");
        s.form.Form_KeyDown(keys::Escape, 0);
    });
    s.platform.at(30, [&] { s.form.Form_KeyDown(keys::Escape, 0); });
    s.form.click("mnuHenon");
    returned.push_back("Henon");

    EXPECT_EQ(returned, (std::vector<std::string>{"Lozi", "Henon"}));
    EXPECT_EQ(s.platform.doEventsCalls, 30u);
    EXPECT_EQ(s.form.nestedCommands(), 0);
    EXPECT_EQ(s.form.stopFlag, 0);
    // Henon's points after Lozi ended: the step from the zeroed point with a = b = 0
    // goes to the fixed point (1, 0) for ever.
    const auto points = s.platform.pointsOn(Surface::Window);
    ASSERT_EQ(points.size(), 30u);
    for (size_t k = 20; k < 30; ++k) {
        EXPECT_FLOAT_EQ(points[k].x, 3000 + 7680) << k;
        EXPECT_FLOAT_EQ(points[k].y, 5760) << k;
    }
    // Lozi's first point came from Henon's current point, not from (0, 0).
    EXPECT_NE(points[10].x, 3000 + 7680);
}

TEST(Nesting, FixEndsEveryLevelInnermostFirst)
{
    Started s;
    s.form.randomMode = 0;
    std::vector<uint64_t> returnedAt;
    s.platform.at(10, [&] {
        s.form.click("mnuLozi");
        returnedAt.push_back(s.platform.doEventsCalls);
    });
    s.platform.at(20, [&] { s.form.mnuFIX_Click(); });
    s.form.click("mnuHenon");
    returnedAt.push_back(s.platform.doEventsCalls);
    // Lozi finished its pass of 5000 points. The step counter is shared form state,
    // so Lozi's finished pass also ends Henon's: it returns at its next loop test.
    ASSERT_EQ(returnedAt.size(), 2u);
    EXPECT_EQ(returnedAt[0], 10u + 5000u);
    EXPECT_EQ(returnedAt[1], 10u + 5000u);
    EXPECT_EQ(s.form.iter, 5001);
    EXPECT_EQ(s.form.stopFlag, -1);
}

TEST(Nesting, AHeldFigureKeyStopsNestingAtTheCap)
{
    // Every DoEvents call starts another Henon, as auto-repeat would; past the cap
    // the command is ignored. Then every call presses Esc until all levels ended.
    Started s;
    s.form.randomMode = 0;
    s.platform.recordPoints = false;
    int attempts = 0;
    int deepest = 0;
    s.platform.onEveryCall([&] {
        deepest = std::max(deepest, s.form.nestedCommands());
        if (attempts < 2 * Form::kMaxNestedCommands) {
            ++attempts;
            s.form.click("mnuHenon");
        } else {
            s.form.Form_KeyDown(keys::Escape, 0);
        }
    });
    s.form.click("mnuHenon");
    EXPECT_EQ(deepest, Form::kMaxNestedCommands);
    EXPECT_EQ(attempts, 2 * Form::kMaxNestedCommands);
    EXPECT_EQ(s.form.nestedCommands(), 0);
    EXPECT_EQ(s.form.stopFlag, 0);
}

TEST(Nesting, CommandsRunInsideDrawingsAreTheOrdinaryOnes)
{
    Started s;
    s.form.randomMode = 0;
    s.platform.at(5, [&] {
        s.form.Form_KeyPress(keys::LowerC);
        s.form.Form_KeyDown(keys::Backspace, 0);
        s.form.Form_KeyDown(keys::Backspace, 0);
        s.form.mnuChoice_Click();
    });
    s.platform.at(8, [&] { s.form.Timer1_Timer(); });  // the slide timer requests a reset
    s.form.click("mnuHenon");
    EXPECT_EQ(s.platform.doEventsCalls, 8u);
    EXPECT_EQ(s.form.backIndex, 1);
    EXPECT_EQ(s.form.delayOn, 1);
    EXPECT_EQ(s.platform.menuCaptions["mnuChoice"], "Random");
    EXPECT_EQ(s.form.stopFlag, 0);
}

}  // namespace
}  // namespace quillon
