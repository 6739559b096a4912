#pragma once
// Object-body builders for the GUI tests: the colour scheme, the control and value-control parts.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "PartWriters.h"

namespace testpages {

struct SchemeSpec {
    // Foreground, background, selected foreground, selected background; r, g, b, a each.
    std::array<std::array<float, 4>, 4> colors{};
    uint32_t transparency = 0;
    std::string font;
    uint8_t size = 0;
    uint8_t flags = 0;
};

struct ControlSpec {
    uint32_t synchFlags = 0;
    std::vector<std::string> synchStrings; // the first list where the flags store one
    std::vector<uint32_t> modFlags;
    uint32_t tagID = 0;
    uint8_t visible = 0;
    uint32_t procType = 0;
    std::string command; // written only for type 1
    bool hasDynText = false;
    std::optional<TPRPObjectDesc> dynLayer, dynMap; // absent keys when unset
    std::optional<SchemeSpec> scheme;
    std::vector<uint32_t> sounds;
    std::optional<TPRPObjectDesc> proxy; // written only where the modifier flags call for one
    std::optional<TPRPObjectDesc> skin;
};

// A scheme whose every value differs, to catch fields read into the wrong slot.
SchemeSpec sampleScheme();
// A control part with nothing optional but the skin "Skin01": the same bytes in every family apart from the
// key and string layouts.
ControlSpec plainControl();
// A control part with every optional piece present: synched list "Excl", flag words 0x40 and 0x2, tag
// 4000000000, command "Avatar.Spawn 3", text keys "TextLayer" and "TextMap", the sample scheme, sounds
// 1, 2, 3, proxy "ProxyObj" and skin "Skin01".
ControlSpec fullControl();

void writeColorScheme(ByteWriter& w, const SchemeSpec& s);
void writeControl(ByteWriter& w, const ControlSpec& c);
void writeValueCtrl(ByteWriter& w, const ControlSpec& c, float min, float max, float step);
// A dialog name as stored: the text padded with zero bytes to its fixed size.
std::string dialogName(const std::string& text);
// A dialog: flag word 1, render modifier "RenderMod", the name, the control keys, tag 77, receiver
// "DlgPython", version 2, the scheme and scene node "DlgNode".
void writeDialog(ByteWriter& w, const std::string& name128,
                 const std::vector<const TPRPObjectDesc*>& controls, const SchemeSpec& scheme);
// `key` of an optional key: absent when unset.
void writeOptKey(ByteWriter& w, const std::optional<TPRPObjectDesc>& key);

} // namespace testpages
