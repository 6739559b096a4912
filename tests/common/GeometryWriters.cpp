#include "GeometryWriters.h"

using testpages::makeKey;
using namespace testpages;

namespace testpages {

void writeAxisAlignedBounds(ByteWriter& w, uint32_t boundsType, float lo, float hi) {
    w.u32(0x1).u32(boundsType).f32(lo).f32(lo).f32(lo).f32(hi).f32(hi).f32(hi);
}

void writeFullBounds(ByteWriter& w, float c) {
    w.u32(0x4).u32(1).f32(-c).f32(-c).f32(-c).f32(c).f32(c).f32(c);
    w.f32(c + 0.125f).f32(c + 0.375f).f32(c + 0.625f); // the corner, unlike any stored extent
    for (int i = 0; i < 3; ++i)
        w.f32(c + i).f32(c + i + 0.5f).f32(c + i + 0.25f).f32(-c - i).f32(c * 2 + i);
}

void writeGeometrySpan(ByteWriter& w, const SpanSpec& s) {
    const float l2w[16] = {1, 0, 0, 10, 0, 1, 0, 20, 0, 0, 1, 30, 0, 0, 0, 1};
    testpages::writeMatrix(w, l2w);
    testpages::writeIdentityMatrix(w);
    writeAxisAlignedBounds(w, 1, -1, 1);
    testpages::writeIdentityMatrix(w);
    testpages::writeIdentityMatrix(w);
    w.u32(s.baseMatrix).u8(s.numMatrices).u16(s.uvwChans).u16(s.maxBone).u16(s.penBone);
    w.f32(s.minDist).f32(s.maxDist).u8(s.format).u32(s.props);
    w.u32(uint32_t(s.vertices.size())).u32(uint32_t(s.indices.size()));
    w.u32(0xDEADBEEF).u8(0xAA).u32(s.decalLevel);
    if (s.props & 0x800) w.f32(s.waterHeight);
    if (!s.vertices.empty()) {
        for (const SpanVertex& v : s.vertices) {
            w.f32(v.pos[0]).f32(v.pos[1]).f32(v.pos[2]);
            w.f32(v.normal[0]).f32(v.normal[1]).f32(v.normal[2]);
            for (const auto& uvw : v.uvws)
                w.f32(uvw[0]).f32(uvw[1]).f32(uvw[2]);
            for (float weight : v.weights)
                w.f32(weight);
            if (s.format & 0x40) w.u32(v.skin);
        }
        for (const SpanVertex& v : s.vertices) {
            testpages::writeColor(w, v.mult[0], v.mult[1], v.mult[2], v.mult[3]);
            testpages::writeColor(w, v.add[0], v.add[1], v.add[2], v.add[3]);
        }
        for (const SpanVertex& v : s.vertices)
            w.u32(v.diffuse);
        for (const SpanVertex& v : s.vertices)
            w.u32(v.specular);
    }
    for (uint16_t index : s.indices)
        w.u16(index);
    w.u32(s.instanceGroup);
    if (s.instanceGroup) w.u32(s.instanceRefs);
}

void writeIcicle(ByteWriter& w, const IcicleSpec& s) {
    w.u32(s.subType).u32(s.material);
    const float l2w[16] = {2, 0, 0, 1, 0, 2, 0, 2, 0, 0, 2, 3, 0, 0, 0, 1};
    testpages::writeMatrix(w, l2w);
    testpages::writeIdentityMatrix(w);
    w.u32(s.props);
    writeAxisAlignedBounds(w, 0, -2, 2);
    writeFullBounds(w, 5);
    w.u32(0x11).u32(0x22).u16(0x33).u16(0x44).u16(0x55).f32(1.5f).f32(250.0f);
    if (s.props & 0x10) w.f32(s.waterHeight);
    w.u32(0x101).u32(0x102).u32(0x103).u32(0x104).u32(0x105).u32(0x106);
    w.u32(0x201).u32(0x202).u32(s.iLength);
    if (s.props & 0x4)
        for (const TTriFace& f : s.faces)
            w.u16(f.Idx1).u16(f.Idx2).u16(f.Idx3).u16(f.Span).f32(f.Center.X).f32(f.Center.Y).f32(f.Center.Z);
}

void writeDISpanIndex(ByteWriter& w, uint32_t flags, const std::vector<uint32_t>& indices) {
    w.u32(flags).u32(uint32_t(indices.size()));
    for (uint32_t index : indices)
        w.u32(index);
}

void writeSpaceTree(ByteWriter& w, uint16_t root, uint32_t leaves, const std::vector<NodeSpec>& nodes) {
    w.u16(root).u32(leaves).u32(uint32_t(nodes.size()));
    float c = 1;
    for (const NodeSpec& n : nodes) {
        writeAxisAlignedBounds(w, 2, -c, c);
        c += 1;
        w.u16(n.flags).u16(uint16_t(n.parent)).u16(uint16_t(n.left)).u16(uint16_t(n.right));
    }
}

void writeSmallPlainGroup(ByteWriter& w) {
    w.u8(0x01).u32(0).u32(1);
    w.u32(2 * 44);
    for (int i = 0; i < 2; ++i) {
        w.f32(float(i)).f32(2).f32(3);        // position
        w.f32(0).f32(0).f32(1);               // normal
        w.u32(0xFF102030u + uint32_t(i));     // colour
        w.u32(0);                             // unkept
        w.f32(0.5f).f32(0.25f).f32(float(i)); // uvw 0
    }
    w.u32(0);
    w.u32(1).u32(3).u16(0).u16(1).u16(0);
    w.u32(1).u32(0).u32(0).u32(2);
}

SpanSpec twoVertexSpan() {
    SpanSpec s;
    s.format = 0x52; // two UVW channels, one weight, skin indices
    s.props = 0x800 | 0x10;
    s.waterHeight = 12.5f;
    SpanVertex a{{1, 2, 3}, {0, 0, 1}, {{0.5f, 0.25f, 0}, {1, 1, 1}}, {0.75f}, 4, 0xFF102030, 0x80000000};
    SpanVertex b{{4, 5, 6}, {0, 1, 0}, {{0, 0, 0}, {2, 2, 2}}, {0.25f}, 9, 0x01020304, 0};
    b.mult[0] = 0.5f;
    b.add[3] = 1.0f;
    s.vertices = {a, b};
    s.indices = {0, 1, 0, 1, 0, 1};
    s.instanceGroup = 3;
    s.instanceRefs = 5;
    return s;
}

// A drawable-spans body: two materials (one absent), two icicles, two DI spans with perma lists, one
// geometry span, a matrix group, a span index, a buffer group, a space tree and the scene node.
ByteWriter drawableBody(const testpages::Family& f, bool withSpaceTree) {
    ByteWriter w(f.version, f.major);
    w.u32(0x81).u32(0x11).u32(0x10000002);
    const TPRPObjectDesc mat = makeKey(7, "Stone"), light = makeKey(0x55, "Sun"),
                         proj = makeKey(0x56, "Proj"), spanKey = makeKey(0x4C, "SpanKey"),
                         node = makeKey(0, "Node");
    w.u32(2).keyRef(&mat);
    if (IsUruFamily(f.version))
        w.keyRef(nullptr);
    else
        w.keyRef(&mat);
    IcicleSpec plain;
    plain.props = 0x80 | 0x100;
    IcicleSpec sorted;
    sorted.props = 0x4 | 0x10 | 0x80;
    sorted.waterHeight = -3.5f;
    sorted.iLength = 7;
    sorted.faces = {{1, 2, 3, 0, {0.5f, 1, 2}}, {4, 5, 6, 1, {3, 4, 5}}};
    w.u32(2);
    writeIcicle(w, plain);
    writeIcicle(w, sorted);
    w.u32(0xBEEF);
    w.u32(2).u32(0).u32(1);
    w.keyRef(&spanKey).keyRef(nullptr);
    writeAxisAlignedBounds(w, 1, -1, 1);
    writeFullBounds(w, 2);
    writeAxisAlignedBounds(w, 3, -9, 9);
    w.keyRefs({light}).keyRefs({proj}); // span 0: icicle 0 has lights and projectors
    w.keyRefs({light, light});          // span 1: icicle 1 has lights only
    w.u32(1);
    writeGeometrySpan(w, twoVertexSpan());
    w.u32(1);
    const float m[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    writeMatrix(w, m);
    writeIdentityMatrix(w);
    writeIdentityMatrix(w);
    writeMatrix(w, m);
    w.u32(1);
    writeDISpanIndex(w, 0x10, {5, 6, 7});
    w.u32(1);
    writeSmallPlainGroup(w);
    if (withSpaceTree) {
        w.u16(0);
        writeSpaceTree(w, 2, 2, {{0x1, 2, -1, -1}, {0x1, 2, -1, -1}, {0x0, -1, 0, 1}});
    } else {
        w.u16(0x8000);
    }
    w.keyRef(&node);
    return w;
}

ByteWriter sharedMeshBody(const testpages::Family& f, const TPRPObjectDesc* morphSet, uint32_t flags) {
    ByteWriter w(f.version, f.major);
    w.u32(2);
    writeGeometrySpan(w, twoVertexSpan());
    writeGeometrySpan(w, SpanSpec{});
    w.keyRef(morphSet).u32(flags);
    return w;
}

ByteWriter morphBody(const testpages::Family& f) {
    ByteWriter w(f.version, f.major);
    w.u32(2).u32(2).f32(0.75f).u32(2);
    w.u32(2).u32(3); // two vertex deltas, three UVW channels
    for (int i = 0; i < 2; ++i)
        w.u16(uint16_t(10 + i)).u16(0xFFFF).f32(1).f32(2.5f).f32(3).f32(0).f32(0).f32(-1);
    for (int i = 0; i < 6; ++i)
        w.f32(float(i)).f32(0).f32(0.5f);
    w.u32(0).u32(4); // no vertex deltas: the two counts only
    w.f32(0.25f).u32(0);
    w.u32(0);
    return w;
}

} // namespace testpages
