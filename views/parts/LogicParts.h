#pragma once
// Detector, collision detector and panic link region bodies, the conditional-object part with the
// activator body built on it, and the anim stage record with the multi-stage behaviour body.
#include <cstdint>
#include <string>
#include <vector>

#include "ObjectParts.h"

struct TDetectorModifier {
    TSynchedObject SynchedObject;
    TMSModifier Modifier;
    TKeySlots Receivers; // an absent key leaves an empty slot
    TPRPObjectDesc RemoteMod;
    TPRPObjectDesc Proxy;
};

struct TCollisionDetector {
    TDetectorModifier Detector;
    uint8_t CollisionType = 0;
};

struct TPanicLinkRegionRecord {
    TCollisionDetector CollisionDetector;
    bool PlayLinkOutAnim = false;
};

struct TConditionalObject {
    bool Satisfied = false;
    bool Toggle = false;
};

struct TActivatorConditionalObjectRecord {
    TConditionalObject ConditionalObject;
    TKeySlots Conditions; // an absent key leaves an empty slot
};

struct TplAnimStage {
    std::string AnimName;
    uint8_t NotifyFlags = 0;
    uint32_t ForwardType = 0;
    uint32_t BackwardType = 0;
    uint32_t AdvanceType = 0;
    uint32_t RegressType = 0;
    int32_t Loops = 0;
    bool DoAdvanceTo = false;
    int32_t AdvanceTo = 0;
    bool DoRegressTo = false;
    int32_t RegressTo = 0;
    uint16_t Version = 0; // the format code of the stream the stage came from; not stored
};

struct TMultiStageBehModRecord {
    TSynchedObject SynchedObject;
    TMSModifier Modifier;
    bool FreezePhysics = false;
    bool SmartSeek = false;
    bool ReverseFBControlsOnRelease = false;
    std::vector<TplAnimStage> Stages;
    TKeySlots Receivers;
};

extern const TFlagTable kCollisionTypeFlags;
extern const TFlagTable kAnimStageNotifyFlags;

// Part windows: display names and class indexes of their captions.
constexpr const char* kDetectorModifierPartName = "Detector Modifier";
constexpr uint16_t kDetectorModifierPartClass = 36;
constexpr const char* kCollisionDetectorPartName = "Collision Detector";
// 43 for a Myst V part, 44 for every other (Hex Isle included).
uint16_t CollisionDetectorPartClass(const TCollisionDetector& part);
constexpr const char* kConditionalObjectPartName = "Conditional Object";
constexpr uint16_t kConditionalObjectPartClass = 46;
constexpr const char* kAnimStagePartName = "Anim Stage";
// 709 for Myst V and Hex Isle stages, 881 for Live, 876 for every other code.
uint16_t AnimStagePartClass(const TplAnimStage& stage);

TDetectorModifier ReadDetectorModifierPart(TPlasmaStream& stream);
TCollisionDetector ReadCollisionDetectorPart(TPlasmaStream& stream);
TPanicLinkRegionRecord ReadPanicLinkRegion(TPlasmaStream& stream);
TConditionalObject ReadConditionalObjectPart(TPlasmaStream& stream);
TActivatorConditionalObjectRecord ReadActivatorConditionalObject(TPlasmaStream& stream);
TplAnimStage ReadAnimStage(TPlasmaStream& stream);
TMultiStageBehModRecord ReadMultiStageBehMod(TPlasmaStream& stream);
