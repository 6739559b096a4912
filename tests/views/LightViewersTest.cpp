// The light viewers: the light part window's caption, colours, links and the omni window.
#include <gtest/gtest.h>

#include "PRP_VCL.h"
#include "ViewerTestSupport.h"
#include "unitTplLightInfo.h"
#include "unitTplOmniLightInfo.h"

using namespace testpages;
using testpages::makeKey;

TEST(LightViewers, SpotOmniAndLightPartWindows) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    writeSampleLightInfo(w);
    w.f32(1).f32(0.5f).f32(0.25f).f32(100); // attenuation
    w.f32(2).f32(0.125f).f32(1.5f);         // cone
    auto* spot = openViewer(87, "Spot", w);
    expectShown(spot, {"SpotOuter=1.5"});

    auto* omni = windows.follow<TfrmTplOmniLightInfo>(spot, "LinkedOmniLightInfo");
    expectShown(omni, {"AttenCutoff=100", "windowTitle=Embedded OmniLightInfo"});

    expectShown(windows.follow<TfrmTplLightInfo>(omni, "LinkedLightInfo"),
                {"windowTitle=[0054] Light Info", "eAlphaColor2=0.5", "LayerLink=(none)",
                 "SceneNodeLink=Node", "VisRegionRefs=Region", "paintColor1=00007F"});
}
