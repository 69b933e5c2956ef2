// The maps of the benchmark's bare loops, written out with their constants:
// what the program's figures compute, without the program around them.
#pragma once

#include <cmath>
#include <cstdint>

namespace quillon::bench {

// The map coordinates a bare loop plots, and where they land.
struct BarePoint {
    double u, v;
};
struct BareCanvas {
    double kx, ky, qx, qy;
};

inline double sign(double v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

struct HenonMap {
    static constexpr BareCanvas canvas{3000, 6000, 2, 2};
    static BarePoint step(double& x, double& y, uint32_t&)
    {
        const double xNew = (1 + y) - x * x * 1.4;
        y = 0.3 * x;
        x = xNew;
        return {x, y};
    }
};

struct HopalongMap {
    static constexpr BareCanvas canvas{200, 200, 2, 2};
    static BarePoint step(double& x, double& y, uint32_t&)
    {
        const double xNew = y - (sign(x) + std::sqrt(std::fabs(-0.565 * x + 0.117)));
        y = 0.724 - x;
        x = xNew;
        return {x, y};
    }
};

struct ThreeplyMap {
    static constexpr BareCanvas canvas{5, 5, 2, 2};
    static BarePoint step(double& x, double& y, uint32_t&)
    {
        const double a = 83.0781, b = -98.0297, c = -33.527;
        const double t = std::sin(x) * std::cos(b) + c - std::sin((a + b) + c) * x;
        const double xNew = y - std::fabs(t) * sign(x);
        y = a - x;
        x = xNew;
        return {x, y};
    }
};

struct EquationMap {
    static constexpr BareCanvas canvas{200, 200, 2, 2};
    static BarePoint step(double& x, double& y, uint32_t&)
    {
        const double a = 0.2238, b = -0.9992, d = -0.3373;
        const double xNew = x > 0 ? b * x * (d - 0.5) + y : (-d + y) - ((1 + d) - x * d) * b;
        y = a - x;
        x = xNew;
        return {x, y};
    }
};

struct SierpinskiMap {
    static constexpr BareCanvas canvas{20, 45, 10, 15};
    static BarePoint step(double& x, double& y, uint32_t& random)
    {
        static constexpr int corners[3][2] = {{320, 0}, {1, 199}, {639, 199}};
        random = (random * 1140671485u + 12820163u) & 0xFFFFFFu;
        const int* corner = corners[(random * 3) >> 24];
        x = (corner[0] + x) / 2;
        y = (corner[1] + y) / 2;
        return {x, y};
    }
};

}  // namespace quillon::bench
