#include "render/engine/Drawing.h"

#include <algorithm>
#include <limits>

#include "app/Form.h"
#include "render/engine/HeadlessPlatform.h"
#include "render/engine/OrbitPlan.h"
#include "render/engine/Sweep.h"

namespace quillon::render {

namespace {

constexpr uint32_t kProgressChunk = 1u << 20;  // points between progress reports

const BifurcationStart& startOf(const FigureChoice& choice)
{
    return *bifurcationStart(static_cast<float>(choice.values.at(0)));
}

// Shows a video's frames as the drawing passes their shares of the work.
class FrameClock {
public:
    FrameClock(const ClassicRequest& request, uint64_t total, const ClassicPicture& picture)
        : frames_(request.onFrame ? request.frames : 0), total_(total), onFrame_(request.onFrame), picture_(picture)
    {
    }
    // The work done at which the next frame is due.
    uint64_t next() const
    {
        return shown_ < frames_ ? shareOf(shown_ + 1, total_, frames_) : std::numeric_limits<uint64_t>::max();
    }
    void reached(uint64_t done)
    {
        while (shown_ < frames_ && next() <= done)
            show();
    }
    // The frames still due show the picture as the drawing left it.
    void finish()
    {
        while (shown_ < frames_)
            show();
    }

private:
    void show()
    {
        ++shown_;
        onFrame_(picture_);
    }
    const uint64_t frames_, total_;
    const std::function<void(const ClassicPicture&)>& onFrame_;
    const ClassicPicture& picture_;
    uint64_t shown_ = 0;
};

// Classic diagram: every point in a colour of its own, as the window draws it.
void drawBifurcation(const ClassicRequest& request, HeadlessPlatform& platform, Form& form,
                     ClassicPicture& picture, const ProgressFn& progress)
{
    const SweepColumns columns(startOf(request.choice),
                              pixelMapping(planeOf(request.choice, request.framing), request.framing, 1, request.view));
    const uint64_t perColumn = std::max<uint64_t>(1, request.points / picture.width);
    FrameClock frames(request, static_cast<uint64_t>(picture.width), picture);
    for (int c = 0; c < picture.width; ++c) {
        if (const auto column = columns.at(c)) {
            double x = settledValue(column->r);
            for (uint64_t k = 0; k < perColumn; ++k) {
                x = logisticValue(column->r, x);
                if (const auto Y = toSingle(bifurcationY(x))) {
                    form.newPassColor();  // a new colour for every point
                    platform.setPointOnBoth(column->canvasX, *Y, QBColor(form.colorIndex));
                }
            }
            picture.points += perColumn;
            if (progress)
                progress(picture.points);
        }
        frames.reached(static_cast<uint64_t>(c) + 1);
    }
    frames.finish();
}

}  // namespace

ClassicPicture drawClassic(const ClassicRequest& request, const ProgressFn& progress)
{
    ClassicPicture picture;
    picture.width = request.framing.width;
    picture.height = request.framing.height;
    picture.pixels.assign(static_cast<size_t>(picture.width) * picture.height, request.background);

    HeadlessPlatform platform(request.framing.scaleWidth(), request.framing.scaleHeight());
    platform.setPicture(picture.pixels.data(), picture.width, picture.height);
    if (request.view)
        platform.setView(viewGrid(planeOf(request.choice, request.framing), request.framing, 1, *request.view));
    platform.setBackground(request.background);
    Form form(platform);
    prepareForm(form, platform, request.choice, request.seed);
    picture.caption = platform.caption();
    if (request.choice.figure->isBifurcation()) {
        drawBifurcation(request, platform, form, picture, progress);
        return picture;
    }

    const MapFigure& row = request.choice.figure->map();
    const uint64_t chunk = request.progressEvery ? request.progressEvery : kProgressChunk;
    FrameClock frames(request, request.points, picture);
    frames.reached(0);
    // The pump's state lives as long as the drawing that calls it.
    uint64_t pass = 0;
    int lastIter = std::numeric_limits<int>::max();
    // The hook comes at every progress report and every frame that is due.
    const auto strideFor = [&](uint64_t done) {
        return static_cast<uint32_t>(
            std::min({request.points - done, chunk, frames.next() - done}));
    };
    uint32_t stride = 1;
    if (request.passes) {
        // Every yield looks at the pass: the drawing halts at the end of the last.
        platform.setPump(1, [&] {
            ++picture.points;
            if (form.iter < lastIter)
                ++pass;
            lastIter = form.iter;
            if (pass >= *request.passes && form.iter == row.passLength - 1)
                form.stopFlag = -1;
            if (progress && picture.points % chunk == 0)
                progress(picture.points);
            frames.reached(picture.points);
        });
    } else {
        stride = strideFor(0);
        platform.setPump(stride, [&] {
            picture.points += stride;
            if (progress)
                progress(picture.points);
            frames.reached(picture.points);
            if (picture.points >= request.points)
                throw DrawingDone{};
            stride = strideFor(picture.points);
            platform.setStride(stride);
        });
    }
    if (request.points > 0 || request.passes) {
        try {
            form.runPasses(row);
        } catch (const DrawingDone&) {
        }
    }
    frames.finish();
    return picture;
}

}  // namespace quillon::render
