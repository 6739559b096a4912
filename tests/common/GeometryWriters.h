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

} // namespace testpages
