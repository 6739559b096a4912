#include "ObjPartsFuzz.h"

#include <functional>

#include "MatrixBounds.h"
#include "LayerParts.h"
#include "LightParts.h"
#include "SceneParts.h"
#include "ShadowParts.h"

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
};
} // namespace

int readerCount() {
    return static_cast<int>(std::size(readers));
}

void runReader(TPlasmaStream& stream, uint8_t selector) {
    readers[selector % readerCount()](stream);
}

} // namespace objpartsfuzz
