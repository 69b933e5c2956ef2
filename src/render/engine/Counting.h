// Density counting: where a figure's orbits spend their time, as hits per
// pixel, counted by every thread asked for and merged in no particular order
// (sums do not depend on it). One counter serves the command line, videos,
// statistics and previews: it counts on to any number of points, tells its
// progress, hands out snapshots while it counts, stops within milliseconds
// when cancelled and goes on later from where it stopped.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/HitCounter.h"
#include "render/engine/FigureChoice.h"
#include "render/engine/Framing.h"
#include "render/engine/OrbitPlan.h"
#include "render/engine/View.h"

namespace quillon::render {

// Told how many points are done so far; called on the caller's thread.
using ProgressFn = std::function<void(uint64_t)>;

// Counts of hits, zero until counted. The memory comes from the system as it is
// first touched, so a picture pays only for the pixels its orbits reach, and in
// large pages where the system has them: an orbit jumps all over its picture,
// and with small pages most of its time would go to finding them.
class HitCounts {
public:
    HitCounts() = default;
    explicit HitCounts(size_t size);
    HitCounts(HitCounts&& other) noexcept { *this = std::move(other); }
    HitCounts& operator=(HitCounts&& other) noexcept;
    HitCounts(const HitCounts&) = delete;
    HitCounts& operator=(const HitCounts&) = delete;
    ~HitCounts();

    uint32_t* data() { return values_; }
    const uint32_t* data() const { return values_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const uint32_t* begin() const { return values_; }
    const uint32_t* end() const { return values_ + size_; }
    uint32_t operator[](size_t k) const { return values_[k]; }

    // Adds the other counts in, a count saturating at the largest a uint32 holds.
    void add(const HitCounts& other);

private:
    void* mapping_ = nullptr;
    size_t mappingBytes_ = 0;
    uint32_t* values_ = nullptr;
    size_t size_ = 0;
};

// What is counted: the figure, which part of the plane at what size, the
// orbits' seed and plan, and how many threads count.
struct CountRequest {
    FigureChoice choice;
    Framing framing;
    std::optional<View> view;  // none: the window's framing
    int supersampling = 1;
    uint32_t seed = 0;
    int threads = 1;
    int plan = kGrowingPlan;
};

struct CountControl {
    // Set from any thread: the counting stops within milliseconds.
    const std::atomic<bool>* cancel = nullptr;
    ProgressFn progress;
    // Every snapshotSeconds, the counts as they stand (the threads add theirs
    // in as they pass), on the caller's thread; the counts are the counter's
    // own until it returns, so a snapshot is looked at, not kept.
    double snapshotSeconds = 0;
    std::function<void(const HitCounts&)> snapshot;
    // Told of every orbit a thread starts, on that thread.
    std::function<void(uint64_t orbit)> orbitStarting;
};

class DensityCounter {
public:
    explicit DensityCounter(const CountRequest& request);

    // Counts on until the first `points` of the growing plan are counted: the
    // same counts as that many at once. False when cancelled: what was counted
    // stays, and counting on goes on from there. A failure of any thread (an
    // allocation, a row) stops the others and is thrown here.
    bool countTo(uint64_t points, const CountControl& control = {});

    // The fixed plan's orbits of a picture of `points`, or those of frame
    // `frame` of `frames` (a video counts its frames one after another), added
    // to what is counted.
    void countFixedPlan(uint64_t points, uint64_t frames, uint64_t frame, const CountControl& control = {});

    // Counts made before (a counts file): taken as the first `points` of the
    // growing plan.
    void adopt(HitCounts counts, uint64_t points);

    int width() const { return width_; }    // the picture's size times the supersampling
    int height() const { return height_; }
    uint64_t points() const { return points_; }  // counted so far
    const HitCounts& counts() const { return total_; }
    HitCounts takeCounts() { return std::move(total_); }
    const std::string& caption() const { return caption_; }
    const CountRequest& request() const { return request_; }

private:
    struct Segment {
        uint64_t orbit;
        uint64_t from, to;  // points of the orbit
    };
    // An orbit stopped part way, to go on from where it stands.
    // (Counts read from a file know how far their orbits went, not where they
    // stand: those go on from their start, the points before not counted.)
    struct Suspended {
        uint64_t reached;
        std::optional<CountLane> lane;
    };
    class Run;

    bool run(std::vector<Segment> segments, const CountControl& control);
    CountLane freshLane(uint64_t orbit) const;
    uint64_t reached(uint64_t orbit) const;

    CountRequest request_;
    int width_ = 0, height_ = 0;
    bool sweep_ = false;
    const MapFigure* row_ = nullptr;
    Orbit prepared_;  // as the figure's command leaves it before drawing
    PixelMapping mapping_;
    std::string caption_;
    HitCounts total_;
    uint64_t points_ = 0;
    // The growing plan's progress: every orbit below completeBelow_ counted
    // whole, the ones in suspended_ part way, the others not at all.
    uint64_t completeBelow_ = 0;
    std::map<uint64_t, Suspended> suspended_;
};

// Bytes a density picture needs while it is counted.
uint64_t densityBytes(const Framing& framing, int supersampling, int threads);

}  // namespace quillon::render
