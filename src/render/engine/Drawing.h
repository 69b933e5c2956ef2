// The classic picture: the window's drawing of a figure with the figure's own
// code, one pixel per point in the pass colours, on a platform without a
// window. (Density pictures are counted: see Counting.h.)
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/engine/FigureChoice.h"
#include "render/engine/Counting.h"
#include "render/engine/Framing.h"
#include "render/engine/View.h"
#include "runtime/QBColor.h"

namespace quillon::render {

struct ClassicPicture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row
    std::string caption;           // as the program wrote it
    uint64_t points = 0;
};

// The points counted are the figure's steps, as the window counts them (one
// yield each); with passes, the drawing stops at the end of that pass instead.
struct ClassicRequest {
    FigureChoice choice;
    Framing framing;
    std::optional<View> view;  // none: the window's framing
    uint64_t points = 0;
    std::optional<uint64_t> passes;
    uint32_t seed = 0;  // the pass colours' when the parameters are given
    Rgb background = 0;
    // A video's frames: onFrame sees the picture as it stands after frame k's
    // share of the points, round(k * points / frames) for k = 1 .. frames (of
    // the columns, for the bifurcation diagram); the last sees the whole
    // picture, however the drawing ended.
    uint64_t frames = 0;
    std::function<void(const ClassicPicture&)> onFrame;
    // The points between progress reports (0: 2^20); a drawing that is to
    // stop soon after it is told to reports often.
    uint32_t progressEvery = 0;
};

ClassicPicture drawClassic(const ClassicRequest& request, const ProgressFn& progress = {});

}  // namespace quillon::render
