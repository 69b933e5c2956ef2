// One picture from start to file: the settings of a render (its figure, framing,
// style, look and counts), what a picture keeps of them in its text chunks, and
// reading them back for a replay.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/engine/Counting.h"
#include "render/engine/Drawing.h"
#include "render/engine/FigureChoice.h"
#include "render/engine/Framing.h"
#include "render/engine/View.h"
#include "render/image/Image.h"
#include "render/image/PngFile.h"
#include "render/look/Colourise.h"

namespace quillon::render {

enum class Style { Classic, Density };

// The points a picture gets when none are asked for. Classic: about what the
// window draws of a fast figure in a ten-second slide's first second, enough
// for every pass colour to have painted the lit pixels many times over. Density:
// enough for smooth tones at poster sizes.
inline constexpr uint64_t kClassicPoints = 20'000'000;
inline constexpr uint64_t kDensityPoints = 100'000'000;

// No picture counts more points (a billion seconds of work at a million a second).
inline constexpr uint64_t kMaxPoints = 1'000'000'000'000'000;

// The memory a render may take unless told: three quarters of the machine's
// memory, and 4 GiB where that cannot be told.
uint64_t defaultMemoryLimit();
// "2G", "512M", "1.5G", "65536K" or bytes; nothing for other text, or for
// less than 16 MiB or more than 1 PiB.
std::optional<uint64_t> memoryLimitFrom(const std::string& text);

struct RenderSettings {
    FigureChoice choice;
    uint32_t seed = 1;  // the pass colours' (and the orbits') when parameters are given
    Framing framing;
    double scale = 1;   // as asked, for the record
    std::optional<View> view;  // none: the window's framing
    bool fit = false;          // frame the orbit whole: made a view before drawing (see resolveFit)
    // The counts file (its name) a picture was coloured from; its counts are
    // the ones these settings count.
    std::string countsFile;
    // The memory the render may take (0: defaultMemoryLimit()); the picture
    // does not depend on it, and its text does not keep it.
    uint64_t memoryLimit = 0;
    int plan = kGrowingPlan;   // how a density picture's points are split into orbits
    Style style = Style::Classic;
    uint64_t points = kClassicPoints;
    std::optional<uint64_t> passes;
    std::string tone = "log";
    ToneControls controls;  // the tone's defaults unless asked otherwise (ToneControls::defaultsFor)
    OrbitColour colour = OrbitColour::None;  // what a density picture's colour follows
    std::optional<ColourRange> colourRange;  // the speeds it spans; found before counting when not given
    std::string palette = "ember";  // a built-in's name, or the palette file's path
    // A palette file's segments (Palette::definition), so that the picture
    // draws again without the file; empty for a built-in.
    std::string paletteDefinition;
    std::string background = "#000000";
    int depth = 8;
    int supersampling = 1;
    int threads = 1;
};

struct RenderResult {
    Image image;
    std::string caption;  // as the program writes it
    uint64_t litPixels = 0;
    uint64_t points = 0;
};

// Checks the settings that do not depend on the figure: sizes and memory, the
// look's names, the depth. Throws UsageError. A density picture passes if it
// can be made at all, if need be in bands (see Bands.h).
void checkSettings(const RenderSettings& settings);

// The memory the settings may take, and whether a density picture's counts
// fit it whole; the refusal of a picture that needs bytes.
uint64_t memoryLimitOf(const RenderSettings& settings);
bool fitsWhole(const RenderSettings& settings);
std::string memoryRefusal(const RenderSettings& settings, uint64_t bytes, bool inBands);

// What drawClassic and the density counter are asked for the settings.
ClassicRequest classicRequest(const RenderSettings& settings);
// Without a band, the whole picture's counts must fit the memory allowed
// (UsageError otherwise).
CountRequest countRequest(const RenderSettings& settings, std::optional<RowBand> band = std::nullopt);

// Settings asking to fit get the view that frames the orbit: the middle 99.8 %
// of the points of the figure's orbit each way, with a margin.
void resolveFit(RenderSettings& settings);

// Settings coloured by speed without a range get the range of their orbit.
void resolveColourRange(RenderSettings& settings);

// The look of a density picture of the settings.
Palette paletteOf(const RenderSettings& settings);
Look lookOf(const RenderSettings& settings, const Palette& palette);

// Counts the density picture of the settings, as its plan says.
DensityCounter countPicture(const RenderSettings& settings, const ProgressFn& progress = {},
                            std::optional<RowBand> band = std::nullopt);

// The density picture of counted grids with the look of the settings: every
// density picture is made by it, from fresh counts or kept ones alike.
RenderResult densityPicture(const RenderSettings& settings, const CountsView& counts, const std::string& caption,
                            uint64_t points);

// Draws the picture; progress is told the points done so far.
RenderResult render(const RenderSettings& settings, const ProgressFn& progress = {});
// Draws the classic picture of the settings; progress is told the points done
// every progressEvery points (0: every 2^20).
RenderResult renderClassic(const RenderSettings& settings, const ProgressFn& progress = {},
                           uint32_t progressEvery = 0);
// Draws the picture into a PNG file with its text, never leaving half a file;
// progress is told the points done so far. A density picture too large to
// hold is made in bands (bandPlan), its points then counted once a band.
RenderResult renderToFile(const RenderSettings& settings, const std::string& path, const ProgressFn& progress = {});

// What the picture keeps: the caption, the figure and every parameter in
// round-trip precision, the style and look, the counts, seed, frame, size and
// scale, and the version of the renderer.
TextChunks metadataOf(const RenderSettings& settings, const std::string& caption);
// The settings a picture was made with; threads are the caller's. Throws
// UsageError when the text chunks are not ours or do not make sense.
RenderSettings settingsFrom(const TextChunks& text);

std::string versionText();

// The most points that passes of the figure draw (Comet's orbits may end early).
uint64_t pointsOfPasses(const FigureChoice& choice, uint64_t passes);

}  // namespace quillon::render
