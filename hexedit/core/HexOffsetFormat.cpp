#include "HexOffsetFormat.h"

#include "HexCoreTypes.h"

#include <cctype>

namespace {
bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Reads hex digits at pos; answers how many were read and their value (saturated).
size_t readHex(const std::string& s, size_t pos, int64_t& value) {
    size_t n = 0;
    value = 0;
    while (pos + n < s.size() && isHexDigit(s[pos + n])) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[pos + n])));
        const int digit = c <= '9' ? c - '0' : c - 'A' + 10;
        if (value < (int64_t(1) << 40)) value = value * 16 + digit;
        ++n;
    }
    return n;
}

char upperOf(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}
} // namespace

THexOffsetFormat parseOffsetFormat(const std::string& text, int bytesPerRow, int bytesPerColumn,
                                   int rulerUnit) {
    THexOffsetFormat f;
    if (text.empty()) return f;
    f.Format = text;
    size_t pos = 0;
    int64_t unit = 0;
    int64_t number = 0;
    if (text.size() >= 2 && upperOf(text[0]) == 'R' && text[1] == '%') {
        f.Flags |= THexOffsetFormat::ofUnitPerRow;
        unit = bytesPerRow;
        pos = 2;
    } else if (text.size() >= 2 && upperOf(text[0]) == 'C' && text[1] == '%') {
        f.Flags |= THexOffsetFormat::ofUnitPerColumn;
        unit = bytesPerColumn;
        pos = 2;
    } else {
        const size_t n = readHex(text, 0, number);
        if (n > 0 && n < text.size() && text[n] == '%') {
            unit = number;
            pos = n + 1;
        } else {
            f.Flags |= THexOffsetFormat::ofDefaultUnit;
            unit = rulerUnit;
            if (n == 0 && !text.empty() && text[0] == '%') pos = 1;
        }
    }
    if (unit != 1 && unit != 2 && unit != 4 && unit != 8)
        throw EHexEditor(hexFormat(hexmsg::InvalidBytesPerUnit, unit));
    f.BytesPerUnit = static_cast<int32_t>(unit);

    f.MinWidth = 1;
    if (text.compare(pos, 2, "-!") == 0) {
        f.Flags |= THexOffsetFormat::ofAutoWidth;
        pos += 2;
    } else {
        const size_t n = readHex(text, pos, number);
        if (pos + n < text.size() && text[pos + n] == '!') {
            // Widths beyond any offset's digit count only pad; keep them bounded.
            f.MinWidth = n ? static_cast<int32_t>(number > 64 ? 64 : number) : 1;
            pos += n + 1;
        }
    }

    const size_t n = readHex(text, pos, number);
    if (n == 0) throw EHexEditor(hexFormat(hexmsg::MissingChar, std::string("number radix")));
    if (pos + n >= text.size() || text[pos + n] != ':')
        throw EHexEditor(hexFormat(hexmsg::MissingChar, std::string(":")));
    if (number < 2 || number > 16) throw EHexEditor(hexFormat(hexmsg::InvalidRadix, number));
    f.Radix = static_cast<uint8_t>(number);
    pos += n + 1;

    const size_t bar = text.find('|', pos);
    if (bar == std::string::npos) throw EHexEditor(hexFormat(hexmsg::MissingChar, std::string("|")));
    f.Prefix = text.substr(pos, bar - pos);
    f.Suffix = text.substr(bar + 1);
    return f;
}

std::string THexOffsetFormat::offsetText(int64_t number, bool lowerCase) const {
    if (!isSet()) return {};
    const uint32_t value = static_cast<uint32_t>(number / (BytesPerUnit ? BytesPerUnit : 1));
    std::string digits =
        (MinWidth == 0 && value == 0) ? std::string() : IntToRadixLen(value, Radix, MinWidth);
    if (lowerCase)
        for (char& c : digits)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return Prefix + digits + Suffix;
}

std::string IntToRadixLen(uint32_t value, int radix, int width) {
    static const char digits[] = "0123456789ABCDEF";
    if (radix < 2 || radix > 16) radix = 16;
    std::string out;
    do {
        out.insert(out.begin(), digits[value % static_cast<uint32_t>(radix)]);
        value /= static_cast<uint32_t>(radix);
    } while (value);
    if (static_cast<int>(out.size()) < width) out.insert(0, static_cast<size_t>(width) - out.size(), '0');
    return out;
}

int64_t RadixToInt(const std::string& text, int radix) {
    int64_t value = 0;
    for (char c : text) {
        const char u = upperOf(c);
        int digit = -1;
        if (u >= '0' && u <= '9')
            digit = u - '0';
        else if (u >= 'A' && u <= 'F')
            digit = u - 'A' + 10;
        if (digit < 0 || digit >= radix)
            throw EHexEditor(hexFormat(hexmsg::InvalidRadixChar, std::string(1, c), radix));
        value = (value * radix + digit) & 0xFFFFFFFFLL;
    }
    return value;
}

int radixDigits(uint32_t value, int radix) {
    return static_cast<int>(IntToRadixLen(value, radix, 0).size());
}
