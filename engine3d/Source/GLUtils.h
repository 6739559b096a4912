// Power-of-two rounding, the square-root byte table and whole-file string routines.
#pragma once

#include <cstdint>
#include <string>

namespace engine3d {

// 1 for v < 2, else the smallest power of two >= v; saturates at 2^30, the largest one an int holds.
int RoundUpToPowerOf2(int value);

// Entry i = TruncSingle(sqrt(i / 255) * 255); built on first use.
const uint8_t* SqrtByteTable();

void SaveStringToFile(const std::string& fileName, const std::string& data);
// Empty when the file does not exist.
std::string LoadStringFromFile(const std::string& fileName);
// 0 when the file does not exist.
int64_t SizeOfFile(const std::string& fileName);

} // namespace engine3d
