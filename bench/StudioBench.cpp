// The studio's preview as a user feels it: from a parameter change to the
// first picture (at 1280x800) and from a new look to the picture coloured
// again (at 1920x1080), for a few figures, median of several changes each;
// then, counting at full speed, the interface thread's longest wait and the
// preview's counting rate against the command line's.
//
//   build/quillon-studio-bench
#include <QGuiApplication>
#include <QImage>
#include <QTimer>
#include <QElapsedTimer>
#include <QEventLoop>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include "render/engine/Render.h"
#include "studio/PreviewWorker.h"
#include "studio/StudioModel.h"

using namespace quillon;

namespace {

constexpr int kChanges = 9;

// Milliseconds from a request to its first picture on the interface thread
// (pictures of earlier requests still on their way do not count).
double firstPictureMs(studio::PreviewWorker& worker, const render::RenderSettings& s)
{
    QEventLoop loop;
    uint64_t generation = 0;
    const auto connection = QObject::connect(&worker, &studio::PreviewWorker::frameReady, &loop,
                                             [&](const studio::PreviewFrame& frame) {
                                                 if (frame.generation == generation)
                                                     loop.quit();
                                             });
    QElapsedTimer timer;
    timer.start();
    generation = worker.recount(s, s.points, false);
    loop.exec();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    QObject::disconnect(connection);
    return ms;
}

// Milliseconds to colour counts again in another look, as the preview's
// thread does for a new look.
double retoneMs(const render::CountGrids& grids, const render::RenderSettings& look)
{
    QElapsedTimer timer;
    timer.start();
    const QImage picture =
        studio::PreviewWorker::pictureOf(grids, look.framing.width, look.framing.height, look);
    return static_cast<double>(timer.nsecsElapsed()) / 1e6 + 0 * picture.width();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}


// Counts a request on and on for `seconds`, on every core, while the
// interface thread ticks every millisecond and takes every frame as the
// window does (a copy of its picture). The longest wait between two ticks
// beyond the millisecond, and the preview's counting rate.
struct FullSpeed {
    double stallMs = 0;
    double pointsPerSecond = 0;
};

FullSpeed countFullSpeed(studio::PreviewWorker& worker, const render::RenderSettings& s, double seconds,
                         bool ticking)
{
    FullSpeed result;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    if (!ticking) {  // a look ten times a second only, to end on time
        ticks.setTimerType(Qt::CoarseTimer);
        ticks.setInterval(100);
    }
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        result.stallMs = std::max(result.stallMs, static_cast<double>(now - last) / 1e6 - ticks.interval());
        last = now;
        if (now > seconds * 1e9)
            loop.quit();
    });
    QImage shown;
    uint64_t generation = 0;
    QObject::connect(&worker, &studio::PreviewWorker::frameReady, &loop,
                     [&](const studio::PreviewFrame& frame) {
                         shown = frame.image.copy();
                         if (frame.generation == generation && frame.seconds > 0.5 && frame.points > frame.from)
                             result.pointsPerSecond = static_cast<double>(frame.points - frame.from) / frame.seconds;
                     });
    ticks.start(ticking ? 1 : 100);
    generation = worker.recount(s, s.points, true);
    loop.exec();
    worker.setKeepGoing(false);
    worker.recount(s, 1, false);  // stops the count under way
    return result;
}

// Points a second of the command line's density picture of the settings.
double commandLineRate(const render::RenderSettings& s)
{
    QElapsedTimer timer;
    timer.start();
    render::countPicture(s);
    return static_cast<double>(s.points) / (static_cast<double>(timer.nsecsElapsed()) / 1e9);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::printf("studio preview, %d threads; median of %d changes\n", cores, kChanges);
    std::printf("%-22s %22s %22s\n", "figure", "first frame 1280x800", "retone 1920x1080");
    double worstFirst = 0, worstRetone = 0;
    for (const char* name : {"Henon", "Hopalong", "Lorenz Orbits (XZ)", "Sierpi", "Bifurcation"}) {
        studio::StudioModel model;
        model.setFigure(render::findFigure(name));
        studio::PreviewWorker worker;
        std::vector<double> changes, looks;
        for (int k = 0; k < kChanges; ++k) {
            // A parameter change at 1280x800: the time to its first picture.
            model.setSeed(static_cast<uint32_t>(k + 2));
            render::RenderSettings s =
                model.pictureSettings(studio::framingOfSize(1280, 800), studio::kPreviewPoints, 1);
            s.threads = cores;
            changes.push_back(firstPictureMs(worker, s));
        }
        // A new look of the counts of a 1920x1080 preview.
        render::RenderSettings s =
            model.pictureSettings(studio::framingOfSize(1920, 1080), studio::kPreviewPoints, 1);
        s.threads = cores;
        const render::DensityCounter counted = render::countPicture(s);
        for (int k = 0; k < kChanges; ++k) {
            model.setPalette(k % 2 ? "ember" : "viridis");
            looks.push_back(retoneMs(counted.grids(), model.pictureSettings(s.framing, s.points, 1)));
        }
        worstFirst = std::max(worstFirst, median(changes));
        worstRetone = std::max(worstRetone, median(looks));
        std::printf("%-22s %22.1f %22.1f\n", name, median(changes), median(looks));
    }
    std::printf("studio first frame ms: %.1f (the slowest figure's median)\n", worstFirst);
    std::printf("studio retone ms: %.1f (the slowest figure's median)\n", worstRetone);

    // Counting at full speed: the interface thread's longest wait, and the
    // preview's rate against the command line's in the same run.
    studio::StudioModel model;
    render::RenderSettings s = model.pictureSettings(studio::framingOfSize(1280, 800), 400'000'000, 1);
    s.threads = cores;
    studio::PreviewWorker worker;
    // The longest wait, with the interface thread looking every millisecond;
    // the rate without (those looks take a counting thread's turns).
    const FullSpeed stalls = countFullSpeed(worker, s, 3, true);
    const FullSpeed full = countFullSpeed(worker, s, 3, false);
    const double rate = commandLineRate(s);
    std::printf("studio interface stall max ms: %.2f\n", stalls.stallMs);
    std::printf("studio counting points/s: %.3g; command line: %.3g\n", full.pointsPerSecond, rate);
    std::printf("studio counting: ratio %.2f\n", full.pointsPerSecond / rate);
    return 0;
}
