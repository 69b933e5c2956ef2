// Time of the renderer's output stages on a poster-sized density picture:
// colouring 4096 x 3072 pixels (plain and 2 x 2 supersampled) and writing them
// as PNG at 8 and 16 bits. Prints the median of three runs of each, and the
// file sizes.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "render/look/Colourise.h"
#include "render/image/PngFile.h"

namespace {

using namespace quillon::render;

constexpr int kWidth = 4096, kHeight = 3072;
constexpr int kTrials = 3;

// Hits of a Peter de Jong map orbit: a picture with a dark surround, bright
// folds and the grain of a finite count, as a real density picture has.
std::vector<uint32_t> densityCounts(int aa, long points)
{
    const int wide = kWidth * aa, high = kHeight * aa;
    std::vector<uint32_t> counts(static_cast<size_t>(wide) * high);
    double x = 0.1, y = 0.1;
    for (long i = 0; i < points; ++i) {
        const double nx = std::sin(1.4 * y) - std::cos(-2.3 * x);
        y = std::sin(2.4 * x) - std::cos(-2.1 * y);
        x = nx;
        const int px = static_cast<int>((x + 2.2) / 4.4 * wide);
        const int py = static_cast<int>((y + 2.2) / 4.4 * high);
        if (px >= 0 && px < wide && py >= 0 && py < high)
            ++counts[static_cast<size_t>(py) * wide + px];
    }
    return counts;
}

double medianSeconds(const std::function<void()>& work)
{
    std::vector<double> seconds;
    for (int trial = 0; trial < kTrials; ++trial) {
        const auto start = std::chrono::steady_clock::now();
        work();
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[kTrials / 2];
}

}  // namespace

int main()
{
    const Palette palette = *Palette::named("ember");
    const auto path = std::filesystem::temp_directory_path() / "quillon-render-output-bench.png";
    for (const int aa : {1, 2}) {
        const std::vector<uint32_t> counts = densityCounts(aa, 30'000'000L * aa * aa);
        for (const int depth : {8, 16}) {
            Image image;
            const double colouring = medianSeconds([&] {
                image = colourise(counts.data(), kWidth, kHeight, aa, ToneCurve::Log, palette, 0x000000, depth);
            });
            const double writing = medianSeconds([&] { writePng(path.string(), image, {{"Title", "bench"}}); });
            std::printf("%dx%d aa %d, %2d bits: colourise %.3f s, writePng %.3f s, %.1f MB\n", kWidth, kHeight,
                        aa, depth, colouring, writing, std::filesystem::file_size(path) / 1e6);
        }
    }
    std::filesystem::remove(path);
}
