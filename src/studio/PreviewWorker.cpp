#include "studio/PreviewWorker.h"

#include <QMetaObject>
#include <QPointer>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <exception>

#include "render/look/Colourise.h"

namespace quillon::studio {

using namespace render;

namespace {

// Thrown from a classic drawing's progress when a newer request is waiting.
struct Cancelled {};

// The points of one step of a count.
constexpr uint64_t kStepPoints = uint64_t{1} << 28;

// Tells the interface thread's calls that a count is under way.
class CountingFlag {
public:
    CountingFlag(bool& flag, std::mutex& mutex) : flag_(flag), mutex_(mutex) { set(true); }
    ~CountingFlag() { set(false); }
    CountingFlag(const CountingFlag&) = delete;
    CountingFlag& operator=(const CountingFlag&) = delete;

private:
    void set(bool value)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        flag_ = value;
    }
    bool& flag_;
    std::mutex& mutex_;
};


}  // namespace

PreviewWorker::PreviewWorker(QObject* parent) : QObject(parent), thread_([this] { loop(); }) {}

PreviewWorker::~PreviewWorker()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        cancel_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

uint64_t PreviewWorker::recount(const RenderSettings& settings, uint64_t budget, bool keepGoing)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        pending_ = Job{settings, ++generation_, budget};
        budget_ = budget;
        look_ = settings;
        retonePending_ = false;
        keepGoing_ = keepGoing;
        cancel_ = true;
    }
    wake_.notify_all();
    return generation_;
}

uint64_t PreviewWorker::adoptCounts(std::shared_ptr<const StoredCounts> stored, const RenderSettings& settings)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        pending_ = Job{settings, ++generation_, settings.points, false, std::move(stored)};
        budget_ = settings.points;
        look_ = settings;
        retonePending_ = false;
        cancel_ = true;
    }
    wake_.notify_all();
    return generation_;
}

void PreviewWorker::countOn(uint64_t budget, bool keepGoing)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        keepGoing_ = keepGoing;
        budget_ = budget;
        // A count under way sees the new budget itself; one that has ended
        // (or is about to) is taken up again.
        if (pending_)
            pending_->budget = budget;
        else
            pending_ = Job{look_, generation_, budget, true};
    }
    wake_.notify_all();
}

void PreviewWorker::retone(const RenderSettings& settings)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        look_ = settings;
        if (pending_)
            pending_->settings = settings;
        retonePending_ = true;
        // A count under way stops for a moment to show the new look at once.
        if (counting_) {
            retoneStop_ = true;
            cancel_ = true;
        }
    }
    wake_.notify_all();
}

void PreviewWorker::setKeepGoing(bool keepGoing)
{
    keepGoing_ = keepGoing;
}

RenderSettings PreviewWorker::lookNow()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    retonePending_ = false;
    return look_;
}

void PreviewWorker::loop()
{
    // Counting yields the processor to the interface: this thread and the
    // counting threads it starts (which take its niceness) run a little below
    // the interface thread, so that a click or a frame never waits for a
    // counting thread's turn to end. Where the system refuses, they run as
    // they are.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kCountingNiceness);
    for (;;) {
        std::optional<Job> job;
        bool retone = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || pending_ || retonePending_; });
            if (quit_)
                return;
            job = std::move(pending_);
            pending_.reset();
            retone = retonePending_ && !job;
            cancel_ = false;
            retoneStop_ = false;
        }
        try {
            if (job && job->stored)
                adopt(*job);
            else if (job && job->resume)
                resume(*job);
            else if (job && job->settings.style == Style::Classic)
                drawClassic(*job);
            else if (job)
                count(std::move(*job));
            else if (retone && counter_) {
                const RenderSettings look = lookNow();
                PreviewFrame frame{.generation = countedGeneration_, .points = counter_->points()};
                frame.image = pictureOf(counter_->grids(), counted_.framing.width, counted_.framing.height,
                                        countedLook(look), &frame.litPixels);
                frame.done = true;
                post(std::move(frame));
            } else if (retone) {
                lookNow();
            }
        } catch (const Cancelled&) {
        } catch (const std::exception& e) {
            counter_.reset();
            postFailure(QString::fromStdString(e.what()), job ? job->generation : countedGeneration_);
        }
    }
}

void PreviewWorker::count(Job job)
{
    const auto start = std::chrono::steady_clock::now();
    counter_.reset();
    resolveColourRange(job.settings);
    counted_ = job.settings;
    countedGeneration_ = job.generation;
    runFrom_ = 0;
    counter_ = std::make_unique<DensityCounter>(countRequest(job.settings));
    // A small count first: the first picture comes at once, whatever the figure.
    if (!counter_->countTo(std::min(kFirstPoints, job.budget), {.cancel = &cancel_}))
        return;
    showCounts(counter_->grids(), counter_->points(), false, start);
    countToBudget(start);
}

void PreviewWorker::adopt(const Job& job)
{
    const auto start = std::chrono::steady_clock::now();
    counter_.reset();
    counted_ = job.settings;
    countedGeneration_ = job.generation;
    counter_ = std::make_unique<DensityCounter>(countRequest(counted_));
    counter_->adopt(gridsOf(job.stored->data, counted_.colour), counted_.points);
    runFrom_ = counter_->points();  // none counted here
    showCounts(counter_->grids(), counter_->points(), true, start);
}

RenderSettings PreviewWorker::countedLook(RenderSettings look) const
{
    // The counts' own grid and colour range, whatever the look asked for.
    look.supersampling = counted_.supersampling;
    look.colourRange = counted_.colourRange;
    return look;
}

void PreviewWorker::resume(const Job& job)
{
    if (!counter_ || job.generation != countedGeneration_ || counted_.style != Style::Density)
        return;
    runFrom_ = counter_->points();
    countToBudget(std::chrono::steady_clock::now());
}

void PreviewWorker::showCounts(const CountGrids& grids, uint64_t points, bool done,
                               std::chrono::steady_clock::time_point start)
{
    PreviewFrame frame{.generation = countedGeneration_, .points = points, .from = runFrom_, .done = done};
    frame.image =
        pictureOf(grids, counted_.framing.width, counted_.framing.height, countedLook(lookNow()), &frame.litPixels);
    frame.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    post(std::move(frame));
}

void PreviewWorker::countToBudget(std::chrono::steady_clock::time_point start)
{
    // The counter adds up its points when a count returns; between, the
    // progress tells those of the count under way.
    uint64_t before = 0, done = 0;
    CountControl control{.cancel = &cancel_,
                         .progress = [&](uint64_t points) { done = points; },
                         .snapshotSeconds = kSnapshotSeconds};
    control.snapshot = [&](const CountGrids& grids) { showCounts(grids, before + done, false, start); };
    // The count goes on in steps, which count the same as one count to the
    // end: a step's orbits are listed before it starts, and a few hundred of
    // them are quick to list whatever the budget.
    const auto countOn = [&](uint64_t target) {
        while (counter_->points() < target) {
            before = counter_->points();
            done = 0;
            if (counter_->countTo(std::min(target, before + kStepPoints), control))
                continue;
            // Stopped for a new look: shown, and the count goes on from where it
            // stopped; stopped for a new request or the end: over.
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                if (pending_ || quit_ || !retoneStop_)
                    return false;
                retoneStop_ = false;
                cancel_ = false;
            }
            showCounts(counter_->grids(), counter_->points(), false, start);
        }
        return true;
    };
    const CountingFlag flag(counting_, mutex_);
    // Counting on doubles the points each time round; the budget asked for
    // may also be raised while counting.
    uint64_t target = 0;
    for (;;) {
        target = std::max<uint64_t>(target, budget_);
        if (!countOn(target))
            return;
        if (budget_ > counter_->points())
            continue;
        const bool more = keepGoing_ && counter_->points() < kMaxPoints / 2;
        showCounts(counter_->grids(), counter_->points(), !more, start);
        if (!more)
            return;
        target = std::max<uint64_t>(1, counter_->points()) * 2;
    }
}

std::optional<PreviewFrame> PreviewWorker::drawClassicPreview(const RenderSettings& settings,
                                                              const std::atomic<bool>& stop,
                                                              const std::function<void(uint64_t)>& drawn)
{
    const auto start = std::chrono::steady_clock::now();
    RenderSettings s = settings;
    s.points = std::min(s.points, kClassicPreviewPoints);
    s.passes.reset();
    try {
        const RenderResult result = renderClassic(
            s,
            [&](uint64_t points) {
                if (drawn)
                    drawn(points);
                if (stop.load())
                    throw Cancelled{};
            },
            kClassicCheckPoints);
        PreviewFrame frame{
            .image = imageOf(result.image), .points = result.points, .litPixels = result.litPixels, .done = true};
        frame.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return frame;
    } catch (const Cancelled&) {
        return std::nullopt;
    }
}

void PreviewWorker::drawClassic(const Job& job)
{
    counter_.reset();
    if (std::optional<PreviewFrame> frame = drawClassicPreview(job.settings, cancel_)) {
        frame->generation = job.generation;
        post(std::move(*frame));
    }
}

void PreviewWorker::post(PreviewFrame frame)
{
    QPointer<PreviewWorker> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, frame = std::move(frame)] {
            if (self && frame.generation == self->generation_)
                emit self->frameReady(frame);
        },
        Qt::QueuedConnection);
}

void PreviewWorker::postFailure(const QString& message, uint64_t generation)
{
    QMetaObject::invokeMethod(
        this,
        [this, message, generation] {
            if (generation == generation_)
                emit failed(message, generation);
        },
        Qt::QueuedConnection);
}

QImage PreviewWorker::pictureOf(const CountGrids& grids, int width, int height, const RenderSettings& settings,
                                uint64_t* litPixels)
{
    const Palette palette = paletteOf(settings);
    const Image image = colourise(grids.view(), width, height, settings.supersampling, lookOf(settings, palette));
    if (litPixels) {
        uint64_t lit = 0;
        for (const uint32_t count : grids.counts)
            lit += count != 0;
        *litPixels = lit;
    }
    return imageOf(image);
}

QImage PreviewWorker::imageOf(const Image& image)
{
    QImage out(image.width, image.height, QImage::Format_RGB32);
    const int shift = image.depth == 16 ? 8 : 0;
    for (int y = 0; y < image.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const uint16_t* in = image.at(0, y);
        for (int x = 0; x < image.width; ++x, in += 3)
            line[x] = qRgb(in[0] >> shift, in[1] >> shift, in[2] >> shift);
    }
    return out;
}

}  // namespace quillon::studio
