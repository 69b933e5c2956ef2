// Logarithmic and Archimedes spirals around the centre, drawn again and again in
// a new colour each pass until FIX.
#include <cmath>

#include "app/Form.h"
#include "runtime/Numeric.h"

namespace quillon {

// What tells the two spirals apart.
struct Spiral {
    const char* caption;
    const char* title;
    const char* firstPrompt;
    bool archimedes;
};

namespace {

constexpr Spiral kLogarithmic{"LOGARITHMIC SPIRAL", "Logarithmic Spiral",
                              "Distance Between Points?    {0.01 -> 1.0 ;  0.1 is good}", false};
constexpr Spiral kArchimedes{"ARCHIMEDES SPIRAL", "Archimedes Spiral",
                             "Distance Between Points?    {0.01 -> 1.0 ;  0.2 is good}", true};

}  // namespace

void Form::drawSpiral(const Spiral& spiral)
{
    NestingGuard guard(*this);
    if (!guard.admitted() || stopFlag == 1)
        return;
    clearSurfaces();
    platform_.setCaption(spiral.caption);
    pi = 3.141593f;

    askUntilValid(thetaStep, spiral.firstPrompt, spiral.title, 0.02,
                  [](float step) { return !(step > 1 || step < 0.01f); });
    // The length is read as a 16-bit whole number (half to even) and kept as a Single.
    do {
        const auto answer = numbers_.parse(
            platform_.inputBox("Length of Spiral?    {50 -> 1000 ;  100 is good}", spiral.title,
                               numbers_.text(500)));
        if (answer)
            if (const auto whole = toInt16(*answer))
                spiralLength = *whole;
    } while (spiralLength > 1000 || spiralLength < 50);
    askUntilValid(a, "Distance Between Spiral Arms?    {0.01 -> 1.0 ;  0.05 is good}",
                  spiral.title, 0.02, [](double arms) { return !(arms > 1 || arms < 0.01); });

    while (stopFlag != -1) {
        newPassColor();
        // A counted loop on Singles; its limit and step are taken as the pass starts.
        const float limit = spiral.archimedes ? spiralLength * pi : spiralLength;
        const float step = thetaStep;
        for (theta = 0; theta <= limit; theta = theta + step) {
            if (spiral.archimedes) {
                x = (theta * a) * std::cos(theta);
                y = (theta * a) * std::sin(theta);
            } else {
                // An exponential that overflows skips its statement.
                if (const auto e = checkedExp(theta * a))
                    x = (0.05 * *e) * std::cos(theta);
                if (const auto e = checkedExp(theta * a))
                    y = (0.05 * *e) * std::sin(theta);
            }
            plotOnSurfaces(x, y, CanvasMap{.kx = 500, .ky = 500, .qx = 2, .qy = 2});
            platform_.doEvents();
            // A reset request ends the run, as it ends every other figure.
            if (stopFlag == 1) {
                resetExit();
                return;
            }
        }
    }
}

void Form::mnuLOGS_Click() { drawSpiral(kLogarithmic); }
void Form::mnuARCH_Click() { drawSpiral(kArchimedes); }

}  // namespace quillon
