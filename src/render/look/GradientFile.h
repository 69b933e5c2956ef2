// Gradients read from files: GIMP's .ggr and our own list of colour stops,
// both held as GIMP's segments, the richer of the two.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "render/look/ColourSpace.h"

namespace quillon::render {

struct GradientSegment {
    double left = 0, middle = 0.5, right = 1;  // positions, 0 to 1
    double leftColour[3] = {}, rightColour[3] = {};  // sRGB, 0 to 1
    int blending = 0;   // linear, curved, sine, sphere increasing, sphere decreasing, step
    int colouring = 0;  // RGB, HSV counter-clockwise, HSV clockwise
};

struct Gradient {
    std::string name;
    std::vector<GradientSegment> segments;  // from 0 to 1, each starting where the one before ends
    int stops = 0;                          // for a list of stops, how many it had
};

// Either format, told apart by GIMP's first line. source names the text in
// messages ("FILE:LINE: what"); a list of stops takes fallbackName, and so
// does a gradient without one. Throws PaletteError.
Gradient parseGradient(std::string_view text, const std::string& source, const std::string& fallbackName,
                       bool mustBeGimp);

// The gradient as a GIMP gradient, numbers written so that they read back the
// same to the bit: parseGradient of it gives the same segments.
std::string gimpText(const Gradient& gradient);

// The gradient's segments on one line, parted by semicolons, numbers written
// so that they read back the same to the bit; all a picture's text needs to
// draw it again. parseDefinition reads it back, naming the text source in
// messages ("SOURCE segment N: what"). Throws PaletteError.
std::string definitionText(const Gradient& gradient);
Gradient parseDefinition(std::string_view text, const std::string& source, const std::string& name);

// steps + 1 colours evenly spaced from 0 to 1, in linear light.
std::vector<LinearRgb> gradientTable(const Gradient& gradient, int steps);

}  // namespace quillon::render
