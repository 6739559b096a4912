#pragma once
// The python file modifier: its script name, receivers and typed parameter list.
#include <cstdint>
#include <string>
#include <vector>

#include "ObjectParts.h"

// How a parameter's value is stored and shown.
enum class TPythonValueKind {
    None,    // nothing stored; the line shows the type number
    Int,     // u32, unsigned decimal
    Float,   // f32
    Boolean, // u32, non-zero "True"
    String,  // String32 less its last character, between double quotes
    Key,     // `key`, shown by its name
};

struct TPythonListing {
    uint32_t ID = 0;
    uint32_t ValueType = 0;
    uint32_t IntValue = 0;
    float FloatValue = 0;
    std::string StrValue; // as shown: the stored text without its last character
    TPRPObjectDesc KeyValue;
};

struct TPythonFileModRecord {
    TSynchedObject SynchedObject;
    TMSModifier Modifier;
    std::string FileName;
    TKeySlots Receivers; // an absent receiver leaves an empty slot
    std::vector<TPythonListing> Params;
};

// The type's name and value kind in a format: the Myst V / Hex Isle table differs from type 20 on.
const char* PythonParamTypeName(uint32_t valueType, uint16_t version);
TPythonValueKind PythonParamKind(uint32_t valueType, uint16_t version);

TPythonListing ReadPythonParam(TPlasmaStream& stream);
TPythonFileModRecord ReadPythonFileMod(TPlasmaStream& stream);
