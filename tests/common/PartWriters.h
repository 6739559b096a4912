#pragma once
// Object-body builders for the viewer tests: the shared parts in each family's stored layout.
#include <string>
#include <vector>

#include "PageWriter.h"

namespace testpages {

struct Family {
    uint16_t version;
    uint16_t major;
    const char* name;
};
// Uru, Myst V, Live (code 7 with major version 70) and Hex Isle.
extern const Family kFamilies[4];
// The family a writer writes, for the builders that start a body of their own.
Family familyOf(const ByteWriter& w);

TPlasmaStream streamOf(const Bytes& bytes, uint16_t version, uint16_t major = 0);
TPlasmaStream streamOf(const ByteWriter& w);

// A synched part: the flag word and, where the layout stores them, the lists.
void writeSynched(ByteWriter& w, uint32_t flags, const std::vector<std::string>& first = {},
                  const std::vector<std::string>& second = {});
void writeStringList(ByteWriter& w, const std::vector<std::string>& strings);
void writeWords(ByteWriter& w, const std::vector<uint32_t>& words);
void writeObjInterface(ByteWriter& w, const TPRPObjectDesc* owner, const std::vector<uint32_t>& props);
void writeMatrix(ByteWriter& w, const float (&values)[16]);
void writeIdentityMatrix(ByteWriter& w); // as a present byte 0 where the format has one
void writeColor(ByteWriter& w, float r, float g, float b, float a);

// Whole sample bodies the viewer tests check field by field and the robustness test cuts short.
// A light-info part: owner "Lamp"; colours (0.5,0,0,1), (1,1,1,0.5), (0,0,1,0); a translation by
// (10, 20, 30), two identity matrices and the translation again; the projection layer; no soft volume;
// scene node "Node"; the visibility regions.
void writeSampleLightInfo(ByteWriter& w, const TPRPObjectDesc* layer = nullptr,
                          const std::vector<TPRPObjectDesc>& regions = {makeKey(0x4B, "Region")});
// A coordinate interface of owner "Rock" (properties 0x40): identity, a matrix of 0.5, 0.0001 and 1e20 in
// its last column, the same again, identity; the child "Child".
void writeSampleCoordinateInterface(ByteWriter& w);
// A draw interface without owner: drawables 0xAB "Spans" and 3 without a key, the object "Vis".
void writeSampleDrawInterface(ByteWriter& w);
// A simulation interface without owner: properties 4000000000 and 2 and the word 0x55 (Uru and Live only),
// the physical "RockPhys".
void writeSampleSimulationInterface(ByteWriter& w);
// A material: load flags 0xABC, shaded and decal composition, layers "LayerB", "LayerA" and the animation
// "Anim", the piggy-back "Piggy".
void writeSampleMaterial(ByteWriter& w);
// A layer: blend, clamp, Z and misc flags, a scale-2 transform, four colours, UVW source 4000000000,
// opacity 0.75, LOD bias -1e-5, specular power 1e16, texture "Stone.dds" (the first link only outside
// Uru and Live) and an identity bump transform.
void writeSampleLayer(ByteWriter& w);

} // namespace testpages
