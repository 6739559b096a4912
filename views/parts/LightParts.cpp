#include "LightParts.h"

#include "NumberText.h"

uint16_t LightInfoPartClass(const TLightInfo& light) {
    return light.SynchedObject.Version == kVersionMystV ? 79 : 84;
}

TLightInfo ReadLightInfoPart(TPlasmaStream& stream) {
    TLightInfo light;
    light.SynchedObject = ReadSynchedObjectPart(stream);
    light.ObjInterface = ReadObjInterfacePart(stream);
    for (int i = 0; i < 3; ++i) {
        TColorRGBA color;
        ReadColorRGBA(stream, color);
        light.Colors[i] = PackDisplayColor(color);
        light.Alphas[i] = color.A;
    }
    for (auto& matrix : light.Matrices)
        ReadMatrix44(stream, matrix);
    light.ProjectionLayer = ReadKeyRefField(stream);
    light.SoftVolume = ReadKeyRefField(stream);
    light.SceneNode = ReadKeyRefField(stream);
    light.VisRegions = ReadKeySlots(stream);
    return light;
}

TplOmniLightInfo ReadOmniLightInfoPart(TPlasmaStream& stream) {
    TplOmniLightInfo omni;
    omni.LightInfo = ReadLightInfoPart(stream);
    stream.ReadValue(omni.AttenConst);
    stream.ReadValue(omni.AttenLinear);
    stream.ReadValue(omni.AttenQuadratic);
    stream.ReadValue(omni.AttenCutoff);
    return omni;
}

TSpotLightRecord ReadSpotLight(TPlasmaStream& stream) {
    TSpotLightRecord spot;
    spot.OmniLightInfo = ReadOmniLightInfoPart(stream);
    stream.ReadValue(spot.Falloff);
    stream.ReadValue(spot.SpotInner);
    stream.ReadValue(spot.SpotOuter);
    return spot;
}

TLimitedDirLightRecord ReadLimitedDirLight(TPlasmaStream& stream) {
    TLimitedDirLightRecord light;
    light.LightInfo = ReadLightInfoPart(stream);
    stream.ReadValue(light.Width);
    stream.ReadValue(light.Height);
    stream.ReadValue(light.Depth);
    return light;
}
