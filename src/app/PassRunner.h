// The drawing routine's shape, written once: the entry test, passes of one
// colour each, the counted loops inside a pass, and after every step its point.
// What a point does is the sink's: the window draws it on both surfaces, yields
// and tests for a reset request; the renderer counts it or records it. The sink
// answers false to end the routine (it has done its own exit by then). It is
// told too when the routine has set its start and is about to draw.
#pragma once

#include <cstdint>

#include "app/Form.h"
#include "app/MapFigure.h"

namespace quillon {

// One step of a row: its statements, its point (the callback answers false to
// end the routine), then the advance, which usually moves to the new point.
// The drawing routine and the renderer's orbit statistics both step through here.
template <typename Point>
__attribute__((always_inline)) inline bool stepOnce(Form& form, const MapFigure& f, RoutineLocals& locals,
                                                    Point&& point)
{
    if (f.step)
        f.step(form, locals);
    if (!point(form.*f.plotU, form.*f.plotV))
        return false;
    if (f.advance) {
        f.advance(form);
    } else {
        form.x = form.xNew;
        form.y = form.yNew;
    }
    return true;
}

// Inlined where it is used, so that a row known there is compiled in.
template <typename Sink>
__attribute__((always_inline)) inline void runPassesInto(Form& form, const MapFigure& figure, Sink& sink)
{
    if (form.stopFlag == 1)
        return;
    // The row is constant for the whole run; held in a local, it is not read again
    // after every call that might have changed memory.
    const MapFigure f = figure;
    RoutineLocals locals;

    // The pieces below are forced inline: as calls of their own they cost the
    // window a tenth to a half of its drawing speed.

    const auto drawPoint = [&]() __attribute__((always_inline)) {
        return stepOnce(form, f, locals,
                        [&](double u, double v) __attribute__((always_inline)) { return sink.point(u, v); });
    };
    // The steps of one orbit: one point, or a counted loop that an orbit's end
    // may leave early.
    const auto runSteps = [&]() __attribute__((always_inline)) {
        if (!f.steps.counter)
            return drawPoint();
        int16_t& j = form.*f.steps.counter;
        for (j = 1; j <= f.steps.count; j = static_cast<int16_t>(j + 1)) {
            if (!drawPoint())
                return false;
            if (f.orbitEnds && f.orbitEnds(form))
                break;
        }
        return true;
    };
    const auto runGroup = [&]() __attribute__((always_inline)) {
        if (!f.orbits.counter)
            return runSteps();
        int16_t& i = form.*f.orbits.counter;
        for (i = 1; i <= f.orbits.count; i = static_cast<int16_t>(i + 1)) {
            if (f.orbitStart)
                f.orbitStart(form);
            if (!runSteps())
                return false;
        }
        return true;
    };

    if (f.start)
        f.start(form, locals);
    sink.started(form);
    while (form.stopFlag != -1) {
        form.newPassColor();
        form.iter = 0;
        while (form.iter < f.passLength) {
            if (f.haltsBeforeEveryPoint && form.stopFlag == -1)
                break;
            if (!runGroup())
                return;
            form.iter = static_cast<int16_t>(form.iter + 1);
        }
    }
}

}  // namespace quillon
