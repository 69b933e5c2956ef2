// The 16 classic colours, addressed by index 0..15.
#pragma once

#include <cstdint>

namespace quillon {

using Rgb = uint32_t;  // 0x00RRGGBB

inline constexpr Rgb kQBColors[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

// Indexes outside 0..15 are an invalid call: the caller's statement fails.
inline bool validQBColor(int index) { return index >= 0 && index <= 15; }
inline Rgb QBColor(int index) { return kQBColors[index & 15]; }

}  // namespace quillon
