#include "SceneParts.h"

TSceneNodeRecord ReadSceneNode(TPlasmaStream& stream) {
    TSceneNodeRecord record;
    record.SceneObjects = ReadKeySlots(stream);
    record.PoolObjects = ReadKeySlots(stream);
    return record;
}

TSceneObjectRecord ReadSceneObject(TPlasmaStream& stream) {
    TSceneObjectRecord record;
    record.SynchedObject = ReadSynchedObjectPart(stream);
    record.DrawInterface = ReadKeyRefField(stream);
    record.SimulationInterface = ReadKeyRefField(stream);
    record.CoordinateInterface = ReadKeyRefField(stream);
    record.AudioInterface = ReadKeyRefField(stream);
    record.Interfaces = ReadKeySlots(stream);
    record.Modifiers = ReadKeySlots(stream);
    record.SceneNode = ReadKeyRefField(stream);
    return record;
}

TCoordinateInterfaceRecord ReadCoordinateInterface(TPlasmaStream& stream) {
    TCoordinateInterfaceRecord record;
    record.SynchedObject = ReadSynchedObjectPart(stream);
    record.ObjInterface = ReadObjInterfacePart(stream);
    for (auto& matrix : record.Matrices)
        ReadMatrix44(stream, matrix);
    record.Children = ReadKeySlots(stream);
    return record;
}

TDrawInterfaceRecord ReadDrawInterface(TPlasmaStream& stream) {
    TDrawInterfaceRecord record;
    record.SynchedObject = ReadSynchedObjectPart(stream);
    record.ObjInterface = ReadObjInterfacePart(stream);
    const uint32_t count = stream.CapCount(ReadU32(stream), sizeof(uint32_t) + stream.MinKeyRefSize());
    record.Drawables.reserve(count);
    for (uint32_t i = 0; i < count && !stream.AtEnd(); ++i) {
        TDrawableRef drawable;
        stream.ReadValue(drawable.DrawIndex);
        drawable.Present = stream.ReadKeyPresent();
        if (drawable.Present) stream.ReadKey(drawable.Key);
        record.Drawables.push_back(std::move(drawable));
    }
    record.Objects = ReadKeySlots(stream);
    return record;
}

TSimulationInterfaceRecord ReadSimulationInterface(TPlasmaStream& stream) {
    TSimulationInterfaceRecord record;
    record.SynchedObject = ReadSynchedObjectPart(stream);
    record.ObjInterface = ReadObjInterfacePart(stream);
    if (IsUruFamily(stream.Header.Version)) {
        record.Properties = ReadWordList(stream);
        stream.ReadValue(record.TrailingWord);
    }
    record.Physical = ReadKeyRefField(stream);
    return record;
}

TAudioInterfaceRecord ReadAudioInterface(TPlasmaStream& stream) {
    TAudioInterfaceRecord record;
    record.SynchedObject = ReadSynchedObjectPart(stream);
    record.ObjInterface = ReadObjInterfacePart(stream);
    record.Sound = ReadKeyRefField(stream);
    return record;
}
