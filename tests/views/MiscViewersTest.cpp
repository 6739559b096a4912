// The shadow caster, shadow master, spawn modifier, image library and clothing item windows, and the
// clothing item body.
#include <gtest/gtest.h>

#include "ClothingParts.h"
#include "LogicWriters.h"
#include "PRP_VCL.h"
#include "ViewerTestSupport.h"
#include "unitTplMSModifier.h"

using namespace testpages;
using testpages::makeKey;

TEST(ShadowViewers, CasterAndMasterValues) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    writeSynched(w, 0);
    writeWords(w, {0x40});
    w.u8(0x06).f32(1.5f).f32(0.0001f).f32(3);
    expectShown(openViewer(212, "Caster", w),
                {"kSelfShadow=0", "kPerspective=1", "kLimitRes=1", "Boost=1.5", "BlurScale=3"});

    // The master's sizes are unsigned.
    const TPRPObjectDesc owner = makeKey(1, "Sun");
    ByteWriter m(kVersionUru);
    writeSynched(m, 0);
    writeObjInterface(m, &owner, {});
    m.f32(10).f32(20).f32(5).u32(4294967295u).u32(16).f32(0.5f);
    expectShown(openViewer(213, "Master", m),
                {"AttenDist=10", "MaxDist=20", "MinDist=5", "MaxSize=4294967295", "MinSize=16", "Power=0.5",
                 "LinkedObjIntf=Object Interface"});
}

TEST(SpawnAndImageLibViewers, LinksAndStoredImages) {
    OpenedWindows windows;
    const TPRPObjectDesc img1 = makeKey(4, "Img1"), img2 = makeKey(4, "Img2");
    ByteWriter sw(kVersionUru);
    writeSynched(sw, 0x10, {"Spawned"});
    writeWords(sw, {});
    auto* spawn = openViewer(61, "Start", sw);
    expectShown(spawn, {"SynchedObjLink=Synched Object Info (1)"});
    expectShown(windows.follow<TfrmTplMSModifier>(spawn, "LinkedMultiMod"),
                {"windowTitle=[0027] Multi Modifier"});

    ByteWriter iw(kVersionUru);
    writeSynched(iw, 0);
    writeWords(iw, {});
    iw.keyRefs({img1, img2});
    expectShown(openViewer(290, "Lib", iw), {"ImageRefs=Img1|Img2"});
}

TEST(ClothingReader, EveryFieldInStoredOrder) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        for (bool icon : {false, true}) {
            const ByteWriter w = clothingBody(f, icon);
            TPlasmaStream s = streamOf(w);
            const TClothingItemRecord item = ReadClothingItem(s);
            EXPECT_EQ(item.ItemName, "Shirt01");
            EXPECT_EQ(item.Group, 1);
            EXPECT_EQ(item.SortOrder, 12);
            EXPECT_EQ(item.AttributeList, "a=1\nb=2");
            EXPECT_EQ(item.FriendlyName, "Blue Shirt");
            EXPECT_EQ(item.ClosetIcon.Name, icon ? "Icon.dds" : "");
            ASSERT_EQ(item.Elements.size(), 2u);
            ASSERT_EQ(item.Elements[0].Textures.size(), 3u);
            EXPECT_EQ(item.Elements[0].Textures[1].Layer, 1);
            EXPECT_EQ(item.Elements[0].Textures[1].Key.Name, "Bump.dds");
            EXPECT_EQ(item.Elements[1].Name, "Arms");
            EXPECT_TRUE(item.Elements[1].Textures.empty());
            EXPECT_EQ(item.Meshes[0].Name, "ShirtHQ");
            EXPECT_EQ(item.Meshes[2].Name, "");
            EXPECT_EQ(item.Accessory.Name, "Vest");
            EXPECT_EQ(item.Tint1, (std::array<uint8_t, 3>{0xFF, 0x80, 0x00}));
            EXPECT_EQ(item.Tint2, (std::array<uint8_t, 3>{0x00, 0x10, 0x20}));
            EXPECT_TRUE(s.AtEnd());
        }
    }
}

TEST(ClothingViewer, CombosTexturesMeshesAndTints) {
    OpenedWindows windows;
    auto* form = openViewer(181, "Shirt01", clothingBody(kFamilies[0], true));
    ASSERT_NE(form, nullptr);
    expectShown(form,
                {"ClothingName=Shirt01", "clGroup=Female", "clType=Shirt", "ClosetType=Torso", "SortOrder=12",
                 "FriendlyName=Blue Shirt", "AttributeList=a=1\nb=2", "ClosetIconRef=Icon.dds"});
    // The elements are the tree's top nodes; the absent third texture adds no node.
    EXPECT_EQ(topTexts(child<TObjRefTreeView>(form, "ObjRefs")), (QStringList{"Torso", "Arms"}));
    expectShown(form, {"ObjRefs=Shirt.dds|Bump.dds", "HQMesh=ShirtHQ", "MQMesh=(none)", "ClothingLink=Vest",
                       "Tint1=FF8000", "Tint2=001020"});

    // Without an icon the link is no link.
    auto* iconRef =
        child<QLabel>(openViewer(181, "Shirt01", clothingBody(kFamilies[0], false)), "ClosetIconRef");
    EXPECT_EQ(iconRef->text(), "(N/A)");
    EXPECT_FALSE(iconRef->isEnabled());
    EXPECT_FALSE(iconRef->font().underline());
}
