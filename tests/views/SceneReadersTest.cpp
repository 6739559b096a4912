// Scene node, scene object and interface bodies in every family: bytes in, record out.
#include <gtest/gtest.h>

#include "PartWriters.h"
#include "SceneParts.h"

using namespace testpages;
using testpages::makeKey;

namespace {
struct Keys {
    TPRPObjectDesc rock = makeKey(1, "Rock"), tree = makeKey(1, "Tree"), node = makeKey(0, "Node");
    TPRPObjectDesc draw = makeKey(kDrawInterfaceClass, "RockDI"),
                   sim = makeKey(kSimulationInterfaceClass, "RockSI");
    TPRPObjectDesc coord = makeKey(kCoordinateInterfaceClass, "RockCI");
    TPRPObjectDesc mod1 = makeKey(0x4C, "Mod1"), mod2 = makeKey(0x4C, "Mod2");
};
} // namespace

// A scene node's two lists, then a scene object.
TEST(SceneNodeAndObjectReaders, ListsInterfacesModifiersAndNodeInEveryFamily) {
    Keys k;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        w.keyRefs({k.rock, k.tree}).keyRefs({k.mod1});
        writeSynched(w, 0x10, {"Excl"});
        w.keyRef(&k.draw).keyRef(&k.sim).keyRef(&k.coord).keyRef(nullptr); // no audio interface
        w.keyRefs({k.mod1, k.mod2}).keyRefs({k.mod2}).keyRef(&k.node);
        TPlasmaStream s = streamOf(w);
        const TSceneNodeRecord node = ReadSceneNode(s);
        ASSERT_EQ(node.SceneObjects.size(), 2u);
        EXPECT_EQ(node.SceneObjects[1].Name, "Tree");
        ASSERT_EQ(node.PoolObjects.size(), 1u);
        EXPECT_EQ(node.PoolObjects[0].ClassType, 0x4C);
        const TSceneObjectRecord obj = ReadSceneObject(s);
        EXPECT_EQ(obj.SynchedObject.SynchFlags, 0x10u);
        EXPECT_EQ(obj.DrawInterface.Name, "RockDI");
        EXPECT_EQ(obj.SimulationInterface.Name, "RockSI");
        EXPECT_EQ(obj.CoordinateInterface.ClassType, kCoordinateInterfaceClass);
        EXPECT_EQ(obj.AudioInterface.Name, "");
        ASSERT_EQ(obj.Interfaces.size(), 2u);
        EXPECT_EQ(obj.Interfaces[1].Name, "Mod2");
        ASSERT_EQ(obj.Modifiers.size(), 1u);
        EXPECT_EQ(obj.SceneNode.Name, "Node");
        EXPECT_TRUE(s.AtEnd());
    }
}

// The four interface bodies one after the other: each starts with the synched and object-interface parts.
TEST(InterfaceReaders, CoordinateDrawSimulationAndAudioInEveryFamily) {
    const TPRPObjectDesc spans = makeKey(0x4C, "Spans"), sound = makeKey(20, "Birds");
    Keys k;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const bool uru = IsUruFamily(f.version);
        ByteWriter w(f.version, f.major);
        writeSampleCoordinateInterface(w);
        writeSynched(w, 0);
        writeObjInterface(w, &k.rock, {1});
        w.u32(2).u32(0xAB).keyRef(&spans).u32(0xFFFFFFFF).keyRef(nullptr);
        w.keyRefs({k.mod1});
        writeSampleSimulationInterface(w); // the properties are stored only in Uru and Live
        writeSynched(w, 0x40, {}, {"Vol"});
        writeObjInterface(w, nullptr, {});
        w.keyRef(&sound);
        TPlasmaStream s = streamOf(w);

        const TCoordinateInterfaceRecord ci = ReadCoordinateInterface(s);
        EXPECT_EQ(ci.ObjInterface.Owner.Name, "Rock");
        EXPECT_EQ(ci.Matrices[0], IdentityMatrix44());
        EXPECT_EQ(ci.Matrices[1][1][3], 0.0001f);
        EXPECT_EQ(ci.Matrices[2][2][3], 1e20f);
        EXPECT_EQ(ci.Matrices[3], IdentityMatrix44());
        ASSERT_EQ(ci.Children.size(), 1u);
        EXPECT_EQ(ci.Children[0].Name, "Child");

        const TDrawInterfaceRecord di = ReadDrawInterface(s);
        ASSERT_EQ(di.Drawables.size(), 2u);
        EXPECT_EQ(di.Drawables[0].DrawIndex, 0xABu);
        EXPECT_EQ(di.Drawables[0].Key.Name, "Spans");
        EXPECT_EQ(di.Drawables[1].DrawIndex, 0xFFFFFFFFu) << "listed even without a key";
        EXPECT_EQ(di.Drawables[1].Key.Name, "");
        EXPECT_EQ(di.Objects.size(), 1u);

        const TSimulationInterfaceRecord si = ReadSimulationInterface(s);
        EXPECT_EQ(si.Properties, uru ? (std::vector<uint32_t>{4000000000u, 2}) : std::vector<uint32_t>{});
        EXPECT_EQ(si.TrailingWord, uru ? 0x55u : 0u);
        EXPECT_EQ(si.Physical.Name, "RockPhys");

        EXPECT_EQ(ReadAudioInterface(s).Sound.Name, "Birds");
        EXPECT_TRUE(s.AtEnd());
    }
}
