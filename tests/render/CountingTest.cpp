// The density counter: counting on equals counting at once, a cancelled count
// goes on where it stopped, threads and lanes never change a count, a failing
// thread reaches the caller, one orbit lights what the window's drawing lights,
// and views show the part of the plane they name.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <stdexcept>
#include <thread>

#include "render/engine/Counting.h"
#include "render/engine/Drawing.h"
#include "render/engine/Render.h"
#include "render/image/UsageError.h"

namespace quillon::render {
namespace {

const Framing kSmall{.width = 160, .height = 120};
constexpr uint64_t L = kGrowingOrbitLength;

std::vector<uint32_t> countsOf(const DensityCounter& counter)
{
    return {counter.counts().begin(), counter.counts().end()};
}

CountRequest requestOf(const char* figure, int threads, std::vector<std::string> params = {})
{
    return {.choice = chooseFigure(figure, params), .framing = kSmall, .seed = 3, .threads = threads};
}

// Figures of every shape the routine has: a plain map, random choices, orbits
// that end (Comet), an inner loop (Triangles), a routine's own value (Eqn 4),
// a flow, and the sweep.
const char* const kFigures[] = {"Henon", "Sierpi", "Comet", "Triangles", "Eqn 4", "Lorenz Orbits (XY)", "BIFURCATION"};

TEST(Counting, CountingOnEqualsCountingAtOnceWhateverTheThreads)
{
    const uint64_t first = L + L / 3, total = 3 * L + 7;  // both end part way into an orbit
    for (const char* figure : kFigures) {
        SCOPED_TRACE(figure);
        DensityCounter atOnce(requestOf(figure, 1));
        ASSERT_TRUE(atOnce.countTo(total));
        const std::vector<uint32_t> expected = countsOf(atOnce);
        EXPECT_GT(std::accumulate(expected.begin(), expected.end(), uint64_t{0}), 0u);
        for (const int threads : {1, 2, 3}) {
            DensityCounter counter(requestOf(figure, threads));
            ASSERT_TRUE(counter.countTo(first));
            ASSERT_TRUE(counter.countTo(first));  // nothing more to count
            ASSERT_TRUE(counter.countTo(total));
            EXPECT_EQ(counter.points(), total);
            EXPECT_EQ(countsOf(counter), expected) << threads << " threads";
        }
    }
}

TEST(Counting, ACancelledCountGoesOnWhereItStopped)
{
    for (const char* figure : {"Henon", "Comet", "BIFURCATION"}) {
        SCOPED_TRACE(figure);
        const uint64_t total = 5 * L / 2;
        DensityCounter atOnce(requestOf(figure, 2));
        atOnce.countTo(total);
        DensityCounter counter(requestOf(figure, 2));
        // Cancelled as the third orbit (or eleventh column) starts: the ones
        // started stop part way, the others have not begun.
        std::atomic<bool> cancel{false};
        const uint64_t cancelAt = std::string(figure) == "BIFURCATION" ? 10 : 2;
        const CountControl control{.cancel = &cancel, .orbitStarting = [&](uint64_t orbit) {
                                       if (orbit == cancelAt)
                                           cancel = true;
                                   }};
        EXPECT_FALSE(counter.countTo(total, control));
        EXPECT_LT(counter.points(), total);
        EXPECT_GT(counter.points(), 0u);
        EXPECT_TRUE(counter.countTo(total));
        EXPECT_EQ(countsOf(counter), countsOf(atOnce));
    }
}

TEST(Counting, SnapshotsShowTheCountsGrowingWhileTheyAreCounted)
{
    DensityCounter counter(requestOf("Henon", 2));
    std::vector<uint64_t> seen;
    const CountControl control{.snapshotSeconds = 1e-9, .snapshot = [&](const CountGrids& grids) {
                                   seen.push_back(std::accumulate(grids.counts.begin(), grids.counts.end(), uint64_t{0}));
                               }};
    counter.countTo(6 * L, control);
    const uint64_t final = std::accumulate(counter.counts().begin(), counter.counts().end(), uint64_t{0});
    ASSERT_GE(seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(seen.back(), 0u);
    EXPECT_LE(seen.back(), final);
}

TEST(Counting, CountsAdoptedFromAFileGoOnAsIfCountedHere)
{
    // A counts file knows how far the orbits went, not where they stand.
    for (const char* figure : {"Sierpi", "BIFURCATION"}) {
        SCOPED_TRACE(figure);
        DensityCounter first(requestOf(figure, 1));
        first.countTo(L + 1000);
        DensityCounter atOnce(requestOf(figure, 1));
        atOnce.countTo(2 * L + 5);
        DensityCounter adopted(requestOf(figure, 2));
        adopted.adopt(first.takeGrids(), L + 1000);
        adopted.countTo(2 * L + 5);
        EXPECT_EQ(countsOf(adopted), countsOf(atOnce));
    }
}

TEST(Counting, AFailingThreadStopsTheOthersAndReachesTheCaller)
{
    // The caller's thread waits in its first orbit until another thread has
    // failed in one of its own, so the failure is surely not the caller's.
    const std::thread::id caller = std::this_thread::get_id();
    std::mutex mutex;
    std::condition_variable changed;
    bool failed = false;
    const CountControl control{.orbitStarting = [&](uint64_t) {
        std::unique_lock<std::mutex> lock(mutex);
        if (std::this_thread::get_id() == caller) {
            changed.wait_for(lock, std::chrono::seconds(10), [&] { return failed; });
            return;
        }
        failed = true;
        changed.notify_all();
        throw std::runtime_error("a row failed");
    }};
    DensityCounter counter(requestOf("Henon", 2));
    try {
        counter.countTo(8 * L, control);
        ADD_FAILURE() << "no failure reached the caller";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "a row failed");
    }
    EXPECT_TRUE(failed);
    EXPECT_LT(counter.points(), 8 * L);  // the other threads stopped
}

TEST(Counting, OneOrbitLightsThePixelsTheWindowsDrawingLights)
{
    // Orbit 0 is the window's own orbit: its density and its classic picture
    // light the same pixels, one counted in lanes, the other drawn by the
    // window's routine.
    for (const char* figure : {"Henon", "Sierpi", "Comet", "Lorenz Orbits (XZ)", "Eqn 4"}) {
        SCOPED_TRACE(figure);
        const uint64_t points = 200'000;
        DensityCounter counter(requestOf(figure, 1));
        counter.countTo(points);
        const ClassicPicture picture =
            drawClassic({.choice = chooseFigure(figure, {}), .framing = kSmall, .points = points, .seed = 3});
        uint64_t lit = 0;
        for (size_t k = 0; k < picture.pixels.size(); ++k) {
            ASSERT_EQ(counter.counts()[k] != 0, picture.pixels[k] != 0) << "pixel " << k;
            lit += picture.pixels[k] != 0;
        }
        EXPECT_GT(lit, 10u);
    }
}

// Lit pixels of a density count.
std::vector<bool> litOf(const CountRequest& request, uint64_t points)
{
    DensityCounter counter(request);
    counter.countTo(points);
    std::vector<bool> lit;
    for (const uint32_t c : counter.counts())
        lit.push_back(c != 0);
    return lit;
}

TEST(Views, ZoomTwoShowsTheMiddleHalfOfZoomOne)
{
    for (const char* figure : {"Henon", "Lorenz Orbits (XY)", "BIFURCATION"}) {
        SCOPED_TRACE(figure);
        const Framing big{.width = 320, .height = 240}, small{.width = 160, .height = 120};
        const FigureChoice choice = chooseFigure(figure, {});
        View view = windowView(planeOf(choice, big), big);
        const auto whole = litOf({.choice = choice, .framing = big, .view = view, .seed = 3}, 2'000'000);
        view.zoom = 2;
        const auto middle = litOf({.choice = choice, .framing = small, .view = view, .seed = 3}, 2'000'000);
        uint64_t differing = 0, lit = 0;
        for (int y = 0; y < small.height; ++y)
            for (int x = 0; x < small.width; ++x) {
                const bool inWhole = whole[static_cast<size_t>(y + 60) * 320 + x + 80];
                differing += inWhole != middle[static_cast<size_t>(y) * 160 + x];
                lit += inWhole;
            }
        EXPECT_GT(lit, 50u);
        EXPECT_LE(differing, lit / 50);  // a pixel's edge may fall either way
    }
}

TEST(Views, FitFramesAnOrbitThatLeavesTheWindowsFrame)
{
    // Henon's attractor is far wider than a window of 200 x 150 pixels frames.
    RenderSettings s;
    s.choice = chooseFigure("Henon", {});
    s.framing = {.frameWidth = 200, .frameHeight = 150, .width = 160, .height = 120};
    s.style = Style::Density;
    s.points = 2'000'000;
    s.fit = true;
    resolveFit(s);
    ASSERT_TRUE(s.view);
    DensityCounter counter(countRequest(s));
    counter.countTo(s.points);
    CountRequest unfitted = countRequest(s);
    unfitted.view.reset();
    DensityCounter window(unfitted);
    window.countTo(s.points);
    const auto hitsOf = [](const DensityCounter& c) {
        return std::accumulate(c.counts().begin(), c.counts().end(), uint64_t{0});
    };
    EXPECT_LT(hitsOf(window), s.points / 2);  // the window's framing loses most of it
    // Whole but for the few points of the way in: hardly a hit on the picture's
    // edge; and filling the picture one way or the other.
    uint64_t hits = 0, onEdge = 0;
    int left = kSmall.width, right = -1, top = kSmall.height, bottom = -1;
    for (int y = 0; y < kSmall.height; ++y)
        for (int x = 0; x < kSmall.width; ++x) {
            const uint32_t c = counter.counts()[static_cast<size_t>(y) * kSmall.width + x];
            hits += c;
            if (x == 0 || y == 0 || x == kSmall.width - 1 || y == kSmall.height - 1)
                onEdge += c;
            if (c > 0)
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
                bottom = std::max(bottom, y);
        }
    EXPECT_GT(hits, s.points * 9 / 10);
    EXPECT_LT(onEdge, hits / 1000);
    EXPECT_TRUE(right - left > kSmall.width * 3 / 4 || bottom - top > kSmall.height * 3 / 4)
        << left << ".." << right << " x " << top << ".." << bottom;
}

TEST(Views, RefusedWhereNoPictureCanBeMade)
{
    const FigureChoice choice = chooseFigure("Henon", {});
    const FigurePlane plane = planeOf(choice, kSmall);
    for (const View& view : {View{.zoom = 0}, View{.zoom = -2}, View{.zoom = std::nan("")}, View{.zoom = 1e300},
                             View{.centerX = 1e308, .centerY = 0, .zoom = 1e6}})
        EXPECT_THROW(checkView(view, plane, kSmall), UsageError) << view.zoom;
    EXPECT_NO_THROW(checkView(View{.centerX = 0.5, .centerY = -0.1, .zoom = 1e9}, plane, kSmall));
}

}  // namespace
}  // namespace quillon::render
