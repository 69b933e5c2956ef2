// Random command sequences: menu commands, command keys, "c", prompt answers,
// Yes/No answers, timer ticks and resizes, injected inside DoEvents at random
// points so that commands nest. Whatever the sequence, the program must not
// crash or hang, and must come back to a sound state.
//
// The normal suite runs a fixed list of seeds; a longer run:
//   QUILLON_FUZZ_SEQUENCES=100000 build/tests/quillon_logic_tests --gtest_filter='Fuzz.*'
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/CommandTables.h"
#include "app/Form.h"
#include "support/ScriptedPlatform.h"

namespace quillon {
namespace {

using testing::ProgramEnded;
using testing::RunawayDrawing;
using testing::ScriptedPlatform;

// Answers that test conversions at their edges, and answers every prompt accepts.
const char* const kOddAnswers[] = {
    "", " ", "abc", "0", "-0", "1e308", "-1e308", "1e-320", "1e999", "nan", "inf",
    "99999999999999999999", "-99999999999999999999", "32767.5", "-32768", "2147483648",
    "0.1", "1,5", "  7  ", "-5", "1e-40",
};
const char* const kSoundAnswers[] = {"1", "2", "3.4", "0.05", "0.5", "3", "4", "27", "0.9", "10", "100", "500"};

constexpr uint64_t kActionsPerSequence = 25;
constexpr uint64_t kWindDownAfter = 4000;   // DoEvents calls before the wind-down starts
constexpr uint64_t kBudget = 3'000'000;     // beyond this a sequence has hung

class Sequence {
public:
    explicit Sequence(uint32_t seed) : random_(seed)
    {
        form_.Form_Load();
        form_.Form_Resize();  // the window's first display
        form_.rnd.reseed(seed);
        form_.setDelayAdditions(10);
        platform_.recordPoints = false;
        platform_.recordOthers = false;
        platform_.budget = kBudget;
        platform_.promptBudget = 2000;
        platform_.answerSource = [this]() -> std::optional<std::string> {
            const int pick = below(10);
            if (pick == 0)
                return std::nullopt;  // Cancel
            if (pick < 4)
                return std::string(kOddAnswers[below(std::size(kOddAnswers))]);
            return std::string(kSoundAnswers[below(std::size(kSoundAnswers))]);
        };
        platform_.boxSource = [this] { return below(2) ? MessageBoxAnswer::Yes : MessageBoxAnswer::No; };
        platform_.onEveryCall([this] { onCall(); });
    }

    // Runs the sequence from idle; false with a reason when an invariant broke.
    void run()
    {
        try {
            while (issued_ < kActionsPerSequence) {
                act();
                // Back at idle: the next action starts from here.
            }
        } catch (const ProgramEnded&) {
            ended_ = true;
        }
    }

    // Where a sequence stood when it failed.
    std::string describe() const
    {
        return "caption \"" + platform_.currentCaption + "\", " + std::to_string(platform_.doEventsCalls) +
               " DoEvents calls; commands given: " + issuedNames_;
    }

    void check() const
    {
        EXPECT_TRUE(form_.stopFlag >= -2 && form_.stopFlag <= 1) << form_.stopFlag;
        EXPECT_EQ(form_.nestedCommands(), 0);
        EXPECT_EQ(form_.openFileCount(), 0);
        EXPECT_GE(form_.backIndex, 0);
        EXPECT_LE(form_.backIndex, 15);
        if (!ended_) {
            // pic1 follows the window after every resize.
            EXPECT_EQ(platform_.pictureScaleWidth, platform_.scaleWidth() > 0 ? platform_.scaleWidth()
                                                                               : platform_.pictureScaleWidth);
        }
    }

private:
    size_t below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

    void onCall()
    {
        const uint64_t call = platform_.doEventsCalls;
        if (call - windDownFrom_ > kWindDownAfter) {
            // Wind down: Timer2 ticks all along; in every other stretch of calls the
            // keys leave slide shows, reset drawings and halt what only FIX halts.
            // The stretches without keys let a bifurcation sweep, which RESET
            // restarts from r = 0, run out.
            form_.Timer2_Timer();
            if ((call - windDownFrom_) / 1000 % 2 == 0)
                return;
            const int pick = static_cast<int>(call % 3);
            if (pick == 0)
                form_.Form_KeyDown(keys::F10, 0);
            else
                form_.Form_KeyDown(pick == 1 ? keys::Escape : keys::Tab, 0);
            return;
        }
        if (issued_ < kActionsPerSequence && below(400) == 0)
            act();
        else if (below(50) == 0)
            form_.Timer2_Timer();
    }

    // One action, as a user or a timer would give it.
    void act()
    {
        ++issued_;
        windDownFrom_ = platform_.doEventsCalls;
        switch (below(9)) {
        case 0:
        case 1:
        case 2: {
            // A menu item with an action (Exit rarely: it ends the program).
            std::vector<const MenuEntry*> items;
            for (const MenuEntry& entry : menuTable())
                if (entry.command && std::string(entry.name) != "mnuExit")
                    items.push_back(&entry);
            if (below(200) == 0) {
                form_.mnuExit_Click();
                return;
            }
            const MenuEntry* item = items[below(items.size())];
            issuedNames_ += std::string(item->name) + " ";
            form_.run(item->command);
            return;
        }
        case 3:
        case 4: {
            const auto keysTable = commandKeys();
            const int16_t extra[] = {keys::F4, 65, 122, 0};
            if (below(5) == 0)
                form_.Form_KeyDown(extra[below(std::size(extra))], static_cast<int16_t>(below(8)));
            else {
                const CommandKey& key = keysTable[below(keysTable.size())];
                issuedNames_ += std::string(key.name) + " ";
                form_.Form_KeyDown(key.code, static_cast<int16_t>(below(2)));
            }
            return;
        }
        case 5:
            form_.Form_KeyPress(below(2) ? keys::LowerC : 'C');
            return;
        case 6:
            form_.Timer1_Timer();
            return;
        case 7: {
            // The window is resized (sometimes minimised to nothing).
            const double widths[] = {0, 150, 15360, 30000};
            const double width = widths[below(std::size(widths))];
            platform_.setScale(width, width * 0.75);
            form_.Form_Resize();
            return;
        }
        default:
            form_.randomMode = static_cast<int16_t>(below(2));  // as the Random item would
            return;
        }
    }

    ScriptedPlatform platform_;
    Form form_{platform_};
    std::mt19937 random_;
    uint64_t issued_ = 0;
    uint64_t windDownFrom_ = 0;
    bool ended_ = false;
    std::string issuedNames_;
};

uint32_t sequencesToRun()
{
    if (const char* text = std::getenv("QUILLON_FUZZ_SEQUENCES"))
        return static_cast<uint32_t>(std::strtoul(text, nullptr, 10));
    return 3000;
}

TEST(Fuzz, RandomCommandSequencesLeaveASoundProgram)
{
    // The studies write their number files into the current directory.
    const auto previous = std::filesystem::current_path();
    const auto dir = std::filesystem::temp_directory_path() / ("quillon-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);

    const uint32_t count = sequencesToRun();
    for (uint32_t seed = 1; seed <= count; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Sequence sequence(seed);
        const auto started = std::chrono::steady_clock::now();
        try {
            sequence.run();
        } catch (const RunawayDrawing&) {
            ADD_FAILURE() << "the sequence did not come back to idle: " << sequence.describe();
        } catch (const testing::HangWithoutYield&) {
            ADD_FAILURE() << "the program froze without reaching the event pump: " << sequence.describe();
        }
        sequence.check();
        if (std::getenv("QUILLON_FUZZ_TIMES"))
            std::printf("seed %u: %.3f s\n", seed,
                        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        if (::testing::Test::HasFailure())
            break;
    }
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// Drives the nesting to the cap (or one short of it) with one kind of command,
// each new command given inside the newest drawing's DoEvents, then gives one
// more command of another kind there, and unwinds. No command may then go on without
// reaching the event pump, and everything must come back to idle.
struct CapKind {
    const char* name;
    void (*give)(Form&);
};

const CapKind kCapKinds[] = {
    {"F1", [](Form& f) { f.Form_KeyDown(keys::F1, 0); }},
    {"F5", [](Form& f) { f.Form_KeyDown(keys::F5, 0); }},
    {"F6", [](Form& f) { f.Form_KeyDown(keys::F6, 0); }},
    {"F8", [](Form& f) { f.Form_KeyDown(keys::F8, 0); }},
    {"F9", [](Form& f) { f.Form_KeyDown(keys::F9, 0); }},
    {"mnuHenon", [](Form& f) { f.click("mnuHenon"); }},
};

TEST(Fuzz, NestingToTheCapThenOneMoreOfEveryKind)
{
    for (const int depth : {Form::kMaxNestedCommands - 1, Form::kMaxNestedCommands})
    for (const CapKind& fill : kCapKinds) {
        for (const CapKind& extra : kCapKinds) {
            SCOPED_TRACE(std::string("filled with ") + fill.name + " to " + std::to_string(depth) +
                         ", then " + extra.name);
            ScriptedPlatform platform;
            platform.recordPoints = false;
            platform.recordOthers = false;
            platform.answerDefaults = true;
            platform.budget = 2'000'000;
            Form form(platform);
            form.Form_Load();
            form.rnd.reseed(7);
            int fills = 0;
            bool extraGiven = false;
            uint64_t unwindFrom = 0;
            platform.onEveryCall([&] {
                if (!extraGiven) {
                    // F9 fills two levels a time and may stop one short.
                    if (form.nestedCommands() < depth && fills < 400) {
                        ++fills;
                        fill.give(form);
                        return;
                    }
                    extraGiven = true;
                    unwindFrom = platform.doEventsCalls;
                    extra.give(form);
                    return;
                }
                // Unwind: Timer2 ticks end the bifurcation columns; F10 ends the
                // shows, Esc the drawings, Tab what only FIX halts.
                form.Timer2_Timer();
                const uint64_t since = platform.doEventsCalls - unwindFrom;
                if (since / 500 % 2 == 0)
                    return;
                const int16_t key[] = {keys::F10, keys::Escape, keys::Tab};
                form.Form_KeyDown(key[since % 3], 0);
            });
            try {
                fill.give(form);
            } catch (const testing::HangWithoutYield&) {
                ADD_FAILURE() << "the program froze without reaching the event pump";
                continue;
            } catch (const RunawayDrawing&) {
                ADD_FAILURE() << "the nested commands did not come back to idle";
                continue;
            }
            EXPECT_TRUE(extraGiven);
            EXPECT_GE(fills, depth / 2 - 1);
            EXPECT_EQ(form.nestedCommands(), 0);
        }
    }
}

}  // namespace
}  // namespace quillon
