// A density picture from its counts of orbit hits: each count toned and
// coloured, and with supersampling each block of aa x aa counts averaged into
// one pixel.
#pragma once

#include <cstdint>
#include <optional>

#include "render/image/Image.h"
#include "render/look/Palette.h"
#include "render/look/Tone.h"

namespace quillon::render {

// counts holds (width * aa) x (height * aa) values, row-major. Uncounted
// pixels take the background. Blocks are averaged in linear light, so that
// a pixel half covered by a white edge shows the grey of half the light; the
// result is encoded as sRGB at depth 8 or 16, rounded to nearest. Rows are
// shared among threads; the picture does not depend on how many.
// Throws std::invalid_argument for a size, aa or depth out of range.
Image colourise(const uint32_t* counts, int width, int height, int aa, ToneCurve curve,
                const Palette& palette, Rgb background, int depth);

// What was counted per pixel: the hits, and for a picture coloured by the
// orbit the sums of its points' values (0 to 65535 each) or of their
// directions' parts (-32767 to 32767 each). Null where there are none.
struct CountsView {
    const uint32_t* counts = nullptr;
    const uint64_t* values = nullptr;
    const int64_t* cosines = nullptr;
    const int64_t* sines = nullptr;
    bool coloured() const { return values || cosines; }
};

// Everything a picture's look is made of.
struct Look {
    ToneCurve curve = ToneCurve::Log;
    ToneControls controls;
    const Palette* palette = nullptr;
    Rgb background = 0;
    int depth = 8;
    // The scale of the tone, where it is not the counts' own (see Tone).
    std::optional<ToneScale> scale;
};

// The mean value of a pixel's points, 0 to 1; a mean direction as a turn
// from 0 to 1 (0 pointing right, a quarter up). The palette colours it and the
// tone of the pixel's count gives its light (see ToneControls).
Image colourise(const CountsView& counts, int width, int height, int aa, const Look& look);
// The same with a tone made before: a band of rows of a larger picture takes
// the tone of the whole picture's counts.
Image colourise(const CountsView& counts, int width, int height, int aa, const Look& look, const Tone& tone);

}  // namespace quillon::render
