#include "ObjectDispatch.h"

#include "PRPClasses.h"

namespace {

using F = TViewerFamily;

// Rows for one viewer class: every index in `uru` for formats other than 6/9, every index in `mystV` for 6/9.
void addFamilyRows(std::vector<TViewerRow>& rows, const char* viewer, std::initializer_list<uint16_t> uru,
                   std::initializer_list<uint16_t> mystV) {
    for (uint16_t index : uru)
        rows.push_back({index, F::UruLive, viewer});
    for (uint16_t index : mystV)
        rows.push_back({index, F::MystVHexIsle, viewer});
}

std::vector<TViewerRow> buildTable() {
    std::vector<TViewerRow> rows = {
        {0, F::Both, "TfrmTplSceneNode"},
        {1, F::Both, "TfrmTplSceneObject"},
        {4, F::Both, "TfrmTplMipMap"},
        {5, F::Both, "TfrmTplEnvironMap"},
        {6, F::Both, "TfrmTplLayer"},
        {7, F::Both, "TfrmTplMaterial"},
        {17, F::Both, "TfrmTplAudioInterface"},
        {18, F::Both, kEmptyViewer},
        {19, F::Both, kEmptyViewer},
        {244, F::Both, kEmptyViewer},
        {20, F::Both, "TfrmTplWinAudible"},
        {21, F::Both, "TfrmTplCoordinateInterface"},
        {22, F::Both, "TfrmTplDrawInterface"},
        {28, F::Both, "TfrmTplSimulationInterface"},
        {36, F::Both, "TfrmTplDetectorModifier"},
        {41, F::Both, "TfrmTplSoundBuffer"},
    };
    addFamilyRows(rows, "TfrmTplDetectorModifier", {43}, {42});
    addFamilyRows(rows, "TfrmTplCollisionDetector", {44, 123}, {43, 108});
    addFamilyRows(rows, "TfrmTplActivatorConditionalObject", {50, 134, 167}, {49, 116, 141});
    addFamilyRows(rows, "TfrmTplSpawnModifier", {61}, {60});
    addFamilyRows(rows, "TfrmTplLayer", {68}, {65});
    addFamilyRows(rows, "TfrmTplSound", {72}, {69});
    addFamilyRows(rows, "TfrmTplWin32Sound", {73, 132, 141, 150}, {70, 115, 123, 126});
    addFamilyRows(rows, kEmptyViewer, {75, 199, 227, 279, 293, 296}, {72, 168, 191, 207, 234, 246});
    addFamilyRows(rows, "TfrmTplDrawableSpans", {76}, {73});
    addFamilyRows(rows, "TfrmTplWinAudible", {83}, {});
    addFamilyRows(rows, "TfrmTplLightInfo", {84, 85}, {79, 80});
    addFamilyRows(rows, "TfrmTplOmniLightInfo", {86}, {81});
    addFamilyRows(rows, "TfrmTplSpotLightInfo", {87}, {82});
    addFamilyRows(rows, "TfrmTpfGUIControlMod", {98, 165, 172, 185}, {87, 139, 146, 155});
    addFamilyRows(rows, "TfrmTplLimitedDirLightInfo", {106}, {93});
    addFamilyRows(rows, "TfrmTpfGUIDialogMod", {152}, {128});
    addFamilyRows(rows, "TfrmTpfGUIButtonMod", {161, 282}, {135, 237});
    addFamilyRows(rows, "TfrmTplPythonFileMod", {162}, {136});
    addFamilyRows(rows, "TfrmTpfGUIMultiLineCtrl", {170, 238}, {144, 202});
    addFamilyRows(rows, "TfrmTpfGUITextBoxMod", {171}, {145});
    addFamilyRows(rows, "TfrmTpfGUIUpDownPairMod", {175}, {149});
    addFamilyRows(rows, "TfrmTpfGUIValueCtrl", {176}, {150});
    addFamilyRows(rows, "TfrmTpfGUIKnobCtrl", {177}, {151});
    addFamilyRows(rows, "TfrmTplClothingItem", {181}, {});
    addFamilyRows(rows, "TfrmTpfGUICheckBoxCtrl", {186}, {156});
    addFamilyRows(rows, "TfrmTpfGUIRadioGroupCtrl", {187}, {157});
    addFamilyRows(rows, "TfrmTpfGUIDynDisplayCtrl", {189}, {158});
    addFamilyRows(rows, "TfrmTplMultiStageBehMod", {193}, {162});
    addFamilyRows(rows, "TfrmTplSharedMesh", {204}, {173});
    addFamilyRows(rows, "TfrmTplShadowMaster", {211, 213, 214}, {179, 181, 182});
    addFamilyRows(rows, "TfrmTplShadowCaster", {212}, {180});
    addFamilyRows(rows, "TfrmTplPanicLinkRegion", {252}, {213});
    addFamilyRows(rows, "TfrmTpfGUIProgressCtrl", {268}, {224});
    addFamilyRows(rows, "TfrmTplMorphDataSet", {271}, {226});
    addFamilyRows(rows, "TfrmTplImageLibMod", {290}, {241});
    return rows;
}

} // namespace

const std::vector<TViewerRow>& ViewerTable() {
    static const std::vector<TViewerRow> table = buildTable();
    return table;
}

const char* FindViewerClass(uint16_t classIndex, uint16_t version) {
    if (classIndex >= kFirstUnknownClass) return nullptr;
    const TViewerFamily family = IsMystVFamily(version) ? F::MystVHexIsle : F::UruLive;
    for (const TViewerRow& row : ViewerTable())
        if (row.ClassIndex == classIndex && (row.Family == F::Both || row.Family == family))
            return row.Viewer;
    return nullptr;
}
