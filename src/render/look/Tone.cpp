#include "render/look/Tone.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace quillon::render {
namespace {

// Up to this largest count the tones are a table indexed by count: one pass
// over the pixels and at most one logarithm per possible count, instead of
// one per pixel. Above it (a figure that piles most of its hits on a few
// pixels) the counts that occur are sorted instead.
constexpr uint32_t kTableLimit = 1u << 24;

float logTone(uint32_t count, uint32_t largest)
{
    return static_cast<float>(std::log1p(static_cast<double>(count)) /
                              std::log1p(static_cast<double>(largest)));
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
    return std::nullopt;
}

Tone::Tone(const uint32_t* counts, size_t n, ToneCurve curve) : curve_(curve)
{
    largest_ = n == 0 ? 0 : *std::max_element(counts, counts + n);
    if (largest_ == 0)
        return;

    if (largest_ < kTableLimit && largest_ <= std::max<size_t>(n, 1u << 16)) {
        byCount_.resize(static_cast<size_t>(largest_) + 1);
        if (curve == ToneCurve::Log) {
            for (uint32_t count = 1; count <= largest_; ++count)
                byCount_[count] = logTone(count, largest_);
            return;
        }
        std::vector<uint32_t> pixels(byCount_.size());
        for (size_t i = 0; i < n; ++i)
            ++pixels[counts[i]];
        const uint32_t smallest = static_cast<uint32_t>(
            std::find_if(pixels.begin() + 1, pixels.end(), [](uint32_t p) { return p > 0; }) - pixels.begin());
        const Equalizer equalize(n - pixels[0], pixels[smallest]);
        size_t atMost = 0;
        for (uint32_t count = 1; count <= largest_; ++count) {
            atMost += pixels[count];
            byCount_[count] = equalize(atMost);
        }
        return;
    }

    if (curve == ToneCurve::Log)
        return;  // few pixels this bright and no table this large: computed when asked
    std::vector<uint32_t> lit;
    std::copy_if(counts, counts + n, std::back_inserter(lit), [](uint32_t c) { return c > 0; });
    std::sort(lit.begin(), lit.end());
    const size_t atSmallest = static_cast<size_t>(std::upper_bound(lit.begin(), lit.end(), lit.front()) - lit.begin());
    const Equalizer equalize(lit.size(), atSmallest);
    for (size_t i = 0; i < lit.size(); ++i) {
        if (i + 1 < lit.size() && lit[i + 1] == lit[i])
            continue;
        distinct_.push_back(lit[i]);
        distinctTones_.push_back(equalize(i + 1));
    }
}

float Tone::operator()(uint32_t count) const
{
    if (count == 0)
        return 0.0f;
    if (count >= largest_)
        return 1.0f;
    if (!byCount_.empty())
        return byCount_[count];
    if (curve_ == ToneCurve::Log)
        return logTone(count, largest_);
    const auto above = std::upper_bound(distinct_.begin(), distinct_.end(), count);
    return above == distinct_.begin() ? kEqualizedFloor : distinctTones_[above - distinct_.begin() - 1];
}

}  // namespace quillon::render
