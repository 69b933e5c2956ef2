// Throughput and responsiveness of drawings through the real Qt adapter.
//
// Prints, in one run: points per second of a figure drawn in fast mode (window
// 1024 x 768 on the offscreen platform), points per second of a bare loop that
// computes the same map and writes the same pixels, their ratio, the longest
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

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "app/Form.h"
#include "platform/QtPlatform.h"
#include "platform/QtWindow.h"

namespace {

using quillon::Form;
using quillon::QtPlatform;

constexpr int kMillisPerRun = 1000;
constexpr int kTrials = 5;  // interleaved; the median ratio is reported

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Draws Henon (a = 1.4, b = 0.3) for a fixed time; returns points per second.
double drawHenon(Form& form, QtPlatform& platform)
{
    form.a = 1.4;
    form.b = 0.3;
    form.x = form.y = 0;
    form.stopFlag = 0;
    QTimer::singleShot(kMillisPerRun, [&form] { form.mnuReset_Click(); });
    const uint64_t before = platform.doEventsCalls();
    QElapsedTimer clock;
    clock.start();
    form.Henon();
    const double seconds = clock.nsecsElapsed() / 1e9;
    return (platform.doEventsCalls() - before) / seconds;
}

// The same map and the same pixel writes on both surfaces (the drawing area and
// pic1, which has the window's outer size), without the program around them.
double bareHenon(QSize size, QSize pictureSize)
{
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
    const double sw = size.width() * 15.0, sh = size.height() * 15.0;
    double x = 0, y = 0;
    const double a = 1.4, b = 0.3;
    uint64_t points = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kMillisPerRun) {
        for (int k = 0; k < 1'000'000; ++k) {
            const double xNew = (1 + y) - x * x * a;
            const double yNew = b * x;
            const float X = static_cast<float>(xNew * 3000 + sw / 2);
            const float Y = static_cast<float>(yNew * 6000 + sh / 2);
            const float px = X / 15.0f, py = Y / 15.0f;
            if (px >= 0 && py >= 0 && px < width && py < height)
                bits[static_cast<size_t>(py) * stride + static_cast<size_t>(px)] = 0xFF0000FFu;
            const float qx = X * toPictureX, qy = Y * toPictureY;
            if (qx >= 0 && qy >= 0 && qx < pictureWidth && qy < pictureHeight)
                pictureBits[static_cast<size_t>(qy) * pictureStride + static_cast<size_t>(qx)] =
                    0xFF0000FFu;
            x = xNew;
            y = yNew;
        }
        points += 1'000'000;
    }
    return points / (clock.nsecsElapsed() / 1e9);
}

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
    drawHenon(form, platform);
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
        double drawn, bare;
    };
    std::vector<Trial> trials;
    for (int k = 0; k < kTrials; ++k)
        trials.push_back({drawHenon(form, platform), bareHenon(canvas, picture)});
    std::sort(trials.begin(), trials.end(), [](const Trial& p, const Trial& q) {
        return p.drawn / p.bare < q.drawn / q.bare;
    });
    const Trial median = trials[kTrials / 2];
    std::printf("henon points/s: %.3g\n", median.drawn);
    std::printf("bare henon points/s: %.3g\n", median.bare);
    std::printf("henon ratio: %.2f\n", median.drawn / median.bare);

    std::printf("key latency max ms: %.2f\n", keyLatencyMaxMs(form, platform));

    const double cpuBefore = cpuSeconds();
    QElapsedTimer idle;
    idle.start();
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec();
    std::printf("idle cpu %%: %.1f\n", 100 * (cpuSeconds() - cpuBefore) / (idle.elapsed() / 1e3));
    return 0;
}
