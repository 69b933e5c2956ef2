#include "runtime/Rnd.h"

#include <cstring>

namespace quillon {

void Rnd::randomize(double clockSeconds)
{
    // Fold all bits of the reading into the state, so that readings a few
    // milliseconds apart give unrelated sequences.
    uint64_t bits = 0;
    std::memcpy(&bits, &clockSeconds, sizeof bits);
    bits ^= bits >> 29;
    bits *= 0xBF58476D1CE4E5B9ull;
    bits ^= bits >> 32;
    state_ = static_cast<uint32_t>(bits) & 0xFFFFFFu;
}

}  // namespace quillon
