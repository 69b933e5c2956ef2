#include "render/engine/FigureOrbit.h"

#include "app/Form.h"
#include "app/PassRunner.h"
#include "render/engine/HeadlessPlatform.h"
#include "render/image/UsageError.h"

namespace quillon::render {

namespace {

const MapFigure& rowOf(const FigureChoice& choice)
{
    return choice.figure->map();
}

// The orbit as the figure's command leaves it before its drawing.
Orbit preparedOrbit(const FigureChoice& choice, uint32_t seed)
{
    HeadlessPlatform platform(15360, 11520);  // the form needs a drawing area; nothing is drawn
    Form form(platform);
    prepareForm(form, platform, choice, seed);
    return form;
}

}  // namespace

FigureOrbit::FigureOrbit(const FigureChoice& choice, uint32_t seed)
    : orbit_(preparedOrbit(choice, seed)), row_(&rowOf(choice))
{
    if (row_->start)
        row_->start(orbit_, locals_);
    if (row_->orbitStart)
        row_->orbitStart(orbit_);
}

bool FigureOrbit::step()
{
    const uint32_t before = orbit_.rnd.state();
    stepOnce(orbit_, *row_, locals_, [&](double u, double v) {
        u_ = u;
        v_ = v;
        return true;
    });
    lastStepRandom_ = orbit_.rnd.state() != before;
    ended_ = row_->orbitEnds && row_->orbitEnds(orbit_);
    return !ended_;
}

FigureOrbit::State FigureOrbit::state() const { return {orbit_.x, orbit_.y, orbit_.z, locals_.w}; }

void FigureOrbit::setState(const State& state)
{
    orbit_.x = state[0];
    orbit_.y = state[1];
    orbit_.z = state[2];
    locals_.w = static_cast<float>(state[3]);
}

}  // namespace quillon::render
