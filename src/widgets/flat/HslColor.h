// Conversion of Windows colour values (0x00BBGGRR) to and from hue, saturation and lightness, in doubles
// (0..1) and on the integer scale the flat controls use (H 0..239, S and L 0..240).
#pragma once

#include "kiwi/core/KiwiPrimitives.h"

namespace flat {

// The integer scale of H, S and L: H runs 0..HSLRange - 1, S and L 0..HSLRange.
inline constexpr int HSLRange = 240;

// One RGB channel (0..255) of a hue, m1 and m2 being the lightness bounds of the conversion.
int HueToChannel(double hue, double m1, double m2);
TLN_Color HSLToRGB(double h, double s, double l);
TLN_Color HSLRangeToRGB(int h, int s, int l);
// The colour must be an RGB value (system colours are resolved first, see ColorToRGB).
void RGBToHSL(TLN_Color color, double& h, double& s, double& l);
void RGBToHSLRange(TLN_Color color, int& h, int& s, int& l);

} // namespace flat
