#include "render/analysis/Search.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace quillon::render {

namespace {

constexpr size_t kBatchPerThread = 2;

// Runs work(k) for k = 0 .. count - 1 on the given threads; the first
// exception thrown is thrown again here.
void forEachIndex(size_t count, int threads, const std::function<void(size_t)>& work)
{
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    std::mutex failing;
    const auto worker = [&] {
        for (size_t k = next++; k < count; k = next++) {
            try {
                work(k);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failing);
                if (!failure)
                    failure = std::current_exception();
                next = count;
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < std::min<int>(threads, static_cast<int>(count)); ++t)
        pool.emplace_back(worker);
    worker();
    for (std::thread& thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace

Verdict verdictOf(const OrbitStats& stats, const Interest& interest)
{
    switch (stats.outcome) {
    case Outcome::Escaped: return Verdict::Escaped;
    case Outcome::LeftFrame: return Verdict::LeftFrame;
    case Outcome::Periodic:
    case Outcome::FixedPoint: return Verdict::Periodic;
    case Outcome::Chaotic:
        if (stats.largestExponent().value_or(0) >= interest.minExponent)
            break;
        return Verdict::WeakExponent;
    default: return Verdict::NotChaotic;
    }
    if (!stats.litFraction)
        return Verdict::Kept;  // not yet measured
    if (*stats.litFraction < interest.minLit)
        return Verdict::TooLittleLit;
    if (*stats.litFraction > interest.maxLit)
        return Verdict::TooMuchLit;
    if (stats.box && !stats.perUnitTime) {
        if (stats.box->dimension < interest.minDimension)
            return Verdict::LowDimension;
        if (stats.box->dimension > interest.maxDimension)
            return Verdict::HighDimension;
    }
    return Verdict::Kept;
}

const char* verdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Kept: return "kept";
    case Verdict::Escaped: return "escaped";
    case Verdict::LeftFrame: return "left_frame";
    case Verdict::Periodic: return "periodic";
    case Verdict::NotChaotic: return "not_chaotic";
    case Verdict::WeakExponent: return "weak_exponent";
    case Verdict::TooLittleLit: return "too_little_lit";
    case Verdict::TooMuchLit: return "too_much_lit";
    case Verdict::LowDimension: return "low_dimension";
    case Verdict::HighDimension: return "high_dimension";
    }
    return "";
}

uint32_t DrawSeeds::next()
{
    const uint32_t seed = next_;
    next_ = seedAfter(drawRandom(figure_, seed));
    return seed;
}

Candidate judgeDraw(const RenderFigure* figure, uint32_t seed, uint64_t draw, const SettingsFor& settingsFor,
                    const Interest& interest, const StatsOptions& options)
{
    Candidate c;
    c.draw = draw;
    c.seed = seed;
    c.settings = settingsFor(drawRandom(figure, c.seed));
    c.caption = captionOf(c.settings.choice);
    c.stats = followOrbit(c.settings, options);
    c.verdict = verdictOf(c.stats, interest);
    if (c.verdict == Verdict::Kept) {
        // A bounded orbit can be framed whole.
        resolveFit(c.settings);
        // Candidates are judged side by side, each on one thread.
        RenderSettings one = c.settings;
        one.threads = 1;
        measurePicture(c.stats, one);
        c.verdict = verdictOf(c.stats, interest);
    }
    return c;
}

SearchResult searchInteresting(const SearchRequest& r)
{
    SearchResult result;
    const size_t batch = static_cast<size_t>(std::max(1, r.threads)) * kBatchPerThread;
    DrawSeeds seeds(r.figure, r.seed);
    uint64_t judged = 0;
    while (result.kept.size() < r.wanted && judged < r.maxDraws) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(batch, r.maxDraws - judged));
        std::vector<uint32_t> batchSeeds(count);
        for (uint32_t& seed : batchSeeds)
            seed = seeds.next();
        std::vector<Candidate> candidates(count);
        forEachIndex(count, r.threads, [&](size_t k) {
            candidates[k] = judgeDraw(r.figure, batchSeeds[k], judged + k, r.settingsFor, r.interest, r.options);
        });
        for (Candidate& c : candidates) {
            result.draws = c.draw + 1;
            const bool again = std::any_of(result.kept.begin(), result.kept.end(),
                                           [&](const Candidate& k) { return k.caption == c.caption; });
            if (c.verdict != Verdict::Kept || again)
                continue;
            result.kept.push_back(std::move(c));
            if (r.kept)
                r.kept(result.kept.back());
            if (result.kept.size() == r.wanted)
                break;
        }
        judged += count;
    }
    return result;
}

double SurveyRow::rejected() const
{
    return draws ? 1.0 - static_cast<double>(verdicts[static_cast<size_t>(Verdict::Kept)]) / draws : 0;
}

std::vector<SurveyRow> surveyDraws(const std::vector<const RenderFigure*>& figures, uint32_t seed,
                                   uint64_t drawsEach, const SettingsFor& settingsFor, const Interest& interest,
                                   const StatsOptions& options, int threads,
                                   const std::function<void()>& drawDone)
{
    const size_t verdicts = kVerdicts;
    std::vector<SurveyRow> rows;
    std::vector<uint32_t> drawSeeds;
    for (const RenderFigure* f : figures) {
        rows.push_back({f, drawsEach, std::vector<uint64_t>(verdicts, 0)});
        DrawSeeds seeds(f, seed);
        for (uint64_t k = 0; k < drawsEach; ++k)
            drawSeeds.push_back(seeds.next());
    }
    std::mutex counting;
    forEachIndex(figures.size() * drawsEach, threads, [&](size_t k) {
        SurveyRow& row = rows[k / drawsEach];
        const Candidate c = judgeDraw(row.figure, drawSeeds[k], k % drawsEach, settingsFor, interest, options);
        {
            const std::lock_guard<std::mutex> lock(counting);
            ++row.verdicts[static_cast<size_t>(c.verdict)];
        }
        if (drawDone)
            drawDone();
    });
    return rows;
}

}  // namespace quillon::render
