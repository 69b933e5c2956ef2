// The command line's rules: argument vectors parsed by the program's own option
// table, and the settings, files, videos, orbit modes and one-line refusals
// they make before anything is drawn.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render/cli/Options.h"
#include "render/engine/FigureChoice.h"
#include "render/engine/UsageError.h"

namespace quillon::render {
namespace {

namespace fs = std::filesystem;

using Words = std::vector<std::string>;

const char* const kHenon = "Henon      a = 1.4   b = 0.3";
const char* const kOneSource = "give one of --figure, --caption, --from, --random and --replay";

// Each test stands in a folder of its own holding a caption file of two
// captions (five lines, as the program writes them), a file of blank lines, a
// folder "pics", and an "ffmpeg" the videos' check finds on the PATH.
class Options : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = fs::current_path();
        std::string name = (fs::temp_directory_path() / "quillon-options-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        folder_ = name;
        fs::current_path(folder_);
        std::ofstream("captions.txt", std::ios::binary)
            << "\r\n" << kHenon << "\r\n\r\nLozi      a = 1.7   b = 0.5\r\n\r\n";
        std::ofstream("blank.txt", std::ios::binary) << "\r\n   \r\n";
        fs::create_directories("pics");
        fs::create_directories("bin");
        std::ofstream("bin/ffmpeg") << "#!/bin/sh\n";
        ::chmod("bin/ffmpeg", 0755);
        const char* path = std::getenv("PATH");
        path_ = path ? path : "";
        ::setenv("PATH", (folder_ / "bin").c_str(), 1);
    }
    void TearDown() override
    {
        ::setenv("PATH", path_.c_str(), 1);
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }

private:
    fs::path previous_, folder_;
    std::string path_;
};

void parse(Arguments& a, const Words& words)
{
    const auto app = commandLine(a);
    std::vector<const char*> argv = {"quillon-render"};
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    app->parse(static_cast<int>(argv.size()), argv.data());
}

Arguments parsed(const Words& words)
{
    Arguments a;
    parse(a, words);
    return a;
}

std::string joined(const Words& words)
{
    std::string out;
    for (const std::string& word : words)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

// The one line a command line is refused with, or "(accepted)".
std::string refusal(const Words& words)
{
    try {
        planFor(parsed(words));
    } catch (const UsageError& e) {
        return e.what();
    }
    return "(accepted)";
}

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The settings in one line: figure and values | style and count | framing |
// seed | look.
std::string summary(const RenderSettings& s)
{
    std::string out = s.choice.figure->name;
    for (size_t k = 0; k < s.choice.values.size(); ++k)
        out += " " + s.choice.figure->parameters[k].label + "=" + number(s.choice.values[k]);
    out += std::string(" | ") + (s.style == Style::Classic ? "classic " : "density ") + std::to_string(s.points);
    if (s.passes)
        out += " (" + std::to_string(*s.passes) + " passes)";
    const Framing& f = s.framing;
    out += " | frame " + sizeText(f.frameWidth, f.frameHeight) + " size " + sizeText(f.width, f.height) + " scale " +
           number(s.scale);
    out += " | seed " + std::to_string(s.seed);
    out += " | " + s.tone + " " + s.palette + " " + s.background + " depth " + std::to_string(s.depth) + " aa " +
           std::to_string(s.supersampling);
    return out;
}

const char* const kDefaults = " | frame 1024x768 size 1024x768 scale 1 | seed 1 | log ember #000000 depth 8 aa 1";

TEST_F(Options, RefusalsAreOneLineNamingTheOption)
{
    struct Row {
        Words words;
        std::string message;
    };
    const Row rows[] = {
        // where the figure comes from
        {{}, "name a figure: --figure, --caption, --from, --random or --replay (--help)"},
        {{"--points", "100"}, "name a figure: --figure, --caption, --from, --random or --replay (--help)"},
        {{"--figure", "henon", "--caption", kHenon}, kOneSource},
        {{"--random", "--from", "captions.txt"}, kOneSource},
        {{"--replay", "nothing.png", "--random", "3"}, kOneSource},
        {{"--caption", kHenon, "--param", "a=1"}, "--param needs --figure"},
        {{"--random", "--figure", "henon", "--param", "a=1"},
         "--random draws the parameters; --param cannot set them as well"},
        {{"--random", "1.5"}, "--random \"1.5\" is not a seed (a whole number from 0 to 16777215)"},
        {{"--random", "7", "--figure", "nosuch"}, "unknown figure \"nosuch\" (--list shows them all)"},
        // caption files
        {{"--figure", "henon", "--line", "2"}, "--line and --all read a caption file given with --from"},
        {{"--caption", kHenon, "--all"}, "--line and --all read a caption file given with --from"},
        {{"--from", "captions.txt", "--line", "2", "--all"},
         "--line picks one caption and --all takes every one; give one of them"},
        {{"--from", "captions.txt", "--line", "9"}, "\"captions.txt\" has no line 9 (it has 5)"},
        {{"--from", "captions.txt", "--line", "3"}, "line 3 of \"captions.txt\" is empty"},
        {{"--from", "blank.txt"}, "\"blank.txt\" holds no caption"},
        {{"--from", "nowhere.txt"}, "cannot read \"nowhere.txt\": No such file or directory"},
        // counts and seeds
        {{"--figure", "henon", "--points", "1e7", "--passes", "2"},
         "--points and --passes both set the count; give one of them"},
        {{"--figure", "henon", "--points", "2.5"}, "--points \"2.5\" is not a whole number"},
        {{"--figure", "henon", "--passes", "0"}, "--passes 0 is not above 0"},
        {{"--figure", "henon", "--points", "2e15"}, "--points 2e15 is more than 10^15"},
        {{"--figure", "bifurcation", "--passes", "3"}, "the bifurcation diagram has no passes; give --points"},
        {{"--figure", "henon", "--seed", "16777216"},
         "--seed \"16777216\" is not a seed (a whole number from 0 to 16777215)"},
        // framing, style and look
        {{"--figure", "henon", "--frame", "800by600"}, "--frame \"800by600\" is not WIDTHxHEIGHT"},
        {{"--figure", "henon", "--size", "800"}, "--size \"800\" is not WIDTHxHEIGHT"},
        {{"--figure", "henon", "--scale", "x2"}, "--scale \"x2\" is not a number"},
        {{"--figure", "henon", "--scale", "2", "--size", "800x600"},
         "--scale and --size both set the picture's size; give one of them"},
        {{"--figure", "henon", "--style", "pencil"}, "--style \"pencil\" is neither classic nor density"},
        {{"--figure", "henon", "--aa", "2"},
         "--aa and --depth are for --style density; a classic picture is 8-bit, a point a pixel"},
        {{"--figure", "henon", "--depth", "16"},
         "--aa and --depth are for --style density; a classic picture is 8-bit, a point a pixel"},
        // videos
        {{"--figure", "henon", "--seconds", "2"}, "--seconds, --fps and --title are for --video"},
        {{"--figure", "henon", "-o", "h.png", "--no-title"}, "--seconds, --fps and --title are for --video"},
        {{"--figure", "henon", "--video", "v.mp4", "-o", "v.png"},
         "--video and --output both name the file; give one of them"},
        {{"--figure", "henon", "--video", "v.mp4", "--title", "--no-title"}, "give one of --title and --no-title"},
        {{"--figure", "henon", "--video", "v.mp4", "--fps", "fast"}, "--fps \"fast\" is not a number"},
        {{"--figure", "henon", "--video", "v.avi"},
         "--video \"v.avi\": a video's name ends in .mp4 (H.264) or .webm (VP9)"},
        // the file written
        {{"--figure", "henon", "-o", "missing/h.png"}, "cannot write in missing: No such file or directory"},
        {{"--figure", "henon", "-o", "captions.txt/h.png"}, "cannot write in captions.txt: Not a directory"},
        {{"--figure", "henon", "-o", "pics"}, "pics: names a folder, not a file"},
        {{"--figure", "henon", "-o", "pics/"}, "pics/: names a folder, not a file"},
        {{"--from", "captions.txt", "--all", "-o", "missing/k.png"},
         "cannot write in missing: No such file or directory"},
        {{"--figure", "henon", "--video", "missing/v.mp4"}, "cannot write in missing: No such file or directory"},
        // the orbit modes
        {{"--random", "1", "--interesting", "--search", "2"}, "give one of --interesting, --search and --survey"},
        {{"--figure", "henon", "--stats", "--min-lit", "0.1"},
         "--min-exponent, --min-lit and --max-draws are for --interesting, --search and --survey"},
        {{"--random", "1", "--interesting", "--min-lit", "2"},
         "--min-lit \"2\" is not a part of the frame from 0 to 1"},
        {{"--random", "1", "--interesting", "--min-exponent", "big"}, "--min-exponent \"big\" is not a number"},
        {{"--random", "1", "--interesting", "--max-draws", "1000001"}, "--max-draws 1000001 is more than 1000000"},
        {{"--figure", "henon", "--stats", "--steps", "999"},
         "--steps 999 is below 1000: too few for ten blocks of an estimate"},
        {{"--search", "1001"}, "--search 1001 is more than 1000"},
        {{"--survey", "2", "--from", "captions.txt"},
         "--search and --survey draw at random, of --figure or of the slide show's figures"},
        {{"--figure", "henon", "--interesting"}, "--interesting draws again and again: give it --random [SEED]"},
        {{"--from", "captions.txt", "--all", "--stats", "-o", "s.png"},
         "--stats of several captions draws no pictures; leave out -o"},
        {{"--figure", "henon", "--stats", "-o", "missing/s.png"}, "cannot write in missing: No such file or directory"},
        {{"--search", "2", "--figure", "henon", "--style", "pencil"},
         "--style \"pencil\" is neither classic nor density"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(refusal(row.words), row.message) << joined(row.words);
}

TEST_F(Options, SettingsOfTheFigureNamed)
{
    struct Row {
        Words words;
        std::string settings;
    };
    const Row rows[] = {
        {{"--figure", "henon"}, std::string("Henon a=1.4 b=0.3 | classic 20000000") + kDefaults},
        {{"--figure", "henon", "--param", "b=0.25", "--style", "density"},
         std::string("Henon a=1.4 b=0.25 | density 100000000") + kDefaults},
        // A Henon pass is 5000 points.
        {{"--figure", "henon", "--passes", "3"}, std::string("Henon a=1.4 b=0.3 | classic 15000 (3 passes)") + kDefaults},
        {{"--caption", "Lozi      a = 1.7   b = 0.5", "--points", "5e5", "--seed", "77"},
         "Lozi a=1.7 b=0.5 | classic 500000 | frame 1024x768 size 1024x768 scale 1 | seed 77 | log ember #000000 "
         "depth 8 aa 1"},
        {{"--from", "captions.txt"}, std::string("Lozi a=1.7 b=0.5 | classic 20000000") + kDefaults},
        {{"--from", "captions.txt", "--line", "2"}, std::string("Henon a=1.4 b=0.3 | classic 20000000") + kDefaults},
        {{"--figure", "henon", "--frame", "800x600", "--scale", "2"},
         "Henon a=1.4 b=0.3 | classic 20000000 | frame 800x600 size 1600x1200 scale 2 | seed 1 | log ember #000000 "
         "depth 8 aa 1"},
        {{"--figure", "henon", "--size", "1000x500"},
         "Henon a=1.4 b=0.3 | classic 20000000 | frame 1024x512 size 1000x500 scale 1 | seed 1 | log ember #000000 "
         "depth 8 aa 1"},
        {{"--figure", "henon", "--frame", "640x480", "--size", "1280x720"},
         "Henon a=1.4 b=0.3 | classic 20000000 | frame 640x480 size 1280x720 scale 1 | seed 1 | log ember #000000 "
         "depth 8 aa 1"},
        {{"--figure", "henon", "--style", "density", "--tone", "eq", "--palette", "ocean", "--background", "#102030",
          "--depth", "16", "--aa", "2", "-n", "1e6"},
         "Henon a=1.4 b=0.3 | density 1000000 | frame 1024x768 size 1024x768 scale 1 | seed 1 | eq ocean #102030 "
         "depth 16 aa 2"},
    };
    for (const Row& row : rows) {
        const Plan plan = planFor(parsed(row.words));
        ASSERT_EQ(plan.jobs.size(), 1u) << joined(row.words);
        EXPECT_EQ(summary(plan.jobs[0].settings), row.settings) << joined(row.words);
        EXPECT_FALSE(plan.randomSeed) << joined(row.words);
    }

    // A random draw's seed is told with the picture and seeds its pass colours;
    // --seed is only for parameters given.
    const Plan random = planFor(parsed({"--random", "4321", "--figure", "henon", "--seed", "9"}));
    ASSERT_EQ(random.jobs.size(), 1u);
    EXPECT_EQ(random.randomSeed.value_or(0), 4321u);
    EXPECT_EQ(random.jobs[0].settings.choice.figure->name, "Henon");
    EXPECT_EQ(random.jobs[0].settings.seed, 4321u);
    EXPECT_EQ(planFor(parsed({"--figure", "henon", "-j", "3"})).jobs[0].settings.threads, 3);
}

TEST_F(Options, FilesAndVideosMade)
{
    struct Row {
        Words words;
        std::string paths;
        std::string video;  // seconds, rate, title and frames; empty: pictures
    };
    const Row rows[] = {
        {{"--figure", "Hopalong-2"}, "hopalong-2.png", ""},
        {{"--figure", "Lorenz Orbits (XY)"}, "lorenz-orbits-xy.png", ""},
        {{"--figure", "eqn 8a", "-o", "pics/e.png"}, "pics/e.png", ""},
        {{"--from", "captions.txt"}, "lozi.png", ""},
        {{"--from", "captions.txt", "--all"}, "captions-001.png captions-002.png", ""},
        {{"--from", "captions.txt", "--all", "-o", "pics/k.png"}, "pics/k-001.png pics/k-002.png", ""},
        {{"--figure", "henon", "--video", "v.mp4"}, "v.mp4", "20 s at 30 fps, no title, 600 frames"},
        {{"--figure", "henon", "--video", "pics/v.webm", "--seconds", "2.5", "--fps", "24", "--title"},
         "pics/v.webm", "2.5 s at 24 fps, title, 60 frames"},
        {{"--from", "captions.txt", "--all", "--video", "v.mp4", "--fps", "10", "--seconds", "1"},
         "v-001.mp4 v-002.mp4", "1 s at 10 fps, no title, 10 frames"},
    };
    for (const Row& row : rows) {
        const Plan plan = planFor(parsed(row.words));
        Words paths;
        for (const Job& job : plan.jobs)
            paths.push_back(job.path);
        EXPECT_EQ(joined(paths), row.paths) << joined(row.words);
        const std::string video =
            plan.video ? number(plan.video->seconds) + " s at " + number(plan.video->fps) + " fps, " +
                             (plan.video->title ? "title, " : "no title, ") + std::to_string(plan.video->frames()) +
                             " frames"
                       : "";
        EXPECT_EQ(video, row.video) << joined(row.words);
    }
}

TEST_F(Options, ReplayedSettingsUnderTheOptionsGiven)
{
    RenderSettings made;
    made.choice = chooseFigure("henon", {"a=1.3"});
    made.style = Style::Density;
    made.points = 2000;
    made.framing = framingFor(Size{800, 600}, 0.5, std::nullopt);
    made.scale = 0.5;
    made.seed = 5;
    made.tone = "eq";
    made.palette = "ocean";
    renderToFile(made, "made.png");

    struct Row {
        Words words;
        std::string settings;
    };
    const Row rows[] = {
        {{}, "Henon a=1.3 b=0.3 | density 2000 | frame 800x600 size 400x300 scale 0.5 | seed 5 | eq ocean #000000 "
             "depth 8 aa 1"},
        {{"--points", "3000"}, "Henon a=1.3 b=0.3 | density 3000 | frame 800x600 size 400x300 scale 0.5 | seed 5 | "
                               "eq ocean #000000 depth 8 aa 1"},
        // A style given brings its own count.
        {{"--style", "classic"}, "Henon a=1.3 b=0.3 | classic 20000000 | frame 800x600 size 400x300 scale 0.5 | "
                                 "seed 5 | eq ocean #000000 depth 8 aa 1"},
        // The replayed frame at another scale or size.
        {{"--scale", "2"}, "Henon a=1.3 b=0.3 | density 2000 | frame 800x600 size 1600x1200 scale 2 | seed 5 | "
                           "eq ocean #000000 depth 8 aa 1"},
        {{"--size", "640x480"}, "Henon a=1.3 b=0.3 | density 2000 | frame 800x600 size 640x480 scale 1 | seed 5 | "
                                "eq ocean #000000 depth 8 aa 1"},
        {{"--frame", "400x400", "--passes", "2"},
         "Henon a=1.3 b=0.3 | density 10000 (2 passes) | frame 400x400 size 400x400 scale 1 | seed 5 | "
         "eq ocean #000000 depth 8 aa 1"},
        {{"--palette", "ember", "--tone", "log", "--background", "white", "--seed", "8", "--aa", "3"},
         "Henon a=1.3 b=0.3 | density 2000 | frame 800x600 size 400x300 scale 0.5 | seed 8 | log ember white "
         "depth 8 aa 3"},
    };
    for (const Row& row : rows) {
        Words words = {"--replay", "made.png"};
        words.insert(words.end(), row.words.begin(), row.words.end());
        const Plan plan = planFor(parsed(words));
        ASSERT_EQ(plan.jobs.size(), 1u) << joined(words);
        EXPECT_EQ(summary(plan.jobs[0].settings), row.settings) << joined(words);
        EXPECT_EQ(plan.jobs[0].path, "henon.png") << joined(words);
        EXPECT_FALSE(plan.video) << joined(words);
    }
}

TEST_F(Options, OrbitModes)
{
    struct Row {
        Words words;
        std::string command;
    };
    const Row rows[] = {
        {{"--figure", "henon", "--stats"}, "stats of Henon; steps 0"},
        {{"--from", "captions.txt", "--all", "--json"}, "stats json of Henon Lozi; steps 0"},
        {{"--figure", "lorenz", "--stats", "--steps", "1e5", "-o", "pics/l.png"},
         "stats of Lorenz Orbits (XY); steps 100000; picture pics/l.png"},
        {{"--random", "5", "--interesting"},
         "interesting of the slide show; seed 5; 200 draws; exponent 0.01, lit 0.005; steps 0"},
        {{"--random", "5", "--figure", "henon", "--interesting", "--stats", "--min-exponent", "0.2", "--min-lit",
          "0.01", "--max-draws", "50"},
         "interesting stats of Henon; seed 5; 50 draws; exponent 0.2, lit 0.01; steps 0"},
        {{"--search", "3", "--random", "11", "--figure", "lozi"},
         "search of Lozi; seed 11; 3 found; 200 draws; exponent 0.01, lit 0.005; steps 0"},
        // A survey draws the same unless given a seed.
        {{"--survey", "4"}, "survey of the slide show; seed 1; 4 found; 200 draws; exponent 0.01, lit 0.005; steps 0"},
        {{"--survey", "4", "--random", "9"},
         "survey of the slide show; seed 9; 4 found; 200 draws; exponent 0.01, lit 0.005; steps 0"},
    };
    for (const Row& row : rows) {
        Arguments a;
        parse(a, row.words);
        const Plan plan = planFor(a);
        ASSERT_TRUE(plan.orbit) << joined(row.words);
        const OrbitCommand& c = *plan.orbit;
        static const char* const kModes[] = {"stats", "interesting", "search", "survey"};
        std::string text = kModes[static_cast<int>(c.mode)];
        if (c.mode != OrbitCommand::Mode::Stats && c.stats)
            text += " stats";
        if (c.json)
            text += " json";
        text += " of";
        if (c.mode == OrbitCommand::Mode::Stats) {
            for (const FigureChoice& choice : c.choices)
                text += " " + choice.figure->name;
        } else {
            text += c.figure ? " " + c.figure->name : " the slide show";
            text += "; seed " + std::to_string(c.seed);
            if (c.mode != OrbitCommand::Mode::Interesting)
                text += "; " + std::to_string(c.count) + " found";
            text += "; " + std::to_string(c.maxDraws) + " draws; exponent " + number(c.interest.minExponent) +
                    ", lit " + number(c.interest.minLit);
        }
        text += "; steps " + std::to_string(c.options.steps);
        if (!c.output.empty())
            text += "; picture " + c.output;
        EXPECT_EQ(text, row.command) << joined(row.words);
    }

    // The figures a search keeps are drawn with the picture options given.
    Arguments a;
    parse(a, {"--search", "2", "--figure", "henon", "--style", "density", "--size", "64x48", "--palette", "ocean"});
    const OrbitCommand search = *planFor(a).orbit;
    const RenderSettings s = search.settingsFor(drawRandom(search.figure, 17));
    EXPECT_EQ(s.style, Style::Density);
    EXPECT_EQ(s.points, kDensityPoints);
    EXPECT_EQ(sizeText(s.framing.width, s.framing.height), "64x48");
    EXPECT_EQ(s.palette, "ocean");
    EXPECT_EQ(s.seed, 17u);
}

}  // namespace
}  // namespace quillon::render
