// Fuzz target over the object part readers. Input: one byte choosing the format (code and major
// version), one byte choosing the reader, then the object body.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ObjPartsFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    TPlasmaStream stream(std::vector<uint8_t>(data + 2, data + size));
    objpartsfuzz::setFormat(stream, data[0]);
    try {
        objpartsfuzz::runReader(stream, data[1]);
    } catch (const Exception&) {
        // A viewer shows the message of a body its reader refuses.
    }
    return 0;
}
