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
#include "render/engine/OrbitColouring.h"
#include "render/engine/OrbitPlan.h"
#include "render/engine/View.h"
#include "render/look/Colourise.h"

namespace quillon::render {

// Told how many points are done so far; called on the caller's thread.
using ProgressFn = std::function<void(uint64_t)>;

// Memory of fresh zero pages: it comes from the system as it is first
// touched, so a picture pays only for the pixels its orbits reach, and in
// large pages where the system has them: an orbit jumps all over its picture,
// and with small pages most of its time would go to finding them.
class ZeroPageMemory {
public:
    ZeroPageMemory() = default;
    explicit ZeroPageMemory(size_t bytes);
    ZeroPageMemory(ZeroPageMemory&& other) noexcept { *this = std::move(other); }
    ZeroPageMemory& operator=(ZeroPageMemory&& other) noexcept;
    ZeroPageMemory(const ZeroPageMemory&) = delete;
    ZeroPageMemory& operator=(const ZeroPageMemory&) = delete;
    ~ZeroPageMemory();
    void* data() const { return data_; }

private:
    void* mapping_ = nullptr;
    size_t mappingBytes_ = 0;
    void* data_ = nullptr;
};

// A grid of values, zero until counted.
template <typename T>
class ZeroGrid {
public:
    ZeroGrid() = default;
    explicit ZeroGrid(size_t size) : memory_(size * sizeof(T)), size_(size) {}

    T* data() { return static_cast<T*>(memory_.data()); }
    const T* data() const { return static_cast<const T*>(memory_.data()); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size_; }
    T operator[](size_t k) const { return data()[k]; }
    void clear() { std::fill(data(), data() + size_, T{}); }

private:
    ZeroPageMemory memory_;
    size_t size_ = 0;
};

using HitCounts = ZeroGrid<uint32_t>;

// What is counted per pixel: the hits, and for a picture coloured by the
// orbit the sums of its points' values (or of their directions' parts).
struct CountGrids {
    HitCounts counts;
    ZeroGrid<uint64_t> values;
    ZeroGrid<int64_t> cosines, sines;

    CountGrids() = default;
    CountGrids(size_t pixels, OrbitColour colour);
    // Adds the other grids in; a count saturates at the largest a uint32 holds.
    void add(const CountGrids& other);
    void clear();
    CountsView view() const;
};

// Rows of the counted grid (the picture's rows times the supersampling),
// from top up to bottom.
struct RowBand {
    int top = 0, bottom = 0;
    int rows() const { return bottom - top; }
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
    OrbitColour colour = OrbitColour::None;
    ColourRange range;  // the speeds the colour spans, for OrbitColour::Speed
    // Only these rows are counted and held (a band of a picture too large to
    // hold at once; its orbits run whole all the same). None: every row.
    std::optional<RowBand> band;
};

struct CountControl {
    // Set from any thread: the counting stops within milliseconds.
    const std::atomic<bool>* cancel = nullptr;
    ProgressFn progress;
    // Every snapshotSeconds, the counts as they stand (the threads add theirs
    // in as they pass), on the caller's thread; the counts are the counter's
    // own until it returns, so a snapshot is looked at, not kept.
    double snapshotSeconds = 0;
    std::function<void(const CountGrids&)> snapshot;
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
    void adopt(CountGrids grids, uint64_t points);

    int width() const { return width_; }    // the picture's size times the supersampling
    int height() const { return height_; }
    RowBand band() const { return band_; }  // the rows held: all unless a band was asked for
    uint64_t points() const { return points_; }  // counted so far
    const HitCounts& counts() const { return total_.counts; }
    const CountGrids& grids() const { return total_; }
    CountGrids takeGrids() { return std::move(total_); }
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
    RowBand band_;
    bool sweep_ = false;
    const MapFigure* row_ = nullptr;
    Orbit prepared_;  // as the figure's command leaves it before drawing
    PixelMapping mapping_;
    std::string caption_;
    CountGrids total_;
    uint64_t points_ = 0;
    // The growing plan's progress: every orbit below completeBelow_ counted
    // whole, the ones in suspended_ part way, the others not at all.
    uint64_t completeBelow_ = 0;
    std::map<uint64_t, Suspended> suspended_;
};

// Bytes a density picture needs while it is counted.
uint64_t densityBytes(const Framing& framing, int supersampling, int threads,
                      OrbitColour colour = OrbitColour::None);

}  // namespace quillon::render
