#pragma once
// Colours are 32-bit values: red in the low byte, then green and blue; with the
// high bit set, the low bits name a system colour instead.
#include <cstdint>

namespace travimo {

using Colour = uint32_t;

inline constexpr Colour kButtonFace = 0x8000000F;
inline constexpr Colour kDefaultFlashColour = 0x00C0C000;

constexpr Colour Rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<Colour>(red) | (static_cast<Colour>(green) << 8) |
         (static_cast<Colour>(blue) << 16);
}

constexpr bool IsSystemColour(Colour colour) { return (colour & 0x80000000u) != 0; }

}  // namespace travimo
