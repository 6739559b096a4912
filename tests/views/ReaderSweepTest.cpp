// Every object reader over a valid body of each family, cut at every byte and with every 32-bit word in
// turn replaced by 0xFFFFFFFF: the reader never reads past the end, and what it holds stays bounded by
// the bytes there are (a count read from the file never drives the allocation on its own). A reader made
// only of parts and key lists that another row reaches (check box, radio group, scene node, ...) has no
// row of its own.
#include <gtest/gtest.h>

#include <functional>

#include "ClothingParts.h"
#include "DrawableParts.h"
#include "GeometryWriters.h"
#include "GuiControlParts.h"
#include "GuiWriters.h"
#include "LogicParts.h"
#include "LayerParts.h"
#include "LogicWriters.h"
#include "ObjectParts.h"
#include "PythonParts.h"
#include "SceneParts.h"
#include "SoundParts.h"

using namespace testpages;
using testpages::makeKey;

namespace {

const TPRPObjectDesc kA = makeKey(0x6D, "A"), kB = makeKey(0x2D, "B");

size_t geometry(const std::vector<TGeometrySpan>& spans) {
    size_t n = spans.size();
    for (const TGeometrySpan& span : spans)
        n += span.Vertices.size() + span.Indices.size();
    return n;
}

size_t geometry(const TGBufferGroup& group) {
    size_t n = group.VertexBuffers.size() + group.IndexBuffers.size() + group.CellBuffers.size();
    for (const TVertexBuffer& buffer : group.VertexBuffers)
        n += buffer.size();
    for (const std::vector<uint16_t>& indices : group.IndexBuffers)
        n += indices.size();
    return n;
}

struct Reader {
    const char* name;
    std::function<void(ByteWriter&)> write;
    // Reads the body and returns how many elements (list entries, vertices, characters) the record holds.
    std::function<size_t(TPlasmaStream&)> read;
};

std::vector<Reader> allReaders() {
    const auto control = [](ByteWriter& w) { writeControl(w, fullControl()); };
    const auto value = [](ByteWriter& w) { writeValueCtrl(w, fullControl(), 1, 2, 3); };
    const auto controlSize = [](const TControlMod& c) {
        return c.SynchedObject.Strings.size() + c.Modifier.Flags.size() + c.Command.size() +
               c.SoundIndices.size() + c.ColorScheme.FontName.size();
    };
    return {
        // The part alone: a part read short leaves its body unread only when nothing follows it.
        {"control", control, [=](TPlasmaStream& s) { return controlSize(ReadGUIControlPart(s)); }},
        {"dialog",
         [](ByteWriter& w) {
             writeDialog(w, dialogName("Dlg"), {&kA, nullptr}, sampleScheme());
         },
         [](TPlasmaStream& s) {
             const TDialogMod d = ReadDialogMod(s);
             return d.ControlKeys.size() + d.Modifier.Flags.size();
         }},
        {"button",
         [control](ByteWriter& w) {
             control(w);
             w.keyRefs({kA}).safeStr("A").keyRefs({kB}).safeStr("B").u32(1);
             if (IsMystVFamily(w.version())) w.u32(2).u32(3); // three end-of-animation words
             w.keyRef(&kA);
         },
         [=](TPlasmaStream& s) {
             const TGUIButtonRecord b = ReadGUIButton(s);
             return controlSize(b.Control) + b.AnimKeys.size() + b.MouseOverAnimKeys.size();
         }},
        {"knob",
         [value](ByteWriter& w) {
             value(w);
             w.keyRefs({kA}).safeStr("K").f32(1).f32(2).f32(3).f32(4).f32(5).f32(6);
         },
         [=](TPlasmaStream& s) {
             const TGUIKnobRecord k = ReadGUIKnob(s);
             return controlSize(k.Value.Control) + k.AnimKeys.size();
         }},
        {"textbox",
         [control](ByteWriter& w) {
             control(w);
             w.string32("Text");
             if (w.live()) w.u8(1).safeWStr(u"Path"); // the localization path only in major version 70
         },
         [](TPlasmaStream& s) {
             const TGUITextBoxRecord t = ReadGUITextBox(s);
             return t.Text.size() + t.LocalizationPath.size();
         }},
        {"drawable spans", [](ByteWriter& w) { w = testpages::drawableBody(familyOf(w)); },
         [](TPlasmaStream& s) {
             const TDrawableSpansRecord r = ReadDrawableSpans(s);
             size_t n = r.Icicles.size() + r.SpanInfos.size() + geometry(r.GeometrySpans) +
                        r.MatrixGroups.size() + r.SpanIndices.size();
             for (const TGBufferGroup& g : r.BufferGroups)
                 n += geometry(g);
             return n;
         }},
        {"coded buffer group",
         [](ByteWriter& w) {
             w.u8(0x80).u32(0).u32(1).u16(2); // one buffer of two vertices: position, normal and colour
             for (int v = 0; v < 2; ++v) {
                 Coded c{w, w.live()};
                 c.single(0, 1024).single(0, 1024).single(0, 1024);
                 c.normal(0, 0, 32767, 0, 0, 255).color(0x7F7F7F7F);
             }
             w.u32(1).u32(3).u16(0).u16(1).u16(0).u32(1).u32(0).u32(0).u32(2);
         },
         [](TPlasmaStream& s) {
             TGBufferGroup g;
             ReadGBufferGroup(s, g);
             return geometry(g);
         }},
        {"synched",
         [](ByteWriter& w) {
             writeSynched(w, 0x50, {"abc", "de"}, {"v"});
         },
         [](TPlasmaStream& s) {
             size_t n = 0;
             for (const std::string& text : ReadSynchedObjectPart(s).Strings)
                 n += 1 + text.size();
             return n;
         }},
        {"draw interface", writeSampleDrawInterface,
         [](TPlasmaStream& s) { return ReadDrawInterface(s).Drawables.size(); }},
        {"material", writeSampleMaterial,
         [](TPlasmaStream& s) {
             const TMaterialRecord r = ReadMaterial(s);
             return r.Layers.size() + r.PiggyBacks.size();
         }},
        {"morph data set", [](ByteWriter& w) { w = morphBody(familyOf(w)); },
         [](TPlasmaStream& s) {
             size_t n = 0;
             for (const TMorphArray& array : ReadMorphDataSet(s))
                 for (const TMorphDelta& delta : array) {
                     n += 1 + delta.Spans.size();
                     for (const TMorphSpan& span : delta.Spans)
                         n += span.Deltas.size() + span.UVWs.size();
                 }
             return n;
         }},
        {"panic link region",
         [](ByteWriter& w) {
             writeDetector(w, {1}, {kA, kB}, &kB, &kA);
             w.u8(0x21).u8(1);
         },
         [](TPlasmaStream& s) { return ReadPanicLinkRegion(s).CollisionDetector.Detector.Receivers.size(); }},
        {"activator",
         [](ByteWriter& w) {
             w.u8(1).u8(0).keyRefs({kA, kB});
         },
         [](TPlasmaStream& s) { return ReadActivatorConditionalObject(s).Conditions.size(); }},
        {"multi-stage",
         [](ByteWriter& w) {
             writeSynched(w, 0);
             writeWords(w, {});
             w.u8(0).u8(0).u8(0).u32(2);
             writeStage(w, {"A"});
             writeStage(w, {"B"});
             w.keyRefs({kA});
         },
         [](TPlasmaStream& s) {
             const TMultiStageBehModRecord r = ReadMultiStageBehMod(s);
             return r.Stages.size() + r.Receivers.size();
         }},
        {"sound",
         [](ByteWriter& w) {
             SoundBytes bytes;
             bytes.eaxEnabled = true;
             bytes.softRegion = &kA;
             writeSound(w, bytes);
             w.u8(1);
         },
         [](TPlasmaStream& s) { return ReadWin32SoundPart(s).Sound.SubtitleId.size(); }},
        {"clothing", [](ByteWriter& w) { w = clothingBody(familyOf(w), true); },
         [](TPlasmaStream& s) {
             const TClothingItemRecord r = ReadClothingItem(s);
             return r.Elements.size() + r.ItemName.size() + r.AttributeList.size() + r.FriendlyName.size();
         }},
        {"python file",
         [](ByteWriter& w) {
             writeSynched(w, 0);
             writeWords(w, {1, 2});
             w.safeStr("xKI").u32(2).keyRef(&kA).keyRef(nullptr).u32(3);
             w.u32(1).u32(4).string32("abc");
             w.u32(2).u32(5).keyRef(&kA);
             w.u32(3).u32(2).f32(2);
         },
         [](TPlasmaStream& s) {
             const TPythonFileModRecord r = ReadPythonFileMod(s);
             size_t n = r.Params.size() + r.Receivers.size() + r.FileName.size();
             for (const TPythonListing& p : r.Params)
                 n += p.StrValue.size();
             return n;
         }},
    };
}

} // namespace

TEST(ReaderSweep, CutAndHugeCountBodiesStopAtTheEndAndHoldNoMoreThanTheBytes) {
    for (const Reader& reader : allReaders())
        for (const Family& f : kFamilies) {
            SCOPED_TRACE(testing::Message() << reader.name << " " << f.name);
            ByteWriter w(f.version, f.major);
            reader.write(w);
            TPlasmaStream whole = streamOf(w);
            reader.read(whole);
            EXPECT_TRUE(whole.AtEnd()) << "the valid body reads to its end";
            for (size_t length = 0; length < w.size(); ++length) {
                TPlasmaStream s = streamOf(Bytes(w.bytes.begin(), w.bytes.begin() + std::ptrdiff_t(length)),
                                           f.version, f.major);
                const size_t held = reader.read(s);
                ASSERT_LE(s.Position(), int64_t(length)) << "cut at " << length;
                ASSERT_LE(held, w.size()) << "cut at " << length;
            }
            for (size_t offset = 0; offset + 4 <= w.size(); ++offset) {
                ByteWriter damaged = w;
                damaged.patchU32(offset, 0xFFFFFFFF);
                TPlasmaStream s = streamOf(damaged);
                const size_t held = reader.read(s);
                ASSERT_LE(s.Position(), int64_t(w.size())) << "0xFFFFFFFF at " << offset;
                ASSERT_LE(held, w.size()) << "0xFFFFFFFF at " << offset;
            }
        }
}
