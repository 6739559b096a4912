#pragma once
// Shadow caster, shadow master, spawn modifier and image library bodies.
#include <cstdint>
#include <vector>

#include "ObjectParts.h"

struct TShadowCasterRecord {
    TSynchedObject SynchedObject;
    TMSModifier Modifier;
    uint8_t CastFlags = 0;
    float Boost = 0;
    float AttenScale = 0;
    float BlurScale = 0;
};

struct TShadowMasterRecord {
    TSynchedObject SynchedObject;
    TObjInterface ObjInterface;
    float AttenDist = 0;
    float MaxDist = 0;
    float MinDist = 0;
    uint32_t MaxSize = 0;
    uint32_t MinSize = 0;
    float Power = 0;
};

struct TSpawnModifierRecord {
    TSynchedObject SynchedObject;
    TMSModifier Modifier;
};

struct TImageLibModRecord {
    TSynchedObject SynchedObject;
    TMSModifier Modifier;
    TKeySlots Images;
};

extern const TFlagTable kShadowCastFlags;

TShadowCasterRecord ReadShadowCaster(TPlasmaStream& stream);
TShadowMasterRecord ReadShadowMaster(TPlasmaStream& stream);
TSpawnModifierRecord ReadSpawnModifier(TPlasmaStream& stream);
TImageLibModRecord ReadImageLibMod(TPlasmaStream& stream);
