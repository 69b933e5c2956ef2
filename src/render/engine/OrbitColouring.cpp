#include "render/engine/OrbitColouring.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/engine/FigureOrbit.h"
#include "render/image/UsageError.h"

namespace quillon::render {

namespace {

struct Named {
    const char* name;
    OrbitColour colour;
};
constexpr Named kNames[] = {
    {"density", OrbitColour::None}, {"speed", OrbitColour::Speed}, {"angle", OrbitColour::Angle},
    {"turn", OrbitColour::Turn},    {"map", OrbitColour::Map},     {"age", OrbitColour::Age},
};

// The range spans at least this much of the canvas, so that an orbit that
// barely moves does not turn its rounding into colours.
constexpr double kLeastSpan = 1e-6;

}  // namespace

std::optional<OrbitColour> orbitColourNamed(std::string_view name)
{
    for (const Named& n : kNames)
        if (name == n.name)
            return n.colour;
    if (name == "none")
        return OrbitColour::None;
    return std::nullopt;
}

const char* orbitColourName(OrbitColour colour)
{
    for (const Named& n : kNames)
        if (n.colour == colour)
            return n.name;
    return "density";
}

const std::vector<std::string>& orbitColourNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const Named& n : kNames)
            out.emplace_back(n.name);
        return out;
    }();
    return names;
}

void checkColourFor(const FigureChoice& choice, OrbitColour colour)
{
    if (!choice.figure->isBifurcation())
        return;
    switch (colour) {
    case OrbitColour::None:
    case OrbitColour::Speed: return;
    case OrbitColour::Angle:
    case OrbitColour::Turn:
        throw SettingError("colour", std::string(orbitColourName(colour)) +
                                         " means nothing for the bifurcation diagram: its columns only go up "
                                         "and down (speed or density do)");
    case OrbitColour::Map:
        throw SettingError("colour", "map means nothing for the bifurcation diagram: it has neither maps nor "
                                     "passes (speed or density do)");
    case OrbitColour::Age:
        throw SettingError("colour", "age means nothing for the bifurcation diagram: its columns grow with the "
                                     "picture (speed or density do)");
    }
}

ColourRange speedRange(const FigureChoice& choice, uint32_t seed, uint64_t orbitPoints, const FigurePlane& plane)
{
    if (choice.figure->isBifurcation())
        return {0, -plane.canvas.ky};  // a column's values from 0 to 1, on the canvas
    constexpr uint64_t kSettle = 1000, kSample = 200'000;
    const uint64_t steps = std::max(kSettle + kSample, orbitPoints);
    const uint64_t every = std::max<uint64_t>(1, (steps - kSettle) / kSample);
    FigureOrbit orbit(choice, seed);
    std::vector<double> speeds;
    double lastU = 0, lastV = 0;
    for (uint64_t k = 0; k < steps && !orbit.ended(); ++k) {
        orbit.step();
        const double d = std::hypot((orbit.u() - lastU) * plane.canvas.kx, (orbit.v() - lastV) * plane.canvas.ky);
        lastU = orbit.u();
        lastV = orbit.v();
        if (k >= kSettle && (k - kSettle) % every == 0 && std::isfinite(d))
            speeds.push_back(d);
    }
    if (speeds.empty())
        return {};
    const auto at = [&](double part) {
        const auto k = static_cast<std::ptrdiff_t>(part * static_cast<double>(speeds.size() - 1));
        std::nth_element(speeds.begin(), speeds.begin() + k, speeds.end());
        return speeds[static_cast<size_t>(k)];
    };
    const double low = at(0.01), high = at(0.99);
    return {low, std::max(high, low + kLeastSpan)};
}

void setColour(HitGrid& grid, OrbitColour colour, const ColourRange& range, uint64_t orbitLength, int16_t mapCount)
{
    grid.colour = colour;
    grid.low = range.low;
    grid.scale = range.high > range.low ? 1 / (range.high - range.low) : 0;
    grid.ageScale = orbitLength > 1 ? 1 / static_cast<double>(orbitLength - 1) : 0;
    grid.mapCount = mapCount;
}

}  // namespace quillon::render
