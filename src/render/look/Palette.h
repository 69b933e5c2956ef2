// The colours of a density picture: a palette maps a toned value, 0 for the
// least-hit pixels to 1 for the most-hit, to a colour.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/look/ColourSpace.h"
#include "runtime/QBColor.h"

namespace quillon::render {

class Palette {
public:
    // Every palette's name, in the order a listing shows them.
    static const std::vector<std::string>& names();
    static std::optional<Palette> named(std::string_view name);

    const std::string& name() const { return name_; }
    // One line saying what the palette looks like.
    const std::string& description() const { return description_; }

    // The colour at v in linear light; v is clamped to [0, 1].
    LinearRgb at(double v) const;

private:
    static const std::vector<Palette>& all();
    Palette(std::string name, std::string description, std::vector<LinearRgb> table);

    std::string name_, description_;
    std::vector<LinearRgb> table_;  // evenly spaced along v, interpolated between
};

// A background colour: "#rrggbb", "rrggbb" or a name (black, white, grey,
// navy, ...), in any case. Nothing for anything else.
std::optional<Rgb> parseColour(std::string_view text);

}  // namespace quillon::render
