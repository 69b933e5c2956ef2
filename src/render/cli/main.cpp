// quillon-render: any figure of the window program as a picture file, without a
// window. See --help, and the manual page quillon-render(1).
#include <CLI/CLI.hpp>

#include <iostream>

#include "render/cli/Options.h"
#include "render/cli/Progress.h"
#include "render/engine/FigureChoice.h"
#include "render/engine/Render.h"
#include "render/engine/UsageError.h"
#include "render/look/Palette.h"
#include "render/video/Video.h"

namespace {

using namespace quillon::render;

int run(const Arguments& a)
{
    if (a.list) {
        std::cout << figureListText();
        return 0;
    }
    if (a.listPalettes) {
        for (const std::string& name : Palette::names())
            std::cout << name << "  " << Palette::named(name)->description() << '\n';
        return 0;
    }
    const Plan plan = planFor(a);
    if (plan.orbit)
        return runOrbitCommand(*plan.orbit);

    const bool video = plan.video.has_value();
    int status = 0;
    for (const Job& job : plan.jobs) {
        const RenderSettings& settings = job.settings;
        const std::string& name = settings.choice.figure->name;
        const bool classic = settings.style == Style::Classic;
        Progress progress(video ? name + (classic ? " (classic video)" : " (density video)")
                                : name + (classic ? " (classic)" : " (density)"),
                          video ? plan.video->frames() : settings.points, a.quiet, video ? "frames" : "points");
        const auto told = [&](uint64_t done) { progress.reached(done); };
        const RenderResult result = video ? makeVideo(settings, *plan.video, job.path, told)
                                          : renderToFile(settings, job.path, told);
        progress.finish();
        if (plan.randomSeed)
            std::cerr << "quillon-render: random seed " << *plan.randomSeed << " (again: --random "
                      << *plan.randomSeed << ")\n";
        if (plan.randomSeed || plan.jobs.size() > 1 || !a.quiet)
            std::cout << result.caption << '\n';
        if (result.litPixels == 0) {
            std::cerr << "quillon-render: warning: nothing of " << name << " fell inside the frame; " << job.path
                      << " is empty\n";
            status = kExitNothingDrawn;
        }
    }
    return status;
}

void tell(const char* what) { std::cerr << "quillon-render: " << what << '\n'; }

}  // namespace

int main(int argc, char** argv)
{
    Arguments a;
    const auto app = commandLine(a);
    try {
        app->parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app->exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app->exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "quillon-render: " << e.what() << " (--help)\n";
        return kExitUsage;
    }
    try {
        return run(a);
    } catch (const UsageError& e) {
        tell(e.what());
        return kExitUsage;
    } catch (const std::exception& e) {
        tell(e.what());
        return kExitUsage;
    }
}
