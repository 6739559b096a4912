#include "NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string FloatText(double value, char decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";

    // Round to 15 significant digits first; the rounded exponent decides the notation.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    const std::string text = buffer;
    const bool negative = text[0] == '-';
    const size_t mantissaStart = negative ? 1 : 0;
    const size_t ePos = text.find('e');
    std::string digits;
    for (size_t i = mantissaStart; i < ePos; ++i)
        if (text[i] >= '0' && text[i] <= '9') digits += text[i];
    const int exponent = std::atoi(text.c_str() + ePos + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent < -4 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1) out += decimalSeparator + digits.substr(1);
        out += "E" + std::to_string(exponent);
        return out;
    }
    if (exponent >= 0) {
        const size_t whole = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= whole) return out + digits + std::string(whole - digits.size(), '0');
        return out + digits.substr(0, whole) + decimalSeparator + digits.substr(whole);
    }
    return out + "0" + decimalSeparator + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
}

std::string HexText(uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    return buffer;
}

uint8_t ColorChannelByte(float channel) {
    const double scaled = std::trunc(static_cast<double>(channel) * 255.0);
    if (!std::isfinite(scaled)) return 0;
    double low = std::fmod(scaled, 256.0); // exact for every integral double
    if (low < 0) low += 256.0;
    return static_cast<uint8_t>(low);
}

uint32_t PackDisplayColor(const TColorRGBA& color) {
    return ColorChannelByte(color.R) | (uint32_t(ColorChannelByte(color.G)) << 8) |
           (uint32_t(ColorChannelByte(color.B)) << 16);
}
