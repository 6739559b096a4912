#pragma once
// Bodies of the GUI controls that follow their shared control or value-control part.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "GuiParts.h"

struct TGUIButtonRecord {
    TControlMod Control;
    TKeySlots AnimKeys;
    std::string AnimName;
    TKeySlots MouseOverAnimKeys;
    std::string MouseOverAnimName;
    std::array<uint32_t, 3> EOA{}; // Myst V and Hex Isle only
    uint32_t NotifyType = 0;       // every other format
    TPRPObjectDesc Draggable;
};

struct TGUICheckBoxRecord {
    TControlMod Control;
    TKeySlots AnimKeys;
    std::string AnimName;
    bool Checked = false;
};

struct TGUIDynDisplayRecord {
    TControlMod Control;
    TKeySlots TextMapKeys;
    TKeySlots LayerKeys;
    TKeySlots MaterialKeys;
};

struct TGUIKnobRecord {
    TValueCtrl Value;
    TKeySlots AnimKeys;
    std::string AnimName;
    TVector3 Start;
    TVector3 End;
};

struct TGUIMultiLineRecord {
    TControlMod Control;
    bool HasScrollControl = false;
    TPRPObjectDesc ScrollControl;
};

struct TGUIProgressRecord {
    TValueCtrl Value;
    TKeySlots AnimKeys;
    std::string AnimName;
};

struct TGUIRadioGroupRecord {
    TControlMod Control;
    TKeySlots Controls; // an absent key leaves an empty slot
    uint32_t Default = 0;
};

struct TGUITextBoxRecord {
    TControlMod Control;
    std::string Text;
    // Stored only in pages of major version 70.
    bool UseLocPath = false;
    std::u16string LocalizationPath;
};

struct TGUIUpDownPairRecord {
    TValueCtrl Value;
    TPRPObjectDesc UpControl;
    TPRPObjectDesc DownControl;
    float Min = 0;
    float Max = 0;
    float Step = 0;
};

// Notify types of a button in the Uru and Live formats, in the order of the notify list.
extern const std::array<const char*, 3> kNotifyTypeNames;

TGUIButtonRecord ReadGUIButton(TPlasmaStream& stream);
TGUICheckBoxRecord ReadGUICheckBox(TPlasmaStream& stream);
TGUIDynDisplayRecord ReadGUIDynDisplay(TPlasmaStream& stream);
TGUIKnobRecord ReadGUIKnob(TPlasmaStream& stream);
TGUIMultiLineRecord ReadGUIMultiLine(TPlasmaStream& stream);
TGUIProgressRecord ReadGUIProgress(TPlasmaStream& stream);
TGUIRadioGroupRecord ReadGUIRadioGroup(TPlasmaStream& stream);
TGUITextBoxRecord ReadGUITextBox(TPlasmaStream& stream);
TGUIUpDownPairRecord ReadGUIUpDownPair(TPlasmaStream& stream);
