#include "render/analysis/OrbitStats.h"

#include <algorithm>
#include <cmath>

#include "app/CanvasPoint.h"

namespace quillon::render {

namespace {

// An orbit this many frames away from its frame's centre has escaped.
constexpr double kEscapeFrames = 1000;
// A return closer than this (relative to the point's size) closes a period.
constexpr double kReturnTolerance = 1e-9;
// Exponents within this of 0 (and within three errors) are taken for 0.
constexpr double kZeroExponent = 1e-3;

constexpr uint64_t kMapSettle = 10'000, kMapSteps = 1'000'000;
constexpr uint64_t kFlowFactor = 10;

// Where the orbit's points land against the frame.
class FrameTest {
public:
    FrameTest(const MapFigure& row, const RenderSettings& s)
        : canvas_(row.canvas),
          width_(s.framing.scaleWidth()),
          height_(s.framing.scaleHeight()),
          origin_(width_, height_, row.canvas)
    {
        if (s.view)
            view_ = pixelMapping(planeOf(s.choice, s.framing), s.framing, 1, s.view);
    }

    // In the picture: the window's frame, or the view's.
    bool inside(double u, double v) const
    {
        if (view_) {
            int ix, iy;
            return view_->locate(u, v, ix, iy);
        }
        float X, Y;
        return canvasPoint(u, v, canvas_, origin_, X, Y) && X >= 0 && Y >= 0 && X < width_ && Y < height_;
    }

    bool escaped(const FigureOrbit& orbit) const
    {
        for (const double value : orbit.state())
            if (!std::isfinite(value))
                return true;
        const double X = orbit.u() * canvas_.kx + origin_.x;
        const double Y = orbit.v() * canvas_.ky + origin_.y;
        return !(std::fabs(X - width_ / 2) <= kEscapeFrames * width_) ||
               !(std::fabs(Y - height_ / 2) <= kEscapeFrames * height_);
    }

private:
    CanvasMap canvas_;
    double width_, height_;
    CanvasOrigin origin_;
    std::optional<PixelMapping> view_;
};

double largestMagnitude(const FigureOrbit::State& s)
{
    double most = 0;
    for (const double value : s)
        most = std::max(most, std::fabs(value));
    return most;
}

std::optional<double> kaplanYorkeOf(const std::vector<Exponent>& e)
{
    if (e.size() != 2 || !std::isfinite(e[0].value) || !std::isfinite(e[1].value))
        return std::nullopt;
    if (e[0].value < 0)
        return 0.0;
    if (e[0].value + e[1].value >= 0)
        return 2.0;
    return 1 + e[0].value / std::fabs(e[1].value);
}

}  // namespace

const char* outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Chaotic: return "chaotic";
    case Outcome::Periodic: return "periodic";
    case Outcome::FixedPoint: return "fixed point";
    case Outcome::QuasiPeriodic: return "quasi-periodic";
    case Outcome::RandomIteration: return "random iteration";
    case Outcome::Escaped: return "escaped";
    case Outcome::LeftFrame: return "left the frame";
    }
    return "";
}

std::optional<double> OrbitStats::largestExponent() const
{
    if (lyapunov.exponents.empty() || !std::isfinite(lyapunov.exponents.front().value))
        return std::nullopt;
    return lyapunov.exponents.front().value;
}

OrbitStats followOrbit(const RenderSettings& s, const StatsOptions& options)
{
    OrbitStats stats;
    FigureOrbit orbit(s.choice, s.seed);
    const MapFigure& row = orbit.row();
    const bool flow = row.timeStep > 0;
    stats.perUnitTime = flow;
    stats.settleSteps = options.settleSteps ? options.settleSteps : kMapSettle * (flow ? kFlowFactor : 1);
    const uint64_t steps = options.steps ? options.steps : kMapSteps * (flow ? kFlowFactor : 1);
    const FrameTest frame(row, s);

    uint64_t step = 0, followed = 0, inside = 0;
    bool random = false;
    // Told of every step of the orbit; false once it has escaped.
    const auto watch = [&](const FigureOrbit& o) {
        ++step;
        random = random || o.lastStepWasRandom();
        if (o.ended() || frame.escaped(o)) {
            stats.escapeStep = step;
            return false;
        }
        if (step > stats.settleSteps) {
            ++followed;
            // A picture still to be fitted to the orbit frames all of it.
            inside += s.fit || frame.inside(o.u(), o.v());
        }
        return true;
    };
    const auto escapedNow = [&] {
        stats.outcome = Outcome::Escaped;
        return stats;
    };

    while (step < stats.settleSteps) {
        orbit.step();
        if (!watch(orbit))
            return escapedNow();
    }
    stats.lyapunov = estimateExponents(orbit, flow ? 1 : 2, steps, watch);
    if (stats.escapeStep) {
        stats.lyapunov = {};
        return escapedNow();
    }

    if (!random) {
        const FigureOrbit::State start = orbit.state();
        const double tolerance = kReturnTolerance * std::max(1.0, largestMagnitude(start));
        for (uint64_t p = 1; p <= kMaxPeriod; ++p) {
            orbit.step();
            if (!watch(orbit))
                return escapedNow();
            const FigureOrbit::State now = orbit.state();
            double apart = 0;
            for (int k = 0; k < FigureOrbit::kStateSize; ++k)
                apart = std::max(apart, std::fabs(now[k] - start[k]));
            if (apart <= tolerance) {
                stats.period = p;
                break;
            }
        }
    }

    stats.inFrame = followed ? static_cast<double>(inside) / static_cast<double>(followed) : 0;
    if (!random)
        stats.kaplanYorke = kaplanYorkeOf(stats.lyapunov.exponents);
    const std::optional<double> largest = stats.largestExponent();
    const double error = stats.lyapunov.exponents.empty() ? 0 : stats.lyapunov.exponents.front().error;
    const double zero = std::max(kZeroExponent, 3 * error);
    if (inside == 0)
        stats.outcome = Outcome::LeftFrame;
    else if (stats.period)
        stats.outcome = *stats.period == 1 ? Outcome::FixedPoint : Outcome::Periodic;
    else if (random)
        stats.outcome = Outcome::RandomIteration;
    else if (largest && *largest > zero)
        stats.outcome = Outcome::Chaotic;
    else if (largest && *largest < -zero)
        stats.outcome = Outcome::Periodic;
    else
        stats.outcome = Outcome::QuasiPeriodic;
    return stats;
}

void measurePicture(OrbitStats& stats, const RenderSettings& s)
{
    const uint64_t pixels = static_cast<uint64_t>(s.framing.width) * s.framing.height;
    stats.picturePoints = std::max<uint64_t>(1'000'000, 4 * pixels);
    RenderSettings counted = s;
    counted.supersampling = 1;
    counted.points = stats.picturePoints;
    counted.colour = OrbitColour::None;
    const DensityCounter counter = countPicture(counted);
    const HitCounts& counts = counter.counts();
    std::vector<bool> lit(counts.size());
    uint64_t litPixels = 0;
    for (size_t k = 0; k < lit.size(); ++k) {
        lit[k] = counts[k] != 0;
        litPixels += lit[k];
    }
    stats.litFraction = pixels ? static_cast<double>(litPixels) / static_cast<double>(pixels) : 0;
    stats.box = boxDimension(lit, counter.width(), counter.height());
}

OrbitStats orbitStats(const RenderSettings& settings, const StatsOptions& options)
{
    OrbitStats stats = followOrbit(settings, options);
    measurePicture(stats, settings);
    return stats;
}

}  // namespace quillon::render
