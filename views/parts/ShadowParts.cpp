#include "ShadowParts.h"

namespace {
const TFlagBit castFlags[] = {
    {0x1, "kSelfShadow", "Self Shadow"},
    {0x2, "kPerspective", "Perspective"},
    {0x4, "kLimitRes", "Limit Resolution"},
};
} // namespace

const TFlagTable kShadowCastFlags{castFlags};

TShadowCasterRecord ReadShadowCaster(TPlasmaStream& stream) {
    TShadowCasterRecord record;
    record.SynchedObject = ReadSynchedObjectPart(stream);
    record.Modifier = ReadModifierPart(stream);
    stream.ReadValue(record.CastFlags);
    stream.ReadValue(record.Boost);
    stream.ReadValue(record.AttenScale);
    stream.ReadValue(record.BlurScale);
    return record;
}

TShadowMasterRecord ReadShadowMaster(TPlasmaStream& stream) {
    TShadowMasterRecord record;
    record.SynchedObject = ReadSynchedObjectPart(stream);
    record.ObjInterface = ReadObjInterfacePart(stream);
    stream.ReadValue(record.AttenDist);
    stream.ReadValue(record.MaxDist);
    stream.ReadValue(record.MinDist);
    stream.ReadValue(record.MaxSize);
    stream.ReadValue(record.MinSize);
    stream.ReadValue(record.Power);
    return record;
}

TSpawnModifierRecord ReadSpawnModifier(TPlasmaStream& stream) {
    TSpawnModifierRecord record;
    record.SynchedObject = ReadSynchedObjectPart(stream);
    record.Modifier = ReadModifierPart(stream);
    return record;
}

TImageLibModRecord ReadImageLibMod(TPlasmaStream& stream) {
    TImageLibModRecord record;
    record.SynchedObject = ReadSynchedObjectPart(stream);
    record.Modifier = ReadModifierPart(stream);
    record.Images = ReadKeySlots(stream);
    return record;
}
