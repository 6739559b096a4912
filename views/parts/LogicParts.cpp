#include "LogicParts.h"

namespace {
const TFlagBit collisionTypes[] = {
    {0x01, "kTypeEnter", "Enter"},      {0x02, "kTypeExit", "Exit"},      {0x04, "kTypeAny", "Any"},
    {0x08, "kTypeUnEnter", "Un-Enter"}, {0x10, "kTypeUnExit", "Un-Exit"}, {0x20, "kTypeBump", "Bump"},
};

const TFlagBit notifyFlags[] = {
    {0x1, "kNotifyEnter", "Enter"},
    {0x2, "kNotifyLoop", "Loop"},
    {0x4, "kNotifyAdvance", "Advance"},
    {0x8, "kNotifyRegress", "Regress"},
};

// A stage stores this many bytes after its name: 1 + 5 x 4 + 1 + 4 + 1 + 4.
constexpr size_t kAnimStageFixedSize = 31;

bool readFlagByte(TPlasmaStream& stream) {
    uint8_t value = 0;
    stream.ReadValue(value);
    return value != 0;
}
} // namespace

const TFlagTable kCollisionTypeFlags{collisionTypes};
const TFlagTable kAnimStageNotifyFlags{notifyFlags};

uint16_t CollisionDetectorPartClass(const TCollisionDetector& part) {
    return part.Detector.SynchedObject.Version == kVersionMystV ? 43 : 44;
}

uint16_t AnimStagePartClass(const TplAnimStage& stage) {
    if (IsMystVFamily(stage.Version)) return 709;
    return stage.Version == kVersionLive ? 881 : 876;
}

TDetectorModifier ReadDetectorModifierPart(TPlasmaStream& stream) {
    TDetectorModifier part;
    part.SynchedObject = ReadSynchedObjectPart(stream);
    part.Modifier = ReadModifierPart(stream);
    part.Receivers = ReadKeySlots(stream);
    stream.ReadKeyRef(part.RemoteMod);
    stream.ReadKeyRef(part.Proxy);
    return part;
}

TCollisionDetector ReadCollisionDetectorPart(TPlasmaStream& stream) {
    TCollisionDetector part;
    part.Detector = ReadDetectorModifierPart(stream);
    stream.ReadValue(part.CollisionType);
    return part;
}

TPanicLinkRegionRecord ReadPanicLinkRegion(TPlasmaStream& stream) {
    TPanicLinkRegionRecord record;
    record.CollisionDetector = ReadCollisionDetectorPart(stream);
    record.PlayLinkOutAnim = readFlagByte(stream);
    return record;
}

TConditionalObject ReadConditionalObjectPart(TPlasmaStream& stream) {
    TConditionalObject part;
    part.Satisfied = readFlagByte(stream);
    part.Toggle = readFlagByte(stream);
    return part;
}

TActivatorConditionalObjectRecord ReadActivatorConditionalObject(TPlasmaStream& stream) {
    TActivatorConditionalObjectRecord record;
    record.ConditionalObject = ReadConditionalObjectPart(stream);
    record.Conditions = ReadKeySlots(stream);
    return record;
}

TplAnimStage ReadAnimStage(TPlasmaStream& stream) {
    TplAnimStage stage;
    stream.ReadSafeString(stage.AnimName);
    stream.ReadValue(stage.NotifyFlags);
    stream.ReadValue(stage.ForwardType);
    stream.ReadValue(stage.BackwardType);
    stream.ReadValue(stage.AdvanceType);
    stream.ReadValue(stage.RegressType);
    stream.ReadValue(stage.Loops);
    stage.DoAdvanceTo = readFlagByte(stream);
    // The target is stored whether or not it is used.
    stream.ReadValue(stage.AdvanceTo);
    stage.DoRegressTo = readFlagByte(stream);
    stream.ReadValue(stage.RegressTo);
    stage.Version = stream.Header.Version;
    return stage;
}

TMultiStageBehModRecord ReadMultiStageBehMod(TPlasmaStream& stream) {
    TMultiStageBehModRecord record;
    record.SynchedObject = ReadSynchedObjectPart(stream);
    record.Modifier = ReadModifierPart(stream);
    record.FreezePhysics = readFlagByte(stream);
    record.SmartSeek = readFlagByte(stream);
    record.ReverseFBControlsOnRelease = readFlagByte(stream);
    const uint32_t count = stream.CapCount(ReadU32(stream), kAnimStageFixedSize);
    record.Stages.reserve(count);
    for (uint32_t i = 0; i < count && !stream.AtEnd(); ++i)
        record.Stages.push_back(ReadAnimStage(stream));
    record.Receivers = ReadKeySlots(stream);
    return record;
}
