// A picture as the renderer hands it to its output files: RGB, row-major,
// three samples a pixel, each 0..255 at depth 8 and 0..65535 at depth 16.
// One sample type for both depths keeps the writers and the tests to one path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon::render {

struct Image {
    int width = 0, height = 0;
    int depth = 8;
    std::vector<uint16_t> samples;

    // A black picture of the given size and depth.
    static Image blank(int width, int height, int depth = 8)
    {
        return Image{.width = width,
                     .height = height,
                     .depth = depth,
                     .samples = std::vector<uint16_t>(static_cast<size_t>(width) * height * 3)};
    }

    int maxSample() const { return depth == 16 ? 65535 : 255; }

    // The red sample of pixel (x, y); green and blue follow it.
    uint16_t* at(int x, int y) { return samples.data() + (static_cast<size_t>(y) * width + x) * 3; }
    const uint16_t* at(int x, int y) const
    {
        return samples.data() + (static_cast<size_t>(y) * width + x) * 3;
    }
};

}  // namespace quillon::render
