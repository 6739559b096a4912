#include "ObjectParts.h"

namespace {

const TFlagBit synchedFlags[] = {
    {0x01, "kDontDirty", "Don't Dirty"},
    {0x02, "kSendReliably", "Send Reliably"},
    {0x04, "kHasConstantNetGroup", "Has Constant Net Group"},
    {0x08, "kDontSynchGameMessages", "Don't Synch Game Messages"},
    {0x10, "kExcludePersistentState", "Exclude Persistent State"},
    {0x20, "kExcludeAllPersistentState", "Exclude All Persistent State"},
    {0x40, "kHasVolatileState", "Has Volatile State"},
    {0x80, "kAllStateIsVolatile", "All State is Volatile"},
};

// u16 n, then n entries of a u16 length and that many raw bytes. Returns the stored count.
uint16_t readStringList(TPlasmaStream& stream, std::vector<std::string>& strings) {
    uint16_t stored = 0;
    stream.ReadValue(stored);
    const uint32_t count = stream.CapCount(stored, sizeof(uint16_t));
    for (uint32_t i = 0; i < count && !stream.AtEnd(); ++i) {
        uint16_t length = 0;
        stream.ReadValue(length);
        std::string text(std::min<int64_t>(length, stream.Remaining()), '\0');
        if (!text.empty()) stream.Read(text.data(), text.size());
        strings.push_back(std::move(text));
    }
    return stored;
}

} // namespace

const TFlagTable kSynchedObjectFlags{synchedFlags};

std::string ModifierPartName(bool multi) {
    return std::string(multi ? "Multi" : "Single") + " Modifier";
}

TSynchedObject ReadSynchedObjectPart(TPlasmaStream& stream) {
    TSynchedObject part;
    stream.ReadValue(part.SynchFlags);
    if (IsMystVFamily(stream.Header.Version)) {
        // Bits 0x02 and 0x04 leave no room for a list in these formats.
        if ((part.SynchFlags & 0x6) == 0) part.StringCount = readStringList(stream, part.Strings);
    } else {
        uint16_t first = 0, second = 0;
        if (part.SynchFlags & 0x10) first = readStringList(stream, part.Strings);
        if (part.SynchFlags & 0x40) second = readStringList(stream, part.Strings);
        part.StringCount = static_cast<uint16_t>(first + second);
    }
    // The stored counts may promise more than the data holds; the caption counts what was read.
    if (part.Strings.size() < part.StringCount) part.StringCount = static_cast<uint16_t>(part.Strings.size());
    part.Version = stream.Header.Version;
    return part;
}

std::vector<uint32_t> ReadWordList(TPlasmaStream& stream) {
    uint32_t count = 0;
    stream.ReadValue(count);
    count = stream.CapCount(count, sizeof(uint32_t));
    std::vector<uint32_t> words(count);
    for (auto& word : words)
        stream.ReadValue(word);
    return words;
}

TMSModifier ReadModifierPart(TPlasmaStream& stream) {
    TMSModifier part;
    part.Flags = ReadWordList(stream);
    part.FlagWordCount = static_cast<uint32_t>(part.Flags.size());
    return part;
}

TObjInterface ReadObjInterfacePart(TPlasmaStream& stream) {
    TObjInterface part;
    stream.ReadKeyRef(part.Owner);
    part.Props = ReadWordList(stream);
    part.PropWordCount = static_cast<uint32_t>(part.Props.size());
    return part;
}

TKeySlots ReadKeySlots(TPlasmaStream& stream) {
    return ReadKeySlots(stream, ReadU32(stream));
}

TKeySlots ReadKeySlots(TPlasmaStream& stream, uint32_t count) {
    count = stream.CapCount(count, stream.MinKeyRefSize());
    // Formats without a key layout read nothing for a key: their slots are present and empty.
    const bool consumesBytes = IsUruFamily(stream.Header.Version) || IsMystVFamily(stream.Header.Version);
    TKeySlots list;
    list.reserve(count);
    list.Present.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (consumesBytes && stream.AtEnd()) break;
        TPRPObjectDesc key;
        const bool present = stream.ReadKeyPresent();
        if (present) stream.ReadKey(key);
        list.push_back(std::move(key));
        list.Present.push_back(present);
    }
    return list;
}

TPRPObjectDesc ReadKeyRefField(TPlasmaStream& stream) {
    TPRPObjectDesc key;
    stream.ReadKeyRef(key);
    return key;
}

float ReadFloat(TPlasmaStream& stream) {
    float value = 0;
    stream.ReadValue(value);
    return value;
}

uint32_t ReadU32(TPlasmaStream& stream) {
    uint32_t value = 0;
    stream.ReadValue(value);
    return value;
}
