#include "GLUtils.h"

#include "ApplicationFileIO.h"
#include "VectorGeometry.h"

#include <cmath>

namespace engine3d {

int RoundUpToPowerOf2(int value) {
    constexpr int largest = 1 << 30;
    if (value < 2) return 1;
    if (value >= largest) return largest;
    int result = 1;
    while (result < value)
        result <<= 1;
    return result;
}

const uint8_t* SqrtByteTable() {
    static uint8_t table[256] = {};
    // Recognised as built once the last entry holds 255.
    if (table[255] != 255)
        for (int i = 0; i < 256; ++i)
            table[i] = static_cast<uint8_t>(TruncSingle(std::sqrt(i / 255.0f) * 255.0f));
    return table;
}

void SaveStringToFile(const std::string& fileName, const std::string& data) {
    auto stream = CreateFileStream(fileName, fmCreate);
    if (!data.empty()) stream->WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
}

std::string LoadStringFromFile(const std::string& fileName) {
    if (!FileStreamExists(fileName)) return {};
    auto stream = CreateFileStream(fileName, fmOpenRead | fmShareDenyNone);
    std::string data(static_cast<size_t>(stream->Size()), '\0');
    stream->ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
    return data;
}

int64_t SizeOfFile(const std::string& fileName) {
    if (!FileStreamExists(fileName)) return 0;
    return CreateFileStream(fileName, fmOpenRead | fmShareDenyNone)->Size();
}

} // namespace engine3d
