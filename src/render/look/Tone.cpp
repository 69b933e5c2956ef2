#include "render/look/Tone.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "render/image/UsageError.h"

namespace quillon::render {
namespace {

// Up to this largest count the tones are a table indexed by count: one pass
// over the pixels and at most one logarithm per possible count, instead of
// one per pixel. Above it (a figure that piles most of its hits on a few
// pixels) the counts that occur are sorted instead.
constexpr uint32_t kTableLimit = 1u << 24;

float logTone(uint32_t count, double largest)
{
    return std::min(1.0f, static_cast<float>(std::log1p(static_cast<double>(count)) / std::log1p(largest)));
}

float flameTone(uint32_t count, double largest, double perPixel)
{
    return std::min(1.0f, static_cast<float>(std::log1p(static_cast<double>(count) / perPixel) /
                                             std::log1p(largest / perPixel)));
}

// The fraction of lit pixels with at most this count, stretched so that the
// smallest count present gets the floor and the largest 1.
class Equalizer {
public:
    Equalizer(size_t lit, size_t atSmallest)
        : lit_(static_cast<double>(lit)), atSmallest_(static_cast<double>(atSmallest))
    {
    }
    float operator()(size_t atMost) const
    {
        if (atSmallest_ >= lit_)  // a single count: all lit pixels are equally lit
            return 1.0f;
        const double stretched = (static_cast<double>(atMost) - atSmallest_) / (lit_ - atSmallest_);
        return static_cast<float>(Tone::kEqualizedFloor +
                                  (1 - Tone::kEqualizedFloor) * std::max(stretched, 0.0));
    }

private:
    double lit_, atSmallest_;
};

}  // namespace

std::optional<ToneCurve> toneCurveNamed(std::string_view name)
{
    if (name == "log")
        return ToneCurve::Log;
    if (name == "eq")
        return ToneCurve::Equalized;
    if (name == "flame")
        return ToneCurve::Flame;
    return std::nullopt;
}

const char* toneCurveName(ToneCurve curve)
{
    switch (curve) {
    case ToneCurve::Log: return "log";
    case ToneCurve::Equalized: return "eq";
    case ToneCurve::Flame: return "flame";
    }
    return "log";
}

ToneControls ToneControls::defaultsFor(ToneCurve curve)
{
    if (curve == ToneCurve::Flame)
        return {.brightness = 4, .gamma = 4, .gammaThreshold = 0.01, .vibrancy = 1, .highlight = -1, .exposure = 0};
    return {};
}

bool ToneControls::neutral() const
{
    return brightness == 4 && gamma == 1 && gammaThreshold == 0 && exposure == 0;
}

void ToneControls::check() const
{
    const auto within = [](const char* name, double value, double low, double high) {
        if (!(value >= low && value <= high))
            throw SettingError(name, std::to_string(value) + " is outside " + std::to_string(low).substr(0, 4) +
                                         " to " + std::to_string(high).substr(0, 5));
    };
    within("brightness", brightness, 0.001, 1000);
    within("gamma", gamma, 0.1, 10);
    within("gamma-threshold", gammaThreshold, 0, 1);
    within("vibrancy", vibrancy, 0, 1);
    within("highlight", highlight, -1, 10);
    within("exposure", exposure, -20, 20);
}

double Tone::alpha(double x) const
{
    if (neutral_)
        return x;
    const double inverse = 1 / controls_.gamma;
    if (x >= controls_.gammaThreshold)
        return std::pow(x, inverse);
    // A straight line from 0 that meets the curve at the threshold.
    return x * std::pow(controls_.gammaThreshold, inverse - 1);
}

ToneScale toneScaleOf(const uint32_t* counts, size_t n)
{
    ToneScale scale;
    double hits = 0;
    uint32_t largest = 0;
    for (size_t i = 0; i < n; ++i) {
        hits += counts[i];
        largest = std::max(largest, counts[i]);
    }
    scale.largest = largest;
    scale.perPixel = n ? hits / static_cast<double>(n) : 0;
    return scale;
}

void CountSummary::add(const uint32_t* counts, size_t n)
{
    pixels_ += n;
    uint64_t hits = 0;
    uint32_t largest = largest_;
    for (size_t i = 0; i < n; ++i) {
        hits += counts[i];
        largest = std::max(largest, counts[i]);
    }
    hits_ += hits;
    largest_ = largest;
    if (!histogram_)
        return;
    if (dense_.empty())
        dense_.resize(kDense);
    std::vector<uint32_t> above;
    for (size_t i = 0; i < n; ++i) {
        if (counts[i] < kDense)
            ++dense_[counts[i]];
        else
            above.push_back(counts[i]);
    }
    std::sort(above.begin(), above.end());
    for (size_t i = 0; i < above.size();) {
        size_t j = i;
        while (j < above.size() && above[j] == above[i])
            ++j;
        sparse_[above[i]] += j - i;
        i = j;
    }
}

std::vector<std::pair<uint32_t, uint64_t>> CountSummary::histogram() const
{
    std::vector<std::pair<uint32_t, uint64_t>> result;
    for (uint32_t count = 1; count < dense_.size(); ++count)
        if (dense_[count])
            result.emplace_back(count, dense_[count]);
    result.insert(result.end(), sparse_.begin(), sparse_.end());
    return result;
}

Tone::Tone(const uint32_t* counts, size_t n, ToneCurve curve, const ToneControls& controls, const ToneScale* scale)
    : Tone(
          [&] {
              CountSummary summary(curve == ToneCurve::Equalized);
              summary.add(counts, n);
              return summary;
          }(),
          curve, controls, scale)
{
}

Tone::Tone(const CountSummary& summary, ToneCurve curve, const ToneControls& controls, const ToneScale* scale)
    : curve_(curve), controls_(controls), neutral_(controls.neutral()),
      scale_(controls.brightness / 4 * std::exp2(controls.exposure))
{
    const uint64_t n = summary.pixels();
    largest_ = summary.largest();
    scaleLargest_ = scale && scale->largest >= 1 ? scale->largest : largest_;
    given_ = scale && scale->largest >= 1;
    if (largest_ == 0)
        return;
    if (curve == ToneCurve::Flame)
        perPixel_ = std::max(given_ ? scale->perPixel : static_cast<double>(summary.hits()) / static_cast<double>(n),
                             1e-9);

    const bool table = largest_ < kTableLimit && largest_ <= std::max<uint64_t>(n, 1u << 16);
    if (table)
        byCount_.resize(static_cast<size_t>(largest_) + 1);
    if (curve == ToneCurve::Log || curve == ToneCurve::Flame) {
        // Without a table, few pixels are this bright: computed when asked.
        for (uint32_t count = 1; table && count <= largest_; ++count)
            byCount_[count] = curve == ToneCurve::Log ? logTone(count, scaleLargest_)
                                                      : flameTone(count, scaleLargest_, perPixel_);
        return;
    }
    // Equalized: a count's tone is the share of lit pixels with at most that count.
    const auto histogram = summary.histogram();
    uint64_t lit = 0;
    for (const auto& [count, pixels] : histogram)
        lit += pixels;
    const Equalizer equalize(lit, histogram.front().second);
    if (table) {
        uint64_t atMost = 0;
        auto next = histogram.begin();
        for (uint32_t count = 1; count <= largest_; ++count) {
            if (next != histogram.end() && next->first == count)
                atMost += (next++)->second;
            byCount_[count] = equalize(atMost);
        }
        return;
    }
    uint64_t atMost = 0;
    for (const auto& [count, pixels] : histogram) {
        atMost += pixels;
        distinct_.push_back(count);
        distinctTones_.push_back(equalize(atMost));
    }
}

float Tone::operator()(uint32_t count) const
{
    if (count == 0)
        return 0.0f;
    if (count >= largest_ && !given_)
        return 1.0f;
    if (!byCount_.empty() && count < byCount_.size())
        return byCount_[count];
    if (curve_ == ToneCurve::Log)
        return logTone(count, scaleLargest_);
    if (curve_ == ToneCurve::Flame)
        return flameTone(count, scaleLargest_, perPixel_);
    if (count >= largest_)
        return 1.0f;
    const auto above = std::upper_bound(distinct_.begin(), distinct_.end(), count);
    return above == distinct_.begin() ? kEqualizedFloor : distinctTones_[above - distinct_.begin() - 1];
}

}  // namespace quillon::render
