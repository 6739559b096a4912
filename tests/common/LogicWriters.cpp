#include "LogicWriters.h"

namespace testpages {

void writeDetector(ByteWriter& w, const std::vector<uint32_t>& words,
                   const std::vector<TPRPObjectDesc>& receivers, const TPRPObjectDesc* remoteMod,
                   const TPRPObjectDesc* proxy) {
    writeSynched(w, 0);
    writeWords(w, words);
    w.keyRefs(receivers);
    w.keyRef(remoteMod).keyRef(proxy);
}

void writeStage(ByteWriter& w, const StageBytes& stage) {
    w.safeStr(stage.name).u8(stage.notify);
    w.u32(stage.forward).u32(stage.backward).u32(stage.advance).u32(stage.regress).u32(stage.loops);
    w.u8(stage.doAdvance).u32(stage.advanceTo).u8(stage.doRegress).u32(stage.regressTo);
}

void writeFade(ByteWriter& w, const FadeBytes& fade) {
    w.f32(fade.length).f32(fade.volStart).f32(fade.volEnd).u8(fade.type).f32(fade.currTime);
    w.u32(fade.stopWhenDone).u32(fade.fadeSoftVol);
}

void writeEAX(ByteWriter& w, bool enabled) {
    w.u8(enabled ? 1 : 0);
    if (!enabled) return;
    w.u16(static_cast<uint16_t>(-1000)).u16(static_cast<uint16_t>(-200)).u8(0).u8(2);
    w.u16(static_cast<uint16_t>(-3));
    w.f32(0.5f).f32(1.25f).f32(2).f32(3);
    w.u16(10).f32(0.1f).f32(0.2f).f32(0.3f);
    w.u16(20).f32(0.4f).f32(0.5f).f32(0.6f);
    w.f32(0.75f);
}

void writeSound(ByteWriter& w, const SoundBytes& s) {
    writeSynched(w, 0);
    w.u8(s.playing).f64(s.time).i32(s.maxFalloff).i32(s.minFalloff).f32(s.currVolume).f32(s.desiredVol);
    w.i32(s.outerVol).i32(s.innerCone).i32(s.outerCone).f32(s.fadedVolume).u32(s.properties);
    w.u8(s.soundType).u8(s.priority);
    if (IsMystVFamily(w.version())) w.safeStr("Sub");
    writeFade(w, s.fadeIn);
    writeFade(w, s.fadeOut);
    w.keyRef(s.softRegion).keyRef(s.dataBuffer);
    writeEAX(w, s.eaxEnabled);
    if (!IsMystVFamily(w.version())) w.keyRef(s.softOcclusion);
}

ByteWriter clothingBody(const Family& f, bool icon) {
    using testpages::makeKey;
    const TPRPObjectDesc iconKey = makeKey(4, "Icon.dds"), shirt = makeKey(4, "Shirt.dds"),
                         bump = makeKey(4, "Bump.dds"), mesh = makeKey(0xCC, "ShirtHQ"),
                         accessory = makeKey(0xB5, "Vest");
    ByteWriter w(f.version, f.major);
    w.safeStr("Shirt01").u8(1).u8(1).u8(0).u8(12).safeStr("a=1\nb=2").safeStr("Blue Shirt");
    w.u8(icon ? 1 : 0);
    if (icon) w.keyRef(&iconKey);
    w.u32(2);
    w.safeStr("Torso").u8(3).u8(0).keyRef(&shirt).u8(1).keyRef(&bump).u8(2).keyRef(nullptr);
    w.safeStr("Arms").u8(0);
    w.u8(1).keyRef(&mesh).u8(0).u8(0);
    w.keyRef(&accessory);
    w.u8(0xFF).u8(0x00).u8(0x80).u8(0x10).u8(0x00).u8(0x20);
    return w;
}

} // namespace testpages
