// Counts files: a density render's counts of orbit hits, and the sums that
// colour it by what the orbit does, kept exactly in an OpenEXR file so that the
// renderer can colour them again or count more points into them, and so that
// image programs (Krita, GIMP, Blender, Python) open it too.
//
// The file is a single scan-line image, ZIP compressed, its data window and
// display window both the counted grid (0,0)-(width-1,height-1). Channels:
//   Y                      FLOAT  the count, for viewers: the density
//   colour                 FLOAT  with value sums: sum / count / 65535, in 0..1
//                                 (0 where nothing was counted)
//   direction.x, .y        FLOAT  with direction sums: cos sum / count / 32767
//                                 and sin sum / count / 32767, in -1..1
//   count                  UINT   the count, exactly
//   value.lo, value.hi     UINT   the value sums' low and high 32 bits
//   cos.lo, cos.hi,        UINT   the direction sums' halves, two's complement
//   sin.lo, sin.hi
// Only the UINT channels are read back: floats would round counts above 2^24
// and the sums much sooner, and counting on must be exact.
// Header: the string attribute "quillon:counts" = "1" (the version of this
// layout) marks the file as ours; the text follows as string attributes under
// its own keys, which all begin with "quillon:".
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "render/image/PngFile.h"

namespace quillon::render {

struct CountsFileData {
    int width = 0, height = 0;              // the counted grid
    std::vector<uint32_t> counts;           // width*height, row by row
    std::vector<uint64_t> valueSums;        // empty, or width*height
    std::vector<int64_t> cosSums, sinSums;  // both empty, or both width*height
    TextChunks text;                        // the request that made the counts
};

// Each side 1..kCountsMaxSide and at most kCountsMaxPixels in all: 65535
// pixels a side, supersampled 4 times, and 8 GiB of counts.
inline constexpr int kCountsMaxSide = 65535 * 4;
inline constexpr int64_t kCountsMaxPixels = int64_t{1} << 31;

inline constexpr const char* kCountsMarkerKey = "quillon:counts";
inline constexpr const char* kCountsVersion = "1";

// Writes the file at path; callers write to an OutputFile's temporary name and
// commit it (render/image/OutputFile.h). The text's keys must begin with
// "quillon:", be at most 255 bytes and differ from each other and from the
// marker; neither keys nor values may hold NUL. The same data gives the same
// bytes. Throws std::runtime_error naming the file and the reason (the disk
// filling up included); what was written stays.
void writeCountsFile(const std::string& path, const CountsFileData& data);

// One line naming the file and what is wrong with it.
class CountsFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a file's header tells, before any pixel is read.
struct CountsFileHeader {
    int width = 0, height = 0;
    bool valueSums = false, directionSums = false;
    const TextChunks* text = nullptr;
};
// Throws to refuse the file before its grid is allocated.
using CountsHeaderCheck = std::function<void(const CountsFileHeader&)>;

// Reads a file written by writeCountsFile; the text comes back ordered by key,
// as OpenEXR keeps attributes. Sizes and channels are checked from the header
// before any pixel is read or the grid allocated. Throws CountsFileError for a
// file that cannot be opened, is not OpenEXR, is OpenEXR but not ours, is
// damaged or cut short, lacks a channel or has one of the wrong type or size,
// or is over the limits. Running out of memory stays std::bad_alloc. The check,
// when given, sees the header once it is found sound; what it throws passes.
CountsFileData readCountsFile(const std::string& path, const CountsHeaderCheck& check = {});

}  // namespace quillon::render
