// The GUI control part windows, the dialog viewer and the nine control viewers: what the user sees after
// opening an object, and the part windows their links open.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "GuiWriters.h"
#include "ViewerKit.h"
#include "ViewerTestSupport.h"
#include "unitTpfGUIControlMod.h"
#include "unitTpfGUIValueCtrl.h"
#include "unitTplMSModifier.h"

using namespace testpages;
using testpages::makeKey;

namespace {

const TPRPObjectDesc kAnimA = makeKey(0x6D, "AnimA"), kAnimB = makeKey(0x6D, "AnimB");

// The control viewer on the shared full control part, as an Uru page stores it.
TfrmTpfGUIControlMod* openFullControl() {
    ByteWriter w(kVersionUru);
    writeControl(w, fullControl());
    return dynamic_cast<TfrmTpfGUIControlMod*>(openViewer(98, "Ctl", w));
}

} // namespace

TEST(GuiControlModViewer, ShowsEveryFieldOfThePart) {
    OpenedWindows windows;
    auto* form = openFullControl();
    ASSERT_NE(form, nullptr);
    expectShown(form, {"TagID=4000000000", "Visible=1", "SynchedObjLink=Synched Object Info (1)",
                       "ProcType=Console Command", "Command=Avatar.Spawn 3", "DynTextLayer=TextLayer",
                       "DynTextMap=TextMap", "SoundIndices=00000001|00000002|00000003", "Proxy=ProxyObj",
                       "Skin=Skin01"});
    // paintSelFore: a channel of 0.999 truncates to 254.
    expectShown(form, {"paintFore=007FFF", "paintBack=00FF00", "paintSelFore=FF00FE", "paintSelBack=996633",
                       "eAlphaFore=0.25", "eAlphaBack=1", "eAlphaSelFore=0.5", "eAlphaSelBack=0.75",
                       "Transparent=3000000000", "FontName=Sharper", "FontSize=12", "kFontBold=1",
                       "kFontItalic=0", "kFontShadowed=1"});
    EXPECT_FALSE(child<QLineEdit>(form, "Command")->isEnabled()) << "until the user picks a procedure";

    expectShown(windows.follow<TfrmTplMSModifier>(form, "LinkedSingleMod"),
                {"windowTitle=[001F] Single Modifier", "FlagsList=00000040|00000002"});
}

TEST(GuiControlModViewer, PickingAProcedureSwitchesTheCommandBox) {
    OpenedWindows windows;
    auto* form = openFullControl();
    ASSERT_NE(form, nullptr);
    auto* proc = child<QComboBox>(form, "ProcType");
    auto* command = child<QLineEdit>(form, "Command");
    emit proc->activated(1);
    EXPECT_TRUE(command->isEnabled());
    EXPECT_TRUE(child<QLabel>(form, "cmdLabel")->isEnabled());
    emit proc->activated(2);
    EXPECT_FALSE(command->isEnabled());
    EXPECT_EQ(command->palette().color(QPalette::Base), form->palette().color(QPalette::Button));
}

TEST(GuiControlModViewer, SwatchEditsOnlyMarkTheWindow) {
    OpenedWindows windows;
    auto* form = openFullControl();
    ASSERT_NE(form, nullptr);
    TColorSwatch::SetPicker(
        [](const QColor&, QWidget*) -> std::optional<QColor> { return QColor(0, 0, 255); });
    click(child<TColorSwatch>(form, "paintBack"));
    TColorSwatch::SetPicker({});
    EXPECT_EQ(child<TColorSwatch>(form, "paintBack")->Color(), 0xFF0000u);
    EXPECT_EQ(form->windowTitle(), "[0062] Ctl *");
    EXPECT_EQ(form->Part.ColorScheme.Colors[1].G, 1.0f) << "the part is not changed";
}

TEST(GuiPartWindows, ControlAndValueWindowsFromLinksCarryTheirFamilyNumbers) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const bool mystV = f.version == kVersionMystV;
        // A knob: its value link opens the value window, whose control link opens the control window.
        ByteWriter w(f.version, f.major);
        writeValueCtrl(w, fullControl(), -1, 1, 0.125f);
        w.keyRefs({}).safeStr("").f32(0).f32(0).f32(0).f32(0).f32(0).f32(0);
        auto* value = windows.follow<TfrmTpfGUIValueCtrl>(
            openViewer(IsMystVFamily(f.version) ? 151 : 177, "Knob", w), "LinkedValueCtrl");
        expectShown(value,
                    {"Min=-1", "Step=0.125",
                     mystV ? "windowTitle=[0096] GUI Value Ctrl" : "windowTitle=[00B0] GUI Value Ctrl"});
        expectShown(windows.follow<TfrmTpfGUIControlMod>(value, "LinkedControlMod"),
                    {"TagID=4000000000", "Skin=Skin01",
                     mystV ? "windowTitle=[0089] GUI Control Mod" : "windowTitle=[00A3] GUI Control Mod"});
    }
}

TEST(GuiDialogViewer, NameLinksControlsAndScheme) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    const TPRPObjectDesc b1 = makeKey(0xA1, "Btn1"), t1 = makeKey(0xAB, "Txt1");
    std::string name = dialogName("KIMini");
    name[100] = 'X'; // after the first zero: not shown
    writeDialog(w, name, {&b1, nullptr, &t1}, sampleScheme());
    auto* form = openViewer(152, "Dlg", w);
    // An absent control (present byte 0 in Uru and Live) adds no node.
    expectShown(form,
                {"DlgName=KIMini", "TagID=77", "Version=2", "SynchedObjLink=Synched Object Info (0)",
                 "RenderMod=RenderMod", "SceneNode=DlgNode", "ProcReceiver=DlgPython",
                 "ControlKeys=Btn1|Txt1", "paintSelFore=FF00FE", "FontName=Sharper", "kFontShadowed=1"});
    EXPECT_NE(windows.follow<TfrmTplMSModifier>(form, "LinkedSingleMod"), nullptr);
}

TEST(GuiButtonViewer, AnimationsWordsAndDraggable) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const bool mystV = IsMystVFamily(f.version);
        ByteWriter w(f.version, f.major);
        writeControl(w, plainControl());
        w.keyRefs({kAnimA, kAnimB}).safeStr("Press").keyRefs({kAnimB}).safeStr("Hover");
        if (mystV)
            w.u32(1).u32(2).u32(4294967295u);
        else
            w.u32(1);
        w.keyRef(nullptr);
        auto* form = openViewer(mystV ? 135 : 161, "Btn", w);
        expectShown(form, {"AnimKeys=AnimA|AnimB", "MouseOverAnimKeys=AnimB", "AnimName=Press",
                           "MouseOverAnimName=Hover", "Draggable=(none)"});
        if (mystV)
            expectShown(form, {"Edit1=1", "Edit3=4294967295", "NotifyType="});
        else
            expectShown(form, {"Edit1=", "NotifyType=Down Only"});
    }
}

TEST(GuiControlViewers, ControlBodiesAndTheirLinks) {
    OpenedWindows windows;
    ByteWriter cb(kVersionUru);
    writeControl(cb, plainControl());
    cb.keyRefs({kAnimA}).safeStr("Tick").u8(1);
    expectShown(openViewer(186, "Box", cb), {"Checked=1", "AnimName=Tick", "AnimKeys=AnimA"});

    ByteWriter dd(kVersionUru);
    writeControl(dd, plainControl());
    dd.keyRefs({makeKey(0x64, "Map")})
        .keyRefs({makeKey(6, "L1"), makeKey(6, "L2")})
        .keyRefs({makeKey(7, "M")});
    expectShown(openViewer(189, "Disp", dd), {"TextMapKeys=Map", "LayerKeys=L1|L2", "MaterialKeys=M"});

    ByteWriter kn(kVersionUru);
    writeValueCtrl(kn, plainControl(), 0, 1, 0.5f);
    kn.keyRefs({kAnimA}).safeStr("Turn").f32(1).f32(2).f32(3).f32(-4).f32(-5).f32(-6);
    expectShown(openViewer(177, "Knob", kn),
                {"StartX=1", "StartY=2", "StartZ=3", "EndX=-4", "EndY=-5", "EndZ=-6"});

    ByteWriter pr(kVersionUru);
    writeValueCtrl(pr, plainControl(), 0, 100, 1);
    pr.keyRefs({kAnimB}).safeStr("Fill");
    expectShown(openViewer(268, "Bar", pr),
                {"AnimName=Fill", "AnimKeys=AnimB", "LinkedValueCtrl=Value Control"});

    ByteWriter ml(kVersionUru);
    writeControl(ml, plainControl());
    const TPRPObjectDesc scroll = makeKey(0xAF, "Scroller");
    ml.u8(1).keyRef(&scroll);
    expectShown(openViewer(238, "Multi", ml), {"LinkedScrollControl=Scroller"});

    ByteWriter ud(kVersionUru);
    writeValueCtrl(ud, plainControl(), 100, 200, 300);
    const TPRPObjectDesc up = makeKey(0xA1, "UpBtn");
    ud.keyRef(&up).keyRef(nullptr).f32(-2.5f).f32(2.5f).f32(0.5f);
    auto* pair = openViewer(175, "Pair", ud);
    expectShown(pair, {"UpCtrlLink=UpBtn", "DnCtrlLink=(none)", "Min=-2.5", "Max=2.5", "Step=0.5"});
    expectShown(windows.follow<TfrmTpfGUIValueCtrl>(pair, "LinkedValueCtrl"), {"Min=100"});
}

TEST(GuiControlViewers, RadioGroupListsEverySlotButTreesOnlyPresentKeys) {
    OpenedWindows windows;
    const TPRPObjectDesc r1 = makeKey(0xBA, "Radio1"), r3 = makeKey(0xBA, "Radio3");
    struct Row {
        uint32_t stored;
        int index;
    };
    for (const Row row : {Row{2, 2}, Row{1, 1}, Row{0xFFFFFFFF, -1}, Row{3, -1}}) {
        SCOPED_TRACE(row.stored);
        ByteWriter w(kVersionUru);
        writeControl(w, plainControl());
        w.u32(3).keyRef(&r1).keyRef(nullptr).keyRef(&r3).u32(row.stored);
        auto* form = openViewer(187, "Radio", w);
        auto* list = child<QComboBox>(form, "Default");
        expectShown(form, {"Controls=Radio1|Radio3"});
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->itemText(2), "Radio3") << "an absent key keeps its slot";
        EXPECT_EQ(list->currentIndex(), row.index);
    }
}

// Which families store the path is the reader's; the box and the path follow the stored flag and the user.
TEST(GuiControlViewers, TextBoxLocalizationPathFollowsItsBox) {
    OpenedWindows windows;
    for (uint8_t useLoc : {1, 0}) {
        SCOPED_TRACE(int(useLoc));
        ByteWriter w(kVersionLive, kMajorVersionLive);
        writeControl(w, plainControl());
        w.string32("Line one\r\nLine two").u8(useLoc);
        if (useLoc) w.safeWStr(u"xLoc\u00e9.Path");
        auto* form = openViewer(171, "Text", w);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(child<QPlainTextEdit>(form, "Text")->toPlainText(), "Line one\nLine two");
        auto* box = child<QCheckBox>(form, "UseLocPath");
        auto* path = child<QLineEdit>(form, "LocalizationPath");
        EXPECT_EQ(box->isChecked(), useLoc != 0);
        EXPECT_EQ(path->isEnabled(), useLoc != 0);
        EXPECT_EQ(path->text(), useLoc ? QString::fromUtf16(u"xLoc\u00e9.Path") : QString());
        box->click();
        EXPECT_EQ(path->isEnabled(), useLoc == 0) << "the user's click runs the same handler";
    }
}
