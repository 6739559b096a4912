#pragma once
// The avatar clothing item body.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ObjectParts.h"

struct TClothingTexture {
    uint8_t Layer = 0; // kept, not shown
    TPRPObjectDesc Key;
    bool Present = false; // the entry stored a key
};

struct TClothingElement {
    std::string Name;
    std::vector<TClothingTexture> Textures;
};

struct TClothingItemRecord {
    std::string ItemName;
    uint8_t Group = 0;
    uint8_t Type = 0;
    uint8_t ClosetType = 0;
    uint8_t SortOrder = 0;
    std::string AttributeList;
    std::string FriendlyName;
    TPRPObjectDesc ClosetIcon;
    std::vector<TClothingElement> Elements;
    std::array<TPRPObjectDesc, 3> Meshes; // high, medium, low quality
    TPRPObjectDesc Accessory;
    // Red, green, blue of the two default tints.
    std::array<uint8_t, 3> Tint1{};
    std::array<uint8_t, 3> Tint2{};
};

TClothingItemRecord ReadClothingItem(TPlasmaStream& stream);
