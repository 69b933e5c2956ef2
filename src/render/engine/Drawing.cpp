#include "render/engine/Drawing.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <thread>
#include <utility>

#include <sys/mman.h>

#include "app/CanvasPoint.h"
#include "app/Form.h"
#include "app/HitCounter.h"
#include "render/engine/HeadlessPlatform.h"
#include "studies/BifurcationMap.h"

namespace quillon::render {

namespace {

constexpr uint32_t kProgressChunk = 1u << 20;  // points between progress reports
constexpr uint64_t kPointsPerOrbit = 1'000'000;
constexpr uint64_t kMaxOrbits = 256;  // progress is told after each orbit
constexpr uint64_t kMaxOrbitPoints = 1ull << 31;
constexpr int kBifurcationSettle = 500;  // steps of a column before it is drawn

// The Rnd seed of orbit k of a density picture (orbit 0 keeps the seed itself).
uint32_t orbitSeed(uint32_t seed, uint64_t orbit)
{
    return static_cast<uint32_t>((seed + orbit * 0x9E3779B1ull) & 0xFFFFFFu);
}

// Orbit k starts this far from orbit 0's first point (in map units).
double orbitNudge(uint64_t orbit) { return static_cast<double>(orbit) * 1e-9; }

uint32_t saturatingAdd(uint32_t a, uint32_t b)
{
    const uint32_t sum = a + b;
    return sum < a ? std::numeric_limits<uint32_t>::max() : sum;
}

// The bifurcation diagram's columns: r for a pixel column, or nothing where the
// sweep from the starting point to 4 does not reach.
struct BifurcationColumns {
    const BifurcationStart& start;
    PixelGrid grid;
    std::optional<float> r(int column) const
    {
        const double X = (column + 0.5) / grid.xFactor();
        const float r = static_cast<float>((X + start.offset) / start.scale);
        if (!(r >= start.start && r <= 4.0f))
            return std::nullopt;
        return r;
    }
};

// One column of the diagram: its settled values, each where the window puts it.
template <typename Plot>
void runColumn(const BifurcationStart& start, float r, uint64_t points, Plot&& plot)
{
    const auto px = toSingle(bifurcationX(start, r));  // the column's, for every point
    if (!px)
        return;
    double x = 0.001;
    for (int k = 0; k < kBifurcationSettle; ++k)
        x = logisticValue(r, x);
    for (uint64_t k = 0; k < points; ++k) {
        x = logisticValue(r, x);
        if (const auto py = toSingle(bifurcationY(x)))
            plot(*px, *py);
    }
}

const BifurcationStart& startOf(const FigureChoice& choice)
{
    return *bifurcationStart(static_cast<float>(choice.values.at(0)));
}

// round(k * total / count) for k up to count, without overflowing (counts of
// frames stay far below 2^31).
uint64_t shareOf(uint64_t k, uint64_t total, uint64_t count)
{
    return k * (total / count) + (k * (total % count) * 2 + count) / (count * 2);
}

// Shows a video's frames as the drawing passes their shares of the work.
class FrameClock {
public:
    FrameClock(const ClassicRequest& request, uint64_t total, const ClassicPicture& picture)
        : frames_(request.onFrame ? request.frames : 0), total_(total), onFrame_(request.onFrame), picture_(picture)
    {
    }
    // The work done at which the next frame is due.
    uint64_t next() const
    {
        return shown_ < frames_ ? shareOf(shown_ + 1, total_, frames_) : std::numeric_limits<uint64_t>::max();
    }
    void reached(uint64_t done)
    {
        while (shown_ < frames_ && next() <= done)
            show();
    }
    // The frames still due show the picture as the drawing left it.
    void finish()
    {
        while (shown_ < frames_)
            show();
    }

private:
    void show()
    {
        ++shown_;
        onFrame_(picture_);
    }
    const uint64_t frames_, total_;
    const std::function<void(const ClassicPicture&)>& onFrame_;
    const ClassicPicture& picture_;
    uint64_t shown_ = 0;
};

// Classic diagram: every point in a colour of its own, as the window draws it.
void drawBifurcation(const ClassicRequest& request, HeadlessPlatform& platform, Form& form,
                     ClassicPicture& picture, const ProgressFn& progress)
{
    const BifurcationStart& start = startOf(request.choice);
    const BifurcationColumns columns{start, PixelGrid(picture.width, picture.height,
                                                      request.framing.scaleWidth(),
                                                      request.framing.scaleHeight())};
    const uint64_t perColumn = std::max<uint64_t>(1, request.points / picture.width);
    FrameClock frames(request, static_cast<uint64_t>(picture.width), picture);
    for (int c = 0; c < picture.width; ++c) {
        if (const auto r = columns.r(c)) {
            runColumn(start, *r, perColumn, [&](float X, float Y) {
                form.newPassColor();
                platform.setPointOnBoth(X, Y, QBColor(form.colorIndex));
            });
            picture.points += perColumn;
            if (progress)
                progress(picture.points);
        }
        frames.reached(static_cast<uint64_t>(c) + 1);
    }
    frames.finish();
}

}  // namespace

HitCounts::HitCounts(size_t size) : size_(size)
{
    if (size == 0)
        return;
    // A mapping of fresh zero pages, from a large-page boundary on.
    constexpr size_t kLargePage = 2u << 20;
    const size_t bytes = size * sizeof(uint32_t);
    mappingBytes_ = bytes + kLargePage;
    mapping_ = ::mmap(nullptr, mappingBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping_ == MAP_FAILED) {
        mapping_ = nullptr;
        throw std::bad_alloc();
    }
    const auto start = (reinterpret_cast<uintptr_t>(mapping_) + kLargePage - 1) & ~(kLargePage - 1);
    values_ = reinterpret_cast<uint32_t*>(start);
    ::madvise(values_, bytes, MADV_HUGEPAGE);  // a hint: without large pages it still works
}

HitCounts& HitCounts::operator=(HitCounts&& other) noexcept
{
    if (this != &other) {
        this->~HitCounts();
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappingBytes_ = std::exchange(other.mappingBytes_, 0);
        values_ = std::exchange(other.values_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

HitCounts::~HitCounts()
{
    if (mapping_)
        ::munmap(mapping_, mappingBytes_);
    mapping_ = nullptr;
    values_ = nullptr;
    size_ = 0;
}

uint64_t OrbitPlan::pointsOf(uint64_t orbit, uint64_t total) const
{
    return total / orbits + (orbit < total % orbits ? 1 : 0);
}

OrbitPlan orbitPlan(uint64_t points)
{
    uint64_t orbits = std::clamp<uint64_t>(points / kPointsPerOrbit, 1, kMaxOrbits);
    orbits = std::max(orbits, (points + kMaxOrbitPoints - 1) / kMaxOrbitPoints);
    return {orbits};
}

uint64_t densityBytes(const Framing& framing, int supersampling, int threads)
{
    const uint64_t pixels = static_cast<uint64_t>(framing.width) * framing.height;
    const uint64_t counted = pixels * static_cast<uint64_t>(supersampling) * supersampling;
    // The merged counts, one set per thread, and the finished picture.
    return counted * 4 * (static_cast<uint64_t>(threads) + 1) + pixels * 6;
}

ClassicPicture drawClassic(const ClassicRequest& request, const ProgressFn& progress)
{
    ClassicPicture picture;
    picture.width = request.framing.width;
    picture.height = request.framing.height;
    picture.pixels.assign(static_cast<size_t>(picture.width) * picture.height, request.background);

    HeadlessPlatform platform(request.framing.scaleWidth(), request.framing.scaleHeight());
    platform.setPicture(picture.pixels.data(), picture.width, picture.height);
    platform.setBackground(request.background);
    Form form(platform);
    prepareForm(form, platform, request.choice, request.seed);
    picture.caption = platform.caption();
    if (request.choice.figure->isBifurcation()) {
        drawBifurcation(request, platform, form, picture, progress);
        return picture;
    }

    const MapFigure& row = *request.choice.figure->row;
    FrameClock frames(request, request.points, picture);
    frames.reached(0);
    // The pump's state lives as long as the drawing that calls it.
    uint64_t pass = 0;
    int lastIter = std::numeric_limits<int>::max();
    // The hook comes at every progress report and every frame that is due.
    const auto strideFor = [&](uint64_t done) {
        return static_cast<uint32_t>(
            std::min({request.points - done, uint64_t{kProgressChunk}, frames.next() - done}));
    };
    uint32_t stride = 1;
    if (request.passes) {
        // Every yield looks at the pass: the drawing halts at the end of the last.
        platform.setPump(1, [&] {
            ++picture.points;
            if (form.iter < lastIter)
                ++pass;
            lastIter = form.iter;
            if (pass >= *request.passes && form.iter == row.passLength - 1)
                form.stopFlag = -1;
            if (progress && picture.points % kProgressChunk == 0)
                progress(picture.points);
            frames.reached(picture.points);
        });
    } else {
        stride = strideFor(0);
        platform.setPump(stride, [&] {
            picture.points += stride;
            if (progress)
                progress(picture.points);
            frames.reached(picture.points);
            if (picture.points >= request.points)
                throw DrawingDone{};
            stride = strideFor(picture.points);
            platform.setStride(stride);
        });
    }
    if (request.points > 0 || request.passes) {
        try {
            form.runPasses(row);
        } catch (const DrawingDone&) {
        }
    }
    frames.finish();
    return picture;
}

DensityCounts countDensity(const DensityRequest& request, const ProgressFn& progress, DensityCounts onto)
{
    DensityCounts result = std::move(onto);
    const int aa = request.supersampling;
    result.width = request.framing.width * aa;
    result.height = request.framing.height * aa;
    result.points = request.points;
    const size_t pixels = static_cast<size_t>(result.width) * result.height;
    const PixelGrid grid(result.width, result.height, request.framing.scaleWidth(),
                         request.framing.scaleHeight());

    // The form as the command leaves it before drawing; every orbit starts from it.
    HeadlessPlatform templatePlatform(request.framing.scaleWidth(), request.framing.scaleHeight());
    Form prepared(templatePlatform);
    prepareForm(prepared, templatePlatform, request.choice, request.seed);
    result.caption = templatePlatform.caption();

    const bool bifurcation = request.choice.figure->isBifurcation();
    // The orbits of this frame, first to end, of the video's plan: a column of
    // the diagram each; for a map, every frame has as many orbits as its own
    // points would have, so that a frame's orbits are all of a still picture.
    const uint64_t frames = std::max<uint64_t>(1, request.frames);
    OrbitPlan plan;
    uint64_t firstOrbit, endOrbit;
    if (bifurcation) {
        plan = {static_cast<uint64_t>(result.width)};
        firstOrbit = shareOf(request.frame, plan.orbits, frames);
        endOrbit = shareOf(request.frame + 1, plan.orbits, frames);
    } else {
        const uint64_t perFrame = orbitPlan((request.points + frames - 1) / frames).orbits;
        plan = {perFrame * frames};
        firstOrbit = request.frame * perFrame;
        endOrbit = firstOrbit + perFrame;
    }
    std::atomic<uint64_t> nextOrbit{firstOrbit};
    std::mutex merging;
    // The first counts merged are taken as they are; sums do not depend on the order.
    const auto merge = [&](HitCounts& local) {
        const std::lock_guard<std::mutex> lock(merging);
        if (result.counts.empty()) {
            result.counts = std::move(local);
            return;
        }
        uint32_t* into = result.counts.data();
        const uint32_t* from = local.data();
        for (size_t k = 0; k < pixels; ++k)
            into[k] = saturatingAdd(into[k], from[k]);
        local = HitCounts();
    };

    std::atomic<uint64_t> done{0};
    // The caller's thread counts too, and tells the progress between its orbits;
    // a thread that only waited and woke would push the counting threads from
    // core to core, which costs more than the waking.
    const auto work = [&](bool tells) {
        HitCounts local(pixels);
        uint64_t inLocal = 0;
        HeadlessPlatform platform(request.framing.scaleWidth(), request.framing.scaleHeight());
        Form form(platform);
        for (uint64_t orbit = nextOrbit++; orbit < endOrbit; orbit = nextOrbit++) {
            const uint64_t points = bifurcation ? request.points / plan.orbits
                                                : plan.pointsOf(orbit, request.points);
            if (inLocal + points > std::numeric_limits<uint32_t>::max()) {
                merge(local);
                local = HitCounts(pixels);
                inLocal = 0;
            }
            inLocal += points;
            if (points == 0)
                continue;
            if (bifurcation) {
                const BifurcationStart& start = startOf(request.choice);
                const BifurcationColumns columns{start, grid};
                if (const auto r = columns.r(static_cast<int>(orbit)))
                    runColumn(start, *r, points, [&](float X, float Y) {
                        int ix, iy;
                        if (grid.locate(X, Y, ix, iy))
                            ++local.data()[static_cast<size_t>(iy) * result.width + ix];
                    });
                done += points;
                if (tells && progress)
                    progress(done.load());
                continue;
            }
            static_cast<FigureState&>(form) = static_cast<const FigureState&>(prepared);
            form.stopFlag = 0;
            form.rnd = prepared.rnd;
            if (orbit > 0)
                form.rnd.reseed(orbitSeed(request.choice.randomSeed.value_or(request.seed), orbit));
            const MapFigure& row = *request.choice.figure->row;
            HitCounter counter{
                .counts = local.data(),
                .stride = result.width,
                .grid = grid,
                .canvas = row.canvas,
                .origin = CanvasOrigin(request.framing.scaleWidth(), request.framing.scaleHeight(), row.canvas),
                .remaining = points,
                .nudge = orbitNudge(orbit),
            };
            row.countHits(form, counter);
            done += points;
            if (tells && progress)
                progress(done.load());
        }
        merge(local);
    };

    const uint64_t orbits = endOrbit - firstOrbit;
    const int threads = static_cast<int>(std::clamp<uint64_t>(orbits, 1, std::max(1, request.threads)));
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(work, false);
    work(true);
    for (std::thread& thread : pool)
        thread.join();
    if (result.counts.empty())
        result.counts = HitCounts(pixels);
    if (progress)
        progress(done.load());
    return result;
}

}  // namespace quillon::render
