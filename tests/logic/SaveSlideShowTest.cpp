// Save, the caption file and the slide show over the scripted platform.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <map>
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

using testing::InTempDirectory;

struct Started {
    InTempDirectory dir;
    ScriptedPlatform platform;
    Form form{platform};
    Started()
    {
        form.Form_Load();
        form.rnd.reseed(2024);
    }
};

TEST(Save, DialogSettingsCancelAndFailure)
{
    Started s;
    s.platform.saveAnswers.push_back("/tmp/figure.BMP");
    s.form.Form_KeyDown(keys::Space, 0);
    ASSERT_EQ(s.platform.saveDialogs.size(), 1u);
    EXPECT_EQ(s.platform.saveDialogs[0].filter, "Bitmap|*.BMP");
    EXPECT_EQ(s.platform.saveDialogs[0].defaultExtension, "BMP");
    EXPECT_EQ(s.platform.saveDialogs[0].flags, 2097158);
    EXPECT_EQ(s.platform.savedPictures, std::vector<std::string>{"/tmp/figure.BMP"});
    EXPECT_TRUE(s.platform.boxes.empty());

    s.form.mnuSave_Click();  // cancelled
    ASSERT_EQ(s.platform.boxes.size(), 1u);
    EXPECT_EQ(s.platform.boxes[0].text, "Image not saved!");
    EXPECT_EQ(s.platform.boxes[0].icon, MessageBoxRequest::Icon::Exclamation);
    EXPECT_EQ(s.platform.boxes[0].buttons, MessageBoxRequest::Buttons::Ok);
    EXPECT_EQ(s.platform.boxes[0].title, "");  // the program's name
    EXPECT_EQ(s.platform.savedPictures.size(), 1u);

    // A write that fails says so, naming the file and the reason.
    s.platform.saveAnswers.push_back("/no/such/dir/x.BMP");
    s.platform.saveFailure = "No such file or directory";
    s.form.mnuSave_Click();
    ASSERT_EQ(s.platform.boxes.size(), 2u);
    EXPECT_NE(s.platform.boxes[1].text.find("/no/such/dir/x.BMP"), std::string::npos);
    EXPECT_NE(s.platform.boxes[1].text.find("No such file or directory"), std::string::npos);
}

TEST(Save, DuringADrawingTheDrawingGoesOn)
{
    Started s;
    s.platform.at(10, [&] {
        s.platform.saveAnswers.push_back("henon.BMP");
        s.form.Form_KeyDown(keys::Space, 0);
    });
    s.platform.at(30, [&] { s.form.mnuReset_Click(); });
    s.form.click("mnuHenon");
    EXPECT_EQ(s.platform.savedPictures.size(), 1u);
    EXPECT_EQ(s.platform.doEventsCalls, 30u);
}

TEST(Save, ThePictureSaysWhichFigureItShowsWhileTheCaptionIsThatFigures)
{
    // Saved during a random Tree (Single parameters), during Lozi nested in it
    // and after RESET: the figure goes with its caption only.
    Started s;
    s.platform.at(5, [&] {
        s.platform.saveAnswers.push_back("a.png");
        s.form.mnuSave_Click();
        s.platform.answer("1.65");
        s.platform.answer("0.45");
        s.form.randomMode = 1;
        s.form.click("mnuLozi");
    });
    s.platform.at(8, [&] {
        s.platform.saveAnswers.push_back("b.png");
        s.form.mnuSave_Click();
        s.form.mnuReset_Click();
        s.platform.saveAnswers.push_back("c.png");
        s.form.mnuSave_Click();
    });
    s.platform.at(20, [&] { s.form.mnuReset_Click(); });
    s.form.click("mnuTree");
    ASSERT_EQ(s.platform.savedFacts.size(), 3u);
    const PictureFacts& tree = s.platform.savedFacts[0];
    EXPECT_EQ(tree.figure, "Tree");
    ASSERT_EQ(tree.parameters.size(), 2u);
    EXPECT_EQ(tree.parameters[0].first, "ax");
    for (const auto& [label, value] : tree.parameters)  // Singles, drawn in [0.5, 1)
        EXPECT_TRUE(value >= 0.5 && value < 1 && static_cast<float>(value) == value) << label;
    EXPECT_EQ(tree.frameWidth, 1024);
    EXPECT_EQ(tree.frameHeight, 768);
    const PictureFacts& lozi = s.platform.savedFacts[1];
    EXPECT_EQ(lozi.figure, "Lozi");
    EXPECT_EQ(lozi.caption, "Lozi      a = 1.65   b = 0.45");
    EXPECT_EQ(lozi.parameters, (std::vector<std::pair<std::string, double>>{{"a", 1.65}, {"b", 0.45}}));
    EXPECT_EQ(s.platform.savedFacts[2].figure, "");
    EXPECT_EQ(s.platform.savedFacts[2].caption, "");
}

TEST(CaptionFile, EnterAppendsBlankCaptionBlank)
{
    Started s;
    s.platform.setCaption("Henon      a = 1.4   b = 0.3");
    for (int k = 0; k < 3; ++k)
        s.form.Form_KeyDown(keys::Enter, 0);
    const std::string block = "\r\nHenon      a = 1.4   b = 0.3\r\n\r\n";
    EXPECT_EQ(s.dir.read("ss_save.txt"), block + block + block);

    s.form.mnuReset_Click();
    s.form.Form_KeyDown(keys::Enter, 0);
    EXPECT_EQ(s.dir.read("ss_save.txt"), block + block + block + "\r\n\r\n\r\n");
}

TEST(CaptionFile, EnterWhileAStudyHoldsItsFileOpen)
{
    Started s;
    s.form.randomMode = 1;
    s.platform.answer("2");
    s.platform.answer("0.5");
    s.platform.answerBox(MessageBoxAnswer::Yes);
    s.platform.at(2, [&] { s.form.Form_KeyDown(keys::Enter, 0); });
    s.platform.at(3, [&] { s.form.mnuFIX_Click(); });
    s.form.mnuLOG_Click();
    EXPECT_EQ(s.dir.read("ss_save.txt"),
              "\r\nLogistic Equation: y = a * x * (1 - x)    a = 2   x = 0.5   y = 0.5\r\n\r\n");
    std::string log = "\r\nLogistic Equation\r\na = 2\r\nx = 0.5\r\n\r\n";
    for (int k = 0; k < 10; ++k)
        log += "X = 0.5   Y = 0.5\r\n";
    EXPECT_EQ(s.dir.read("Log_Eqn.txt"), log + "\r\n");
}

// --- slide show ---

// Ticks Timer1 every `period` DoEvents calls, as the ten-second timer would.
void tickEvery(ScriptedPlatform& platform, Form& form, uint64_t period)
{
    platform.onEveryCall([&platform, &form, period] {
        if (platform.doEventsCalls % period == 0)
            form.Timer1_Timer();
    });
}

// The figure a caption belongs to, by its prefix.
std::string figureOf(const std::string& caption)
{
    std::string name = caption.substr(0, caption.find("   "));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

TEST(SlideShow, SlidesFollowRndAndComeFromTheTable)
{
    Started s;
    Rnd expected(2024);
    const int first = static_cast<int>(Int(expected.next() * 28.0f) + 1.0f);
    const std::map<int, std::string> prefixes = {
        {1, "Comet"}, {2, "Crown"}, {3, "Martin"}, {4, "Mira"}, {5, "LORENZ  ORBITS (XY)"},
        {6, "Eqn(1)"}, {7, "Eqn(2)"}, {8, "Eqn(3)"}, {9, "Eqn(4)"}, {10, "Eqn(5)"}, {11, "Eqn(8)"},
        {12, "Eqn(8A)"}, {13, "Eqn(8B)"}, {14, "Hopalong(1)"}, {15, "Hopalong(2)"},
        {16, "Hopalong(3)"}, {17, "Tetras"}, {18, "Hopalong(4)"}, {19, "Threeply"},
        {20, "Threeply-2"}, {21, "Starburst"}, {22, "X-Ply"}, {23, "Threeply-3"},
        {24, "Threeply-Sin"}, {25, "Threeply-Cos"}, {26, "Diamond"}, {27, "LORENZ  ORBITS (XZ)"},
        {28, "LORENZ  ORBITS (YZ)"}};

    s.platform.recordPoints = false;
    s.platform.menuCaptions["mnuChoice"] = "User Input";
    s.form.randomMode = 1;
    tickEvery(s.platform, s.form, 50);
    std::set<std::string> seen;
    int slides = 0;
    size_t captionsSeen = 0;
    s.platform.at(1, [&] {
        // Inside the first slide: the menus of a running show.
        EXPECT_TRUE(s.platform.menuVisible["mnuSSOff"]);
        EXPECT_FALSE(s.platform.menuVisible["mnuSS"]);
        EXPECT_FALSE(s.platform.menuVisible["mnuChoice"]);
        EXPECT_TRUE(s.platform.timerEnabled[TimerId::Timer1]);
        EXPECT_EQ(s.form.randomMode, 0);
        EXPECT_TRUE(s.platform.prompts.empty());
        std::string caption = s.platform.currentCaption;
        EXPECT_EQ(caption.rfind(prefixes.at(first), 0), 0u) << caption;
    });
    s.platform.onEveryCall([&] {
        if (s.platform.doEventsCalls % 50 == 0) {
            s.form.Timer1_Timer();
            for (; captionsSeen < s.platform.captions.size(); ++captionsSeen) {
                const std::string& caption = s.platform.captions[captionsSeen];
                if (!caption.empty())
                    seen.insert(figureOf(caption));
            }
            if (++slides == 3000)
                s.form.Form_KeyDown(keys::F10, 0);
        }
    });
    s.form.Form_KeyDown(keys::F9, 0);

    std::set<std::string> all;
    for (const auto& [n, prefix] : prefixes)
        all.insert(figureOf(prefix + "   "));
    EXPECT_EQ(seen, all);  // every one of the 28 and nothing else
    EXPECT_EQ(s.platform.menuCaptions["mnuChoice"], "User Input");  // not touched by the show
    EXPECT_EQ(s.form.randomMode, 0);
    EXPECT_TRUE(s.platform.menuVisible["mnuSS"]);
    EXPECT_TRUE(s.platform.menuVisible["mnuChoice"]);
    EXPECT_FALSE(s.platform.menuVisible["mnuSSOff"]);
    EXPECT_FALSE(s.platform.timerEnabled[TimerId::Timer1]);
    EXPECT_EQ(s.form.stopFlag, 0);
    EXPECT_EQ(s.platform.currentCaption, "");
    EXPECT_EQ(s.form.nestedCommands(), 0);
}

TEST(SlideShow, EveryTickStartsAFreshSlideAndEscSkipsOne)
{
    Started s;
    s.platform.recordPoints = false;
    std::vector<uint64_t> slideStarts;
    size_t captions = 0;
    s.platform.onEveryCall([&] {
        if (s.platform.captions.size() != captions) {
            for (; captions < s.platform.captions.size(); ++captions)
                if (!s.platform.captions[captions].empty() &&
                    s.platform.captions[captions].find('=') != std::string::npos &&
                    (slideStarts.empty() || slideStarts.back() != s.platform.doEventsCalls))
                    slideStarts.push_back(s.platform.doEventsCalls);
        }
    });
    s.platform.at(100, [&] { s.form.Timer1_Timer(); });
    s.platform.at(150, [&] {
        // Each slide starts from a clean state: the reset zeroed the point.
        s.form.Form_KeyDown(keys::Escape, 0);
    });
    s.platform.at(170, [&] { s.form.Form_KeyDown(keys::F10, 0); });
    s.form.mnuSS_Click();
    // Three slides: the first until the tick, the second until Esc, the third until F10.
    EXPECT_EQ(slideStarts.size(), 3u);
    EXPECT_EQ(s.platform.doEventsCalls, 170u);
    EXPECT_EQ(s.form.ssStop, 1);
}

TEST(SlideShow, ResetBeforeTheShowAndF10WithoutAShow)
{
    {
        // A pending reset request: the first iteration draws nothing, then slides run.
        Started s;
        s.form.mnuReset_Click();
        s.platform.at(20, [&] { s.form.mnuSSOff_Click(); });
        s.form.mnuSS_Click();
        EXPECT_EQ(s.platform.doEventsCalls, 20u);
        EXPECT_EQ(s.form.stopFlag, 0);
    }
    {
        // F10 with no show: a RESET, random mode, ssStop set; the next F9 starts normally.
        Started s;
        s.form.randomMode = 1;
        s.platform.setCaption("Henon");
        s.form.Form_KeyDown(keys::F10, 0);
        EXPECT_EQ(s.form.ssStop, 1);
        EXPECT_EQ(s.form.stopFlag, 1);
        EXPECT_EQ(s.form.randomMode, 0);
        EXPECT_EQ(s.platform.currentCaption, "");
        EXPECT_FALSE(s.platform.menuVisible["mnuSSOff"]);
        s.platform.at(10, [&] { s.form.mnuSSOff_Click(); });
        s.form.Form_KeyDown(keys::F9, 0);
        EXPECT_EQ(s.platform.doEventsCalls, 10u);  // slides ran again
    }
    {
        // F9 during a show starts a second, nested show. F10 ends the inner one;
        // the outer slide, its timer off, then runs until Esc ends it and the show.
        Started s;
        int deepest = 0;
        s.platform.onEveryCall([&] { deepest = std::max(deepest, s.form.nestedCommands()); });
        s.platform.at(5, [&] { s.form.Form_KeyDown(keys::F9, 0); });
        s.platform.at(30, [&] { s.form.Form_KeyDown(keys::F10, 0); });
        s.platform.at(40, [&] {
            EXPECT_EQ(s.form.nestedCommands(), 2);
            s.form.Form_KeyDown(keys::Escape, 0);
        });
        s.form.Form_KeyDown(keys::F9, 0);
        EXPECT_EQ(deepest, 4);  // show, slide, show, slide
        EXPECT_EQ(s.platform.doEventsCalls, 40u);
        EXPECT_EQ(s.form.nestedCommands(), 0);
    }
}

// Resident memory of this process, in kB.
long residentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

TEST(SlideShow, AMillionSlidesKeepOneCallDepthAndTheirMemory)
{
    Started s;
    s.platform.recordPoints = false;
    s.platform.recordOthers = false;
    s.platform.budget = 50'000'000;
    long rssStart = 0;
    int slides = 0, deepest = 0;
    const char* shallowest = nullptr;
    const char* deepestFrame = nullptr;
    s.platform.onEveryCall([&] {
        char here;
        if (!shallowest || &here > shallowest)
            shallowest = &here;
        if (!deepestFrame || &here < deepestFrame)
            deepestFrame = &here;
        deepest = std::max(deepest, s.form.nestedCommands());
        if (s.platform.doEventsCalls % 3 == 0) {
            s.form.Timer1_Timer();
            if (++slides == 1000)
                rssStart = residentKilobytes();  // once everything is warm
            if (slides == 1000000)
                s.form.mnuSSOff_Click();
        }
    });
    s.form.mnuSS_Click();
    const long rssEnd = residentKilobytes();
    std::printf("slide show soak: rss start kB: %ld, rss end kB: %ld\n", rssStart, rssEnd);
    EXPECT_EQ(slides, 1000000);
#ifndef __SANITIZE_ADDRESS__  // the sanitizer keeps freed memory in quarantine
    EXPECT_LT(rssEnd - rssStart, 4096);
#endif
    EXPECT_EQ(deepest, 2);  // the show and its slide, whatever the number of slides
    EXPECT_LT(shallowest - deepestFrame, 4096);
}

}  // namespace
}  // namespace quillon
