#include "ClothingParts.h"

namespace {
// A u8 has-key flag, then a `key` only when the flag is set.
void readOptionalKey(TPlasmaStream& stream, TPRPObjectDesc& key) {
    uint8_t has = 0;
    stream.ReadValue(has);
    if (has != 0) stream.ReadKeyRef(key);
}

// An element stores at least its name's length word and its texture count.
constexpr size_t kMinElementSize = 3;
} // namespace

TClothingItemRecord ReadClothingItem(TPlasmaStream& stream) {
    TClothingItemRecord item;
    stream.ReadSafeString(item.ItemName);
    stream.ReadValue(item.Group);
    stream.ReadValue(item.Type);
    stream.ReadValue(item.ClosetType);
    stream.ReadValue(item.SortOrder);
    stream.ReadSafeString(item.AttributeList);
    stream.ReadSafeString(item.FriendlyName);
    readOptionalKey(stream, item.ClosetIcon);

    uint32_t elements = 0;
    stream.ReadValue(elements);
    elements = stream.CapCount(elements, kMinElementSize);
    item.Elements.reserve(elements);
    for (uint32_t i = 0; i < elements && !stream.AtEnd(); ++i) {
        TClothingElement element;
        stream.ReadSafeString(element.Name);
        uint8_t textures = 0;
        stream.ReadValue(textures);
        for (uint32_t t = 0; t < textures && !stream.AtEnd(); ++t) {
            TClothingTexture texture;
            stream.ReadValue(texture.Layer);
            texture.Present = stream.ReadKeyPresent();
            if (texture.Present) stream.ReadKey(texture.Key);
            element.Textures.push_back(std::move(texture));
        }
        item.Elements.push_back(std::move(element));
    }

    for (TPRPObjectDesc& mesh : item.Meshes)
        readOptionalKey(stream, mesh);
    stream.ReadKeyRef(item.Accessory);
    // Stored interleaved: tint 1 red, tint 2 red, tint 1 green, ...
    for (int channel = 0; channel < 3; ++channel) {
        stream.ReadValue(item.Tint1[channel]);
        stream.ReadValue(item.Tint2[channel]);
    }
    return item;
}
