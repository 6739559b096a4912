#pragma once
// The GUI control part every stored GUI control begins with, the value-control part that wraps it, the
// colour scheme shared by controls and dialogs, and the GUI dialog body.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ObjectParts.h"

struct TColorScheme {
    // Foreground, background, selected foreground, selected background.
    std::array<TColorRGBA, 4> Colors{};
    uint32_t Transparency = 0;
    std::string FontName;
    uint8_t FontSize = 0;
    uint8_t FontFlags = 0;
};

// Procedure types of a control, in the order of the procedure list.
enum : uint32_t { kProcNull = 0, kProcConsoleCommand = 1, kProcPythonScript = 2, kProcCloseDialog = 3 };

struct TControlMod {
    TSynchedObject SynchedObject;
    TMSModifier Modifier;
    uint32_t TagID = 0;
    bool Visible = false;
    uint32_t ProcType = 0;
    std::string Command; // console commands only
    bool HasDynText = false;
    TPRPObjectDesc DynTextLayer;
    TPRPObjectDesc DynTextMap;
    bool HasColorScheme = false;
    TColorScheme ColorScheme;
    std::vector<uint32_t> SoundIndices;
    TPRPObjectDesc Proxy;
    TPRPObjectDesc Skin;
};

struct TValueCtrl {
    TControlMod Control;
    float Min = 0;
    float Max = 0;
    float Step = 0;
};

struct TDialogMod {
    TSynchedObject SynchedObject;
    TMSModifier Modifier;
    TPRPObjectDesc RenderMod;
    std::string Name; // the stored 128 bytes (fewer when the data ends inside them)
    TKeySlots ControlKeys;
    uint32_t TagID = 0;
    TPRPObjectDesc ProcReceiver;
    uint32_t Version = 0;
    TColorScheme ColorScheme;
    TPRPObjectDesc SceneNode;
};

extern const TFlagTable kFontFlags;
// The procedure list's items, index = stored procedure type.
extern const std::array<const char*, 4> kProcTypeNames;

// Part windows: display names and class indexes of their captions.
constexpr const char* kControlModPartName = "GUI Control Mod";
constexpr const char* kValueCtrlPartName = "GUI Value Ctrl";
// 137 for a Myst V part, 163 for every other format (Hex Isle included).
uint16_t ControlModPartClass(const TControlMod& part);
// 150 for a Myst V part, 176 for every other format (Hex Isle included).
uint16_t ValueCtrlPartClass(const TValueCtrl& part);

// Bytes of the dialog name as stored, without a length.
constexpr size_t kDialogNameSize = 128;
// The stored name up to its first zero byte (all of it without one).
std::string DialogNameText(const std::string& stored);

TColorScheme ReadColorScheme(TPlasmaStream& stream);
TControlMod ReadGUIControlPart(TPlasmaStream& stream);
TValueCtrl ReadValueCtrlPart(TPlasmaStream& stream);
TDialogMod ReadDialogMod(TPlasmaStream& stream);
