#include "RenderBench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#include "BareMaps.h"
#include "render/engine/Bands.h"
#include "render/engine/OrbitColouring.h"
#include "render/engine/CountsRender.h"
#include "render/engine/Render.h"
#include "render/image/PngFile.h"
#include "render/video/Video.h"

namespace quillon::bench {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

constexpr int kTrials = 3;  // alternating between the two loops; the median ratio is reported

render::RenderSettings densitySettings(const char* figure, int width, int height, uint64_t points, int threads)
{
    render::RenderSettings s;
    s.choice = render::chooseFigure(figure, {});
    s.framing = {.width = width, .height = height};
    s.style = render::Style::Density;
    s.points = points;
    s.threads = threads;
    return s;
}

// Points per second of the renderer's density counting.
double countingRate(const render::RenderSettings& s)
{
    const auto start = Clock::now();
    const render::DensityCounter counter = render::countPicture(s);
    const double seconds = secondsSince(start);
    if (counter.counts().empty())
        std::printf("(nothing counted)\n");
    return static_cast<double>(s.points) / seconds;
}

// The same work written as one bare loop: the map's step with the figure's
// default parameters, the point to its pixel of a 1024 x 768 frame shown at
// the picture's size, one more hit in a uint32 histogram; one orbit.
template <typename Map>
double bareRate(uint64_t points, int width, int height)
{
    constexpr BareCanvas canvas = Map::canvas;
    const auto start = Clock::now();
    std::vector<uint32_t> histogram(static_cast<size_t>(width) * height, 0);
    const double offsetX = 1024 * 15.0 / canvas.qx, offsetY = 768 * 15.0 / canvas.qy;
    const float toPixelX = static_cast<float>(width / (1024 * 15.0));
    const float toPixelY = static_cast<float>(height / (768 * 15.0));
    double x = 0, y = 0;
    uint32_t random = 12345;
    for (uint64_t k = 0; k < points; ++k) {
        const BarePoint p = Map::step(x, y, random);
        const float px = static_cast<float>(p.u * canvas.kx + offsetX) * toPixelX;
        const float py = static_cast<float>(p.v * canvas.ky + offsetY) * toPixelY;
        if (px >= 0 && py >= 0 && px < width && py < height)
            ++histogram[static_cast<size_t>(py) * width + static_cast<size_t>(px)];
    }
    const double seconds = secondsSince(start);
    if (histogram[0] == 12345)  // keeps the loop from being dropped
        std::printf(" ");
    return static_cast<double>(points) / seconds;
}

template <typename Map>
void printRatio(const char* name, const char* figure, int width, int height, uint64_t points)
{
    const render::RenderSettings s = densitySettings(figure, width, height, points, 1);
    std::vector<std::pair<double, double>> trials;
    for (int k = 0; k < kTrials; ++k)
        trials.emplace_back(countingRate(s), bareRate<Map>(points, width, height));
    std::sort(trials.begin(), trials.end(),
              [](const auto& p, const auto& q) { return p.first / p.second < q.first / q.second; });
    const auto [counted, bare] = trials[kTrials / 2];
    std::printf("render %s density 1 thread (%dx%d) points/s: %.3g\n", name, width, height, counted);
    std::printf("bare %s density (%dx%d) points/s: %.3g\n", name, width, height, bare);
    std::printf("render %s density 1 thread (%dx%d): ratio %.2f\n", name, width, height, counted / bare);
}

// Counting with a colour by the orbit against counting the density alone,
// in the same run, one thread each.
void printColourRatio(quillon::OrbitColour colour)
{
    render::RenderSettings density = densitySettings("Henon", 1024, 768, 100'000'000, 1);
    render::RenderSettings coloured = density;
    coloured.colour = colour;
    render::resolveColourRange(coloured);
    std::vector<double> ratios;
    for (int k = 0; k < kTrials; ++k) {
        const double alone = countingRate(density);
        ratios.push_back(countingRate(coloured) / alone);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("render henon colour-by %s 1 thread: ratio %.2f (of the density row)\n",
                render::orbitColourName(colour), ratios[kTrials / 2]);
}

}  // namespace

void printRenderRows()
{
    printRatio<HenonMap>("henon", "Henon", 1024, 768, 200'000'000);
    for (const quillon::OrbitColour colour : {quillon::OrbitColour::Speed, quillon::OrbitColour::Angle})
        printColourRatio(colour);
    printRatio<HenonMap>("henon", "Henon", 4096, 3072, 200'000'000);
    printRatio<SierpinskiMap>("chaos game", "Sierpi", 1024, 768, 100'000'000);
    printRatio<HopalongMap>("hopalong", "Hopalong", 1024, 768, 50'000'000);

    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<double> speedups;
    for (int k = 0; k < kTrials; ++k) {
        const double one = countingRate(densitySettings("Henon", 4096, 3072, 1'000'000'000, 1));
        speedups.push_back(countingRate(densitySettings("Henon", 4096, 3072, 1'000'000'000, cores)) / one);
    }
    std::sort(speedups.begin(), speedups.end());
    std::printf("render henon threads speedup (%d threads): %.2f\n", cores, speedups[kTrials / 2]);

    // A poster from the settings to the file, as the command draws it.
    const auto start = Clock::now();
    const render::RenderSettings s = densitySettings("Henon", 4096, 3072, 1'000'000'000, cores);
    const render::RenderResult result = render::render(s);
    const auto path = std::filesystem::temp_directory_path() / "quillon-bench-poster.png";
    render::writePng(path.string(), result.image, render::metadataOf(s, result.caption));
    const double seconds = secondsSince(start);
    std::printf("render henon 1e9 points 4096x3072 with png seconds: %.2f (%.0f kB)\n", seconds,
                std::filesystem::file_size(path) / 1024.0);
    std::filesystem::remove(path);
    printRetoneRows();
    printBandRows();
}

void printRetoneRows()
{
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const auto path = std::filesystem::temp_directory_path() / "quillon-bench-retone.png";

    // A poster's counts kept, and coloured again from the file with another
    // look: reading the counts, the colouring and the PNG, no counting.
    const auto counts = std::filesystem::temp_directory_path() / "quillon-bench-counts.exr";
    const auto keepStart = Clock::now();
    render::renderKeepingCounts(densitySettings("Henon", 4096, 3072, 100'000'000, cores), "", counts.string());
    std::printf("render henon 1e8 points 4096x3072 keeping counts seconds: %.2f (%.0f kB)\n",
                secondsSince(keepStart), std::filesystem::file_size(counts) / 1024.0);
    std::vector<double> retones;
    for (int k = 0; k < kTrials; ++k) {
        const auto retoneStart = Clock::now();
        const render::StoredCounts stored = render::readStoredCounts(counts.string());
        render::RenderSettings look = stored.settings;
        look.tone = "flame";
        look.controls = render::ToneControls::defaultsFor(render::ToneCurve::Flame);
        look.palette = "ocean";
        render::retoneToFile(stored, look, path.string());
        retones.push_back(secondsSince(retoneStart));
    }
    std::sort(retones.begin(), retones.end());
    std::printf("render retone 4096x3072 seconds: %.2f\n", retones[kTrials / 2]);
    std::filesystem::remove(path);
    std::filesystem::remove(counts);
}

void printMotionRows()
{
    // Frames a second of a moving 1280x720 density video, 1e7 points a frame,
    // every core counting; the frames as movingFrames hands them to ffmpeg.
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    render::RenderSettings s = densitySettings("Henon", 1280, 720, 10'000'000, cores);
    s.depth = 8;
    struct Row {
        const char* name;
        render::Motion motion;
    };
    const Row rows[] = {
        {"morph", render::Motion{.morphs = {{"a", 1.2, 1.4}}}},
        {"zoom path", render::Motion{.zoomTo = render::View{.centerX = 0.63, .centerY = 0.19, .zoom = 300}}},
    };
    for (const Row& row : rows) {
        const render::VideoSettings video{.seconds = 1, .fps = 24, .motion = row.motion};
        uint64_t frames = 0;
        const auto start = Clock::now();
        render::movingFrames(s, video, [&](const std::vector<uint8_t>&) { ++frames; });
        std::printf("render henon %s 1280x720 1e7 points a frame (%d threads) frames/s: %.1f\n", row.name, cores,
                    static_cast<double>(frames) / secondsSince(start));
    }
}

void printBandRows()
{
    // A poster made in four bands against the same poster made whole: each
    // band runs every orbit again, so the aim is at most four countings of
    // the whole picture plus a tenth, for the scratch file and the tone.
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const render::RenderSettings s = densitySettings("Henon", 4096, 3072, 300'000'000, cores);
    const auto path = std::filesystem::temp_directory_path() / "quillon-bench-bands.png";
    constexpr int kBands = 4;
    std::vector<double> counting, whole, banded;
    for (int k = 0; k < kTrials; ++k) {
        auto start = Clock::now();
        render::countPicture(s);
        counting.push_back(secondsSince(start));
        start = Clock::now();
        render::renderToFile(s, path.string());
        whole.push_back(secondsSince(start));
        start = Clock::now();
        render::renderInBands(s, path.string(), render::BandPlan{.bands = kBands, .rows = 3072 / kBands});
        banded.push_back(secondsSince(start));
    }
    for (auto* times : {&counting, &whole, &banded})
        std::sort(times->begin(), times->end());
    const double count = counting[kTrials / 2], made = whole[kTrials / 2], bands = banded[kTrials / 2];
    std::printf("render henon 3e8 points 4096x3072 counting seconds: %.2f\n", count);
    std::printf("render henon 3e8 points 4096x3072 whole poster seconds: %.2f\n", made);
    std::printf("render henon 3e8 points 4096x3072 in %d bands seconds: %.2f\n", kBands, bands);
    std::printf("render banded poster cost against bands x counting: %.2f\n", bands / (kBands * count));
    std::filesystem::remove(path);
}

}  // namespace quillon::bench
