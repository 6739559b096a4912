// Seeds of fuzz_objparts: a plausible body for every reader in every format, built with the test writers.
#include <string>

#include "FuzzHarness.h"
#include "GeometryWriters.h"
#include "GuiWriters.h"
#include "LogicWriters.h"
#include "ObjPartsFuzz.h"

using testpages::ByteWriter;
using testpages::makeKey;
using namespace testpages;

namespace {

void synched(ByteWriter& w) {
    writeSynched(w, 0x50, {"abc"}, {"v"});
}

void objInterface(ByteWriter& w) {
    const TPRPObjectDesc owner = makeKey(1, "Owner");
    writeObjInterface(w, &owner, {0x8});
}

void matrix(ByteWriter& w) {
    float values[16];
    for (int i = 0; i < 16; ++i)
        values[i] = i % 5 == 0 ? 1.0f : 0.5f;
    writeMatrix(w, values);
}

ByteWriter body(int reader, uint16_t version, uint16_t major, int variant) {
    using namespace objpartsfuzz;
    ByteWriter w(version, major);
    const testpages::Family family{version, major, ""};
    const TPRPObjectDesc a = makeKey(1, "ObjA"), b = makeKey(22, "DrawB");
    const auto control = [&w] { testpages::writeControl(w, testpages::fullControl()); };
    const auto value = [&w] { testpages::writeValueCtrl(w, testpages::fullControl(), 1, 2, 3); };
    switch (reader) {
    case SynchedObject:
        synched(w);
        break;
    case Modifier:
        w.u32(2).u32(1).u32(2);
        break;
    case ObjInterface:
        objInterface(w);
        break;
    case Matrix44:
        matrix(w);
        break;
    case Bounds3Ext:
        w.u32(0).u32(1);
        for (int i = 0; i < 6 + 3 + 15; ++i)
            w.f32(float(i));
        break;
    case SceneNode:
        w.keyRefs({a, b}).keyRefs({b});
        break;
    case SceneObject:
        synched(w);
        w.keyRef(&b).keyRef(nullptr).keyRef(&a).keyRef(nullptr).keyRefs({a}).keyRefs({b}).keyRef(&a);
        break;
    case CoordinateInterface:
        synched(w);
        objInterface(w);
        for (int i = 0; i < 4; ++i)
            matrix(w);
        w.keyRefs({a});
        break;
    case DrawInterface:
        synched(w);
        objInterface(w);
        w.u32(1).u32(7).keyRef(&b).keyRefs({a});
        break;
    case SimulationInterface:
        synched(w);
        objInterface(w);
        if (IsUruFamily(version)) w.u32(1).u32(5).u32(0);
        w.keyRef(&a);
        break;
    case AudioInterface:
        synched(w);
        objInterface(w);
        w.keyRef(&b);
        break;
    case Layer:
        synched(w);
        w.keyRef(&a).u32(1).u32(2).u32(3).u32(4).u32(5);
        matrix(w);
        for (int i = 0; i < 16; ++i)
            w.f32(0.5f);
        w.u32(0).f32(1).f32(0).f32(2).keyRef(&a).keyRef(nullptr).keyRef(&b);
        matrix(w);
        break;
    case Material:
        synched(w);
        w.u32(1).u32(2).u32(2).u32(1).keyRef(&a).keyRef(&b).keyRef(&a);
        break;
    case SpotLight:
    case LimitedDirLight:
        synched(w);
        objInterface(w);
        for (int i = 0; i < 12; ++i)
            w.f32(0.5f);
        for (int i = 0; i < 4; ++i)
            matrix(w);
        w.keyRef(&a).keyRef(nullptr).keyRef(&b).keyRefs({a});
        for (int i = 0; i < 7; ++i)
            w.f32(1);
        break;
    case ShadowCaster:
        synched(w);
        w.u32(1).u32(3).u8(6).f32(1).f32(2).f32(3);
        break;
    case ShadowMaster:
        synched(w);
        objInterface(w);
        w.f32(1).f32(2).f32(3).u32(4).u32(5).f32(6);
        break;
    case ImageLibMod:
        synched(w);
        w.u32(0).keyRefs({a, b});
        break;
    case SpawnModifier:
        synched(w);
        writeWords(w, {1});
        break;
    case LightInfo:
        writeSampleLightInfo(w);
        break;
    case OmniLightInfo:
        writeSampleLightInfo(w);
        w.f32(1).f32(2).f32(3).f32(4);
        break;
    case ClothingItem:
        return testpages::clothingBody(family, variant == 0);
    case DrawableSpans:
        return testpages::drawableBody(family, variant == 0);
    case SharedMesh:
        w.u32(1);
        testpages::writeGeometrySpan(w, testpages::twoVertexSpan());
        w.keyRef(&a).u8(1);
        break;
    case MorphDataSet:
        // One array of one delta of one span with two vertex deltas and one UVW channel.
        w.u32(1).u32(1).f32(0.5f).u32(1).u32(2).u32(1);
        for (uint32_t i = 0; i < 2; ++i) {
            w.u16(uint16_t(i)).u16(0);
            for (int k = 0; k < 6; ++k)
                w.f32(0.25f * float(k));
        }
        for (int k = 0; k < 6; ++k)
            w.f32(0.5f);
        break;
    case GBufferGroup:
        testpages::writeSmallPlainGroup(w);
        break;
    case GeometrySpanList: {
        testpages::SpanSpec span = testpages::twoVertexSpan();
        if (variant == 1) span.format = 0x01;
        w.u32(1);
        testpages::writeGeometrySpan(w, span);
        break;
    }
    case IcicleList: {
        testpages::IcicleSpec icicle;
        if (variant == 1) {
            icicle.props = 0x4;
            icicle.faces = {TTriFace{}, TTriFace{}};
        }
        w.u32(2);
        testpages::writeIcicle(w, icicle);
        testpages::writeIcicle(w, icicle);
        break;
    }
    case SpaceTree:
        testpages::writeSpaceTree(w, 2, 2, {{0x1, 2, -1, -1}, {0x1, 2, -1, -1}, {0x0, -1, 0, 1}});
        break;
    case DISpanIndex:
        testpages::writeDISpanIndex(w, variant == 0 ? 0 : 0x1, {1, 2, 3});
        break;
    case GUIControl:
        control();
        break;
    case ValueCtrl:
        value();
        break;
    case DialogMod:
        testpages::writeDialog(w, testpages::dialogName("Dlg"), {&a, nullptr}, testpages::sampleScheme());
        break;
    case GUIButton:
        control();
        w.keyRefs({a}).safeStr("A").keyRefs({b}).safeStr("B").u32(1);
        if (IsMystVFamily(version)) w.u32(2).u32(3);
        w.keyRef(&a);
        break;
    case GUICheckBox:
        control();
        w.keyRefs({a}).safeStr("A").u8(1);
        break;
    case GUIDynDisplay:
        control();
        w.keyRefs({a}).keyRefs({b}).keyRefs({a});
        break;
    case GUIKnob:
        value();
        w.keyRefs({a}).safeStr("K").f32(1).f32(2).f32(3).f32(4).f32(5).f32(6);
        break;
    case GUIMultiLine:
        control();
        w.u8(1).keyRef(&a);
        break;
    case GUIProgress:
        value();
        w.keyRefs({a}).safeStr("P");
        break;
    case GUIRadioGroup:
        control();
        w.keyRefs({a, b}).u32(1);
        break;
    case GUITextBox:
        control();
        w.string32("Text");
        if (w.live()) w.u8(1).safeWStr(u"Path");
        break;
    case GUIUpDownPair:
        value();
        w.keyRef(&a).keyRef(&b).f32(1).f32(2).f32(3);
        break;
    case DetectorModifier:
        writeDetector(w, {1, 2}, {a, b}, &b, &a);
        break;
    case CollisionDetector:
    case PanicLinkRegion:
        writeDetector(w, {1}, {a, b}, &b, &a);
        w.u8(0x21).u8(1);
        break;
    case ConditionalObject:
    case ActivatorConditionalObject:
        w.u8(1).u8(0).keyRefs({a, b});
        break;
    case AnimStage:
        writeStage(w, {"Stage", 1, 2, 3, 4, 5, 6, 1, 7, 1, 8});
        break;
    case MultiStageBehMod:
        synched(w);
        writeWords(w, {});
        w.u8(0).u8(1).u8(0).u32(2);
        writeStage(w, {"A"});
        writeStage(w, {"B"});
        w.keyRefs({a});
        break;
    case PythonFileMod:
        synched(w);
        writeWords(w, {1, 2});
        w.safeStr("xKI").u32(2).keyRef(&a).keyRef(nullptr).u32(4);
        w.u32(1).u32(4).string32("abc");
        w.u32(2).u32(5).keyRef(&a);
        w.u32(3).u32(2).f32(2);
        w.u32(4).u32(1).u32(7);
        break;
    case EAXSourceSettings:
        writeEAX(w, variant == 0);
        break;
    case Sound:
    case Win32Sound: {
        SoundBytes sound;
        sound.eaxEnabled = variant == 0;
        sound.softRegion = &a;
        sound.dataBuffer = &b;
        writeSound(w, sound);
        w.u8(1);
        break;
    }
    case SoundBuffer:
        w.u32(1).u32(2).safeStr("a.ogg").u16(1).u16(2).u32(3).u32(4).u16(5).u16(6);
        break;
    case WinAudible:
        w.keyRefs({a, b}).keyRef(&b);
        break;
    }
    return w;
}

} // namespace

int main(int argc, char** argv) {
    return fuzzharness::seedMain(argc, argv, [](fuzzharness::SeedFolder& seeds) {
        for (int f = 0; f < objpartsfuzz::kFormatCount; ++f)
            for (int r = 0; r < objpartsfuzz::kReaderCount; ++r) {
                const auto& format = objpartsfuzz::kFormats[f];
                const std::string name = "parts_" + std::to_string(f) + "_" + std::to_string(r);
                const ByteWriter first = body(r, format.version, format.major, 0);
                const ByteWriter second = body(r, format.version, format.major, 1);
                seeds.add(name, {uint8_t(f), uint8_t(r)}, first.bytes);
                if (second.bytes != first.bytes)
                    seeds.add(name + "_1", {uint8_t(f), uint8_t(r)}, second.bytes);
            }
    });
}
