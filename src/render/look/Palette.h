// The colours of a density picture: a palette maps a toned value, 0 for the
// least-hit pixels to 1 for the most-hit, to a colour.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/image/UsageError.h"
#include "render/look/ColourSpace.h"
#include "runtime/QBColor.h"

namespace quillon::render {

struct Gradient;

// A palette file or definition that cannot be used, in one line: the file,
// the line and what is wrong there.
struct PaletteError : UsageError {
    using UsageError::UsageError;
};

class Palette {
public:
    // Every built-in palette's name, in the order a listing shows them.
    static const std::vector<std::string>& names();
    static std::optional<Palette> named(std::string_view name);

    // A GIMP gradient (.ggr) or a list of colour stops, one "POSITION COLOUR"
    // a line; see the manual page. Throws PaletteError.
    static Palette fromFile(const std::string& path);
    // The palette whose definition() the text is, the same to the bit, by
    // the name given. Throws PaletteError, its message beginning with source.
    static Palette fromDefinition(std::string_view text, const std::string& name,
                                  const std::string& source = "the palette definition");
    // A built-in's name, else a file: text with a slash or a dot in it, or a
    // file that is there. Nothing for other text; throws PaletteError for a
    // file that cannot be used.
    static std::optional<Palette> byNameOrFile(std::string_view text);

    const std::string& name() const { return name_; }
    // One line saying what the palette looks like.
    const std::string& description() const { return description_; }
    // Its ends meet, so that it suits values that wrap round, such as angles.
    bool cyclic() const { return cyclic_; }
    // Empty for a built-in; for a palette from a file, all it takes to rebuild
    // it without the file: its segments as GIMP has them, on one line.
    const std::string& definition() const { return definition_; }

    // The colour at v in linear light; v is clamped to [0, 1].
    LinearRgb at(double v) const;

private:
    static const std::vector<Palette>& all();
    static Palette ofGradient(const Gradient& gradient, std::string description);
    Palette(std::string name, std::string description, std::vector<LinearRgb> table, bool cyclic = false,
            std::string definition = {});

    std::string name_, description_;
    std::vector<LinearRgb> table_;  // evenly spaced along v, interpolated between
    bool cyclic_ = false;
    std::string definition_;
};

// The palette as a row of cells coloured for a terminal that shows 24-bit
// colour: each cell a space on the palette's colour at its middle.
std::string terminalStrip(const Palette& palette, int cells);

// A background colour: "#rrggbb", "rrggbb" or a name (black, white, grey,
// navy, ...), in any case. Nothing for anything else.
std::optional<Rgb> parseColour(std::string_view text);

}  // namespace quillon::render
