// The bifurcation diagram of the logistic map: for r from the chosen start up
// to 4 the map is iterated and its values plotted in one column per r. Timer2
// ends each column, so a column holds as many points as fit between two ticks.
#include "app/Form.h"
#include "studies/BifurcationMap.h"
#include "runtime/Numeric.h"

namespace quillon {

namespace {

// Canvas X = scale * r - offset puts r = start at the left, r = 4 near 16500.
constexpr BifurcationStart kStartingPoints[] = {
    {1.0f, 5500, 5500},
    {2.0f, 8500, 17000},
    {2.9f, 15700, 46500},
    {3.4f, 27000, 91500},
};

}  // namespace

std::span<const BifurcationStart> bifurcationStarts() { return kStartingPoints; }

const BifurcationStart* bifurcationStart(float start)
{
    for (const BifurcationStart& point : kStartingPoints)
        if (point.start == start)
            return &point;
    return nullptr;
}

void Form::mnuBIF_Click()
{
    NestingGuard guard(*this);
    if (!guard.admitted() || stopFlag == 1)
        return;
    clearSurfaces();
    platform_.setCaption("Bifurcation Plot from Logistical Equation");

    // Both questions are asked again until the answer (or a value left by an
    // earlier diagram) is valid; there is no random mode.
    askUntilValid(bifStart, "Starting Point?\r\n{choose 1, 2, 2.9 or 3.4}", "Bifurcation", 1,
                  [](float start) { return bifurcationStart(start) != nullptr; });
    const BifurcationStart chosen = *bifurcationStart(bifStart);
    askUntilValid(bifStep,
                  "Iteration Interval?\r\n{ 0 < choose < 0.1 ; try 0.01}\r\n"
                  "Smaller numbers = Greater detail, but Longer run time!",
                  "Bifurcation", 0.01, [](float step) { return step > 0 && step <= 0.1f; });
    x = 0.001;

    // A counted loop on Singles: the limit and the step are taken now; RESET
    // zeroes r and the sweep goes on from there. A step too small to change the
    // Single sum would sweep for ever: the sweep ends where r stops growing.
    const float step = bifStep;
    for (bifR = chosen.start; bifR <= 4.0f; bifR = bifR + step) {
        if (bifR + step == bifR)
            break;
        bifTick = 0;
        while (true) {
            newPassColor();  // a new colour for every point
            if (bifTick == 1)
                break;
            y = logisticValue(bifR, x);
            const auto px = toSingle(bifurcationX(chosen, bifR));
            const auto py = toSingle(bifurcationY(y));
            if (px && py && validQBColor(colorIndex))
                platform_.setPointOnBoth(*px, *py, QBColor(colorIndex));
            x = y;
            platform_.doEvents();
        }
    }
}

}  // namespace quillon
