#include "GuiWriters.h"

#include "GuiControlParts.h"

namespace testpages {

SchemeSpec sampleScheme() {
    SchemeSpec s;
    s.colors = {{{1.0f, 0.5f, 0.0f, 0.25f},
                 {0.0f, 1.0f, 0.0f, 1.0f},
                 {0.999f, 0.0f, 1.0f, 0.5f},
                 {0.2f, 0.4f, 0.6f, 0.75f}}};
    s.transparency = 3000000000u;
    s.font = "Sharper";
    s.size = 12;
    s.flags = 0x05;
    return s;
}

void writeColorScheme(ByteWriter& w, const SchemeSpec& s) {
    for (const auto& colour : s.colors)
        testpages::writeColor(w, colour[0], colour[1], colour[2], colour[3]);
    w.u32(s.transparency).safeStr(s.font).u8(s.size).u8(s.flags);
}

ControlSpec plainControl() {
    ControlSpec c;
    c.skin = testpages::makeKey(0xAD, "Skin01");
    return c;
}

ControlSpec fullControl() {
    ControlSpec c = plainControl();
    c.synchFlags = 0x10;
    c.synchStrings = {"Excl"};
    c.modFlags = {0x40, 0x2};
    c.tagID = 4000000000u;
    c.visible = 2;
    c.procType = 1;
    c.command = "Avatar.Spawn 3";
    c.hasDynText = true;
    c.dynLayer = testpages::makeKey(6, "TextLayer");
    c.dynMap = testpages::makeKey(0x64, "TextMap");
    c.scheme = sampleScheme();
    c.sounds = {1, 2, 3};
    c.proxy = testpages::makeKey(1, "ProxyObj");
    return c;
}

std::string dialogName(const std::string& text) {
    std::string name = text;
    name.resize(kDialogNameSize, '\0');
    return name;
}

void writeDialog(ByteWriter& w, const std::string& name128,
                 const std::vector<const TPRPObjectDesc*>& controls, const SchemeSpec& scheme) {
    testpages::writeSynched(w, 0);
    testpages::writeWords(w, {0x1});
    const TPRPObjectDesc render = testpages::makeKey(0x4C, "RenderMod");
    w.keyRef(&render).raw(name128);
    w.u32(static_cast<uint32_t>(controls.size()));
    for (const TPRPObjectDesc* key : controls)
        w.keyRef(key);
    const TPRPObjectDesc receiver = testpages::makeKey(0xA2, "DlgPython");
    const TPRPObjectDesc node = testpages::makeKey(0, "DlgNode");
    w.u32(77).keyRef(&receiver).u32(2);
    writeColorScheme(w, scheme);
    w.keyRef(&node);
}

void writeOptKey(ByteWriter& w, const std::optional<TPRPObjectDesc>& key) {
    w.keyRef(key ? &*key : nullptr);
}

void writeControl(ByteWriter& w, const ControlSpec& c) {
    testpages::writeSynched(w, c.synchFlags, c.synchStrings);
    testpages::writeWords(w, c.modFlags);
    w.u32(c.tagID).u8(c.visible).u32(c.procType);
    if (c.procType == 1) w.string32(c.command);
    w.u8(c.hasDynText ? 1 : 0);
    if (c.hasDynText) {
        writeOptKey(w, c.dynLayer);
        writeOptKey(w, c.dynMap);
    }
    w.u8(c.scheme ? 1 : 0);
    if (c.scheme) writeColorScheme(w, *c.scheme);
    w.u8(static_cast<uint8_t>(c.sounds.size()));
    for (uint32_t sound : c.sounds)
        w.u32(sound);
    if (!c.modFlags.empty() && (c.modFlags[0] & 0x40)) writeOptKey(w, c.proxy);
    writeOptKey(w, c.skin);
}

void writeValueCtrl(ByteWriter& w, const ControlSpec& c, float min, float max, float step) {
    writeControl(w, c);
    w.f32(min).f32(max).f32(step);
}

} // namespace testpages
