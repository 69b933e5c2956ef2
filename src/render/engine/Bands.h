// A density picture too large to hold at once, made in horizontal bands of
// rows. Its orbits are deterministic, so every band runs all of them again and
// counts only the points that fall in its rows. The tone needs the whole
// picture's counts (their largest, their sum, for the equalised tone how many
// pixels have each count): a first sweep gathers that band by band and keeps
// each band's counts in a scratch file beside the picture; the second reads
// them back, tones and colours them and writes the PNG's rows as they are
// finished. Where the disk has no room for the scratch file, the second sweep
// counts every band again instead. Either way the picture is the one made at
// once, byte for byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "render/engine/Render.h"

namespace quillon::render {

// Memory a band's rows take besides the counts: the program, the tone's
// tables and the scratch buffers.
inline constexpr uint64_t kBandOverhead = 64ull << 20;

struct BandPlan {
    int bands = 1;
    int rows = 0;          // the picture's rows a band holds (the last may hold fewer)
    bool recount = false;  // no room for the scratch file: count every band twice
    // What the progress counts, in countings of the whole picture's points:
    // one a band, then the second sweep: reading the bands back, toning and
    // writing them, about as long as one more (measured: quillon-bench bands),
    // or counting every band again.
    int sweeps() const { return recount ? 2 * bands : bands + 1; }
};

// The memory the bands of `rows` picture rows each take while counted.
uint64_t bandedBytes(const RenderSettings& settings, int rows);
// The least memory a density picture can be made in: bands of one row.
uint64_t leastBandedBytes(const RenderSettings& settings);

// How a density picture to be written to `path` is made in bands; none when
// it fits the memory allowed whole (or is not a density picture). Throws
// UsageError when not even bands of one row fit.
std::optional<BandPlan> bandPlan(const RenderSettings& settings, const std::string& path);

// What renderToFile's progress counts up to for the picture: its points,
// times the sweeps of its bands if it is made in bands.
uint64_t progressTotal(const RenderSettings& settings, const std::string& path);

// The density picture of the settings written to `path` band by band (never
// whole in memory, neither its counts nor its pixels); progress is told the
// points counted so far over all the plan's sweeps (see BandPlan::sweeps).
// The result holds no image.
RenderResult renderInBands(const RenderSettings& settings, const std::string& path, const BandPlan& plan,
                           const ProgressFn& progress = {});

}  // namespace quillon::render
