// Which part of the plane a picture shows and at what size: the drawing area of
// the window whose framing is used (in pixels, 15 units of 1/1440 inch each),
// and the picture's own size in pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::render {

struct Framing {
    int frameWidth = 1024, frameHeight = 768;
    int width = 1024, height = 768;

    double scaleWidth() const { return frameWidth * 15.0; }
    double scaleHeight() const { return frameHeight * 15.0; }
};

struct Size {
    int width = 0, height = 0;
};

// "1024x768" (an "X" or "×" does too); nothing when it is no size.
std::optional<Size> sizeFrom(std::string_view text);
std::string sizeText(int width, int height);

// Refuses an empty frame or picture, a frame larger than kMaxSide on a side
// or a picture larger than kMaxPngSide. Throws SettingError ("frame", "size").
void checkFraming(const Framing& framing);

// Frames, and pictures drawn whole (classic ones), larger than this on a side
// are refused.
inline constexpr int kMaxSide = 65535;
// The most pixels a side of a PNG file as libpng writes it holds: a density
// picture, made in bands, may be as large as that.
inline constexpr int kMaxPngSide = 1'000'000;

}  // namespace quillon::render
