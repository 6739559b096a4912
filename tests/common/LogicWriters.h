#pragma once
// Object-body builders for the logic, sound and clothing tests, in each family's stored layout.
#include <array>
#include <string>
#include <vector>

#include "PartWriters.h"

namespace testpages {

// Synched part without lists, a modifier part of the given words, receivers, remote mod and proxy.
void writeDetector(ByteWriter& w, const std::vector<uint32_t>& words,
                   const std::vector<TPRPObjectDesc>& receivers, const TPRPObjectDesc* remoteMod,
                   const TPRPObjectDesc* proxy);

struct StageBytes {
    std::string name;
    uint8_t notify = 0;
    uint32_t forward = 0, backward = 0, advance = 0, regress = 0;
    uint32_t loops = 0;
    uint8_t doAdvance = 0;
    uint32_t advanceTo = 0;
    uint8_t doRegress = 0;
    uint32_t regressTo = 0;
};
void writeStage(ByteWriter& w, const StageBytes& stage);

struct FadeBytes {
    float length = 0, volStart = 0, volEnd = 0;
    uint8_t type = 0;
    float currTime = 0;
    uint32_t stopWhenDone = 0, fadeSoftVol = 0;
};
void writeFade(ByteWriter& w, const FadeBytes& fade);

// EAX settings: a single 0 byte when disabled, else every field with recognisable values.
void writeEAX(ByteWriter& w, bool enabled);

struct SoundBytes {
    uint8_t playing = 1;
    double time = 2.5;
    int32_t maxFalloff = 100, minFalloff = -5;
    float currVolume = 0.5f, desiredVol = 1;
    int32_t outerVol = 3, innerCone = 360, outerCone = 90;
    float fadedVolume = 0.25f;
    uint32_t properties = 0x105;
    uint8_t soundType = 2, priority = 7;
    FadeBytes fadeIn{1.5f, 0, 1, 1, 0.75f, 1, 0};
    FadeBytes fadeOut{3, 1, 0, 2, 0, 0, 4000000000u};
    const TPRPObjectDesc* softRegion = nullptr;
    const TPRPObjectDesc* dataBuffer = nullptr;
    bool eaxEnabled = false;
    const TPRPObjectDesc* softOcclusion = nullptr; // Uru and Live only
};
// The sound part; Myst V and Hex Isle get the extra string "Sub".
void writeSound(ByteWriter& w, const SoundBytes& sound);

// A clothing item: "Shirt01", group 1, type 1, sort order 12, attributes "a=1\nb=2", "Blue Shirt", the icon
// "Icon.dds" when `icon`, a "Torso" element with textures "Shirt.dds" and "Bump.dds" and an absent third,
// an empty "Arms" element, the high-quality mesh "ShirtHQ" only, the accessory "Vest", tints FF8000 and
// 001020.
ByteWriter clothingBody(const Family& f, bool icon);

} // namespace testpages
