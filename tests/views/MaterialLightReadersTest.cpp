// Layer, material, light, shadow, spawn and image-library bodies in every family.
#include <gtest/gtest.h>

#include "LayerParts.h"
#include "LightParts.h"
#include "NumberText.h"
#include "PartWriters.h"
#include "ShadowParts.h"

using namespace testpages;
using testpages::makeKey;

// The sample layer the viewer tests show, then a material whose two counts come before its keys.
TEST(LayerReader, EveryFieldInStoredOrder) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeSampleLayer(w);
        writeSampleMaterial(w);
        TPlasmaStream s = streamOf(w);
        const TLayerRecord layer = ReadLayer(s);
        EXPECT_EQ(layer.LayerInterface.Underlay.Name, "");
        EXPECT_EQ(layer.State, (TLayerState{0x4000002, 0x1, 0, 0x10, 0x800}));
        EXPECT_EQ(layer.UVWTransform[2][2], 2.0f);
        EXPECT_EQ(PackDisplayColor(layer.Colors[0]), 0x007FFFu);
        EXPECT_EQ(layer.Colors[0].A, 0.25f);
        EXPECT_EQ(PackDisplayColor(layer.Colors[1]), 126u);
        EXPECT_EQ(PackDisplayColor(layer.Colors[3]), 0xFF0000u);
        EXPECT_EQ(layer.Colors[3].A, 0.1f);
        EXPECT_EQ(layer.UVWSource, 4000000000u);
        EXPECT_EQ(layer.Opacity, 0.75f);
        EXPECT_EQ(layer.LODBias, -0.00001f);
        EXPECT_EQ(layer.SpecularPower, 1e16f);
        EXPECT_EQ(layer.Texture.Name, IsUruFamily(f.version) ? "" : "Stone.dds");
        EXPECT_EQ(layer.VertexShader.Name, "Stone.dds");
        EXPECT_EQ(layer.PixelShader.Name, "");
        EXPECT_EQ(layer.BumpEnvTransform, IdentityMatrix44());
        const TMaterialRecord mat = ReadMaterial(s);
        EXPECT_EQ(mat.LoadFlags, 0xABCu);
        EXPECT_EQ(mat.CompFlags, 0x2001u);
        ASSERT_EQ(mat.Layers.size(), 3u);
        EXPECT_EQ(mat.Layers[2].Name, "Anim");
        ASSERT_EQ(mat.PiggyBacks.size(), 1u);
        EXPECT_EQ(mat.PiggyBacks[0].Name, "Piggy");
        EXPECT_TRUE(s.AtEnd());
    }
}

TEST(LightReaders, LightInfoOmniSpotAndLimitedDirectional) {
    const TPRPObjectDesc proj = makeKey(6, "ProjLayer");
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeSampleLightInfo(w, &proj);
        w.f32(1).f32(2).f32(3).f32(4); // omni
        w.f32(5).f32(0.25f).f32(0.5f); // spot
        writeSampleLightInfo(w);
        w.f32(7).f32(8).f32(9); // limited directional
        TPlasmaStream s = streamOf(w);
        const TSpotLightRecord spot = ReadSpotLight(s);
        const TLightInfo& light = spot.OmniLightInfo.LightInfo;
        EXPECT_EQ(light.ObjInterface.Owner.Name, "Lamp");
        EXPECT_EQ(light.Colors[0], 0x00007Fu);
        EXPECT_EQ(light.Colors[2], 0xFF0000u);
        EXPECT_EQ(light.Alphas[1], 0.5f);
        EXPECT_EQ(light.Matrices[0][1][3], 20.0f);
        EXPECT_EQ(light.Matrices[1], IdentityMatrix44());
        EXPECT_EQ(light.ProjectionLayer.Name, "ProjLayer");
        EXPECT_EQ(light.SoftVolume.Name, "");
        EXPECT_EQ(light.SceneNode.Name, "Node");
        ASSERT_EQ(light.VisRegions.size(), 1u);
        EXPECT_EQ(light.VisRegions[0].Name, "Region");
        EXPECT_EQ(spot.OmniLightInfo.AttenConst, 1.0f);
        EXPECT_EQ(spot.OmniLightInfo.AttenCutoff, 4.0f);
        EXPECT_EQ(spot.Falloff, 5.0f);
        EXPECT_EQ(spot.SpotOuter, 0.5f);
        EXPECT_EQ(LightInfoPartClass(light), f.version == kVersionMystV ? 79 : 84);
        const TLimitedDirLightRecord dir = ReadLimitedDirLight(s);
        EXPECT_EQ(dir.LightInfo.ProjectionLayer.Name, "");
        EXPECT_EQ(dir.Width, 7.0f);
        EXPECT_EQ(dir.Depth, 9.0f);
        EXPECT_TRUE(s.AtEnd());
    }
}

TEST(ShadowSpawnImageReaders, BodiesAfterTheSharedParts) {
    const TPRPObjectDesc img = makeKey(4, "Img1");
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeSynched(w, 0);
        writeWords(w, {0x40});
        w.u8(0x06).f32(1.5f).f32(2).f32(3);
        writeSynched(w, 0);
        writeObjInterface(w, nullptr, {});
        w.f32(10).f32(20).f32(5).u32(4294967295u).u32(16).f32(0.5f);
        writeSynched(w, 0);
        writeWords(w, {});
        writeSynched(w, 0);
        writeWords(w, {1});
        w.keyRefs({img, img});
        TPlasmaStream s = streamOf(w);
        const TShadowCasterRecord caster = ReadShadowCaster(s);
        EXPECT_EQ(caster.Modifier.Flags, std::vector<uint32_t>{0x40});
        EXPECT_EQ(caster.CastFlags, 0x06);
        EXPECT_EQ(caster.Boost, 1.5f);
        EXPECT_EQ(caster.BlurScale, 3.0f);
        const TShadowMasterRecord master = ReadShadowMaster(s);
        EXPECT_EQ(master.MaxDist, 20.0f);
        EXPECT_EQ(master.MaxSize, 4294967295u);
        EXPECT_EQ(master.MinSize, 16u);
        EXPECT_EQ(master.Power, 0.5f);
        const TSpawnModifierRecord spawn = ReadSpawnModifier(s);
        EXPECT_EQ(spawn.Modifier.FlagWordCount, 0u);
        const TImageLibModRecord lib = ReadImageLibMod(s);
        ASSERT_EQ(lib.Images.size(), 2u);
        EXPECT_EQ(lib.Images[1].Name, "Img1");
        EXPECT_TRUE(s.AtEnd());
    }
}
