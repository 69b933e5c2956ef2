// The box-counting dimension of the lit pixels of a picture: boxes of 1, 2,
// 4, ... pixels a side, N(s) of them holding a lit pixel, and the slope of
// log N against log 1/s fitted over the middle of the sizes (the smallest box
// sees the sampling of the points, the largest few see only the frame).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace quillon::render {

struct BoxDimension {
    double dimension = 0;
    double error = 0;              // the fitted slope's standard error
    int smallest = 0, largest = 0;  // the box sizes fitted, in pixels
    std::vector<uint64_t> boxes;    // N(s) for s = 1, 2, 4, ...
};

// Nothing when the picture is too small for three fitted sizes or nothing is lit.
std::optional<BoxDimension> boxDimension(const std::vector<bool>& lit, int width, int height);

}  // namespace quillon::render
