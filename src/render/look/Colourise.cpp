#include "render/look/Colourise.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "render/look/ColourSpace.h"

namespace quillon::render {
namespace {

// Linear light to sRGB samples, rounded to nearest: the light at which each
// sample value gives way to the next, searched instead of a power per
// channel of every pixel.
class Encoder {
public:
    explicit Encoder(int maxSample) : thresholds_(static_cast<size_t>(maxSample))
    {
        for (int k = 0; k < maxSample; ++k)
            thresholds_[k] = srgbToLinear((k + 0.5) / maxSample);
    }
    uint16_t operator()(double linear) const
    {
        return static_cast<uint16_t>(std::upper_bound(thresholds_.begin(), thresholds_.end(), linear) -
                                     thresholds_.begin());
    }

private:
    std::vector<double> thresholds_;
};

}  // namespace

Image colourise(const uint32_t* counts, int width, int height, int aa, ToneCurve curve,
                const Palette& palette, Rgb background, int depth)
{
    if (width <= 0 || height <= 0 || aa < 1 || (depth != 8 && depth != 16))
        throw std::invalid_argument("colourise: no picture of " + std::to_string(width) + "x" +
                                    std::to_string(height) + ", aa " + std::to_string(aa) +
                                    ", depth " + std::to_string(depth));
    const size_t countsWide = static_cast<size_t>(width) * aa;
    const Tone tone(counts, countsWide * height * aa, curve);
    const auto channel = [&](int shift) {
        return static_cast<float>(srgbToLinear(((background >> shift) & 0xFF) / 255.0));
    };
    const LinearRgb backdrop{channel(16), channel(8), channel(0)};
    Image image = Image::blank(width, height, depth);
    const Encoder encode(image.maxSample());
    const double perBlock = 1.0 / (aa * aa);

    const auto colourRows = [&](int firstRow, int endRow) {
        for (int y = firstRow; y < endRow; ++y) {
            uint16_t* out = image.at(0, y);
            for (int x = 0; x < width; ++x) {
                double r = 0, g = 0, b = 0;
                for (int j = 0; j < aa; ++j) {
                    const uint32_t* row = counts + (static_cast<size_t>(y) * aa + j) * countsWide +
                                          static_cast<size_t>(x) * aa;
                    for (int i = 0; i < aa; ++i) {
                        const LinearRgb colour = row[i] == 0 ? backdrop : palette.at(tone(row[i]));
                        r += colour.r;
                        g += colour.g;
                        b += colour.b;
                    }
                }
                *out++ = encode(r * perBlock);
                *out++ = encode(g * perBlock);
                *out++ = encode(b * perBlock);
            }
        }
    };

    const int threads = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, height);
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back(colourRows, height * t / threads, height * (t + 1) / threads);
    colourRows(0, height / threads);
    for (std::thread& worker : workers)
        worker.join();
    return image;
}

}  // namespace quillon::render
