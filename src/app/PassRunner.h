// The drawing routine's shape, written once: the entry test, passes of one
// colour each, the counted loops inside a pass, and after every step its point.
// What a point does is the host's: the window draws it on both surfaces, yields
// and tests for a reset request; the renderer counts it or records it.
//
// The routine can stop after any point and go on later from there: where it
// stands lives in a cursor beside the orbit (the loop counters are the orbit's
// own fields), so an orbit and its cursor are a value that can be kept, copied
// and run a point at a time beside other orbits.
#pragma once

#include <cstdint>

#include "app/MapFigure.h"

namespace quillon {

// Where a routine stands: before its entry test, after a point (its advance
// still to come), or ended (a halt, or a reset request at the entry).
struct PassCursor {
    // Not a byte: stores of any other type could be taken to change a byte,
    // and the cursor would be read again from memory after every point.
    enum class At : int16_t { Entry, AfterPoint, Ended };
    At at = At::Entry;
    RoutineLocals locals;
};

// One step of a row without passes: its statements, its point (the callback
// answers false to end there), then the advance, which usually moves to the
// new point. The orbit statistics follow a figure so.
template <typename Point>
__attribute__((always_inline)) inline bool stepOnce(Orbit& o, const MapFigure& f, RoutineLocals& locals,
                                                    Point&& point)
{
    if (f.step)
        f.step(o, locals);
    if (!point(o.*f.plotU, o.*f.plotV))
        return false;
    if (f.advance) {
        f.advance(o);
    } else {
        o.x = o.xNew;
        o.y = o.yNew;
    }
    return true;
}

// Runs the routine from where the cursor stands until the host's point answers
// false (the cursor then stands after that point) or the routine ends. The host
// answers the form's stop tests: resetPending() at the entry, halted() at the
// top of every pass (and before every point of a flow); it is told starting(row)
// before the row's start, started(orbit) after it, and point(u, v) of every
// point. Inlined where it is used, so that a row known there is compiled in.
//
// The loops are written with labels so that a run can be entered again after
// any point: each label is the top of one loop of the routine's nest.
template <typename Host>
__attribute__((always_inline)) inline void runPassesInto(const MapFigure& f, Orbit& o, PassCursor& cursor,
                                                         Host& host)
{
    const auto next = [](int16_t value) { return static_cast<int16_t>(value + 1); };
    switch (cursor.at) {
    case PassCursor::At::Ended: return;
    case PassCursor::At::AfterPoint: goto advance;
    case PassCursor::At::Entry: break;
    }
    if (host.resetPending()) {
        cursor.at = PassCursor::At::Ended;
        return;
    }
    host.starting(f);
    if (f.start)
        f.start(o, cursor.locals);
    host.started(o);

newPass:  // while not halted: a pass in a new colour
    if (host.halted()) {
        cursor.at = PassCursor::At::Ended;
        return;
    }
    o.newPassColor();
    o.iter = 0;
passStep:  // while iter < passLength: a point, or a group of orbits
    if (!(o.iter < f.passLength))
        goto newPass;
    if (f.haltsBeforeEveryPoint && host.halted())
        goto newPass;
    if (!f.orbits.counter)
        goto orbitSteps;
    o.*f.orbits.counter = 1;
groupOrbit:  // for i = 1 to the group's orbits: an orbit of steps
    if (!(o.*f.orbits.counter <= f.orbits.count))
        goto passStepDone;
    if (f.orbitStart)
        f.orbitStart(o);
orbitSteps:
    if (!f.steps.counter)
        goto point;
    o.*f.steps.counter = 1;
orbitStep:  // for j = 1 to the orbit's steps: a point
    if (!(o.*f.steps.counter <= f.steps.count))
        goto orbitDone;
point:
    if (f.step)
        f.step(o, cursor.locals);
    if (!host.point(o.*f.plotU, o.*f.plotV)) {
        cursor.at = PassCursor::At::AfterPoint;
        return;
    }
advance:
    if (f.advance) {
        f.advance(o);
    } else {
        o.x = o.xNew;
        o.y = o.yNew;
    }
    if (f.steps.counter) {
        if (f.orbitEnds && f.orbitEnds(o))
            goto orbitDone;
        o.*f.steps.counter = next(o.*f.steps.counter);
        goto orbitStep;
    }
orbitDone:
    if (f.orbits.counter) {
        o.*f.orbits.counter = next(o.*f.orbits.counter);
        goto groupOrbit;
    }
passStepDone:
    o.iter = next(o.iter);
    goto passStep;
}

}  // namespace quillon
