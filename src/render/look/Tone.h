// The tone of a density picture: how a pixel's count of orbit hits becomes a
// value from 0 to 1 for the palette. A count of 0 is the background and has
// no tone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quillon::render {

enum class ToneCurve {
    Log,        // log(1 + count) / log(1 + most): detail across orders of magnitude
    Equalized,  // by rank among the lit pixels: every tone used by as many pixels
};

// "log" or "eq".
std::optional<ToneCurve> toneCurveNamed(std::string_view name);

class Tone {
public:
    // Looks at every count once; the tones of the counts are then a lookup.
    Tone(const uint32_t* counts, size_t n, ToneCurve curve);

    // The tone of a count, in (0, 1] for counts from 1 to the largest; 0 for 0.
    float operator()(uint32_t count) const;

    uint32_t largest() const { return largest_; }

    // The least-hit pixels' tone under Equalized: faint, but apart from the
    // background, about where Log puts one hit against a thousand.
    static constexpr float kEqualizedFloor = 0.1f;

private:
    ToneCurve curve_;
    uint32_t largest_ = 0;
    // Either the tone of every count up to the largest, or, where the largest
    // count is far above the number of pixels, the counts that occur, sorted,
    // with their tones.
    std::vector<float> byCount_;
    std::vector<uint32_t> distinct_;
    std::vector<float> distinctTones_;
};

}  // namespace quillon::render
