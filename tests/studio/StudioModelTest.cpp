// The studio's model: which edits count again, which only colour again, and
// which change nothing; Back and Forward; moving the view with the mouse.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "render/engine/View.h"
#include "studio/PlaceHistory.h"
#include "studio/StudioModel.h"
#include "studio/ViewMoves.h"

namespace quillon::studio {
namespace {

using quillon::OrbitColour;
using render::Style;
using render::ToneControls;
using render::View;

struct EditCase {
    const char* name;
    std::function<void(StudioModel&)> before;  // sets the model up
    std::function<Change(StudioModel&)> edit;
    Change expected;
};

const render::RenderFigure* figure(const char* name) { return render::findFigure(name); }

TEST(StudioModel, EachEditAsksForWhatItChanges)
{
    const auto nothing = [](StudioModel&) {};
    const EditCase cases[] = {
        {"the same figure again", nothing, [](StudioModel& m) { return m.setFigure(figure("Henon")); }, Change::None},
        {"another figure", nothing, [](StudioModel& m) { return m.setFigure(figure("Lozi")); }, Change::Recount},
        {"the same figure, moved away", [](StudioModel& m) { m.setView(View{0.1, 0.2, 3}); },
         [](StudioModel& m) { return m.setFigure(figure("Henon")); }, Change::Recount},
        {"a parameter", nothing, [](StudioModel& m) { return m.setValue(0, 1.3); }, Change::Recount},
        {"a parameter to its value", nothing, [](StudioModel& m) { return m.setValue(0, 1.4); }, Change::None},
        {"a parameter past the last", nothing, [](StudioModel& m) { return m.setValue(9, 1.0); }, Change::None},
        {"the seed", nothing, [](StudioModel& m) { return m.setSeed(7); }, Change::Recount},
        {"the seed it has", nothing, [](StudioModel& m) { return m.setSeed(1); }, Change::None},
        {"a view", nothing, [](StudioModel& m) { return m.setView(View{0.1, 0.2, 3}); }, Change::Recount},
        {"the window's framing again", nothing, [](StudioModel& m) { return m.setView(std::nullopt); },
         Change::None},
        {"defaults of a changed figure", [](StudioModel& m) { m.setValue(1, 0.25); },
         [](StudioModel& m) { return m.setDefaults(); }, Change::Recount},
        {"defaults of a figure at its defaults", nothing, [](StudioModel& m) { return m.setDefaults(); },
         Change::None},
        {"random parameters", nothing, [](StudioModel& m) { return m.setRandom(5); }, Change::Recount},
        {"the style", nothing, [](StudioModel& m) { return m.setStyle(Style::Classic); }, Change::Recount},
        {"the tone", nothing, [](StudioModel& m) { return m.setTone("flame"); }, Change::Retone},
        {"the tone it has", nothing, [](StudioModel& m) { return m.setTone("log"); }, Change::None},
        {"no tone", nothing, [](StudioModel& m) { return m.setTone("sepia"); }, Change::None},
        {"a tone control", nothing,
         [](StudioModel& m) {
             ToneControls c = m.settings().controls;
             c.exposure = 1;
             return m.setControls(c);
         },
         Change::Retone},
        {"the palette", nothing, [](StudioModel& m) { return m.setPalette("viridis"); }, Change::Retone},
        {"no palette", nothing, [](StudioModel& m) { return m.setPalette("no-such-palette"); }, Change::None},
        {"the background", nothing, [](StudioModel& m) { return m.setBackground("white"); }, Change::Retone},
        {"no colour", nothing, [](StudioModel& m) { return m.setBackground("glow"); }, Change::None},
        {"colour by speed", nothing, [](StudioModel& m) { return m.setColour(OrbitColour::Speed); },
         Change::Recount},
        {"colour by density again", nothing, [](StudioModel& m) { return m.setColour(OrbitColour::None); },
         Change::None},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        StudioModel model;
        c.before(model);
        const Place place = model.place();
        const auto request = render::countRequest(model.pictureSettings(framingOfSize(64, 48), 1000, 1));
        const Change change = c.edit(model);
        EXPECT_EQ(change, c.expected);
        const auto after = render::countRequest(model.pictureSettings(framingOfSize(64, 48), 1000, 1));
        // What only colours again leaves everything counted as it was.
        const bool sameCount = place == model.place() && request.colour == after.colour &&
                               model.settings().style == Style::Density;
        if (change != Change::Recount) {
            EXPECT_TRUE(sameCount);
        }
    }
}

TEST(StudioModel, ANewToneBringsItsOwnControls)
{
    StudioModel model;
    model.setTone("flame");
    EXPECT_EQ(model.settings().controls, ToneControls::defaultsFor(render::ToneCurve::Flame));
    model.setTone("eq");
    EXPECT_EQ(model.settings().controls, ToneControls::defaultsFor(render::ToneCurve::Equalized));
}

TEST(StudioModel, ColourTheDiagramCannotTakeIsRefusedAndAnotherFigureFallsBack)
{
    StudioModel model;
    model.setColour(OrbitColour::Angle);
    model.setFigure(render::findFigure("Bifurcation"));
    EXPECT_EQ(model.settings().colour, OrbitColour::None);
    EXPECT_THROW(model.setColour(OrbitColour::Angle), render::UsageError);
}

TEST(StudioModel, RandomParametersAreGivenValuesDrawnByTheRandomMode)
{
    StudioModel model;
    model.setFigure(figure("Eqn 1"));
    model.setRandom(42);
    const render::FigureChoice drawn = render::drawRandom(figure("Eqn 1"), 42);
    EXPECT_EQ(model.settings().choice.values, drawn.values);
    EXPECT_FALSE(model.settings().choice.randomSeed.has_value());
}

struct HistoryCase {
    const char* name;
    const char* steps;  // digits record that seed, < goes back, > goes forward
    uint32_t shown;     // the seed shown at the end
    bool canGoBack, canGoForward;
};

TEST(PlaceHistory, BackAndForwardAsABrowserGoes)
{
    const HistoryCase cases[] = {
        {"one place", "1", 1, false, false},
        {"back once", "123<", 2, true, true},
        {"back past the first stays there", "12<<<", 1, false, true},
        {"forward after back", "123<<>", 2, true, true},
        {"forward past the last stays there", "12<>>>", 2, true, false},
        {"a new place drops what lay ahead", "123<<4", 4, true, false},
        {"the same place twice is kept once", "1123<<", 1, false, true},
    };
    for (const HistoryCase& c : cases) {
        SCOPED_TRACE(c.name);
        PlaceHistory history;
        Place shown;
        for (const char* s = c.steps; *s; ++s) {
            if (*s == '<' || *s == '>') {
                if (const auto place = *s == '<' ? history.back() : history.forward())
                    shown = *place;
                continue;
            }
            shown = Place{figure("Henon"), {1.4, 0.3}, static_cast<uint32_t>(*s - '0'), std::nullopt};
            history.record(shown);
        }
        EXPECT_EQ(shown.seed, c.shown);
        EXPECT_EQ(history.canGoBack(), c.canGoBack);
        EXPECT_EQ(history.canGoForward(), c.canGoForward);
    }
}

TEST(PlaceHistory, KeepsTheNewestPlacesOnly)
{
    PlaceHistory history;
    for (uint32_t seed = 0; seed < PlaceHistory::kMostPlaces + 20; ++seed)
        history.record(Place{figure("Henon"), {1.4, 0.3}, seed, std::nullopt});
    EXPECT_EQ(history.size(), PlaceHistory::kMostPlaces);
    std::optional<Place> oldest;
    while (const auto place = history.back())
        oldest = place;
    ASSERT_TRUE(oldest);
    EXPECT_EQ(oldest->seed, 20u);
}

struct ViewCase {
    const char* figure;
    int width, height;
    View view;
    double x, y;  // a pixel of the picture
    double factor;
};

TEST(ViewMoves, MovesKeepThePointUnderTheCursorAndAgreeWithTheEngine)
{
    const ViewCase cases[] = {
        {"Henon", 800, 600, {0, 0, 1}, 100, 450, 2},
        {"Henon", 640, 480, {0.3, -0.1, 5}, 0, 0, 0.5},
        {"Hopalong", 1023, 577, {-2, 7, 0.25}, 1000.5, 3.25, 1.25},
        {"Lorenz Orbits (XZ)", 300, 900, {1, 20, 40}, 150, 899, 10},
        {"Bifurcation", 1200, 400, {3.5, 0.5, 3}, 17, 388, 0.8},
    };
    for (const ViewCase& c : cases) {
        SCOPED_TRACE(c.figure);
        const render::FigureChoice choice = render::chooseFigure(c.figure, {});
        const render::Framing framing = framingOfSize(c.width, c.height);
        const ViewOnScreen screen{render::planeOf(choice, framing), framing, c.view};
        const auto [u, v] = screen.pointAt(c.x, c.y);
        const double tolerance = 1e-9 * (1 + std::fabs(u) + std::fabs(v));

        const ViewOnScreen zoomed{screen.plane, framing, screen.zoomedAbout(c.x, c.y, c.factor)};
        EXPECT_DOUBLE_EQ(zoomed.view.zoom, c.view.zoom * c.factor);
        EXPECT_NEAR(zoomed.pointAt(c.x, c.y).first, u, tolerance);
        EXPECT_NEAR(zoomed.pointAt(c.x, c.y).second, v, tolerance);

        const ViewOnScreen panned{screen.plane, framing, screen.pannedBy(40, -25)};
        EXPECT_NEAR(panned.pointAt(c.x + 40, c.y - 25).first, u, tolerance);
        EXPECT_NEAR(panned.pointAt(c.x + 40, c.y - 25).second, v, tolerance);

        const ViewOnScreen centred{screen.plane, framing, screen.centredOn(c.x, c.y)};
        EXPECT_NEAR(centred.pointAt(c.width / 2.0, c.height / 2.0).first, u, tolerance);
        EXPECT_NEAR(centred.pointAt(c.width / 2.0, c.height / 2.0).second, v, tolerance);

        EXPECT_NEAR(screen.pixelAt(u, v).first, c.x, 1e-6);
        EXPECT_NEAR(screen.pixelAt(u, v).second, c.y, 1e-6);

        // The engine puts the point at the middle of a pixel into that pixel.
        const ViewGrid grid = render::viewGrid(screen.plane, framing, 1, c.view);
        const auto [um, vm] = screen.pointAt(std::floor(c.x) + 0.5, std::floor(c.y) + 0.5);
        EXPECT_NEAR(screen.plane.canvasX(um) * grid.xScale + grid.xOffset, std::floor(c.x) + 0.5, 1e-6);
        EXPECT_NEAR(screen.plane.canvasY(vm) * grid.yScale + grid.yOffset, std::floor(c.y) + 0.5, 1e-6);
    }
}

TEST(ViewMoves, TheWindowsFramingIsTheViewOfAModelWithoutOne)
{
    StudioModel model;
    const render::Framing framing = framingOfSize(800, 500);
    const View view = model.viewAt(framing);
    EXPECT_EQ(view, render::windowView(render::planeOf(model.settings().choice, framing), framing));
    model.setView(View{1, 2, 3});
    EXPECT_EQ(model.viewAt(framing), (View{1, 2, 3}));
}

}  // namespace
}  // namespace quillon::studio
