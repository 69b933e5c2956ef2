// The tone of a density picture: how a pixel's count of orbit hits becomes a
// value from 0 to 1 for the palette. A count of 0 is the background and has
// no tone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon::render {

enum class ToneCurve {
    Log,        // log(1 + count) / log(1 + most): detail across orders of magnitude
    Equalized,  // by rank among the lit pixels: every tone used by as many pixels
    // As flame renderers tone: log(1 + count / q) / log(1 + most / q), q the
    // hits a pixel has on average; with the flame renderers' controls.
    Flame,
};

// "log", "eq" or "flame".
std::optional<ToneCurve> toneCurveNamed(std::string_view name);
const char* toneCurveName(ToneCurve curve);

// The controls flame renderers settled on, applied to a tone t:
//   x = t * brightness / 4 * 2^exposure
//   alpha = x^(1/gamma) from gammaThreshold up, below it a straight line from
//           0 to the curve (so that the sparse pixels are not noise)
// A density picture takes its colour from the palette at alpha. A picture
// coloured by the orbit takes the palette's colour C of its mean value and
//   colour = vibrancy * alpha * C + (1 - vibrancy) * (x C)^(1/gamma)
// (vibrancy 1: the gamma brightens the colour as a whole; 0: each channel on
// its own, which washes colours out), over the background by alpha; a colour
// brighter than white keeps its hue and turns white by the share
// 1 - (1/brightest channel)^highlight, or with highlight below 0 clips.
struct ToneControls {
    double brightness = 4, gamma = 1, gammaThreshold = 0, vibrancy = 1, highlight = -1, exposure = 0;
    bool operator==(const ToneControls&) const = default;

    // The flame renderers' published defaults for Flame (brightness 4, gamma 4,
    // threshold 0.01, vibrancy 1, highlight -1); for Log and Eq the ones that
    // leave the tone as it is.
    static ToneControls defaultsFor(ToneCurve curve);
    // The controls leave the tone as it is.
    bool neutral() const;
    // Throws SettingError naming the first control out of its range.
    void check() const;
};

// What the log and flame curves scale a picture's counts by: its largest
// count and the hits a pixel has on average.
struct ToneScale {
    double largest = 0;
    double perPixel = 0;
};
ToneScale toneScaleOf(const uint32_t* counts, size_t n);

// What a tone needs to know of a picture's counts, gathered part by part (a
// picture made in bands adds its bands one after another): how many pixels,
// the largest count, the hits, and for Equalized how many pixels have each
// count.
class CountSummary {
public:
    explicit CountSummary(bool histogram) : histogram_(histogram) {}
    void add(const uint32_t* counts, size_t n);

    uint64_t pixels() const { return pixels_; }
    uint32_t largest() const { return largest_; }
    uint64_t hits() const { return hits_; }
    // The lit counts that occur, ascending, with how many pixels have each
    // (empty unless the histogram was asked for).
    std::vector<std::pair<uint32_t, uint64_t>> histogram() const;

private:
    static constexpr uint32_t kDense = 1u << 16;  // counts below it are tallied in place
    bool histogram_;
    uint64_t pixels_ = 0, hits_ = 0;
    uint32_t largest_ = 0;
    std::vector<uint64_t> dense_;
    std::map<uint32_t, uint64_t> sparse_;
};

class Tone {
public:
    // Looks at every count once; the tones of the counts are then a lookup.
    // A scale given takes the place of the counts' own (a video's frames keep
    // a steady look by a scale smoothed over their neighbours); counts above
    // its largest are as bright as it.
    Tone(const uint32_t* counts, size_t n, ToneCurve curve, const ToneControls& controls = {},
         const ToneScale* scale = nullptr);
    // The same tone from a summary of the counts.
    Tone(const CountSummary& summary, ToneCurve curve, const ToneControls& controls = {},
         const ToneScale* scale = nullptr);

    // The tone of a count, in (0, 1] for counts from 1 to the largest; 0 for 0.
    float operator()(uint32_t count) const;
    // The tone scaled by brightness and exposure (x), and after the gamma (alpha).
    double scaled(uint32_t count) const { return scaled((*this)(count)); }
    double scaled(double tone) const { return neutral_ ? tone : tone * scale_; }
    double alpha(double x) const;
    const ToneControls& controls() const { return controls_; }

    uint32_t largest() const { return largest_; }

    // The least-hit pixels' tone under Equalized: faint, but apart from the
    // background, about where Log puts one hit against a thousand.
    static constexpr float kEqualizedFloor = 0.1f;

private:
    ToneCurve curve_;
    ToneControls controls_;
    bool neutral_ = true;
    double scale_ = 1;
    double perPixel_ = 1;  // Flame: the hits a pixel has on average
    uint32_t largest_ = 0;
    double scaleLargest_ = 0;  // what the log and flame curves scale by: largest_ unless given
    bool given_ = false;
    // Either the tone of every count up to the largest, or, where the largest
    // count is far above the number of pixels, the counts that occur, sorted,
    // with their tones.
    std::vector<float> byCount_;
    std::vector<uint32_t> distinct_;
    std::vector<float> distinctTones_;
};

}  // namespace quillon::render
