// Writes the seed corpus of the part-reader fuzz target: a plausible body for every reader in every
// format, built with the test page writer.
#include <cstdio>
#include <string>

#include "ObjPartsFuzz.h"
#include "PartWriters.h"

using testpages::ByteWriter;
using testpages::makeKey;

namespace {

void synched(ByteWriter& w) {
    testpages::writeSynched(w, 0x50, {"abc"}, {"v"});
}

void objInterface(ByteWriter& w) {
    const TPRPObjectDesc owner = makeKey(1, "Owner");
    testpages::writeObjInterface(w, &owner, {0x8});
}

void matrix(ByteWriter& w) {
    float values[16];
    for (int i = 0; i < 16; ++i)
        values[i] = i % 5 == 0 ? 1.0f : 0.5f;
    testpages::writeMatrix(w, values);
}

ByteWriter body(int reader, uint16_t version, uint16_t major) {
    ByteWriter w(version, major);
    const TPRPObjectDesc a = makeKey(1, "ObjA"), b = makeKey(22, "DrawB");
    switch (reader) {
    case 0:
        synched(w);
        break;
    case 1:
        w.u32(2).u32(1).u32(2);
        break;
    case 2:
        objInterface(w);
        break;
    case 3:
        matrix(w);
        break;
    case 4:
        w.u32(0).u32(1);
        for (int i = 0; i < 6 + 3 + 15; ++i)
            w.f32(float(i));
        break;
    case 5:
        w.keyRefs({a, b}).keyRefs({b});
        break;
    case 6:
        synched(w);
        w.keyRef(&b).keyRef(nullptr).keyRef(&a).keyRef(nullptr).keyRefs({a}).keyRefs({b}).keyRef(&a);
        break;
    case 7:
        synched(w);
        objInterface(w);
        for (int i = 0; i < 4; ++i)
            matrix(w);
        w.keyRefs({a});
        break;
    case 8:
        synched(w);
        objInterface(w);
        w.u32(1).u32(7).keyRef(&b).keyRefs({a});
        break;
    case 9:
        synched(w);
        objInterface(w);
        if (IsUruFamily(version)) w.u32(1).u32(5).u32(0);
        w.keyRef(&a);
        break;
    case 10:
        synched(w);
        objInterface(w);
        w.keyRef(&b);
        break;
    case 11:
        synched(w);
        w.keyRef(&a).u32(1).u32(2).u32(3).u32(4).u32(5);
        matrix(w);
        for (int i = 0; i < 16; ++i)
            w.f32(0.5f);
        w.u32(0).f32(1).f32(0).f32(2).keyRef(&a).keyRef(nullptr).keyRef(&b);
        matrix(w);
        break;
    case 12:
        synched(w);
        w.u32(1).u32(2).u32(2).u32(1).keyRef(&a).keyRef(&b).keyRef(&a);
        break;
    case 13:
    case 14:
        synched(w);
        objInterface(w);
        for (int i = 0; i < 12; ++i)
            w.f32(0.5f);
        for (int i = 0; i < 4; ++i)
            matrix(w);
        w.keyRef(&a).keyRef(nullptr).keyRef(&b).keyRefs({a});
        for (int i = 0; i < 7; ++i)
            w.f32(1);
        break;
    case 15:
        synched(w);
        w.u32(1).u32(3).u8(6).f32(1).f32(2).f32(3);
        break;
    case 16:
        synched(w);
        objInterface(w);
        w.f32(1).f32(2).f32(3).u32(4).u32(5).f32(6);
        break;
    case 17:
        synched(w);
        w.u32(0).keyRefs({a, b});
        break;
    }
    return w;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    for (int f = 0; f < objpartsfuzz::kFormatCount; ++f)
        for (int r = 0; r < objpartsfuzz::readerCount(); ++r) {
            const auto& format = objpartsfuzz::kFormats[f];
            const ByteWriter w = body(r, format.version, format.major);
            const std::string path =
                std::string(argv[1]) + "/parts_" + std::to_string(f) + "_" + std::to_string(r);
            FILE* file = std::fopen(path.c_str(), "wb");
            if (!file) return 1;
            const uint8_t selectors[2] = {uint8_t(f), uint8_t(r)};
            std::fwrite(selectors, 1, 2, file);
            std::fwrite(w.bytes.data(), 1, w.bytes.size(), file);
            std::fclose(file);
        }
    return 0;
}
