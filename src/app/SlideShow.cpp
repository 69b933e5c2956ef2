// The slide show: figures picked at random, drawn with random parameters, each
// until the next Timer1 tick requests a reset, until SS Off. The show is a loop,
// so it keeps one call depth however long it runs.
#include <algorithm>
#include <vector>

#include "app/Form.h"
#include "runtime/Numeric.h"

namespace quillon {

namespace {

// The map figures' rows by their pick, as the rows number themselves.
std::vector<const MapFigure*> buildSlides()
{
    std::vector<const MapFigure*> slides;
    for (const MenuEntry& entry : menuTable())
        if (entry.command.figure && entry.command.figure->slide > 0)
            slides.push_back(entry.command.figure);
    std::sort(slides.begin(), slides.end(),
              [](const MapFigure* p, const MapFigure* q) { return p->slide < q->slide; });
    return slides;
}

}  // namespace

std::span<const MapFigure* const> Form::slideTable()
{
    static const std::vector<const MapFigure*> slides = buildSlides();
    return slides;
}

void Form::mnuSS_Click()
{
    // A show whose slides would all be refused at the nesting cap would go round
    // its loop for ever without yielding: it is refused as a whole instead, as
    // any command at the cap is.
    NestingGuard guard(*this, 2);
    if (!guard.admitted())
        return;
    do {
        platform_.setMenuVisible("mnuSSOff", true);
        platform_.setMenuVisible("mnuSS", false);
        platform_.setMenuVisible("mnuChoice", false);
        randomMode = 0;
        platform_.setTimerEnabled(TimerId::Timer1, true);
        if (ssStop == 1)
            ssStop = 0;
        screne();
        stopFlag = 0;
    } while (ssStop != 1);
}

void Form::screne()
{
    if (stopFlag == 1)
        return;
    const auto n = static_cast<int16_t>(Int(rnd.next() * 28.0f) + 1.0f);
    platform_.clear(Surface::Window);
    runMapCommand(*slideTable()[static_cast<size_t>(n - 1)]);
    mnuReset_Click();
    randomMode = 0;
}

void Form::mnuSSOff_Click()
{
    ssStop = 1;
    platform_.setTimerEnabled(TimerId::Timer1, false);
    mnuReset_Click();
    platform_.setMenuVisible("mnuChoice", true);
    randomMode = 0;
    platform_.setMenuVisible("mnuSS", true);
    platform_.setMenuVisible("mnuSSOff", false);
}

}  // namespace quillon
