// Videos that move: the flight's views by hand, the first and last frames of
// a morph and of a flight against the still pictures of their ends, the
// smoothed tone that steadies the frames between, the text that replays them
// and the input refused.
#include <gtest/gtest.h>

#include <cmath>

#include "render/engine/Render.h"
#include "render/image/UsageError.h"
#include "render/video/Motion.h"
#include "render/video/Video.h"

namespace quillon::render {
namespace {

TEST(Motion, FlightsZoomSteadilyAndBringTheTargetToRest)
{
    const View from{.centerX = 0, .centerY = 0, .zoom = 1}, to{.centerX = 1, .centerY = -2, .zoom = 100};
    struct Case {
        double t;
        View view;
    };
    // At t the zoom is 100^t; the target sits (1 - t) of its first distance
    // from the middle, on the screen: (target - centre) * zoom = (1 - t) * (target - from).
    const Case cases[] = {
        {0, from},
        {0.5, {.centerX = 1 - 0.5 / 10, .centerY = -2 + 1.0 / 10, .zoom = 10}},
        {0.75, {.centerX = 1 - 0.25 / std::pow(100, 0.75), .centerY = -2 + 0.5 / std::pow(100, 0.75),
                .zoom = std::pow(100, 0.75)}},
        {1, to},
    };
    for (const Case& c : cases) {
        const View v = flightView(from, to, c.t);
        EXPECT_NEAR(v.centerX, c.view.centerX, 1e-12) << c.t;
        EXPECT_NEAR(v.centerY, c.view.centerY, 1e-12) << c.t;
        EXPECT_NEAR(v.zoom, c.view.zoom, 1e-9) << c.t;
    }
    // Time along the video: frame 0 at 0, the last at 1; eased, a smooth step.
    EXPECT_EQ(motionTime(0, 5, false), 0);
    EXPECT_EQ(motionTime(4, 5, true), 1);
    EXPECT_DOUBLE_EQ(motionTime(1, 5, false), 0.25);
    EXPECT_DOUBLE_EQ(motionTime(1, 5, true), 0.15625);
    EXPECT_EQ(motionTime(0, 1, true), 0);
    // The neighbours' geometric mean, fewer of them near the ends.
    const std::vector<double> values = {1, 4, 16, 64, 256};
    EXPECT_DOUBLE_EQ(smoothedAt(values, 0, 2), 1);
    EXPECT_NEAR(smoothedAt(values, 1, 2), 4, 1e-12);
    EXPECT_NEAR(smoothedAt(values, 2, 2), 16, 1e-12);
    EXPECT_DOUBLE_EQ(smoothedAt(values, 4, 2), 256);
}

RenderSettings henon(std::vector<std::string> params)
{
    RenderSettings s;
    s.choice = chooseFigure("Henon", params);
    s.framing = {.width = 160, .height = 120};
    s.style = Style::Density;
    s.points = 200'000;
    s.threads = 2;
    return s;
}

std::vector<uint8_t> pictureOf(const RenderSettings& s)
{
    RenderSettings eight = s;
    eight.depth = 8;
    const RenderResult r = render(eight);
    return {r.image.samples.begin(), r.image.samples.end()};
}

TEST(Motion, EndFramesAreThePicturesOfTheirEnds)
{
    const RenderSettings base = henon({"a=1.2", "b=0.25"});
    struct Case {
        const char* what;
        Motion motion;
        RenderSettings first, last;
    };
    RenderSettings flown = base;
    flown.view = View{.centerX = 0.6, .centerY = 0.2, .zoom = 8};
    const Case cases[] = {
        {"morph", Motion{.morphs = {{"a", 1.2, 1.4}, {"b", 0.25, 0.3}}}, base, henon({"a=1.4", "b=0.3"})},
        {"flight", Motion{.zoomTo = flown.view, .ease = true}, base, flown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const VideoSettings video{.seconds = 1, .fps = 5, .motion = c.motion};
        std::vector<std::vector<uint8_t>> frames;
        movingFrames(base, video, [&](const std::vector<uint8_t>& rgb) { frames.push_back(rgb); });
        ASSERT_EQ(frames.size(), 5u);
        EXPECT_TRUE(frames.front() == pictureOf(c.first));
        EXPECT_TRUE(frames.back() == pictureOf(c.last));
        EXPECT_FALSE(frames[2] == frames.front());
    }
}

// A growing video's steady tone: its first and last frames are the still
// pictures of their points, the frames between take their neighbours' scale
// (so differ from their own stills), and the text keeps it, so a replay does
// too; a video whose text does not say so keeps a scale a frame.
TEST(Motion, GrowingVideosToneSteadily)
{
    const RenderSettings s = henon({});
    VideoSettings video{.seconds = 1, .fps = 6};
    video.motion.steadyTone = true;
    std::vector<std::vector<uint8_t>> frames;
    videoFrames(s, video, [&](const std::vector<uint8_t>& rgb) { frames.push_back(rgb); });
    ASSERT_EQ(frames.size(), 6u);
    const auto still = [&](uint64_t k) {
        RenderSettings part = s;
        part.points = shareOf(k + 1, s.points, 6);
        return pictureOf(part);
    };
    EXPECT_TRUE(frames.front() == still(0));
    EXPECT_TRUE(frames.back() == still(5));
    EXPECT_FALSE(frames[2] == still(2));

    for (const bool steady : {true, false}) {
        TextChunks text;
        addMotionText(text, Motion{.steadyTone = steady});
        EXPECT_EQ(motionFrom(text).steadyTone, steady);
    }
    video.motion.steadyTone = false;
    frames.clear();
    videoFrames(s, video, [&](const std::vector<uint8_t>& rgb) { frames.push_back(rgb); });
    EXPECT_TRUE(frames[2] == still(2));
}

TEST(Motion, TextReplaysAndBadInputIsRefused)
{
    const Motion motion{.zoomTo = View{.centerX = 0.5, .centerY = -0.25, .zoom = 1e6},
                        .morphs = {{"a", 1, 1.4}, {"3rd parameter", 2, 3}},
                        .ease = true};
    TextChunks text;
    addMotionText(text, motion);
    EXPECT_EQ(motionFrom(text), motion);

    const RenderSettings base = henon({});
    RenderSettings random = base;
    random.choice = drawRandom(findFigure("Henon"), 7);
    RenderSettings sweep = base;
    sweep.choice = chooseFigure("BIFURCATION", {});
    struct Case {
        const char* what;
        std::function<void()> run;
        const char* setting;
    };
    const Case cases[] = {
        {"zoom of 0", [] { zoomToFrom("0,0,0"); }, "zoom-to"},
        {"zoom below 0", [] { zoomToFrom("0,0,-2"); }, "zoom-to"},
        {"two numbers", [] { zoomToFrom("1,2"); }, "zoom-to"},
        {"four numbers", [] { zoomToFrom("1,2,3,4"); }, "zoom-to"},
        {"past a double", [] { zoomToFrom("1e400,0,2"); }, "zoom-to"},
        {"no colon", [] { morphFrom("a=1"); }, "morph"},
        {"no label", [] { morphFrom("=1:2"); }, "morph"},
        {"not a number", [] { morphFrom("a=x:2"); }, "morph"},
        {"no such parameter", [&] { checkMotion(base, Motion{.morphs = {{"c", 1, 2}}}); }, "morph"},
        {"twice", [&] { checkMotion(base, Motion{.morphs = {{"a", 1, 2}, {"A", 1, 2}}}); }, "morph"},
        {"drawn at random", [&] { checkMotion(random, Motion{.morphs = {{"a", 1, 2}}}); }, "morph"},
        {"the sweep", [&] { checkMotion(sweep, Motion{.morphs = {{"start", 1, 2}}}); }, "morph"},
        {"a flight too deep", [&] { checkMotion(base, Motion{.zoomTo = View{0, 0, 1e300}}); }, "zoom-to"},
    };
    for (const Case& c : cases) {
        try {
            c.run();
            ADD_FAILURE() << c.what << ": taken";
        } catch (const SettingError& e) {
            EXPECT_EQ(e.setting, c.setting) << c.what;
        }
    }
}

}  // namespace
}  // namespace quillon::render
