#include "render/analysis/BoxDimension.h"

#include <algorithm>
#include <cmath>

namespace quillon::render {

std::optional<BoxDimension> boxDimension(const std::vector<bool>& lit, int width, int height)
{
    BoxDimension result;
    // Each level's boxes are the 2 x 2 blocks of the level below.
    std::vector<bool> level = lit;
    int w = width, h = height;
    while (true) {
        result.boxes.push_back(static_cast<uint64_t>(std::count(level.begin(), level.end(), true)));
        if (w == 1 && h == 1)
            break;
        const int nw = (w + 1) / 2, nh = (h + 1) / 2;
        std::vector<bool> next(static_cast<size_t>(nw) * nh, false);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (level[static_cast<size_t>(y) * w + x])
                    next[static_cast<size_t>(y / 2) * nw + x / 2] = true;
        level = std::move(next);
        w = nw;
        h = nh;
    }
    if (result.boxes.front() == 0)
        return std::nullopt;

    // Sizes 2 up to an eighth of the shorter side.
    int levels = 0;
    while ((2 << levels) <= std::min(width, height))
        ++levels;
    const int first = 1, last = levels - 3;
    if (last - first + 1 < 3)
        return std::nullopt;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const int n = last - first + 1;
    for (int k = first; k <= last; ++k) {
        const double x = -k * std::log(2.0);  // log 1/s
        const double y = std::log(static_cast<double>(result.boxes[static_cast<size_t>(k)]));
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double spread = sxx - sx * sx / n;
    const double slope = (sxy - sx * sy / n) / spread;
    const double intercept = (sy - slope * sx) / n;
    double residuals = 0;
    for (int k = first; k <= last; ++k) {
        const double x = -k * std::log(2.0);
        const double r = std::log(static_cast<double>(result.boxes[static_cast<size_t>(k)])) - (intercept + slope * x);
        residuals += r * r;
    }
    result.dimension = slope;
    result.error = std::sqrt(residuals / (n - 2) / spread);
    result.smallest = 1 << first;
    result.largest = 1 << last;
    return result;
}

}  // namespace quillon::render
