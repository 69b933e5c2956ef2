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
#include "render/image/UsageError.h"

namespace quillon::render {
namespace {

namespace fs = std::filesystem;

using Words = std::vector<std::string>;

const char* const kHenon = "Henon      a = 1.4   b = 0.3";
const char* const kOneSource = "give one of --figure, --caption, --from, --random and --replay";

// Each test stands in a folder of its own holding a caption file of two
// captions (five lines, as the program writes them), a folder "pics", and an
// "ffmpeg" the videos' check finds on the PATH.
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

// The settings in one line: figure and values | count | framing | seed | look.
std::string summary(const RenderSettings& s)
{
    std::string out = s.choice.figure->name;
    for (size_t k = 0; k < s.choice.values.size(); ++k)
        out += " " + s.choice.figure->parameters[k].label + "=" + number(s.choice.values[k]);
    const Framing& f = s.framing;
    return out + (s.style == Style::Classic ? " | classic " : " | density ") + std::to_string(s.points) +
           (s.passes ? " (" + std::to_string(*s.passes) + " passes)" : "") + " | frame " +
           sizeText(f.frameWidth, f.frameHeight) + " size " + sizeText(f.width, f.height) + " scale " +
           number(s.scale) + " | seed " + std::to_string(s.seed) + " | " + s.tone + " " + s.palette + " " +
           s.background + " depth " + std::to_string(s.depth) + " aa " + std::to_string(s.supersampling);
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
        {{"--figure", "henon", "--caption", kHenon}, kOneSource},
        {{"--replay", "nothing.png", "--random", "3"}, kOneSource},
        {{"--caption", kHenon, "--param", "a=1"}, "--param needs --figure"},
        {{"--random", "--figure", "henon", "--param", "a=1"},
         "--random draws the parameters; --param cannot set them as well"},
        // caption files
        {{"--figure", "henon", "--line", "2"}, "--line and --all read a caption file given with --from"},
        {{"--from", "captions.txt", "--line", "2", "--all"},
         "--line picks one caption and --all takes every one; give one of them"},
        {{"--from", "captions.txt", "--line", "9"}, "\"captions.txt\" has no line 9 (it has 5)"},
        // counts and seeds
        {{"--figure", "henon", "--points", "1e7", "--passes", "2"},
         "--points and --passes both set the count; give one of them"},
        {{"--figure", "henon", "--points", "2.5"}, "--points \"2.5\" is not a whole number"},
        {{"--figure", "henon", "--points", "2e15"}, "--points 2e15 is more than 10^15"},
        {{"--figure", "bifurcation", "--passes", "3"}, "the bifurcation diagram has no passes; give --points"},
        // framing, style and look
        {{"--figure", "henon", "--frame", "800by600"}, "--frame \"800by600\" is not WIDTHxHEIGHT"},
        {{"--figure", "henon", "--scale", "x2"}, "--scale \"x2\" is not a number"},
        {{"--figure", "henon", "--style", "pencil"}, "--style \"pencil\" is neither classic nor density"},
        {{"--figure", "henon", "--aa", "2"},
         "--aa and --depth are for --style density; a classic picture is 8-bit, a point a pixel"},
        // videos
        {{"--figure", "henon", "--seconds", "2"}, "--seconds, --fps, --title, --zoom-to, --morph and --ease are for --video"},
        {{"--figure", "henon", "--video", "v.mp4", "-o", "v.png"},
         "--video and --output both name the file; give one of them"},
        {{"--figure", "henon", "--video", "v.mp4", "--title", "--no-title"}, "give one of --title and --no-title"},
        // the file written
        {{"--figure", "henon", "-o", "missing/h.png"}, "cannot write in missing: No such file or directory"},
        {{"--figure", "henon", "-o", "captions.txt/h.png"}, "cannot write in captions.txt: Not a directory"},
        {{"--figure", "henon", "-o", "pics"}, "pics: names a folder, not a file"},
        // the orbit modes
        {{"--figure", "henon", "--stats", "--min-lit", "0.1"}, "--min-lit is for --interesting, --search and --survey"},
        {{"--figure", "henon", "--style", "density", "--size", "2000x2000", "-j", "1", "--memory", "32M"},
         "a 2000x2000 picture would need 64 MiB of memory even in bands of one row, more than the 32 MiB allowed"},
        {{"--figure", "henon", "--memory", "8M"}, "--memory \"8M\" is not a size from 16M to 1024T (such as 2G or 512M)"},
        {{"--figure", "henon", "--memory", "lots"}, "--memory \"lots\" is not a size from 16M to 1024T (such as 2G or 512M)"},
        {{"--survey", "2", "--max-dimension", "2.5"}, "--max-dimension \"2.5\" is not a dimension from 0 to 2"},
        {{"--survey", "2", "--max-lit", "nan"}, "--max-lit \"nan\" is not a part of the frame from 0 to 1"},
        {{"--survey", "2", "--min-dimension", "1.6"}, "--min-dimension is above --max-dimension: no map could be kept"},
        {{"--survey", "2", "--min-lit", "0.6"}, "--min-lit is above --max-lit: no figure could be kept"},
        {{"--random", "1", "--interesting", "--max-draws", "1000001"}, "--max-draws 1000001 is more than 1000000"},
        {{"--figure", "henon", "--stats", "--steps", "999"},
         "--steps 999 is below 1000: too few for ten blocks of an estimate"},
        {{"--search", "1001"}, "--search 1001 is more than 1000"},
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
    const std::string henon = "Henon a=1.4 b=0.3 | classic 20000000";
    const std::pair<Words, std::string> rows[] = {
        {{"--figure", "henon"}, henon + kDefaults},
        {{"--figure", "henon", "--param", "b=0.25", "--style", "density"},
         std::string("Henon a=1.4 b=0.25 | density 100000000") + kDefaults},
        // A Henon pass is 5000 points.
        {{"--figure", "henon", "--passes", "3"},
         std::string("Henon a=1.4 b=0.3 | classic 15000 (3 passes)") + kDefaults},
        {{"--from", "captions.txt", "--points", "5e5", "--seed", "77"},
         "Lozi a=1.7 b=0.5 | classic 500000 | frame 1024x768 size 1024x768 scale 1 | seed 77 | log ember #000000 "
         "depth 8 aa 1"},
        {{"--figure", "henon", "--frame", "800x600", "--scale", "2"},
         henon + " | frame 800x600 size 1600x1200 scale 2 | seed 1 | log ember #000000 depth 8 aa 1"},
        {{"--figure", "henon", "--style", "density", "--tone", "eq", "--palette", "ocean", "--background", "#102030",
          "--depth", "16", "--aa", "2", "-n", "1e6"},
         "Henon a=1.4 b=0.3 | density 1000000 | frame 1024x768 size 1024x768 scale 1 | seed 1 | eq ocean #102030 "
         "depth 16 aa 2"},
    };
    for (const auto& [words, settings] : rows) {
        const Plan plan = planFor(parsed(words));
        ASSERT_EQ(plan.jobs.size(), 1u) << joined(words);
        EXPECT_EQ(summary(plan.jobs[0].settings), settings) << joined(words);
        EXPECT_FALSE(plan.randomSeed) << joined(words);
    }

    // A random draw's seed is told with the picture and seeds its pass colours;
    // --seed is only for parameters given.
    const Plan random = planFor(parsed({"--random", "4321", "--figure", "henon", "--seed", "9", "-j", "3"}));
    ASSERT_EQ(random.jobs.size(), 1u);
    EXPECT_EQ(random.randomSeed.value_or(0), 4321u);
    EXPECT_EQ(random.jobs[0].settings.choice.figure->name, "Henon");
    EXPECT_EQ(random.jobs[0].settings.seed, 4321u);
    EXPECT_EQ(random.jobs[0].settings.threads, 3);
}

TEST_F(Options, FilesAndVideosMade)
{
    struct Row {
        Words words;
        std::string paths;
        std::string video;  // seconds, rate, title and frames; empty: pictures
    };
    const Row rows[] = {
        {{"--figure", "Lorenz Orbits (XY)"}, "lorenz-orbits-xy.png", ""},
        {{"--from", "captions.txt"}, "lozi.png", ""},
        {{"--from", "captions.txt", "--all"}, "captions-001.png captions-002.png", ""},
        {{"--from", "captions.txt", "--all", "-o", "pics/k.png"}, "pics/k-001.png pics/k-002.png", ""},
        {{"--figure", "henon", "--video", "v.mp4"}, "v.mp4", "20 s at 30 fps, no title, 600 frames"},
        {{"--from", "captions.txt", "--all", "--video", "pics/v.webm", "--seconds", "2.5", "--fps", "24", "--title"},
         "pics/v-001.webm pics/v-002.webm", "2.5 s at 24 fps, title, 60 frames"},
    };
    for (const Row& row : rows) {
        const Plan plan = planFor(parsed(row.words));
        Words paths;
        for (const Job& job : plan.jobs)
            paths.push_back(job.path);
        EXPECT_EQ(joined(paths), row.paths) << joined(row.words);
        const VideoSettings v = plan.video.value_or(VideoSettings{});
        EXPECT_EQ(plan.video ? number(v.seconds) + " s at " + number(v.fps) + " fps, " +
                                   (v.title ? "title, " : "no title, ") + std::to_string(v.frames()) + " frames"
                             : "",
                  row.video)
            << joined(row.words);
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

    const std::string look = " | seed 5 | eq ocean #000000 depth 8 aa 1";
    const std::pair<Words, std::string> rows[] = {
        {{}, "density 2000 | frame 800x600 size 400x300 scale 0.5" + look},
        {{"--points", "3000"}, "density 3000 | frame 800x600 size 400x300 scale 0.5" + look},
        // A style given brings its own count.
        {{"--style", "classic"}, "classic 20000000 | frame 800x600 size 400x300 scale 0.5" + look},
        // The replayed frame at another scale or size.
        {{"--scale", "2"}, "density 2000 | frame 800x600 size 1600x1200 scale 2" + look},
        {{"--frame", "400x400", "--passes", "2"},
         "density 10000 (2 passes) | frame 400x400 size 400x400 scale 1" + look},
        {{"--palette", "ember", "--tone", "log", "--background", "white", "--seed", "8", "--aa", "3"},
         "density 2000 | frame 800x600 size 400x300 scale 0.5 | seed 8 | log ember white depth 8 aa 3"},
    };
    for (const auto& [options, settings] : rows) {
        Words words = {"--replay", "made.png"};
        words.insert(words.end(), options.begin(), options.end());
        const Plan plan = planFor(parsed(words));
        ASSERT_EQ(plan.jobs.size(), 1u) << joined(words);
        EXPECT_EQ(summary(plan.jobs[0].settings), "Henon a=1.3 b=0.3 | " + settings) << joined(words);
        EXPECT_EQ(plan.jobs[0].path, "henon.png") << joined(words);
        EXPECT_FALSE(plan.video) << joined(words);
    }
}

TEST_F(Options, OrbitModes)
{
    // mode, stats, json | figure | seed | wanted | draws | exponent, lit | steps | picture
    const std::pair<Words, std::string> rows[] = {
        {{"--from", "captions.txt", "--all", "--json"}, "0 1 1 | Henon Lozi | 1 | 200 | 0.01 0.005 | 0 | "},
        {{"--figure", "lorenz", "--stats", "--steps", "1e5", "-o", "pics/l.png"},
         "0 1 0 | Lorenz Orbits (XY) | 1 | 200 | 0.01 0.005 | 100000 | pics/l.png"},
        {{"--random", "5", "--interesting"}, "1 0 0 | slide show 5 | 1 | 200 | 0.01 0.005 | 0 | "},
        {{"--random", "5", "--figure", "henon", "--interesting", "--stats", "--min-exponent", "0.2", "--min-lit",
          "0.01", "--max-draws", "50"},
         "1 1 0 | Henon 5 | 1 | 50 | 0.2 0.01 | 0 | "},
        {{"--search", "3", "--random", "11", "--figure", "lozi"}, "2 0 0 | Lozi 11 | 3 | 200 | 0.01 0.005 | 0 | "},
        // A survey draws the same unless given a seed.
        {{"--survey", "4"}, "3 0 0 | slide show 1 | 4 | 200 | 0.01 0.005 | 0 | "},
        {{"--survey", "4", "--random", "9"}, "3 0 0 | slide show 9 | 4 | 200 | 0.01 0.005 | 0 | "},
    };
    for (const auto& [words, command] : rows) {
        Arguments a;
        parse(a, words);
        const Plan plan = planFor(a);
        ASSERT_TRUE(plan.orbit) << joined(words);
        const OrbitCommand& c = *plan.orbit;
        std::string figures;
        for (const FigureChoice& choice : c.choices)
            figures += (figures.empty() ? "" : " ") + choice.figure->name;
        if (c.mode != OrbitCommand::Mode::Stats)
            figures = (c.figure ? c.figure->name : "slide show") + " " + std::to_string(c.seed);
        EXPECT_EQ(std::to_string(static_cast<int>(c.mode)) + " " + std::to_string(c.stats) + " " +
                      std::to_string(c.json) + " | " + figures + " | " + std::to_string(c.count) + " | " +
                      std::to_string(c.maxDraws) + " | " + number(c.interest.minExponent) + " " +
                      number(c.interest.minLit) + " | " + std::to_string(c.options.steps) + " | " + c.output,
                  command)
            << joined(words);
    }

    // The figures a search keeps are drawn with the picture options given.
    Arguments a;
    parse(a, {"--search", "2", "--figure", "henon", "--style", "density", "--size", "64x48", "--palette", "ocean"});
    const OrbitCommand search = *planFor(a).orbit;
    EXPECT_EQ(summary(search.settingsFor(chooseFigure("henon", {}))),
              "Henon a=1.4 b=0.3 | density 100000000 | frame 1024x768 size 64x48 scale 1 | seed 1 | log ocean #000000 "
              "depth 8 aa 1");
}

}  // namespace
}  // namespace quillon::render
