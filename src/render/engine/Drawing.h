// The two ways the renderer draws a figure with the figure's own code: the
// classic picture (the window's drawing: one pixel per point, in the pass
// colours) and the density counts (hits per pixel over many points, from a
// fixed set of independent orbits shared by the threads).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/engine/FigureChoice.h"
#include "render/engine/Framing.h"
#include "runtime/QBColor.h"

namespace quillon::render {

// Told how many points are done so far; called on the caller's thread.
using ProgressFn = std::function<void(uint64_t)>;

struct ClassicPicture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row
    std::string caption;           // as the program wrote it
    uint64_t points = 0;
};

// The points counted are the figure's steps, as the window counts them (one
// yield each); with passes, the drawing stops at the end of that pass instead.
struct ClassicRequest {
    FigureChoice choice;
    Framing framing;
    uint64_t points = 0;
    std::optional<uint64_t> passes;
    uint32_t seed = 0;  // the pass colours' when the parameters are given
    Rgb background = 0;
    // A video's frames: onFrame sees the picture as it stands after frame k's
    // share of the points, round(k * points / frames) for k = 1 .. frames (of
    // the columns, for the bifurcation diagram); the last sees the whole
    // picture, however the drawing ended.
    uint64_t frames = 0;
    std::function<void(const ClassicPicture&)> onFrame;
};

ClassicPicture drawClassic(const ClassicRequest& request, const ProgressFn& progress = {});

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

private:
    void* mapping_ = nullptr;
    size_t mappingBytes_ = 0;
    uint32_t* values_ = nullptr;
    size_t size_ = 0;
};

struct DensityCounts {
    int width = 0, height = 0;  // the picture's size times the supersampling
    HitCounts counts;
    std::string caption;
    uint64_t points = 0;
};

struct DensityRequest {
    FigureChoice choice;
    Framing framing;
    int supersampling = 1;
    uint64_t points = 0;
    uint32_t seed = 0;
    int threads = 1;
    // A video counts its picture a frame at a time: frame (0 .. frames - 1)
    // counts only its own share of the orbits, and every frame's orbits are
    // different ones.
    uint64_t frames = 1;
    uint64_t frame = 0;
};

// The hits are added to onto's counts when it has any (the frames before).
DensityCounts countDensity(const DensityRequest& request, const ProgressFn& progress = {},
                           DensityCounts onto = {});

// How the points of a density picture are split into orbits: a function of the
// point count only, so the picture never depends on the threads.
struct OrbitPlan {
    uint64_t orbits = 1;
    uint64_t pointsOf(uint64_t orbit, uint64_t total) const;
};
OrbitPlan orbitPlan(uint64_t points);

// Bytes a density picture needs while it is counted.
uint64_t densityBytes(const Framing& framing, int supersampling, int threads);

}  // namespace quillon::render
