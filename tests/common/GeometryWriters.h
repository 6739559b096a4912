#pragma once
// Object-body builders for the geometry tests: bounds, geometry spans, icicles, DI span indices, space
// trees, buffer groups and whole drawable-spans, shared-mesh and morph bodies, in each family's layout.
#include <array>
#include <vector>

#include "GeometryParts.h"
#include "PartWriters.h"

namespace testpages {

// An axis-aligned extended bounds record (32 bytes) with the given bounds type and min/max.
void writeAxisAlignedBounds(ByteWriter& w, uint32_t boundsType, float lo, float hi);
// A full extended bounds record (104 bytes): corner (c, c, c), axes and dists filled from c.
void writeFullBounds(ByteWriter& w, float c);

struct SpanVertex {
    float pos[3];
    float normal[3];
    std::vector<std::array<float, 3>> uvws;
    std::vector<float> weights;
    uint32_t skin = 0;
    uint32_t diffuse = 0, specular = 0;
    float mult[4] = {1, 1, 1, 1};
    float add[4] = {0, 0, 0, 0};
};

struct SpanSpec {
    uint32_t baseMatrix = 7;
    uint8_t numMatrices = 2;
    uint16_t uvwChans = 1, maxBone = 3, penBone = 4;
    float minDist = 0.5f, maxDist = 100.0f;
    uint8_t format = 0x01;
    uint32_t props = 0;
    float waterHeight = 0;
    uint32_t decalLevel = 9;
    std::vector<SpanVertex> vertices;
    std::vector<uint16_t> indices;
    uint32_t instanceGroup = 0, instanceRefs = 0;
};

void writeGeometrySpan(ByteWriter& w, const SpanSpec& span);

struct IcicleSpec {
    uint32_t subType = 1, material = 2, props = 0;
    float waterHeight = 0;
    uint32_t iLength = 6;
    std::vector<TTriFace> faces; // written when props has 0x4
};

void writeIcicle(ByteWriter& w, const IcicleSpec& icicle);
void writeDISpanIndex(ByteWriter& w, uint32_t flags, const std::vector<uint32_t>& indices);

struct NodeSpec {
    uint16_t flags;
    int16_t parent, left, right;
};
void writeSpaceTree(ByteWriter& w, uint16_t root, uint32_t leaves, const std::vector<NodeSpec>& nodes);

// A plain group of format 0x01 with one buffer of two vertices, one index buffer (0,1,0) and one cell.
void writeSmallPlainGroup(ByteWriter& w);

// A span of format 0x52 (two UVW channels, one weight, skin indices) with a water height, two vertices,
// two triangles and an instance group of 3 with 5 references.
SpanSpec twoVertexSpan();

// A drawable-spans body: materials "Stone" and (absent in Uru and Live) a second key, two icicles, two DI
// spans with perma lists, one geometry span, a matrix group, a span index of three, one plain buffer
// group, a space tree of three nodes (or the no-tree marker) and the scene node "Node".
ByteWriter drawableBody(const testpages::Family& f, bool withSpaceTree = true);

// A shared-mesh body: the two-vertex span and an empty one, the morph set key (or none) and the flags.
ByteWriter sharedMeshBody(const testpages::Family& f, const TPRPObjectDesc* morphSet, uint32_t flags);

// A morph-data-set body of two arrays, the second without deltas. The first holds a delta of weight 0.75
// over two spans (two vertex deltas with three UVW channels; none with four channels) and one of weight
// 0.25 without spans.
ByteWriter morphBody(const testpages::Family& f);

// Writes coded values in a family's layout: Live stores an all-same byte in every float run header and
// its normals as bytes.
struct Coded {
    ByteWriter& w;
    bool live;
    Coded& run(float offset, uint16_t count, bool same = false) {
        w.f32(offset);
        if (live) w.u8(same ? 1 : 0);
        w.u16(count);
        return *this;
    }
    Coded& q(uint16_t value) {
        w.u16(value);
        return *this;
    }
    // One value in a run of its own.
    Coded& single(float offset, uint16_t value) { return run(offset, 1).q(value); }
    Coded& normal(int16_t x, int16_t y, int16_t z, uint8_t bx, uint8_t by, uint8_t bz) {
        if (live)
            w.u8(bx).u8(by).u8(bz);
        else
            w.u16(uint16_t(x)).u16(uint16_t(y)).u16(uint16_t(z));
        return *this;
    }
    // Four colour channels, each a run of one read byte.
    Coded& color(uint32_t c) {
        for (int i = 0; i < 4; ++i)
            w.u16(1).u8(uint8_t(c >> (8 * i)));
        return *this;
    }
};

} // namespace testpages
