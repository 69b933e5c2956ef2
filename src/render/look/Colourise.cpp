#include "render/look/Colourise.h"

#include <algorithm>
#include <cmath>
#include <numbers>
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
    return colourise(CountsView{.counts = counts}, width, height, aa,
                     Look{.curve = curve, .palette = &palette, .background = background, .depth = depth});
}

namespace {

// The mean of a coloured pixel, 0 to 1.
double meanOf(const CountsView& v, size_t k)
{
    if (v.values)
        return static_cast<double>(v.values[k]) / (static_cast<double>(v.counts[k]) * 65535.0);
    const double angle = std::atan2(static_cast<double>(v.sines[k]), static_cast<double>(v.cosines[k]));
    const double turn = angle / (2 * std::numbers::pi);
    return turn < 0 ? turn + 1 : turn;
}

// A pixel's colour from its palette colour and its light, as ToneControls says.
LinearRgb lit(const LinearRgb& c, double x, double alpha, const Tone& tone, const LinearRgb& backdrop)
{
    const ToneControls& k = tone.controls();
    double rgb[3] = {c.r, c.g, c.b};
    for (double& channel : rgb) {
        const double whole = alpha * channel;
        channel = k.vibrancy == 1 ? whole : k.vibrancy * whole + (1 - k.vibrancy) * tone.alpha(x * channel);
    }
    const double brightest = std::max({rgb[0], rgb[1], rgb[2]});
    if (brightest > 1) {
        if (k.highlight < 0) {
            for (double& channel : rgb)
                channel = std::min(channel, 1.0);
        } else {
            const double white = 1 - std::pow(1 / brightest, k.highlight);
            for (double& channel : rgb)
                channel = channel / brightest * (1 - white) + white;
        }
    }
    const double behind = 1 - std::clamp(alpha, 0.0, 1.0);
    return {static_cast<float>(rgb[0] + backdrop.r * behind), static_cast<float>(rgb[1] + backdrop.g * behind),
            static_cast<float>(rgb[2] + backdrop.b * behind)};
}

}  // namespace

namespace {

void checkPicture(int width, int height, int aa, int depth)
{
    if (width <= 0 || height <= 0 || aa < 1 || (depth != 8 && depth != 16))
        throw std::invalid_argument("colourise: no picture of " + std::to_string(width) + "x" +
                                    std::to_string(height) + ", aa " + std::to_string(aa) +
                                    ", depth " + std::to_string(depth));
}

}  // namespace

Image colourise(const CountsView& view, int width, int height, int aa, const Look& look)
{
    checkPicture(width, height, aa, look.depth);
    const size_t countsWide = static_cast<size_t>(width) * aa;
    const Tone tone(view.counts, countsWide * height * aa, look.curve, look.controls,
                    look.scale ? &*look.scale : nullptr);
    return colourise(view, width, height, aa, look, tone);
}

Image colourise(const CountsView& view, int width, int height, int aa, const Look& look, const Tone& tone)
{
    const int depth = look.depth;
    const uint32_t* counts = view.counts;
    const Palette& palette = *look.palette;
    const Rgb background = look.background;
    checkPicture(width, height, aa, depth);
    const size_t countsWide = static_cast<size_t>(width) * aa;
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
                    const size_t first = (static_cast<size_t>(y) * aa + j) * countsWide + static_cast<size_t>(x) * aa;
                    const uint32_t* row = counts + first;
                    for (int i = 0; i < aa; ++i) {
                        LinearRgb colour = backdrop;
                        if (row[i] != 0) {
                            const double scaled = tone.scaled(static_cast<double>(tone(row[i])));
                            colour = view.coloured() ? lit(palette.at(meanOf(view, first + i)), scaled,
                                                           tone.alpha(scaled), tone, backdrop)
                                                     : palette.at(tone.alpha(scaled));
                        }
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
