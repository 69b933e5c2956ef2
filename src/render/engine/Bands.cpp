#include "render/engine/Bands.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "render/image/OutputFile.h"
#include "render/image/PngFile.h"
#include "render/image/UsageError.h"
#include "render/look/Palette.h"
#include "render/look/Tone.h"

namespace quillon::render {
namespace {

// Room the disk keeps beyond the scratch file, for the picture itself.
constexpr uint64_t kDiskMargin = 256ull << 20;

uint64_t bytesPerCount(OrbitColour colour)
{
    return 4 + (colour == OrbitColour::None ? 0 : colour == OrbitColour::Angle ? 16 : 8);
}

std::string folderOf(const std::string& path)
{
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? "." : folder.string();
}

// A file of the bands' counts, gone from its folder from the start: nothing
// is left behind however the program ends.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& folder) : folder_(folder)
    {
        std::string name = folder + "/.quillon-bands-XXXXXX";
        fd_ = ::mkstemp(name.data());
        if (fd_ < 0)
            fail("cannot be made");
        ::unlink(name.c_str());
    }
    ~ScratchFile() { ::close(fd_); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    void write(const CountGrids& grids)
    {
        put(grids.counts.data(), grids.counts.size() * sizeof(uint32_t));
        put(grids.values.data(), grids.values.size() * sizeof(uint64_t));
        put(grids.cosines.data(), grids.cosines.size() * sizeof(int64_t));
        put(grids.sines.data(), grids.sines.size() * sizeof(int64_t));
    }

    // The next band's counts, as written.
    CountGrids read(size_t pixels, OrbitColour colour)
    {
        CountGrids grids(pixels, colour);
        get(grids.counts.data(), grids.counts.size() * sizeof(uint32_t));
        get(grids.values.data(), grids.values.size() * sizeof(uint64_t));
        get(grids.cosines.data(), grids.cosines.size() * sizeof(int64_t));
        get(grids.sines.data(), grids.sines.size() * sizeof(int64_t));
        return grids;
    }

private:
    [[noreturn]] void fail(const char* what) const
    {
        throw std::runtime_error("the scratch file for the picture's bands in " + folder_ + " " + what + ": " +
                                 std::strerror(errno));
    }

    void put(const void* data, size_t bytes)
    {
        const auto* from = static_cast<const char*>(data);
        while (bytes > 0) {
            const ssize_t done = ::pwrite(fd_, from, bytes, static_cast<off_t>(written_));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                fail("cannot be written");
            from += done;
            bytes -= static_cast<size_t>(done);
            written_ += static_cast<uint64_t>(done);
        }
    }

    void get(void* data, size_t bytes)
    {
        auto* into = static_cast<char*>(data);
        while (bytes > 0) {
            const ssize_t done = ::pread(fd_, into, bytes, static_cast<off_t>(read_));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0) {
                if (done == 0)
                    errno = EIO;
                fail("cannot be read back");
            }
            into += done;
            bytes -= static_cast<size_t>(done);
            read_ += static_cast<uint64_t>(done);
        }
    }

    std::string folder_;
    int fd_ = -1;
    uint64_t written_ = 0, read_ = 0;
};

}  // namespace

uint64_t bandedBytes(const RenderSettings& s, int rows)
{
    const uint64_t aa = static_cast<uint64_t>(s.supersampling);
    const uint64_t counted = static_cast<uint64_t>(rows) * aa * static_cast<uint64_t>(s.framing.width) * aa;
    // The counts of the band, one set per thread; the band's pixels.
    return counted * bytesPerCount(s.colour) * (static_cast<uint64_t>(s.threads) + 1) +
           static_cast<uint64_t>(rows) * static_cast<uint64_t>(s.framing.width) * 6 + kBandOverhead;
}

uint64_t leastBandedBytes(const RenderSettings& s) { return bandedBytes(s, 1); }

std::optional<BandPlan> bandPlan(const RenderSettings& s, const std::string& path)
{
    if (s.style != Style::Density || fitsWhole(s))
        return std::nullopt;
    const uint64_t limit = memoryLimitOf(s);
    const uint64_t least = leastBandedBytes(s);
    if (least > limit)
        throw UsageError(memoryRefusal(s, least, true));
    const uint64_t perRow = least - kBandOverhead;
    const int height = s.framing.height;
    const int fitting = static_cast<int>(std::clamp<uint64_t>((limit - kBandOverhead) / perRow, 1, height));
    BandPlan plan;
    plan.bands = (height + fitting - 1) / fitting;
    plan.rows = (height + plan.bands - 1) / plan.bands;  // as even as whole rows allow
    const uint64_t aa = static_cast<uint64_t>(s.supersampling);
    const uint64_t scratch = static_cast<uint64_t>(s.framing.width) * aa * static_cast<uint64_t>(height) * aa *
                             bytesPerCount(s.colour);
    struct statvfs disk {};
    plan.recount = ::statvfs(folderOf(path).c_str(), &disk) != 0 ||
                   static_cast<uint64_t>(disk.f_bavail) * disk.f_frsize < scratch + kDiskMargin;
    return plan;
}

uint64_t progressTotal(const RenderSettings& s, const std::string& path)
{
    const std::optional<BandPlan> plan = bandPlan(s, path);
    return plan ? s.points * static_cast<uint64_t>(plan->sweeps()) : s.points;
}

RenderResult renderInBands(const RenderSettings& s, const std::string& path, const BandPlan& plan,
                           const ProgressFn& progress)
{
    checkSettings(s);
    if (s.style != Style::Density || plan.bands < 1 || plan.rows < 1 ||
        static_cast<int64_t>(plan.bands) * plan.rows < s.framing.height)
        throw std::invalid_argument("renderInBands: a plan that does not cover the picture");
    OutputFile file(path);
    RenderSettings resolved = s;
    resolveColourRange(resolved);
    const int width = s.framing.width, height = s.framing.height, aa = s.supersampling;
    const auto firstRow = [&](int band) { return std::min(height, band * plan.rows); };
    const auto countedPixels = [&](int band) {
        return static_cast<size_t>(firstRow(band + 1) - firstRow(band)) * aa * static_cast<size_t>(width) * aa;
    };
    int sweep = 0;
    const auto count = [&](int band) {
        const uint64_t before = static_cast<uint64_t>(sweep++) * s.points;
        return countPicture(
            resolved, [&](uint64_t done) { if (progress) progress(before + done); },
            RowBand{firstRow(band) * aa, firstRow(band + 1) * aa});
    };
    const Palette palette = paletteOf(s);
    const Look look = lookOf(s, palette);

    // First sweep: the tone's summary of every band, and their counts put by.
    RenderResult result;
    result.points = s.points;
    CountSummary summary(look.curve == ToneCurve::Equalized);
    std::optional<ScratchFile> scratch;
    if (!plan.recount)
        scratch.emplace(folderOf(file.tempPath()));
    for (int band = 0; band < plan.bands && firstRow(band) < height; ++band) {
        const DensityCounter counter = count(band);
        const CountGrids& grids = counter.grids();
        if (band == 0)
            result.caption = counter.caption();
        summary.add(grids.counts.data(), grids.counts.size());
        result.litPixels += static_cast<uint64_t>(
            std::count_if(grids.counts.begin(), grids.counts.end(), [](uint32_t c) { return c != 0; }));
        if (scratch)
            scratch->write(grids);
    }

    // Second sweep: every band toned as the whole picture is, and written.
    const Tone tone(summary, look.curve, look.controls);
    PngWriter writer(file.tempPath(), width, height, s.depth, metadataOf(s, result.caption));
    for (int band = 0; band < plan.bands && firstRow(band) < height; ++band) {
        const CountGrids grids = scratch ? scratch->read(countedPixels(band), s.colour) : count(band).takeGrids();
        writer.write(colourise(grids.view(), width, firstRow(band + 1) - firstRow(band), aa, look, tone));
        if (scratch && progress)
            progress(static_cast<uint64_t>(sweep) * s.points +
                     static_cast<uint64_t>(static_cast<double>(s.points) * firstRow(band + 1) / height));
    }
    writer.finish();
    file.commit();
    return result;
}

}  // namespace quillon::render
