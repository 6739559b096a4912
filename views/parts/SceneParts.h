#pragma once
// Bodies of the scene node, the scene object and the four interfaces a scene object links to.
#include <array>
#include <cstdint>
#include <vector>

#include "MatrixBounds.h"
#include "ObjectParts.h"

// Class indexes of the four interfaces, the same in every format.
constexpr uint16_t kDrawInterfaceClass = 22;
constexpr uint16_t kSimulationInterfaceClass = 28;
constexpr uint16_t kCoordinateInterfaceClass = 21;
constexpr uint16_t kAudioInterfaceClass = 17;

struct TSceneNodeRecord {
    TKeySlots SceneObjects;
    TKeySlots PoolObjects;
};

struct TSceneObjectRecord {
    TSynchedObject SynchedObject;
    TPRPObjectDesc DrawInterface;
    TPRPObjectDesc SimulationInterface;
    TPRPObjectDesc CoordinateInterface;
    TPRPObjectDesc AudioInterface;
    TKeySlots Interfaces;
    TKeySlots Modifiers;
    TPRPObjectDesc SceneNode;
};

struct TCoordinateInterfaceRecord {
    TSynchedObject SynchedObject;
    TObjInterface ObjInterface;
    // Local to parent, parent to local, local to world, world to local.
    std::array<TMatrix44, 4> Matrices{};
    TKeySlots Children;
};

struct TDrawableRef {
    uint32_t DrawIndex = 0;
    TPRPObjectDesc Key;
    bool Present = false; // the pair stored a key
};

struct TDrawInterfaceRecord {
    TSynchedObject SynchedObject;
    TObjInterface ObjInterface;
    std::vector<TDrawableRef> Drawables;
    TKeySlots Objects;
};

struct TSimulationInterfaceRecord {
    TSynchedObject SynchedObject;
    TObjInterface ObjInterface;
    std::vector<uint32_t> Properties; // Uru and Live only
    uint32_t TrailingWord = 0;        // stored after the properties, not shown
    TPRPObjectDesc Physical;
};

struct TAudioInterfaceRecord {
    TSynchedObject SynchedObject;
    TObjInterface ObjInterface;
    TPRPObjectDesc Sound;
};

TSceneNodeRecord ReadSceneNode(TPlasmaStream& stream);
TSceneObjectRecord ReadSceneObject(TPlasmaStream& stream);
TCoordinateInterfaceRecord ReadCoordinateInterface(TPlasmaStream& stream);
TDrawInterfaceRecord ReadDrawInterface(TPlasmaStream& stream);
TSimulationInterfaceRecord ReadSimulationInterface(TPlasmaStream& stream);
TAudioInterfaceRecord ReadAudioInterface(TPlasmaStream& stream);
