// A video's frames: the classic picture after each frame's share of the
// points, as a still picture of that many points shows it; density frames
// that only add hits, the same whatever the threads; and what a video keeps
// of its settings, read back.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "render/engine/Drawing.h"
#include "render/engine/Render.h"
#include "render/video/Video.h"

namespace quillon::render {
namespace {

const Framing kSmall{.width = 160, .height = 120};

std::vector<std::vector<uint32_t>> classicFrames(ClassicRequest request, uint64_t frames,
                                                 ClassicPicture* last = nullptr)
{
    std::vector<std::vector<uint32_t>> shown;
    request.frames = frames;
    request.onFrame = [&](const ClassicPicture& picture) { shown.push_back(picture.pixels); };
    const ClassicPicture picture = drawClassic(request);
    if (last)
        *last = picture;
    return shown;
}

TEST(VideoFrames, ClassicFrameKIsTheStillPictureOfItsShareOfThePoints)
{
    struct Case {
        const char* figure;
        uint64_t points;
        uint64_t frames;
        uint64_t passes = 0;  // 0: by the points
    };
    const Case cases[] = {
        {"Henon", 10'000, 7},
        {"Sierpi", 5'000, 4},
        {"Lorenz Orbits (XY)", 3'000, 5},
        {"Henon", 5, 8},  // more frames than points: some frames repeat
        {"Hopalong", 0, 6, 2},  // passes: the drawing halts at the end of the second
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.figure);
        ClassicRequest request{.choice = chooseFigure(c.figure, {}), .framing = kSmall, .seed = 7};
        if (c.passes > 0)
            request.passes = c.passes;
        request.points = c.passes > 0 ? pointsOfPasses(request.choice, c.passes) : c.points;
        ClassicPicture whole;
        const auto frames = classicFrames(request, c.frames, &whole);
        ASSERT_EQ(frames.size(), c.frames);
        EXPECT_EQ(frames.back(), whole.pixels);
        for (uint64_t k = 1; k < c.frames; ++k) {
            ClassicRequest still = request;
            still.passes.reset();
            still.points = static_cast<uint64_t>(std::llround(static_cast<double>(k * request.points) / c.frames));
            EXPECT_EQ(frames[k - 1], drawClassic(still).pixels) << "frame " << k;
        }
    }
}

TEST(VideoFrames, BifurcationFramesShowTheirShareOfTheColumns)
{
    const ClassicRequest request{.choice = chooseFigure("BIFURCATION", {"start=2.9"}),
                                 .framing = kSmall,
                                 .points = 16'000,
                                 .seed = 3};
    ClassicPicture whole;
    const auto frames = classicFrames(request, 3, &whole);
    ASSERT_EQ(frames.size(), 3u);
    for (size_t k = 0; k < frames.size(); ++k) {
        const int columns = static_cast<int>(std::lround(kSmall.width * (k + 1) / 3.0));
        for (int y = 0; y < kSmall.height; ++y)
            for (int x = 0; x < kSmall.width; ++x) {
                const size_t at = static_cast<size_t>(y) * kSmall.width + x;
                ASSERT_EQ(frames[k][at], x < columns ? whole.pixels[at] : 0u) << k << " " << x << "," << y;
            }
    }
}

TEST(VideoFrames, DensityFramesOnlyAddHitsAndDoNotDependOnTheThreads)
{
    constexpr uint64_t kPoints = 400'000, kFrames = 6;
    for (const int plan : {kFixedPlan, kGrowingPlan})
        for (const char* figure : {"Henon", "Lorenz Orbits (XY)", "BIFURCATION"}) {
            SCOPED_TRACE(std::string(figure) + " plan " + std::to_string(plan));
            std::vector<uint32_t> finals[2];
            for (const int threads : {1, 3}) {
                DensityCounter counter(
                    {.choice = chooseFigure(figure, {}), .framing = kSmall, .seed = 5, .threads = threads, .plan = plan});
                std::vector<uint32_t> before(static_cast<size_t>(kSmall.width) * kSmall.height);
                std::vector<std::vector<uint32_t>> hitsOfFrame;
                for (uint64_t k = 0; k < kFrames; ++k) {
                    if (plan == kFixedPlan)
                        counter.countFixedPlan(kPoints, kFrames, k);
                    else
                        counter.countTo(shareOf(k + 1, kPoints, kFrames));
                    const HitCounts& counts = counter.counts();
                    ASSERT_EQ(counts.size(), before.size());
                    std::vector<uint32_t> added(before.size());
                    for (size_t p = 0; p < before.size(); ++p) {
                        ASSERT_GE(counts[p], before[p]);
                        added[p] = counts[p] - before[p];
                        before[p] = counts[p];
                    }
                    EXPECT_GT(std::accumulate(added.begin(), added.end(), uint64_t{0}), 0u) << "frame " << k;
                    hitsOfFrame.push_back(added);
                }
                // Every frame has points of its own.
                EXPECT_NE(hitsOfFrame[1], hitsOfFrame[2]);
                EXPECT_LE(std::accumulate(before.begin(), before.end(), uint64_t{0}), kPoints);
                finals[threads == 1 ? 0 : 1] = before;
            }
            EXPECT_EQ(finals[0], finals[1]);
        }
}

TEST(VideoText, KeepsThePicturesFactsAndTheVideosOwn)
{
    RenderSettings s;
    s.choice = chooseFigure("Lorenz Orbits (XZ)", {"Prandtl=11.5"});
    s.style = Style::Density;
    s.points = 3'000'000;
    s.seed = 99;
    s.framing = {.frameWidth = 800, .frameHeight = 600, .width = 640, .height = 480};
    s.palette = "ocean";
    s.tone = "eq";
    const VideoSettings video{.seconds = 2.5, .fps = 24, .title = true};
    const TextChunks text = videoMetadata(s, video, "the caption");
    const TextChunks back = chunksOfComment(commentText(text));
    EXPECT_EQ(back, text);

    const auto videoBack = videoSettingsFrom(back);
    ASSERT_TRUE(videoBack);
    EXPECT_EQ(videoBack->seconds, 2.5);
    EXPECT_EQ(videoBack->fps, 24);
    EXPECT_TRUE(videoBack->title);
    EXPECT_EQ(videoBack->frames(), 60u);
    const RenderSettings settingsBack = settingsFrom(back);
    EXPECT_EQ(settingsBack.choice.values, s.choice.values);
    EXPECT_EQ(settingsBack.points, s.points);
    EXPECT_EQ(settingsBack.seed, s.seed);
    EXPECT_EQ(settingsBack.palette, "ocean");
    EXPECT_EQ(settingsBack.framing.width, 640);
    EXPECT_EQ(settingsBack.framing.frameWidth, 800);

    // A picture's text is no video's; a line break in a value stays in its line.
    EXPECT_FALSE(videoSettingsFrom(metadataOf(s, "the caption")));
    const TextChunks broken = {{"quillon:caption", "two\nlines"}};
    EXPECT_EQ(chunksOfComment(commentText(broken)), (TextChunks{{"quillon:caption", "two lines"}}));
}

}  // namespace
}  // namespace quillon::render
