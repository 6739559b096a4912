#include "SoundParts.h"

namespace {
const TFlagBit soundProperties[] = {
    {0x1, "kPropIs3DSound", "Is 3D Sound"},
    {0x2, "kPropDisableLOD", "Disable LOD"},
    {0x4, "kPropLooping", "Looping"},
    {0x8, "kPropAutoStart", "Auto Start"},
    {0x10, "kPropLocalOnly", "Local Only"},
    {0x20, "kPropLoadOnlyOnCall", "Load Only On Call"},
    {0x40, "kPropFullyDisabled", "Fully Disabled"},
    {0x80, "kPropDontFade", "Don't Fade"},
    {0x100, "kPropIncidental", "Incidental"},
};

const TFlagBit soundBufferFlags[] = {
    {0x1, "kIsExternal", "External"},
    {0x2, "kAlwaysExternal", "Always External"},
    {0x4, "kOnlyLeftChannel", "Left Channel Only"},
    {0x8, "kOnlyRightChannel", "Right Channel Only"},
    {0x10, "kStreamCompressed", "Stream Compressed"},
};

bool readFlagByte(TPlasmaStream& stream) {
    uint8_t value = 0;
    stream.ReadValue(value);
    return value != 0;
}
} // namespace

const TFlagTable kSoundProperties{soundProperties};
const TFlagTable kSoundBufferFlags{soundBufferFlags};

uint16_t SoundPartClass(const TplSound& sound) {
    return sound.Version == kVersionMystV ? 69 : 72;
}

uint16_t Win32SoundPartClass(const TWin32Sound& sound) {
    return sound.Sound.Version == kVersionMystV ? 70 : 73;
}

TFadeParams ReadFadeParams(TPlasmaStream& stream) {
    TFadeParams fade;
    stream.ReadValue(fade.Length);
    stream.ReadValue(fade.VolStart);
    stream.ReadValue(fade.VolEnd);
    stream.ReadValue(fade.FadeType);
    stream.ReadValue(fade.CurrTime);
    stream.ReadValue(fade.StopWhenDone);
    stream.ReadValue(fade.FadeSoftVol);
    return fade;
}

TEAXSoftParams ReadEAXSoftParams(TPlasmaStream& stream) {
    TEAXSoftParams soft;
    stream.ReadValue(soft.Occlusion);
    stream.ReadValue(soft.OcclusionLFRatio);
    stream.ReadValue(soft.OcclusionRoomRatio);
    stream.ReadValue(soft.OcclusionDirectRatio);
    return soft;
}

TEAXSourceSettings ReadEAXSourceSettingsPart(TPlasmaStream& stream) {
    TEAXSourceSettings eax;
    eax.Enabled = readFlagByte(stream);
    // Disabled settings store nothing more and take the defaults.
    if (!eax.Enabled) return eax;
    // Enabled settings store every field; one cut off by the end of the data reads as zero.
    const bool enabled = eax.Enabled;
    eax = TEAXSourceSettings::Cleared();
    eax.Enabled = enabled;
    stream.ReadValue(eax.Room);
    stream.ReadValue(eax.RoomHF);
    eax.RoomAuto = readFlagByte(stream);
    eax.RoomHFAuto = readFlagByte(stream);
    stream.ReadValue(eax.OutsideVolHF);
    stream.ReadValue(eax.AirAbsorptionFactor);
    stream.ReadValue(eax.RoomRolloffFactor);
    stream.ReadValue(eax.DopplerFactor);
    stream.ReadValue(eax.RolloffFactor);
    eax.SoftStarts = ReadEAXSoftParams(stream);
    eax.SoftEnds = ReadEAXSoftParams(stream);
    stream.ReadValue(eax.OcclusionSoftValue);
    return eax;
}

TplSound ReadSoundPart(TPlasmaStream& stream) {
    TplSound sound;
    sound.SynchedObject = ReadSynchedObjectPart(stream);
    sound.Playing = readFlagByte(stream);
    stream.ReadValue(sound.Time);
    stream.ReadValue(sound.MaxFalloff);
    stream.ReadValue(sound.MinFalloff);
    stream.ReadValue(sound.CurrVolume);
    stream.ReadValue(sound.DesiredVol);
    stream.ReadValue(sound.OuterVol);
    stream.ReadValue(sound.InnerCone);
    stream.ReadValue(sound.OuterCone);
    stream.ReadValue(sound.FadedVolume);
    stream.ReadValue(sound.Properties);
    stream.ReadValue(sound.SoundType);
    stream.ReadValue(sound.Priority);
    if (IsMystVFamily(stream.Header.Version)) stream.ReadSafeString(sound.SubtitleId);
    sound.FadeInParams = ReadFadeParams(stream);
    sound.FadeOutParams = ReadFadeParams(stream);
    stream.ReadKeyRef(sound.SoftRegion);
    stream.ReadKeyRef(sound.DataBuffer);
    sound.EAXSettings = ReadEAXSourceSettingsPart(stream);
    if (!IsMystVFamily(stream.Header.Version)) stream.ReadKeyRef(sound.SoftOcclusionRegion);
    sound.Version = stream.Header.Version;
    return sound;
}

TWin32Sound ReadWin32SoundPart(TPlasmaStream& stream) {
    TWin32Sound sound;
    sound.Sound = ReadSoundPart(stream);
    stream.ReadValue(sound.Channel);
    return sound;
}

TSoundBufferRecord ReadSoundBuffer(TPlasmaStream& stream) {
    TSoundBufferRecord buffer;
    stream.ReadValue(buffer.Flags);
    stream.ReadValue(buffer.DataLength);
    stream.ReadSafeString(buffer.Filename);
    stream.ReadValue(buffer.FormatTag);
    stream.ReadValue(buffer.NumChannels);
    stream.ReadValue(buffer.SamplesPerSec);
    stream.ReadValue(buffer.AvgBytesPerSec);
    stream.ReadValue(buffer.BlockAlign);
    stream.ReadValue(buffer.BitsPerSample);
    return buffer;
}

TWinAudibleRecord ReadWinAudible(TPlasmaStream& stream) {
    TWinAudibleRecord record;
    record.Sounds = ReadKeySlots(stream);
    stream.ReadKeyRef(record.SceneNode);
    return record;
}
