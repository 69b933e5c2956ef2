#include "render/engine/FigureOrbit.h"

#include "app/PassRunner.h"
#include "render/engine/HeadlessPlatform.h"
#include "render/engine/UsageError.h"

namespace quillon::render {

namespace {

// The form needs a drawing area; nothing is drawn on it.
std::shared_ptr<HeadlessPlatform> anyArea() { return std::make_shared<HeadlessPlatform>(15360, 11520); }

const MapFigure& rowOf(const FigureChoice& choice)
{
    if (choice.figure->isBifurcation())
        throw UsageError("the bifurcation diagram is a sweep of many orbits, not one to follow");
    return *choice.figure->row;
}

}  // namespace

FigureOrbit::FigureOrbit(const FigureChoice& choice, uint32_t seed)
    : platform_(anyArea()), form_(*platform_), row_(&rowOf(choice))
{
    prepareForm(form_, *platform_, choice, seed);
    if (row_->start)
        row_->start(form_, locals_);
    if (row_->orbitStart)
        row_->orbitStart(form_);
}

bool FigureOrbit::step()
{
    const uint32_t before = form_.rnd().state();
    stepOnce(form_, *row_, locals_, [&](double u, double v) {
        u_ = u;
        v_ = v;
        return true;
    });
    lastStepRandom_ = form_.rnd().state() != before;
    ended_ = row_->orbitEnds && row_->orbitEnds(form_);
    return !ended_;
}

FigureOrbit::State FigureOrbit::state() const { return {form_.x, form_.y, form_.z, locals_.w}; }

void FigureOrbit::setState(const State& state)
{
    form_.x = state[0];
    form_.y = state[1];
    form_.z = state[2];
    locals_.w = static_cast<float>(state[3]);
}

}  // namespace quillon::render
