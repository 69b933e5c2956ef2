// The figures the renderer draws, found by name, and the parameters of one:
// given by label, read back from a caption the program wrote, or drawn at
// random the way the program's random mode draws them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/MapFigure.h"
#include "app/PictureText.h"

namespace quillon {
class Form;
}

namespace quillon::render {

class HeadlessPlatform;

struct RenderParameter {
    std::string label;  // as the caption shows it, trimmed: "a", "Prandtl", "3rd parameter"
    double defaultValue = 0;
    double randomScale = 0, randomOffset = 0;
    bool randomWhole = false;
    bool single = false;  // a Single field: values are rounded to a Single
};

// What a figure is drawn by: a map row of the window's run protocol, or the
// bifurcation diagram's sweep of the logistic map, a column of orbits for
// every value of r across the picture.
enum class FigureKind { Map, Sweep };

struct RenderFigure {
    std::string name;     // the menu item without its access key: "Hopalong-2"
    std::string item;     // "mnuHop2"
    std::string menu;     // "Equations1"
    std::string captionPrefix;
    FigureKind kind = FigureKind::Map;
    bool inSlideShow = false;
    std::vector<RenderParameter> parameters;
    std::vector<std::string> aliases;

    bool isBifurcation() const { return kind == FigureKind::Sweep; }
    // The map row; asked of the sweep, an error that says the diagram has none.
    const MapFigure& map() const;
    // The map row, or null for the sweep.
    const MapFigure* mapOrNull() const { return row_; }

    static RenderFigure ofMap(const MapFigure& row);
    static RenderFigure sweep();

private:
    const MapFigure* row_ = nullptr;
};

// Every figure in menu order; the bifurcation diagram last.
const std::vector<RenderFigure>& renderFigures();
// By name, item, caption prefix or alias; case, blanks and punctuation aside.
const RenderFigure* findFigure(std::string_view name);

// A figure with a value for each of its parameters, in the row's order. Drawn
// at random, the values are drawn again from randomSeed when drawing.
struct FigureChoice {
    const RenderFigure* figure = nullptr;
    std::vector<double> values;
    std::optional<uint32_t> randomSeed;
    bool pickedAsSlide = false;  // the figure too was drawn, as a slide is
};

// The figure named, with "label=value" settings over the defaults. Throws
// UsageError for an unknown figure, label, a repeated label or a bad number.
FigureChoice chooseFigure(std::string_view name, const std::vector<std::string>& settings);
// A caption line as the program writes it, read back. Throws UsageError.
FigureChoice parseCaption(std::string_view caption);
// Values of the parameters drawn by the program's random mode from the seed;
// without a figure, the figure first, as the slide show picks it.
FigureChoice drawRandom(const RenderFigure* figure, uint32_t seed);
// The seed a random draw leaves its Rnd at: the next draw of the same
// sequence, as the program's random mode would draw it next.
uint32_t seedAfter(const FigureChoice& drawn);

// Sets a form up as the figure's command does before its drawing: parameters
// (answered, or drawn from the random seed), cleared surfaces, caption. The
// pass colours then follow from the seed, or from colourSeed when the
// parameters were given.
void prepareForm(Form& form, HeadlessPlatform& platform, const FigureChoice& choice,
                 uint32_t colourSeed);

// The caption the program writes for the choice (decimal point in the locale's
// form as the window shows it).
std::string captionOf(const FigureChoice& choice);

// Text to number for the renderer's arguments; nothing when it is no number.
std::optional<double> numberFrom(std::string_view text);

// The text of --list: every figure with its menu, caption prefix, parameters,
// defaults and random ranges.
std::string figureListText();

}  // namespace quillon::render
