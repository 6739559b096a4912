#pragma once
// The sound part with its fades and EAX source settings, the Win32 sound, the sound buffer and the
// win-audible list.
#include <cstdint>
#include <string>
#include <vector>

#include "ObjectParts.h"

struct TFadeParams {
    float Length = 0; // seconds
    float VolStart = 0;
    float VolEnd = 0;
    uint8_t FadeType = 0;
    float CurrTime = 0;
    uint32_t StopWhenDone = 0;
    uint32_t FadeSoftVol = 0;
};

struct TEAXSoftParams {
    uint16_t Occlusion = 0;
    float OcclusionLFRatio = 0;
    float OcclusionRoomRatio = 0;
    float OcclusionDirectRatio = 0;
};

// The defaults are the values of settings stored as disabled.
struct TEAXSourceSettings {
    bool Enabled = false;
    int16_t Room = -1;
    int16_t RoomHF = -1;
    bool RoomAuto = true;
    bool RoomHFAuto = true;
    int16_t OutsideVolHF = 0;
    float AirAbsorptionFactor = 1.0f;
    float RoomRolloffFactor = 0;
    float DopplerFactor = 0;
    float RolloffFactor = 0;
    TEAXSoftParams SoftStarts{0, 0.25f, 1.5f, 1.0f};
    TEAXSoftParams SoftEnds{0, 0.25f, 1.5f, 1.0f};
    float OcclusionSoftValue = 0;

    // Every field zero or false.
    static TEAXSourceSettings Cleared() {
        TEAXSourceSettings eax;
        eax.Room = eax.RoomHF = 0;
        eax.RoomAuto = eax.RoomHFAuto = false;
        eax.AirAbsorptionFactor = 0;
        eax.SoftStarts = eax.SoftEnds = TEAXSoftParams{};
        return eax;
    }
};

struct TplSound {
    TSynchedObject SynchedObject;
    bool Playing = false;
    double Time = 0;
    int32_t MaxFalloff = 0;
    int32_t MinFalloff = 0;
    float CurrVolume = 0;
    float DesiredVol = 0;
    int32_t OuterVol = 0;
    int32_t InnerCone = 0;
    int32_t OuterCone = 0;
    float FadedVolume = 0;
    uint32_t Properties = 0;
    uint8_t SoundType = 0;
    uint8_t Priority = 0;
    std::string SubtitleId; // Myst V and Hex Isle only; kept, not shown
    TFadeParams FadeInParams;
    TFadeParams FadeOutParams;
    TPRPObjectDesc SoftRegion;
    TPRPObjectDesc DataBuffer;
    TEAXSourceSettings EAXSettings;
    TPRPObjectDesc SoftOcclusionRegion; // Uru and Live only
    uint16_t Version = 0;               // the format code of the stream the part came from; not stored
};

struct TWin32Sound {
    TplSound Sound;
    uint8_t Channel = 0;
};

struct TSoundBufferRecord {
    uint32_t Flags = 0;
    uint32_t DataLength = 0;
    std::string Filename;
    uint16_t FormatTag = 0;
    uint16_t NumChannels = 0;
    uint32_t SamplesPerSec = 0;
    uint32_t AvgBytesPerSec = 0;
    uint16_t BlockAlign = 0;
    uint16_t BitsPerSample = 0;
};

struct TWinAudibleRecord {
    TKeySlots Sounds;
    TPRPObjectDesc SceneNode;
};

extern const TFlagTable kSoundProperties;
extern const TFlagTable kSoundBufferFlags;

// Part windows: display names and class indexes of their captions. A Myst V part gets the Myst V
// index; every other code (Hex Isle included) the Uru one.
constexpr const char* kSoundPartName = "Sound";
uint16_t SoundPartClass(const TplSound& sound);
constexpr const char* kWin32SoundPartName = "Win32 Sound";
uint16_t Win32SoundPartClass(const TWin32Sound& sound);

TFadeParams ReadFadeParams(TPlasmaStream& stream);
TEAXSoftParams ReadEAXSoftParams(TPlasmaStream& stream);
TEAXSourceSettings ReadEAXSourceSettingsPart(TPlasmaStream& stream);
TplSound ReadSoundPart(TPlasmaStream& stream);
TWin32Sound ReadWin32SoundPart(TPlasmaStream& stream);
TSoundBufferRecord ReadSoundBuffer(TPlasmaStream& stream);
TWinAudibleRecord ReadWinAudible(TPlasmaStream& stream);
