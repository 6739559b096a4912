#pragma once
// Shared by the part-reader fuzz target and its seed writer: the format and reader selectors.
#include <cstdint>

#include "PRPClasses.h"

namespace objpartsfuzz {

struct Format {
    uint16_t version;
    uint16_t major;
};
// Uru, Myst V, Live, Hex Isle, and a code outside the four.
constexpr Format kFormats[] = {{5, 63}, {6, 0}, {7, 70}, {9, 0}, {3, 0}};
constexpr int kFormatCount = sizeof(kFormats) / sizeof(kFormats[0]);

inline void setFormat(TPlasmaStream& stream, uint8_t selector) {
    const Format& f = kFormats[selector % kFormatCount];
    stream.Header.Version = f.version;
    stream.Header.MajorVersion = f.major;
}

// Runs the reader with the given number (modulo the number of readers).
void runReader(TPlasmaStream& stream, uint8_t selector);
int readerCount();

} // namespace objpartsfuzz
