#include "render/look/Colourise.h"

#include <algorithm>
#include <array>
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
// sample value gives way to the next, found instead of a power per channel of
// every pixel. A table by the light's leading bits says where to start among
// them; from there a step or two finds it (a search from the start was most
// of a picture's colouring time). Made once for each depth.
class Encoder {
public:
    static const Encoder& forDepth(int depth)
    {
        if (depth == 16) {
            static const Encoder sixteen(65535, 20);
            return sixteen;
        }
        static const Encoder eight(255, 14);
        return eight;
    }

    // The number of thresholds at or below the light: 0 below the first,
    // the largest sample from the last up (not-a-number too).
    uint16_t operator()(double linear) const
    {
        if (linear < thresholds_.front())
            return 0;
        if (!(linear < thresholds_.back()))
            return static_cast<uint16_t>(thresholds_.size());
        // Within [0, 1) here, so that the scaling by a power of two is exact
        // and the start is never past the answer.
        size_t k = start_[static_cast<size_t>(linear * buckets_)];
        while (thresholds_[k] <= linear)
            ++k;
        return static_cast<uint16_t>(k);
    }

private:
    Encoder(int maxSample, int bits) : thresholds_(static_cast<size_t>(maxSample)), buckets_(std::ldexp(1.0, bits))
    {
        for (int k = 0; k < maxSample; ++k)
            thresholds_[k] = srgbToLinear((k + 0.5) / maxSample);
        start_.resize(size_t{1} << bits);
        size_t k = 0;
        for (size_t b = 0; b < start_.size(); ++b) {
            const double from = static_cast<double>(b) / buckets_;
            while (k < thresholds_.size() && thresholds_[k] <= from)
                ++k;
            start_[b] = static_cast<uint32_t>(k);
        }
    }

    std::vector<double> thresholds_;
    double buckets_;
    std::vector<uint32_t> start_;  // the thresholds at or below each bucket's start
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

// The most counts coloured one by one ahead of the pixels.
constexpr uint64_t kMostTabled = uint64_t{1} << 20;

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
    const Encoder& encode = Encoder::forDepth(depth);
    const double perBlock = 1.0 / (aa * aa);

    // Without a colour of the orbit, a count's colour depends on the count
    // alone: where the counts are few beside the pixels, each count is
    // coloured once (and at one sample a pixel, encoded once).
    const size_t samples = countsWide * static_cast<size_t>(height) * aa;
    const uint64_t largest = tone.largest();
    std::vector<LinearRgb> byCount;
    std::vector<std::array<uint16_t, 3>> encodedByCount;
    if (!view.coloured() && largest < kMostTabled && largest < samples / 4) {
        byCount.resize(largest + 1);
        byCount[0] = backdrop;
        for (uint32_t count = 1; count <= largest; ++count)
            byCount[count] = palette.at(tone.alpha(tone.scaled(static_cast<double>(tone(count)))));
        if (aa == 1) {
            encodedByCount.resize(largest + 1);
            for (size_t count = 0; count <= largest; ++count) {
                const LinearRgb& c = byCount[count];
                encodedByCount[count] = {encode(static_cast<double>(c.r) * perBlock),
                                         encode(static_cast<double>(c.g) * perBlock),
                                         encode(static_cast<double>(c.b) * perBlock)};
            }
        }
    }

    const auto colourRows = [&](int firstRow, int endRow) {
        for (int y = firstRow; y < endRow; ++y) {
            uint16_t* out = image.at(0, y);
            if (!encodedByCount.empty()) {
                const uint32_t* row = counts + static_cast<size_t>(y) * countsWide;
                for (int x = 0; x < width; ++x) {
                    const auto& rgb = encodedByCount[row[x]];
                    *out++ = rgb[0];
                    *out++ = rgb[1];
                    *out++ = rgb[2];
                }
                continue;
            }
            for (int x = 0; x < width; ++x) {
                double r = 0, g = 0, b = 0;
                for (int j = 0; j < aa; ++j) {
                    const size_t first = (static_cast<size_t>(y) * aa + j) * countsWide + static_cast<size_t>(x) * aa;
                    const uint32_t* row = counts + first;
                    for (int i = 0; i < aa; ++i) {
                        LinearRgb colour = backdrop;
                        if (!byCount.empty()) {
                            colour = byCount[row[i]];
                        } else if (row[i] != 0) {
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
