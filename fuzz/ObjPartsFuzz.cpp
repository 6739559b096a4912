#include "ObjPartsFuzz.h"

#include <functional>

#include "ClothingParts.h"
#include "DrawableParts.h"
#include "GeometryParts.h"
#include "GuiControlParts.h"
#include "GuiParts.h"
#include "LayerParts.h"
#include "LightParts.h"
#include "LogicParts.h"
#include "MatrixBounds.h"
#include "PythonParts.h"
#include "SceneParts.h"
#include "ShadowParts.h"
#include "SoundParts.h"

namespace objpartsfuzz {

namespace {
const std::function<void(TPlasmaStream&)> readers[] = {
    [](TPlasmaStream& s) { ReadSynchedObjectPart(s); },
    [](TPlasmaStream& s) { ReadModifierPart(s); },
    [](TPlasmaStream& s) { ReadObjInterfacePart(s); },
    [](TPlasmaStream& s) { ReadMatrix44(s); },
    [](TPlasmaStream& s) {
        TBounds3Ext b;
        ReadBounds3Ext(s, b);
    },
    [](TPlasmaStream& s) { ReadSceneNode(s); },
    [](TPlasmaStream& s) { ReadSceneObject(s); },
    [](TPlasmaStream& s) { ReadCoordinateInterface(s); },
    [](TPlasmaStream& s) { ReadDrawInterface(s); },
    [](TPlasmaStream& s) { ReadSimulationInterface(s); },
    [](TPlasmaStream& s) { ReadAudioInterface(s); },
    [](TPlasmaStream& s) { ReadLayer(s); },
    [](TPlasmaStream& s) { ReadMaterial(s); },
    [](TPlasmaStream& s) { ReadSpotLight(s); },
    [](TPlasmaStream& s) { ReadLimitedDirLight(s); },
    [](TPlasmaStream& s) { ReadShadowCaster(s); },
    [](TPlasmaStream& s) { ReadShadowMaster(s); },
    [](TPlasmaStream& s) { ReadImageLibMod(s); },
    [](TPlasmaStream& s) { ReadSpawnModifier(s); },
    [](TPlasmaStream& s) { ReadLightInfoPart(s); },
    [](TPlasmaStream& s) { ReadOmniLightInfoPart(s); },
    [](TPlasmaStream& s) { ReadClothingItem(s); },
    [](TPlasmaStream& s) { ReadDrawableSpans(s); },
    [](TPlasmaStream& s) { ReadSharedMesh(s); },
    [](TPlasmaStream& s) { ReadMorphDataSet(s); },
    [](TPlasmaStream& s) {
        TGBufferGroup group;
        ReadGBufferGroup(s, group);
    },
    [](TPlasmaStream& s) { ReadGeometrySpanList(s); },
    [](TPlasmaStream& s) { ReadIcicleList(s); },
    [](TPlasmaStream& s) {
        TSpaceTree tree;
        ReadSpaceTree(s, tree);
    },
    [](TPlasmaStream& s) {
        TDISpanIndex index;
        ReadDISpanIndex(s, index);
    },
    [](TPlasmaStream& s) { ReadGUIControlPart(s); },
    [](TPlasmaStream& s) { ReadValueCtrlPart(s); },
    [](TPlasmaStream& s) { ReadDialogMod(s); },
    [](TPlasmaStream& s) { ReadGUIButton(s); },
    [](TPlasmaStream& s) { ReadGUICheckBox(s); },
    [](TPlasmaStream& s) { ReadGUIDynDisplay(s); },
    [](TPlasmaStream& s) { ReadGUIKnob(s); },
    [](TPlasmaStream& s) { ReadGUIMultiLine(s); },
    [](TPlasmaStream& s) { ReadGUIProgress(s); },
    [](TPlasmaStream& s) { ReadGUIRadioGroup(s); },
    [](TPlasmaStream& s) { ReadGUITextBox(s); },
    [](TPlasmaStream& s) { ReadGUIUpDownPair(s); },
    [](TPlasmaStream& s) { ReadDetectorModifierPart(s); },
    [](TPlasmaStream& s) { ReadCollisionDetectorPart(s); },
    [](TPlasmaStream& s) { ReadPanicLinkRegion(s); },
    [](TPlasmaStream& s) { ReadConditionalObjectPart(s); },
    [](TPlasmaStream& s) { ReadActivatorConditionalObject(s); },
    [](TPlasmaStream& s) { ReadAnimStage(s); },
    [](TPlasmaStream& s) { ReadMultiStageBehMod(s); },
    [](TPlasmaStream& s) { ReadPythonFileMod(s); },
    [](TPlasmaStream& s) { ReadEAXSourceSettingsPart(s); },
    [](TPlasmaStream& s) { ReadSoundPart(s); },
    [](TPlasmaStream& s) { ReadWin32SoundPart(s); },
    [](TPlasmaStream& s) { ReadSoundBuffer(s); },
    [](TPlasmaStream& s) { ReadWinAudible(s); },
};
static_assert(std::size(readers) == kReaderCount);
} // namespace

void runReader(TPlasmaStream& stream, uint8_t selector) {
    readers[selector % kReaderCount](stream);
}

} // namespace objpartsfuzz
