// The GUI control part, colour scheme, value part, dialog and control bodies in every family: bytes in,
// record out, bytes consumed.
#include <gtest/gtest.h>

#include "GuiControlParts.h"
#include "GuiWriters.h"

using namespace testpages;
using testpages::makeKey;

namespace {

const TPRPObjectDesc kLayer = makeKey(6, "TextLayer"), kMap = makeKey(0x64, "TextMap"),
                     kProxy = makeKey(1, "ProxyObj"), kAnimA = makeKey(0x6D, "AnimA"),
                     kAnimB = makeKey(0x6D, "AnimB");

void expectScheme(const TColorScheme& s, const SchemeSpec& expected) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s.Colors[i].R, expected.colors[i][0]) << i;
        EXPECT_EQ(s.Colors[i].G, expected.colors[i][1]) << i;
        EXPECT_EQ(s.Colors[i].B, expected.colors[i][2]) << i;
        EXPECT_EQ(s.Colors[i].A, expected.colors[i][3]) << i;
    }
    EXPECT_EQ(s.Transparency, expected.transparency);
    EXPECT_EQ(s.FontName, expected.font);
    EXPECT_EQ(s.FontSize, expected.size);
    EXPECT_EQ(s.FontFlags, expected.flags);
}

} // namespace

TEST(GuiControlPartReader, EveryFieldInEveryFamily) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeControl(w, fullControl());
        TPlasmaStream s = streamOf(w);
        const TControlMod part = ReadGUIControlPart(s);
        EXPECT_EQ(part.SynchedObject.StringCount, 1u);
        EXPECT_EQ(part.SynchedObject.Version, f.version);
        EXPECT_EQ(part.Modifier.Flags, (std::vector<uint32_t>{0x40, 0x2}));
        EXPECT_EQ(part.TagID, 4000000000u);
        EXPECT_TRUE(part.Visible);
        EXPECT_EQ(part.ProcType, 1u);
        EXPECT_EQ(part.Command, "Avatar.Spawn 3");
        EXPECT_TRUE(part.HasDynText);
        EXPECT_EQ(part.DynTextLayer.Name, "TextLayer");
        EXPECT_EQ(part.DynTextMap.ClassType, 0x64);
        EXPECT_TRUE(part.HasColorScheme);
        expectScheme(part.ColorScheme, sampleScheme());
        EXPECT_EQ(part.SoundIndices, (std::vector<uint32_t>{1, 2, 3}));
        EXPECT_EQ(part.Proxy.Name, "ProxyObj");
        EXPECT_EQ(part.Skin.Name, "Skin01");
        EXPECT_TRUE(s.AtEnd());
    }
}

// The command text only for a console command (procedure 1); the proxy key only with bit 0x40 in the first
// flag word. No dynamic text: the next byte is the scheme flag; no scheme: the sound count follows.
TEST(GuiControlPartReader, ProcedureFlagBytesAndProxyDecideWhatFollows) {
    struct Row {
        uint32_t procType;
        std::string command;
        std::vector<uint32_t> words;
        bool proxy;
    };
    const Row rows[] = {{0, "", {}, false},
                        {1, "say hi", {0x00}, false},
                        {1, "", {0x3F, 0x40}, false},
                        {0, "", {0xFFC1, 0}, true}};
    for (const Family& f : kFamilies)
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << f.name << " type " << row.procType << " '" << row.command
                                            << "' words " << row.words.size());
            ByteWriter w(f.version, f.major);
            ControlSpec c = plainControl();
            c.procType = row.procType;
            c.command = row.command;
            c.modFlags = row.words;
            c.proxy = kProxy;
            c.sounds = {0xDEADBEEF};
            writeControl(w, c);
            TPlasmaStream s = streamOf(w);
            const TControlMod part = ReadGUIControlPart(s);
            EXPECT_EQ(part.ProcType, row.procType);
            EXPECT_EQ(part.Command, row.command);
            EXPECT_FALSE(part.HasDynText);
            EXPECT_FALSE(part.HasColorScheme);
            EXPECT_EQ(part.SoundIndices, std::vector<uint32_t>{0xDEADBEEF});
            EXPECT_EQ(part.Proxy.Name, row.proxy ? "ProxyObj" : "");
            EXPECT_EQ(part.Skin.Name, "Skin01") << "the fields after the procedure stay in step";
            EXPECT_TRUE(s.AtEnd());
        }
}

// ---- Dialog

TEST(DialogReader, EveryFieldInEveryFamily) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        const TPRPObjectDesc b1 = makeKey(0xA1, "Btn1"), b2 = makeKey(0xAB, "Txt1");
        writeDialog(w, dialogName("KIBlackBar"), {&b1, &b2}, sampleScheme());
        const std::string full(kDialogNameSize, 'N');
        writeDialog(w, full, {nullptr}, SchemeSpec{});
        TPlasmaStream s = streamOf(w);
        const TDialogMod dlg = ReadDialogMod(s);
        EXPECT_EQ(dlg.Modifier.Flags, std::vector<uint32_t>{1});
        EXPECT_EQ(dlg.RenderMod.Name, "RenderMod");
        EXPECT_EQ(dlg.Name.size(), kDialogNameSize);
        EXPECT_EQ(DialogNameText(dlg.Name), "KIBlackBar");
        ASSERT_EQ(dlg.ControlKeys.size(), 2u);
        EXPECT_EQ(dlg.ControlKeys[1].Name, "Txt1");
        EXPECT_EQ(dlg.TagID, 77u);
        EXPECT_EQ(dlg.ProcReceiver.Name, "DlgPython");
        EXPECT_EQ(dlg.Version, 2u);
        expectScheme(dlg.ColorScheme, sampleScheme());
        EXPECT_EQ(dlg.SceneNode.Name, "DlgNode");
        const TDialogMod second = ReadDialogMod(s);
        EXPECT_EQ(DialogNameText(second.Name), full) << "no zero byte: all 128 characters";
        EXPECT_EQ(second.ControlKeys.size(), 1u) << "an absent key keeps its slot";
        EXPECT_EQ(second.SceneNode.Name, "DlgNode") << "an all-zero scheme is still read";
        EXPECT_TRUE(s.AtEnd());
    }
}

// ---- Control bodies

// Each control body after its control (or value) part, one after the other in one stream; a button's words
// after its animations depend on the family.
TEST(GuiControlReaders, ControlBodiesAfterTheirParts) {
    const TPRPObjectDesc scroll = makeKey(0xAF, "Scroller"), up = makeKey(0xA1, "Up"),
                         r1 = makeKey(0xBA, "Radio1"), r3 = makeKey(0xBA, "Radio3");
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const bool mystV = IsMystVFamily(f.version);
        ByteWriter w(f.version, f.major);
        writeControl(w, plainControl());
        w.keyRefs({kAnimA, kAnimB}).safeStr("Press").keyRefs({kAnimB}).safeStr("Hover");
        if (mystV)
            w.u32(7).u32(8).u32(4294967295u);
        else
            w.u32(2);
        w.keyRef(&scroll);
        writeControl(w, plainControl());
        w.keyRefs({kAnimA}).safeStr("Tick").u8(3);
        writeControl(w, plainControl());
        w.keyRefs({kMap}).keyRefs({kLayer, kLayer}).keyRefs({});
        writeValueCtrl(w, plainControl(), 0, 1, 0.1f);
        w.keyRefs({kAnimA}).safeStr("Turn").f32(1).f32(2).f32(3).f32(4).f32(5).f32(6);
        writeValueCtrl(w, plainControl(), 0, 100, 1);
        w.keyRefs({kAnimA, kAnimB}).safeStr("Fill");
        for (uint8_t flag : {0, 1}) { // the multi-line box's scroll key follows only its flag
            writeControl(w, plainControl());
            w.u8(flag);
            if (flag) w.keyRef(&scroll);
        }
        writeValueCtrl(w, plainControl(), 1, 2, 3);
        w.keyRef(&up).keyRef(nullptr).f32(-10).f32(10).f32(0.5f);
        writeControl(w, plainControl());
        w.u32(3).keyRef(&r1).keyRef(nullptr).keyRef(&r3).u32(0xFFFFFFFF);
        TPlasmaStream s = streamOf(w);

        const TGUIButtonRecord b = ReadGUIButton(s);
        ASSERT_EQ(b.AnimKeys.size(), 2u);
        EXPECT_EQ(b.AnimKeys[1].Name, "AnimB");
        EXPECT_EQ(b.AnimName, "Press");
        ASSERT_EQ(b.MouseOverAnimKeys.size(), 1u);
        EXPECT_EQ(b.MouseOverAnimName, "Hover");
        EXPECT_EQ(b.EOA, mystV ? (std::array<uint32_t, 3>{7, 8, 4294967295u}) : (std::array<uint32_t, 3>{}));
        EXPECT_EQ(b.NotifyType, mystV ? 0u : 2u);
        EXPECT_EQ(b.Draggable.Name, "Scroller");
        const TGUICheckBoxRecord box = ReadGUICheckBox(s);
        EXPECT_EQ(box.AnimName, "Tick");
        EXPECT_TRUE(box.Checked);
        const TGUIDynDisplayRecord disp = ReadGUIDynDisplay(s);
        EXPECT_EQ(disp.TextMapKeys.size(), 1u);
        EXPECT_EQ(disp.LayerKeys.size(), 2u);
        EXPECT_TRUE(disp.MaterialKeys.empty());
        const TGUIKnobRecord knob = ReadGUIKnob(s);
        EXPECT_EQ(knob.Value.Max, 1.0f);
        EXPECT_EQ(knob.AnimName, "Turn");
        EXPECT_EQ(knob.Start.X, 1.0f);
        EXPECT_EQ(knob.Start.Z, 3.0f);
        EXPECT_EQ(knob.End.X, 4.0f);
        EXPECT_EQ(knob.End.Z, 6.0f);
        const TGUIProgressRecord progress = ReadGUIProgress(s);
        EXPECT_EQ(progress.Value.Max, 100.0f);
        EXPECT_EQ(progress.AnimKeys.size(), 2u);
        EXPECT_EQ(progress.AnimName, "Fill");
        for (bool flag : {false, true}) {
            const TGUIMultiLineRecord multi = ReadGUIMultiLine(s);
            EXPECT_EQ(multi.HasScrollControl, flag);
            EXPECT_EQ(multi.ScrollControl.Name, flag ? "Scroller" : "");
        }
        const TGUIUpDownPairRecord pair = ReadGUIUpDownPair(s);
        EXPECT_EQ(pair.Value.Step, 3.0f);
        EXPECT_EQ(pair.UpControl.Name, "Up");
        EXPECT_EQ(pair.DownControl.Name, "");
        EXPECT_EQ(pair.Min, -10.0f);
        EXPECT_EQ(pair.Max, 10.0f);
        EXPECT_EQ(pair.Step, 0.5f);
        const TGUIRadioGroupRecord group = ReadGUIRadioGroup(s);
        ASSERT_EQ(group.Controls.size(), 3u) << "an absent key keeps its slot";
        EXPECT_EQ(group.Controls[2].Name, "Radio3");
        EXPECT_EQ(group.Default, 0xFFFFFFFFu);
        EXPECT_TRUE(s.AtEnd());
    }
}

TEST(GuiControlReaders, TextBoxLocalizationOnlyInMajorVersion70) {
    struct Row {
        uint16_t version;
        uint16_t major;
        uint8_t useLoc;
        bool readsLoc;
    };
    const Row rows[] = {{kVersionUru, 0, 1, false},
                        {kVersionLive, kMajorVersionLive, 1, true},
                        {kVersionLive, kMajorVersionLive, 0, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << row.version << " major " << row.major << " loc " << int(row.useLoc));
        ByteWriter w(row.version, row.major);
        writeControl(w, plainControl());
        w.string32("Hello\r\nWorld");
        const size_t textEnd = w.size();
        w.u8(row.useLoc);
        if (row.useLoc) w.safeWStr(u"Loc/Path");
        TPlasmaStream s = streamOf(w);
        const TGUITextBoxRecord box = ReadGUITextBox(s);
        EXPECT_EQ(box.Text, "Hello\r\nWorld");
        if (!row.readsLoc) {
            EXPECT_EQ(s.Position(), int64_t(textEnd)) << "no byte after the text is read";
            EXPECT_FALSE(box.UseLocPath);
            EXPECT_TRUE(box.LocalizationPath.empty());
        } else {
            EXPECT_EQ(box.UseLocPath, row.useLoc != 0);
            EXPECT_EQ(box.LocalizationPath, row.useLoc ? u"Loc/Path" : u"");
            EXPECT_TRUE(s.AtEnd());
        }
    }
}
