#include "GeometryParts.h"

#include <algorithm>

#include "NumberText.h"

namespace {

bool isLive(const TPlasmaStream& stream) {
    return stream.Header.MajorVersion == kMajorVersionLive;
}

// The fewest bytes a stored matrix takes: the present byte alone in Live and Hex Isle.
size_t matrixMinSize(const TPlasmaStream& stream) {
    return isLive(stream) || stream.Header.Version == kVersionHexIsle ? 1 : 64;
}
constexpr size_t kBoundsMinSize = 32; // axis aligned: flags and the plain bounds

size_t normalSize(const TPlasmaStream& stream) {
    return isLive(stream) ? 3 : 6;
}

bool storesSkinIndex(uint8_t format) {
    return FormatWeightCount(format) > 0 && FormatHasSkinIndices(format);
}

// The fewest bytes one coded vertex takes: the normal and the skin index always, and outside Live a u16
// per float (Live runs may repeat their offset without reading anything).
size_t codedVertexMinSize(const TPlasmaStream& stream, uint8_t format) {
    size_t size = normalSize(stream) + (storesSkinIndex(format) ? 4 : 0);
    if (!isLive(stream)) size += 2 * (3 + FormatWeightCount(format) + 3 * FormatUVWCount(format));
    return size;
}

// Reads a block of little-endian numbers; the caller has capped the count by the bytes left.
template <class T> void readBlock(TPlasmaStream& stream, std::vector<T>& values, uint32_t count) {
    values.resize(count);
    if (count) stream.Read(values.data(), size_t(count) * sizeof(T));
}

size_t spanVertexSize(uint8_t format) {
    return 24 + 12 * size_t(FormatUVWCount(format)) + 4 * size_t(FormatWeightCount(format)) +
           (FormatHasSkinIndices(format) ? 4 : 0);
}

size_t geometrySpanMinSize(const TPlasmaStream& stream) {
    return 4 * matrixMinSize(stream) + kBoundsMinSize + 45;
}

size_t icicleMinSize(const TPlasmaStream& stream) {
    return 2 * matrixMinSize(stream) + 2 * kBoundsMinSize + 70;
}

const TFlagBit geometrySpanProps[] = {
    {0x0, "kLiteMaterial", "Lite Material"},
    {0x1, "kPropRunTimeLight", "Runtime Light"},
    {0x2, "kPropNoPreShade", "No Preshade"},
    {0x4, "kLiteVtxPreshaded", "Lite Vtx Preshaded"},
    {0x8, "kLiteVtxNonPreshaded", "Lite Vtx Non-Preshaded"},
    {0x10, "kRequiresBlending", "Requires Blending"},
    {0x20, "kInstanced", "Instanced"},
    {0x40, "kUserOwned", "User-Owned"},
    {0x80, "kPropNoShadow", "No Shadow"},
    {0x100, "kPropForceShadow", "Force Shadow"},
    {0x200, "kDiffuseFoldedIn", "Diffuse Folded In"},
    {0x400, "kPropReverseSort", "Reverse Sort"},
    {0x800, "kWaterHeight", "Has Water Height"},
    {0x1000, "kFirstInstance", "First Instance"},
    {0x2000, "kPartialSort", "Partial Sort"},
    {0x4000, "kVisLOS", "Vis LOS"},
    {0x8000, "kPropNoShadowCast", "No Shadow Cast"},
};

const TFlagBit spaceTreeNodeFlags[] = {
    {0x1, "kIsLeaf", "Is Leaf"},
    {0x2, "kDirty", "Dirty"},
    {0x4, "kDisabled", "Disabled"},
    {0x8, "kEmpty", "Empty"},
    {0x10, "kEnabledTemp", "Enabled Temp"},
};

} // namespace

const TFlagTable kGeometrySpanProps{geometrySpanProps};
const TFlagTable kSpaceTreeNodeFlags{spaceTreeNodeFlags};

// ---- The vertex coder

float TVertexCoder::DecodeFloat(TPlasmaStream& stream, int channel, int component) {
    static constexpr long double kQuanta[3] = {1024.0L, 32768.0L, 65536.0L};
    const long double quantum = kQuanta[std::min(channel, 2)];
    TFloatRun& s = Floats[component][channel];
    if (s.Count == 0) {
        stream.ReadValue(s.Offset);
        if (isLive(stream)) {
            uint8_t same = 0;
            stream.ReadValue(same);
            s.AllSame = same != 0;
        } else {
            s.AllSame = false;
        }
        stream.ReadValue(s.Count);
    }
    float value = s.Offset;
    if (!s.AllSame) {
        uint16_t q = 0;
        stream.ReadValue(q);
        value = static_cast<float>(q / quantum + static_cast<long double>(s.Offset));
    }
    --s.Count;
    return value;
}

uint8_t TVertexCoder::DecodeColorByte(TPlasmaStream& stream, int channel) {
    TColorRun& s = Colors[channel];
    if (s.Count == 0) {
        uint16_t header = 0;
        stream.ReadValue(header);
        s.Same = (header & 0x8000) != 0;
        if (s.Same) {
            stream.ReadValue(s.Value);
            s.Count = header & 0x7FFF;
        } else {
            s.Count = header;
        }
    }
    uint8_t result = s.Value;
    if (!s.Same) {
        result = 0;
        stream.ReadValue(result);
    }
    --s.Count;
    return result;
}

uint32_t TVertexCoder::DecodeColor(TPlasmaStream& stream) {
    uint32_t color = 0;
    for (int channel = 0; channel < 4; ++channel)
        color |= uint32_t(DecodeColorByte(stream, channel)) << (8 * channel);
    return color;
}

void TVertexCoder::DecodeVertex(TPlasmaStream& stream, uint8_t format, TGBufferVertex& vertex) {
    vertex.Position.X = DecodeFloat(stream, 0, 0);
    vertex.Position.Y = DecodeFloat(stream, 0, 1);
    vertex.Position.Z = DecodeFloat(stream, 0, 2);
    const int weights = FormatWeightCount(format);
    for (int i = 0; i < weights; ++i)
        vertex.Weights[i] = DecodeFloat(stream, 1, i);
    if (storesSkinIndex(format)) stream.ReadValue(vertex.SkinIndex);
    vertex.Normal = DecodeNormal(stream);
    vertex.Color = DecodeColor(stream);
    for (int u = 0; u < FormatUVWCount(format); ++u) {
        vertex.UVWs[u].X = DecodeFloat(stream, u + 2, 0);
        vertex.UVWs[u].Y = DecodeFloat(stream, u + 2, 1);
        vertex.UVWs[u].Z = DecodeFloat(stream, u + 2, 2);
    }
}

TVector3 DecodeNormal(TPlasmaStream& stream) {
    float values[3];
    for (float& value : values) {
        if (isLive(stream)) {
            uint8_t b = 0;
            stream.ReadValue(b);
            value = static_cast<float>((b / 256.0 - 0.5) * 2.0);
        } else {
            int16_t v = 0;
            stream.ReadValue(v);
            value = static_cast<float>(v / 32767.0);
        }
    }
    return {values[0], values[1], values[2]};
}

// ---- Plain vertices, cells and groups

size_t PlainVertexSize(uint8_t format) {
    return 24 + 4 * size_t(FormatWeightCount(format)) + (storesSkinIndex(format) ? 4 : 0) + 8 +
           12 * size_t(FormatUVWCount(format));
}

void ReadPlainVertex(TPlasmaStream& stream, uint8_t format, TGBufferVertex& vertex) {
    ReadVector3(stream, vertex.Position);
    const int weights = FormatWeightCount(format);
    for (int i = 0; i < weights; ++i)
        stream.ReadValue(vertex.Weights[i]);
    if (storesSkinIndex(format)) stream.ReadValue(vertex.SkinIndex);
    ReadVector3(stream, vertex.Normal);
    stream.ReadValue(vertex.Color);
    ReadU32(stream);
    for (int u = 0; u < FormatUVWCount(format); ++u)
        ReadVector3(stream, vertex.UVWs[u]);
}

void ReadGBufferCell(TPlasmaStream& stream, TGBufferCell& cell) {
    stream.ReadValue(cell.VertexStart);
    stream.ReadValue(cell.ColorStart);
    stream.ReadValue(cell.Length);
}

void ReadGBufferGroup(TPlasmaStream& stream, TGBufferGroup& group) {
    stream.ReadValue(group.Format);
    ReadU32(stream);
    const bool coded = group.Format & kFormatEncoded;
    // Each vertex buffer stores at least its count (u16 coded, u32 size and trailing u32 plain) and later
    // the count of its cell buffer.
    const uint32_t vertexBufferCount = stream.CapCount(ReadU32(stream), (coded ? 2 : 8) + 4);
    group.VertexBuffers.clear();
    group.VertexBuffers.reserve(vertexBufferCount);
    TVertexCoder coder;
    const size_t plainSize = PlainVertexSize(group.Format);
    const size_t codedMinSize = codedVertexMinSize(stream, group.Format);
    for (uint32_t b = 0; b < vertexBufferCount && !stream.AtEnd(); ++b) {
        TVertexBuffer& buffer = group.VertexBuffers.emplace_back();
        if (coded) {
            uint16_t stored = 0;
            stream.ReadValue(stored);
            const uint32_t count = stream.CapCount(stored, codedMinSize);
            buffer.reserve(count);
            for (uint32_t i = 0; i < count && !stream.AtEnd(); ++i)
                coder.DecodeVertex(stream, group.Format, buffer.emplace_back());
        } else {
            const uint32_t count = stream.CapCount(ReadU32(stream) / uint32_t(plainSize), plainSize);
            buffer.resize(count);
            for (TGBufferVertex& vertex : buffer)
                ReadPlainVertex(stream, group.Format, vertex);
            ReadU32(stream);
        }
    }

    const uint32_t indexBufferCount = stream.CapCount(ReadU32(stream), 4);
    group.IndexBuffers.clear();
    group.IndexBuffers.reserve(indexBufferCount);
    for (uint32_t b = 0; b < indexBufferCount && !stream.AtEnd(); ++b) {
        const uint32_t count = stream.CapCount(ReadU32(stream), 2);
        readBlock(stream, group.IndexBuffers.emplace_back(), count);
    }

    group.CellBuffers.assign(group.VertexBuffers.size(), {});
    for (TCellBuffer& cells : group.CellBuffers) {
        if (stream.AtEnd()) break;
        cells.resize(stream.CapCount(ReadU32(stream), 12));
        for (TGBufferCell& cell : cells)
            ReadGBufferCell(stream, cell);
    }
}

std::string FormatColorU32(uint32_t color) {
    return HexText(color >> 24, 2) + "#" + HexText(color & 0xFF, 2) + HexText((color >> 8) & 0xFF, 2) +
           HexText((color >> 16) & 0xFF, 2);
}

std::string FormatColorRGBA(const TColorRGBA& color) {
    return HexText(ColorChannelByte(color.A), 2) + "#" + HexText(ColorChannelByte(color.R), 2) +
           HexText(ColorChannelByte(color.G), 2) + HexText(ColorChannelByte(color.B), 2);
}

// ---- Geometry spans

void ReadGeometrySpan(TPlasmaStream& stream, TGeometrySpan& span) {
    ReadMatrix44(stream, span.LocalToWorld);
    ReadMatrix44(stream, span.WorldToLocal);
    ReadBounds3Ext(stream, span.LocalBounds);
    ReadMatrix44(stream, span.OBBToLocal);
    ReadMatrix44(stream, span.LocalToOBB);
    stream.ReadValue(span.BaseMatrix);
    stream.ReadValue(span.NumMatrices);
    stream.ReadValue(span.UVWChans);
    stream.ReadValue(span.MaxBone);
    stream.ReadValue(span.PenBone);
    stream.ReadValue(span.MinDist);
    stream.ReadValue(span.MaxDist);
    stream.ReadValue(span.Format);
    stream.ReadValue(span.Props);
    stream.ReadValue(span.NumVerts);
    stream.ReadValue(span.NumIndices);
    ReadU32(stream);
    stream.ReadAs<uint8_t>();
    stream.ReadValue(span.DecalLevel);
    if (span.Props & kGeometrySpanWaterHeight) stream.ReadValue(span.WaterHeight);

    if (span.NumVerts > 0) {
        const uint8_t format = span.Format;
        // Each vertex stores its own fields, two colours of four floats and two packed colours.
        const uint32_t count = stream.CapCount(span.NumVerts, spanVertexSize(format) + 40);
        span.Vertices.resize(count);
        for (TGeometrySpanVertex& vertex : span.Vertices) {
            ReadVector3(stream, vertex.Position);
            ReadVector3(stream, vertex.Normal);
            for (int u = 0; u < FormatUVWCount(format); ++u)
                ReadVector3(stream, vertex.UVWs[u]);
            for (int i = 0; i < FormatWeightCount(format); ++i)
                stream.ReadValue(vertex.Weights[i]);
            if (FormatHasSkinIndices(format)) stream.ReadValue(vertex.SkinIndex);
        }
        span.MultColors.resize(count);
        span.AddColors.resize(count);
        for (uint32_t i = 0; i < count; ++i) {
            ReadColorRGBA(stream, span.MultColors[i]);
            ReadColorRGBA(stream, span.AddColors[i]);
        }
        readBlock(stream, span.DiffuseColors, count);
        readBlock(stream, span.SpecularColors, count);
    }
    if (span.NumIndices > 0) readBlock(stream, span.Indices, stream.CapCount(span.NumIndices, 2));
    stream.ReadValue(span.InstanceGroup);
    if (span.InstanceGroup != 0) stream.ReadValue(span.NumInstanceRefs);
}

std::vector<TGeometrySpan> ReadGeometrySpanList(TPlasmaStream& stream) {
    const uint32_t count = stream.CapCount(ReadU32(stream), geometrySpanMinSize(stream));
    std::vector<TGeometrySpan> spans;
    spans.reserve(count);
    for (uint32_t i = 0; i < count && !stream.AtEnd(); ++i)
        ReadGeometrySpan(stream, spans.emplace_back());
    return spans;
}

// ---- Spans and icicles

void ReadSpan(TPlasmaStream& stream, TIcicle& icicle) {
    stream.ReadValue(icicle.SubType);
    stream.ReadValue(icicle.Material);
    ReadMatrix44(stream, icicle.LocalToWorld);
    ReadMatrix44(stream, icicle.WorldToLocal);
    stream.ReadValue(icicle.Props);
    ReadBounds3Ext(stream, icicle.LocalBounds);
    ReadBounds3Ext(stream, icicle.WorldBounds);
    stream.ReadValue(icicle.NumMatrices);
    stream.ReadValue(icicle.BaseMatrix);
    stream.ReadValue(icicle.LocalUVWChans);
    stream.ReadValue(icicle.MaxBoneIdx);
    stream.ReadValue(icicle.PenBoneIdx);
    stream.ReadValue(icicle.MinDist);
    stream.ReadValue(icicle.MaxDist);
    if (icicle.Props & kIcicleWaterHeight) stream.ReadValue(icicle.WaterHeight);
}

void ReadVertexSpan(TPlasmaStream& stream, TIcicle& icicle) {
    ReadSpan(stream, icicle);
    stream.ReadValue(icicle.GroupIdx);
    stream.ReadValue(icicle.VBufferIdx);
    stream.ReadValue(icicle.CellIdx);
    stream.ReadValue(icicle.CellOffset);
    stream.ReadValue(icicle.VStartIdx);
    stream.ReadValue(icicle.VLength);
}

void ReadIcicle(TPlasmaStream& stream, TIcicle& icicle) {
    ReadVertexSpan(stream, icicle);
    stream.ReadValue(icicle.IBufferIdx);
    stream.ReadValue(icicle.IStartIdx);
    stream.ReadValue(icicle.ILength);
    if (icicle.Props & kIcicleSortData) {
        icicle.SortData.resize(stream.CapCount(icicle.ILength / 3, 20));
        for (TTriFace& face : icicle.SortData)
            ReadTriFace(stream, face);
    }
}

std::vector<TIcicle> ReadIcicleList(TPlasmaStream& stream) {
    const uint32_t count = stream.CapCount(ReadU32(stream), icicleMinSize(stream));
    std::vector<TIcicle> icicles;
    icicles.reserve(count);
    for (uint32_t i = 0; i < count && !stream.AtEnd(); ++i)
        ReadIcicle(stream, icicles.emplace_back());
    return icicles;
}

void ReadTriFace(TPlasmaStream& stream, TTriFace& face) {
    stream.ReadValue(face.Idx1);
    stream.ReadValue(face.Idx2);
    stream.ReadValue(face.Idx3);
    stream.ReadValue(face.Span);
    ReadVector3(stream, face.Center);
}

void ReadDISpanIndex(TPlasmaStream& stream, TDISpanIndex& index) {
    stream.ReadValue(index.Flags);
    readBlock(stream, index.Indices, stream.CapCount(ReadU32(stream), 4));
}

// ---- Space trees

void ReadSpaceTreeNode(TPlasmaStream& stream, TSpaceTreeNode& node) {
    ReadBounds3Ext(stream, node.WorldBounds);
    stream.ReadValue(node.Flags);
    stream.ReadValue(node.Parent);
    stream.ReadValue(node.LeftChild);
    stream.ReadValue(node.RightChild);
}

void ReadSpaceTree(TPlasmaStream& stream, TSpaceTree& tree) {
    stream.ReadValue(tree.Root);
    stream.ReadValue(tree.NumLeaves);
    const uint32_t count = stream.CapCount(ReadU32(stream), kBoundsMinSize + 8);
    tree.Nodes.clear();
    tree.Nodes.reserve(count);
    for (uint32_t i = 0; i < count && !stream.AtEnd(); ++i)
        ReadSpaceTreeNode(stream, tree.Nodes.emplace_back());
}
