#include "PythonParts.h"

#include <iterator>

namespace {

struct TPythonType {
    const char* Name;
    TPythonValueKind Kind;
};

using K = TPythonValueKind;

// Types 0-19 are the same in every format.
const TPythonType commonTypes[20] = {
    {"Wtf", K::None},
    {"Int", K::Int},
    {"Float", K::Float},
    {"Boolean", K::Boolean},
    {"String", K::String},
    {"Sceneobject", K::Key},
    {"SceneobjectList", K::Key},
    {"Activator", K::Key},
    {"Responder", K::Key},
    {"DynamicText", K::Key},
    {"GUIDialog", K::Key},
    {"ExcludeRegion", K::Key},
    {"Animation", K::Key},
    {"AnimationName", K::String},
    {"Behavior", K::Key},
    {"Material", K::Key},
    {"GUIPopUpMenu", K::Key},
    {"GUISkin ", K::Key},
    {"Water", K::Key},
    {"SwimCurrentInterface", K::Key},
};

const TPythonType uruLiveTypes[] = {
    {"Cluster", K::Key},
    {"MaterialAnimation", K::Key},
    {"GrassShader", K::Key},
};

const TPythonType mystVTypes[] = {
    {"GlobalSDLVar", K::String}, {"MaterialAnimation", K::Key}, {"Cluster", K::Key}, {"Subtitle", K::String},
    {"Blower", K::Key},          {"GrassShader", K::Key},
};

const TPythonType unknownType = {"Wtf", K::None};

const TPythonType& typeOf(uint32_t valueType, uint16_t version) {
    if (valueType < std::size(commonTypes)) return commonTypes[valueType];
    const uint32_t later = valueType - std::size(commonTypes);
    if (IsMystVFamily(version)) return later < std::size(mystVTypes) ? mystVTypes[later] : unknownType;
    return later < std::size(uruLiveTypes) ? uruLiveTypes[later] : unknownType;
}

} // namespace

const char* PythonParamTypeName(uint32_t valueType, uint16_t version) {
    return typeOf(valueType, version).Name;
}

TPythonValueKind PythonParamKind(uint32_t valueType, uint16_t version) {
    return typeOf(valueType, version).Kind;
}

TPythonListing ReadPythonParam(TPlasmaStream& stream) {
    TPythonListing param;
    stream.ReadValue(param.ID);
    stream.ReadValue(param.ValueType);
    switch (PythonParamKind(param.ValueType, stream.Header.Version)) {
    case K::Int:
    case K::Boolean:
        stream.ReadValue(param.IntValue);
        break;
    case K::Float:
        stream.ReadValue(param.FloatValue);
        break;
    case K::String:
        // The stored text ends in a terminator that is not shown.
        stream.ReadString32(param.StrValue);
        if (!param.StrValue.empty()) param.StrValue.pop_back();
        break;
    case K::Key:
        stream.ReadKeyRef(param.KeyValue);
        break;
    case K::None:
        // A value of unknown width: nothing of it is read.
        break;
    }
    return param;
}

TPythonFileModRecord ReadPythonFileMod(TPlasmaStream& stream) {
    TPythonFileModRecord mod;
    mod.SynchedObject = ReadSynchedObjectPart(stream);
    mod.Modifier = ReadModifierPart(stream);
    stream.ReadSafeString(mod.FileName);
    mod.Receivers = ReadKeySlots(stream);
    // Every parameter stores at least its ID and type; the list ends with the data.
    const uint32_t count = stream.CapCount(ReadU32(stream), 2 * sizeof(uint32_t));
    mod.Params.reserve(count);
    for (uint32_t i = 0; i < count && !stream.AtEnd(); ++i)
        mod.Params.push_back(ReadPythonParam(stream));
    return mod;
}
