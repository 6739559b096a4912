#pragma once
// Geometry records of drawable spans and shared meshes: geometry buffer groups with the quantised vertex
// coder, geometry spans, icicles, DI span indices and space trees, with their readers. Every count read
// from an object is capped by the bytes left, and list loops stop at the end of the data.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "MatrixBounds.h"
#include "ObjectParts.h"

// ---- Vertex format byte: bits 0-3 UVW channel count, bits 4-5 weight count, 0x40 skin index,
// 0x80 vertices coded.

constexpr uint8_t kFormatUVWMask = 0x0F;
constexpr uint8_t kFormatWeightMask = 0x30;
constexpr uint8_t kFormatSkinIndices = 0x40;
constexpr uint8_t kFormatEncoded = 0x80;
// The 4-bit count allows fifteen UVW channels; every record keeps room for all of them.
constexpr int kMaxUVWChannels = 16;

inline int FormatUVWCount(uint8_t format) {
    return format & kFormatUVWMask;
}
inline int FormatWeightCount(uint8_t format) {
    return (format & kFormatWeightMask) >> 4;
}
inline bool FormatHasSkinIndices(uint8_t format) {
    return (format & kFormatSkinIndices) != 0;
}

// ---- Geometry buffer groups

struct TGBufferVertex {
    TVector3 Position;
    std::array<float, 3> Weights{};
    uint32_t SkinIndex = 0;
    TVector3 Normal;
    uint32_t Color = 0;
    std::array<TVector3, kMaxUVWChannels> UVWs{};
};
using TVertexBuffer = std::vector<TGBufferVertex>;
using TIndexBuffer = std::vector<uint16_t>; // three per triangle

struct TGBufferCell {
    uint32_t VertexStart = 0;
    uint32_t ColorStart = 0;
    uint32_t Length = 0;
};
using TCellBuffer = std::vector<TGBufferCell>;

struct TGBufferGroup {
    uint8_t Format = 0;
    std::vector<TVertexBuffer> VertexBuffers;
    std::vector<TIndexBuffer> IndexBuffers;
    std::vector<TCellBuffer> CellBuffers; // one per vertex buffer
};

// The run-length decoder state of one group read; runs carry on from one vertex buffer to the next.
class TVertexCoder {
public:
    // Channel 0 position, 1 weights, 2.. the UVW channels; components x, y, z (weights 0, 1, 2).
    static constexpr int kFloatChannels = 2 + kMaxUVWChannels;
    struct TFloatRun {
        float Offset = 0;
        bool AllSame = false;
        uint16_t Count = 0;
    };
    struct TColorRun {
        uint16_t Count = 0;
        uint8_t Value = 0;
        bool Same = false;
    };
    std::array<std::array<TFloatRun, kFloatChannels>, 3> Floats{};
    std::array<TColorRun, 4> Colors{};

    float DecodeFloat(TPlasmaStream& stream, int channel, int component);
    uint8_t DecodeColorByte(TPlasmaStream& stream, int channel);
    uint32_t DecodeColor(TPlasmaStream& stream);
    void DecodeVertex(TPlasmaStream& stream, uint8_t format, TGBufferVertex& vertex);
};

// Not run-coded: three bytes in Live, three i16 elsewhere.
TVector3 DecodeNormal(TPlasmaStream& stream);
// The bytes one plain vertex of this format takes.
size_t PlainVertexSize(uint8_t format);
void ReadPlainVertex(TPlasmaStream& stream, uint8_t format, TGBufferVertex& vertex);
void ReadGBufferCell(TPlasmaStream& stream, TGBufferCell& cell);
void ReadGBufferGroup(TPlasmaStream& stream, TGBufferGroup& group);

// Alpha, "#", then bytes 0, 1 and 2: "FF#102030".
std::string FormatColorU32(uint32_t color);
// Alpha, "#", then red, green and blue, each channel x 255 truncated.
std::string FormatColorRGBA(const TColorRGBA& color);

// ---- Geometry spans

struct TGeometrySpanVertex {
    TVector3 Position;
    TVector3 Normal;
    std::array<TVector3, kMaxUVWChannels> UVWs{};
    std::array<float, 3> Weights{};
    uint32_t SkinIndex = 0;
};

// Span property bit that stores a water height.
constexpr uint32_t kGeometrySpanWaterHeight = 0x800;

struct TGeometrySpan {
    TMatrix44 LocalToWorld;
    TMatrix44 WorldToLocal;
    TBounds3Ext LocalBounds;
    TMatrix44 OBBToLocal;
    TMatrix44 LocalToOBB;
    uint32_t BaseMatrix = 0;
    uint8_t NumMatrices = 0;
    uint16_t UVWChans = 0;
    uint16_t MaxBone = 0;
    uint16_t PenBone = 0;
    float MinDist = 0;
    float MaxDist = 0;
    uint8_t Format = 0;
    uint32_t Props = 0;
    uint32_t NumVerts = 0;   // as stored; the arrays hold what the data has room for
    uint32_t NumIndices = 0; // as stored
    uint32_t DecalLevel = 0;
    float WaterHeight = 0;
    std::vector<TGeometrySpanVertex> Vertices;
    std::vector<TColorRGBA> MultColors;
    std::vector<TColorRGBA> AddColors;
    std::vector<uint32_t> DiffuseColors;
    std::vector<uint32_t> SpecularColors;
    std::vector<uint16_t> Indices;
    uint32_t InstanceGroup = 0;
    uint32_t NumInstanceRefs = 0;
};

extern const TFlagTable kGeometrySpanProps; // without "Lite Material", which is ticked for Props 0

void ReadGeometrySpan(TPlasmaStream& stream, TGeometrySpan& span);
// u32 count, then that many spans, each into a cleared record.
std::vector<TGeometrySpan> ReadGeometrySpanList(TPlasmaStream& stream);

// ---- Spans and icicles

struct TTriFace {
    uint16_t Idx1 = 0, Idx2 = 0, Idx3 = 0;
    uint16_t Span = 0;
    TVector3 Center;
};

constexpr uint32_t kIcicleSortData = 0x4;
constexpr uint32_t kIcicleWaterHeight = 0x10;
constexpr uint32_t kIciclePermaLights = 0x80;
constexpr uint32_t kIciclePermaProjs = 0x100;

struct TIcicle {
    // Span part.
    uint32_t SubType = 0;
    uint32_t Material = 0;
    TMatrix44 LocalToWorld;
    TMatrix44 WorldToLocal;
    uint32_t Props = 0;
    TBounds3Ext LocalBounds;
    TBounds3Ext WorldBounds;
    uint32_t NumMatrices = 0;
    uint32_t BaseMatrix = 0;
    uint16_t LocalUVWChans = 0;
    uint16_t MaxBoneIdx = 0;
    uint16_t PenBoneIdx = 0;
    float MinDist = 0;
    float MaxDist = 0;
    float WaterHeight = 0;
    // Vertex-span part.
    uint32_t GroupIdx = 0;
    uint32_t VBufferIdx = 0;
    uint32_t CellIdx = 0;
    uint32_t CellOffset = 0;
    uint32_t VStartIdx = 0;
    uint32_t VLength = 0;
    // Icicle part.
    uint32_t IBufferIdx = 0;
    uint32_t IStartIdx = 0;
    uint32_t ILength = 0;
    std::vector<TTriFace> SortData;
};

void ReadSpan(TPlasmaStream& stream, TIcicle& icicle);
void ReadVertexSpan(TPlasmaStream& stream, TIcicle& icicle);
void ReadIcicle(TPlasmaStream& stream, TIcicle& icicle);
void ReadTriFace(TPlasmaStream& stream, TTriFace& face);
// u32 count, then that many icicles, each into a cleared record.
std::vector<TIcicle> ReadIcicleList(TPlasmaStream& stream);

struct TDISpanIndex {
    uint32_t Flags = 0;
    std::vector<uint32_t> Indices;
};

void ReadDISpanIndex(TPlasmaStream& stream, TDISpanIndex& index);

// ---- Space trees

struct TSpaceTreeNode {
    TBounds3Ext WorldBounds;
    uint16_t Flags = 0;
    int16_t Parent = 0; // positions in Nodes; negative means none
    int16_t LeftChild = 0;
    int16_t RightChild = 0;
};

struct TSpaceTree {
    uint16_t Root = 0;
    uint32_t NumLeaves = 0;
    std::vector<TSpaceTreeNode> Nodes;
};

extern const TFlagTable kSpaceTreeNodeFlags;

void ReadSpaceTreeNode(TPlasmaStream& stream, TSpaceTreeNode& node);
void ReadSpaceTree(TPlasmaStream& stream, TSpaceTree& tree);
