#include "ObjPartsFuzz.h"

#include <functional>

#include "MatrixBounds.h"
#include "SceneParts.h"

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
};
} // namespace

int readerCount() {
    return static_cast<int>(std::size(readers));
}

void runReader(TPlasmaStream& stream, uint8_t selector) {
    readers[selector % readerCount()](stream);
}

} // namespace objpartsfuzz
