// The command the export dialog shows: quillon-render, given it, reads back
// the very settings of the export, and writes the same file byte for byte.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "render/cli/Options.h"
#include "studio/RenderCommand.h"
#include "studio/StudioModel.h"
#include "support/InTempDirectory.h"

namespace quillon::studio {
namespace {

using namespace render;

struct CommandCase {
    const char* name;
    std::function<void(StudioModel&)> edit;
    int width, height;
    uint64_t points;
    int supersampling;
};

const CommandCase kCases[] = {
    {"a figure at its defaults", [](StudioModel&) {}, 64, 48, 20'000, 1},
    {"parameters, seed and a view",
     [](StudioModel& m) {
         m.setValue(0, 1.3712345678901234);
         m.setSeed(77);
         m.setView(View{0.25, -0.125, 3.5});
     },
     80, 60, 30'000, 1},
    {"a flame tone with its controls moved, white background",
     [](StudioModel& m) {
         m.setTone("flame");
         ToneControls c = m.settings().controls;
         c.exposure = 1.5;
         c.vibrancy = 0.25;
         m.setControls(c);
         m.setPalette("viridis");
         m.setBackground("#ffffff");
     },
     64, 64, 20'000, 2},
    {"coloured by speed, a label with a blank",
     [](StudioModel& m) {
         m.setFigure(findFigure("Lorenz Orbits (XZ)"));
         m.setValue(2, 2.5);
         m.setColour(OrbitColour::Speed);
     },
     48, 64, 20'000, 1},
    {"the classic style", [](StudioModel& m) {
         m.setFigure(findFigure("Hopalong"));
         m.setStyle(Style::Classic);
     },
     64, 48, 20'000, 1},
};

RenderSettings exportOf(const CommandCase& c)
{
    StudioModel model;
    c.edit(model);
    RenderSettings s = model.pictureSettings(framingOfSize(c.width, c.height), c.points, c.supersampling);
    s.threads = 2;
    return s;
}

// The settings quillon-render takes from the arguments.
RenderSettings parsed(const std::vector<std::string>& arguments, std::string& output)
{
    Arguments a;
    auto app = commandLine(a);
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    app->parse(reversed);
    const Plan plan = planFor(a);
    EXPECT_EQ(plan.jobs.size(), 1u);
    output = plan.jobs.at(0).path;
    return plan.jobs.at(0).settings;
}

TEST(RenderCommand, QuillonRenderReadsBackTheExportsSettings)
{
    for (const CommandCase& c : kCases) {
        SCOPED_TRACE(c.name);
        RenderSettings ours = exportOf(c);
        std::string output;
        const RenderSettings theirs = parsed(renderArguments(ours, "/tmp/out.png"), output);
        EXPECT_EQ(output, "/tmp/out.png");
        ours = readyForFile(ours);
        // What a picture keeps of its settings is all that makes it.
        EXPECT_EQ(metadataOf(theirs, "caption"), metadataOf(ours, "caption"));
        EXPECT_EQ(theirs.framing.frameWidth, ours.framing.frameWidth);
        EXPECT_EQ(theirs.framing.frameHeight, ours.framing.frameHeight);
        EXPECT_EQ(theirs.colourRange, ours.colourRange);
    }
}

TEST(RenderCommand, ShellWordsComeBackAsGiven)
{
    const std::vector<std::string> words = {"--figure", "Lorenz Orbits (XZ)", "--param", "3rd parameter=2.5",
                                            "--background", "#102030", "-o", "it's here.png"};
    const std::string line = commandLineText(words);
    EXPECT_EQ(line.rfind("quillon-render ", 0), 0u);
    // The shell's own reading of the line, word by word.
    testing::InTempDirectory here;
    std::ofstream("words.sh") << "printf '%s\\n'" << line.substr(std::string("quillon-render").size()) << "\n";
    ASSERT_EQ(std::system("sh words.sh > words.txt"), 0);
    std::ifstream in("words.txt");
    std::vector<std::string> back;
    for (std::string word; std::getline(in, word);)
        back.push_back(word);
    EXPECT_EQ(back, words);
}

std::string bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(RenderCommand, RunningTheCommandWritesTheExportByteForByte)
{
    testing::InTempDirectory here;
    for (const CommandCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const RenderSettings ours = exportOf(c);
        renderToFile(readyForFile(ours), "studio.png");
        const std::string line = commandLineText(renderArguments(ours, "command.png"));
        const std::string program = QUILLON_RENDER_PROGRAM;
        ASSERT_EQ(std::system((program + line.substr(std::string("quillon-render").size()) + " -q").c_str()), 0)
            << line;
        const std::string made = bytesOf("command.png");
        ASSERT_FALSE(made.empty());
        EXPECT_TRUE(made == bytesOf("studio.png")) << line;
    }
}

// Videos: the command's plan is the export's, and quillon-render refuses
// what it cannot make in its own words.
struct VideoCase {
    const char* name;
    int width, height;
    bool fit;
    std::function<void(StudioModel&, VideoSettings&)> edit;
    const char* refused = nullptr;  // a part of quillon-render's refusal
};

const VideoCase kVideoCases[] = {
    {"a growing density video, its length and rate", 64, 48, false, [](StudioModel&, VideoSettings& v) {
         v.seconds = 0.25;
         v.fps = 12;
     }},
    {"a flight, eased, with the title", 64, 48, false,
     [](StudioModel& m, VideoSettings& v) {
         m.setView(View{0.1, 0.2, 1.5});
         v.seconds = 0.2;
         v.fps = 10;
         v.title = true;
         v.motion.zoomTo = View{0.6312345678901, 0.1875, 12.5};
         v.motion.ease = true;
     }},
    {"two parameters sliding, each frame fitted", 64, 48, true,
     [](StudioModel&, VideoSettings& v) {
         v.seconds = 0.3;
         v.fps = 10;
         v.motion.morphs = {{"a", 1.3, 1.4}, {"b", 0.3, 0.25}};
         v.motion.fitFrames = true;
     }},
    {"the classic style", 64, 48, false, [](StudioModel& m, VideoSettings& v) {
         m.setStyle(Style::Classic);
         v.seconds = 0.2;
         v.fps = 10;
     }},
    {"odd sides", 63, 48, false, [](StudioModel&, VideoSettings&) {}, "even"},
    {"a morph of a parameter the figure lacks", 64, 48, false,
     [](StudioModel&, VideoSettings& v) { v.motion.morphs = {{"Prandtl", 1, 2}}; }, "Prandtl"},
    {"a flight and a fit", 64, 48, true, [](StudioModel&, VideoSettings& v) { v.motion.zoomTo = View{0, 0, 4}; },
     "--fit"},
};

TEST(RenderCommand, QuillonRenderPlansTheVideoExportAsAsked)
{
    for (const VideoCase& c : kVideoCases) {
        SCOPED_TRACE(c.name);
        StudioModel model;
        VideoSettings video;
        c.edit(model, video);
        RenderSettings ours = model.pictureSettings(framingOfSize(c.width, c.height), 20'000, 1);
        if (c.fit) {
            ours.fit = true;
            ours.view.reset();
        }
        const std::vector<std::string> arguments = videoArguments(ours, video, "out.mp4");
        if (c.refused) {
            try {
                planOfArguments(arguments);
                ADD_FAILURE() << "not refused: " << commandLineText(arguments);
            } catch (const UsageError& e) {
                EXPECT_NE(std::string(e.what()).find(c.refused), std::string::npos) << e.what();
            }
            continue;
        }
        const Plan plan = planOfArguments(arguments);
        ASSERT_TRUE(plan.video.has_value());
        ASSERT_EQ(plan.jobs.size(), 1u);
        EXPECT_EQ(plan.jobs[0].path, "out.mp4");
        EXPECT_EQ(plan.video->seconds, video.seconds);
        EXPECT_EQ(plan.video->fps, video.fps);
        EXPECT_EQ(plan.video->title, video.title);
        EXPECT_EQ(plan.video->motion, video.motion);
        ours = readyForFile(ours);
        if (ours.fit)
            resolveFit(ours);
        EXPECT_EQ(videoMetadata(plan.jobs[0].settings, *plan.video, "caption"),
                  videoMetadata(ours, video, "caption"));
    }
}

TEST(RenderCommand, RunningTheVideoCommandWritesTheExportByteForByte)
{
    testing::InTempDirectory here;
    StudioModel model;
    model.setView(View{0.1, 0.2, 1.5});
    VideoSettings video;
    video.seconds = 0.2;
    video.fps = 10;
    video.motion.zoomTo = View{0.6, 0.18, 6};
    const std::vector<std::string> arguments =
        videoArguments(model.pictureSettings(framingOfSize(64, 48), 20'000, 1), video, "studio.mp4");
    const Plan plan = planOfArguments(arguments);
    makeVideo(plan.jobs.at(0).settings, *plan.video, plan.jobs.at(0).path);
    std::string line = commandLineText(arguments);
    line.replace(line.find("studio.mp4"), 10, "command.mp4");
    const std::string program = QUILLON_RENDER_PROGRAM;
    ASSERT_EQ(std::system((program + line.substr(std::string("quillon-render").size()) + " -q").c_str()), 0)
        << line;
    const std::string made = bytesOf("command.mp4");
    ASSERT_FALSE(made.empty());
    EXPECT_TRUE(made == bytesOf("studio.mp4")) << line;
}

}  // namespace
}  // namespace quillon::studio
