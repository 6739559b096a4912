// Detector, collision, panic link, conditional-object, activator, anim stage and multi-stage bodies in
// every family, and damaged bodies that must stop at the end of the data.
#include <gtest/gtest.h>

#include "LogicParts.h"
#include "LogicWriters.h"

using namespace testpages;
using testpages::makeKey;

namespace {
const TPRPObjectDesc kRecv1 = makeKey(0x2D, "Resp1"), kRecv2 = makeKey(0x2D, "Resp2");
const TPRPObjectDesc kRemote = makeKey(0x2D, "Remote");
} // namespace

TEST(DetectorReaders, DetectorCollisionAndPanicLinkInEveryFamily) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeDetector(w, {0x8}, {kRecv1, kRecv2}, &kRemote, nullptr);
        w.u8(0x3F).u8(2); // collision type, play-link-out flag
        TPlasmaStream s = streamOf(w);
        const TPanicLinkRegionRecord panic = ReadPanicLinkRegion(s);
        const TDetectorModifier& det = panic.CollisionDetector.Detector;
        EXPECT_EQ(det.SynchedObject.Version, f.version);
        EXPECT_EQ(det.Modifier.Flags, std::vector<uint32_t>{0x8});
        ASSERT_EQ(det.Receivers.size(), 2u);
        EXPECT_EQ(det.Receivers[1].Name, "Resp2");
        EXPECT_EQ(det.RemoteMod.Name, "Remote");
        EXPECT_EQ(det.Proxy.Name, "");
        EXPECT_EQ(panic.CollisionDetector.CollisionType, 0x3F);
        EXPECT_TRUE(panic.PlayLinkOutAnim);
        EXPECT_TRUE(s.AtEnd());
        EXPECT_EQ(CollisionDetectorPartClass(panic.CollisionDetector), f.version == kVersionMystV ? 43 : 44);
    }
}

TEST(ConditionalReaders, PartIsTwoBytesAndConditionsFollow) {
    const TPRPObjectDesc cond = makeKey(0x35, "Clicked");
    struct Case {
        uint8_t satisfied, toggle;
        bool expectSatisfied, expectToggle;
    };
    const Case cases[] = {{1, 0, true, false}, {0, 0x80, false, true}, {0xFF, 2, true, true}};
    for (const Family& f : kFamilies)
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << f.name << " " << int(c.satisfied) << "/" << int(c.toggle));
            ByteWriter w(f.version, f.major);
            w.u8(c.satisfied).u8(c.toggle).keyRefs({cond});
            TPlasmaStream s = streamOf(w);
            const TActivatorConditionalObjectRecord act = ReadActivatorConditionalObject(s);
            EXPECT_EQ(act.ConditionalObject.Satisfied, c.expectSatisfied);
            EXPECT_EQ(act.ConditionalObject.Toggle, c.expectToggle);
            ASSERT_EQ(act.Conditions.size(), 1u);
            EXPECT_EQ(act.Conditions[0].Name, "Clicked");
            EXPECT_TRUE(s.AtEnd());
        }
}

// The first stage holds every field: 31 bytes after its name, signed loops and targets.
TEST(MultiStageReader, FlagsStagesAndReceivers) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeSynched(w, 0);
        writeWords(w, {1, 2});
        w.u8(1).u8(0).u8(9);
        w.u32(2);
        writeStage(w, {"Walk", 0x5, 1, 2, 3, 0, 0xFFFFFFFF, 0, 7, 1, 0xFFFFFFFE});
        writeStage(w, {"", 0, 0, 0, 0, 0, 3});
        w.keyRefs({kRecv1});
        TPlasmaStream s = streamOf(w);
        const TMultiStageBehModRecord beh = ReadMultiStageBehMod(s);
        EXPECT_EQ(beh.Modifier.FlagWordCount, 2u);
        EXPECT_TRUE(beh.FreezePhysics);
        EXPECT_FALSE(beh.SmartSeek);
        EXPECT_TRUE(beh.ReverseFBControlsOnRelease);
        ASSERT_EQ(beh.Stages.size(), 2u);
        const TplAnimStage& stage = beh.Stages[0];
        EXPECT_EQ(stage.AnimName, "Walk");
        EXPECT_EQ(stage.NotifyFlags, 0x5);
        EXPECT_EQ(stage.ForwardType, 1u);
        EXPECT_EQ(stage.BackwardType, 2u);
        EXPECT_EQ(stage.AdvanceType, 3u);
        EXPECT_EQ(stage.RegressType, 0u);
        EXPECT_EQ(stage.Loops, -1);
        EXPECT_FALSE(stage.DoAdvanceTo);
        EXPECT_EQ(stage.AdvanceTo, 7); // stored even when unused
        EXPECT_TRUE(stage.DoRegressTo);
        EXPECT_EQ(stage.RegressTo, -2);
        EXPECT_EQ(AnimStagePartClass(stage), IsMystVFamily(f.version)    ? 709
                                             : f.version == kVersionLive ? 881
                                                                         : 876);
        EXPECT_EQ(beh.Stages[1].AnimName, "");
        EXPECT_EQ(beh.Stages[1].Loops, 3);
        ASSERT_EQ(beh.Receivers.size(), 1u);
        EXPECT_EQ(beh.Receivers[0].Name, "Resp1");
        EXPECT_TRUE(s.AtEnd());
    }
}

// The stage count is capped by the smallest stored stage, so a run of stages with empty names is kept whole.
TEST(MultiStageReader, ManyShortStagesAreAllRead) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeSynched(w, 0);
        writeWords(w, {});
        w.u8(0).u8(0).u8(0).u32(5);
        for (int i = 0; i < 5; ++i)
            writeStage(w, {""});
        w.u32(0);
        TPlasmaStream s = streamOf(w);
        EXPECT_EQ(ReadMultiStageBehMod(s).Stages.size(), 5u);
        EXPECT_TRUE(s.AtEnd());
    }
}
