// Throughput and responsiveness of drawings through the real Qt adapter.
//
// Prints, in one run, for a figure of each family: points per second drawn in
// fast mode (window 1024 x 768 on the offscreen platform), points per second of
// a bare loop that computes the same map and writes the same pixels, and their
// ratio, by the clock and by this thread's CPU time (on a shared machine the
// latter leaves out the time other loads took the processor). Then the longest
// delay between a key posted during a fast drawing and its handling, and the
// CPU used while the program is idle.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "BareMaps.h"
#include "RenderBench.h"
#include "app/FigureRows.h"
#include "app/Form.h"
#include "platform/QtPlatform.h"
#include "platform/QtWindow.h"

namespace {

using quillon::Form;
using quillon::QtPlatform;
using namespace quillon::bench;

constexpr int kMillisPerRun = 1000;
constexpr int kTrials = 3;  // interleaved; the median ratio is reported

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Points per second of the clock and per second of this thread's CPU time.
struct Rate {
    double wall, cpu;
};

// One figure of a family: its parameters and routine in the program, and the
// same map as a bare loop.
struct Row {
    const char* name;
    void (*setUp)(Form&);
    const quillon::MapFigure& routine;
    Rate (*bare)(QSize size, QSize pictureSize);
};

// Draws a figure for a fixed time in fast mode.
Rate drawFigure(Form& form, QtPlatform& platform, const Row& row)
{
    form.x = form.y = 0;
    form.stopFlag = 0;
    row.setUp(form);
    QTimer::singleShot(kMillisPerRun, [&form] { form.mnuReset_Click(); });
    const uint64_t before = platform.doEventsCalls();
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = threadCpuSeconds();
    form.runPasses(row.routine);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double points = platform.doEventsCalls() - before;
    return {points / seconds, points / (threadCpuSeconds() - cpuBefore)};
}

// The same map and the same pixel writes on both surfaces (the drawing area and
// pic1, which has the window's outer size), without the program around them.
// The map's step is compiled into the loop.
template <typename Map>
Rate bareLoop(QSize size, QSize pictureSize)
{
    constexpr BareCanvas canvas = Map::canvas;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QImage picture(pictureSize, QImage::Format_RGB32);
    picture.fill(Qt::black);
    auto* bits = reinterpret_cast<uint32_t*>(image.bits());
    auto* pictureBits = reinterpret_cast<uint32_t*>(picture.bits());
    const size_t stride = image.bytesPerLine() / 4;
    const size_t pictureStride = picture.bytesPerLine() / 4;
    const float width = size.width(), height = size.height();
    const float pictureWidth = pictureSize.width(), pictureHeight = pictureSize.height();
    const float toPictureX = pictureWidth / (width * 15), toPictureY = pictureHeight / (height * 15);
    const double offsetX = size.width() * 15.0 / canvas.qx;
    const double offsetY = size.height() * 15.0 / canvas.qy;
    double x = 0, y = 0;
    uint32_t random = 12345;
    uint64_t points = 0;
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = threadCpuSeconds();
    while (clock.elapsed() < kMillisPerRun) {
        for (int k = 0; k < 1'000'000; ++k) {
            const BarePoint p = Map::step(x, y, random);
            const float X = static_cast<float>(p.u * canvas.kx + offsetX);
            const float Y = static_cast<float>(p.v * canvas.ky + offsetY);
            const float px = X / 15.0f, py = Y / 15.0f;
            if (px >= 0 && py >= 0 && px < width && py < height)
                bits[static_cast<size_t>(py) * stride + static_cast<size_t>(px)] = 0xFF0000FFu;
            const float qx = X * toPictureX, qy = Y * toPictureY;
            if (qx >= 0 && qy >= 0 && qx < pictureWidth && qy < pictureHeight)
                pictureBits[static_cast<size_t>(qy) * pictureStride + static_cast<size_t>(qx)] =
                    0xFF0000FFu;
        }
        points += 1'000'000;
    }
    return {points / (clock.nsecsElapsed() / 1e9), points / (threadCpuSeconds() - cpuBefore)};
}

const Row kRows[] = {
    {"henon", [](Form& f) { f.a = 1.4, f.b = 0.3; }, quillon::figures::kHenon, &bareLoop<HenonMap>},
    {"hopalong", [](Form& f) { f.a = 0.724, f.b = -0.565, f.c = -0.117; }, quillon::figures::kHop1,
     &bareLoop<HopalongMap>},
    {"threeply", [](Form& f) { f.a = 83.0781, f.b = -98.0297, f.c = -33.527; },
     quillon::figures::kThreeply, &bareLoop<ThreeplyMap>},
    {"equation", [](Form& f) { f.a = 0.2238, f.b = -0.9992, f.c = -0.8697, f.d = -0.3373; },
     quillon::figures::kE1, &bareLoop<EquationMap>},
    {"chaos game", [](Form&) {}, quillon::figures::kSierpi, &bareLoop<SierpinskiMap>},
};

// Posts "c" key presses from another thread, as keys arrive from outside, one
// at a time, and records how long each waited until its handler started.
double keyLatencyMaxMs(Form& form, QtPlatform& platform)
{
    using Clock = std::chrono::steady_clock;
    std::atomic<int64_t> postedAt{0};
    std::atomic<bool> stop{false};
    std::vector<double> waits;
    platform.window().onCommandStarted = [&] {
        const int64_t at = postedAt.exchange(0);
        if (at == 0)
            return;
        waits.push_back((Clock::now().time_since_epoch().count() - at) / 1e6);
    };
    std::thread sender([&] {
        std::mt19937 jitter(7);
        while (!stop) {
            std::this_thread::sleep_for(std::chrono::microseconds(3000 + jitter() % 7000));
            if (postedAt.load() != 0)
                continue;
            postedAt = Clock::now().time_since_epoch().count();
            // Delivered by the window's own key handling in the event loop.
            QMetaObject::invokeMethod(
                &platform.window(),
                [&platform] {
                    QKeyEvent key(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, QStringLiteral("c"));
                    QCoreApplication::sendEvent(&platform.window(), &key);
                },
                Qt::QueuedConnection);
        }
    });
    drawFigure(form, platform, kRows[0]);
    stop = true;
    sender.join();
    QCoreApplication::processEvents();
    platform.window().onCommandStarted = nullptr;
    std::sort(waits.begin(), waits.end());
    if (waits.empty())
        return 0;
    std::printf("keys handled during the drawing: %zu, median wait %.2f ms, 99th percentile %.2f ms\n",
                waits.size(), waits[waits.size() / 2], waits[waits.size() * 99 / 100]);
    return waits.back();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QtPlatform platform;
    Form form(platform);
    platform.attach(form);
    form.Form_Load();
    platform.window().show();
    platform.window().resize(1024, 768 + platform.window().menuBar()->sizeHint().height());
    QCoreApplication::processEvents();
    const QSize canvas(static_cast<int>(platform.scaleWidth() / 15),
                       static_cast<int>(platform.scaleHeight() / 15));
    std::printf("drawing area: %d x %d pixels\n", canvas.width(), canvas.height());

    const QSize picture(platform.surface(quillon::Surface::Picture).pixelSize());
    std::printf("pic1: %d x %d pixels\n", picture.width(), picture.height());
    // This machine's speed wanders; trials alternate between the two loops.
    struct Trial {
        Rate drawn, bare;
    };
    // An argument names the one family to measure (for profiling).
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    for (const Row& row : kRows) {
        if (!only.isEmpty() && only != QLatin1String(row.name))
            continue;
        std::vector<Trial> trials;
        for (int k = 0; k < kTrials; ++k)
            trials.push_back({drawFigure(form, platform, row), row.bare(canvas, picture)});
        std::vector<double> cpuRatios;
        for (const Trial& trial : trials)
            cpuRatios.push_back(trial.drawn.cpu / trial.bare.cpu);
        std::sort(cpuRatios.begin(), cpuRatios.end());
        std::sort(trials.begin(), trials.end(), [](const Trial& p, const Trial& q) {
            return p.drawn.wall / p.bare.wall < q.drawn.wall / q.bare.wall;
        });
        const Trial median = trials[kTrials / 2];
        std::printf("%s points/s: %.3g\n", row.name, median.drawn.wall);
        std::printf("bare %s points/s: %.3g\n", row.name, median.bare.wall);
        std::printf("%s ratio: %.2f\n", row.name, median.drawn.wall / median.bare.wall);
        std::printf("%s ratio by cpu time: %.2f\n", row.name, cpuRatios[kTrials / 2]);
    }

    if (only == QLatin1String("motion")) {
        quillon::bench::printMotionRows();
        return 0;
    }
    if (only == QLatin1String("bands")) {
        quillon::bench::printBandRows();
        return 0;
    }
    if (only == QLatin1String("retone")) {
        quillon::bench::printRetoneRows();
        return 0;
    }
    if (only == QLatin1String("render")) {
        quillon::bench::printRenderRows();
        return 0;
    }
    if (!only.isEmpty())
        return 0;
    std::printf("key latency max ms: %.2f\n", keyLatencyMaxMs(form, platform));

    const double cpuBefore = cpuSeconds();
    QElapsedTimer idle;
    idle.start();
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec();
    std::printf("idle cpu %%: %.1f\n", 100 * (cpuSeconds() - cpuBefore) / (idle.elapsed() / 1e3));

    quillon::bench::printRenderRows();
    quillon::bench::printMotionRows();
    return 0;
}
