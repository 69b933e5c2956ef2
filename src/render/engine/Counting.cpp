#include "render/engine/Counting.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

#include <sys/mman.h>

#include "app/Form.h"
#include "render/engine/HeadlessPlatform.h"
#include "render/engine/Sweep.h"

namespace quillon::render {

namespace {

using Clock = std::chrono::steady_clock;

// Points a lane runs between two looks at the cancel flag, the progress and
// the snapshots: a fraction of a millisecond for a fast figure, a few for the
// slowest.
constexpr uint64_t kChunk = uint64_t{1} << 14;

uint32_t saturatingAdd(uint32_t a, uint32_t b)
{
    const uint32_t sum = a + b;
    return sum < a ? std::numeric_limits<uint32_t>::max() : sum;
}

}  // namespace

ZeroPageMemory::ZeroPageMemory(size_t bytes)
{
    if (bytes == 0)
        return;
    // A mapping of fresh zero pages, from a large-page boundary on.
    constexpr size_t kLargePage = 2u << 20;
    mappingBytes_ = bytes + kLargePage;
    mapping_ = ::mmap(nullptr, mappingBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping_ == MAP_FAILED) {
        mapping_ = nullptr;
        throw std::bad_alloc();
    }
    const auto start = (reinterpret_cast<uintptr_t>(mapping_) + kLargePage - 1) & ~(kLargePage - 1);
    data_ = reinterpret_cast<void*>(start);
    ::madvise(data_, bytes, MADV_HUGEPAGE);  // a hint: without large pages it still works
}

ZeroPageMemory& ZeroPageMemory::operator=(ZeroPageMemory&& other) noexcept
{
    if (this != &other) {
        this->~ZeroPageMemory();
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappingBytes_ = std::exchange(other.mappingBytes_, 0);
        data_ = std::exchange(other.data_, nullptr);
    }
    return *this;
}

ZeroPageMemory::~ZeroPageMemory()
{
    if (mapping_)
        ::munmap(mapping_, mappingBytes_);
    mapping_ = nullptr;
    data_ = nullptr;
}

CountGrids::CountGrids(size_t pixels, OrbitColour colour) : counts(pixels)
{
    if (colour == OrbitColour::Angle) {
        cosines = ZeroGrid<int64_t>(pixels);
        sines = ZeroGrid<int64_t>(pixels);
    } else if (colour != OrbitColour::None) {
        values = ZeroGrid<uint64_t>(pixels);
    }
}

void CountGrids::add(const CountGrids& other)
{
    uint32_t* into = counts.data();
    const uint32_t* from = other.counts.data();
    for (size_t k = 0; k < counts.size(); ++k)
        into[k] = saturatingAdd(into[k], from[k]);
    // Sums of at most 65535 a point stay far inside 64 bits.
    const auto addAll = [](auto& to, const auto& more) {
        auto* t = to.data();
        const auto* m = more.data();
        for (size_t k = 0; k < to.size(); ++k)
            t[k] += m[k];
    };
    addAll(values, other.values);
    addAll(cosines, other.cosines);
    addAll(sines, other.sines);
}

void CountGrids::clear()
{
    counts.clear();
    values.clear();
    cosines.clear();
    sines.clear();
}

CountsView CountGrids::view() const
{
    return {.counts = counts.data(),
            .values = values.empty() ? nullptr : values.data(),
            .cosines = cosines.empty() ? nullptr : cosines.data(),
            .sines = sines.empty() ? nullptr : sines.data()};
}

uint64_t densityBytes(const Framing& framing, int supersampling, int threads, OrbitColour colour)
{
    const uint64_t pixels = static_cast<uint64_t>(framing.width) * framing.height;
    const uint64_t counted = pixels * static_cast<uint64_t>(supersampling) * supersampling;
    const uint64_t perPixel = 4 + (colour == OrbitColour::None ? 0 : colour == OrbitColour::Angle ? 16 : 8);
    // The merged counts, one set per thread, and the finished picture.
    return counted * perPixel * (static_cast<uint64_t>(threads) + 1) + pixels * 6;
}

DensityCounter::DensityCounter(const CountRequest& request)
    : request_(request),
      width_(request.framing.width * request.supersampling),
      height_(request.framing.height * request.supersampling),
      sweep_(request.choice.figure->isBifurcation()),
      row_(request.choice.figure->mapOrNull())
{
    checkColourFor(request.choice, request.colour);
    const FigurePlane plane = planeOf(request.choice, request.framing);
    if (request.view)
        checkView(*request.view, plane, request.framing);
    mapping_ = pixelMapping(plane, request.framing, request.supersampling, request.view);
    band_ = request.band.value_or(RowBand{0, height_});
    if (band_.top < 0 || band_.top >= band_.bottom || band_.bottom > height_)
        throw std::invalid_argument("no band of rows " + std::to_string(band_.top) + " to " +
                                    std::to_string(band_.bottom) + " in a grid of " + std::to_string(height_));
    // The form as the command leaves it before drawing; every orbit starts from it.
    HeadlessPlatform platform(request.framing.scaleWidth(), request.framing.scaleHeight());
    Form form(platform);
    prepareForm(form, platform, request.choice, request.seed);
    caption_ = platform.caption();
    prepared_ = form;
    total_ = CountGrids(static_cast<size_t>(width_) * band_.rows(), request.colour);
}

CountLane DensityCounter::freshLane(uint64_t orbit) const
{
    CountLane lane;
    lane.orbit = prepared_;
    if (orbit > 0)
        lane.orbit.rnd.reseed(orbitSeed(request_.choice.randomSeed.value_or(request_.seed), orbit));
    lane.nudge = orbitNudge(orbit);
    return lane;
}

uint64_t DensityCounter::reached(uint64_t orbit) const
{
    if (!sweep_ && orbit < completeBelow_)
        return kGrowingOrbitLength;
    const auto found = suspended_.find(orbit);
    return found == suspended_.end() ? 0 : found->second.reached;
}

bool DensityCounter::countTo(uint64_t points, const CountControl& control)
{
    std::vector<Segment> segments;
    if (sweep_) {
        for (uint64_t c = 0; c < static_cast<uint64_t>(width_); ++c) {
            const uint64_t have = reached(c), need = columnLength(kGrowingPlan, c, width_, points);
            if (need > have)
                segments.push_back({c, have, need});
        }
    } else {
        for (uint64_t k = completeBelow_; k < orbitCount(kGrowingPlan, points); ++k) {
            const uint64_t have = reached(k), need = orbitLength(kGrowingPlan, k, points);
            if (need > have)
                segments.push_back({k, have, need});
        }
    }
    const bool whole = run(std::move(segments), control);
    if (whole && !sweep_) {
        completeBelow_ = std::max(completeBelow_, points / kGrowingOrbitLength);
        suspended_.erase(suspended_.begin(), suspended_.lower_bound(completeBelow_));
    }
    return whole;
}

void DensityCounter::countFixedPlan(uint64_t points, uint64_t frames, uint64_t frame, const CountControl& control)
{
    frames = std::max<uint64_t>(1, frames);
    std::vector<Segment> segments;
    if (sweep_) {
        for (uint64_t c = shareOf(frame, width_, frames); c < shareOf(frame + 1, width_, frames); ++c)
            segments.push_back({c, 0, columnLength(kFixedPlan, c, width_, points)});
    } else {
        // Every frame has as many orbits as its own points would have, so that
        // a frame's orbits are all of a still picture.
        const uint64_t perFrame = orbitCount(kFixedPlan, (points + frames - 1) / frames);
        const uint64_t orbits = perFrame * frames;
        for (uint64_t k = frame * perFrame; k < (frame + 1) * perFrame; ++k)
            segments.push_back({k, 0, points / orbits + (k < points % orbits ? 1 : 0)});
    }
    // Orbits of the fixed plan are counted whole and never go on.
    run(std::move(segments), control);
    suspended_.clear();
}

void DensityCounter::adopt(CountGrids grids, uint64_t points)
{
    total_ = std::move(grids);
    points_ = points;
    suspended_.clear();
    completeBelow_ = 0;
    if (sweep_) {
        for (uint64_t c = 0; c < static_cast<uint64_t>(width_); ++c)
            if (const uint64_t have = columnLength(kGrowingPlan, c, width_, points))
                suspended_[c] = {have, std::nullopt};
        return;
    }
    completeBelow_ = points / kGrowingOrbitLength;
    if (const uint64_t rest = points % kGrowingOrbitLength)
        suspended_[completeBelow_] = {rest, std::nullopt};
}

// One run over a list of orbit segments: the threads take segments as they
// go, each running up to kMaxLanes of them side by side.
class DensityCounter::Run {
public:
    Run(DensityCounter& counter, std::vector<Segment> segments, const CountControl& control)
        : counter_(counter),
          segments_(std::move(segments)),
          control_(control),
          pixels_(static_cast<size_t>(counter.width_) * counter.band_.rows())
    {
        // Age runs along the plan's orbits: the growing plan's are all of one
        // length, the fixed plan's as long as the ones of this run.
        if (counter.request_.plan == kFixedPlan) {
            orbitLength_ = 0;
            for (const Segment& s : segments_)
                orbitLength_ = std::max(orbitLength_, s.to);
        }
        if (counter.sweep_)
            columns_.emplace(*bifurcationStart(static_cast<float>(counter.request_.choice.values.at(0))),
                             counter.mapping_);
    }

    // False when cancelled or failed; a failure is thrown by the caller.
    bool go()
    {
        uint64_t points = 0;
        for (const Segment& s : segments_)
            points += s.to - s.from;
        // A thread of its own costs a grid to clear and add in: a count of
        // fewer points than there are pixels is quicker on one.
        const int threads =
            points < pixels_ ? 1
                             : static_cast<int>(std::clamp<uint64_t>(segments_.size(), 1,
                                                                     std::max(1, counter_.request_.threads)));
        // One thread counts straight into the counts, without a grid of its own
        // to clear and add in (most of the time of a short count), where no
        // pixel can pass what a uint32 holds and no point falls off a band.
        direct_ = threads == 1 && counter_.band_.rows() == counter_.height_ &&
                  counter_.points_ + points <= std::numeric_limits<uint32_t>::max();
        lastSnapshot_ = Clock::now();
        std::vector<std::thread> pool;
        for (int t = 1; t < threads; ++t)
            pool.emplace_back([this] { guarded(false); });
        // The caller's thread counts too, and tells the progress between its
        // chunks; a thread that only waited and woke would push the counting
        // threads from core to core, which costs more than the waking.
        guarded(true);
        for (std::thread& thread : pool)
            thread.join();
        counter_.points_ += done_.load();
        if (failure_)
            std::rethrow_exception(failure_);
        if (control_.progress)
            control_.progress(done_.load());
        return !interrupted_;
    }

private:
    struct Slot {
        Segment segment;
        uint64_t at;  // the orbit's points counted so far
    };

    void guarded(bool caller)
    {
        try {
            work(caller);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failing_);
            if (!failure_)
                failure_ = std::current_exception();
            stopped_ = true;
        }
    }

    bool stopping() const
    {
        return stopped_.load(std::memory_order_relaxed) ||
               (control_.cancel && control_.cancel->load(std::memory_order_relaxed));
    }

    std::optional<Segment> take()
    {
        const size_t k = next_.fetch_add(1);
        if (k >= segments_.size())
            return std::nullopt;
        return segments_[k];
    }

    // Adds the thread's counts in; they start again from zero unless this was
    // the thread's last.
    void flush(CountGrids& local, uint64_t& inLocal, bool last = false)
    {
        if (inLocal == 0 || direct_)
            return;
        {
            const std::lock_guard<std::mutex> lock(merging_);
            counter_.total_.add(local);
        }
        if (!last)
            local.clear();
        inLocal = 0;
    }

    // The lane of a segment: the orbit as it was left, or from its start with
    // the points before the segment run without counting.
    CountLane laneFor(const Segment& s, const HitGrid& grid)
    {
        if (s.from > 0) {
            const std::lock_guard<std::mutex> lock(suspending_);
            const auto found = counter_.suspended_.find(s.orbit);
            if (found != counter_.suspended_.end() && found->second.reached == s.from && found->second.lane)
                return *found->second.lane;
        }
        CountLane lane = counter_.freshLane(s.orbit);
        if (s.from > 0)
            advance(lane, s.orbit, grid, s.from, false);
        return lane;
    }

    // Runs `points` points of the lanes (a map's side by side, the sweep's one
    // column at a time), counting them or not.
    void advance(CountLane* lanes, const Slot* slots, int count, const HitGrid& grid, uint64_t points, bool counting)
    {
        if (!counter_.sweep_) {
            counter_.row_->countLanes(lanes, count, grid, points, counting);
            return;
        }
        for (int l = 0; l < count; ++l)
            runColumn(lanes[l], slots[l].segment.orbit, grid, points, counting);
    }

    void advance(CountLane& lane, uint64_t orbit, const HitGrid& grid, uint64_t points, bool counting)
    {
        const Slot slot{{orbit, 0, 0}, 0};
        advance(&lane, &slot, 1, grid, points, counting);
    }

    // A column of the diagram: settled first, then its values, each where the
    // window puts it (or, in a view, in the column's own pixels).
    void runColumn(CountLane& lane, uint64_t c, const HitGrid& grid, uint64_t points, bool counting)
    {
        const std::optional<SweepColumn> col = columns_->at(static_cast<int>(c));
        if (!col)
            return;
        double x = lane.orbit.x;
        if (lane.cursor.at == PassCursor::At::Entry) {
            x = settledValue(col->r);
            lane.cursor.at = PassCursor::At::AfterPoint;
        }
        const PixelMapping& m = grid.mapping;
        const bool coloured = grid.colour != OrbitColour::None;
        for (uint64_t k = 0; k < points; ++k) {
            x = logisticValue(col->r, x);
            PointColour colour;
            if (coloured)  // the value's leap, on the canvas
                colour = pointColour(lane, grid, 0, x);
            if (!counting)
                continue;
            int ix, iy;
            std::optional<size_t> pixel;
            if (m.windowFraming) {
                if (const auto py = toSingle(bifurcationY(x)); py && m.grid.locate(col->canvasX, *py, ix, iy))
                    pixel = static_cast<size_t>(iy) * grid.stride + ix - grid.first;
            } else {
                const double py = bifurcationY(x) * m.view.yScale + m.view.yOffset;
                if (py >= 0 && py < m.view.height)
                    pixel = static_cast<size_t>(py) * grid.stride + c - grid.first;
            }
            if (pixel && *pixel >= grid.pixels)  // off the band
                pixel = grid.pixels;
            if (pixel) {
                ++grid.counts[*pixel];
                if (coloured)
                    addColourOf<OrbitColour::Speed>(grid, *pixel, colour);  // the only colour a sweep has
            }
        }
        lane.orbit.x = x;
    }

    // The segment's orbit goes on after it (the growing plan's orbits do): its
    // place is kept, to go on from there.
    void keep(const Slot& slot, const CountLane& lane)
    {
        const std::lock_guard<std::mutex> lock(suspending_);
        counter_.suspended_[slot.segment.orbit] = {slot.at, lane};
    }

    void work(bool caller)
    {
        // With the spare cell that takes the points off the band.
        CountGrids local = direct_ ? CountGrids() : CountGrids(pixels_ + 1, counter_.request_.colour);
        CountGrids& into = direct_ ? counter_.total_ : local;
        HitGrid grid{.counts = into.counts.data(),
                     .stride = static_cast<size_t>(counter_.width_),
                     .first = static_cast<size_t>(counter_.width_) * counter_.band_.top,
                     .pixels = pixels_,
                     .mapping = counter_.mapping_};
        grid.values = into.values.empty() ? nullptr : into.values.data();
        grid.cosSums = into.cosines.empty() ? nullptr : into.cosines.data();
        grid.sinSums = into.sines.empty() ? nullptr : into.sines.data();
        setColour(grid, counter_.request_.colour, counter_.request_.range, orbitLength_,
                  counter_.row_ ? counter_.row_->mapCount : 0);
        uint64_t inLocal = 0;
        uint64_t snapshotEpoch = 0;
        CountLane lanes[kMaxLanes];
        Slot slots[kMaxLanes];
        int count = 0;
        while (!stopping()) {
            while (count < kMaxLanes) {
                const std::optional<Segment> segment = take();
                if (!segment)
                    break;
                if (control_.orbitStarting)
                    control_.orbitStarting(segment->orbit);
                lanes[count] = laneFor(*segment, grid);
                slots[count] = {*segment, segment->from};
                ++count;
            }
            if (count == 0)
                break;
            uint64_t step = kChunk;
            for (int l = 0; l < count; ++l)
                step = std::min(step, slots[l].segment.to - slots[l].at);
            // A pixel of the thread's own counts could pass what a uint32 holds.
            if (inLocal + step * count > std::numeric_limits<uint32_t>::max())
                flush(local, inLocal);
            advance(lanes, slots, count, grid, step, true);
            inLocal += step * count;
            done_ += step * count;
            for (int l = 0; l < count;) {
                slots[l].at += step;
                if (slots[l].at < slots[l].segment.to) {
                    ++l;
                    continue;
                }
                keep(slots[l], lanes[l]);
                --count;
                lanes[l] = lanes[count];
                slots[l] = slots[count];
            }
            if (caller)
                tell();
            if (const uint64_t epoch = snapshotEpoch_.load(); epoch != snapshotEpoch) {
                snapshotEpoch = epoch;
                flush(local, inLocal);
            }
        }
        // Stopped part way: every lane keeps its place.
        if (count > 0 || next_.load() < segments_.size())
            interrupted_ = true;
        for (int l = 0; l < count; ++l)
            keep(slots[l], lanes[l]);
        flush(local, inLocal, true);
    }

    // On the caller's thread, between its chunks: the progress, and a snapshot
    // when one is due (the other threads add theirs in as they pass).
    void tell()
    {
        if (control_.progress)
            control_.progress(done_.load());
        if (!control_.snapshot || control_.snapshotSeconds <= 0)
            return;
        const auto now = Clock::now();
        if (std::chrono::duration<double>(now - lastSnapshot_).count() < control_.snapshotSeconds)
            return;
        lastSnapshot_ = now;
        ++snapshotEpoch_;
        const std::lock_guard<std::mutex> lock(merging_);
        control_.snapshot(counter_.total_);
    }

    DensityCounter& counter_;
    const std::vector<Segment> segments_;
    const CountControl& control_;
    const size_t pixels_;
    std::atomic<size_t> next_{0};
    std::atomic<uint64_t> done_{0};
    std::atomic<bool> stopped_{false};      // a thread failed
    std::atomic<bool> interrupted_{false};  // a thread stopped with work left
    std::atomic<uint64_t> snapshotEpoch_{0};
    std::exception_ptr failure_;
    std::mutex failing_, merging_, suspending_;
    Clock::time_point lastSnapshot_;
    std::optional<SweepColumns> columns_;
    uint64_t orbitLength_ = kGrowingOrbitLength;
    bool direct_ = false;  // the one thread counts into the counter's own grids
};

bool DensityCounter::run(std::vector<Segment> segments, const CountControl& control)
{
    Run run(*this, std::move(segments), control);
    return run.go();
}

}  // namespace quillon::render
