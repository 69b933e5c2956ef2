// One orbit of the logistic map y = a x (1 - x), slowly, as small circles on the
// map's parabola; the caption follows every step and the steps can be appended
// to "Log_Eqn.txt".
#include "app/Form.h"
#include "runtime/Numeric.h"

namespace quillon {

namespace {

constexpr int kDelaysPerPoint = 20;
constexpr float kCircleRadius = 100;

}  // namespace

void Form::mnuLOG_Click()
{
    NestingGuard guard(*this);
    if (!guard.admitted() || stopFlag == 1)
        return;
    clearSurfaces();
    platform_.setCaption("Logistic Equation:   y = a * x * (1 - x)   ");

    const char* title = "Logistic Equation";
    askUntilValid(a, "Entre a value for (a)    {1 < a < 4  only}", title, 3.34,
                  [](double value) { return value > 1 && value < 4; });
    askUntilValid(x, "Entre a value for (x)    {0 < x < 1 only}", title, 0.001,
                  [](double value) { return value > 0 && value < 1; });

    MessageBoxRequest question;
    question.text = "Print numbers to file ?";
    question.title = title;
    question.buttons = MessageBoxRequest::Buttons::YesNo;
    question.secondButtonDefault = true;
    OpenFile file(*this, "Log_Eqn.txt", platform_.messageBox(question) == MessageBoxAnswer::Yes);
    if (file.wanted()) {
        file.writeLine();
        file.writeLine("Logistic Equation");
        file.writeLine("a = " + numbers_.text(a));
        file.writeLine("x = " + numbers_.text(x));
        file.writeLine();
    }

    while (stopFlag != -1) {
        newPassColor();
        iter = 0;
        while (iter < 10) {
            y = (a * x) * (1 - x);
            const auto cx = toSingle(x * 12000 + 3000);
            const auto cy = toSingle((-y) * 10000 + 11000);
            if (cx && cy) {
                platform_.circle(Surface::Window, *cx, *cy, kCircleRadius, QBColor(colorIndex));
                platform_.circle(Surface::Picture, *cx, *cy, kCircleRadius, QBColor(colorIndex));
            }
            platform_.setFillColor(Surface::Window, QBColor(0));
            platform_.setFillColor(Surface::Picture, QBColor(0));
            platform_.setCaption("Logistic Equation: y = a * x * (1 - x)   ");
            appendToCaption(" a = ", numbers_.text(a));
            appendToCaption("   x = ", numbers_.text(x));
            appendToCaption("   y = ", numbers_.text(y));
            if (file.wanted())
                file.writeLine("X = " + numbers_.text(x) + "   Y = " + numbers_.text(y));
            for (int k = 0; k < kDelaysPerPoint; ++k)
                Delay();
            platform_.doEvents();
            if (stopFlag == 1) {
                platform_.clear(Surface::Window);
                platform_.setCaption("");
                platform_.clear(Surface::Picture);
                stopFlag = 0;
                x = 0;
                y = 0;
                a = 0;
                iter = 0;
                colorIndex = 0;
                if (file.wanted())
                    file.writeLine();
                return;
            }
            x = y;
            iter = static_cast<int16_t>(iter + 1);
        }
    }
    if (file.wanted())
        file.writeLine();
}

}  // namespace quillon
