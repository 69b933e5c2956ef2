#include "render/analysis/Lyapunov.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillon::render {

namespace {

using State = FigureOrbit::State;

// The nearby orbits start this far away, relative to the orbit's size: far
// enough above the rounding of the figures that keep a Single, near enough
// for the step to act as its derivative.
constexpr double kSeparation = 1e-7;

double dot(const State& a, const State& b)
{
    double sum = 0;
    for (int k = 0; k < FigureOrbit::kStateSize; ++k)
        sum += a[k] * b[k];
    return sum;
}

double largestMagnitude(const State& s)
{
    double most = 0;
    for (const double value : s)
        most = std::max(most, std::fabs(value));
    return most;
}

}  // namespace

LyapunovEstimate estimateExponents(FigureOrbit& orbit, int count, uint64_t steps,
                                   const std::function<bool(const FigureOrbit&)>& keepGoing)
{
    LyapunovEstimate result;
    const uint64_t leadIn = std::min<uint64_t>(1000, steps / 10 + 1);
    const double distance = kSeparation * std::max(1.0, largestMagnitude(orbit.state()));

    // The separations start along x and then y: the fields every row carries.
    std::vector<State> directions(static_cast<size_t>(count), State{});
    const auto alongAxes = [&] {
        for (int i = 0; i < count; ++i) {
            directions[i] = State{};
            directions[i][i] = 1;
        }
    };
    alongAxes();
    std::vector<FigureOrbit> nearby(static_cast<size_t>(count), orbit);
    const auto placeNearby = [&] {
        const State at = orbit.state();
        for (int i = 0; i < count; ++i) {
            State s = at;
            for (int k = 0; k < FigureOrbit::kStateSize; ++k)
                s[k] += distance * directions[i][k];
            nearby[i].setState(s);
        }
    };
    placeNearby();

    std::vector<std::vector<double>> blockSums(static_cast<size_t>(count),
                                               std::vector<double>(kExponentBlocks, 0.0));
    std::vector<uint64_t> blockSteps(kExponentBlocks, 0);
    std::vector<double> stretch(static_cast<size_t>(count));
    // Steps set aside do not count; a figure that sets aside most of them
    // (its nearby orbits always thrown off) ends with fewer steps counted.
    const uint64_t mostSteps = 2 * steps + leadIn;
    while (result.steps < steps && result.stepsRun < mostSteps) {
        for (FigureOrbit& n : nearby)
            n.followRandom(orbit);
        ++result.stepsRun;
        const bool goesOn = orbit.step();
        if (!keepGoing(orbit) || !goesOn) {
            result.stopped = true;
            break;
        }
        for (FigureOrbit& n : nearby)
            n.step();
        const State at = orbit.state();
        bool usable = true;
        for (int i = 0; i < count; ++i) {
            const State there = nearby[i].state();
            State d;
            for (int k = 0; k < FigureOrbit::kStateSize; ++k)
                d[k] = (there[k] - at[k]) / distance;
            for (int j = 0; j < i; ++j) {
                const double along = dot(d, directions[j]);
                for (int k = 0; k < FigureOrbit::kStateSize; ++k)
                    d[k] -= along * directions[j][k];
            }
            const double length = std::sqrt(dot(d, d));
            if (!(length > 0) || !std::isfinite(length)) {
                usable = false;
                break;
            }
            stretch[i] = length;
            for (int k = 0; k < FigureOrbit::kStateSize; ++k)
                directions[i][k] = d[k] / length;
        }
        // A nearby orbit thrown off (a pole, a division by zero) or fallen onto
        // the orbit: that step tells nothing; start the separations afresh.
        if (!usable)
            alongAxes();
        else if (result.stepsRun > leadIn) {
            const auto block = static_cast<size_t>(result.steps * kExponentBlocks / steps);
            for (int i = 0; i < count; ++i)
                blockSums[i][block] += std::log(stretch[i]);
            ++blockSteps[block];
            ++result.steps;
        }
        placeNearby();
    }

    const double timeStep = orbit.row().timeStep > 0 ? orbit.row().timeStep : 1.0;
    for (int i = 0; i < count; ++i) {
        double total = 0;
        std::vector<double> means;
        for (int b = 0; b < kExponentBlocks; ++b) {
            total += blockSums[i][b];
            if (blockSteps[b] > 0)
                means.push_back(blockSums[i][b] / static_cast<double>(blockSteps[b]));
        }
        Exponent e;
        e.value = result.steps > 0 ? total / static_cast<double>(result.steps) / timeStep : std::numeric_limits<double>::quiet_NaN();
        if (means.size() > 1) {
            double mean = 0, squares = 0;
            for (const double m : means)
                mean += m / static_cast<double>(means.size());
            for (const double m : means)
                squares += (m - mean) * (m - mean);
            const double n = static_cast<double>(means.size());
            e.error = std::sqrt(squares / (n - 1) / n) / timeStep;
        }
        result.exponents.push_back(e);
    }
    return result;
}

}  // namespace quillon::render
