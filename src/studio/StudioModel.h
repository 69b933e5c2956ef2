// What the studio shows, without a widget in sight: the figure with its
// parameters, the seed, the view, the style and the look. Every edit says
// what it costs: nothing, colouring the counts again, or counting again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "render/engine/Render.h"

namespace quillon::studio {

using render::RenderSettings;

// What an edit asks of the preview.
enum class Change {
    None,     // nothing changed
    Retone,   // the look only: the counts are coloured again
    Recount,  // the request: the counts are thrown away and counted again
};

// Of the settings, those that make a picture's place: what is drawn and where.
struct Place {
    const render::RenderFigure* figure = nullptr;
    std::vector<double> values;
    uint32_t seed = 1;
    std::optional<render::View> view;
    bool operator==(const Place&) const = default;
};

// The preview's point budget when none is asked for.
inline constexpr uint64_t kPreviewPoints = 20'000'000;

class StudioModel {
public:
    StudioModel();

    const RenderSettings& settings() const { return settings_; }
    const render::RenderFigure& figure() const { return *settings_.choice.figure; }
    Place place() const;

    // A figure at its defaults, in the window's framing.
    Change setFigure(const render::RenderFigure* figure);
    Change setValue(size_t parameter, double value);
    Change setSeed(uint32_t seed);
    Change setDefaults();
    // Parameters drawn as the program's random mode draws them from the seed.
    Change setRandom(uint32_t drawSeed);
    Change setView(const std::optional<render::View>& view);
    Change setPlace(const Place& place);
    // A picture's settings as read back from its text (or a caption's choice).
    Change setPicture(const RenderSettings& picture);

    Change setStyle(render::Style style);
    // A new tone brings its own controls' defaults.
    Change setTone(const std::string& tone);
    Change setControls(const render::ToneControls& controls);
    Change setPalette(const std::string& palette);
    Change setBackground(const std::string& background);
    // The sums counted differ by colour, so a new colour counts again.
    Change setColour(OrbitColour colour);

    // The view shown, made explicit: the window's framing at that framing
    // when there is no view of its own.
    render::View viewAt(const render::Framing& framing) const;

    // The settings of a picture of the given framing, points and supersampling.
    RenderSettings pictureSettings(const render::Framing& framing, uint64_t points, int supersampling) const;

private:
    Change recountIf(bool changed) const { return changed ? Change::Recount : Change::None; }
    Change retoneIf(bool changed) const { return changed ? Change::Retone : Change::None; }

    RenderSettings settings_;
};

// The settings as a file is made of them: a colour by speed gets the range of
// its orbit first, as quillon-render finds it, so that the file tells it.
RenderSettings readyForFile(RenderSettings settings);

// The framing of a picture of that size: the frame 1024 wide of the same
// shape, as quillon-render frames a --size alone.
render::Framing framingOfSize(int width, int height);

}  // namespace quillon::studio
