// The layer and material viewers: flag boxes, colours, values and links as the user sees them.
#include <gtest/gtest.h>

#include <QCheckBox>

#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "ViewerTestSupport.h"
#include "unitTplLayer.h"
#include "unitTransformMatrix.h"

using namespace testpages;
using testpages::makeKey;

// The viewer has no family branch: one family, and the class whose layer it also shows.
TEST(LayerViewer, FlagsColoursValuesAndLinks) {
    OpenedWindows windows;
    for (uint16_t classIndex : {6, 68}) {
        SCOPED_TRACE(classIndex);
        ByteWriter w(kVersionUru);
        writeSampleLayer(w);
        auto* form = dynamic_cast<TfrmTplLayer*>(openViewer(classIndex, "StoneLayer", w));
        ASSERT_NE(form, nullptr);
        expectShown(form, {"kBlendAlpha=1", "kBlendAlphaTestHigh=1", "kBlendTest=0", "kClampTextureU=1",
                           "kZNoZWrite=1", "kMiscLightMap=1", "eAlphaPreshade=0.25",
                           "eAlphaSpecular=0.100000001490116", "UVWSource=4000000000", "Opacity=0.75",
                           "LODBias=-9.99999974737875E-6", "SpecularPower=1.00000002725642E16",
                           "paintPreshade=007FFF", "paintRuntime=00007E", "TextureLink1=(none)",
                           "TextureLink2=Stone.dds"});
        int miscTicked = 0;
        for (auto* box : form->StateGroups[4]->findChildren<QCheckBox*>())
            miscTicked += box->isChecked();
        EXPECT_EQ(miscTicked, 1);
        EXPECT_FALSE(child<QWidget>(form, "NullObj")->isEnabled());
        expectShown(windows.follow<TfrmTransformMatrix>(form, "UVWTransformLink"), {"tx22=2"});
    }
}

TEST(LayerViewer, PickingAColourMarksTheWindowModified) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    writeSynched(w, 0);
    auto* form = dynamic_cast<TfrmTplLayer*>(openViewer(6, "L", w));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "[0006] L");
    TColorSwatch::SetPicker([](const QColor&, QWidget*) -> std::optional<QColor> { return std::nullopt; });
    click(form->Swatches[2]);
    EXPECT_EQ(form->windowTitle(), "[0006] L") << "a cancelled dialog changes nothing";
    TColorSwatch::SetPicker(
        [](const QColor&, QWidget*) -> std::optional<QColor> { return QColor(0, 0, 255); });
    click(form->Swatches[2]);
    TColorSwatch::SetPicker({});
    EXPECT_EQ(form->Swatches[2]->Color(), 0xFF0000u);
    EXPECT_EQ(form->windowTitle(), "[0006] L *");
}

TEST(MaterialViewer, LoadFlagsCompositionAndLayerTrees) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    writeSampleMaterial(w);
    // The stored order is kept inside each class node.
    expectShown(openViewer(7, "Stone", w),
                {"LoadFlags=00000ABC", "kCompShaded=1", "kCompNeedsBlendChannel=1", "kCompDecal=0",
                 "LayerRefs=LayerB|LayerA|Anim", "PiggyBackRefs=Piggy"});
}
