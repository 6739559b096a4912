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

TEST(LightViewers, LightInfoObjectKeepsItsOwnCaption) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        ByteWriter w(f.version, f.major);
        writeSampleLightInfo(w);
        auto* form = openViewer(IsMystVFamily(f.version) ? 79 : 84, "Sun", w);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), IsMystVFamily(f.version) ? "[004F] Sun" : "[0054] Sun");

        ByteWriter d(f.version, f.major);
        writeSampleLightInfo(d);
        d.f32(10).f32(20).f32(30);
        auto* dir = openViewer(IsMystVFamily(f.version) ? 93 : 106, "Dir", d);
        ASSERT_NE(dir, nullptr);
        expectShown(dir, {"Depth=30"});
    }
}
