#pragma once
// Layer and material bodies and the flag tables of their state words.
#include <array>
#include <cstdint>
#include <vector>

#include "MatrixBounds.h"
#include "ObjectParts.h"

struct TPRPLayerInterface {
    TPRPObjectDesc Underlay;
};

// Stored order: blend, clamp, shade, Z, misc.
using TLayerState = std::array<uint32_t, 5>;

struct TLayerRecord {
    TSynchedObject SynchedObject;
    TPRPLayerInterface LayerInterface;
    TLayerState State{};
    TMatrix44 UVWTransform;
    // Preshade, runtime, ambient, specular.
    std::array<TColorRGBA, 4> Colors{};
    uint32_t UVWSource = 0;
    float Opacity = 0;
    float LODBias = 0;
    float SpecularPower = 0;
    TPRPObjectDesc Texture;
    TPRPObjectDesc VertexShader;
    TPRPObjectDesc PixelShader;
    TMatrix44 BumpEnvTransform;
};

struct TMaterialRecord {
    TSynchedObject SynchedObject;
    uint32_t LoadFlags = 0;
    uint32_t CompFlags = 0;
    TKeySlots Layers;
    TKeySlots PiggyBacks;
};

// The five state words' flag tables and group captions, in stored order.
struct TLayerStateGroup {
    const char* Caption;
    TFlagTable Flags;
};
extern const std::array<TLayerStateGroup, 5> kLayerStateGroups;
extern const TFlagTable kMaterialCompFlags;

TPRPLayerInterface ReadLayerInterfacePart(TPlasmaStream& stream);
TLayerState ReadLayerState(TPlasmaStream& stream);
TLayerRecord ReadLayer(TPlasmaStream& stream);
TMaterialRecord ReadMaterial(TPlasmaStream& stream);
