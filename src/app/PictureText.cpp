#include "app/PictureText.h"

#include <charconv>

#ifndef QUILLON_VERSION
#error "QUILLON_VERSION comes from the project's version in CMakeLists.txt"
#endif

namespace quillon {

std::string roundTripText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string programVersion() { return QUILLON_VERSION; }

PictureText pictureText(const PictureFacts& f)
{
    PictureText text = {{"Title", f.caption}, {"Software", "QUILLON " + programVersion()}};
    const auto add = [&](const std::string& key, std::string value) {
        text.emplace_back(kPictureKeyPrefix + key, std::move(value));
    };
    add("version", programVersion());
    add("caption", f.caption);
    if (!f.figure.empty()) {
        add("figure", f.figure);
        add("source", f.source);
        for (const auto& [label, value] : f.parameters)
            add("param:" + label, roundTripText(value));
        add("seed", std::to_string(f.seed));
    }
    add("style", f.style);
    if (f.passes)
        add("passes", std::to_string(*f.passes));
    else if (f.points)
        add("points", std::to_string(*f.points));
    add("frame", std::to_string(f.frameWidth) + "x" + std::to_string(f.frameHeight));
    add("size", std::to_string(f.width) + "x" + std::to_string(f.height));
    add("scale", roundTripText(f.scale));
    return text;
}

}  // namespace quillon
