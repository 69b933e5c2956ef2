// Published colour maps, kept as their authors' tables of sRGB values.
#pragma once

#include <cstddef>
#include <iterator>

namespace quillon::render {

struct PublishedMap {
    const char* name;
    const double (*srgb)[3];  // evenly spaced from the map's start to its end, 0 to 1
    std::size_t size;
};

// viridis, magma, inferno, plasma, cividis and twilight.
extern const PublishedMap kPublishedMaps[6];

}  // namespace quillon::render
