// Text typed into the window's prompts, in every decimal separator a locale
// gives: a number the figure can take, or nothing (the field keeps its value).
#include <cmath>
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
    if (const std::optional<float> single = toSingle(*value)) {
        const std::string singleShown = numbers.singleText(*single);
        const std::optional<double> back = numbers.parse(singleShown);
        if (!back || !toSingle(*back) || numbers.singleText(*toSingle(*back)) != singleShown)
            fail("prompt: the Single \"" + singleShown + "\" does not read back");
    }
}

}  // namespace quillon::fuzz
