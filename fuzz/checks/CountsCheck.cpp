// Counts files: their header and channels.
#include <stdexcept>

#include "FuzzCheck.h"
#include "render/engine/CountsRender.h"
#include "render/image/UsageError.h"
#include "render/look/CountsFile.h"

namespace quillon::fuzz {

void checkCountsFile(std::string_view data)
{
    const std::string path = scratchFile(data, ".exr");
    render::CountsFileData counts;
    try {
        counts = render::readCountsFile(path);
    } catch (const render::CountsFileError& e) {
        checkRefusal("counts file", e.what());
        return;
    }
    const size_t pixels = static_cast<size_t>(counts.width) * static_cast<size_t>(counts.height);
    if (counts.width < 1 || counts.height < 1 || counts.counts.size() != pixels)
        fail("counts file: a grid of " + std::to_string(counts.counts.size()) + " counts read as " +
             std::to_string(counts.width) + "x" + std::to_string(counts.height));
    if ((!counts.valueSums.empty() && counts.valueSums.size() != pixels) ||
        counts.cosSums.size() != counts.sinSums.size() || (!counts.cosSums.empty() && counts.cosSums.size() != pixels))
        fail("counts file: sums that do not fill the grid");
    // Written again, the same counts and text come back.
    const std::string copy = scratchFile({}, "-copy.exr");
    bool written = true;
    try {
        render::writeCountsFile(copy, counts);
    } catch (const std::runtime_error&) {
        written = false;  // text the writer refuses, such as keys of someone else's
    }
    if (written) {
        const render::CountsFileData back = render::readCountsFile(copy);
        if (back.width != counts.width || back.height != counts.height || back.counts != counts.counts ||
            back.valueSums != counts.valueSums || back.cosSums != counts.cosSums || back.sinSums != counts.sinSums ||
            back.text != counts.text)
            fail("counts file: the counts written again read back otherwise");
    }
    // And as the renderer reads them: their text makes sense of them, or they are refused.
    try {
        render::readStoredCounts(path);
    } catch (const render::UsageError& e) {
        checkRefusal("counts file", e.what());
    }
}

}  // namespace quillon::fuzz
