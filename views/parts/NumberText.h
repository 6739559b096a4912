#pragma once
// Number texts shared by every viewer: floats in the general format, upper-case hexadecimal, and the
// packed display colour of a stored colour.
#include <cstdint>
#include <string>

#include "PRPClasses.h"

// 15 significant digits without trailing zeros; "E" notation when the magnitude is below 0.0001 or
// from 10^15 on ("1.5E-5", "2E20"); "NAN", "INF" and "-INF" for the special values.
std::string FloatText(double value, char decimalSeparator = '.');

// Upper-case hexadecimal, zero-padded to `digits`.
std::string HexText(uint32_t value, int digits = 8);

// One stored colour channel as a display byte: value x 255 truncated toward zero, low eight bits kept.
// Values with no integer truncation (NaN, infinities) give 0.
uint8_t ColorChannelByte(float channel);
// red | green shl 8 | blue shl 16.
uint32_t PackDisplayColor(const TColorRGBA& color);
