// Whole drawable-spans bodies in every family, with a geometry span, icicles, a DI span index, a buffer
// group and a space tree inside; the optional parts of those records; shared-mesh and morph-data-set
// bodies: bytes in, record out.
#include <gtest/gtest.h>

#include "DrawableParts.h"
#include "GeometryWriters.h"

using namespace testpages;
using testpages::makeKey;

// Spans of a list, each read into a cleared record: what one span stores does not carry into the next.
TEST(GeometrySpanReader, OptionalPartsAndSkinWithoutWeights) {
    struct Row {
        const char* name;
        uint8_t format;
        uint32_t props;
        int vertices;
        int indices;
        uint32_t instanceGroup, instanceRefs;
    };
    const Row rows[] = {
        {"water height and instance references, no vertices, no indices", 0x01, 0x800, 0, 0, 1, 5},
        {"no water height", 0x01, 0, 1, 3, 0, 0},
        {"skin index with no weights", 0x40, 0, 2, 0, 0, 0},
        {"more than eight UVW channels", 0x0C, 0, 1, 3, 2, 0}};
    ByteWriter w(kVersionMystV);
    w.u32(std::size(rows));
    for (const Row& row : rows) {
        SpanSpec written;
        written.format = row.format;
        written.props = row.props;
        written.waterHeight = 2;
        written.instanceGroup = row.instanceGroup;
        written.instanceRefs = row.instanceRefs;
        for (int i = 0; i < row.vertices; ++i) {
            SpanVertex v{{float(i), 0, 0}, {0, 0, 1}, {}, {}, uint32_t(100 + i)};
            for (int u = 0; u < FormatUVWCount(row.format); ++u)
                v.uvws.push_back({float(u), 0, 0});
            written.vertices.push_back(v);
        }
        written.indices.assign(size_t(row.indices), 1);
        writeGeometrySpan(w, written);
    }
    w.u32(0x5A5A5A5A); // whatever follows
    TPlasmaStream s = streamOf(w);
    const std::vector<TGeometrySpan> spans = ReadGeometrySpanList(s);
    EXPECT_EQ(s.ReadAs<uint32_t>(), 0x5A5A5A5Au);
    ASSERT_EQ(spans.size(), std::size(rows));
    for (size_t i = 0; i < spans.size(); ++i) {
        const Row& row = rows[i];
        const TGeometrySpan& span = spans[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(span.Vertices.size(), size_t(row.vertices));
        EXPECT_EQ(span.DiffuseColors.size(), size_t(row.vertices));
        EXPECT_EQ(span.Indices.size(), size_t(row.indices));
        EXPECT_EQ(span.WaterHeight, row.props & 0x800 ? 2.0f : 0.0f);
        EXPECT_EQ(span.NumInstanceRefs, row.instanceRefs);
        if (row.format == 0x40) {
            EXPECT_EQ(span.Vertices[1].SkinIndex, 101u);
        }
        if (row.format == 0x0C) {
            EXPECT_EQ(span.Vertices[0].UVWs[11].X, 11.0f);
        }
    }
}

TEST(SmallRecords, EmptyDISpanIndexAndSpaceTree) {
    ByteWriter w(kVersionUru);
    writeDISpanIndex(w, 3, {});
    writeDISpanIndex(w, 0x10, {1, 0xFFFFFFFF});
    writeSpaceTree(w, 0, 0, {});
    TPlasmaStream s = streamOf(w);
    TDISpanIndex empty, two;
    ReadDISpanIndex(s, empty);
    EXPECT_EQ(s.Position(), 8);
    ReadDISpanIndex(s, two);
    EXPECT_EQ(empty.Flags, 3u);
    EXPECT_TRUE(empty.Indices.empty());
    EXPECT_EQ(two.Indices, (std::vector<uint32_t>{1, 0xFFFFFFFF}));
    TSpaceTree none;
    const int64_t before = s.Position();
    ReadSpaceTree(s, none);
    EXPECT_EQ(s.Position() - before, 10);
    EXPECT_TRUE(s.AtEnd());
}

// The body holds one record of each geometry kind: their layouts in every family are read through it.
TEST(DrawableSpansReader, WholeBodyInEveryFamily) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w = drawableBody(f);
        TPlasmaStream s = streamOf(w);
        const TDrawableSpansRecord r = ReadDrawableSpans(s);
        EXPECT_TRUE(s.AtEnd());
        EXPECT_EQ(r.Props, 0x81u);
        EXPECT_EQ(r.RenderLevel, 0x10000002u);
        ASSERT_EQ(r.Materials.size(), 2u);
        EXPECT_EQ(r.Materials[0].Name, "Stone");
        ASSERT_EQ(r.SpanInfos.size(), 2u);
        EXPECT_EQ(r.SpanInfos[1].Index, 1u);
        EXPECT_EQ(r.SpanInfos[0].Key.Name, "SpanKey");
        EXPECT_EQ(r.SpanInfos[0].PermaLights.size(), 1u);
        EXPECT_EQ(r.SpanInfos[0].PermaProjs.size(), 1u);
        EXPECT_EQ(r.SpanInfos[1].PermaLights.size(), 2u);
        EXPECT_TRUE(r.SpanInfos[1].PermaProjs.empty());
        EXPECT_EQ(r.WorldBounds.Corner.Z, 2.625f);
        EXPECT_EQ(r.MaxWorldBounds.Bounds.BoundsType, 3u);
        ASSERT_EQ(r.MatrixGroups.size(), 1u);
        EXPECT_EQ(r.MatrixGroups[0][3][3][0], 13.0f);
        EXPECT_EQ(r.MatrixGroups[0][1], IdentityMatrix44());
        ASSERT_EQ(r.SpanIndices.size(), 1u);
        EXPECT_EQ(r.SpanIndices[0].Indices, (std::vector<uint32_t>{5, 6, 7}));
        EXPECT_TRUE(r.HasSpaceTree);
        EXPECT_EQ(r.SceneNode.Name, "Node");

        // The icicles: the first without water height and sort data, the second with both.
        ASSERT_EQ(r.Icicles.size(), 2u);
        EXPECT_TRUE(r.Icicles[0].SortData.empty());
        EXPECT_EQ(r.Icicles[0].WaterHeight, 0.0f);
        const TIcicle& i = r.Icicles[1];
        EXPECT_EQ(i.SubType, 1u);
        EXPECT_EQ(i.LocalToWorld[2][3], 3.0f);
        EXPECT_EQ(i.WorldBounds.Dists[2][1], 12.0f);
        EXPECT_EQ(i.NumMatrices, 0x11u);
        EXPECT_EQ(i.PenBoneIdx, 0x55);
        EXPECT_EQ(i.WaterHeight, -3.5f);
        EXPECT_EQ(i.VLength, 0x106u);
        EXPECT_EQ(i.IStartIdx, 0x202u);
        ASSERT_EQ(i.SortData.size(), 2u);
        EXPECT_EQ(i.SortData[1].Idx3, 6);
        EXPECT_EQ(i.SortData[1].Span, 1);
        EXPECT_EQ(i.SortData[1].Center.Y, 4.0f);

        // The geometry span.
        ASSERT_EQ(r.GeometrySpans.size(), 1u);
        const TGeometrySpan& span = r.GeometrySpans[0];
        EXPECT_EQ(span.LocalToWorld[1][3], 20.0f);
        EXPECT_EQ(span.WorldToLocal, IdentityMatrix44());
        EXPECT_EQ(span.LocalBounds.Flags, 1u);
        EXPECT_EQ(span.BaseMatrix, 7u);
        EXPECT_EQ(span.NumMatrices, 2);
        EXPECT_EQ(span.PenBone, 4);
        EXPECT_EQ(span.MaxDist, 100.0f);
        EXPECT_EQ(span.Format, 0x52);
        EXPECT_EQ(span.DecalLevel, 9u);
        EXPECT_EQ(span.WaterHeight, 12.5f);
        ASSERT_EQ(span.Vertices.size(), 2u);
        EXPECT_EQ(span.Vertices[1].Position.Z, 6.0f);
        EXPECT_EQ(span.Vertices[0].UVWs[0].Y, 0.25f);
        EXPECT_EQ(span.Vertices[1].UVWs[1].X, 2.0f);
        EXPECT_EQ(span.Vertices[0].Weights[0], 0.75f);
        EXPECT_EQ(span.Vertices[1].SkinIndex, 9u);
        EXPECT_EQ(span.MultColors[1].R, 0.5f);
        EXPECT_EQ(span.AddColors[1].A, 1.0f);
        EXPECT_EQ(span.DiffuseColors[0], 0xFF102030u);
        EXPECT_EQ(span.SpecularColors[0], 0x80000000u);
        EXPECT_EQ(span.Indices.size(), 6u);
        EXPECT_EQ(span.InstanceGroup, 3u);
        EXPECT_EQ(span.NumInstanceRefs, 5u);

        // The plain buffer group: two vertices of format 0x01, one index buffer and one cell.
        ASSERT_EQ(r.BufferGroups.size(), 1u);
        const TGBufferGroup& g = r.BufferGroups[0];
        EXPECT_EQ(g.Format, 0x01);
        ASSERT_EQ(g.VertexBuffers.size(), 1u);
        ASSERT_EQ(g.VertexBuffers[0].size(), 2u);
        EXPECT_EQ(g.VertexBuffers[0][1].Position.X, 1.0f);
        EXPECT_EQ(g.VertexBuffers[0][1].Color, 0xFF102031u);
        EXPECT_EQ(g.VertexBuffers[0][1].UVWs[0].Y, 0.25f);
        EXPECT_EQ(g.IndexBuffers, (std::vector<std::vector<uint16_t>>{{0, 1, 0}}));
        ASSERT_EQ(g.CellBuffers.size(), 1u);
        ASSERT_EQ(g.CellBuffers[0].size(), 1u);
        EXPECT_EQ(g.CellBuffers[0][0].Length, 2u);

        // The space tree: root 2 over two leaves.
        EXPECT_EQ(r.SpaceTree.Root, 2);
        ASSERT_EQ(r.SpaceTree.Nodes.size(), 3u);
        EXPECT_EQ(r.SpaceTree.Nodes[2].LeftChild, 0);
        EXPECT_EQ(r.SpaceTree.Nodes[2].Parent, -1);
        EXPECT_EQ(r.SpaceTree.Nodes[1].WorldBounds.Bounds.Max.X, 2.0f);
    }
}

TEST(DrawableSpansReader, NoDISpansStoresNoBoundsAndMarkerEndsTheTree) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        const TPRPObjectDesc node = makeKey(0, "Node");
        w.u32(0).u32(0).u32(0).keyRefs({}).u32(0).u32(0);
        w.u32(0); // no DI spans: the geometry span count follows at once
        w.u32(0).u32(0).u32(0).u32(0).u16(0x8000).keyRef(&node);
        TPlasmaStream s = streamOf(w);
        const TDrawableSpansRecord r = ReadDrawableSpans(s);
        EXPECT_TRUE(s.AtEnd());
        for (const TBounds3Ext* b : {&r.LocalBounds, &r.WorldBounds, &r.MaxWorldBounds}) {
            EXPECT_EQ(b->Bounds.BoundsType, 2u);
            EXPECT_EQ(b->Flags, 0u);
        }
        EXPECT_FALSE(r.HasSpaceTree);
        EXPECT_EQ(r.SceneNode.Name, "Node");

        // A count that promises spans the data no longer holds still reads as stored spans: the bounds
        // past the end keep their cleared values rather than the sphere type.
        ByteWriter cut(f.version, f.major);
        cut.u32(0).u32(0).u32(0).keyRefs({}).u32(0).u32(0).u32(3);
        TPlasmaStream c = streamOf(cut);
        const TDrawableSpansRecord rc = ReadDrawableSpans(c);
        EXPECT_TRUE(rc.SpanInfos.empty());
        for (const TBounds3Ext* b : {&rc.LocalBounds, &rc.WorldBounds, &rc.MaxWorldBounds})
            EXPECT_EQ(b->Bounds.BoundsType, 0u);

        // A DI span that names no icicle (there is none) has no perma lists.
        ByteWriter one(f.version, f.major);
        one.u32(0).u32(0).u32(0).keyRefs({}).u32(0).u32(0).u32(1).u32(5).keyRef(nullptr);
        for (int i = 0; i < 3; ++i)
            writeAxisAlignedBounds(one, 0, 0, 0);
        one.u32(0).u32(0).u32(0).u32(0).u16(0x8000).keyRef(&node);
        TPlasmaStream o = streamOf(one);
        EXPECT_EQ(ReadDrawableSpans(o).SpanInfos.size(), 1u);
        EXPECT_TRUE(o.AtEnd());
    }
}

TEST(SharedMeshReader, SpansMorphSetAndFlags) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const TPRPObjectDesc morph = makeKey(0x10F, "Morph");
        TPlasmaStream s = streamOf(sharedMeshBody(f, &morph, 3));
        const TSharedMeshRecord r = ReadSharedMesh(s);
        EXPECT_TRUE(s.AtEnd());
        ASSERT_EQ(r.GeometrySpans.size(), 2u);
        EXPECT_EQ(r.GeometrySpans[0].NumVerts, 2u);
        EXPECT_EQ(r.MorphSet.Name, "Morph");
        EXPECT_EQ(r.Flags, 3u);
    }
}

TEST(MorphDataSetReader, ArraysDeltasSpansAndUVWRuns) {
    TPlasmaStream s = streamOf(morphBody(kFamilies[0]));
    const std::vector<TMorphArray> arrays = ReadMorphDataSet(s);
    EXPECT_TRUE(s.AtEnd());
    ASSERT_EQ(arrays.size(), 2u);
    EXPECT_TRUE(arrays[1].empty());
    ASSERT_EQ(arrays[0].size(), 2u);
    const TMorphDelta& delta = arrays[0][0];
    EXPECT_EQ(delta.Weight, 0.75f);
    ASSERT_EQ(delta.Spans.size(), 2u);
    ASSERT_EQ(delta.Spans[0].Deltas.size(), 2u);
    EXPECT_EQ(delta.Spans[0].Deltas[1].Index, 11);
    EXPECT_EQ(delta.Spans[0].Deltas[1].Padding, 0xFFFF);
    EXPECT_EQ(delta.Spans[0].Deltas[1].PosDelta.Y, 2.5f);
    EXPECT_EQ(delta.Spans[0].Deltas[1].NormDelta.Z, -1.0f);
    ASSERT_EQ(delta.Spans[0].UVWs.size(), 6u);
    EXPECT_EQ(delta.Spans[0].UVWs[5].X, 5.0f);
    EXPECT_EQ(delta.Spans[0].UVWs[5].Z, 0.5f);
    EXPECT_TRUE(delta.Spans[1].Deltas.empty());
    EXPECT_EQ(delta.Spans[1].NumUVWChans, 4u);
    EXPECT_EQ(arrays[0][1].Weight, 0.25f);
    EXPECT_TRUE(arrays[0][1].Spans.empty());
}
