// The renderer's orbit modes as the command line runs them: --stats prints
// what an orbit does, --interesting draws until a figure is worth keeping,
// --search keeps several with a contact sheet, --survey counts how many random
// draws of each figure are turned down. Results on stdout, progress on stderr.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "render/analysis/Search.h"

namespace quillon::render {

struct OrbitCommand {
    enum class Mode { Stats, Interesting, Search, Survey };
    Mode mode = Mode::Stats;
    bool stats = false;  // the statistics too, with --interesting and --search
    bool json = false;
    bool quiet = false;
    std::vector<FigureChoice> choices;     // Stats: the figures named
    const RenderFigure* figure = nullptr;  // the others: the figure drawn, or null for the slide show's
    uint32_t seed = 0;
    uint64_t count = 1;  // Search: the figures wanted; Survey: the draws of each figure
    uint64_t maxDraws = 200;
    Interest interest;
    StatsOptions options;
    int threads = 1;
    SettingsFor settingsFor;
    // The picture (Stats: only when given), or the stem of a search's files.
    std::string output;
    // The picture's name when none is given; null: the slide show's figures.
    std::function<std::string(const RenderFigure*)> defaultOutput;
};

// The exit status: 0, or 3 when nothing (or not all) was found. Throws
// UsageError for what cannot be done as asked.
int runOrbitCommand(const OrbitCommand& command);

}  // namespace quillon::render
