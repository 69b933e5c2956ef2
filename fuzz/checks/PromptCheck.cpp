// Text typed into the window's prompts, in every decimal separator a locale
// gives: a number the figure can take, or nothing (the field keeps its value).
#include <cmath>
#include <limits>
#include <optional>

#include "FuzzCheck.h"
#include "runtime/NumberFormat.h"
#include "runtime/Numeric.h"

namespace quillon::fuzz {

void checkPromptNumber(std::string_view data)
{
    // The first byte picks the locale's separator; the rest is the typed text.
    static const char* const kSeparators[] = {".", ",", "\xd9\xab", "'"};
    if (data.empty())
        return;
    const NumberFormat numbers(kSeparators[static_cast<unsigned char>(data[0]) % 4]);
    const std::string_view typed = data.substr(1);
    const std::optional<double> value = numbers.parse(typed);
    if (!value)
        return;
    if (!std::isfinite(*value))
        fail("prompt: \"" + std::string(typed) + "\" gives a number that is not finite");
    // Shown in the prompt again, it reads back; shown once more, the same text.
    const std::string shown = numbers.text(*value);
    const std::optional<double> again = numbers.parse(shown);
    if (!again)
        fail("prompt: the text shown for \"" + std::string(typed) + "\", \"" + shown + "\", does not read back");
    if (numbers.text(*again) != shown)
        fail("prompt: \"" + shown + "\" reads back as \"" + numbers.text(*again) + "\"");
    // A Single field takes the value rounded, or refuses it, as the window does.
    // It shows seven digits, which do not always tell one Single from the next
    // (1E+28 reads back as the Single shown as 9.999999E+27): what it shows
    // reads back as a Single within the rounding of the seventh digit.
    if (const std::optional<float> single = toSingle(*value)) {
        const std::string singleShown = numbers.singleText(*single);
        const std::optional<double> back = numbers.parse(singleShown);
        const std::optional<float> again = back ? toSingle(*back) : std::nullopt;
        const double near = std::fabs(static_cast<double>(*single)) * 6e-7 + std::numeric_limits<float>::denorm_min();
        if (!again || !(std::fabs(static_cast<double>(*again) - static_cast<double>(*single)) <= near))
            fail("prompt: the Single \"" + singleShown + "\" does not read back");
    }
}

}  // namespace quillon::fuzz
