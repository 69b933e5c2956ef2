// The quillon-render command line: its option table, and the rules that turn
// the options given into what the program does. Every refusal is a UsageError
// of one line (naming the option at fault), found before anything is drawn.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/cli/OrbitCommand.h"
#include "render/engine/CountsRender.h"
#include "render/engine/Render.h"
#include "render/image/UsageError.h"
#include "render/video/Video.h"

namespace CLI {
class App;
}

namespace quillon::render {

// The exit statuses.
inline constexpr int kExitFailed = 1;        // a run that failed while working
inline constexpr int kExitUsage = 2;         // refused: options, values, inputs, no ffmpeg
inline constexpr int kExitNothingDrawn = 3;  // nothing inside the frame, or nothing found

// The command line as given; empty texts are options not given.
struct Arguments {
    std::string figure;
    std::vector<std::string> params;
    std::string caption;
    std::string from;
    int line = 0;
    bool all = false;
    bool random = false;  // --random, with or without its seed
    std::string randomSeed;
    std::string replay;
    std::string saveCounts, retone, continueCounts;  // counts files
    std::string output;
    std::string frame, size;
    std::string scale;
    std::string center, zoom;
    bool fit = false;
    std::string style;
    std::string points, passes;
    std::string seed;
    std::string tone, palette, background;
    std::string colourBy;
    std::string brightness, gamma, gammaThreshold, vibrancy, highlight, exposure;
    int depth = 0;
    int supersampling = 0;
    int threads = 0;
    std::string video, seconds, fps;
    bool title = false, noTitle = false;
    std::string zoomTo, memory;
    std::vector<std::string> morphs;
    bool ease = false;
    bool quiet = false;
    bool list = false;
    bool listPalettes = false;
    // The orbit modes.
    bool stats = false, json = false, interesting = false;
    std::string search, survey;
    std::string minExponent, minLit, maxLit, minDimension, maxDimension, maxDraws, steps;
};

// The option table, --help and --version, filling the arguments as it parses.
std::unique_ptr<CLI::App> commandLine(Arguments& arguments);

// What a job does with a counts file.
enum class CountsUse { None, Save, Retone, Continue };

// A picture, or a video, to be made; or counts kept, coloured or counted on.
struct Job {
    RenderSettings settings;
    std::string path;  // empty: no picture (counts alone)
    CountsUse counts = CountsUse::None;
    std::string countsPath;                       // --save-counts
    std::shared_ptr<StoredCounts> stored;         // --retone, --continue
    uint64_t more = 0;                            // --continue's points
};

// What the arguments ask for (besides --list and --palettes).
struct Plan {
    std::optional<OrbitCommand> orbit;   // an orbit mode; its settings refer to the arguments
    std::vector<Job> jobs;               // otherwise the pictures, in order
    std::optional<VideoSettings> video;  // set: the jobs are videos
    std::optional<uint32_t> randomSeed;  // drawn by --random, to be told with the picture
};

// Reads the files named (captions, a replayed picture or video) and checks
// every option against the others. Throws UsageError.
Plan planFor(const Arguments& arguments);

// The most a caption file may hold: some hundred thousand captions, in at
// most a million lines (a file of newlines alone would be 16 million lines).
inline constexpr uint64_t kMaxCaptionFileBytes = 16ull << 20;
inline constexpr size_t kMaxCaptionLines = 1'000'000;

// The captions of a caption file's text, named by name in messages: the one
// on line `line` (from 1), every one with `all`, or else the last. Throws
// UsageError.
std::vector<FigureChoice> captionsOf(std::string_view text, const std::string& name, int line, bool all);

// The settings of a picture of the choice: the options over those of a
// replayed picture, or over the defaults. Throws UsageError.
RenderSettings settingsFor(const Arguments& arguments, const FigureChoice& choice, const RenderSettings* replayed);

// --frame, --scale and --size together: the frame alone (default 1024x768) at
// the scale (default 1); or the size alone, framed like a drawing area 1024
// pixels wide of the same shape; or the frame shown at the size. Throws
// UsageError for sizes below 1, a scale at or below 0, or a scale with a size.
Framing framingFor(std::optional<Size> frame, std::optional<double> scale, std::optional<Size> size);

// --seconds, --fps and --title or --no-title over the settings of a replayed
// video. Throws UsageError.
VideoSettings videoSettingsFor(const std::string& seconds, const std::string& fps, std::optional<bool> title,
                               const std::optional<VideoSettings>& replayed);

// A setting refused by the renderer, told by the option that gives it.
std::string inOptionTerms(const SettingError& error);

// Refuses an output file that could not be made: a name ending in a folder,
// or a folder that is missing or not writable. Throws UsageError.
void checkOutputFile(const std::string& path);

}  // namespace quillon::render
