#include "runtime/NumberFormat.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace quillon {

NumberFormat::NumberFormat(std::string decimalSeparator)
    : separator_(decimalSeparator.empty() ? std::string(".") : std::move(decimalSeparator))
{
}

std::string NumberFormat::significant(double value, int digits) const
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0)
        return "0";  // also for -0

    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, digits);
    std::string out;
    out.reserve(static_cast<size_t>(result.ptr - buffer) + separator_.size());
    for (const char* p = buffer; p != result.ptr; ++p) {
        if (*p == '.')
            out += separator_;
        else if (*p == 'e')
            out += 'E';
        else
            out += *p;
    }
    return out;
}

std::string NumberFormat::text(double value) const { return significant(value, 15); }

std::string NumberFormat::singleText(float value) const
{
    return significant(static_cast<double>(value), 7);
}

std::string NumberFormat::wholeText(int64_t value) { return std::to_string(value); }

namespace {

std::string printed(const std::string& magnitude, bool negative)
{
    return (negative ? "-" : " ") + magnitude + " ";
}

}  // namespace

std::string NumberFormat::printedNumber(double value) const
{
    return printed(text(std::fabs(value)), value < 0);
}

std::string NumberFormat::printedSingle(float value) const
{
    return printed(singleText(std::fabs(value)), value < 0);
}

std::string NumberFormat::printedWhole(int64_t value)
{
    return printed(std::to_string(value < 0 ? -value : value), value < 0);
}

std::optional<double> NumberFormat::parse(std::string_view text) const
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;

    // Accept only [sign] digits [separator digits] [exponent]; everything else
    // (words, "inf", "nan", stray characters) fails like the runtime's conversion.
    std::string normal;
    size_t pos = begin;
    if (pos < end && (text[pos] == '+' || text[pos] == '-'))
        normal += text[pos++];
    size_t mantissaDigits = 0;
    while (pos < end && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        normal += text[pos++];
        ++mantissaDigits;
    }
    auto takeSeparator = [&]() {
        if (text.substr(pos, separator_.size()) == separator_) {
            pos += separator_.size();
            return true;
        }
        if (pos < end && text[pos] == '.') {
            ++pos;
            return true;
        }
        return false;
    };
    if (pos < end && takeSeparator()) {
        normal += '.';
        while (pos < end && std::isdigit(static_cast<unsigned char>(text[pos]))) {
            normal += text[pos++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (pos < end && (text[pos] == 'e' || text[pos] == 'E')) {
        normal += 'e';
        ++pos;
        if (pos < end && (text[pos] == '+' || text[pos] == '-'))
            normal += text[pos++];
        size_t exponentDigits = 0;
        while (pos < end && std::isdigit(static_cast<unsigned char>(text[pos]))) {
            normal += text[pos++];
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (pos != end)
        return std::nullopt;

    // Parse in the C locale whatever the process locale is.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    char* parsedEnd = nullptr;
    const double value = strtod_l(normal.c_str(), &parsedEnd, cLocale);
    if (std::isinf(value))
        return std::nullopt;  // beyond a Double's range; underflow gives 0 or a tiny value
    return value;
}

}  // namespace quillon
