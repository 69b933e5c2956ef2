// Text of numbers as captions, prompts and number files show them, and numbers
// from typed text: plain decimals without trailing zeros (15 significant digits
// for a Double, 7 for a Single), the decimal separator of the user's locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

class NumberFormat {
public:
    explicit NumberFormat(std::string decimalSeparator = ".");

    const std::string& decimalSeparator() const { return separator_; }

    std::string text(double value) const;        // a Double
    std::string singleText(float value) const;   // a Single
    static std::string wholeText(int64_t value);  // Int16 and 32-bit values

    // A number printed to a file: a blank (or the minus sign) in front, the
    // digits, one blank behind.
    std::string printedNumber(double value) const;
    std::string printedSingle(float value) const;
    static std::string printedWhole(int64_t value);

    // Text to Double. Fails on empty or non-numeric text and on values beyond a
    // Double's range; surrounding blanks are allowed. Besides the locale's
    // separator a point is always taken as the decimal separator, as users type it.
    std::optional<double> parse(std::string_view text) const;

private:
    std::string significant(double value, int digits) const;

    std::string separator_;
};

}  // namespace quillon
