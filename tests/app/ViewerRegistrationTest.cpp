// The dispatch table: which viewer each class index opens in each format family.
#include <gtest/gtest.h>

#include "ObjectDispatch.h"
#include "PartWriters.h"

using namespace testparts;

TEST(ViewerDispatch, EveryViewerIsRegisteredForItsClassesInEachFamily) {
    struct Row {
        std::vector<uint16_t> uru, mystV; // Uru and Live; Myst V and Hex Isle
        const char* viewer;
    };
    const Row rows[] = {
        {{0}, {0}, "TfrmTplSceneNode"},
        {{1}, {1}, "TfrmTplSceneObject"},
        {{17}, {17}, "TfrmTplAudioInterface"},
        {{21}, {21}, "TfrmTplCoordinateInterface"},
        {{22}, {22}, "TfrmTplDrawInterface"},
        {{28}, {28}, "TfrmTplSimulationInterface"},
        {{76}, {73}, "TfrmTplDrawableSpans"},
        {{204}, {173}, "TfrmTplSharedMesh"},
        {{271}, {226}, "TfrmTplMorphDataSet"},
        {{36, 43}, {36, 42}, "TfrmTplDetectorModifier"},
        {{44, 123}, {43, 108}, "TfrmTplCollisionDetector"},
        {{252}, {213}, "TfrmTplPanicLinkRegion"},
        {{50, 134, 167}, {49, 116, 141}, "TfrmTplActivatorConditionalObject"},
        {{193}, {162}, "TfrmTplMultiStageBehMod"},
        {{212}, {180}, "TfrmTplShadowCaster"},
        {{211, 213, 214}, {179, 181, 182}, "TfrmTplShadowMaster"},
        {{61}, {60}, "TfrmTplSpawnModifier"},
        {{290}, {241}, "TfrmTplImageLibMod"},
        {{181}, {}, "TfrmTplClothingItem"},
        {{72}, {69}, "TfrmTplSound"},
        {{73, 132, 141, 150}, {70, 115, 123, 126}, "TfrmTplWin32Sound"},
        {{41}, {41}, "TfrmTplSoundBuffer"},
        {{20, 83}, {20}, "TfrmTplWinAudible"},
        {{98, 165, 172, 185}, {87, 139, 146, 155}, "TfrmTpfGUIControlMod"},
        {{176}, {150}, "TfrmTpfGUIValueCtrl"},
        {{152}, {128}, "TfrmTpfGUIDialogMod"},
        {{162}, {136}, "TfrmTplPythonFileMod"},
        {{161, 282}, {135, 237}, "TfrmTpfGUIButtonMod"},
        {{186}, {156}, "TfrmTpfGUICheckBoxCtrl"},
        {{189}, {158}, "TfrmTpfGUIDynDisplayCtrl"},
        {{177}, {151}, "TfrmTpfGUIKnobCtrl"},
        {{170, 238}, {144, 202}, "TfrmTpfGUIMultiLineCtrl"},
        {{268}, {224}, "TfrmTpfGUIProgressCtrl"},
        {{187}, {157}, "TfrmTpfGUIRadioGroupCtrl"},
        {{171}, {145}, "TfrmTpfGUITextBoxMod"},
        {{175}, {149}, "TfrmTpfGUIUpDownPairMod"},
    };
    for (const Family& f : kFamilies)
        for (const Row& row : rows)
            for (uint16_t index : IsMystVFamily(f.version) ? row.mystV : row.uru) {
                SCOPED_TRACE(testing::Message() << f.name << " " << index);
                ASSERT_STREQ(FindViewerClass(index, f.version), row.viewer);
                EXPECT_TRUE(IsViewerRegistered(row.viewer));
            }
}
