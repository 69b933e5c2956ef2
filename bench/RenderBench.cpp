#include "RenderBench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#include "render/image/PngFile.h"
#include "render/engine/Render.h"

namespace quillon::bench {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

constexpr int kWidth = 4096, kHeight = 3072;  // a 1024 x 768 frame at scale 4

render::RenderSettings henonPoster(uint64_t points, int threads)
{
    render::RenderSettings s;
    s.choice = render::chooseFigure("Henon", {});
    s.framing = {.width = kWidth, .height = kHeight};
    s.scale = 4;
    s.style = render::Style::Density;
    s.points = points;
    s.threads = threads;
    return s;
}

// Points per second of the renderer's density counting.
double countingRate(uint64_t points, int threads)
{
    const render::RenderSettings s = henonPoster(points, threads);
    const auto start = Clock::now();
    const render::DensityCounter counts = render::countPicture(s);
    const double seconds = secondsSince(start);
    if (counts.counts().empty())
        std::printf("(nothing counted)\n");
    return points / seconds;
}

// The same work written as one bare loop: the Henon step with a = 1.4, b = 0.3,
// the point to its pixel of a 1024 x 768 frame at scale 4, one more hit in a
// 4096 x 3072 histogram.
double bareRate(uint64_t points)
{
    const auto start = Clock::now();
    std::vector<uint32_t> histogram(static_cast<size_t>(kWidth) * kHeight, 0);
    const double offsetX = 1024 * 15.0 / 2, offsetY = 768 * 15.0 / 2;
    const float toPixelX = static_cast<float>(kWidth / (1024 * 15.0));
    const float toPixelY = static_cast<float>(kHeight / (768 * 15.0));
    double x = 0, y = 0;
    for (uint64_t k = 0; k < points; ++k) {
        const double xNew = (1 + y) - x * x * 1.4;
        const double yNew = 0.3 * x;
        const float px = static_cast<float>(xNew * 3000 + offsetX) * toPixelX;
        const float py = static_cast<float>(yNew * 6000 + offsetY) * toPixelY;
        if (px >= 0 && py >= 0 && px < kWidth && py < kHeight)
            ++histogram[static_cast<size_t>(py) * kWidth + static_cast<size_t>(px)];
        x = xNew;
        y = yNew;
    }
    const double seconds = secondsSince(start);
    if (histogram[0] == 12345)  // keeps the loop from being dropped
        std::printf(" ");
    return points / seconds;
}

}  // namespace

void printRenderRows()
{
    constexpr uint64_t kPoints = 200'000'000;
    constexpr int kTrials = 3;
    // Trials alternate between the two, and the median ratio is reported.
    std::vector<std::pair<double, double>> trials;
    for (int k = 0; k < kTrials; ++k)
        trials.emplace_back(countingRate(kPoints, 1), bareRate(kPoints));
    std::sort(trials.begin(), trials.end(),
              [](const auto& p, const auto& q) { return p.first / p.second < q.first / q.second; });
    const auto [counted, bare] = trials[kTrials / 2];
    std::printf("render henon density 1 thread points/s: %.3g\n", counted);
    std::printf("bare henon density points/s: %.3g\n", bare);
    std::printf("render henon density 1 thread: ratio %.2f\n", counted / bare);

    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<double> speedups;
    for (int k = 0; k < kTrials; ++k) {
        const double one = countingRate(5 * kPoints, 1);
        speedups.push_back(countingRate(5 * kPoints, cores) / one);
    }
    std::sort(speedups.begin(), speedups.end());
    std::printf("render henon threads speedup (%d threads): %.2f\n", cores, speedups[kTrials / 2]);

    // A poster from the settings to the file, as the command draws it.
    const auto start = Clock::now();
    const render::RenderSettings s = henonPoster(1'000'000'000, cores);
    const render::RenderResult result = render::render(s);
    const auto path = std::filesystem::temp_directory_path() / "quillon-bench-poster.png";
    render::writePng(path.string(), result.image, render::metadataOf(s, result.caption));
    const double seconds = secondsSince(start);
    std::printf("render henon 1e9 points 4096x3072 with png seconds: %.2f (%.0f kB)\n", seconds,
                std::filesystem::file_size(path) / 1024.0);
    std::filesystem::remove(path);
}

}  // namespace quillon::bench
