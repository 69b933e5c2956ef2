// The Lorenz orbits and the studies of the Special menu over the scripted
// platform: prompts and their re-asking, captions, geometry, stop rules and the
// exact bytes of the number files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "app/CommandTables.h"
#include "app/Form.h"
#include "runtime/Numeric.h"
#include "support/InTempDirectory.h"
#include "support/ScriptedPlatform.h"

namespace quillon {
namespace {

using testing::ScriptedPlatform;
using testing::SurfaceOp;
using Kind = SurfaceOp::Kind;

using testing::InTempDirectory;

struct Started {
    InTempDirectory dir;
    ScriptedPlatform platform;
    Form form{platform};
    Started()
    {
        form.Form_Load();
        form.rnd.reseed(77);
        form.randomMode = 1;
    }
    void answers(std::initializer_list<const char*> texts)
    {
        for (const char* text : texts)
            platform.answer(std::string(text));
    }
    std::vector<SurfaceOp> on(Kind kind, Surface surface) const
    {
        std::vector<SurfaceOp> out;
        for (const SurfaceOp& op : platform.ops)
            if (op.kind == kind && op.surface == surface)
                out.push_back(op);
        return out;
    }
};

// --- Lorenz orbits ---

TEST(Lorenz, DefaultsCaptionFirstPointsAndTheEulerStep)
{
    struct Row {
        const char* command;
        const char* caption;
        bool across_is_y;
        bool down_is_z;
    };
    const Row rows[] = {
        {"mnuLOR", "LORENZ  ORBITS (XY)    ", false, false},
        {"mnuLOR2", "LORENZ  ORBITS (XZ)    ", false, true},
        {"mnuLOR3", "LORENZ  ORBITS (YZ)    ", true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        Started s;
        s.form.x = s.form.y = s.form.z = 9;  // every run starts from the same point
        s.form.xNew = 4;
        s.answers({"10", "28", "2.667"});
        s.platform.at(2, [&] { s.form.mnuReset_Click(); });
        s.form.click(row.command);

        ASSERT_EQ(s.platform.prompts.size(), 3u);
        EXPECT_EQ(s.platform.prompts[0].prompt, "Entre a value for Prandtl number?\r\n{5 - 34}");
        EXPECT_EQ(s.platform.prompts[1].prompt, "Entre a value for Rayleigh number?\r\n{19 - 80, }");
        EXPECT_EQ(s.platform.prompts[2].prompt, "Entre a value for (3rd parameter)?\r\n{0.7 - 5.0}");
        EXPECT_EQ(s.platform.prompts[2].title, "Lorenz Orbits");
        EXPECT_EQ(s.platform.prompts[0].defaultText, "10");
        EXPECT_EQ(s.platform.prompts[2].defaultText, "2.667");
        EXPECT_EQ(s.platform.captions.at(3),
                  std::string(row.caption) + "Prandtl= 10  Rayleigh= 28  3rd parameter= 2.667");

        const auto points = s.platform.pointsOn(Surface::Window);
        ASSERT_EQ(points.size(), 2u);
        const double start = 3.141593;
        EXPECT_NEAR(points[0].x, 300 * start + 7680, 1e-3);
        EXPECT_NEAR(points[0].y, row.down_is_z ? -150 * start + 11520 : 150 * start + 5760, 1e-3);
        // One Euler step later: about (3.141593, 3.171574, 3.142227).
        const double x1 = 3.141593, y1 = 3.171574, z1 = 3.142227;
        EXPECT_NEAR(points[1].x, 300 * (row.across_is_y ? y1 : x1) + 7680, 2e-3);
        EXPECT_NEAR(points[1].y, row.down_is_z ? -150 * z1 + 11520 : 150 * y1 + 5760, 2e-3);
        // The reset exit zeroed x, y, z and left xNew alone.
        EXPECT_EQ(s.form.x + s.form.y + s.form.z, 0);
        EXPECT_EQ(s.form.stopFlag, 0);
    }
}

TEST(Lorenz, RandomParametersPassesAndHaltBeforeTheNextPoint)
{
    Started s;
    s.form.randomMode = 0;
    s.platform.recordPoints = false;
    std::set<int16_t> colours;
    s.platform.onEveryCall([&] { colours.insert(s.form.colorIndex); });
    s.platform.at(2 * 10001 + 5, [&] { s.form.mnuFIX_Click(); });
    s.form.click("mnuLOR");
    // A halt takes effect before the next point, not at the end of the pass.
    EXPECT_EQ(s.platform.doEventsCalls, 2u * 10001 + 5);
    EXPECT_EQ(s.form.stopFlag, -1);
    EXPECT_EQ(s.form.iter, 5);
    EXPECT_EQ(s.form.prandtl, std::floor(s.form.prandtl));
    EXPECT_GE(s.form.prandtl, 5);
    EXPECT_LE(s.form.prandtl, 33);
    EXPECT_EQ(s.form.rayleigh, std::floor(s.form.rayleigh));
    EXPECT_GE(s.form.rayleigh, 19);
    EXPECT_LE(s.form.rayleigh, 79);
    EXPECT_GE(s.form.param3, 0.7);
    EXPECT_LT(s.form.param3, 5.0);
    const std::string caption = s.platform.captions.at(1);
    EXPECT_EQ(caption.find('.'), std::string::npos) << caption;  // whole numbers

    // Passes of 10001 points: three passes were begun, so at most three colours.
    EXPECT_LE(colours.size(), 3u);
}

// --- Bifurcation ---

TEST(Bifurcation, PromptsAreAskedAgainUntilValid)
{
    Started s;
    s.answers({"1.5", "abc", "2.9", "0", "-1", "0.2", "0.1"});
    s.platform.onEveryCall([&] { s.form.Timer2_Timer(); });
    s.form.mnuBIF_Click();
    ASSERT_EQ(s.platform.prompts.size(), 7u);
    EXPECT_EQ(s.platform.prompts[0].prompt, "Starting Point?\r\n{choose 1, 2, 2.9 or 3.4}");
    EXPECT_EQ(s.platform.prompts[0].defaultText, "1");
    EXPECT_EQ(s.platform.prompts[0].title, "Bifurcation");
    EXPECT_EQ(s.platform.prompts[3].prompt,
              "Iteration Interval?\r\n{ 0 < choose < 0.1 ; try 0.01}\r\n"
              "Smaller numbers = Greater detail, but Longer run time!");
    EXPECT_EQ(s.platform.prompts[3].defaultText, "0.01");
    EXPECT_EQ(s.form.bifStart, 2.9f);
    EXPECT_EQ(s.form.bifStep, 0.1f);
    EXPECT_EQ(s.platform.captions.front(), "Bifurcation Plot from Logistical Equation");

    // A valid value left by the earlier diagram is taken when the answer fails.
    s.platform.prompts.clear();
    s.answers({"", ""});
    s.form.mnuBIF_Click();
    EXPECT_EQ(s.platform.prompts.size(), 2u);
}

TEST(Bifurcation, ColumnsEndAtTimerTicksAndSpanTheCanvas)
{
    Started s;
    s.answers({"1", "0.01"});
    // Timer2 ticks every fourth DoEvents call: every column gets four points.
    s.platform.onEveryCall([&] {
        if (s.platform.doEventsCalls % 4 == 0)
            s.form.Timer2_Timer();
    });
    s.form.mnuBIF_Click();
    const auto points = s.platform.pointsOn(Surface::Window);
    std::vector<float> columns;
    for (const SurfaceOp& p : points)
        if (columns.empty() || columns.back() != p.x)
            columns.push_back(p.x);
    // The Single sum of 0.01 from 1 passes 4 after this many columns.
    int expected = 0;
    for (float r = 1; r <= 4.0f; r = r + 0.01f)
        ++expected;
    EXPECT_NEAR(expected, 301, 1);
    EXPECT_EQ(static_cast<int>(columns.size()), expected);
    EXPECT_EQ(points.size(), columns.size() * 4);
    EXPECT_FLOAT_EQ(columns.front(), 0);
    EXPECT_NEAR(columns.back(), 16500, 60);
    // y = 1 at Y 500, y = 0 at Y 11500; the map value carries over between columns.
    for (const SurfaceOp& p : points) {
        EXPECT_GE(p.y, 500);
        EXPECT_LE(p.y, 11500);
    }
    EXPECT_NEAR(points[0].y, -(1 * 0.001 * 0.999) * 11000 + 11500, 1e-3);
    EXPECT_NE(points[4].y, points[0].y);
    // Each point has a colour of its own among the bright ones.
    for (const SurfaceOp& p : points)
        EXPECT_TRUE(p.color == QBColor(9) || p.color >= QBColor(10) || p.color == QBColor(12));
}

TEST(Bifurcation, StartingPointsResetAndStopFlag)
{
    {
        Started s;
        s.answers({"3.4", "0.1"});
        s.platform.onEveryCall([&] { s.form.Timer2_Timer(); });
        s.form.mnuBIF_Click();
        const auto points = s.platform.pointsOn(Surface::Window);
        ASSERT_FALSE(points.empty());
        EXPECT_NEAR(points.front().x, 300, 0.01);
    }
    {
        // RESET does not end the sweep: it goes on from r = 0 with x = 0, on the
        // line y = 0, until r passes 4. FIX does nothing to it.
        Started s;
        s.answers({"2", "0.05"});
        s.platform.onEveryCall([&] { s.form.Timer2_Timer(); });
        s.platform.at(3, [&] { s.form.mnuFIX_Click(); });
        s.platform.at(6, [&] { s.form.mnuFIX_Click(); });
        s.platform.at(10, [&] { s.form.mnuReset_Click(); });
        s.form.mnuBIF_Click();
        const auto points = s.platform.pointsOn(Surface::Window);
        ASSERT_GT(points.size(), 80u);
        for (size_t k = 10; k < points.size(); ++k)
            EXPECT_FLOAT_EQ(points[k].y, 11500) << k;
        // The column at r = 0 ended at once (a tick came with the reset); r = 0.05 follows.
        EXPECT_FLOAT_EQ(points[10].x, 8500 * 0.05f - 17000);
        EXPECT_GT(s.form.bifR, 4.0f);
        EXPECT_EQ(s.platform.currentCaption, "");
    }
    {
        Started s;
        s.form.mnuReset_Click();
        s.platform.ops.clear();
        s.form.mnuBIF_Click();  // a pending reset request: nothing at all
        EXPECT_TRUE(s.platform.prompts.empty());
        EXPECT_TRUE(s.platform.ops.empty());
    }
}

// --- Logistic equation ---

TEST(Logistic, ValidationCirclesCaptionAndFile)
{
    Started s;
    s.answers({"1", "4", "abc", "2", "0", "1", "0.5"});
    s.platform.answerBox(MessageBoxAnswer::Yes);
    s.platform.at(3, [&] { s.form.mnuFIX_Click(); });  // the pass of 10 ends the run
    s.form.mnuLOG_Click();

    ASSERT_EQ(s.platform.prompts.size(), 7u);
    EXPECT_EQ(s.platform.prompts[0].prompt, "Entre a value for (a)    {1 < a < 4  only}");
    EXPECT_EQ(s.platform.prompts[0].defaultText, "3.34");
    EXPECT_EQ(s.platform.prompts[4].prompt, "Entre a value for (x)    {0 < x < 1 only}");
    EXPECT_EQ(s.platform.prompts[4].defaultText, "0.001");
    EXPECT_EQ(s.platform.prompts[4].title, "Logistic Equation");
    ASSERT_EQ(s.platform.boxes.size(), 1u);
    EXPECT_EQ(s.platform.boxes[0].text, "Print numbers to file ?");
    EXPECT_EQ(s.platform.boxes[0].buttons, MessageBoxRequest::Buttons::YesNo);
    EXPECT_TRUE(s.platform.boxes[0].secondButtonDefault);

    const auto circles = s.on(Kind::Circle, Surface::Window);
    ASSERT_EQ(circles.size(), 10u);
    for (const SurfaceOp& c : circles) {
        EXPECT_FLOAT_EQ(c.x, 9000);
        EXPECT_FLOAT_EQ(c.y, 6000);
        EXPECT_FLOAT_EQ(c.radius, 100);
    }
    EXPECT_EQ(s.on(Kind::Circle, Surface::Picture).size(), 10u);
    EXPECT_EQ(s.on(Kind::FillColor, Surface::Picture).size(), 10u);
    EXPECT_EQ(s.platform.captions.front(), "Logistic Equation:   y = a * x * (1 - x)   ");
    EXPECT_EQ(s.platform.currentCaption,
              "Logistic Equation: y = a * x * (1 - x)    a = 2   x = 0.5   y = 0.5");

    std::string expected = "\r\nLogistic Equation\r\na = 2\r\nx = 0.5\r\n\r\n";
    for (int k = 0; k < 10; ++k)
        expected += "X = 0.5   Y = 0.5\r\n";
    expected += "\r\n";
    EXPECT_EQ(s.dir.read("Log_Eqn.txt"), expected);

    // A second run appends a second block; RESET ends it with its empty line.
    s.form.mnuFIX_Click();
    s.answers({"3.999", "0.999"});
    s.platform.answerBox(MessageBoxAnswer::Yes);
    s.platform.at(s.platform.doEventsCalls + 2, [&] { s.form.mnuReset_Click(); });
    s.form.mnuLOG_Click();
    const std::string both = s.dir.read("Log_Eqn.txt");
    EXPECT_EQ(both.substr(0, expected.size()), expected);
    const std::string second = both.substr(expected.size());
    EXPECT_EQ(second.rfind("\r\nLogistic Equation\r\na = 3.999\r\nx = 0.999\r\n\r\nX = 0.999   Y = ", 0), 0u);
    EXPECT_EQ(second.substr(second.size() - 4), "\r\n\r\n");
    EXPECT_EQ(s.form.a, 0);
    EXPECT_EQ(s.form.stopFlag, 0);
    EXPECT_EQ(s.platform.currentCaption, "");
}

TEST(Logistic, NoFileWhenTheAnswerIsNo)
{
    Started s;
    s.answers({"3.34", "0.001"});
    s.platform.at(1, [&] { s.form.mnuReset_Click(); });
    s.form.mnuLOG_Click();
    EXPECT_FALSE(s.dir.exists("Log_Eqn.txt"));
}

// --- Spirals ---

TEST(Spirals, PointsPerPassValidationAndResetEndsTheRun)
{
    {
        Started s;
        s.answers({"1", "100", "0.05"});
        s.platform.at(1, [&] { s.form.mnuFIX_Click(); });
        s.form.mnuARCH_Click();
        const auto points = s.platform.pointsOn(Surface::Window);
        ASSERT_EQ(points.size(), 315u);  // theta = 0 .. 314 while theta <= 314.1593
        EXPECT_EQ(s.platform.prompts[0].prompt,
                  "Distance Between Points?    {0.01 -> 1.0 ;  0.2 is good}");
        EXPECT_EQ(s.platform.prompts[1].defaultText, "500");
        EXPECT_EQ(s.platform.prompts[2].defaultText, "0.02");
        EXPECT_EQ(s.platform.prompts[0].title, "Archimedes Spiral");
        EXPECT_EQ(s.platform.captions.front(), "ARCHIMEDES SPIRAL");
        const double radius = std::hypot(points.back().x - 7680, points.back().y - 5760);
        EXPECT_NEAR(radius, 7850, 0.01);
        EXPECT_FLOAT_EQ(points.front().x, 7680);
    }
    {
        Started s;
        s.answers({"0.02", "500", "0.02"});
        s.platform.recordPoints = false;
        s.platform.at(1, [&] { s.form.mnuFIX_Click(); });
        s.form.mnuLOGS_Click();
        EXPECT_EQ(s.platform.doEventsCalls, 25006u);
        EXPECT_EQ(s.platform.captions.front(), "LOGARITHMIC SPIRAL");
        EXPECT_EQ(s.platform.prompts[0].prompt,
                  "Distance Between Points?    {0.01 -> 1.0 ;  0.1 is good}");
    }
    {
        // 49.5 is taken as 50, 1000.4 as 1000; 1000.6 and 2 are asked again.
        Started s;
        s.answers({"0.005", "1.5", "0.5", "1000.6", "2", "49.5", "0", "1.5", "0.5"});
        s.platform.at(5, [&] { s.form.mnuReset_Click(); });
        s.form.mnuLOGS_Click();
        EXPECT_EQ(s.platform.prompts.size(), 9u);
        EXPECT_EQ(s.platform.doEventsCalls, 5u);  // a reset request ends the run
        EXPECT_EQ(s.form.stopFlag, 0);
        EXPECT_EQ(s.form.spiralLength, 0);
    }
    {
        Started s;
        s.answers({"0.5", "1000.4", "1"});
        s.platform.at(1, [&] { s.form.mnuFIX_Click(); });
        s.form.mnuARCH_Click();
        EXPECT_EQ(s.form.spiralLength, 1000);
    }
}

// --- 3N+1 ---

TEST(ThreeNPlusOne, StartTwentySevenDrawsCountsRingsAndWritesTheFile)
{
    Started s;
    s.answers({"27"});
    s.platform.answerBox(MessageBoxAnswer::Yes);
    s.platform.at(40, [&] { s.form.mnuFIX_Click(); });  // no effect on this study
    s.form.mnuNUM_Click();

    EXPECT_EQ(s.platform.prompts.at(0).prompt, "Entre a value for start");
    EXPECT_EQ(s.platform.prompts.at(0).defaultText, "27");
    EXPECT_EQ(s.platform.boxes.at(0).title, "3N+1 Numbers");
    const auto circles = s.on(Kind::Circle, Surface::Window);
    // The start, 111 steps, and three rings at the peak 9232.
    ASSERT_EQ(circles.size(), 1u + 111u + 3u);
    const float sw4 = 15360 / 4.0f;
    EXPECT_FLOAT_EQ(circles[0].x, sw4 - 3625);
    EXPECT_FLOAT_EQ(circles[1].x, sw4 - 3500);
    const float scale = static_cast<float>(11078.4 / 9232.0f);
    EXPECT_NEAR(circles[0].y, -27 * scale + 11520 / 1.1, 1e-2);
    int rings = 0;
    for (const SurfaceOp& c : circles)
        if (c.color == QBColor(14)) {
            ++rings;
            EXPECT_NEAR(c.y, -9232 * scale + 11520 / 1.1, 1e-2);  // the peak, 11078.4 up
        }
    EXPECT_EQ(rings, 3);
    // Lines join each centre to the next.
    const auto lines = s.on(Kind::Line, Surface::Window);
    ASSERT_EQ(lines.size(), 111u);
    EXPECT_FLOAT_EQ(lines[0].x, circles[0].x);
    EXPECT_FLOAT_EQ(lines[0].x2, circles[1].x);
    EXPECT_EQ(lines[0].color, QBColor(12));
    EXPECT_EQ(s.on(Kind::Line, Surface::Picture).size(), 111u);

    EXPECT_EQ(s.platform.currentCaption, "3N + 1  Sequence:   Starting at 27.    MAX Value Reached =  "
                                         "9232    Number of Iterations = 111");
    EXPECT_EQ(s.form.seqPeak + s.form.seqCount + s.form.plotN, 0);  // zeroed at the end
    EXPECT_NE(s.form.plotX, 0);                                     // but plotX stays

    const std::string file = s.dir.read("Numberz.txt");
    const std::string header = "\r\n3N + 1  Sequence:\r\nStarting at 27\r\nMAX Value Reached = 9232\r\n"
                               "Number of Iterations = 111\r\n\r\n";
    ASSERT_EQ(file.substr(0, header.size()), header);
    const std::string numbers = file.substr(header.size());
    EXPECT_EQ(numbers.rfind(" 82  41  124  62 ", 0), 0u);
    EXPECT_EQ(numbers.substr(numbers.size() - 10), " 2  1 \r\n\r\n");
}

TEST(ThreeNPlusOne, SingleArithmeticSmallStartsAndBadStarts)
{
    {
        Started s;
        s.answers({"26623"});
        s.platform.recordPoints = false;
        s.form.mnuNUM_Click();
        EXPECT_EQ(s.on(Kind::Circle, Surface::Window).size(), 1u + 307u + 3u);
        EXPECT_NE(s.platform.currentCaption.find("MAX Value Reached =  3.734931E+07"), std::string::npos);
        EXPECT_NE(s.platform.currentCaption.find("Number of Iterations = 307"), std::string::npos);
    }
    {
        Started s;
        s.answers({"-27"});
        s.form.mnuNUM_Click();
        EXPECT_NE(s.platform.currentCaption.find("Starting at 27."), std::string::npos);
    }
    {
        Started s;
        s.answers({"4"});
        s.form.mnuNUM_Click();
        EXPECT_EQ(s.platform.currentCaption,
                  "3N + 1  Sequence:   Starting at 4.    MAX Value Reached =  2    Number of Iterations = 2");
        EXPECT_EQ(s.on(Kind::Circle, Surface::Window).size(), 1u + 2u + 3u);
    }
    {
        Started s;
        s.answers({"1"});
        s.platform.answerBox(MessageBoxAnswer::Yes);
        s.form.mnuNUM_Click();
        EXPECT_EQ(s.on(Kind::Circle, Surface::Window).size(), 1u);
        EXPECT_EQ(s.platform.currentCaption,
                  "3N + 1  Sequence:   Starting at 1.    MAX Value Reached =  0    Number of Iterations = 0");
        EXPECT_EQ(s.dir.read("Numberz.txt"), "\r\n3N + 1  Sequence:\r\nStarting at 1\r\nMAX Value Reached = 0\r\n"
                                             "Number of Iterations = 0\r\n\r\n\r\n\r\n");
    }
    for (const char* bad : {"abc", "", "40000", "-32768", "0"}) {
        SCOPED_TRACE(bad);
        Started s;
        s.answers({bad});
        s.platform.answerBox(MessageBoxAnswer::Yes);
        s.form.mnuNUM_Click();
        EXPECT_TRUE(s.on(Kind::Circle, Surface::Window).empty());
        EXPECT_TRUE(s.platform.boxes.empty());
        EXPECT_EQ(s.platform.currentCaption, "");
        EXPECT_FALSE(s.dir.exists("Numberz.txt"));
    }
}

TEST(ThreeNPlusOne, ResetDuringTheDrawingEndsTheFile)
{
    Started s;
    s.answers({"27"});
    s.platform.answerBox(MessageBoxAnswer::Yes);
    s.platform.at(120, [&] { s.form.mnuReset_Click(); });  // 111 first-run calls, then 9 steps
    s.form.mnuNUM_Click();
    // RESET zeroed the working values inside the ninth step's yield: that step goes
    // on with the value 0 (which equals the zeroed peak, so it is ringed) and the
    // next loop test ends the run.
    EXPECT_EQ(s.on(Kind::Circle, Surface::Window).size(), 1u + 9u + 3u);
    EXPECT_EQ(s.platform.currentCaption, "");
    EXPECT_EQ(s.form.stopFlag, 0);
    const std::string file = s.dir.read("Numberz.txt");
    const std::string tail = " 82  41  124  62  31  94  47  142  0 \r\n\r\n";
    EXPECT_EQ(file.substr(file.size() - tail.size()), tail);
}

TEST(ThreeNPlusOne, AZeroedValueInTheUnseenRunEndsItAsWhatZeroedItDid)
{
    // The value followed is zeroed inside the first run's yield either by RESET
    // (the study ends as a reset does) or by a second 3N+1 study run there to its
    // end (its picture and summary stay). 0 would halve to 0 for ever.
    const std::string innerSummary =
        "3N + 1  Sequence:   Starting at 6.    MAX Value Reached =  16    Number of Iterations = 8";
    struct Case {
        const char* name;
        bool reset;
        std::string caption;
        size_t circles;  // the inner study's: its start, 8 steps, 3 rings round 16
    };
    for (const Case& c : {Case{"RESET", true, "", 0}, Case{"inner study", false, innerSummary, 12}}) {
        SCOPED_TRACE(c.name);
        Started s;
        s.answers({"27"});
        s.platform.at(50, [&] {
            if (c.reset) {
                s.form.mnuReset_Click();
                return;
            }
            s.answers({"6"});
            s.form.mnuNUM_Click();
        });
        s.form.mnuNUM_Click();
        EXPECT_EQ(s.on(Kind::Circle, Surface::Window).size(), c.circles);
        EXPECT_EQ(s.on(Kind::Circle, Surface::Picture).size(), c.circles);
        EXPECT_EQ(s.platform.currentCaption, c.caption);
        EXPECT_EQ(s.platform.ops.back().kind, c.reset ? Kind::Clear : Kind::Line);
        EXPECT_EQ(s.form.stopFlag, 0);
        EXPECT_EQ(s.form.seqN, 0);
        EXPECT_EQ(s.form.seqPeak, 0);
    }
}

// --- Pickover earthworm ---

TEST(Earthworm, DefaultsFindTheCycleAndWriteTheFile)
{
    Started s;
    s.answers({"2", "3", "2", "100"});
    s.platform.answerBox(MessageBoxAnswer::Yes);
    s.platform.at(150, [&] { s.form.mnuReset_Click(); });  // does not end this study
    s.form.mnuPE_Click();

    ASSERT_EQ(s.platform.prompts.size(), 4u);
    EXPECT_EQ(s.platform.prompts[0].prompt, "Entre a whole number to seed the sequence");
    EXPECT_EQ(s.platform.prompts[3].prompt, "Entre maximum number of iterations");
    EXPECT_EQ(s.platform.prompts[3].defaultText, "100");
    EXPECT_EQ(s.platform.prompts[0].title, "Pickover Earthworm");
    // 101 steps after the first member; 5 ring sets at 98 and 5 at 2.
    EXPECT_EQ(s.platform.doEventsCalls, 101u + 101u);
    std::vector<SurfaceOp> circles = s.on(Kind::Circle, Surface::Window);
    int small = 0, rings = 0;
    for (const SurfaceOp& c : circles)
        (c.radius == 40 ? small : rings)++;
    EXPECT_EQ(small, 1 + 101);
    EXPECT_EQ(rings, 10 * 3);
    EXPECT_EQ(s.platform.currentCaption,
              "Earthworm Sequence:       Start: 2    Mult: 3    Digits: 2    Total Iter: 100"
              "     MAX Value =  98    MIN Value =  2     Iter / Cycle:  20    Num Cycles:  5");

    const std::string file = s.dir.read("Earthworm.txt");
    const std::string header = "\r\nPickover Earthworm Sequence\r\n\r\nStarting at: 2\r\nMultiplier of: 3\r\n"
                               "Maximum Digits: 2\r\nTotal Iterations: 100\r\nMAX Value Reached: 98\r\n"
                               "MIN Value Reached: 2\r\n\r\n";
    ASSERT_EQ(file.substr(0, header.size()), header);
    EXPECT_EQ(file.substr(header.size(), 24), " 6  18  54  62  86  58  ");
    const std::string trailer = "\r\n\r\nIterations Per Cycle: 20\r\nNumber of Cycles: 5\r\n\r\n\r\n\r\n";
    EXPECT_EQ(file.substr(file.size() - trailer.size()), trailer);
    // The first member and 101 more on the numbers line.
    const std::string numbers = file.substr(header.size(), file.size() - header.size() - trailer.size());
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), ' '), 2 * 102);
}

TEST(Earthworm, DigitCutZeroIterationsAndOverflow)
{
    struct Row {
        const char* seed;
        const char* multiplier;
        const char* digits;
        const char* iterations;
        std::vector<float> heights;  // member values of the small circles, in order
    };
    // With 2 digits one subtraction turns 1980 into 980 (three digits stay); 162 into 62.
    const Row rows[] = {
        {"1980", "1", "2", "1", {1980, 980}},
        {"162", "1", "2", "1", {162, 62}},
        {"7", "2", "9", "2", {14, 28, 56, 112}},  // nine digits: uncut
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seed);
        Started s;
        s.answers({row.seed, row.multiplier, row.digits, row.iterations});
        s.form.mnuPE_Click();
        std::vector<SurfaceOp> small;
        for (const SurfaceOp& c : s.on(Kind::Circle, Surface::Window))
            if (c.radius == 40)
                small.push_back(c);
        ASSERT_GE(small.size(), row.heights.size());
        const float peak = *std::max_element(row.heights.begin(), row.heights.end());
        for (size_t k = 0; k < row.heights.size(); ++k)
            EXPECT_NEAR(small[k].y, -row.heights[k] * 7000 / peak + 11520 / 1.2, 0.01) << k;
    }
    {
        // No iterations: one step after the first member, drawn where the first step goes.
        Started s;
        s.answers({"2", "3", "2", "0"});
        s.form.mnuPE_Click();
        const auto circles = s.on(Kind::Circle, Surface::Window);
        ASSERT_GE(circles.size(), 2u);
        EXPECT_FLOAT_EQ(circles[0].x, 15360 / 4.0f - 3625);
        EXPECT_FLOAT_EQ(circles.back().x, 15360 / 4.0f - 3500);
    }
    {
        // A product beyond 32 bits leaves the members at 0: with a peak of 0 no circle
        // can be placed; every member is both the peak and the low.
        Started s;
        s.answers({"50000", "50000", "2", "3"});
        s.form.mnuPE_Click();
        EXPECT_TRUE(s.on(Kind::Circle, Surface::Window).empty());
        EXPECT_EQ(s.platform.currentCaption.substr(s.platform.currentCaption.size() - 34),
                  "Iter / Cycle:  0    Num Cycles:  4");
    }
}

// --- Studies and other commands together ---

TEST(StudiesNested, AMapFigureInsideTheLogisticStudyAndTwoFilesAtOnce)
{
    Started s;
    s.answers({"2", "0.5"});
    s.platform.answerBox(MessageBoxAnswer::Yes);
    // Henon runs inside the study's yield and is reset: RESET zeroes a and x, so
    // the study resumes its pass from the zeroed point.
    s.platform.at(2, [&] {
        s.form.randomMode = 0;
        s.form.click("mnuHenon");
    });
    s.platform.at(6, [&] { s.form.mnuReset_Click(); });
    // 3N+1 with its own file runs inside the study's yield too.
    s.platform.at(8, [&] {
        s.answers({"4"});
        s.platform.answerBox(MessageBoxAnswer::Yes);
        s.form.mnuNUM_Click();
    });
    s.platform.at(20, [&] { s.form.mnuFIX_Click(); });
    s.form.mnuLOG_Click();

    const auto circles = s.on(Kind::Circle, Surface::Window);
    ASSERT_GE(circles.size(), 3u);
    EXPECT_FLOAT_EQ(circles[0].x, 9000);
    EXPECT_FLOAT_EQ(circles[2].x, 3000);  // x = 0 after the reset
    EXPECT_FLOAT_EQ(circles[2].y, 11000);
    const std::string log = s.dir.read("Log_Eqn.txt");
    EXPECT_EQ(log.rfind("\r\nLogistic Equation\r\na = 2\r\nx = 0.5\r\n\r\nX = 0.5   Y = 0.5\r\n", 0), 0u);
    EXPECT_NE(log.find("X = 0   Y = 0\r\n"), std::string::npos);
    EXPECT_EQ(log.find("3N"), std::string::npos);  // nothing of the other study's
    EXPECT_EQ(log.substr(log.size() - 4), "\r\n\r\n");
    EXPECT_EQ(s.dir.read("Numberz.txt"), "\r\n3N + 1  Sequence:\r\nStarting at 4\r\nMAX Value Reached = 2\r\n"
                                         "Number of Iterations = 2\r\n\r\n 2  1 \r\n\r\n");
    EXPECT_EQ(s.form.nestedCommands(), 0);
}

TEST(StudiesNested, ANumberFileThatCannotBeOpenedCostsNothing)
{
    Started s;
    std::filesystem::create_directory("Log_Eqn.txt");  // a directory in the file's place
    s.answers({"3.34", "0.001"});
    s.platform.answerBox(MessageBoxAnswer::Yes);
    s.platform.at(3, [&] { s.form.mnuFIX_Click(); });
    s.form.mnuLOG_Click();
    EXPECT_EQ(s.on(Kind::Circle, Surface::Window).size(), 10u);
    EXPECT_TRUE(std::filesystem::is_directory("Log_Eqn.txt"));
    // The user is told once, when the study opens the file, and why.
    ASSERT_EQ(s.platform.boxes.size(), 2u);
    EXPECT_NE(s.platform.boxes[1].text.find("\"Log_Eqn.txt\""), std::string::npos);
    EXPECT_NE(s.platform.boxes[1].text.find("Is a directory"), std::string::npos);
    EXPECT_EQ(s.platform.boxes[1].icon, MessageBoxRequest::Icon::Exclamation);

    // The caption file in a directory's place likewise.
    std::filesystem::create_directory("ss_save.txt");
    s.form.AppendCaption();
    ASSERT_EQ(s.platform.boxes.size(), 3u);
    EXPECT_NE(s.platform.boxes[2].text.find("\"ss_save.txt\""), std::string::npos);
}

TEST(StudiesNested, AFullDiskCostsNoCrashAndTheCaptionFileTellsIt)
{
    // A small file system filled to the last byte (needs root to mount it).
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("quillon-full-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    if (std::system(("mount -t tmpfs -o size=16k tmpfs " + dir.string() + " 2>/dev/null").c_str()) != 0) {
        std::filesystem::remove(dir);
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    {
        std::ofstream fill(dir / "fill", std::ios::binary);
        const std::string block(4096, 'x');
        for (int k = 0; k < 8; ++k)
            fill << block;
    }
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    {
        ScriptedPlatform platform;
        Form form(platform);
        form.Form_Load();
        form.setDelayAdditions(10);
        for (const char* answer : {"2", "0.5"})
            platform.answer(answer);
        platform.answerBox(MessageBoxAnswer::Yes);
        platform.at(3, [&] { form.mnuFIX_Click(); });
        form.mnuLOG_Click();
        EXPECT_EQ(form.openFileCount(), 0);
        EXPECT_EQ(form.stopFlag, -1);
        form.mnuFIX_Click();
        platform.answer("27");
        platform.answerBox(MessageBoxAnswer::Yes);
        form.mnuNUM_Click();
        EXPECT_NE(platform.currentCaption.find("Number of Iterations = 111"), std::string::npos);
        const size_t before = platform.boxes.size();
        platform.setCaption(std::string(20000, 'c'));
        form.AppendCaption();
        ASSERT_EQ(platform.boxes.size(), before + 1);
        EXPECT_NE(platform.boxes.back().text.find("No space left on device"), std::string::npos);
    }
    std::filesystem::current_path(previous);
    EXPECT_EQ(std::system(("umount " + dir.string()).c_str()), 0);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quillon
