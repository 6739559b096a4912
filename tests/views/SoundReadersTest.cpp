// Sound, Win32 sound, sound buffer and win-audible bodies in every family, and damaged bodies.
#include <gtest/gtest.h>

#include "LogicWriters.h"
#include "SoundParts.h"

using namespace testpages;
using testpages::makeKey;

namespace {
const TPRPObjectDesc kRegion = makeKey(0x55, "SoftRgn"), kBuffer = makeKey(41, "Birds.ogg:L");
const TPRPObjectDesc kOcclusion = makeKey(0x55, "Occl");
} // namespace

TEST(SoundReader, EveryFieldAndTheFamilyBranches) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const bool mystV = IsMystVFamily(f.version);
        ByteWriter w(f.version, f.major);
        SoundBytes bytes;
        bytes.softRegion = &kRegion;
        bytes.dataBuffer = &kBuffer;
        bytes.softOcclusion = &kOcclusion;
        writeSound(w, bytes); // without EAX settings: the occlusion key follows the flag byte
        w.u8(1);              // the Win32 channel
        TPlasmaStream s = streamOf(w);
        const TWin32Sound win = ReadWin32SoundPart(s);
        const TplSound& sound = win.Sound;
        EXPECT_FALSE(sound.EAXSettings.Enabled);
        EXPECT_TRUE(sound.Playing);
        EXPECT_EQ(sound.Time, 2.5);
        EXPECT_EQ(sound.MaxFalloff, 100);
        EXPECT_EQ(sound.MinFalloff, -5);
        EXPECT_EQ(sound.CurrVolume, 0.5f);
        EXPECT_EQ(sound.OuterCone, 90);
        EXPECT_EQ(sound.FadedVolume, 0.25f);
        EXPECT_EQ(sound.Properties, 0x105u);
        EXPECT_EQ(sound.SoundType, 2);
        EXPECT_EQ(sound.Priority, 7);
        EXPECT_EQ(sound.SubtitleId, mystV ? "Sub" : "");
        EXPECT_EQ(sound.FadeInParams.Length, 1.5f);
        EXPECT_EQ(sound.FadeInParams.FadeType, 1);
        EXPECT_EQ(sound.FadeInParams.CurrTime, 0.75f);
        EXPECT_EQ(sound.FadeOutParams.FadeSoftVol, 4000000000u);
        EXPECT_EQ(sound.SoftRegion.Name, "SoftRgn");
        EXPECT_EQ(sound.DataBuffer.Name, "Birds.ogg:L");
        EXPECT_EQ(sound.SoftOcclusionRegion.Name, mystV ? "" : "Occl");
        EXPECT_EQ(sound.Version, f.version);
        EXPECT_EQ(SoundPartClass(sound), f.version == kVersionMystV ? 69 : 72);
        EXPECT_EQ(win.Channel, 1);
        EXPECT_EQ(Win32SoundPartClass(win), f.version == kVersionMystV ? 70 : 73);
        EXPECT_TRUE(s.AtEnd());
    }
}

// The settings have no family branch: one family.
TEST(SoundReader, DisabledEAXTakesTheDefaultsAndEnabledReadsEveryField) {
    ByteWriter w(kVersionUru);
    writeEAX(w, false);
    writeEAX(w, true);
    TPlasmaStream s = streamOf(w);
    const TEAXSourceSettings d = ReadEAXSourceSettingsPart(s);
    EXPECT_EQ(s.Position(), 1) << "disabled settings store only their flag";
    EXPECT_FALSE(d.Enabled);
    EXPECT_EQ(d.Room, -1);
    EXPECT_EQ(d.RoomHF, -1);
    EXPECT_TRUE(d.RoomAuto);
    EXPECT_TRUE(d.RoomHFAuto);
    EXPECT_EQ(d.AirAbsorptionFactor, 1.0f);
    for (const TEAXSoftParams& soft : {d.SoftStarts, d.SoftEnds}) {
        EXPECT_EQ(soft.OcclusionLFRatio, 0.25f);
        EXPECT_EQ(soft.OcclusionRoomRatio, 1.5f);
        EXPECT_EQ(soft.OcclusionDirectRatio, 1.0f);
    }
    const TEAXSourceSettings e = ReadEAXSourceSettingsPart(s);
    EXPECT_TRUE(e.Enabled);
    EXPECT_EQ(e.Room, -1000);
    EXPECT_EQ(e.RoomHF, -200);
    EXPECT_FALSE(e.RoomAuto);
    EXPECT_TRUE(e.RoomHFAuto);
    EXPECT_EQ(e.OutsideVolHF, -3);
    EXPECT_EQ(e.RoomRolloffFactor, 1.25f);
    EXPECT_EQ(e.SoftStarts.Occlusion, 10);
    EXPECT_EQ(e.SoftEnds.OcclusionDirectRatio, 0.6f);
    EXPECT_EQ(e.OcclusionSoftValue, 0.75f);
    EXPECT_TRUE(s.AtEnd());
}

TEST(SoundBufferReader, HeaderFieldsAndTheWinAudibleAfterIt) {
    const TPRPObjectDesc s1 = makeKey(0x49, "Snd1"), node = makeKey(0, "Node");
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const bool mystV = IsMystVFamily(f.version);
        ByteWriter w(f.version, f.major);
        w.u32(0x11).u32(123456).safeStr("Birds.ogg").u16(1).u16(2).u32(44100).u32(176400).u16(4).u16(16);
        w.u32(2).keyRef(&s1).keyRef(mystV ? &s1 : nullptr).keyRef(&node);
        TPlasmaStream s = streamOf(w);
        const TSoundBufferRecord b = ReadSoundBuffer(s);
        EXPECT_EQ(b.Flags, 0x11u);
        EXPECT_EQ(b.DataLength, 123456u);
        EXPECT_EQ(b.Filename, "Birds.ogg");
        EXPECT_EQ(b.FormatTag, 1);
        EXPECT_EQ(b.NumChannels, 2);
        EXPECT_EQ(b.SamplesPerSec, 44100u);
        EXPECT_EQ(b.AvgBytesPerSec, 176400u);
        EXPECT_EQ(b.BlockAlign, 4);
        EXPECT_EQ(b.BitsPerSample, 16);
        const TWinAudibleRecord a = ReadWinAudible(s);
        ASSERT_EQ(a.Sounds.size(), 2u);
        EXPECT_EQ(a.Sounds[1].Name, mystV ? "Snd1" : "");
        EXPECT_EQ(a.SceneNode.Name, "Node");
        EXPECT_TRUE(s.AtEnd());
    }
}

// Enabled EAX settings store every field: a field cut off by the end of the data reads as zero, never as
// the value disabled settings take.
TEST(SoundReader, EnabledEAXCutOffReadsZeroNotTheDisabledDefaults) {
    struct Row {
        size_t keep; // bytes of the enabled settings left
        int16_t room, roomHF;
        bool roomAuto;
        float airAbsorption, lfRatio;
    };
    // Stored: u8 1, i16 -1000, i16 -200, u8 0, u8 2, i16 -3, four f32 from 0.5, then the soft sets.
    const Row rows[] = {
        {1, 0, 0, false, 0, 0},
        {3, -1000, 0, false, 0, 0},
        {7, -1000, -200, false, 0, 0},
        {14, -1000, -200, false, 0.5f, 0},
    };
    ByteWriter w(kVersionUru);
    w.u8(1).u16(uint16_t(-1000)).u16(uint16_t(-200)).u8(0).u8(2).u16(uint16_t(-3));
    w.f32(0.5f).f32(1.25f).f32(2).f32(3).u16(10).f32(0.1f).f32(0.2f).f32(0.3f);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.keep);
        TPlasmaStream s = streamOf(Bytes(w.bytes.begin(), w.bytes.begin() + row.keep), kVersionUru);
        const TEAXSourceSettings e = ReadEAXSourceSettingsPart(s);
        EXPECT_TRUE(e.Enabled);
        EXPECT_EQ(e.Room, row.room);
        EXPECT_EQ(e.RoomHF, row.roomHF);
        EXPECT_EQ(e.RoomAuto, row.roomAuto);
        EXPECT_FALSE(e.RoomHFAuto && row.keep < 7);
        EXPECT_EQ(e.AirAbsorptionFactor, row.airAbsorption);
        EXPECT_EQ(e.SoftStarts.OcclusionLFRatio, row.lfRatio);
        EXPECT_EQ(e.SoftEnds.OcclusionRoomRatio, 0.0f);
        EXPECT_EQ(e.SoftEnds.OcclusionDirectRatio, 0.0f);
    }
}
