#include "studio/StudioModel.h"

#include <cmath>

#include "render/cli/Options.h"

namespace quillon::studio {

using namespace render;

StudioModel::StudioModel()
{
    settings_.style = Style::Density;
    settings_.points = kPreviewPoints;
    settings_.controls = ToneControls::defaultsFor(ToneCurve::Log);
    setFigure(findFigure("Henon"));
}

Place StudioModel::place() const
{
    return {settings_.choice.figure, settings_.choice.values, settings_.seed, settings_.view};
}

Change StudioModel::setFigure(const RenderFigure* figure)
{
    if (!figure)
        return Change::None;
    FigureChoice choice = chooseFigure(figure->name, {});
    const bool changed = figure != settings_.choice.figure || choice.values != settings_.choice.values ||
                         settings_.view.has_value();
    settings_.choice = std::move(choice);
    settings_.view.reset();
    settings_.colourRange.reset();
    // A figure that cannot be coloured so (the diagram has no directions) is shown by density.
    try {
        checkColourFor(settings_.choice, settings_.colour);
    } catch (const UsageError&) {
        settings_.colour = OrbitColour::None;
    }
    return recountIf(changed);
}

Change StudioModel::setValue(size_t parameter, double value)
{
    auto& values = settings_.choice.values;
    if (parameter >= values.size() || values[parameter] == value)
        return Change::None;
    if (settings_.choice.figure->parameters[parameter].single)
        value = static_cast<float>(value);
    values[parameter] = value;
    settings_.choice.randomSeed.reset();
    settings_.colourRange.reset();
    return Change::Recount;
}

Change StudioModel::setSeed(uint32_t seed)
{
    const bool changed = settings_.seed != seed;
    settings_.seed = seed;
    settings_.colourRange.reset();
    return recountIf(changed);
}

Change StudioModel::setDefaults()
{
    const std::vector<double> before = settings_.choice.values;
    settings_.choice = chooseFigure(settings_.choice.figure->name, {});
    settings_.colourRange.reset();
    return recountIf(before != settings_.choice.values);
}

Change StudioModel::setRandom(uint32_t drawSeed)
{
    // The values drawn are kept as given values: a picture of them then says
    // its parameters, and the seed stays the one the studio shows.
    FigureChoice drawn = drawRandom(settings_.choice.figure, drawSeed);
    drawn.randomSeed.reset();
    drawn.pickedAsSlide = false;
    const bool changed = drawn.values != settings_.choice.values;
    settings_.choice = std::move(drawn);
    settings_.colourRange.reset();
    return recountIf(changed);
}

Change StudioModel::setView(const std::optional<View>& view)
{
    const bool changed = view != settings_.view;
    settings_.view = view;
    settings_.colourRange.reset();
    return recountIf(changed);
}

Change StudioModel::setPlace(const Place& place)
{
    if (!place.figure || place.values.size() != place.figure->parameters.size())
        return Change::None;
    if (place == this->place())
        return Change::None;
    settings_.choice = FigureChoice{.figure = place.figure, .values = place.values};
    settings_.seed = place.seed;
    settings_.view = place.view;
    settings_.colourRange.reset();
    return Change::Recount;
}

Change StudioModel::setPicture(const RenderSettings& picture)
{
    const RenderSettings before = settings_;
    settings_.choice = picture.choice;
    // A drawn choice keeps the values it drew; the studio shows them as given.
    settings_.seed = picture.choice.randomSeed.value_or(picture.seed);
    settings_.choice.randomSeed.reset();
    settings_.choice.pickedAsSlide = false;
    settings_.view = picture.view;
    settings_.style = picture.style;
    settings_.tone = picture.tone;
    settings_.controls = picture.controls;
    settings_.palette = picture.palette;
    settings_.paletteDefinition = picture.paletteDefinition;
    settings_.background = picture.background;
    settings_.colour = picture.colour;
    settings_.colourRange.reset();
    return Change::Recount;
}

Change StudioModel::setStyle(Style style)
{
    const bool changed = settings_.style != style;
    settings_.style = style;
    return recountIf(changed);
}

Change StudioModel::setTone(const std::string& tone)
{
    const auto curve = toneCurveNamed(tone);
    if (!curve || tone == settings_.tone)
        return Change::None;
    settings_.tone = tone;
    settings_.controls = ToneControls::defaultsFor(*curve);
    return Change::Retone;
}

Change StudioModel::setControls(const ToneControls& controls)
{
    const bool changed = !(controls == settings_.controls);
    settings_.controls = controls;
    return retoneIf(changed);
}

Change StudioModel::setPalette(const std::string& palette)
{
    if (palette == settings_.palette || !Palette::named(palette))
        return Change::None;
    settings_.palette = palette;
    settings_.paletteDefinition.clear();
    return Change::Retone;
}

Change StudioModel::setBackground(const std::string& background)
{
    if (background == settings_.background || !parseColour(background))
        return Change::None;
    settings_.background = background;
    return Change::Retone;
}

Change StudioModel::setColour(OrbitColour colour)
{
    if (colour == settings_.colour)
        return Change::None;
    checkColourFor(settings_.choice, colour);
    settings_.colour = colour;
    settings_.colourRange.reset();
    return Change::Recount;
}

View StudioModel::viewAt(const Framing& framing) const
{
    if (settings_.view)
        return *settings_.view;
    return windowView(planeOf(settings_.choice, framing), framing);
}

RenderSettings StudioModel::pictureSettings(const Framing& framing, uint64_t points, int supersampling) const
{
    RenderSettings s = settings_;
    s.framing = framing;
    s.scale = 1;
    s.points = points;
    s.passes.reset();
    s.supersampling = s.style == Style::Density ? supersampling : 1;
    if (s.style == Style::Classic)
        s.depth = 8;
    return s;
}

RenderSettings readyForFile(RenderSettings settings)
{
    resolveColourRange(settings);
    return settings;
}

Framing framingOfSize(int width, int height)
{
    return framingFor(std::nullopt, std::nullopt, Size{width, height});
}

}  // namespace quillon::studio
