// The live preview's counting: a thread of its own owns the density counter.
// A new request cancels the count under way and starts again; a new look
// colours the counts again without counting. Snapshots are coloured on the
// counting thread and handed to the interface thread as pictures, so the
// interface never waits on counting.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "render/engine/CountsRender.h"
#include "render/engine/Render.h"

namespace quillon::studio {

struct PreviewFrame {
    QImage image;  // the picture's pixels, one a device pixel
    uint64_t generation = 0;  // of the request it shows
    uint64_t points = 0;
    uint64_t from = 0;   // the points there were when this run of counting began
    double seconds = 0;  // since it began
    uint64_t litPixels = 0;
    bool done = false;  // the budget is counted (and no more is asked)
};

class PreviewWorker : public QObject {
    Q_OBJECT
public:
    // Points counted before the first picture of a request, so that it shows
    // at once; more follow as snapshots.
    static constexpr uint64_t kFirstPoints = 30'000;
    static constexpr double kSnapshotSeconds = 0.1;
    // How much lower than the interface the counting threads run (a nice value).
    static constexpr int kCountingNiceness = 5;

    explicit PreviewWorker(QObject* parent = nullptr);
    ~PreviewWorker() override;

    // Counts the settings (at their framing) up to the budget, or on and on
    // when keepGoing; the picture's generation is returned.
    uint64_t recount(const render::RenderSettings& settings, uint64_t budget, bool keepGoing);
    // Counts the request shown on to a new budget (or on and on), from where
    // its count stands.
    void countOn(uint64_t budget, bool keepGoing);
    // Shows counts kept in a file, at their own framing and without counting,
    // as the count of a request of their settings: a new look colours them
    // again, a larger budget counts on from them. The generation is returned.
    uint64_t adoptCounts(std::shared_ptr<const render::StoredCounts> stored, const render::RenderSettings& settings);
    // Colours the counts again with the settings' look.
    void retone(const render::RenderSettings& settings);
    void setKeepGoing(bool keepGoing);
    uint64_t generation() const { return generation_; }

    // A classic preview draws no more points than this.
    static constexpr uint64_t kClassicPreviewPoints = 2'000'000;
    // A classic preview looks for a newer request every so many points: some
    // milliseconds of drawing.
    static constexpr uint32_t kClassicCheckPoints = 4096;
    // The classic preview of the settings (its points at most
    // kClassicPreviewPoints), or nothing when it saw `stop` set; `drawn` is
    // told the points drawn whenever it looks.
    static std::optional<PreviewFrame> drawClassicPreview(const render::RenderSettings& settings,
                                                          const std::atomic<bool>& stop,
                                                          const std::function<void(uint64_t)>& drawn = {});

    // The picture of counts, in the look of the settings, as a QImage.
    static QImage pictureOf(const render::CountGrids& grids, int width, int height,
                            const render::RenderSettings& settings, uint64_t* litPixels = nullptr);
    static QImage imageOf(const render::Image& image);

signals:
    void frameReady(const quillon::studio::PreviewFrame& frame);
    void failed(const QString& message, quint64 generation);

private:
    struct Job {
        render::RenderSettings settings;
        uint64_t generation = 0;
        uint64_t budget = 0;
        bool resume = false;  // the count of the generation goes on
        std::shared_ptr<const render::StoredCounts> stored;  // counts to show, not count
    };

    void loop();
    void count(Job job);
    void resume(const Job& job);
    void adopt(const Job& job);
    void countToBudget(std::chrono::steady_clock::time_point start);
    void showCounts(const render::CountGrids& grids, uint64_t points, bool done,
                    std::chrono::steady_clock::time_point start);
    void drawClassic(const Job& job);
    void post(PreviewFrame frame);
    void postFailure(const QString& message, uint64_t generation);
    render::RenderSettings lookNow();
    render::RenderSettings countedLook(render::RenderSettings look) const;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> pending_;
    bool retonePending_ = false;
    bool counting_ = false;    // the counting thread is in a count
    bool retoneStop_ = false;  // and was stopped to show a new look
    bool quit_ = false;
    render::RenderSettings look_;  // the settings whose look the snapshots take
    std::atomic<bool> cancel_{false};
    std::atomic<bool> keepGoing_{false};
    std::atomic<uint64_t> budget_{0};
    uint64_t generation_ = 0;  // the interface thread's

    // The counting thread's own.
    std::unique_ptr<render::DensityCounter> counter_;
    render::RenderSettings counted_;
    uint64_t countedGeneration_ = 0;
    uint64_t runFrom_ = 0;
    std::thread thread_;
};

}  // namespace quillon::studio
