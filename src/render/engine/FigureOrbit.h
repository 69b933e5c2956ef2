// One orbit of a figure, stepped point by point with the figure's own step:
// the row's map iterated from its start, without passes or colours. What the
// orbit statistics follow; a copy steps on from the same point with the same
// random sequence, so nearby orbits can be run beside it.
#pragma once

#include <array>
#include <cstdint>

#include "app/MapFigure.h"
#include "app/Orbit.h"
#include "render/engine/FigureChoice.h"

namespace quillon::render {

class FigureOrbit {
public:
    // What a step carries to the next: x, y, z and the routine's own Single.
    // Fields a row does not carry stay as they are and never separate.
    static constexpr int kStateSize = 4;
    using State = std::array<double, kStateSize>;

    // The form as the figure's command leaves it (parameters from the choice,
    // the Rnd from the seed as a picture's first orbit has it), then the row's
    // start and, for a row of many orbits, the first orbit's start.
    FigureOrbit(const FigureChoice& choice, uint32_t seed);

    // One step; false when the row's own test ends the orbit there (Comet).
    bool step();
    bool ended() const { return ended_; }

    State state() const;
    void setState(const State& state);
    // The point the last step drew, in map units.
    double u() const { return u_; }
    double v() const { return v_; }

    const MapFigure& row() const { return *row_; }
    // Takes the other orbit's random sequence, so that both make the same choices.
    void followRandom(const FigureOrbit& other) { orbit_.rnd = other.orbit_.rnd; }
    // Did the last step draw from the Rnd (a figure of random choices)?
    bool lastStepWasRandom() const { return lastStepRandom_; }

private:
    Orbit orbit_;
    RoutineLocals locals_;
    const MapFigure* row_;
    double u_ = 0, v_ = 0;
    bool lastStepRandom_ = false;
    bool ended_ = false;
};

}  // namespace quillon::render
