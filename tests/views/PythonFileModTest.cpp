// The python file modifier: the parameter type tables of both families, the reader and the viewer.
#include <gtest/gtest.h>

#include <functional>

#include "PRP_VCL.h"
#include "PythonParts.h"
#include "ViewerTestSupport.h"

using namespace testpages;
using testpages::makeKey;

namespace {

// One stored parameter: its ID, type and value bytes as the family stores them.
using ValueWriter = std::function<void(ByteWriter&)>;
struct Param {
    uint32_t id;
    uint32_t type;
    ValueWriter value;
};

void writePythonMod(ByteWriter& w, const std::string& file,
                    const std::vector<const TPRPObjectDesc*>& receivers, const std::vector<Param>& params) {
    writeSynched(w, 0);
    writeWords(w, {0x1, 0x2});
    w.safeStr(file);
    w.u32(static_cast<uint32_t>(receivers.size()));
    for (const TPRPObjectDesc* key : receivers)
        w.keyRef(key);
    w.u32(static_cast<uint32_t>(params.size()));
    for (const Param& p : params) {
        w.u32(p.id).u32(p.type);
        if (p.value) p.value(w);
    }
}

const TPRPObjectDesc kAct = makeKey(0x7E, "Activator01");

ValueWriter u32Value(uint32_t v) {
    return [v](ByteWriter& w) { w.u32(v); };
}
ValueWriter strValue(const std::string& s) {
    return [s](ByteWriter& w) { w.string32(s); };
}
ValueWriter keyValue(const TPRPObjectDesc* key) {
    return [key](ByteWriter& w) { w.keyRef(key); };
}

} // namespace

TEST(PythonFileModReader, EveryFieldInEveryFamily) {
    const TPRPObjectDesc recv = makeKey(0x7E, "Recv");
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const bool mystV = IsMystVFamily(f.version);
        ByteWriter w(f.version, f.major);
        // Type 20: a string in Myst V / Hex Isle, a key elsewhere; 22 a key in both; 23 a string or nothing.
        writePythonMod(w, "xKIBlah", {&recv},
                       {{7, 1, u32Value(42)},
                        {8, 2, [](ByteWriter& b) { b.f32(1.5f); }},
                        {9, 4, strValue("Hello!")},
                        {10, 7, keyValue(&kAct)},
                        {11, 20, mystV ? strValue(std::string("Var1", 5)) : keyValue(&kAct)},
                        {12, 22, keyValue(&kAct)},
                        {13, 23, mystV ? strValue("Sub.") : ValueWriter{}},
                        {14, 0, {}}});
        TPlasmaStream s = streamOf(w);
        const TPythonFileModRecord mod = ReadPythonFileMod(s);
        EXPECT_EQ(mod.Modifier.Flags, (std::vector<uint32_t>{1, 2}));
        EXPECT_EQ(mod.FileName, "xKIBlah");
        ASSERT_EQ(mod.Receivers.size(), 1u);
        EXPECT_EQ(mod.Receivers[0].Name, "Recv");
        ASSERT_EQ(mod.Params.size(), 8u);
        EXPECT_EQ(mod.Params[0].ID, 7u);
        EXPECT_EQ(mod.Params[0].IntValue, 42u);
        EXPECT_EQ(mod.Params[1].FloatValue, 1.5f);
        EXPECT_EQ(mod.Params[1].IntValue, 0u) << "only the field of the type is filled";
        EXPECT_EQ(mod.Params[2].StrValue, "Hello") << "the last stored character is dropped";
        EXPECT_EQ(mod.Params[3].KeyValue.Name, "Activator01");
        if (mystV) {
            EXPECT_EQ(mod.Params[4].StrValue, "Var1");
            EXPECT_EQ(mod.Params[6].StrValue, "Sub");
        } else {
            EXPECT_EQ(mod.Params[4].KeyValue.Name, "Activator01");
        }
        EXPECT_EQ(mod.Params[5].KeyValue.Name, "Activator01");
        EXPECT_EQ(mod.Params[7].ValueType, 0u);
        EXPECT_TRUE(s.AtEnd());
    }
}

TEST(PythonFileModViewer, ParameterLinesReceiversAndLinks) {
    OpenedWindows windows;
    const TPRPObjectDesc recv1 = makeKey(0x7E, "RecvA"), recv2 = makeKey(0x7E, "RecvB");
    ByteWriter w(kVersionUru);
    std::vector<Param> params = {
        {7, 1, u32Value(42)},
        {8, 1, u32Value(0xFFFFFFFF)},
        {9, 2, [](ByteWriter& b) { b.f32(0.5f); }},
        {10, 3, u32Value(2)},
        {11, 3, u32Value(0)},
        {12, 4, strValue("")},
        {13, 13, strValue("x")},
        {14, 4, strValue("Hi!")},
        {15, 17, keyValue(&kAct)},
        {16, 5, keyValue(nullptr)},
        {17, 23, {}},
    };
    writePythonMod(w, "xLinkingBookGUIPopup", {&recv1, nullptr, &recv2}, params);
    // An absent receiver adds no node.
    expectShown(
        openViewer(162, "PyMod", w),
        {"PythonFileName=xLinkingBookGUIPopup", "PyReceivers=RecvA|RecvB",
         "SynchedObjLink=Synched Object Info (0)",
         "Params=Int(7) = 42|Int(8) = 4294967295|Float(9) = 0.5|Boolean(10) = True|Boolean(11) = False|"
         "String(12) = \"\"|AnimationName(13) = \"\"|String(14) = \"Hi\"|GUISkin (15) = Activator01|"
         "Sceneobject(16) = |Wtf(17) = 23"});
}
