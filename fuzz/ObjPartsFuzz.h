#pragma once
// Shared by the part-reader fuzz target and its seed writer: the format and reader selectors.
#include <cstdint>

#include "PRPClasses.h"

namespace objpartsfuzz {

struct Format {
    uint16_t version;
    uint16_t major;
};
// Uru, Myst V, Live, Hex Isle, a code outside the four, and the Live code and major version apart.
constexpr Format kFormats[] = {{5, 63}, {6, 0}, {7, 70}, {9, 0}, {3, 0}, {7, 0}, {5, 70}};
constexpr int kFormatCount = sizeof(kFormats) / sizeof(kFormats[0]);

inline void setFormat(TPlasmaStream& stream, uint8_t selector) {
    const Format& f = kFormats[selector % kFormatCount];
    stream.Header.Version = f.version;
    stream.Header.MajorVersion = f.major;
}

// The readers by number: the selector byte of an input, taken modulo the count.
enum ReaderId : uint8_t {
    SynchedObject,
    Modifier,
    ObjInterface,
    Matrix44,
    Bounds3Ext,
    SceneNode,
    SceneObject,
    CoordinateInterface,
    DrawInterface,
    SimulationInterface,
    AudioInterface,
    Layer,
    Material,
    SpotLight,
    LimitedDirLight,
    ShadowCaster,
    ShadowMaster,
    ImageLibMod,
    SpawnModifier,
    LightInfo,
    OmniLightInfo,
    ClothingItem,
    DrawableSpans,
    SharedMesh,
    MorphDataSet,
    GBufferGroup,
    GeometrySpanList,
    IcicleList,
    SpaceTree,
    DISpanIndex,
    GUIControl,
    ValueCtrl,
    DialogMod,
    GUIButton,
    GUICheckBox,
    GUIDynDisplay,
    GUIKnob,
    GUIMultiLine,
    GUIProgress,
    GUIRadioGroup,
    GUITextBox,
    GUIUpDownPair,
    DetectorModifier,
    CollisionDetector,
    PanicLinkRegion,
    ConditionalObject,
    ActivatorConditionalObject,
    AnimStage,
    MultiStageBehMod,
    PythonFileMod,
    EAXSourceSettings,
    Sound,
    Win32Sound,
    SoundBuffer,
    WinAudible,
    kReaderCount
};

void runReader(TPlasmaStream& stream, uint8_t selector);

} // namespace objpartsfuzz
