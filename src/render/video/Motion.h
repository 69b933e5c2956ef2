// Videos that move: a flight from the picture's view to another, and
// parameters that slide from one value to another, each frame a whole picture
// of its own view and parameters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/engine/Render.h"
#include "render/image/PngFile.h"

namespace quillon::render {

// A parameter sliding across the video: its label as the caption shows it.
struct Morph {
    std::string label;
    double from = 0, to = 0;
    bool operator==(const Morph&) const = default;
};

struct Motion {
    std::optional<View> zoomTo;  // fly from the picture's view to this one
    std::vector<Morph> morphs;
    bool ease = false;  // start and end gently
    bool fitFrames = false;  // each frame framed to its own orbit, smoothed (see fittedViews)
    // A growing density video's tone on a scale smoothed across its frames,
    // as a moving video's always is: every video made now. One made before,
    // whose text does not say so, replays with each frame on its own scale.
    bool steadyTone = true;
    bool moving() const { return zoomTo.has_value() || !morphs.empty(); }
    bool operator==(const Motion&) const = default;
};

// How far along the video frame k of n is, 0 to 1; eased, a smooth step.
double motionTime(uint64_t frame, uint64_t frames, bool ease);

// The view at time t of a flight from one view to another: the zoom changes at
// a steady rate (geometrically), and the target's place on the screen moves
// to the middle in step with the time, so that it comes to rest there.
View flightView(const View& from, const View& to, double t);

// "X,Y,ZOOM" and "LABEL=FROM:TO" as the options and the video's text write
// them. Throw SettingError ("zoom-to", "morph").
View zoomToFrom(const std::string& text);
Morph morphFrom(const std::string& text);
std::string zoomToText(const View& view);
std::string morphText(const Morph& morph);

// Checks the motion against the picture's settings: morphs of parameters the
// figure has, at most once each, of a figure given by its parameters; a
// flight within what the plane can show. Throws SettingError.
void checkMotion(const RenderSettings& settings, const Motion& motion);

// The settings of frame k of n: the figure's parameters and the view there;
// `fitted`, where the frames are fitted to their orbits, the views of fittedViews.
RenderSettings frameSettings(const RenderSettings& settings, const Motion& motion, uint64_t frame,
                             uint64_t frames, const std::vector<View>& fitted = {});

// The fitted view of every frame, each the mean of the fitted views of the
// frames within `radius` of it (fewer near the ends, so that the first and the
// last frame are fitted exactly as their pictures alone would be): centres
// averaged, zooms averaged geometrically.
std::vector<View> fittedViews(const RenderSettings& settings, const Motion& motion, uint64_t frames,
                              uint64_t radius);

// The neighbours' mean used for a steady look: the value of frame k is the
// geometric mean of the values of the frames within min(radius, k, n-1-k).
double smoothedAt(const std::vector<double>& values, size_t k, size_t radius);

// The video's text keys of the motion, and the motion read back from them.
void addMotionText(TextChunks& text, const Motion& motion);
Motion motionFrom(const TextChunks& text);

}  // namespace quillon::render
