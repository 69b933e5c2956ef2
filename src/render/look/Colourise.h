// A density picture from its counts of orbit hits: each count toned and
// coloured, and with supersampling each block of aa x aa counts averaged into
// one pixel.
#pragma once

#include <cstdint>

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

}  // namespace quillon::render
