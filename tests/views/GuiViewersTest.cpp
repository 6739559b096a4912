// The GUI control part windows, the dialog viewer and the nine control viewers: what the user sees after
// opening an object, and the part windows their links open.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "GuiWriters.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "ViewerTestSupport.h"
#include "unitTpfGUIButtonMod.h"
#include "unitTpfGUIControlMod.h"
#include "unitTpfGUIDialogMod.h"
#include "unitTpfGUIValueCtrl.h"
#include "unitTplMSModifier.h"

using namespace testparts;
using namespace testgui;
using testpages::makeKey;

namespace {

const TPRPObjectDesc kSkin = makeKey(0xAD, "Skin01"), kAnimA = makeKey(0x6D, "AnimA"),
                     kAnimB = makeKey(0x6D, "AnimB");

ControlSpec richControl() {
    ControlSpec c;
    c.synchFlags = 0x10;
    c.synchStrings = {"Excl"};
    c.modFlags = {0x40};
    c.tagID = 4000000000u;
    c.visible = 1;
    c.procType = 1;
    c.command = "Avatar.Spawn 3";
    c.hasDynText = true;
    c.dynLayer = makeKey(6, "TextLayer");
    c.scheme = sampleScheme();
    c.sounds = {1, 2, 0xABCDEF};
    c.proxy = makeKey(1, "ProxyObj");
    c.skin = kSkin;
    return c;
}

ControlSpec plainControl() {
    ControlSpec c;
    c.tagID = 5;
    c.skin = kSkin;
    return c;
}

// Class indexes of a viewer in each family (Uru/Live and Myst V/Hex Isle).
struct Classes {
    uint16_t uru;
    uint16_t mystV;
    uint16_t of(uint16_t version) const { return IsMystVFamily(version) ? mystV : uru; }
};

// Names of every key node of a tree, in tree order.
QStringList keyNames(const QTreeWidget* tree) {
    QStringList names;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* group = tree->topLevelItem(i);
        for (int j = 0; j < group->childCount(); ++j)
            names << group->child(j)->text(0);
    }
    return names;
}

} // namespace

TEST(GuiControlModViewer, ShowsEveryFieldOfThePart) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeControl(w, richControl());
        const uint16_t cls = Classes{98, 87}.of(f.version);
        auto* form = dynamic_cast<TfrmTpfGUIControlMod*>(openViewer(cls, "Ctl", w));
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), IsMystVFamily(f.version) ? "[0057] Ctl" : "[0062] Ctl");
        EXPECT_EQ(editText(form, "TagID"), "4000000000");
        EXPECT_TRUE(child<QCheckBox>(form, "Visible")->isChecked());
        EXPECT_EQ(child<QLabel>(form, "SynchedObjLink")->text(), "Synched Object Info (1)");
        auto* proc = child<QComboBox>(form, "ProcType");
        EXPECT_EQ(comboTexts(proc),
                  (QStringList{"(NULL)", "Console Command", "Python Script", "Close Dialog"}));
        EXPECT_EQ(proc->currentText(), "Console Command");
        EXPECT_EQ(editText(form, "Command"), "Avatar.Spawn 3");
        EXPECT_FALSE(child<QLineEdit>(form, "Command")->isEnabled()) << "until the user picks a procedure";
        EXPECT_FALSE(child<QLabel>(form, "cmdLabel")->isEnabled());
        EXPECT_EQ(child<QLabel>(form, "DynTextLayer")->text(), "TextLayer");
        auto* map = child<QLabel>(form, "DynTextMap");
        EXPECT_EQ(map->text(), "(none)");
        EXPECT_FALSE(map->isEnabled());

        EXPECT_EQ(child<TColorSwatch>(form, "paintFore")->Color(), 0x00007FFFu);
        EXPECT_EQ(child<TColorSwatch>(form, "paintBack")->Color(), 0x0000FF00u);
        EXPECT_EQ(child<TColorSwatch>(form, "paintSelFore")->Color(), 0x00FF00FEu)
            << "0.999 truncates to 254";
        EXPECT_EQ(child<TColorSwatch>(form, "paintSelBack")->Color(), 0x00996633u);
        EXPECT_EQ(editText(form, "eAlphaFore"), "0.25");
        EXPECT_EQ(editText(form, "eAlphaBack"), "1");
        EXPECT_EQ(editText(form, "eAlphaSelFore"), "0.5");
        EXPECT_EQ(editText(form, "eAlphaSelBack"), "0.75");
        EXPECT_EQ(editText(form, "Transparent"), "3000000000");
        EXPECT_EQ(editText(form, "FontName"), "Sharper");
        EXPECT_EQ(editText(form, "FontSize"), "12");
        EXPECT_TRUE(child<QCheckBox>(form, "kFontBold")->isChecked());
        EXPECT_FALSE(child<QCheckBox>(form, "kFontItalic")->isChecked());
        EXPECT_TRUE(child<QCheckBox>(form, "kFontShadowed")->isChecked());
        EXPECT_EQ(listTexts(child<QListWidget>(form, "SoundIndices")),
                  (QStringList{"00000001", "00000002", "00ABCDEF"}));
        EXPECT_EQ(child<QLabel>(form, "Proxy")->text(), "ProxyObj");
        EXPECT_EQ(child<QLabel>(form, "Skin")->text(), "Skin01");

        click(child<QLabel>(form, "LinkedSingleMod"));
        auto* mod = windows.last<TfrmTplMSModifier>();
        ASSERT_NE(mod, nullptr);
        EXPECT_EQ(mod->windowTitle(), "[001F] Single Modifier");
        EXPECT_EQ(listTexts(mod->FlagsList), QStringList{"00000040"});
    }
}

TEST(GuiControlModViewer, PickingAProcedureSwitchesTheCommandBox) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    writeControl(w, richControl());
    auto* form = openViewer(98, "Ctl", w);
    auto* proc = child<QComboBox>(form, "ProcType");
    auto* command = child<QLineEdit>(form, "Command");
    emit proc->activated(1);
    EXPECT_TRUE(command->isEnabled());
    EXPECT_TRUE(child<QLabel>(form, "cmdLabel")->isEnabled());
    emit proc->activated(2);
    EXPECT_FALSE(command->isEnabled());
    EXPECT_EQ(command->palette().color(QPalette::Base), form->palette().color(QPalette::Button));
}

TEST(GuiControlModViewer, AbsentSchemeAndUnknownProcedure) {
    OpenedWindows windows;
    ByteWriter w(kVersionLive, kMajorVersionLive);
    ControlSpec c = plainControl();
    c.procType = 9;
    writeControl(w, c);
    auto* form = openViewer(165, "Plain", w);
    EXPECT_EQ(child<QComboBox>(form, "ProcType")->currentIndex(), -1);
    EXPECT_EQ(editText(form, "Command"), "");
    EXPECT_EQ(child<TColorSwatch>(form, "paintFore")->Color(), 0u);
    EXPECT_EQ(editText(form, "eAlphaSelBack"), "0");
    EXPECT_EQ(editText(form, "FontSize"), "0");
    EXPECT_TRUE(listTexts(child<QListWidget>(form, "SoundIndices")).isEmpty());
    EXPECT_EQ(child<QLabel>(form, "Proxy")->text(), "(none)");
}

TEST(GuiControlModViewer, SwatchEditsOnlyMarkTheWindow) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    writeControl(w, richControl());
    auto* form = dynamic_cast<TfrmTpfGUIControlMod*>(openViewer(98, "Ctl", w));
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
        writeValueCtrl(w, richControl(), -1, 1, 0.125f);
        w.keyRefs({}).safeStr("").f32(0).f32(0).f32(0).f32(0).f32(0).f32(0);
        auto* knob = openViewer(Classes{177, 151}.of(f.version), "Knob", w);
        ASSERT_NE(knob, nullptr);
        click(child<QLabel>(knob, "LinkedValueCtrl"));
        auto* value = windows.last<TfrmTpfGUIValueCtrl>();
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->windowTitle(), mystV ? "[0096] GUI Value Ctrl" : "[00B0] GUI Value Ctrl");
        EXPECT_EQ(editText(value, "Min"), "-1");
        EXPECT_EQ(editText(value, "Step"), "0.125");
        click(child<QLabel>(value, "LinkedControlMod"));
        auto* control = windows.last<TfrmTpfGUIControlMod>();
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->windowTitle(), mystV ? "[0089] GUI Control Mod" : "[00A3] GUI Control Mod");
        EXPECT_EQ(editText(control, "TagID"), "4000000000");
        EXPECT_EQ(child<QLabel>(control, "Skin")->text(), "Skin01");
    }
}

TEST(GuiValueCtrlViewer, OwnCaptionReplacesThePartCaption) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeValueCtrl(w, plainControl(), 0, 1e20f, 0.0001f);
        auto* form = openViewer(Classes{176, 150}.of(f.version), "Val", w);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), IsMystVFamily(f.version) ? "[0096] Val" : "[00B0] Val");
        EXPECT_EQ(editText(form, "Max"), "1.00000002004088E20");
        EXPECT_EQ(editText(form, "Step"), "9.99999974737875E-5");
    }
}

TEST(GuiDialogViewer, NameLinksControlsAndScheme) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeSynched(w, 0);
        writeWords(w, {0x8});
        const TPRPObjectDesc render = makeKey(0x4C, "RenderMod"), b1 = makeKey(0xA1, "Btn1"),
                             t1 = makeKey(0xAB, "Txt1"), node = makeKey(0, "DlgNode");
        std::string name = "KIMini";
        name.resize(128, '\0');
        name[100] = 'X'; // after the first zero: not shown
        w.keyRef(&render).raw(name);
        w.u32(3).keyRef(&b1).keyRef(nullptr).keyRef(&t1);
        w.u32(42).keyRef(nullptr).u32(3);
        writeColorScheme(w, sampleScheme());
        w.keyRef(&node);
        auto* form =
            dynamic_cast<TfrmTpfGUIDialogMod*>(openViewer(Classes{152, 128}.of(f.version), "Dlg", w));
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), IsMystVFamily(f.version) ? "[0080] Dlg" : "[0098] Dlg");
        EXPECT_EQ(editText(form, "DlgName"), "KIMini");
        EXPECT_EQ(editText(form, "TagID"), "42");
        EXPECT_EQ(editText(form, "Version"), "3");
        EXPECT_EQ(child<QLabel>(form, "SynchedObjLink")->text(), "Synched Object Info (0)");
        EXPECT_EQ(child<QLabel>(form, "RenderMod")->text(), "RenderMod");
        EXPECT_FALSE(child<QLabel>(form, "ProcReceiver")->isEnabled());
        EXPECT_EQ(child<QLabel>(form, "SceneNode")->text(), "DlgNode");
        // An absent control (present byte 0 in Uru and Live) adds no node.
        auto* tree = child<TObjRefTreeView>(form, "ControlKeys");
        QStringList names = keyNames(tree);
        names.sort();
        EXPECT_EQ(names, IsMystVFamily(f.version) ? (QStringList{"", "Btn1", "Txt1"})
                                                  : (QStringList{"Btn1", "Txt1"}));
        EXPECT_EQ(child<TColorSwatch>(form, "paintSelFore")->Color(), 0x00FF00FEu);
        EXPECT_EQ(editText(form, "FontName"), "Sharper");
        EXPECT_TRUE(child<QCheckBox>(form, "kFontShadowed")->isChecked());

        click(child<QLabel>(form, "LinkedSingleMod"));
        ASSERT_NE(windows.last<TfrmTplMSModifier>(), nullptr);
        EXPECT_EQ(windows.last<TfrmTplMSModifier>()->windowTitle(), "[001F] Single Modifier");
    }
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
        auto* form = openViewer(Classes{161, 135}.of(f.version), "Btn", w);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(keyNames(child<TObjRefTreeView>(form, "AnimKeys")), (QStringList{"AnimA", "AnimB"}));
        EXPECT_EQ(keyNames(child<TObjRefTreeView>(form, "MouseOverAnimKeys")), QStringList{"AnimB"});
        EXPECT_EQ(editText(form, "AnimName"), "Press");
        EXPECT_EQ(editText(form, "MouseOverAnimName"), "Hover");
        auto* notify = child<QComboBox>(form, "NotifyType");
        EXPECT_EQ(comboTexts(notify), (QStringList{"Up Only", "Down Only", "Both"}));
        if (mystV) {
            EXPECT_EQ(editText(form, "Edit1"), "1");
            EXPECT_EQ(editText(form, "Edit3"), "4294967295");
            EXPECT_EQ(notify->currentIndex(), -1);
        } else {
            EXPECT_EQ(editText(form, "Edit1"), "");
            EXPECT_EQ(notify->currentText(), "Down Only");
        }
        auto* drag = child<QLabel>(form, "Draggable");
        EXPECT_EQ(drag->text(), "(none)");
        EXPECT_FALSE(drag->isEnabled());

        click(child<QLabel>(form, "LinkedControlMod"));
        auto* control = windows.last<TfrmTpfGUIControlMod>();
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(editText(control, "TagID"), "5");
    }
}

TEST(GuiButtonViewer, UnknownNotifyTypeSelectsNothingAndShowsItsNumber) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    writeControl(w, plainControl());
    w.keyRefs({}).safeStr("").keyRefs({}).safeStr("").u32(9).keyRef(nullptr);
    auto* form = openViewer(282, "Btn", w);
    auto* notify = child<QComboBox>(form, "NotifyType");
    EXPECT_EQ(notify->currentIndex(), -1);
    EXPECT_EQ(notify->placeholderText(), "9");
}

TEST(GuiControlViewers, CheckBoxDynDisplayKnobAndProgress) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter cb(f.version, f.major);
        writeControl(cb, plainControl());
        cb.keyRefs({kAnimA}).safeStr("Tick").u8(1);
        auto* box = openViewer(Classes{186, 156}.of(f.version), "Box", cb);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(child<QCheckBox>(box, "Checked")->isChecked());
        EXPECT_EQ(editText(box, "AnimName"), "Tick");
        EXPECT_EQ(keyNames(child<TObjRefTreeView>(box, "AnimKeys")), QStringList{"AnimA"});

        ByteWriter dd(f.version, f.major);
        writeControl(dd, plainControl());
        dd.keyRefs({makeKey(0x64, "Map")})
            .keyRefs({makeKey(6, "L1"), makeKey(6, "L2")})
            .keyRefs({makeKey(7, "M")});
        auto* disp = openViewer(Classes{189, 158}.of(f.version), "Disp", dd);
        ASSERT_NE(disp, nullptr);
        EXPECT_EQ(keyNames(child<TObjRefTreeView>(disp, "TextMapKeys")), QStringList{"Map"});
        EXPECT_EQ(keyNames(child<TObjRefTreeView>(disp, "LayerKeys")), (QStringList{"L1", "L2"}));
        EXPECT_EQ(keyNames(child<TObjRefTreeView>(disp, "MaterialKeys")), QStringList{"M"});

        ByteWriter kn(f.version, f.major);
        writeValueCtrl(kn, plainControl(), 0, 1, 0.5f);
        kn.keyRefs({kAnimA}).safeStr("Turn").f32(1).f32(2).f32(3).f32(-4).f32(-5).f32(-6);
        auto* knob = openViewer(Classes{177, 151}.of(f.version), "Knob", kn);
        ASSERT_NE(knob, nullptr);
        const char* names[6] = {"StartX", "StartY", "StartZ", "EndX", "EndY", "EndZ"};
        const char* values[6] = {"1", "2", "3", "-4", "-5", "-6"};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(editText(knob, names[i]), values[i]) << names[i];

        ByteWriter pr(f.version, f.major);
        writeValueCtrl(pr, plainControl(), 0, 100, 1);
        pr.keyRefs({kAnimB}).safeStr("Fill");
        auto* progress = openViewer(Classes{268, 224}.of(f.version), "Bar", pr);
        ASSERT_NE(progress, nullptr);
        EXPECT_EQ(editText(progress, "AnimName"), "Fill");
        EXPECT_EQ(keyNames(child<TObjRefTreeView>(progress, "AnimKeys")), QStringList{"AnimB"});
        EXPECT_EQ(child<QLabel>(progress, "LinkedValueCtrl")->text(), "Value Control");
    }
}

TEST(GuiControlViewers, MultiLineScrollControl) {
    OpenedWindows windows;
    const TPRPObjectDesc scroll = makeKey(0xAF, "Scroller");
    for (const Family& f : kFamilies)
        for (uint8_t flag : {0, 1}) {
            SCOPED_TRACE(testing::Message() << f.name << " " << int(flag));
            ByteWriter w(f.version, f.major);
            writeControl(w, plainControl());
            w.u8(flag);
            if (flag) w.keyRef(&scroll);
            auto* form = openViewer(Classes{238, 202}.of(f.version), "Multi", w);
            ASSERT_NE(form, nullptr);
            auto* link = child<QLabel>(form, "LinkedScrollControl");
            EXPECT_EQ(link->text(), flag ? "Scroller" : "(none)");
            EXPECT_EQ(link->isEnabled(), flag != 0);
        }
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
        EXPECT_EQ(comboTexts(list), (QStringList{"Radio1", "", "Radio3"}));
        EXPECT_EQ(list->currentIndex(), row.index);
        EXPECT_EQ(keyNames(child<TObjRefTreeView>(form, "Controls")), (QStringList{"Radio1", "Radio3"}));
    }
}

TEST(GuiControlViewers, TextBoxLocalizationPathFollowsItsBox) {
    OpenedWindows windows;
    struct Row {
        uint16_t version;
        uint16_t major;
        uint8_t useLoc;
    };
    for (const Row row : {Row{kVersionLive, kMajorVersionLive, 1}, Row{kVersionLive, kMajorVersionLive, 0},
                          Row{kVersionUru, 0, 1}, Row{kVersionMystV, 0, 1}}) {
        SCOPED_TRACE(testing::Message() << row.version << " " << int(row.useLoc));
        ByteWriter w(row.version, row.major);
        writeControl(w, plainControl());
        w.string32("Line one\r\nLine two").u8(row.useLoc);
        if (row.useLoc) w.safeWStr(u"xLoc\u00e9.Path");
        auto* form = openViewer(Classes{171, 145}.of(row.version), "Text", w);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(child<QPlainTextEdit>(form, "Text")->toPlainText(), "Line one\nLine two");
        const bool shown = row.major == kMajorVersionLive && row.useLoc;
        auto* box = child<QCheckBox>(form, "UseLocPath");
        auto* path = child<QLineEdit>(form, "LocalizationPath");
        EXPECT_EQ(box->isChecked(), shown);
        EXPECT_EQ(path->isEnabled(), shown);
        EXPECT_EQ(path->text(), shown ? QString::fromUtf16(u"xLoc\u00e9.Path") : QString());
        box->click();
        EXPECT_EQ(path->isEnabled(), !shown) << "the user's click runs the same handler";
    }
}

TEST(GuiControlViewers, UpDownPairLinksAndItsOwnRange) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeValueCtrl(w, plainControl(), 100, 200, 300);
        const TPRPObjectDesc up = makeKey(0xA1, "UpBtn");
        w.keyRef(&up).keyRef(nullptr).f32(-2.5f).f32(2.5f).f32(0.5f);
        auto* form = openViewer(Classes{175, 149}.of(f.version), "Pair", w);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(child<QLabel>(form, "UpCtrlLink")->text(), "UpBtn");
        EXPECT_EQ(child<QLabel>(form, "DnCtrlLink")->text(), "(none)");
        EXPECT_EQ(editText(form, "Min"), "-2.5");
        EXPECT_EQ(editText(form, "Max"), "2.5");
        EXPECT_EQ(editText(form, "Step"), "0.5");
        click(child<QLabel>(form, "LinkedValueCtrl"));
        auto* value = windows.last<TfrmTpfGUIValueCtrl>();
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(editText(value, "Min"), "100");
    }
}
