// The equation family (Eqn 1 to 5, 8, 8A, 8B) over the scripted platform:
// prompts and captions, the first three points from the origin, Eqn 4's own
// Single w, random parameters, passes and colours.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "logic/maps/MapTestSupport.h"
#include "runtime/NumberFormat.h"

namespace quillon {
namespace {

using namespace maptest;

struct Member {
    const char* name;
    const char* command;
    const char* title;
    const char* prefix;
    const char* defaults[4];
    const char* caption;  // with the defaults
    double scale, divisor;
    Traced points[3];  // from (0, 0) with the defaults, to eight digits
};

const Member kMembers[] = {
    {"E1", "mnuE1", "Equation 1", "Eqn(1)  ",
     {"0.2238", "-0.9992", "-0.8697", "-0.3373"},
     "Eqn(1)    a = 0.2238  b = -0.9992  c = -0.8697  d = -0.3373", 200, 2,
     {{0.99946984, 0.2238}, {1.0599866, -0.77566984}, {0.11114693, -0.83618661}}},
    {"E2", "mnuE2", "Equation 2", "Eqn(2)  ", {"1.14", "-0.4", "-0.96", "0.35"},
     "Eqn(2)    a = 1.14  b = -0.4  c = -0.96  d = 0.35", 500, 2,
     {{0.4, 1.14}, {1.3, 0.74}, {1.26, -0.16}}},
    {"E3", "mnuE3", "Equation 3", "Eqn(3)  ",
     {"-3.8117", "-0.6155", "-0.7767", "6.7932"},
     "Eqn(3)    a = -3.8117  b = -0.6155  c = -0.7767  d = 6.7932", 500, 2,
     {{0.6155, -3.8117}, {-3.4328597, -4.4272}, {-3.8117, -0.37884025}}},
    {"E4", "mnuE4", "Equation 4", "Eqn(4)  ", {"1.7115", "-1.4485", "-0.4692", "0.2699"},
     "Eqn(4)    a = 1.7115  b = -1.4485  c = -0.4692  d = 0.2699", 500, 2,
     {{1, 1}, {2, 0.70796001}, {2.41592, -0.1013267}}},
    {"E5", "mnuE5", "Equation 5", "Eqn(5)  ", {"-3.41", "0.65", "-0.55", "0.102"},
     "Eqn(5)    a = -3.41  b = 0.65  c = -0.55  d = 0.102", 500, 2,
     {{-0.102, -3.41}, {-3.535205, -3.308}, {-4.2142591, 0.125205}}},
    {"E8", "mnuE8", "Equation 8", "Eqn(8)  ", {"2.42", "-1.36", "-0.2", "-0.31"},
     "Eqn(8)    a = 2.42  b = -1.36  c = -0.2  d = -0.31", 500, 2.1,
     {{2.42, 0}, {2.42, 2.42}, {0, 3.2008969}}},
    {"E8A", "mnuE8A", "Equation 8A", "Eqn(8A)  ", {"2.24", "-1.57", "-0.238", "0.489"},
     "Eqn(8A)    a = 2.24  b = -1.57  c = -0.238  d = 0.489", 500, 2.1,
     {{2.24, 0}, {2.24, 2.24}, {0, 0.60740697}}},
    {"E8B", "mnuE8B", "Equation 8B", "Eqn(8B)  ", {"0.915", "1.538", "4.574", "-0.0258"},
     "Eqn(8B)    a = 0.915  b = 1.538  c = 4.574  d = -0.0258", 500, 2.1,
     {{0.915, 0}, {0.915, 0.915}, {0, 1.7152287}}},
};

TEST(EquationFamily, PromptsCaptionAndFirstThreePointsFromTheOrigin)
{
    const char* prompts[] = {
        "Entre a value for (a)    {Try  -5.0  to  +5.0}",
        "Entre a value for (b)    {Try  -2.5  to  +2.5}",
        "Entre a value for (c)    {Try  -1.0  to  +1.0}",
        "Entre a value for (d)    {Try  -0.5  to  +0.5}"};
    for (const Member& m : kMembers) {
        SCOPED_TRACE(m.name);
        Started s;
        s.userMode();
        s.answers({m.defaults[0], m.defaults[1], m.defaults[2], m.defaults[3]});
        s.traceUntilReset(&FigureState::xNew, &FigureState::yNew, 3);
        s.form.click(m.command);

        ASSERT_EQ(s.platform.prompts.size(), 4u);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(s.platform.prompts[k].prompt, prompts[k]);
            EXPECT_EQ(s.platform.prompts[k].title, m.title);
            EXPECT_EQ(s.platform.prompts[k].defaultText, m.defaults[k]);
        }
        ASSERT_GE(s.platform.captions.size(), 5u);
        EXPECT_EQ(s.platform.captions[0], m.prefix);
        EXPECT_EQ(s.platform.captions[4], m.caption);

        ASSERT_EQ(s.trace.size(), 3u);
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(k);
            expectDigits(s.trace[k].u, m.points[k].u);
            expectDigits(s.trace[k].v, m.points[k].v);
        }
        // In the Eqn 8 routines a step from y = 0 gives yNew = x exactly.
        if (m.divisor == 2.1) {
            EXPECT_EQ(s.trace[1].v, m.points[0].u);
        }

        const auto points = s.platform.points();
        ASSERT_EQ(points.size(), 6u);
        for (int k = 0; k < 2; ++k)
            expectPointAt(points[k], canvas(m.points[0].u, m.scale, kSW, m.divisor),
                          canvas(m.points[0].v, m.scale, kSH, 2));
    }
    // E1's first point, as the figure's own numbers place it.
    Started s;
    s.userMode();
    s.answers({"0.2238", "-0.9992", "-0.8697", "-0.3373"});
    s.resetAt(1);
    s.form.click("mnuE1");
    ASSERT_EQ(s.platform.points().size(), 2u);
    expectPointAt(s.platform.points()[0], 199.893968 + kSW / 2, 44.76 + kSH / 2);
}

TEST(EquationFamily, Eqn4HoldsWInSinglePrecisionAndRestartsItOnEveryCall)
{
    Started s;
    s.userMode();
    s.answers({"1.7115", "-1.4485", "-0.4692", "0.2699"});
    double yNew2 = 0, outerY = 0, nestedX = 0, resumedX = 0;
    s.platform.at(2, [&] { yNew2 = s.form.yNew; });
    // Inside the third point a nested Eqn 4 starts from the outer one's point.
    s.platform.at(3, [&] {
        outerY = s.form.y;
        s.answers({"1.7115", "-1.4485", "-0.4692", "0.9"});
        s.form.click("mnuE4");
    });
    s.platform.at(4, [&] { nestedX = s.form.xNew; });
    s.resetAt(6);  // ends the nested drawing
    s.platform.at(7, [&] { resumedX = s.form.xNew; });
    s.resetAt(8);
    s.form.click("mnuE4");

    // w = 1.70796 rounded to a Single: yNew = w - 1 = 0.70796001, not 0.70796.
    EXPECT_NEAR(yNew2, 0.70796001, 1e-9);
    EXPECT_GT(std::fabs(yNew2 - 0.70796), 5e-9);
    // The nested call began with w = 1 of its own.
    EXPECT_NEAR(outerY, 0.70796001, 1e-9);
    EXPECT_DOUBLE_EQ(nestedX, 1 + outerY);
    // The outer call kept its w (third yNew + x = -0.1013267 + 2) and resumed
    // from the zeroed point, so its next xNew is that w.
    EXPECT_NEAR(resumedX, 2 - 0.1013267, 1e-6);
    EXPECT_EQ(s.platform.doEventsCalls, 8u);

    // A later call from (0, 0) starts with (1, 1) whatever d is.
    for (const char* d : {"0.9", "-0.3", "0"}) {
        SCOPED_TRACE(d);
        Started later;
        later.userMode();
        later.answers({"1", "1", "1", d});
        later.traceUntilReset(&FigureState::xNew, &FigureState::yNew, 1);
        later.form.click("mnuE4");
        ASSERT_EQ(later.trace.size(), 1u);
        EXPECT_EQ(later.trace[0].u, 1);
        EXPECT_EQ(later.trace[0].v, 1);
    }
}

TEST(EquationFamily, RandomParametersInOrderAndPassesOf10000InOneColour)
{
    const uint32_t seed = 2024;
    for (const Member& m : kMembers) {
        SCOPED_TRACE(m.name);
        Rnd expected(seed);
        const double a = static_cast<double>(expected.next()) * 10 - 5;
        const double b = static_cast<double>(expected.next()) * 5 - 2.5;
        const double c = 2 * static_cast<double>(expected.next()) - 1;
        const double d = static_cast<double>(expected.next()) - 0.5;
        Started s(seed);
        s.resetAt(1);
        s.form.click(m.command);
        const NumberFormat numbers;
        EXPECT_TRUE(s.platform.prompts.empty());
        EXPECT_EQ(s.platform.captions.at(4), std::string(m.prefix) + "  a = " + numbers.text(a) +
                                                 "  b = " + numbers.text(b) + "  c = " +
                                                 numbers.text(c) + "  d = " + numbers.text(d));

        // Passes, with the defaults (random parameters may leave every range).
        Started run(seed);
        run.userMode();
        run.answers({m.defaults[0], m.defaults[1], m.defaults[2], m.defaults[3]});
        const uint64_t steps = 2 * 10000 + 3;
        run.resetAt(steps);
        run.form.click(m.command);
        ASSERT_EQ(run.platform.pointCount, 2 * steps);
        expectPasses(run.platform, 10000, passColours(seed, 0, 0, 3));
    }
}

}  // namespace
}  // namespace quillon
