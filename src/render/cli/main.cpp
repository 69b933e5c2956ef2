// quillon-render: any figure of the window program as a picture file, without a
// window. See --help, and the manual page quillon-render(1).
#include <CLI/CLI.hpp>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <string_view>

#include "render/cli/Options.h"
#include "render/cli/Progress.h"
#include "render/engine/Bands.h"
#include "render/engine/FigureChoice.h"
#include "render/engine/Render.h"
#include "render/image/UsageError.h"
#include "render/image/OutputFile.h"
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
        // A terminal that shows 24-bit colour sees each palette too.
        const char* colourTerm = std::getenv("COLORTERM");
        const bool strips = isatty(STDOUT_FILENO) && colourTerm &&
                            (std::string_view(colourTerm) == "truecolor" || std::string_view(colourTerm) == "24bit");
        size_t widest = 0;
        for (const std::string& name : Palette::names())
            widest = std::max(widest, name.size());
        for (const std::string& name : Palette::names()) {
            const Palette palette = *Palette::named(name);
            if (strips)
                std::cout << name << std::string(widest - name.size() + 2, ' ') << terminalStrip(palette, 48) << "  "
                          << palette.description() << '\n';
            else
                std::cout << name << "  " << palette.description() << '\n';
        }
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
        // A picture too large to hold is counted once a band (twice without
        // room for its scratch file): the bar runs over every counting.
        const std::optional<BandPlan> bands =
            !video && job.counts == CountsUse::None ? bandPlan(settings, job.path) : std::nullopt;
        const uint64_t total = video                               ? plan.video->frames()
                               : job.counts == CountsUse::Continue ? job.more
                               : job.counts == CountsUse::Retone   ? 0
                               : job.counts == CountsUse::None     ? progressTotal(settings, job.path)
                                                                   : settings.points;
        const std::string inBands = bands ? ", " + std::to_string(bands->bands) + " bands" : "";
        Progress progress(video ? name + (classic ? " (classic video)" : " (density video)")
                                : name + (classic ? " (classic)" : " (density" + inBands + ")"),
                          total, a.quiet || total == 0, video ? "frames" : "points");
        const auto told = [&](uint64_t done) { progress.reached(done); };
        RenderResult result;
        switch (job.counts) {
        case CountsUse::None:
            result = video ? makeVideo(settings, *plan.video, job.path, told) : renderToFile(settings, job.path, told);
            break;
        case CountsUse::Save:
            result = renderKeepingCounts(settings, job.path, job.countsPath, told);
            break;
        case CountsUse::Retone:
            result = retoneToFile(*job.stored, settings, job.path);
            break;
        case CountsUse::Continue:
            result = continueToFile(std::move(*job.stored), settings, job.more, job.path, told);
            break;
        }
        progress.finish();
        if (plan.randomSeed)
            std::cerr << "quillon-render: random seed " << *plan.randomSeed << " (again: --random "
                      << *plan.randomSeed << ")\n";
        if (plan.randomSeed || plan.jobs.size() > 1 || !a.quiet)
            std::cout << result.caption << '\n';
        if (result.litPixels == 0) {
            const std::string& file = job.path.empty() ? job.countsPath : job.path;
            std::cerr << "quillon-render: warning: nothing of " << name << " fell inside the frame; " << file
                      << " is empty\n";
            status = kExitNothingDrawn;
        }
    }
    return status;
}

// An exception a drawing thread did not catch, or one met while threads were
// still drawing, ends here rather than in an abort: the partial files go and
// the status is that of a failed run.
[[noreturn]] void onTerminate()
{
    OutputFile::removePending();
    std::string what = "stopped by an unexpected failure";
    if (const std::exception_ptr failure = std::current_exception()) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::bad_alloc&) {
            what = "out of memory";
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
    }
    std::fprintf(stderr, "quillon-render: %s\n", what.c_str());
    std::_Exit(kExitFailed);
}

// Caught rather than left to kill the program with its file half written: the
// write then fails (EFBIG), and the failure is told and cleaned up. A program
// started from here gets the default action back.
void onFileSizeLimit(int) {}

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
    std::set_terminate(onTerminate);
    std::signal(SIGXFSZ, onFileSizeLimit);
    try {
        return run(a);
    } catch (const SettingError& e) {
        tell(inOptionTerms(e).c_str());
        return kExitUsage;
    } catch (const UsageError& e) {
        tell(e.what());
        return kExitUsage;
    } catch (const std::bad_alloc&) {
        tell("out of memory");
        return kExitFailed;
    } catch (const std::exception& e) {
        tell(e.what());
        return kExitFailed;
    }
}
