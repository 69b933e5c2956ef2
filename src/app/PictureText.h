// What a picture says of how it was made, in its text chunks: the caption, the
// figure and its parameters, how it was drawn and framed. The window's Save (as
// a .png) and the renderer write the same text, so the renderer can make any of
// their pictures again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

// Keyword and text, in the order written.
using PictureText = std::vector<std::pair<std::string, std::string>>;

inline constexpr const char* kPictureKeyPrefix = "quillon:";

struct PictureFacts {
    std::string caption;
    std::string figure;  // the figure's menu name; empty when the caption names none
    std::vector<std::pair<std::string, double>> parameters;  // label, value
    std::string source = "parameters";  // or "random", "slide": drawn from the seed
    uint32_t seed = 1;
    std::string style = "classic";
    std::optional<uint64_t> points, passes;
    int frameWidth = 0, frameHeight = 0;  // the drawing area framed, in logical pixels
    int width = 0, height = 0;            // the picture
    double scale = 1;
};

PictureText pictureText(const PictureFacts& facts);

// A number as text that reads back to the same Double.
std::string roundTripText(double value);

// The program's version, as the About box and the renderer show it.
std::string programVersion();

}  // namespace quillon
