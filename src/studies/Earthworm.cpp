// Pickover's earthworm: a whole number multiplied again and again, keeping only
// its last digits (one subtraction cuts them), soon falls into a cycle. A first
// unseen run finds the largest and smallest members, a second draws the chain
// and rings them; their counts estimate the cycles.
#include <cmath>
#include <cstdlib>

#include "app/Form.h"
#include "runtime/Numeric.h"

namespace quillon {

namespace {

constexpr float kCircleRadius = 40;
constexpr float kRingRadii[] = {80, 70, 60};

// One subtraction of the largest multiple j p (j = 10 down to 1) that v reaches,
// so T(v) is v modulo p only while v < 11 p. From 9 digits on the thresholds do
// not fit 32 bits and the values stay uncut.
int32_t cutDigits(int32_t v, int32_t digits)
{
    if (digits >= 9)
        return v;
    const double p = std::pow(10.0, digits);
    for (int j = 10; j >= 1; --j) {
        const auto threshold = toInt32(j * p);
        if (threshold && v >= *threshold)
            return v - *threshold;
    }
    return v;
}

// A product that overflows 32 bits leaves the value as it was.
void nextMember(int32_t& value, int32_t multiplier, int32_t digits)
{
    if (const auto product = checkedMultiply(value, multiplier))
        value = cutDigits(*product, digits);
}

// A whole-number answer made positive; one that does not convert stays 0.
int32_t positiveWhole(const NumberFormat& numbers, const std::string& answer)
{
    const auto number = numbers.parse(answer);
    const auto whole = number ? toInt32(*number) : std::nullopt;
    if (!whole || *whole == INT32_MIN)
        return 0;
    return std::abs(*whole);
}

}  // namespace

void Form::mnuPE_Click()
{
    // No stop test: RESET, FIX and the slide-show timer do not end this study.
    NestingGuard guard(*this);
    if (!guard.admitted())
        return;
    int32_t xPos = -3500;
    clearSurfaces();
    platform_.setCaption("");

    const char* title = "Pickover Earthworm";
    const auto ask = [&](const char* prompt, int32_t defaultValue) {
        return positiveWhole(numbers_, platform_.inputBox(prompt, title, numbers_.text(defaultValue)));
    };
    const int32_t seed = ask("Entre a whole number to seed the sequence", 2);
    const int32_t multiplier = ask("Entre a multiplier", 3);
    const int32_t maxDigits = ask("Entre maximum number of digits", 2);
    const int32_t maxIterations = ask("Entre maximum number of iterations", 100);

    MessageBoxRequest question;
    question.text = "Print numbers to file ?";
    question.title = title;
    question.buttons = MessageBoxRequest::Buttons::YesNo;
    question.secondButtonDefault = true;
    const bool printToFile = platform_.messageBox(question) == MessageBoxAnswer::Yes;

    // First run: the largest and the smallest member.
    int32_t value = checkedMultiply(seed, multiplier).value_or(0);
    int32_t peak = value;
    int32_t low = value;
    for (int64_t k = 0; k <= maxIterations; ++k) {
        nextMember(value, multiplier, maxDigits);
        peak = std::max(peak, value);
        low = std::min(low, value);
        platform_.doEvents();
    }

    OpenFile file(*this, "Earthworm.txt", printToFile);
    if (file.wanted()) {
        file.writeLine();
        file.writeLine("Pickover Earthworm Sequence");
        file.writeLine();
        file.writeLine("Starting at: " + NumberFormat::wholeText(seed));
        file.writeLine("Multiplier of: " + NumberFormat::wholeText(multiplier));
        file.writeLine("Maximum Digits: " + NumberFormat::wholeText(maxDigits));
        file.writeLine("Total Iterations: " + NumberFormat::wholeText(maxIterations));
        file.writeLine("MAX Value Reached: " + NumberFormat::wholeText(peak));
        file.writeLine("MIN Value Reached: " + NumberFormat::wholeText(low));
        file.writeLine();
    }

    // Where a member is drawn; nothing when -value * 7000 overflows or peak is 0.
    const auto heightOf = [&](int32_t member) -> std::optional<float> {
        const auto scaled = checkedMultiply(-member, 7000);
        if (!scaled || peak == 0)
            return std::nullopt;
        return toSingle(static_cast<double>(*scaled) / peak + platform_.scaleHeight() / 1.2);
    };
    const auto drawCircles = [&](int32_t offset, int32_t member, const float* radii, int count,
                                 Rgb color) {
        for (Surface surface : {Surface::Window, Surface::Picture}) {
            for (int k = 0; k < count; ++k) {
                const float cx = static_cast<float>(offset) + static_cast<float>(platform_.scaleWidth()) / 4;
                if (const auto cy = heightOf(member))
                    platform_.circle(surface, cx, *cy, radii[k], color);
            }
        }
    };

    // Second run: the chain of circles.
    value = checkedMultiply(seed, multiplier).value_or(0);
    if (file.wanted())
        file.write(NumberFormat::printedWhole(value));
    const float circle[] = {kCircleRadius};
    drawCircles(xPos - 125, value, circle, 1, QBColor(10));
    int32_t peakHits = 0;
    int32_t lowHits = 0;
    for (int64_t k = 0; k <= maxIterations; ++k) {
        nextMember(value, multiplier, maxDigits);
        const float fromX = platform_.currentX(Surface::Window);
        const float fromY = platform_.currentY(Surface::Window);
        if (file.wanted())
            file.write(NumberFormat::printedWhole(value));
        if (value == low || value == peak)
            drawCircles(xPos, value, kRingRadii, 3, QBColor(12));
        drawCircles(xPos, value, circle, 1, QBColor(10));
        const float toX = platform_.currentX(Surface::Window);
        const float toY = platform_.currentY(Surface::Window);
        platform_.line(Surface::Window, fromX, fromY, toX, toY, QBColor(9));
        platform_.line(Surface::Picture, fromX, fromY, toX, toY, QBColor(9));
        platform_.doEvents();
        if (maxIterations != 0)
            if (const auto moved = toInt32(xPos + 15600.0 / maxIterations))
                xPos = *moved;
        if (value == low)
            ++lowHits;
        if (value == peak)
            ++peakHits;
    }

    // A count beyond 16 bits does not fit: cycles stays 0, and then neither the
    // final caption nor the cycle line can be formed.
    const auto cycles = toInt16(lowHits > peakHits ? lowHits : peakHits).value_or(0);
    const std::string perCycle = cycles != 0 ? numbers_.text(Fix(static_cast<double>(maxIterations) / cycles)) : "";
    if (cycles != 0)
        platform_.setCaption(
            "Earthworm Sequence:   " + std::string("    Start: ") + NumberFormat::wholeText(seed) +
            "    Mult: " + NumberFormat::wholeText(multiplier) +
            "    Digits: " + NumberFormat::wholeText(maxDigits) +
            "    Total Iter: " + NumberFormat::wholeText(maxIterations) +
            "     MAX Value =  " + NumberFormat::wholeText(peak) +
            "    MIN Value =  " + NumberFormat::wholeText(low) + "     Iter / Cycle:  " + perCycle +
            "    Num Cycles:  " + NumberFormat::wholeText(cycles));
    if (file.wanted()) {
        file.writeLine();
        file.writeLine();
        if (cycles != 0)
            file.writeLine("Iterations Per Cycle: " + perCycle);
        file.writeLine("Number of Cycles: " + NumberFormat::wholeText(cycles));
        file.writeLine();
        file.writeLine();
        file.writeLine();
    }
}

}  // namespace quillon
