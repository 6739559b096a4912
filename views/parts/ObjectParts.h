#pragma once
// The parent-class parts most engine objects begin with (synched object, single/multi modifier, object
// interface), their readers, and the flag tables the viewers build their check boxes from.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "PRPClasses.h"

// One named bit of a flag word: the bit, the check box's object name and its caption.
struct TFlagBit {
    uint32_t Bit;
    const char* Name;
    const char* Caption;
};
using TFlagTable = std::span<const TFlagBit>;

struct TSynchedObject {
    uint32_t SynchFlags = 0;
    uint16_t StringCount = 0;
    std::vector<std::string> Strings;
    uint16_t Version = 0;
};

struct TMSModifier {
    uint32_t FlagWordCount = 0;
    std::vector<uint32_t> Flags; // word 0 holds bits 0-31
};

struct TObjInterface {
    TPRPObjectDesc Owner; // empty name when the stream holds no owner
    uint32_t PropWordCount = 0;
    std::vector<uint32_t> Props;
};

extern const TFlagTable kSynchedObjectFlags;

// Part windows: display names and class indexes of their captions.
constexpr const char* kSynchedObjectPartName = "Synched Object";
constexpr uint16_t kSynchedObjectPartClass = 40;
constexpr const char* kObjInterfacePartName = "Object Interface";
constexpr uint16_t kObjInterfacePartClass = 16;
constexpr uint16_t kMultiModifierPartClass = 39;
constexpr uint16_t kSingleModifierPartClass = 31;
// "Multi Modifier" or "Single Modifier".
std::string ModifierPartName(bool multi);

TSynchedObject ReadSynchedObjectPart(TPlasmaStream& stream);
TMSModifier ReadModifierPart(TPlasmaStream& stream);
TObjInterface ReadObjInterfacePart(TPlasmaStream& stream);

// A u32 count and that many u32 words, the count capped by the bytes left.
std::vector<uint32_t> ReadWordList(TPlasmaStream& stream);
// A stored `keys(n)` list slot by slot: one slot per stored key (an absent key leaves its slot empty) and,
// beside the slots, which of them held a key. Viewers list every present key, whatever its name.
struct TKeySlots : std::vector<TPRPObjectDesc> {
    std::vector<bool> Present;
};
// A u32 count and that many `key` fields, each into a cleared slot. The count is capped by the bytes left and
// the loop ends at the end of the data.
TKeySlots ReadKeySlots(TPlasmaStream& stream);
// `count` stored `key` fields (the count read by the caller) slot by slot, as above.
TKeySlots ReadKeySlots(TPlasmaStream& stream, uint32_t count);
// A single `key` field into a cleared record.
TPRPObjectDesc ReadKeyRefField(TPlasmaStream& stream);
// A stored float as the viewers hold it (read past the end: 0).
float ReadFloat(TPlasmaStream& stream);
uint32_t ReadU32(TPlasmaStream& stream);
