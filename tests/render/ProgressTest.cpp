#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "render/cli/Progress.h"

namespace quillon::render {
namespace {

TEST(RenderProgress, RatesAndTimesReadAtAGlance)
{
    struct Rate { double perSecond; const char* text; };
    const Rate rates[] = {
        {0.5, "0.50 points/s"}, {9.996, "10.0 points/s"}, {950, "950 points/s"},
        {999.4, "999 points/s"}, {999.6, "1.00 k points/s"}, {83.24e6, "83.2 M points/s"},
        {1.5e9, "1.50 G points/s"}, {2e15, "2000 T points/s"},
    };
    for (const Rate& rate : rates)
        EXPECT_EQ(Progress::rateText(rate.perSecond, "points"), rate.text) << rate.perSecond;

    struct Time { double seconds; const char* text; };
    const Time times[] = {
        {0, "0:00"}, {-3, "0:00"}, {4, "0:04"}, {3.2, "0:04"}, {59.5, "1:00"},
        {3599, "59:59"}, {3600, "1:00:00"}, {3725, "1:02:05"}, {360000, "100:00:00"},
    };
    for (const Time& time : times)
        EXPECT_EQ(Progress::timeText(time.seconds), time.text) << time.seconds;
}

TEST(RenderProgress, LinesSayHowFarHowFastAndHowLong)
{
    EXPECT_EQ(Progress::plainLine("render", 420000000, 1000000000, "points", 83.2e6, 4),
              "render: 42% (420000000 of 1000000000 points, 83.2 M points/s, 0:04 left)");
    EXPECT_EQ(Progress::plainLine("render", 0, 1000, "points", -1, -1), "render: 0% (0 of 1000 points)");
    EXPECT_EQ(Progress::plainLine("video", 7, 0, "frames", -1, -1), "video: 100% (7 of 0 frames)");
    EXPECT_EQ(Progress::barLine("render", 500, 1000, "points", 100, 5),
              "render [###############...............]  50%  100 points/s  0:05 left");
    EXPECT_EQ(Progress::barLine("render", 999, 1000, "points", -1, -1),
              "render [#############################.]  99%");
    EXPECT_EQ(Progress::barLine("render", 1200, 1000, "points", -1, -1),
              "render [##############################] 100%");
    EXPECT_EQ(Progress::closingLine("render", 1000000000, "points", 12), "render: 1000000000 points in 0:12 (83.3 M points/s)");
    EXPECT_EQ(Progress::closingLine("render", 0, "points", 0), "render: 0 points in 0:00");
    EXPECT_EQ(Progress::closingLine("render", 5, "frames", 3.2), "render: 5 frames in 0:03 (1.56 frames/s)");
}

TEST(RenderProgress, PrintsABarEachPollOnATerminalAndALineEveryFiveSecondsElsewhere)
{
    for (const bool terminal : {false, true}) {
        double now = 100;
        std::vector<std::string> written;
        {
            Progress progress("render", 1000, "points",
                              {.write = [&](std::string_view text) { written.emplace_back(text); },
                               .terminal = terminal,
                               .seconds = [&] { return now; }});
            const double times[] = {101, 105, 107, 110.5};
            for (const double time : times) {
                now = time;
                progress.advance(100);
                progress.poll();
            }
            now = 111;
            progress.advance(600);
            progress.finish();
            progress.finish();
        }
        const std::vector<std::string> expected = terminal ? std::vector<std::string>{
            "\rrender [###...........................]  10%  100 points/s  0:09 left\x1b[K",
            "\rrender [######........................]  20%  40.0 points/s  0:20 left\x1b[K",
            "\rrender [#########.....................]  30%  42.9 points/s  0:17 left\x1b[K",
            "\rrender [############..................]  40%  38.1 points/s  0:16 left\x1b[K",
            "\rrender: 1000 points in 0:11 (90.9 points/s)\x1b[K\n",
        } : std::vector<std::string>{
            "render: 20% (200 of 1000 points, 40.0 points/s, 0:20 left)\n",
            "render: 40% (400 of 1000 points, 38.1 points/s, 0:16 left)\n",
            "render: 1000 points in 0:11 (90.9 points/s)\n",
        };
        EXPECT_EQ(written, expected) << terminal;
    }
}

TEST(RenderProgress, CountsEveryAdvanceFromManyThreadsAndQuietPrintsNothing)
{
    std::string text;
    {
        Progress progress("render", 400000, "points",
                          {.write = [&](std::string_view line) { text += line; },
                           .seconds = [] { return 0.0; }});
        std::vector<std::thread> workers;
        for (int w = 0; w < 4; ++w)
            workers.emplace_back([&] {
                for (int k = 0; k < 100000; ++k)
                    progress.advance(1);
            });
        for (std::thread& worker : workers)
            worker.join();
        progress.finish();
    }
    EXPECT_EQ(text, "render: 400000 points in 0:00\n");

    testing::internal::CaptureStderr();
    {
        Progress quiet("render", 10, true);
        quiet.advance(10);
        quiet.finish();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace quillon::render
