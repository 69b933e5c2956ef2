#include "render/engine/CountsRender.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>

#include "app/PictureText.h"
#include "render/image/OutputFile.h"
#include "render/image/UsageError.h"

namespace quillon::render {

namespace {

[[noreturn]] void refuse(const std::string& path, const std::string& reason)
{
    throw CountsFileError(path + ": " + reason);
}

// The sums the colour of the settings needs, as the counter keeps them.
bool needsValues(OrbitColour colour) { return colour != OrbitColour::None && colour != OrbitColour::Angle; }
bool needsDirections(OrbitColour colour) { return colour == OrbitColour::Angle; }

// The text and the header must tell of the same counts.
void checkHeader(const std::string& path, const CountsFileHeader& header, StoredCounts& stored)
{
    try {
        stored.settings = settingsFrom(*header.text);
    } catch (const UsageError& e) {
        std::string reason = e.what();
        const std::string picture = "the picture's ";
        if (reason.rfind(picture, 0) == 0)
            reason = "its text's " + reason.substr(picture.size());
        refuse(path, reason);
    }
    const RenderSettings& s = stored.settings;
    if (s.style != Style::Density)
        refuse(path, "its text is of a classic picture, which counts nothing");
    const auto caption = std::find_if(header.text->begin(), header.text->end(), [](const auto& entry) {
        return entry.first == std::string(kPictureKeyPrefix) + "caption";
    });
    if (caption == header.text->end())
        refuse(path, "its text lacks quillon:caption");
    stored.caption = caption->second;
    const int64_t width = int64_t{s.framing.width} * s.supersampling;
    const int64_t height = int64_t{s.framing.height} * s.supersampling;
    if (header.width != width || header.height != height)
        refuse(path, "a grid of " + sizeText(header.width, header.height) + " does not fit its text: " +
                         sizeText(s.framing.width, s.framing.height) + " with --aa " +
                         std::to_string(s.supersampling) + " counts " + std::to_string(width) + "x" +
                         std::to_string(height));
    if (header.valueSums != needsValues(s.colour) || header.directionSums != needsDirections(s.colour)) {
        const std::string mode = s.colour == OrbitColour::None ? "density" : orbitColourName(s.colour);
        refuse(path, std::string("its sums do not fit its colour by ") + mode + ": it holds " +
                         (header.valueSums       ? "value sums"
                          : header.directionSums ? "direction sums"
                                                 : "no sums"));
    }
}

// No point adds more than 65535 to a value sum, nor more than 32767 either
// way to a direction's; a count at its largest has stopped counting.
void checkSums(const std::string& path, const CountsFileData& data)
{
    constexpr uint32_t kSaturated = std::numeric_limits<uint32_t>::max();
    for (size_t k = 0; k < data.valueSums.size(); ++k)
        if (data.counts[k] != kSaturated && data.valueSums[k] > uint64_t{data.counts[k]} * 65535)
            refuse(path, "damaged: the value sum of pixel " + std::to_string(k) + " is more than its count allows");
    for (size_t k = 0; k < data.cosSums.size(); ++k) {
        const int64_t most = int64_t{data.counts[k]} * 32767;
        if (data.counts[k] != kSaturated && (std::llabs(data.cosSums[k]) > most || std::llabs(data.sinSums[k]) > most))
            refuse(path, "damaged: the direction sum of pixel " + std::to_string(k) + " is more than its count allows");
    }
}

CountsView viewOf(const CountsFileData& data)
{
    return {.counts = data.counts.data(),
            .values = data.valueSums.empty() ? nullptr : data.valueSums.data(),
            .cosines = data.cosSums.empty() ? nullptr : data.cosSums.data(),
            .sines = data.sinSums.empty() ? nullptr : data.sinSums.data()};
}

template <typename T>
std::vector<T> copyOf(const ZeroGrid<T>& grid)
{
    return grid.empty() ? std::vector<T>{} : std::vector<T>(grid.begin(), grid.end());
}

template <typename T>
void copyInto(ZeroGrid<T>& grid, const std::vector<T>& from)
{
    if (!grid.empty())
        std::copy(from.begin(), from.end(), grid.data());
}

}  // namespace

CountsFileData countsFileData(const RenderSettings& s, const std::string& caption, const CountGrids& grids,
                              int width, int height)
{
    CountsFileData data{.width = width,
                        .height = height,
                        .counts = copyOf(grids.counts),
                        .valueSums = copyOf(grids.values),
                        .cosSums = copyOf(grids.cosines),
                        .sinSums = copyOf(grids.sines)};
    for (auto& entry : metadataOf(s, caption))
        if (entry.first.rfind(kPictureKeyPrefix, 0) == 0)
            data.text.push_back(std::move(entry));
    return data;
}

StoredCounts readStoredCounts(const std::string& path)
{
    StoredCounts stored;
    stored.path = path;
    try {
        stored.data = readCountsFile(path, [&](const CountsFileHeader& header) { checkHeader(path, header, stored); });
        checkSums(path, stored.data);
    } catch (const CountsFileError& e) {
        throw UsageError(e.what());
    }
    return stored;
}

CountGrids gridsOf(const CountsFileData& data, OrbitColour colour)
{
    CountGrids grids(data.counts.size(), colour);
    copyInto(grids.counts, data.counts);
    copyInto(grids.values, data.valueSums);
    copyInto(grids.cosines, data.cosSums);
    copyInto(grids.sines, data.sinSums);
    return grids;
}

RenderResult renderKeepingCounts(const RenderSettings& s, const std::string& picturePath,
                                 const std::string& countsPath, const ProgressFn& progress)
{
    checkSettings(s);
    RenderSettings resolved = s;
    resolveColourRange(resolved);
    OutputFile counts(countsPath);
    std::optional<OutputFile> picture;
    if (!picturePath.empty())
        picture.emplace(picturePath);
    const DensityCounter counter = countPicture(resolved, progress);
    RenderResult result = densityPicture(resolved, counter.grids().view(), counter.caption(), resolved.points);
    writeCountsFile(counts.tempPath(),
                    countsFileData(resolved, result.caption, counter.grids(), counter.width(), counter.height()));
    if (picture)
        writePng(picture->tempPath(), result.image, metadataOf(resolved, result.caption));
    counts.commit();
    if (picture)
        picture->commit();
    return result;
}

RenderResult retoneToFile(const StoredCounts& stored, const RenderSettings& s, const std::string& picturePath)
{
    checkSettings(s);
    OutputFile picture(picturePath);
    RenderResult result = densityPicture(s, viewOf(stored.data), stored.caption, s.points);
    RenderSettings named = s;
    named.countsFile = std::filesystem::path(stored.path).filename().string();
    writePng(picture.tempPath(), result.image, metadataOf(named, stored.caption));
    picture.commit();
    return result;
}

RenderSettings continuedSettings(const RenderSettings& settings, uint64_t more)
{
    RenderSettings s = settings;
    s.points += more;
    s.passes.reset();
    return s;
}

RenderResult continueToFile(StoredCounts stored, const RenderSettings& settings, uint64_t more,
                            const std::string& picturePath, const ProgressFn& progress)
{
    if (stored.settings.plan != kGrowingPlan)
        throw UsageError(stored.path + ": counted by the fixed plan, whose orbits depend on the points of the whole "
                                       "picture; its counts cannot be counted on");
    const uint64_t before = stored.settings.points;
    const RenderSettings s = continuedSettings(settings, more);
    checkSettings(s);
    OutputFile counts(stored.path);
    std::optional<OutputFile> picture;
    if (!picturePath.empty())
        picture.emplace(picturePath);

    DensityCounter counter(countRequest(s));
    counter.adopt(gridsOf(stored.data, s.colour), before);
    stored.data = {};  // the counter has its own copy now
    counter.countTo(s.points, {.progress = progress});
    RenderResult result = densityPicture(s, counter.grids().view(), counter.caption(), s.points);
    writeCountsFile(counts.tempPath(),
                    countsFileData(s, result.caption, counter.grids(), counter.width(), counter.height()));
    if (picture)
        writePng(picture->tempPath(), result.image, metadataOf(s, result.caption));
    counts.commit();
    if (picture)
        picture->commit();
    return result;
}

}  // namespace quillon::render
