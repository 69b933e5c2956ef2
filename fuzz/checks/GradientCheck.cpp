// Gradient files, GIMP's and lists of stops, and palette definitions as a
// picture's text keeps them.
#include <cmath>
#include <cstring>

#include "FuzzCheck.h"
#include "render/look/GradientFile.h"
#include "render/look/Palette.h"

namespace quillon::fuzz {

namespace {

bool sameSegments(const render::Gradient& a, const render::Gradient& b)
{
    if (a.segments.size() != b.segments.size())
        return false;
    for (size_t k = 0; k < a.segments.size(); ++k) {
        const render::GradientSegment& x = a.segments[k];
        const render::GradientSegment& y = b.segments[k];
        if (x.left != y.left || x.middle != y.middle || x.right != y.right || x.blending != y.blending ||
            x.colouring != y.colouring || std::memcmp(x.leftColour, y.leftColour, sizeof x.leftColour) != 0 ||
            std::memcmp(x.rightColour, y.rightColour, sizeof x.rightColour) != 0)
            return false;
    }
    return true;
}

}  // namespace

void checkGradient(std::string_view data)
{
    render::Gradient gradient;
    try {
        gradient = render::parseGradient(data, "fuzz.ggr", "fuzz", false);
    } catch (const render::PaletteError& e) {
        checkRefusal("gradient", e.what());
        gradient.segments.clear();
    }
    if (!gradient.segments.empty()) {
        if (gradient.segments.front().left != 0 || gradient.segments.back().right != 1)
            fail("gradient: accepted segments that do not span 0 to 1");
        for (size_t k = 1; k < gradient.segments.size(); ++k)
            if (gradient.segments[k].left != gradient.segments[k - 1].right)
                fail("gradient: accepted segments with a gap");
        render::Gradient back;
        try {
            back = render::parseGradient(render::gimpText(gradient), "again.ggr", "fuzz", true);
        } catch (const render::PaletteError& e) {
            fail(std::string("gradient: its GIMP text is refused: ") + e.what());
        }
        if (!sameSegments(back, gradient))
            fail("gradient: its GIMP text reads back otherwise");
        const std::string definition = render::definitionText(gradient);
        try {
            back = render::parseDefinition(definition, "again", "fuzz");
        } catch (const render::PaletteError& e) {
            fail(std::string("gradient: its definition is refused: ") + e.what());
        }
        if (!sameSegments(back, gradient))
            fail("gradient: its definition reads back otherwise");
        const render::Palette palette = render::Palette::fromDefinition(definition, "fuzz");
        for (const double v : {0.0, 0.25, 0.5, 0.75, 1.0}) {
            const render::LinearRgb colour = palette.at(v);
            if (!std::isfinite(colour.r) || !std::isfinite(colour.g) || !std::isfinite(colour.b))
                fail("gradient: a colour that is not finite");
        }
    }
    // The same text as a picture's palette definition.
    try {
        const render::Gradient defined = render::parseDefinition(data, "fuzz", "fuzz");
        if (render::definitionText(defined).empty())
            fail("gradient: a definition accepted that writes back empty");
    } catch (const render::PaletteError& e) {
        checkRefusal("palette definition", e.what());
    }
}

}  // namespace quillon::fuzz
