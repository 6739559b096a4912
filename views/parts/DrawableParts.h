#pragma once
// Bodies of the drawable-spans, shared-mesh and morph-data-set objects and their readers.
#include <array>
#include <cstdint>
#include <vector>

#include "GeometryParts.h"

// One DI span: the icicle it belongs to, its key and the lights and projectors that always reach it.
struct TSpanInfo {
    uint32_t Index = 0;
    TPRPObjectDesc Key;
    TKeySlots PermaLights;
    TKeySlots PermaProjs;
};

// Local to world, world to local, local to bone, bone to local.
using TMatrixGroup = std::array<TMatrix44, 4>;

// The space-tree marker that stands for "no tree follows".
constexpr uint16_t kNoSpaceTree = 0x8000;

struct TDrawableSpansRecord {
    uint32_t Props = 0;
    uint32_t Criteria = 0;
    uint32_t RenderLevel = 0;
    TKeySlots Materials;
    std::vector<TIcicle> Icicles;
    std::vector<TSpanInfo> SpanInfos;
    TBounds3Ext LocalBounds;
    TBounds3Ext WorldBounds;
    TBounds3Ext MaxWorldBounds;
    std::vector<TGeometrySpan> GeometrySpans;
    std::vector<TMatrixGroup> MatrixGroups;
    std::vector<TDISpanIndex> SpanIndices;
    std::vector<TGBufferGroup> BufferGroups;
    bool HasSpaceTree = false;
    TSpaceTree SpaceTree;
    TPRPObjectDesc SceneNode;
};

extern const TFlagTable kDrawableSpansProps;
extern const TFlagTable kDrawableSpansCriteria;

TDrawableSpansRecord ReadDrawableSpans(TPlasmaStream& stream);

// ---- Shared meshes

constexpr uint32_t kDontSaveMorphState = 0x1;
constexpr uint32_t kLayer0GlobalToMod = 0x2;

struct TSharedMeshRecord {
    std::vector<TGeometrySpan> GeometrySpans;
    TPRPObjectDesc MorphSet;
    uint32_t Flags = 0; // shown, not kept by the object's own record
};

extern const TFlagTable kSharedMeshFlags;

TSharedMeshRecord ReadSharedMesh(TPlasmaStream& stream);

// ---- Morph data sets

struct TVertDelta {
    uint16_t Index = 0;
    uint16_t Padding = 0;
    TVector3 PosDelta;
    TVector3 NormDelta;
};

struct TMorphSpan {
    std::vector<TVertDelta> Deltas;
    uint32_t NumUVWChans = 0;
    std::vector<TVector3> UVWs; // NumUVWChans per delta, those of delta 0 first
};

struct TMorphDelta {
    float Weight = 0;
    std::vector<TMorphSpan> Spans;
};

using TMorphArray = std::vector<TMorphDelta>;

void ReadVertDelta(TPlasmaStream& stream, TVertDelta& vd);
void ReadMorphSpan(TPlasmaStream& stream, TMorphSpan& span);
void ReadMorphDelta(TPlasmaStream& stream, TMorphDelta& delta);
void ReadMorphArray(TPlasmaStream& stream, TMorphArray& array);
std::vector<TMorphArray> ReadMorphDataSet(TPlasmaStream& stream);
