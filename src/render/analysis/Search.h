// Looking for interesting figures among random draws: a draw is kept when its
// orbit is bounded and chaotic (largest exponent above a threshold), its
// picture lights enough of the frame but not most of it, and, for a map, the
// picture's box dimension lies in a band. People looking at random strange
// attractors prefer those of dimension about 1.1 to 1.5 (Sprott, 1993); above
// it a picture is a screen of speckle, below it a few smooth curves. A flow's
// picture is a projection of a solid made of curves, whose dimension says
// little of how it looks; flows are judged without the band. The draws are those of one Rnd
// sequence: the first is what --random SEED draws (of the figure named, or
// without one a slide-show figure picked as the slide show picks it), each
// next one goes on from where the Rnd of the one before stopped. That place is
// the draw's own seed, so --random with it makes a kept figure again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "render/analysis/OrbitStats.h"

namespace quillon::render {

struct Interest {
    double minExponent = 0.01;  // per step, or per unit of time for a flow
    double minLit = 0.005;      // of the frame's pixels
    double maxLit = 0.5;
    double minDimension = 1.1;  // the box dimension of a map's picture
    double maxDimension = 1.5;
};

// What became of a draw, in the order it is judged.
// NotChaotic: quasi-periodic or random iteration; WeakExponent: chaotic, but
// with its largest exponent below the threshold.
enum class Verdict {
    Kept,
    Escaped,
    LeftFrame,
    Periodic,
    NotChaotic,
    WeakExponent,
    TooLittleLit,
    TooMuchLit,
    LowDimension,
    HighDimension,
};
inline constexpr size_t kVerdicts = static_cast<size_t>(Verdict::HighDimension) + 1;
const char* verdictName(Verdict verdict);

// The verdict on an orbit's statistics; Kept where the picture is not yet
// measured and the orbit passes.
Verdict verdictOf(const OrbitStats& stats, const Interest& interest);

// The settings a drawn figure is judged and drawn with (framing, look, counts).
using SettingsFor = std::function<RenderSettings(const FigureChoice&)>;

struct Candidate {
    uint64_t draw = 0;  // from 0
    uint32_t seed = 0;  // its own: --random seed makes it again
    RenderSettings settings;
    std::string caption;
    OrbitStats stats;
    Verdict verdict = Verdict::Kept;
};

// The seeds of the draws from `first` on: first, then where each draw left the Rnd.
class DrawSeeds {
public:
    DrawSeeds(const RenderFigure* figure, uint32_t seed) : figure_(figure), next_(seed) {}
    uint32_t next();

private:
    const RenderFigure* figure_;
    uint32_t next_;
};

// Draws and judges the draw of the given seed (number `draw` of its search);
// the picture is counted only for an orbit that passes.
Candidate judgeDraw(const RenderFigure* figure, uint32_t seed, uint64_t draw, const SettingsFor& settingsFor,
                    const Interest& interest, const StatsOptions& options);

struct SearchRequest {
    const RenderFigure* figure = nullptr;  // null: the slide show's figures
    uint32_t seed = 0;
    size_t wanted = 1;
    uint64_t maxDraws = 200;
    Interest interest;
    StatsOptions options;
    int threads = 1;
    SettingsFor settingsFor;
    // Told of each figure kept, in draw order, as soon as it is known.
    std::function<void(const Candidate&)> kept;
};

struct SearchResult {
    std::vector<Candidate> kept;  // the first ones in draw order, no caption twice
    uint64_t draws = 0;           // draws looked at up to the last one kept (or all)
};

// Judges draws in parallel in batches; what is kept depends only on the draws,
// never on the threads.
SearchResult searchInteresting(const SearchRequest& request);

struct SurveyRow {
    const RenderFigure* figure = nullptr;
    uint64_t draws = 0;
    std::vector<uint64_t> verdicts;  // by Verdict
    double rejected() const;
};

// The first drawsEach draws of each figure, judged; drawDone is told of each
// draw judged, on the thread that judged it.
std::vector<SurveyRow> surveyDraws(const std::vector<const RenderFigure*>& figures, uint32_t seed,
                                   uint64_t drawsEach, const SettingsFor& settingsFor, const Interest& interest,
                                   const StatsOptions& options, int threads,
                                   const std::function<void()>& drawDone);

}  // namespace quillon::render
