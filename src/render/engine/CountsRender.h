// Density pictures through counts files (render/look/CountsFile.h): a render
// that keeps its counts, a picture coloured again from kept counts without
// counting, and more points counted into kept counts. The file's text is the
// picture's (metadataOf), so the counts say how they were made, and counting
// on goes on with exactly the orbits a single run would have counted.
#pragma once

#include <cstdint>
#include <string>

#include "render/engine/Counting.h"
#include "render/engine/Render.h"
#include "render/look/CountsFile.h"

namespace quillon::render {

// Counts read back with the settings and caption of their text.
struct StoredCounts {
    std::string path;
    RenderSettings settings;  // as counted; one thread
    std::string caption;
    CountsFileData data;
};

// The file's data for counts of the settings: the counter's grids, and the
// picture's text (its keys of our own).
CountsFileData countsFileData(const RenderSettings& settings, const std::string& caption, const CountGrids& grids,
                              int width, int height);

// Reads a counts file and makes sense of its text. Throws UsageError of one
// line naming the file: not ours, damaged, text that does not make sense, or
// a grid or sums that do not fit the text (checked before the grid is read).
StoredCounts readStoredCounts(const std::string& path);

// The grids of stored counts, to count on from.
CountGrids gridsOf(const CountsFileData& data, OrbitColour colour);

// The picture of counted grids with the look of the settings; the same
// function makes every density picture, so kept counts give the same bytes.
RenderResult densityPicture(const RenderSettings& settings, const CountsView& counts, const std::string& caption,
                            uint64_t points);

// Counts the density picture of the settings and writes its counts to
// countsPath, and the picture to picturePath unless that is empty. Neither
// file is left half written.
RenderResult renderKeepingCounts(const RenderSettings& settings, const std::string& picturePath,
                                 const std::string& countsPath, const ProgressFn& progress = {});

// The picture of stored counts with the look of the settings, which must be
// the stored ones but for the look; its text names the counts file.
RenderResult retoneToFile(const StoredCounts& stored, const RenderSettings& settings, const std::string& picturePath);

// Counts `more` points of the same orbit plan into stored counts of the
// growing plan and writes them back over their file (and the picture to
// picturePath unless empty); progress is told the points done of the more.
RenderResult continueToFile(StoredCounts stored, const RenderSettings& settings, uint64_t more,
                            const std::string& picturePath, const ProgressFn& progress = {});

// The settings of stored counts after `more` points are counted on.
RenderSettings continuedSettings(const RenderSettings& settings, uint64_t more);

}  // namespace quillon::render
