#include "render/engine/Framing.h"

#include <cmath>

#include "render/engine/FigureChoice.h"
#include "render/image/UsageError.h"

namespace quillon::render {

std::optional<Size> sizeFrom(std::string_view text)
{
    std::string normal(text);
    for (const std::string_view times : {"\xc3\x97", "X"}) {
        const auto at = normal.find(times);
        if (at != std::string::npos)
            normal.replace(at, times.size(), "x");
    }
    const auto x = normal.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    const auto whole = [](std::string_view digits) -> std::optional<int> {
        if (digits.empty() || digits.size() > 9)
            return std::nullopt;
        int value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        return value;
    };
    const auto w = whole(std::string_view(normal).substr(0, x));
    const auto h = whole(std::string_view(normal).substr(x + 1));
    if (!w || !h)
        return std::nullopt;
    return Size{*w, *h};
}

std::string sizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

void checkFraming(const Framing& f)
{
    const auto check = [](int width, int height, const char* what, int most, const char* why) {
        if (width < 1 || height < 1)
            throw SettingError(what, sizeText(width, height) + " is empty");
        if (width > most || height > most)
            throw SettingError(what, sizeText(width, height) + " is larger than " + std::to_string(most) +
                                         " pixels on a side" + why);
    };
    check(f.frameWidth, f.frameHeight, "frame", kMaxSide, "");
    check(f.width, f.height, "size", kMaxPngSide, ", the most a PNG file holds");
}

}  // namespace quillon::render
