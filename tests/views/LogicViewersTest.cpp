// The detector, collision detector, panic link region, activator and multi-stage viewers and their part
// windows: what the user sees after opening an object and following its links.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>

#include "LogicWriters.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "ViewerTestSupport.h"
#include "unitTplAnimStage.h"
#include "unitTplCollisionDetector.h"
#include "unitTplConditionalObject.h"
#include "unitTplDetectorModifier.h"
#include "unitTplMSModifier.h"

using namespace testpages;
using testpages::makeKey;

namespace {
const TPRPObjectDesc kResp1 = makeKey(0x2D, "Resp1"), kResp2 = makeKey(0x2D, "Resp2");
const TPRPObjectDesc kRemote = makeKey(0x2D, "Remote");

std::vector<bool> boxStates(QWidget* form, std::initializer_list<const char*> names) {
    std::vector<bool> states;
    for (const char* name : names)
        states.push_back(child<QCheckBox>(form, name)->isChecked());
    return states;
}

const std::initializer_list<const char*> kTriggerBoxes = {"kTypeEnter",   "kTypeExit",   "kTypeAny",
                                                          "kTypeUnEnter", "kTypeUnExit", "kTypeBump"};

ByteWriter collisionBody(const Family& f, uint8_t type) {
    ByteWriter w(f.version, f.major);
    writeDetector(w, {0x10}, {kResp1, kResp2}, &kRemote, nullptr);
    w.u8(type);
    return w;
}
} // namespace

TEST(DetectorViewer, ReceiversLinksAndModifierWindow) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    writeDetector(w, {0x1, 0x80000000u}, {kResp1, kResp2}, &kRemote, nullptr);
    auto* form = openViewer(36, "ClickDet", w);
    expectShown(form, {"Receivers=Resp1|Resp2", "RemoteModLink=Remote", "ProxyLink=(none)",
                       "SynchedObjLink=Synched Object Info (0)"});

    expectShown(windows.follow<TfrmTplMSModifier>(form, "LinkedSingleMod"),
                {"windowTitle=[0027] Multi Modifier", "FlagsList=00000001|80000000"});
}

TEST(CollisionDetectorViewer, TriggerBoxesAndDetectorWindow) {
    OpenedWindows windows;
    struct Case {
        uint8_t type;
        std::vector<bool> boxes;
    };
    // Bits outside the six of the table (0xC0) tick nothing.
    const Case cases[] = {{0xC5, {true, false, true, false, false, false}},
                          {0x28, {false, false, false, true, false, true}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.type));
        auto* form = openViewer(44, "Region", collisionBody(kFamilies[0], c.type));
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(boxStates(form, kTriggerBoxes), c.boxes);
        // The detector window from the link differs from one opened from the tree only by its caption.
        expectShown(
            windows.follow<TfrmTplDetectorModifier>(form, "LinkedDetectorModifier"),
            {"windowTitle=[0024] Detector Modifier", "Receivers=Resp1|Resp2", "RemoteModLink=Remote"});
    }
}

TEST(PanicLinkRegionViewer, FlagAndCollisionWindow) {
    OpenedWindows windows;
    // The part's class per family is the reader's (CollisionDetectorPartClass); the window takes it as its
    // caption.
    ByteWriter w = collisionBody(kFamilies[1], 0x22);
    w.u8(0x40);
    auto* form = openViewer(213, "Panic", w);
    expectShown(form, {"PlayLinkOutAnim=1"});
    auto* collision = windows.follow<TfrmTplCollisionDetector>(form, "LinkedDetectorModifier");
    expectShown(collision, {"windowTitle=[002B] Collision Detector"});
    EXPECT_EQ(boxStates(collision, kTriggerBoxes),
              (std::vector<bool>{false, true, false, false, false, true}));
}

TEST(ActivatorViewer, ConditionsAndConditionalObjectWindow) {
    OpenedWindows windows;
    const TPRPObjectDesc c1 = makeKey(0x35, "Click"), c2 = makeKey(0x36, "Facing");
    ByteWriter w(kVersionUru);
    w.u8(0).u8(3).keyRefs({c1, c2});
    auto* form = openViewer(134, "Act", w);
    expectShown(form, {"ConditionObjects=Click|Facing"});

    expectShown(windows.follow<TfrmTplConditionalObject>(form, "ParentCondObj"),
                {"Satisfied=0", "Toggle=1", "windowTitle=[002E] Conditional Object"});
}

TEST(MultiStageViewer, StageLinesFlagsAndStageWindow) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    writeSynched(w, 0);
    writeWords(w, {});
    w.u8(0).u8(1).u8(1);
    w.u32(2);
    writeStage(w, {"SitDown", 0x9, 2, 1, 3, 7, 0xFFFFFFFF, 0, 4, 1, 0});
    writeStage(w, {""});
    w.keyRefs({kResp1});
    auto* form = openViewer(193, "Sit", w);
    ASSERT_NE(form, nullptr);
    expectShown(form, {"FreezePhysics=0", "SmartSeek=1", "ReverseFBControlsOnRelease=1",
                       "StageRefs=0) SitDown|1) ", "ReceiverRefs=Resp1"});
    auto* stages = child<QListWidget>(form, "StageRefs");

    // Nothing selected: nothing opens.
    const size_t before = windows.forms.size();
    stages->setCurrentRow(-1);
    emit stages->itemDoubleClicked(nullptr);
    EXPECT_EQ(windows.forms.size(), before);

    stages->setCurrentRow(0);
    emit stages->itemDoubleClicked(stages->item(0));
    auto* stage = windows.last<TfrmTplAnimStage>();
    ASSERT_NE(stage, nullptr);
    expectShown(stage, {"AnimName=SitDown", "ForwardType=Auto", "BackwardType=Key", "AdvanceType=On Any Key",
                        "kNotifyEnter=1", "kNotifyLoop=0", "kNotifyAdvance=0", "kNotifyRegress=1", "Loops=-1",
                        "DoAdvanceTo=0", "AdvanceTo=4", "DoRegressTo=1", "RegressType="}); // 7 has no item
    EXPECT_EQ(stage->windowTitle(), "[036C] Anim Stage");
}
