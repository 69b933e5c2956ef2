// The colour spaces the density pictures pass through: counts are toned and
// coloured in linear light (where averaging is physical), palettes are
// designed in OKLab (where equal steps look equal), files hold sRGB.
#pragma once

namespace quillon::render {

// Linear-light sRGB primaries, 0..1 inside the gamut.
struct LinearRgb {
    float r = 0, g = 0, b = 0;
};

// Björn Ottosson's OKLab: L is perceived lightness, 0 (black) to 1 (white).
struct Oklab {
    double L = 0, a = 0, b = 0;
};

// The sRGB transfer function and its inverse, on 0..1.
double srgbToLinear(double encoded);
double linearToSrgb(double linear);

Oklab toOklab(double r, double g, double b);  // from linear light
void fromOklab(const Oklab& lab, double& r, double& g, double& b);  // to linear light, unclipped

}  // namespace quillon::render
