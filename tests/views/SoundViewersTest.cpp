// The sound, EAX settings, Win32 sound, sound buffer and win-audible windows as the user sees them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "LogicWriters.h"
#include "PRP_VCL.h"
#include "ViewerTestSupport.h"
#include "unitTplEAXSourceSettings.h"
#include "unitTplSound.h"
#include "unitTplWin32Sound.h"

using namespace testpages;
using testpages::makeKey;

namespace {
const TPRPObjectDesc kBuffer = makeKey(41, "Birds.ogg:L");

} // namespace

TEST(SoundViewer, ValuesPropertiesFadesAndLinks) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        SoundBytes bytes;
        bytes.dataBuffer = &kBuffer;
        writeSound(w, bytes);
        auto* form = openViewer(IsMystVFamily(f.version) ? 69 : 72, "Birds", w);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), IsMystVFamily(f.version) ? "[0045] Birds" : "[0048] Birds");
        EXPECT_TRUE(child<QCheckBox>(form, "Playing")->isChecked());
        EXPECT_EQ(editText(form, "Time"), "2.5");
        EXPECT_EQ(editText(form, "MaxFalloff"), "100");
        EXPECT_EQ(editText(form, "MinFalloff"), "-5");
        EXPECT_EQ(editText(form, "CurrVolume"), "0.5");
        EXPECT_EQ(editText(form, "InnerCone"), "360");
        EXPECT_EQ(editText(form, "FadedVolume"), "0.25");
        EXPECT_EQ(editText(form, "Priority"), "7");
        EXPECT_EQ(child<QComboBox>(form, "SoundType")->currentText(), "Background Music");
        EXPECT_TRUE(child<QCheckBox>(form, "kPropIs3DSound")->isChecked());
        EXPECT_FALSE(child<QCheckBox>(form, "kPropDisableLOD")->isChecked());
        EXPECT_TRUE(child<QCheckBox>(form, "kPropLooping")->isChecked());
        EXPECT_TRUE(child<QCheckBox>(form, "kPropIncidental")->isChecked());
        EXPECT_EQ(child<QCheckBox>(form, "kPropDontFade")->text(), "Don't Fade");
        EXPECT_EQ(editText(form, "FILength"), "1.5");
        EXPECT_EQ(child<QComboBox>(form, "FIType")->currentText(), "Logarithmic");
        EXPECT_EQ(editText(form, "FICurrTime"), "0.75");
        EXPECT_EQ(editText(form, "FIStopWhenDone"), "1");
        EXPECT_EQ(child<QComboBox>(form, "FOType")->currentText(), "Exponential");
        EXPECT_EQ(editText(form, "FOFadeSoftVol"), "4000000000");
        EXPECT_EQ(child<QLabel>(form, "LinkedDataBuffer")->text(), "Birds.ogg:L");
        EXPECT_FALSE(child<QLabel>(form, "LinkedSoftRegion")->isEnabled());
        EXPECT_EQ(child<QLabel>(form, "LinkedSoftOcclusionRegion")->text(), "(none)");
    }
}

TEST(SoundViewer, UnknownSoundTypeLeavesTheComboEmpty) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    SoundBytes bytes;
    bytes.soundType = 7;
    writeSound(w, bytes);
    auto* form = openViewer(72, "Odd", w);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(child<QComboBox>(form, "SoundType")->currentIndex(), -1);
    EXPECT_EQ(child<QComboBox>(form, "SoundType")->currentText(), "");
}

TEST(SoundViewer, EAXWindowGreyedWithDefaultsOrFilled) {
    OpenedWindows windows;
    for (bool enabled : {false, true}) {
        SCOPED_TRACE(enabled);
        ByteWriter w(kVersionUru);
        SoundBytes bytes;
        bytes.eaxEnabled = enabled;
        writeSound(w, bytes);
        auto* form = openViewer(72, "Birds", w);
        ASSERT_NE(form, nullptr);
        click(child<QLabel>(form, "LinkedEAXSettings"));
        auto* eax = windows.last<TfrmTplEAXSourceSettings>();
        ASSERT_NE(eax, nullptr);
        EXPECT_EQ(eax->windowTitle(), "EAX Source Settings");
        EXPECT_EQ(eax->Enabled->isChecked(), enabled);
        EXPECT_EQ(eax->Room->isEnabled(), enabled);
        EXPECT_EQ(eax->RoomAuto->isEnabled(), enabled);
        EXPECT_EQ(child<QLineEdit>(eax, "EndOcclusionDirectRatio")->isEnabled(), enabled);
        EXPECT_TRUE(eax->Enabled->isEnabled());
        if (!enabled) {
            EXPECT_EQ(editText(eax, "Room"), "-1");
            EXPECT_EQ(editText(eax, "AirAbsorptionFactor"), "1");
            EXPECT_EQ(editText(eax, "StartOcclusionLFRatio"), "0.25");
            EXPECT_EQ(editText(eax, "EndOcclusionRoomRatio"), "1.5");
            EXPECT_TRUE(eax->RoomHFAuto->isChecked());
        } else {
            EXPECT_EQ(editText(eax, "Room"), "-1000");
            EXPECT_EQ(editText(eax, "OutsideVolHF"), "-3");
            EXPECT_EQ(editText(eax, "StartOcclusion"), "10");
            EXPECT_EQ(editText(eax, "EndOcclusion"), "20");
            EXPECT_EQ(editText(eax, "OcclusionSoftValue"), "0.75");
            EXPECT_FALSE(eax->RoomAuto->isChecked());
        }
        // The user's click on Enabled greys or frees the other fields.
        eax->Enabled->click();
        EXPECT_EQ(eax->Room->isEnabled(), !enabled);
    }
}

TEST(Win32SoundViewer, ChannelAndSoundWindowClassPerFamily) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        writeSound(w, SoundBytes{});
        w.u8(1);
        auto* form = openViewer(IsMystVFamily(f.version) ? 115 : 132, "Win", w);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(child<QComboBox>(form, "Channel")->currentText(), "Right");
        auto* link = child<QLabel>(form, "LinkedSound");
        EXPECT_EQ(link->text(), "Sound Object");
        click(link);
        auto* sound = windows.last<TfrmTplSound>();
        ASSERT_NE(sound, nullptr);
        // Only a Myst V part gets 69; Hex Isle keeps 72.
        EXPECT_EQ(sound->windowTitle(), f.version == kVersionMystV ? "[0045] Sound" : "[0048] Sound");
        EXPECT_EQ(editText(sound, "OuterCone"), "90");
    }
}

TEST(SoundBufferViewer, FlagsFileAndWaveHeader) {
    OpenedWindows windows;
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        w.u32(0x12).u32(99).safeStr("Birds.ogg").u16(1).u16(2).u32(4000000000u).u32(176400).u16(4).u16(16);
        auto* form = openViewer(41, "Birds.ogg:L", w);
        ASSERT_NE(form, nullptr);
        EXPECT_FALSE(child<QCheckBox>(form, "kIsExternal")->isChecked());
        EXPECT_TRUE(child<QCheckBox>(form, "kAlwaysExternal")->isChecked());
        EXPECT_TRUE(child<QCheckBox>(form, "kStreamCompressed")->isChecked());
        EXPECT_EQ(child<QCheckBox>(form, "kOnlyLeftChannel")->text(), "Left Channel Only");
        EXPECT_EQ(editText(form, "Filename"), "Birds.ogg");
        EXPECT_EQ(child<QComboBox>(form, "FormatTag")->currentText(), "PCM");
        EXPECT_EQ(child<QComboBox>(form, "NumChannels")->currentText(), "2");
        EXPECT_EQ(editText(form, "SamplesPerSec"), "4000000000");
        EXPECT_EQ(editText(form, "BitsPerSample"), "16");
    }
}

TEST(WinAudibleViewer, SoundsGroupedAndSceneNode) {
    OpenedWindows windows;
    const TPRPObjectDesc s1 = makeKey(0x49, "Snd1"), s2 = makeKey(0x49, "Snd2");
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        ByteWriter w(f.version, f.major);
        w.keyRefs({s1, s2}).keyRef(nullptr);
        auto* form = openViewer(20, "Aud", w);
        ASSERT_NE(form, nullptr);
        auto* tree = child<TObjRefTreeView>(form, "SoundRefs");
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        EXPECT_EQ(tree->topLevelItem(0)->childCount(), 2);
        EXPECT_EQ(child<QLabel>(form, "SceneNodeLink")->text(), "(none)");
        EXPECT_FALSE(child<QLabel>(form, "SceneNodeLink")->isEnabled());
    }
}
