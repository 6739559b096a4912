// The light viewers: the light part window's caption per family, colours, links and the omni window.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "ViewerTestSupport.h"
#include "unitTplLightInfo.h"
#include "unitTplOmniLightInfo.h"

using namespace testpages;
using testpages::makeKey;

TEST(LightViewers, SpotOmniAndLightPartWindows) {
    OpenedWindows windows;
    const Family& f = kFamilies[0];
    const bool mystV = IsMystVFamily(f.version);
    ByteWriter w(f.version, f.major);
    writeSampleLightInfo(w);
    w.f32(1).f32(0.5f).f32(0.25f).f32(100); // attenuation
    w.f32(2).f32(0.125f).f32(1.5f);         // cone
    auto* spot = openViewer(mystV ? 82 : 87, "Spot", w);
    ASSERT_NE(spot, nullptr);
    expectShown(spot, {"SpotOuter=1.5"});

    click(child<QLabel>(spot, "LinkedOmniLightInfo"));
    auto* omni = windows.last<TfrmTplOmniLightInfo>();
    ASSERT_NE(omni, nullptr);
    expectShown(omni, {"AttenCutoff=100"});
    EXPECT_EQ(omni->windowTitle(), "Embedded OmniLightInfo");

    click(child<QLabel>(omni, "LinkedLightInfo"));
    auto* light = windows.last<TfrmTplLightInfo>();
    ASSERT_NE(light, nullptr);
    expectShown(light, {"eAlphaColor2=0.5"});
    EXPECT_EQ(light->windowTitle(), f.version == kVersionMystV ? "[004F] Light Info" : "[0054] Light Info");
    EXPECT_EQ(light->Colors[0]->Color(), 127u);
    auto* layer = child<QLabel>(light, "LayerLink");
    if (!mystV) {
        EXPECT_EQ(layer->text(), "(none)");
        EXPECT_FALSE(layer->isEnabled());
    }
    expectShown(light, {"SceneNodeLink=Node"});
    EXPECT_EQ(child<TObjRefTreeView>(light, "VisRegionRefs")->topLevelItemCount(), 1);
}
