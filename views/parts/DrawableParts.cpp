#include "DrawableParts.h"

#include <algorithm>
#include <cstdint>

namespace {

const TFlagBit drawableSpansProps[] = {
    {0x1, "kPropNoDraw", "No Draw"},          {0x4, "kPropSortSpans", "Sort Spans"},
    {0x8, "kPropSortFaces", "Sort Faces"},    {0x10, "kPropVolatile", "Volatile"},
    {0x20, "kPropNoReSort", "No ReSort"},     {0x40, "kPropPartialSort", "Partial Sort"},
    {0x80, "kPropCharacter", "Character"},    {0x100, "kPropSortAsOne", "Sort as One"},
    {0x200, "kPropHasVisLOS", "Has Vis LOS"},
};

const TFlagBit drawableSpansCriteria[] = {
    {0x1, "kCritStatic", "Static"},
    {0x2, "kCritSortSpans", "Sort Spans"},
    {0x8, "kCritSortFaces", "Sort Faces"},
    {0x10, "kCritCharacter", "Character"},
};

const TFlagBit sharedMeshFlags[] = {
    {kDontSaveMorphState, "kDontSaveMorphState", "Don't Save Morph State"},
    {kLayer0GlobalToMod, "kLayer0GLobalToMod", "Layer 0 Global to Mod"},
};

// The bytes one stored `key` takes at least; nothing in formats whose keys are not stored.
size_t keyRefMinSize(const TPlasmaStream& stream) {
    const uint16_t version = stream.Header.Version;
    return IsUruFamily(version) || IsMystVFamily(version) ? stream.MinKeyRefSize() : 0;
}

// Bounds not stored for an object without DI spans.
TBounds3Ext unstoredBounds() {
    TBounds3Ext bounds;
    bounds.Bounds.BoundsType = 2;
    return bounds;
}

void readSpanInfos(TPlasmaStream& stream, TDrawableSpansRecord& record) {
    // The stored count decides whether bounds follow; spans cut off by the end of the data still count.
    const uint32_t stored = ReadU32(stream);
    if (stored == 0) {
        record.LocalBounds = record.WorldBounds = record.MaxWorldBounds = unstoredBounds();
        return;
    }
    const uint32_t count = stream.CapCount(stored, 4 + keyRefMinSize(stream));
    record.SpanInfos.resize(count);
    for (TSpanInfo& info : record.SpanInfos)
        stream.ReadValue(info.Index);
    for (TSpanInfo& info : record.SpanInfos)
        stream.ReadKeyRef(info.Key);
    ReadBounds3Ext(stream, record.LocalBounds);
    ReadBounds3Ext(stream, record.WorldBounds);
    ReadBounds3Ext(stream, record.MaxWorldBounds);
    for (TSpanInfo& info : record.SpanInfos) {
        if (stream.AtEnd()) break;
        // A span that names no icicle has no perma lists.
        const uint32_t props = info.Index < record.Icicles.size() ? record.Icicles[info.Index].Props : 0;
        if (props & kIciclePermaLights) info.PermaLights = ReadKeySlots(stream);
        if (props & kIciclePermaProjs) info.PermaProjs = ReadKeySlots(stream);
    }
}

} // namespace

const TFlagTable kDrawableSpansProps{drawableSpansProps};
const TFlagTable kDrawableSpansCriteria{drawableSpansCriteria};
const TFlagTable kSharedMeshFlags{sharedMeshFlags};

TDrawableSpansRecord ReadDrawableSpans(TPlasmaStream& stream) {
    TDrawableSpansRecord record;
    stream.ReadValue(record.Props);
    stream.ReadValue(record.Criteria);
    stream.ReadValue(record.RenderLevel);
    record.Materials = ReadKeySlots(stream);
    record.Icicles = ReadIcicleList(stream);
    ReadU32(stream);
    readSpanInfos(stream, record);
    record.GeometrySpans = ReadGeometrySpanList(stream);

    const size_t matrixSize =
        stream.Header.MajorVersion == kMajorVersionLive || stream.Header.Version == kVersionHexIsle ? 1 : 64;
    const uint32_t groupCount = stream.CapCount(ReadU32(stream), 4 * matrixSize);
    record.MatrixGroups.reserve(groupCount);
    for (uint32_t i = 0; i < groupCount && !stream.AtEnd(); ++i) {
        TMatrixGroup& group = record.MatrixGroups.emplace_back();
        for (TMatrix44& m : group)
            ReadMatrix44(stream, m);
    }

    const uint32_t indexCount = stream.CapCount(ReadU32(stream), 8);
    record.SpanIndices.reserve(indexCount);
    for (uint32_t i = 0; i < indexCount && !stream.AtEnd(); ++i)
        ReadDISpanIndex(stream, record.SpanIndices.emplace_back());

    const uint32_t bufferGroupCount = stream.CapCount(ReadU32(stream), 13);
    record.BufferGroups.reserve(bufferGroupCount);
    for (uint32_t i = 0; i < bufferGroupCount && !stream.AtEnd(); ++i)
        ReadGBufferGroup(stream, record.BufferGroups.emplace_back());

    if (!stream.AtEnd()) {
        const uint16_t marker = stream.ReadAs<uint16_t>();
        if (marker != kNoSpaceTree) {
            ReadSpaceTree(stream, record.SpaceTree);
            record.HasSpaceTree = true;
        }
    }
    stream.ReadKeyRef(record.SceneNode);
    return record;
}

TSharedMeshRecord ReadSharedMesh(TPlasmaStream& stream) {
    TSharedMeshRecord record;
    record.GeometrySpans = ReadGeometrySpanList(stream);
    stream.ReadKeyRef(record.MorphSet);
    stream.ReadValue(record.Flags);
    return record;
}

void ReadVertDelta(TPlasmaStream& stream, TVertDelta& vd) {
    stream.ReadValue(vd.Index);
    stream.ReadValue(vd.Padding);
    ReadVector3(stream, vd.PosDelta);
    ReadVector3(stream, vd.NormDelta);
}

void ReadMorphSpan(TPlasmaStream& stream, TMorphSpan& span) {
    const uint32_t stored = ReadU32(stream);
    stream.ReadValue(span.NumUVWChans);
    if (stored == 0) return;
    span.Deltas.resize(stream.CapCount(stored, 28));
    for (TVertDelta& vd : span.Deltas)
        ReadVertDelta(stream, vd);
    // The run holds NumUVWChans vectors for every stored delta; a product past 32 bits is capped too.
    const uint64_t uvwCount = uint64_t(span.NumUVWChans) * stored;
    span.UVWs.resize(stream.CapCount(uint32_t(std::min<uint64_t>(uvwCount, UINT32_MAX)), 12));
    for (TVector3& uvw : span.UVWs)
        ReadVector3(stream, uvw);
}

void ReadMorphDelta(TPlasmaStream& stream, TMorphDelta& delta) {
    stream.ReadValue(delta.Weight);
    const uint32_t count = stream.CapCount(ReadU32(stream), 8);
    delta.Spans.reserve(count);
    for (uint32_t i = 0; i < count && !stream.AtEnd(); ++i)
        ReadMorphSpan(stream, delta.Spans.emplace_back());
}

void ReadMorphArray(TPlasmaStream& stream, TMorphArray& array) {
    const uint32_t count = stream.CapCount(ReadU32(stream), 8);
    array.reserve(count);
    for (uint32_t i = 0; i < count && !stream.AtEnd(); ++i)
        ReadMorphDelta(stream, array.emplace_back());
}

std::vector<TMorphArray> ReadMorphDataSet(TPlasmaStream& stream) {
    const uint32_t count = stream.CapCount(ReadU32(stream), 4);
    std::vector<TMorphArray> arrays;
    arrays.reserve(count);
    for (uint32_t i = 0; i < count && !stream.AtEnd(); ++i)
        ReadMorphArray(stream, arrays.emplace_back());
    return arrays;
}
