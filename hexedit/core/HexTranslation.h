// Byte <-> character translation of the character field.
#pragma once

#include "HexCoreTypes.h"

#include <array>
#include <cstdint>

// Application-fillable tables of tkCustom; both are the identity at start.
extern std::array<uint8_t, 256> HexCustomShown;
extern std::array<uint8_t, 256> HexCustomTyped;

const char* hexTranslationName(THexTranslationKind kind);
const char* hexTranslationShortName(THexTranslationKind kind);

// Windows-1252 and code page 437 (the OEM code page stand-in) to and from Unicode.
char16_t ansiToUnicode(uint8_t code);
char16_t oemToUnicode(uint8_t code);
// 0 when the character has no code in the page.
uint8_t unicodeToAnsi(char16_t ch);
uint8_t unicodeToOem(char16_t ch);

// The character a stored byte is shown as, before masking (maskChar is used by tkASCII above 127).
char16_t hexShownChar(THexTranslationKind kind, uint8_t byte, char16_t maskChar);
// The byte a typed character is stored as; 0 means rejected.
uint8_t hexTypedByte(THexTranslationKind kind, char16_t ch);
