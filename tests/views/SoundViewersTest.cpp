// The sound, EAX settings, Win32 sound, sound buffer and win-audible windows as the user sees them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>

#include "LogicWriters.h"
#include "PRP_VCL.h"
#include "ViewerTestSupport.h"
#include "unitTplEAXSourceSettings.h"
#include "unitTplSound.h"

using namespace testpages;
using testpages::makeKey;

TEST(SoundViewer, ValuesPropertiesFadesAndLinks) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    SoundBytes bytes;
    const TPRPObjectDesc buffer = makeKey(41, "Birds.ogg:L");
    bytes.dataBuffer = &buffer;
    writeSound(w, bytes);
    auto* form = openViewer(72, "Birds", w);
    expectShown(form, {"Playing=1", "Time=2.5", "MaxFalloff=100", "MinFalloff=-5", "CurrVolume=0.5",
                       "InnerCone=360", "FadedVolume=0.25", "Priority=7", "SoundType=Background Music",
                       "kPropIs3DSound=1", "kPropDisableLOD=0", "kPropLooping=1", "kPropIncidental=1"});
    expectShown(form, {"FILength=1.5", "FIType=Logarithmic", "FICurrTime=0.75", "FIStopWhenDone=1",
                       "FOType=Exponential", "FOFadeSoftVol=4000000000", "LinkedDataBuffer=Birds.ogg:L",
                       "LinkedSoftOcclusionRegion=(none)", "LinkedSoftRegion=(none)"});
}

TEST(SoundViewer, EAXWindowGreyedWithDefaultsOrFilled) {
    OpenedWindows windows;
    for (bool enabled : {false, true}) {
        SCOPED_TRACE(enabled);
        ByteWriter w(kVersionUru);
        SoundBytes bytes;
        bytes.eaxEnabled = enabled;
        writeSound(w, bytes);
        auto* eax = windows.follow<TfrmTplEAXSourceSettings>(openViewer(72, "Birds", w), "LinkedEAXSettings");
        ASSERT_NE(eax, nullptr);
        EXPECT_EQ(eax->Room->isEnabled(), enabled);
        EXPECT_EQ(child<QLineEdit>(eax, "EndOcclusionDirectRatio")->isEnabled(), enabled);
        if (!enabled)
            expectShown(eax, {"Enabled=0", "Room=-1", "RoomHFAuto=1"});
        else
            expectShown(eax, {"Enabled=1", "Room=-1000", "RoomAuto=0", "OutsideVolHF=-3", "StartOcclusion=10",
                              "EndOcclusion=20", "OcclusionSoftValue=0.75"});
        // The user's click on Enabled greys or frees the other fields.
        eax->Enabled->click();
        EXPECT_EQ(eax->Room->isEnabled(), !enabled);
    }
}

TEST(Win32SoundViewer, ChannelAndSoundPartWindow) {
    OpenedWindows windows;
    // The part's class per family is the reader's (SoundPartClass); the window takes it as its caption.
    ByteWriter w(kVersionMystV);
    writeSound(w, SoundBytes{});
    w.u8(1);
    auto* form = openViewer(115, "Win", w);
    expectShown(form, {"Channel=Right"});
    expectShown(windows.follow<TfrmTplSound>(form, "LinkedSound"),
                {"OuterCone=90", "windowTitle=[0045] Sound"});
}

TEST(SoundBufferViewer, FlagsFileAndWaveHeader) {
    OpenedWindows windows;
    ByteWriter w(kVersionUru);
    w.u32(0x12).u32(99).safeStr("Birds.ogg").u16(1).u16(2).u32(4000000000u).u32(176400).u16(4).u16(16);
    expectShown(openViewer(41, "Birds.ogg:L", w),
                {"kIsExternal=0", "kAlwaysExternal=1", "kStreamCompressed=1", "Filename=Birds.ogg",
                 "FormatTag=PCM", "NumChannels=2", "SamplesPerSec=4000000000", "BitsPerSample=16"});
}

TEST(WinAudibleViewer, SoundsGroupedAndSceneNode) {
    OpenedWindows windows;
    const TPRPObjectDesc s1 = makeKey(0x49, "Snd1"), s2 = makeKey(0x49, "Snd2");
    ByteWriter w(kVersionUru);
    w.keyRefs({s1, s2}).keyRef(nullptr);
    expectShown(openViewer(20, "Aud", w), {"SoundRefs=Snd1|Snd2", "SceneNodeLink=(none)"});
}
