// The window's own handlers and the general commands.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/CommandTables.h"
#include "app/Form.h"
#include "support/ScriptedPlatform.h"

namespace quillon {
namespace {

using testing::ProgramEnded;
using testing::ScriptedPlatform;
using testing::SurfaceOp;

struct Started {
    ScriptedPlatform platform;
    Form form{platform};
    Started() { form.Form_Load(); }
};

TEST(Form, InitialCaptionAndLoad)
{
    const std::string caption = Form::initialCaption();
    EXPECT_EQ(caption.size(), 8u + 71u + 49u);
    EXPECT_EQ(caption.substr(0, 9), "QUILLON. ");
    EXPECT_EQ(caption.substr(8, 71), std::string(71, ' '));
    EXPECT_EQ(caption.substr(79), "Study your math  -  it's the key to the Universe!");

    ScriptedPlatform platform;
    Form form(platform);
    form.x = form.y = form.z = form.xNew = form.yNew = 7;
    form.a = 3;
    form.Form_Load();
    EXPECT_FALSE(platform.timerEnabled[TimerId::Timer1]);
    EXPECT_TRUE(platform.timerEnabled[TimerId::Timer2]);
    EXPECT_FALSE(platform.menuVisible["mnuSSOff"]);
    EXPECT_TRUE(platform.menuVisible["mnuSS"]);
    EXPECT_EQ(form.x + form.y + form.z + form.xNew + form.yNew, 0);
    EXPECT_EQ(form.a, 3);  // nothing else is initialised
}

TEST(Form, ResizeGivesPictureTheOuterSizeAndTheScaleExtentsInOrder)
{
    Started s;
    s.form.Form_Resize();
    ASSERT_EQ(s.platform.ops.size(), 2u);
    EXPECT_EQ(s.platform.ops[0].kind, SurfaceOp::Kind::Refresh);
    EXPECT_EQ(s.platform.ops[0].surface, Surface::Window);
    EXPECT_EQ(s.platform.ops[1].surface, Surface::Picture);
    EXPECT_EQ(s.platform.pictureSetters,
              (std::vector<std::string>{"Height", "Width", "ScaleHeight", "ScaleWidth"}));
    EXPECT_EQ(s.platform.pictureHeight, 12300);
    EXPECT_EQ(s.platform.pictureWidth, 15600);
    EXPECT_EQ(s.platform.pictureScaleHeight, 11520);
    EXPECT_EQ(s.platform.pictureScaleWidth, 15360);

    // A minimised window reports zero extents: those steps are skipped, the rest run.
    s.platform.pictureSetters.clear();
    s.platform.setScale(0, 0);
    s.platform.outerH = 480;
    s.form.Form_Resize();
    EXPECT_EQ(s.platform.pictureSetters, (std::vector<std::string>{"Height", "Width"}));
    EXPECT_EQ(s.platform.pictureHeight, 480);
    EXPECT_EQ(s.platform.pictureScaleWidth, 15360);
}

TEST(Form, KeyCStepsBothBackgroundsThroughThePalette)
{
    Started s;
    s.form.Form_KeyPress('C');
    s.form.Form_KeyPress('x');
    EXPECT_TRUE(s.platform.ops.empty());
    EXPECT_EQ(s.form.backIndex, 0);

    for (int press = 0; press < 17; ++press) {
        s.platform.ops.clear();
        s.form.Form_KeyPress(keys::LowerC);
        const Rgb expected = QBColor(press % 16);
        ASSERT_EQ(s.platform.ops.size(), 2u);
        EXPECT_EQ(s.platform.ops[0].surface, Surface::Window);
        EXPECT_EQ(s.platform.ops[1].surface, Surface::Picture);
        EXPECT_EQ(s.platform.backColor[0], expected) << press;
        EXPECT_EQ(s.platform.backColor[1], expected) << press;
        EXPECT_EQ(s.form.backIndex, (press + 1) % 16);
    }
}

TEST(Form, RandomAndDelayCaptionsToggleFromTheirAccessKeyCaptions)
{
    Started s;
    EXPECT_EQ(s.platform.menuCaptions["mnuChoice"], "&Random");
    s.form.mnuChoice_Click();
    EXPECT_EQ(s.platform.menuCaptions["mnuChoice"], "Random");
    EXPECT_EQ(s.form.randomMode, 0);
    s.form.mnuChoice_Click();
    EXPECT_EQ(s.platform.menuCaptions["mnuChoice"], "User Input");
    EXPECT_EQ(s.form.randomMode, 1);
    s.form.mnuChoice_Click();
    EXPECT_EQ(s.platform.menuCaptions["mnuChoice"], "Random");
    EXPECT_EQ(s.form.randomMode, 0);

    EXPECT_EQ(s.platform.menuCaptions["mnuDelay"], "&Delay");
    s.form.Form_KeyDown(keys::Backspace, 0);
    EXPECT_EQ(s.platform.menuCaptions["mnuDelay"], "Delay");
    EXPECT_EQ(s.form.delayOn, 0);
    s.form.Form_KeyDown(keys::Backspace, 1);  // shift is ignored
    EXPECT_EQ(s.platform.menuCaptions["mnuDelay"], "Go Fast");
    EXPECT_EQ(s.form.delayOn, 1);
    s.form.mnuDelay_Click();
    EXPECT_EQ(s.platform.menuCaptions["mnuDelay"], "Delay");
    EXPECT_EQ(s.form.delayOn, 0);
}

TEST(Form, FixComplementsTheFlagClearsAndEmptiesTheCaption)
{
    Started s;
    const int16_t before[] = {0, -1, 1, -2};
    const int16_t after[] = {-1, 0, -2, 1};
    for (int k = 0; k < 4; ++k) {
        s.platform.ops.clear();
        s.platform.currentCaption = "Henon";
        s.form.stopFlag = before[k];
        s.form.Form_KeyDown(keys::Tab, 0);
        EXPECT_EQ(s.form.stopFlag, after[k]);
        ASSERT_EQ(s.platform.ops.size(), 2u);
        EXPECT_EQ(s.platform.ops[0].kind, SurfaceOp::Kind::Clear);
        EXPECT_EQ(s.platform.ops[0].surface, Surface::Window);
        EXPECT_EQ(s.platform.ops[1].surface, Surface::Picture);
        EXPECT_EQ(s.platform.currentCaption, "");
    }
}

TEST(Form, ResetZeroesTheFigureStateAndKeepsTheModes)
{
    Started s;
    FigureState& state = s.form;
    state.a = state.b = state.c = state.d = state.e = state.f = 1;
    state.p1 = state.p2 = state.fx = 1;
    state.r = state.x = state.y = state.z = state.xNew = state.yNew = 1;
    state.i = state.j = state.iter = state.colorIndex = state.bifTick = 1;
    state.prandtl = state.rayleigh = state.param3 = 1;
    state.bifStart = state.bifStep = state.bifR = state.theta = state.thetaStep = 1;
    state.spiralLength = state.seqMax = state.seqPeak = state.seqN = state.seqNext = 1;
    state.seqCount = state.seqScale = state.plotN = state.seqStart = state.plotNext = 1;
    state.plotX = 1;
    s.form.pi = 3.141593f;
    s.form.backIndex = 5;
    s.form.delayOn = 1;
    s.form.randomMode = 1;
    s.form.ssStop = 1;
    s.form.stopFlag = -1;
    s.platform.currentCaption = "Lozi";

    s.form.Form_KeyDown(keys::Escape, 0);

    const double all[] = {
        state.a, state.b, state.c, state.d, state.e, state.f, state.p1, state.p2, state.r,
        state.fx, double(state.i), double(state.j), state.x, state.y, state.z, state.xNew,
        state.yNew, double(state.iter), double(state.colorIndex), state.prandtl, state.rayleigh,
        state.param3, state.bifStart, state.bifStep, state.bifR, double(state.bifTick),
        state.theta, state.thetaStep, state.spiralLength, state.seqMax, state.seqPeak,
        state.seqN, state.seqNext, state.seqCount, state.seqScale, state.plotN, state.seqStart,
        state.plotNext, state.plotX,
    };
    for (size_t k = 0; k < std::size(all); ++k)
        EXPECT_EQ(all[k], 0.0) << "field " << k;
    EXPECT_EQ(s.form.stopFlag, 1);
    EXPECT_EQ(s.form.pi, 3.141593f);
    EXPECT_EQ(s.form.backIndex, 5);
    EXPECT_EQ(s.form.delayOn, 1);
    EXPECT_EQ(s.form.randomMode, 1);
    EXPECT_EQ(s.form.ssStop, 1);
    EXPECT_EQ(s.platform.currentCaption, "");
    ASSERT_EQ(s.platform.ops.size(), 2u);
    EXPECT_EQ(s.platform.ops[0].surface, Surface::Window);
    EXPECT_EQ(s.platform.ops[1].surface, Surface::Picture);
}

TEST(Form, KeyTableAndKeysWithoutCommands)
{
    Started s;
    EXPECT_TRUE(Form::isCommandKey(keys::F1));
    EXPECT_TRUE(Form::isCommandKey(keys::F10));
    EXPECT_TRUE(Form::isCommandKey(keys::Space));
    EXPECT_FALSE(Form::isCommandKey(keys::F4));
    EXPECT_FALSE(Form::isCommandKey('C'));
    EXPECT_EQ(commandKeys().size(), 14u);

    // F4 and other keys change nothing.
    for (int16_t code : {keys::F4, int16_t{65}, int16_t{67}, int16_t{122}, int16_t{46}}) {
        s.form.Form_KeyDown(code, 1);
        EXPECT_TRUE(s.platform.ops.empty()) << code;
        EXPECT_EQ(s.form.stopFlag, 0);
        EXPECT_EQ(s.form.delayOn, 0);
    }
}

TEST(Form, AboutShowsFiveLines)
{
    Started s;
    s.form.mnuAbout_Click();
    ASSERT_EQ(s.platform.boxes.size(), 1u);
    std::vector<std::string> lines;
    std::string text = s.platform.boxes[0].text;
    for (size_t at; (at = text.find("\r\n")) != std::string::npos; text.erase(0, at + 2))
        lines.push_back(text.substr(0, at));
    lines.push_back(text);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "QUILLON.EXE           (Ver 2.1)");
    EXPECT_FALSE(lines[1].empty());
    EXPECT_FALSE(lines[2].empty());
    EXPECT_EQ(lines[3], "");
    EXPECT_FALSE(lines[4].empty());
    EXPECT_EQ(s.platform.boxes[0].buttons, MessageBoxRequest::Buttons::Ok);
}

TEST(Form, EndingTheProgramClosesTheOpenNumberFileFirst)
{
    const auto path = std::filesystem::temp_directory_path() / "quillon-exit-test.txt";
    std::filesystem::remove(path);
    for (auto end : {&Form::mnuExit_Click, &Form::Form_Unload}) {
        Started s;
        Form::OpenFile file(s.form, path.string(), true);
        ASSERT_TRUE(file.file().isOpen());
        file.writeLine("3N + 1  Sequence:");
        EXPECT_THROW((s.form.*end)(), ProgramEnded);
        EXPECT_FALSE(file.file().isOpen());
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "3N + 1  Sequence:\r\n3N + 1  Sequence:\r\n");
    std::filesystem::remove(path);
}

TEST(Form, TimersSetTheirFlags)
{
    Started s;
    s.form.Timer1_Timer();
    EXPECT_EQ(s.form.stopFlag, 1);
    s.form.Timer2_Timer();
    EXPECT_EQ(s.form.bifTick, 1);
}

TEST(Form, MenuTableHoldsEveryItemInOrder)
{
    std::vector<std::string> topLevel;
    std::map<std::string, std::vector<std::string>> items;
    for (const MenuEntry& entry : menuTable()) {
        if (!entry.parent)
            topLevel.push_back(entry.caption);
        else
            items[entry.parent].push_back(entry.separator ? "-" : entry.caption);
    }
    EXPECT_EQ(topLevel, (std::vector<std::string>{"&File", "&Equations1", "&Equations2",
                                                  "&Special", "&Random", "&FIX", "&RESET",
                                                  "&Delay", "&Pause", "&Save!", "&SS On",
                                                  "&SS Off"}));
    EXPECT_EQ(items["mnuFile"], (std::vector<std::string>{"&About", "E&xit"}));
    EXPECT_EQ(items["mnuFormula1"],
              (std::vector<std::string>{"&Crown", "&Comet", "&Creature", "&Diamond", "&Dust", "-",
                                        "&Eqn 1", "&Eqn 2", "&Eqn 3", "&Eqn 4", "&Eqn 5",
                                        "&Eqn 8", "&Eqn 8A", "&Eqn 8B", "-", "&GingerBread",
                                        "&Henon", "-", "&Hopalong", "&Hopalong-2",
                                        "&Hopalong-3", "&Hopalong-4"}));
    EXPECT_EQ(items["mnuFormula2"],
              (std::vector<std::string>{"&Lozi", "&Martin", "&Mira", "&Starburst", "-", "&Tetras",
                                        "&Threeply", "&Threeply-2", "&Threeply-3",
                                        "&Threeply-Sin", "&Threeply-Cos", "-", "&Tree",
                                        "&Triangles", "&X-Ply"}));
    EXPECT_EQ(items["mnuSpecial"],
              (std::vector<std::string>{"3&N+1 Numbers", "&Archimedes Spiral", "&BIFURCATION",
                                        "-", "&Lorenz Orbits (XY)", "&Lorenz Orbits (XZ)",
                                        "&Lorenz Orbits (YZ)", "-", "&Logarithmic Spiral",
                                        "&LOGISTIC EQUATION", "&Pickover Earthworm", "-",
                                        "&Scorpion", "&Sierpi"}));
    EXPECT_EQ(items["mnuPause"], (std::vector<std::string>{"&Continue"}));

    // Figure items are found by name and run their own handlers.
    int figureItems = 0;
    for (const MenuEntry& entry : menuTable())
        if (entry.parent && std::string(entry.parent).rfind("mnuFormula", 0) == 0 &&
            !entry.separator)
            ++figureItems;
    EXPECT_EQ(figureItems, 19 + 13);
}

}  // namespace
}  // namespace quillon
