// The few platform services the engine needs: system colours, colour bytes, the last OS error, bitmap
// rows, tick counts and the high-resolution counter.
#pragma once

#include "BaseClasses.h"
#include "VectorGeometry.h"

#include <cstdint>

namespace engine3d {

class TBitmap;

// A colour as red | green << 8 | blue << 16; a negative value names a system colour by its low byte.
using TColor = int32_t;
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);

constexpr int SystemColorCount = 25;
// The system colours, index 0 (scroll bar) to 24 (tool-tip background), as RGBA with alpha 1.
extern TVector SystemColorVectors[SystemColorCount];

TColor ResolveSystemColor(TColor color);
inline uint8_t GetRValue(TColor color) {
    return static_cast<uint8_t>(color & 0xFF);
}
inline uint8_t GetGValue(TColor color) {
    return static_cast<uint8_t>((color >> 8) & 0xFF);
}
inline uint8_t GetBValue(TColor color) {
    return static_cast<uint8_t>((color >> 16) & 0xFF);
}
void InitSystemColors();

// Raises EOSError "OS Error : " + the message of the last error of the C library.
[[noreturn]] void RaiseLastOSError();

uint8_t* BitmapScanLine(TBitmap& bitmap, int y);

// Milliseconds since an arbitrary start, wrapping like the 32-bit system tick count.
uint32_t GLGetTickCount();
bool QueryPerformanceCounterValue(int64_t& value);
// False when no counter is available.
bool QueryPerformanceFrequencyValue(int64_t& frequency);

} // namespace engine3d
