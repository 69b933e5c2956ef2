// quillon-render's command line: any argument vector is parsed by the
// option table and checked by the plan, or refused with a message.
#include <CLI/CLI.hpp>

#include <memory>

#include "FuzzCheck.h"
#include "render/cli/Options.h"
#include "render/image/UsageError.h"

namespace quillon::fuzz {

namespace {

// The words parsed, or what the parse said instead (help, version, a refusal).
// The option table is built once: building it costs far more than a parse.
// Each parse starts from fresh arguments and a cleared table, as in a new
// process.
struct Parse {
    const render::Arguments* arguments = nullptr;
    std::string said;
    bool refused = false;
};

Parse parseWords(std::string_view data)
{
    static render::Arguments a;
    static const std::unique_ptr<CLI::App> app = render::commandLine(a);
    const std::vector<std::string> words = wordsOf(data, 48);
    std::vector<const char*> argv = {"quillon-render"};
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    a = render::Arguments{};
    app->clear();
    try {
        app->parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp&) {
        return {.said = "help"};
    } catch (const CLI::CallForVersion&) {
        return {.said = "version"};
    } catch (const CLI::ParseError& e) {
        return {.said = e.what(), .refused = true};
    }
    return {.arguments = &a};
}

}  // namespace

std::string commandLineOutcome(std::string_view data)
{
    const Parse parse = parseWords(data);
    if (!parse.arguments)
        return parse.said;
    if (parse.arguments->list || parse.arguments->listPalettes)
        return "list";
    try {
        const render::Plan plan = render::planFor(*parse.arguments);
        std::string outcome = "plan of " + std::to_string(plan.jobs.size()) + " jobs" + (plan.orbit ? ", orbit" : "");
        for (const render::Job& job : plan.jobs)
            outcome += ", " + job.path + " " + render::captionOf(job.settings.choice) + " " +
                       std::to_string(job.settings.points);
        return outcome;
    } catch (const render::UsageError& e) {
        return e.what();
    }
}

void checkCommandLine(std::string_view data)
{
    const Parse parse = parseWords(data);
    if (!parse.arguments) {
        if (parse.refused)
            checkRefusal("command line", parse.said);
        return;
    }
    const render::Arguments& a = *parse.arguments;
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
