// quillon-render's command line: any argument vector is parsed by the
// option table and checked by the plan, or refused with a message.
#include <CLI/CLI.hpp>

#include "FuzzCheck.h"
#include "render/cli/Options.h"
#include "render/image/UsageError.h"

namespace quillon::fuzz {

void checkCommandLine(std::string_view data)
{
    const std::vector<std::string> words = wordsOf(data, 48);
    std::vector<const char*> argv = {"quillon-render"};
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    render::Arguments a;
    const auto app = render::commandLine(a);
    try {
        app->parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp&) {
        return;
    } catch (const CLI::CallForVersion&) {
        return;
    } catch (const CLI::ParseError& e) {
        checkRefusal("command line", e.what());
        return;
    }
    if (a.list || a.listPalettes)
        return;
    render::Plan plan;
    try {
        plan = render::planFor(a);
    } catch (const render::UsageError& e) {
        checkRefusal("command line", e.what());
        return;
    }
    if (!plan.orbit && plan.jobs.empty())
        fail("command line: a plan of nothing");
    for (const render::Job& job : plan.jobs) {
        try {
            render::checkSettings(job.settings);
        } catch (const render::UsageError& e) {
            fail(std::string("command line: planned settings that the renderer refuses: ") + e.what());
        }
        if (job.settings.points > render::kMaxPoints)
            fail("command line: " + std::to_string(job.settings.points) + " points planned");
    }
    if (plan.video && (plan.video->frames() < 1 || plan.video->frames() > 24 * 3600 * 240))
        fail("command line: a video of " + std::to_string(plan.video->frames()) + " frames planned");
}

}  // namespace quillon::fuzz
