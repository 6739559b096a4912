// The offset column's number format ("[unit%][width!]radix:prefix|suffix", numbers in hex) and radix helpers.
#pragma once

#include <cstdint>
#include <string>

struct THexOffsetFormat {
    enum : uint8_t { ofAutoWidth = 1, ofUnitPerRow = 2, ofUnitPerColumn = 4, ofDefaultUnit = 8 };
    std::string Format;
    std::string Prefix;
    std::string Suffix;
    int32_t MinWidth = 0;
    uint8_t Flags = 0;
    uint8_t Radix = 0;
    int32_t BytesPerUnit = 1;

    bool isSet() const { return !Format.empty(); }
    // Offset text of a number: digits of number div unit in the radix between prefix and suffix.
    std::string offsetText(int64_t number, bool lowerCase) const;
};

// Parses an offset format; an empty text gives an empty format. Raises EHexEditor on a malformed text.
THexOffsetFormat parseOffsetFormat(const std::string& text, int bytesPerRow, int bytesPerColumn,
                                   int rulerUnit);

std::string IntToRadixLen(uint32_t value, int radix, int width);
int64_t RadixToInt(const std::string& text, int radix);
// Number of digits of value in radix (at least 1).
int radixDigits(uint32_t value, int radix);
