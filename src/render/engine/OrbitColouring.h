// Pictures coloured by what the orbit does: the modes by name, which figures
// each means something for, and the range a speed is seen in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/HitCounter.h"
#include "render/engine/FigureChoice.h"
#include "render/engine/View.h"

namespace quillon::render {

// The speeds that span a picture's colours: the distance between a point and
// the one before, on the window's canvas.
struct ColourRange {
    double low = 0, high = 1;
    bool operator==(const ColourRange&) const = default;
};

// "density" (None), "speed", "angle", "turn", "map", "age".
std::optional<OrbitColour> orbitColourNamed(std::string_view name);
const char* orbitColourName(OrbitColour colour);
// Every name, in the order a listing shows them.
const std::vector<std::string>& orbitColourNames();

// Refuses a mode that means nothing for the figure: the bifurcation diagram's
// columns have neither directions, maps nor passes, nor an orbit's length.
// Throws SettingError ("colour").
void checkColourFor(const FigureChoice& choice, OrbitColour colour);

// The speeds of the picture's first orbit (as far as the picture follows it),
// from the 1st to the 99th hundredth, so that a few leaps do not wash the
// others out.
ColourRange speedRange(const FigureChoice& choice, uint32_t seed, uint64_t orbitPoints, const FigurePlane& plane);

// The grid's colour parameters for a count of the mode with that range and
// orbits of that length.
void setColour(HitGrid& grid, OrbitColour colour, const ColourRange& range, uint64_t orbitLength, int16_t mapCount);

}  // namespace quillon::render
