// The pseudo-random generator of the drawings: Single values in [0, 1) from a
// 24-bit linear congruential sequence, reseeded from the clock at start-up and from
// a fixed seed in tests.
#pragma once

#include <cstdint>

namespace quillon {

class Rnd {
public:
    Rnd() = default;
    explicit Rnd(uint32_t seed) { reseed(seed); }

    // Next value r with 0 <= r < 1; every value is a multiple of 2^-24.
    float next()
    {
        state_ = (state_ * 1140671485u + 12820163u) & 0xFFFFFFu;
        return static_cast<float>(state_) * (1.0f / 16777216.0f);
    }

    void reseed(uint32_t seed) { state_ = seed & 0xFFFFFFu; }

    // Where the sequence stands: reseeding with it goes on from here.
    uint32_t state() const { return static_cast<uint32_t>(state_); }

    // Seeds from a clock reading (seconds since midnight, with fractions).
    void randomize(double clockSeconds);

private:
    // 24 bits held in 64: the low 24 bits of the product are the same, and a
    // counter's uint32 stores cannot be taken to change it, so a loop that
    // counts keeps the sequence in a register.
    uint64_t state_ = 0x50000u;
};

}  // namespace quillon
