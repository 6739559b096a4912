// Types, messages and the error class shared by the hex editor core and its widget.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class EHexEditor : public std::runtime_error {
public:
    explicit EHexEditor(const std::string& message) : std::runtime_error(message) {}
};

// The value of a hex digit of either case; -1 for any other character.
constexpr int hexDigitValue(char32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    return -1;
}

enum THexTranslationKind : uint8_t { tkAsIs, tkDos8, tkASCII, tkMac, tkBCD, tkCustom };
enum THexCaretKind : uint8_t { ckFull, ckLeft, ckBottom, ckAuto };
enum THexProgressKind : uint8_t { pkLoad, pkSave, pkFind };

namespace hexmsg {
inline constexpr const char* OutOfBounds = "Data position/length out of data bounds";
inline constexpr const char* InvalidSelStart = "Invalid selection start";
inline constexpr const char* InvalidSelEnd = "Invalid selection end";
inline constexpr const char* CannotUndo = "Cannot update undo storage";
inline constexpr const char* Cancelled = "Operation cancelled";
inline constexpr const char* InvalidBytesPerLine = "Invalid bytes per line argument";
inline constexpr const char* InvalidBytesPerColumn = "Invalid bytes per column argument";
inline constexpr const char* InvalidBytesPerUnit = "Invalid bytes per unit value %d, allowed: 1,2,4,8";
inline constexpr const char* UnicodeBytesPerUnit = "BytesPerUnit must be set to 2 in unicode mode";
inline constexpr const char* InvalidRulerUnit = "Invalid ruler bytes per unit value %d, allowed: -1,1,2,4,8";
inline constexpr const char* UnicodeTranslation = "Translations cannot be used in unicode mode";
inline constexpr const char* OddUnicodeSize = "Cannot use unicode mode with odd-sized files";
inline constexpr const char* MissingChar = "Missing char in offset format: %s";
inline constexpr const char* InvalidRadix = "Invalid radix in offset format (%xh), allowed: 02h..10h";
inline constexpr const char* InvalidRadixChar = "Invalid character %s, cannot convert using radix %xh";
inline constexpr const char* InvalidBookmark = "Invalid bookmark index";
inline constexpr const char* InvalidBookmarkBitmap = "Invalid bookmark bitmap (must be 10 x 200 px)";
inline constexpr const char* ReadonlyFile = "Cannot save readonly file %s.";
inline constexpr const char* CannotDeleteBackup = "Cannot delete previous backup %s. (%s)";
inline constexpr const char* CannotCreateBackup = "Cannot create backup %s. (%s)";
inline constexpr const char* Untitled = "Untitled";
} // namespace hexmsg

// printf-style formatting of the fixed messages (one %d, %s or %x argument each).
std::string hexFormat(const char* pattern, long long value);
std::string hexFormat(const char* pattern, const std::string& value);
std::string hexFormat(const char* pattern, const std::string& first, const std::string& second);
std::string hexFormat(const char* pattern, const std::string& text, long long value);
