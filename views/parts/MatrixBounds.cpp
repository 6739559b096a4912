#include "MatrixBounds.h"

namespace {

const TFlagBit boundsTypeFlags[] = {
    {0x1, "kCenterValid", "Center Valid"},
    {0x2, "kIsSphere", "Is Sphere"},
};

const TFlagBit bounds3ExtFlags[] = {
    {0x1, "kAxisAligned", "Axis Aligned"},    {0x2, "kSphereSet", "Sphere Set"},
    {0x4, "kDistsSet", "Dists Set"},          {0x100000, "kAxisZeroZero", "X-Axis = 0"},
    {0x200000, "kAxisOneZero", "Y-Axis = 0"}, {0x400000, "kAxisTwoZero", "Z-Axis = 0"},
};

} // namespace

const TFlagTable kBoundsTypeFlags{boundsTypeFlags};
const TFlagTable kBounds3ExtFlags{bounds3ExtFlags};

void ReadMatrix44(TPlasmaStream& stream, TMatrix44& m) {
    if (stream.Header.MajorVersion == kMajorVersionLive || stream.Header.Version == kVersionHexIsle) {
        uint8_t present = 0;
        if (stream.Read(&present, 1) == 0) return;
        if (present == 0) {
            SetMatrix44Identity(m);
            return;
        }
    }
    for (auto& row : m.m)
        for (float& value : row)
            stream.ReadValue(value);
}

TMatrix44 ReadMatrix44(TPlasmaStream& stream) {
    TMatrix44 m;
    ReadMatrix44(stream, m);
    return m;
}

void SetMatrix44Identity(TMatrix44& m) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m[i][j] = i == j ? 1.0f : 0.0f;
}

TMatrix44 IdentityMatrix44() {
    TMatrix44 m;
    SetMatrix44Identity(m);
    return m;
}

void MultiplyMatrix44(const TMatrix44& a, const TMatrix44& b, TMatrix44& p) {
    const TMatrix44 left = a, right = b;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            long double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += static_cast<long double>(left[i][k]) * right[k][j];
            p[i][j] = static_cast<float>(sum);
        }
}

void ReadBounds3(TPlasmaStream& stream, TBounds3& b) {
    stream.ReadValue(b.BoundsType);
    ReadVector3(stream, b.Min);
    ReadVector3(stream, b.Max);
}

void ReadBounds3Ext(TPlasmaStream& stream, TBounds3Ext& b) {
    stream.ReadValue(b.Flags);
    ReadBounds3(stream, b.Bounds);
    if (b.Flags & kBoundsAxisAligned) return;
    ReadVector3(stream, b.Corner);
    for (int i = 0; i < 3; ++i) {
        ReadVector3(stream, b.Axes[i]);
        stream.ReadValue(b.Dists[i][0]);
        stream.ReadValue(b.Dists[i][1]);
    }
}
