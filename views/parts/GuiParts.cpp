#include "GuiParts.h"

namespace {

const TFlagBit fontFlags[] = {
    {0x01, "kFontBold", "Bold"},
    {0x02, "kFontItalic", "Italic"},
    {0x04, "kFontShadowed", "Shadowed"},
};

bool readFlagByte(TPlasmaStream& stream) {
    uint8_t flag = 0;
    stream.ReadValue(flag);
    return flag != 0;
}

} // namespace

const TFlagTable kFontFlags{fontFlags};
const std::array<const char*, 4> kProcTypeNames = {"(NULL)", "Console Command", "Python Script",
                                                   "Close Dialog"};

uint16_t ControlModPartClass(const TControlMod& part) {
    return part.SynchedObject.Version == kVersionMystV ? 137 : 163;
}

uint16_t ValueCtrlPartClass(const TValueCtrl& part) {
    return part.Control.SynchedObject.Version == kVersionMystV ? 150 : 176;
}

std::string DialogNameText(const std::string& stored) {
    return stored.substr(0, stored.find('\0'));
}

TColorScheme ReadColorScheme(TPlasmaStream& stream) {
    TColorScheme scheme;
    for (TColorRGBA& colour : scheme.Colors)
        ReadColorRGBA(stream, colour);
    stream.ReadValue(scheme.Transparency);
    stream.ReadSafeString(scheme.FontName);
    stream.ReadValue(scheme.FontSize);
    stream.ReadValue(scheme.FontFlags);
    return scheme;
}

TControlMod ReadGUIControlPart(TPlasmaStream& stream) {
    TControlMod part;
    part.SynchedObject = ReadSynchedObjectPart(stream);
    part.Modifier = ReadModifierPart(stream);
    stream.ReadValue(part.TagID);
    part.Visible = readFlagByte(stream);
    stream.ReadValue(part.ProcType);
    // Only a console command stores its text: a u32 length and the raw bytes.
    if (part.ProcType == kProcConsoleCommand) stream.ReadString32(part.Command);
    part.HasDynText = readFlagByte(stream);
    if (part.HasDynText) {
        stream.ReadKeyRef(part.DynTextLayer);
        stream.ReadKeyRef(part.DynTextMap);
    }
    part.HasColorScheme = readFlagByte(stream);
    if (part.HasColorScheme) part.ColorScheme = ReadColorScheme(stream);
    uint8_t soundCount = 0;
    stream.ReadValue(soundCount);
    part.SoundIndices.resize(stream.CapCount(soundCount, sizeof(uint32_t)));
    for (uint32_t& index : part.SoundIndices)
        stream.ReadValue(index);
    // Bit 0x40 of the first modifier flag word says a proxy key is stored.
    if (!part.Modifier.Flags.empty() && (part.Modifier.Flags[0] & 0x40)) stream.ReadKeyRef(part.Proxy);
    stream.ReadKeyRef(part.Skin);
    return part;
}

TValueCtrl ReadValueCtrlPart(TPlasmaStream& stream) {
    TValueCtrl part;
    part.Control = ReadGUIControlPart(stream);
    stream.ReadValue(part.Min);
    stream.ReadValue(part.Max);
    stream.ReadValue(part.Step);
    return part;
}

TDialogMod ReadDialogMod(TPlasmaStream& stream) {
    TDialogMod dialog;
    dialog.SynchedObject = ReadSynchedObjectPart(stream);
    dialog.Modifier = ReadModifierPart(stream);
    stream.ReadKeyRef(dialog.RenderMod);
    dialog.Name.assign(static_cast<size_t>(std::min<int64_t>(kDialogNameSize, stream.Remaining())), '\0');
    if (!dialog.Name.empty()) stream.Read(dialog.Name.data(), dialog.Name.size());
    dialog.ControlKeys = ReadKeySlots(stream);
    stream.ReadValue(dialog.TagID);
    stream.ReadKeyRef(dialog.ProcReceiver);
    stream.ReadValue(dialog.Version);
    dialog.ColorScheme = ReadColorScheme(stream);
    stream.ReadKeyRef(dialog.SceneNode);
    return dialog;
}
