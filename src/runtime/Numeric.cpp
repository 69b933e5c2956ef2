#include "runtime/Numeric.h"

#include <cmath>
#include <limits>

namespace quillon {

namespace {

template <typename Whole>
std::optional<Whole> roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // nearbyint honours the default rounding mode, which is to nearest, ties to even.
    const double rounded = std::nearbyint(value);
    if (rounded < static_cast<double>(std::numeric_limits<Whole>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Whole>::max()))
        return std::nullopt;
    return static_cast<Whole>(rounded);
}

}  // namespace

std::optional<int16_t> toInt16(double value) { return roundHalfEven<int16_t>(value); }
std::optional<int32_t> toInt32(double value) { return roundHalfEven<int32_t>(value); }

std::optional<double> checkedExp(double value)
{
    if (std::isnan(value))
        return std::nullopt;
    const double result = std::exp(value);
    if (std::isinf(result))
        return std::nullopt;
    return result;
}

std::optional<int32_t> checkedMultiply(int32_t a, int32_t b)
{
    int32_t product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        return std::nullopt;
    return product;
}

}  // namespace quillon
