// The renderer's figures by name and by caption: every figure's caption, as the
// program writes it, reads back to the parameters it shows; names, aliases and
// the faults of bad names, labels, numbers and captions.
#include <gtest/gtest.h>

#include <set>

#include "render/engine/FigureChoice.h"
#include "render/image/UsageError.h"
#include "runtime/NumberFormat.h"

namespace quillon::render {
namespace {

// The value a caption shows of a parameter, read back (into a Single for a Single).
double shown(const RenderParameter& p, double value)
{
    const NumberFormat numbers(".");
    if (p.single)
        return static_cast<float>(*numbers.parse(numbers.singleText(static_cast<float>(value))));
    return *numbers.parse(numbers.text(value));
}

TEST(RenderFigures, EveryCaptionReadsBackToTheParametersItShows)
{
    ASSERT_EQ(renderFigures().size(), 38u);  // 37 rows and the bifurcation diagram
    for (const RenderFigure& figure : renderFigures()) {
        if (figure.isBifurcation())
            continue;
        SCOPED_TRACE(figure.name);
        for (const uint32_t seed : {1u, 4242u, 16777215u}) {
            const FigureChoice drawn = drawRandom(&figure, seed);
            const std::string caption = captionOf(drawn);
            ASSERT_EQ(caption.rfind(figure.captionPrefix, 0), 0u) << caption;
            const FigureChoice read = parseCaption(caption);
            ASSERT_EQ(read.figure, &figure) << caption;
            ASSERT_EQ(read.values.size(), figure.parameters.size());
            for (size_t k = 0; k < read.values.size(); ++k)
                EXPECT_EQ(read.values[k], shown(figure.parameters[k], drawn.values[k])) << caption;
            // The caption of what was read is the same caption.
            EXPECT_EQ(captionOf(read), caption);
        }
    }
}

TEST(RenderFigures, NamesAliasesAndTheSlidePick)
{
    const std::pair<const char*, const char*> names[] = {
        {"Henon", "Henon"},           {"HOPALONG-2", "Hopalong-2"}, {"hopalong(2)", "Hopalong-2"},
        {"Hop5", "Hopalong-4"},       {"Tetras", "Tetras"},         {"eqn 8a", "Eqn 8A"},
        {"Eqn(8B)", "Eqn 8B"},        {"E8", "Eqn 8"},              {"3P4", "Starburst"},
        {"lorenz", "Lorenz Orbits (XY)"}, {"Lorenz Orbits (YZ)", "Lorenz Orbits (YZ)"},
        {"sierpinski", "Sierpi"},     {"gingerbread", "GingerBread"}, {"bifurcation", "BIFURCATION"},
        {"x-ply", "X-Ply"},           {"DIA", "Diamond"},
    };
    for (const auto& [name, figure] : names) {
        const RenderFigure* found = findFigure(name);
        ASSERT_NE(found, nullptr) << name;
        EXPECT_EQ(found->name, figure) << name;
    }
    EXPECT_EQ(findFigure("Lorenz Orbits"), nullptr);  // three figures share that title
    EXPECT_EQ(findFigure("3N+1 Numbers"), nullptr);   // a study, not a picture

    // Without a figure, --random picks as the slide show does: n = Int(Rnd * 28) + 1.
    std::set<std::string> picked;
    for (uint32_t seed = 0; seed < 400; ++seed) {
        const FigureChoice slide = drawRandom(nullptr, seed);
        EXPECT_TRUE(slide.figure->inSlideShow) << slide.figure->name;
        picked.insert(slide.figure->name);
    }
    EXPECT_EQ(picked.size(), 28u);
}

TEST(RenderFigures, SettingsAndCaptionsThatAreRefused)
{
    const FigureChoice henon = chooseFigure("henon", {"b=0.25"});
    EXPECT_EQ(henon.values, (std::vector<double>{1.4, 0.25}));
    const FigureChoice lorenz = chooseFigure("lorenz", {"prandtl=16", "3RD PARAMETER=2.5"});
    EXPECT_EQ(lorenz.values, (std::vector<double>{16, 28, 2.5}));
    // A comma-separator caption, as a German desktop writes it.
    EXPECT_EQ(parseCaption("Henon      a = 1,38   b = 0,31").values, (std::vector<double>{1.38, 0.31}));

    const char* const badSettings[][2] = {
        {"nosuch", "a=1"}, {"henon", "c=1"}, {"henon", "a"}, {"henon", "a=x"}, {"henon", "a=1e999"},
        {"bifurcation", "start=1.5"},
    };
    for (const auto& [figure, setting] : badSettings)
        EXPECT_THROW(chooseFigure(figure, {setting}), UsageError) << figure << " " << setting;
    EXPECT_THROW(chooseFigure("henon", {"a=1", "a=2"}), UsageError);

    const char* const badCaptions[] = {
        "", "Nothing at all", "Henon      a = 1.4", "Henon      a = x   b = 0.3",
        "Henon      a = 1.4   b = 0.3   c = 1", "3N + 1  Sequence:   Starting at 27.",
        "Henon      b = 0.3   a = 1.4",
    };
    for (const char* caption : badCaptions)
        EXPECT_THROW(parseCaption(caption), UsageError) << caption;
}

}  // namespace
}  // namespace quillon::render
