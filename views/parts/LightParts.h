#pragma once
// The light-info part and the light bodies built on it.
#include <array>
#include <cstdint>
#include <vector>

#include "MatrixBounds.h"
#include "ObjectParts.h"

struct TLightInfo {
    TSynchedObject SynchedObject;
    TObjInterface ObjInterface;
    // Ambient, diffuse, specular as packed display colours, with their alphas as read.
    std::array<uint32_t, 3> Colors{};
    std::array<float, 3> Alphas{};
    // Light to local, local to light, light to world, world to light.
    std::array<TMatrix44, 4> Matrices{};
    TPRPObjectDesc ProjectionLayer;
    TPRPObjectDesc SoftVolume;
    TPRPObjectDesc SceneNode;
    TKeySlots VisRegions; // an absent key leaves an empty slot
};

struct TplOmniLightInfo {
    TLightInfo LightInfo;
    float AttenConst = 0;
    float AttenLinear = 0;
    float AttenQuadratic = 0;
    float AttenCutoff = 0;
};

struct TSpotLightRecord {
    TplOmniLightInfo OmniLightInfo;
    float Falloff = 0;
    float SpotInner = 0;
    float SpotOuter = 0;
};

struct TLimitedDirLightRecord {
    TLightInfo LightInfo;
    float Width = 0;
    float Height = 0;
    float Depth = 0;
};

constexpr const char* kLightInfoPartName = "Light Info";
// The part window's class index: 79 for a Myst V record, 84 for every other.
uint16_t LightInfoPartClass(const TLightInfo& light);

TLightInfo ReadLightInfoPart(TPlasmaStream& stream);
TplOmniLightInfo ReadOmniLightInfoPart(TPlasmaStream& stream);
TSpotLightRecord ReadSpotLight(TPlasmaStream& stream);
TLimitedDirLightRecord ReadLimitedDirLight(TPlasmaStream& stream);
