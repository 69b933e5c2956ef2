// The studio's preview as a user feels it: from a change to the first picture
// on screen, and from a new look to the picture coloured again, for a few
// figures at the size of a large preview. Median of several changes each.
//
//   build/quillon-studio-bench
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include "studio/PreviewWorker.h"
#include "studio/StudioModel.h"

using namespace quillon;

namespace {

constexpr int kWidth = 1600, kHeight = 1000;  // device pixels of a large preview
constexpr int kChanges = 9;

// Milliseconds from asking to the first picture of the request.
double firstPictureMs(studio::PreviewWorker& worker, const std::function<void()>& ask)
{
    QEventLoop loop;
    bool seen = false;
    const auto connection = QObject::connect(&worker, &studio::PreviewWorker::frameReady, &loop, [&] {
        seen = true;
        loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    ask();
    if (!seen)
        loop.exec();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    QObject::disconnect(connection);
    return ms;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::printf("studio preview, %dx%d device pixels, %d threads; median of %d changes\n", kWidth, kHeight, cores,
                kChanges);
    std::printf("%-22s %14s %14s\n", "figure", "change (ms)", "new look (ms)");
    for (const char* name : {"Henon", "Hopalong", "Lorenz Orbits (XZ)", "Sierpi", "Bifurcation"}) {
        studio::StudioModel model;
        model.setFigure(render::findFigure(name));
        studio::PreviewWorker worker;
        std::vector<double> changes, looks;
        for (int k = 0; k < kChanges; ++k) {
            model.setSeed(static_cast<uint32_t>(k + 2));
            render::RenderSettings s = model.pictureSettings(studio::framingOfSize(kWidth, kHeight),
                                                             studio::kPreviewPoints, 1);
            s.threads = cores;
            changes.push_back(firstPictureMs(worker, [&] { worker.recount(s, s.points, false); }));
            model.setPalette(k % 2 ? "ember" : "viridis");
            s = model.pictureSettings(s.framing, s.points, 1);
            s.threads = cores;
            looks.push_back(firstPictureMs(worker, [&] { worker.retone(s); }));
        }
        std::printf("%-22s %14.1f %14.1f\n", name, median(changes), median(looks));
    }
    return 0;
}
