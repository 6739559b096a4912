#pragma once
// 4x4 transforms and bounding volumes as stored in object bodies, their readers and the two matrix
// operations the transform window uses.
#include <array>
#include <cstdint>

#include "ObjectParts.h"

// Element [row][column]; translation sits in column 3 of rows 0..2.
struct TMatrix44 {
    std::array<std::array<float, 4>, 4> m{};
    std::array<float, 4>& operator[](int row) { return m[row]; }
    const std::array<float, 4>& operator[](int row) const { return m[row]; }
    bool operator==(const TMatrix44&) const = default;
};

struct TBounds3 {
    uint32_t BoundsType = 0;
    TVector3 Min;
    TVector3 Max;
};

struct TBounds3Ext {
    uint32_t Flags = 0;
    TBounds3 Bounds;
    // Stored only when Flags bit 0x1 (axis aligned) is clear.
    TVector3 Corner;
    std::array<TVector3, 3> Axes{};
    std::array<std::array<float, 2>, 3> Dists{};
};

constexpr uint32_t kBoundsAxisAligned = 0x1;

extern const TFlagTable kBoundsTypeFlags;
extern const TFlagTable kBounds3ExtFlags;

// Live (major version 70) and Hex Isle store a present byte first; 0 means the identity follows
// instead of 16 floats. Past the end of the data the matrix keeps what it held.
void ReadMatrix44(TPlasmaStream& stream, TMatrix44& m);
TMatrix44 ReadMatrix44(TPlasmaStream& stream);
void SetMatrix44Identity(TMatrix44& m);
TMatrix44 IdentityMatrix44();
// p := a x b; p may be a or b.
void MultiplyMatrix44(const TMatrix44& a, const TMatrix44& b, TMatrix44& p);

void ReadBounds3(TPlasmaStream& stream, TBounds3& b);
void ReadBounds3Ext(TPlasmaStream& stream, TBounds3Ext& b);
