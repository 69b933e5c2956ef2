// The run protocol every map figure obeys: the command handler's shape
// (parameters, clearing, caption, drawing) and the drawing routine's shape
// (passes, one colour per pass, both surfaces, yielding after every point,
// the stop tests).
#include <cmath>

#include "app/CanvasPoint.h"
#include "app/Form.h"
#include "app/PassRunner.h"
#include "runtime/Numeric.h"

namespace quillon {

Form::NestingGuard::NestingGuard(Form& form, int levelsNeeded)
    : form_(form), admitted_(form.nestedCommands_ + levelsNeeded <= kMaxNestedCommands)
{
    if (admitted_)
        ++form_.nestedCommands_;
}

Form::NestingGuard::~NestingGuard()
{
    if (admitted_)
        --form_.nestedCommands_;
}

void Form::clearSurfaces()
{
    platform_.clear(Surface::Window);
    platform_.clear(Surface::Picture);
}

void Form::resetExit()
{
    clearSurfaces();
    stopFlag = 0;
    x = 0;
    xNew = 0;
    y = 0;
    yNew = 0;
    z = 0;
}

void Form::plotOnSurfaces(double u, double v, const CanvasMap& canvas)
{
    if (!validQBColor(colorIndex))
        return;
    const Rgb color = QBColor(colorIndex);
    // The window's extents are read for the window's point and again for pic1's;
    // nothing can resize the window between the two, so one reading serves both.
    const double sw = platform_.scaleWidth();
    const double sh = platform_.scaleHeight();
    // The offsets change only when the window or the figure does; the divisions
    // are kept for the next point.
    PlotOffsets& o = plotOffsets_;
    if (sw != o.scaleWidth || sh != o.scaleHeight || canvas.qx != o.qx || canvas.qy != o.qy)
        o = {sw, sh, canvas.qx, canvas.qy, CanvasOrigin(sw, sh, canvas)};
    // A coordinate that cannot be formed as a Single (infinite, not a number,
    // too large) fails the statement: the point is simply not drawn.
    float X, Y;
    if (canvasPoint(u, v, canvas, o.origin, X, Y))
        platform_.setPointOnBoth(X, Y, color);
}

void Form::appendToCaption(const std::string& label, const std::string& valueText)
{
    platform_.setCaption(platform_.caption() + label + valueText);
}

void Form::promptInto(double& field, const std::string& prompt, const std::string& title,
                      double defaultValue)
{
    const std::string answer = platform_.inputBox(prompt, title, numbers_.text(defaultValue));
    if (const auto value = numbers_.parse(answer))
        field = *value;
}

void Form::promptInto(float& field, const std::string& prompt, const std::string& title,
                      double defaultValue)
{
    const std::string answer = platform_.inputBox(prompt, title, numbers_.text(defaultValue));
    if (const auto value = numbers_.parse(answer))
        if (const auto single = toSingle(*value))
            field = *single;
}

void Form::obtainParameters(const MapFigure& figure)
{
    for (int k = 0; k < figure.parameterCount; ++k) {
        const FigureParameter& p = figure.parameters[k];
        if (randomMode != 0) {
            if (p.field)
                promptInto(this->*p.field, p.prompt, figure.promptTitle, p.defaultValue);
            else
                promptInto(this->*p.singleField, p.prompt, figure.promptTitle, p.defaultValue);
            continue;
        }
        const float r = rnd.next();
        const double value =
            p.randomWhole
                ? static_cast<double>(Int(r * static_cast<float>(p.randomScale)) +
                                      static_cast<float>(p.randomOffset))
                : static_cast<double>(r) * p.randomScale + p.randomOffset;
        if (p.field)
            this->*p.field = value;
        else
            this->*p.singleField = static_cast<float>(value);
    }
}

void Form::writeCaption(const MapFigure& figure)
{
    platform_.setCaption(figure.captionPrefix);
    for (int k = 0; k < figure.parameterCount; ++k) {
        const FigureParameter& p = figure.parameters[k];
        appendToCaption(p.label, p.field ? numbers_.text(this->*p.field)
                                         : numbers_.singleText(this->*p.singleField));
    }
}

void Form::runMapCommand(const MapFigure& figure)
{
    NestingGuard guard(*this);
    if (!guard.admitted())
        return;
    prepareMapCommand(figure);
    runPasses(figure);
}

void Form::prepareMapCommand(const MapFigure& figure)
{
    obtainParameters(figure);
    clearSurfaces();
    writeCaption(figure);
    lastFigure_ = &figure;
}

void Form::runPasses(const MapFigure& figure)
{
    // In the window a point is drawn on both surfaces, then slow mode, the
    // yield and the stop test follow.
    struct WindowHost {
        Form& form;
        const CanvasMap canvas;
        const bool resetKeepsNewPoint;
        bool resetPending() const { return form.stopFlag == 1; }
        bool halted() const { return form.stopFlag == -1; }
        void starting(const MapFigure& f)
        {
            if (f.windowStart)
                f.windowStart(form);
        }
        void started(Orbit&) {}
        bool point(double u, double v)
        {
            form.plotOnSurfaces(u, v, canvas);
            if (form.delayOn != 0)
                form.Delay();
            form.platform_.doEvents();
            if (form.stopFlag != 1)
                return true;
            if (resetKeepsNewPoint) {
                form.clearSurfaces();
                form.stopFlag = 0;
                form.x = 0;
                form.y = 0;
                form.z = 0;
            } else {
                form.resetExit();
            }
            return false;
        }
    };
    // The row is constant for the whole run; held in a local, it is not read again
    // after every call that might have changed memory.
    const MapFigure f = figure;
    WindowHost host{*this, f.canvas, f.resetKeepsNewPoint};
    PassCursor cursor;
    runPassesInto(f, *this, cursor, host);
}

}  // namespace quillon
