// The 3N+1 sequence of a start number, in Single arithmetic: a first unseen run
// counts the steps and finds the peak, a second draws the sequence as circles
// joined by lines, one step per time slice, ringing every occurrence of the peak.
#include <cmath>

#include "app/Form.h"
#include "runtime/Numeric.h"

namespace quillon {

namespace {

constexpr float kCircleRadius = 40;
constexpr float kRingRadii[] = {60, 70, 80};

// Halved when even, 3 N + 1 when odd; the product is rounded to a Single once.
void nextValue(float n, float& next)
{
    const auto whole = toInt32(n);
    if (!whole)
        return;  // the statement fails, next keeps its value
    if (*whole % 2 == 0)
        next = n / 2;
    else
        next = static_cast<float>(static_cast<double>(n) * 3 + 1);
}

}  // namespace

void Form::mnuNUM_Click()
{
    NestingGuard guard(*this);
    if (!guard.admitted() || stopFlag == 1)
        return;
    const auto zeroSequence = [this] {
        seqMax = seqPeak = seqN = seqNext = seqCount = seqScale = 0;
        plotN = seqStart = plotNext = 0;
    };

    clearSurfaces();
    platform_.setCaption("");
    seqMax = 0;
    // A start that is no number, out of range, or 0 (whose sequence never reaches
    // 1) takes the error exit: nothing drawn, nothing written.
    const auto answer = numbers_.parse(platform_.inputBox("Entre a value for start", "3N+1 Numbers",
                                                          numbers_.text(27)));
    const auto start = answer ? toInt16(*answer) : std::nullopt;
    if (!start || *start < -32767 || *start == 0) {
        zeroSequence();
        return;
    }
    seqN = plotN = static_cast<float>(std::abs(*start));

    MessageBoxRequest question;
    question.text = "Print numbers to file ?";
    question.title = "3N+1 Numbers";
    question.buttons = MessageBoxRequest::Buttons::YesNo;
    question.secondButtonDefault = true;
    const bool printToFile = platform_.messageBox(question) == MessageBoxAnswer::Yes;

    // First run: the count and the peak (the start itself is no candidate).
    seqCount = 0;
    while (seqN != 1) {
        nextValue(seqN, seqNext);
        platform_.doEvents();
        seqN = seqNext;
        // 0 would halve to 0 for ever. The value is zeroed inside the yield by a
        // RESET, whose request ends the study here as it does in the drawing run,
        // or by a 3N+1 study that ran there to its end: its picture and summary
        // stay, and this run takes the plain exit.
        if (seqN == 0) {
            if (stopFlag == 1) {
                mnuReset_Click();
                stopFlag = 0;
            } else {
                zeroSequence();
            }
            return;
        }
        if (seqNext > seqMax) {
            seqPeak = seqNext;
            seqMax = seqNext;
        }
        seqCount = seqCount + 1;
    }
    if (seqPeak != 0)
        if (const auto scale = toSingle(11078.4 / seqPeak))
            seqScale = *scale;

    OpenFile file(*this, "Numberz.txt", printToFile);
    if (file.wanted()) {
        file.writeLine();
        file.writeLine("3N + 1  Sequence:");
        file.writeLine("Starting at " + numbers_.singleText(plotN));
        file.writeLine("MAX Value Reached = " + numbers_.singleText(seqPeak));
        file.writeLine("Number of Iterations = " + numbers_.singleText(seqCount));
        file.writeLine();
    }
    plotX = -3500;
    seqStart = plotN;

    // Circles of the given radii around the point of a value, all on the window
    // first, then all on pic1; the extents are read anew for each.
    const auto drawCircles = [this](auto centreX, float value, const float* radii, int count,
                                    Rgb color) {
        for (Surface surface : {Surface::Window, Surface::Picture}) {
            for (int k = 0; k < count; ++k) {
                const float cx = centreX(static_cast<float>(platform_.scaleWidth()));
                const auto cy = toSingle(static_cast<double>(-value * seqScale) +
                                         platform_.scaleHeight() / 1.1);
                if (cy)
                    platform_.circle(surface, cx, *cy, radii[k], color);
            }
        }
    };
    const float startRadius[] = {kCircleRadius};
    drawCircles([this](float sw) { return (plotX - 125) + sw / 4; }, plotN, startRadius, 1,
                QBColor(9));
    Delay();

    while (plotN != 1) {
        if (stopFlag == 1) {
            mnuReset_Click();
            stopFlag = 0;
            if (file.wanted()) {
                file.writeLine();
                file.writeLine();
            }
            return;
        }
        nextValue(plotN, plotNext);
        const float fromX = platform_.currentX(Surface::Window);
        const float fromY = platform_.currentY(Surface::Window);
        platform_.doEvents();
        plotN = plotNext;
        if (file.wanted())
            file.write(numbers_.printedSingle(plotNext));
        const auto stepX = [this](float sw) { return sw / 4 + plotX; };
        drawCircles(stepX, plotNext, startRadius, 1, QBColor(9));
        if (plotNext == seqPeak)
            drawCircles(stepX, plotNext, kRingRadii, 3, QBColor(14));
        platform_.setCaption("3N + 1  sequence start " + numbers_.singleText(seqStart) + " :    " +
                             numbers_.singleText(plotNext));
        const float toX = platform_.currentX(Surface::Window);
        const float toY = platform_.currentY(Surface::Window);
        platform_.line(Surface::Window, fromX, fromY, toX, toY, QBColor(12));
        platform_.line(Surface::Picture, fromX, fromY, toX, toY, QBColor(12));
        if (seqCount != 0)
            plotX = plotX + 15600 / seqCount;
        Delay();
    }

    platform_.setCaption("3N + 1  Sequence:   Starting at " + numbers_.singleText(seqStart) +
                         ".    MAX Value Reached =  " + numbers_.singleText(seqPeak) +
                         "    Number of Iterations = " + numbers_.singleText(seqCount));
    if (file.wanted()) {
        file.writeLine();
        file.writeLine();
    }
    zeroSequence();
}

}  // namespace quillon
