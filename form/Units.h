// SPDX-License-Identifier: MIT
#pragma once
// Screen units shared by the forms and the binding.

namespace orbelle::form {

// Both programs take 15 twips to the pixel.
inline constexpr int kTwipsPerPixel = 15;

// A colour held as red + 256 * green + 65536 * blue.
inline constexpr int rgb(int red, int green, int blue) { return red + 256 * green + 65536 * blue; }
inline constexpr int redOf(int colour) { return colour & 0xFF; }
inline constexpr int greenOf(int colour) { return (colour >> 8) & 0xFF; }
inline constexpr int blueOf(int colour) { return (colour >> 16) & 0xFF; }

} // namespace orbelle::form
