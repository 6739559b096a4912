#include "GuiControlParts.h"

const std::array<const char*, 3> kNotifyTypeNames = {"Up Only", "Down Only", "Both"};

TGUIButtonRecord ReadGUIButton(TPlasmaStream& stream) {
    TGUIButtonRecord button;
    button.Control = ReadGUIControlPart(stream);
    button.AnimKeys = ReadKeySlots(stream);
    stream.ReadSafeString(button.AnimName);
    button.MouseOverAnimKeys = ReadKeySlots(stream);
    stream.ReadSafeString(button.MouseOverAnimName);
    if (IsMystVFamily(stream.Header.Version)) {
        for (uint32_t& word : button.EOA)
            stream.ReadValue(word);
    } else {
        stream.ReadValue(button.NotifyType);
    }
    stream.ReadKeyRef(button.Draggable);
    return button;
}

TGUICheckBoxRecord ReadGUICheckBox(TPlasmaStream& stream) {
    TGUICheckBoxRecord box;
    box.Control = ReadGUIControlPart(stream);
    box.AnimKeys = ReadKeySlots(stream);
    stream.ReadSafeString(box.AnimName);
    uint8_t checked = 0;
    stream.ReadValue(checked);
    box.Checked = checked != 0;
    return box;
}

TGUIDynDisplayRecord ReadGUIDynDisplay(TPlasmaStream& stream) {
    TGUIDynDisplayRecord display;
    display.Control = ReadGUIControlPart(stream);
    display.TextMapKeys = ReadKeySlots(stream);
    display.LayerKeys = ReadKeySlots(stream);
    display.MaterialKeys = ReadKeySlots(stream);
    return display;
}

TGUIKnobRecord ReadGUIKnob(TPlasmaStream& stream) {
    TGUIKnobRecord knob;
    knob.Value = ReadValueCtrlPart(stream);
    knob.AnimKeys = ReadKeySlots(stream);
    stream.ReadSafeString(knob.AnimName);
    ReadVector3(stream, knob.Start);
    ReadVector3(stream, knob.End);
    return knob;
}

TGUIMultiLineRecord ReadGUIMultiLine(TPlasmaStream& stream) {
    TGUIMultiLineRecord box;
    box.Control = ReadGUIControlPart(stream);
    uint8_t hasScroll = 0;
    stream.ReadValue(hasScroll);
    box.HasScrollControl = hasScroll != 0;
    if (box.HasScrollControl) stream.ReadKeyRef(box.ScrollControl);
    return box;
}

TGUIProgressRecord ReadGUIProgress(TPlasmaStream& stream) {
    TGUIProgressRecord progress;
    progress.Value = ReadValueCtrlPart(stream);
    progress.AnimKeys = ReadKeySlots(stream);
    stream.ReadSafeString(progress.AnimName);
    return progress;
}

TGUIRadioGroupRecord ReadGUIRadioGroup(TPlasmaStream& stream) {
    TGUIRadioGroupRecord group;
    group.Control = ReadGUIControlPart(stream);
    group.Controls = ReadKeySlots(stream);
    stream.ReadValue(group.Default);
    return group;
}

TGUITextBoxRecord ReadGUITextBox(TPlasmaStream& stream) {
    TGUITextBoxRecord box;
    box.Control = ReadGUIControlPart(stream);
    stream.ReadString32(box.Text);
    // Only Live pages store the localization path.
    if (stream.Header.MajorVersion != kMajorVersionLive) return box;
    uint8_t useLocPath = 0;
    stream.ReadValue(useLocPath);
    box.UseLocPath = useLocPath != 0;
    if (box.UseLocPath) stream.ReadSafeWString(box.LocalizationPath);
    return box;
}

TGUIUpDownPairRecord ReadGUIUpDownPair(TPlasmaStream& stream) {
    TGUIUpDownPairRecord pair;
    pair.Value = ReadValueCtrlPart(stream);
    stream.ReadKeyRef(pair.UpControl);
    stream.ReadKeyRef(pair.DownControl);
    stream.ReadValue(pair.Min);
    stream.ReadValue(pair.Max);
    stream.ReadValue(pair.Step);
    return pair;
}
