// What a figure's orbit does at given parameters: its Lyapunov exponents,
// whether it is chaotic, periodic, escapes or leaves the frame, and the
// dimensions and lit part of its picture at the framing given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "render/analysis/BoxDimension.h"
#include "render/analysis/Lyapunov.h"
#include "render/engine/Render.h"

namespace quillon::render {

enum class Outcome {
    Chaotic,          // the largest exponent clearly above 0
    Periodic,         // back where it was after a few steps, or clearly below 0
    FixedPoint,       // periodic with period 1
    QuasiPeriodic,    // the largest exponent 0 within its error, and no return
    RandomIteration,  // a figure of random choices: contractions picked at random
    Escaped,          // off to infinity (or the row's own end of an orbit)
    LeftFrame,        // bounded, but not a point of it inside the frame
};

const char* outcomeName(Outcome outcome);

// Zero takes the figure's default: 10^4 steps settling and 10^6 followed for a
// map; ten times as many for a flow, whose steps are short.
struct StatsOptions {
    uint64_t settleSteps = 0;
    uint64_t steps = 0;
};

// Returns to the same point are looked for over this many steps.
inline constexpr uint64_t kMaxPeriod = 10000;

struct OrbitStats {
    Outcome outcome = Outcome::Chaotic;
    std::optional<uint64_t> period;
    std::optional<uint64_t> escapeStep;  // counted from the orbit's first step
    uint64_t settleSteps = 0;
    bool perUnitTime = false;            // a flow's exponents are per unit of time
    LyapunovEstimate lyapunov;           // none when the orbit escaped
    std::optional<double> kaplanYorke;   // where two exponents are known
    double inFrame = 0;                  // of the followed points, the part in the frame

    // The picture's, from density counts at the framing given.
    std::optional<BoxDimension> box;
    std::optional<double> litFraction;
    uint64_t picturePoints = 0;

    // The largest exponent, when there is one.
    std::optional<double> largestExponent() const;
};

// The orbit's part: outcome, exponents, period, Kaplan-Yorke dimension. Throws
// UsageError for the bifurcation diagram.
OrbitStats followOrbit(const RenderSettings& settings, const StatsOptions& options = {});
// Adds the picture's part: about four points a pixel, at least 10^6.
void measurePicture(OrbitStats& stats, const RenderSettings& settings);
// Both.
OrbitStats orbitStats(const RenderSettings& settings, const StatsOptions& options = {});

}  // namespace quillon::render
