// Numbers with the semantics the drawings rely on: Single rounding, whole-number
// conversions that round half to even and fail out of range, Int, Fix, Sgn, and
// the checked functions whose failure abandons a statement.
#pragma once

#include <cstdint>
#include <optional>

namespace quillon {

// A Single is a 32-bit float; storing a Double into one rounds to nearest. A value
// beyond the Single range (or not a number) cannot be stored: the store fails.
// From half a unit above the largest Single on, rounding gives infinity.
inline constexpr double kSingleLimit = 340282356779733661637539395458142568448.0;  // (2 - 2^-24) * 2^127

inline std::optional<float> toSingle(double value)
{
    // The comparison also fails for not-a-number.
    if (!(value < kSingleLimit && value > -kSingleLimit))
        return std::nullopt;
    return static_cast<float>(value);
}

// Int16 and 32-bit conversions: round half to even, fail when the rounded value
// does not fit or the input is not finite.
std::optional<int16_t> toInt16(double value);
std::optional<int32_t> toInt32(double value);

// Largest whole number not above the value (Int) and the whole part towards zero (Fix).
inline double Int(double value) { return __builtin_floor(value); }
inline float Int(float value) { return __builtin_floorf(value); }
inline double Fix(double value) { return __builtin_trunc(value); }

// -1, 0 or 1, as a Double; 0 for 0 (and for not-a-number, which compares as neither).
inline double Sgn(double value) { return value > 0 ? 1.0 : (value < 0 ? -1.0 : 0.0); }

// Square root and exponential that fail where the runtime raised an error in the
// middle of a statement: a negative argument, an exponential that overflows. A
// not-a-number argument goes through as not-a-number.
inline std::optional<double> checkedSqrt(double value)
{
    if (value < 0)
        return std::nullopt;
    return __builtin_sqrt(value);
}
std::optional<double> checkedExp(double value);

// 32-bit product that fails on overflow instead of wrapping.
std::optional<int32_t> checkedMultiply(int32_t a, int32_t b);

}  // namespace quillon
