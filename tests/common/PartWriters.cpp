#include "PartWriters.h"

namespace testpages {

const Family kFamilies[4] = {
    {kVersionUru, 0, "Uru"},
    {kVersionMystV, 0, "Myst V"},
    {kVersionLive, kMajorVersionLive, "Live"},
    {kVersionHexIsle, 0, "Hex Isle"},
};

Family familyOf(const ByteWriter& w) {
    return {w.version(), uint16_t(w.live() ? kMajorVersionLive : 0), ""};
}

TPlasmaStream streamOf(const Bytes& bytes, uint16_t version, uint16_t major) {
    TPlasmaStream s(bytes);
    s.Header.Version = version;
    s.Header.MajorVersion = major;
    return s;
}

TPlasmaStream streamOf(const ByteWriter& w) {
    return streamOf(w.bytes, w.version(), w.live() ? kMajorVersionLive : 0);
}

void writeStringList(ByteWriter& w, const std::vector<std::string>& strings) {
    w.u16(static_cast<uint16_t>(strings.size()));
    for (const auto& s : strings)
        w.u16(static_cast<uint16_t>(s.size())).raw(s);
}

void writeSynched(ByteWriter& w, uint32_t flags, const std::vector<std::string>& first,
                  const std::vector<std::string>& second) {
    w.u32(flags);
    if (IsMystVFamily(w.version())) {
        if ((flags & 6) == 0) writeStringList(w, first);
        return;
    }
    if (flags & 0x10) writeStringList(w, first);
    if (flags & 0x40) writeStringList(w, second);
}

void writeWords(ByteWriter& w, const std::vector<uint32_t>& words) {
    w.u32(static_cast<uint32_t>(words.size()));
    for (uint32_t word : words)
        w.u32(word);
}

void writeObjInterface(ByteWriter& w, const TPRPObjectDesc* owner, const std::vector<uint32_t>& props) {
    w.keyRef(owner);
    writeWords(w, props);
}

static bool hasPresentByte(const ByteWriter& w) {
    return w.live() || w.version() == kVersionHexIsle;
}

void writeMatrix(ByteWriter& w, const float (&values)[16]) {
    if (hasPresentByte(w)) w.u8(1);
    for (float v : values)
        w.f32(v);
}

void writeIdentityMatrix(ByteWriter& w) {
    if (hasPresentByte(w)) {
        w.u8(0);
        return;
    }
    for (int i = 0; i < 16; ++i)
        w.f32(i % 5 == 0 ? 1.0f : 0.0f);
}

void writeColor(ByteWriter& w, float r, float g, float b, float a) {
    w.f32(r).f32(g).f32(b).f32(a);
}

void writeSampleLightInfo(ByteWriter& w, const TPRPObjectDesc* layer,
                          const std::vector<TPRPObjectDesc>& regions) {
    const float translate[16] = {1, 0, 0, 10, 0, 1, 0, 20, 0, 0, 1, 30, 0, 0, 0, 1};
    const TPRPObjectDesc owner = testpages::makeKey(1, "Lamp"), node = testpages::makeKey(0, "Node");
    writeSynched(w, 0);
    writeObjInterface(w, &owner, {});
    writeColor(w, 0.5f, 0, 0, 1);
    writeColor(w, 1, 1, 1, 0.5f);
    writeColor(w, 0, 0, 1, 0);
    writeMatrix(w, translate);
    writeIdentityMatrix(w);
    writeIdentityMatrix(w);
    writeMatrix(w, translate);
    w.keyRef(layer).keyRef(nullptr).keyRef(&node).keyRefs(regions);
}

void writeSampleCoordinateInterface(ByteWriter& w) {
    const float values[16] = {1, 0, 0, 0.5f, 0, 1, 0, 0.0001f, 0, 0, 1, 1e20f, 0, 0, 0, 1};
    const TPRPObjectDesc owner = testpages::makeKey(1, "Rock");
    writeSynched(w, 0);
    writeObjInterface(w, &owner, {0x40});
    writeIdentityMatrix(w);
    writeMatrix(w, values);
    writeMatrix(w, values);
    writeIdentityMatrix(w);
    w.keyRefs({testpages::makeKey(1, "Child")});
}

void writeSampleDrawInterface(ByteWriter& w) {
    const TPRPObjectDesc spans = testpages::makeKey(0x4C, "Spans");
    writeSynched(w, 0);
    writeObjInterface(w, nullptr, {});
    w.u32(2).u32(0xAB).keyRef(&spans).u32(3).keyRef(nullptr).keyRefs({testpages::makeKey(0x4D, "Vis")});
}

void writeSampleSimulationInterface(ByteWriter& w) {
    const TPRPObjectDesc phys = testpages::makeKey(0x3F, "RockPhys");
    writeSynched(w, 0);
    writeObjInterface(w, nullptr, {});
    if (IsUruFamily(w.version())) {
        writeWords(w, {4000000000u, 2});
        w.u32(0x55);
    }
    w.keyRef(&phys);
}

void writeSampleMaterial(ByteWriter& w) {
    const TPRPObjectDesc a = testpages::makeKey(6, "LayerB"), b = testpages::makeKey(6, "LayerA"),
                         c = testpages::makeKey(0x43, "Anim"), d = testpages::makeKey(6, "Piggy");
    writeSynched(w, 0);
    w.u32(0xABC).u32(0x1 | 0x2000).u32(3).u32(1);
    w.keyRef(&a).keyRef(&b).keyRef(&c).keyRef(&d);
}

void writeSampleLayer(ByteWriter& w) {
    const float values[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
    writeSynched(w, 0);
    w.keyRef(nullptr);
    w.u32(0x2 | 0x4000000).u32(0x1).u32(0).u32(0x10).u32(0x800);
    writeMatrix(w, values);
    writeColor(w, 1, 0.5f, 0, 0.25f);
    writeColor(w, 1.5f, 0, 0, 1);
    writeColor(w, 0, 0, 0, 0);
    writeColor(w, 0, 0, 1, 0.1f);
    w.u32(4000000000u).f32(0.75f).f32(-0.00001f).f32(1e16f);
    const TPRPObjectDesc tex = testpages::makeKey(4, "Stone.dds");
    w.keyRef(IsUruFamily(w.version()) ? nullptr : &tex).keyRef(&tex).keyRef(nullptr);
    writeIdentityMatrix(w);
}

} // namespace testpages
