// The sample age as a newcomer meets it: every object opened from the page tree shows values a page could
// hold, every key it lists or links to opens an object of the sample, and the viewers the README points at
// show what they are for.
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <functional>
#include <map>
#include <set>

#include "AppTestSupport.h"
#include "ClothingParts.h"
#include "DrawableParts.h"
#include "LightParts.h"
#include "LayerParts.h"
#include "LogicParts.h"
#include "PRPForms.h"
#include "PRP_VCL.h"
#include "RowListView.h"
#include "SampleAge.h"
#include "SceneParts.h"
#include "SoundParts.h"
#include "ViewerKit.h"

using namespace testpages;

namespace {

// The texts of a tree's nodes that are class labels the class table does not know.
std::vector<std::string> unknownClassLabels(const QTreeWidget* tree) {
    std::vector<std::string> found;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it; ++it)
        if ((*it)->text(0).startsWith(QStringLiteral("???"))) found.push_back((*it)->text(0).toStdString());
    return found;
}

std::string editText(const TCustomPRPObjectForm* view, const char* name) {
    const auto* edit = view->findChild<QLineEdit*>(QString::fromLatin1(name));
    return edit ? edit->text().toStdString() : std::string("(no field ") + name + ")";
}

std::string textOf(const QTreeWidgetItem* node) {
    return node->text(0).toStdString();
}

// What a viewer of the sample must show, by object name (the first object of that name the walk opens).
using Check = std::function<void(const TCustomPRPObjectForm*)>;

void layerHasColours(const TCustomPRPObjectForm* view) {
    uint32_t colours = 0;
    for (const char* name : {"paintPreshade", "paintRuntime", "paintAmbient", "paintSpecular"}) {
        const auto* swatch = view->findChild<TColorSwatch*>(QString::fromLatin1(name));
        ASSERT_NE(swatch, nullptr) << name;
        colours |= swatch->Color();
    }
    EXPECT_NE(colours, 0u) << "every swatch black";
    EXPECT_EQ(editText(view, "Opacity"), "1");
}

void materialListsItsLayer(const TCustomPRPObjectForm* view, const std::string& layer) {
    EXPECT_EQ(editText(view, "LoadFlags"), "00000000");
    const auto* layers = view->findChild<TObjRefTreeView*>(QStringLiteral("LayerRefs"));
    ASSERT_NE(layers, nullptr);
    ASSERT_EQ(layers->topLevelItemCount(), 1);
    EXPECT_EQ(textOf(layers->topLevelItem(0)), "plLayer");
    ASSERT_EQ(layers->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(textOf(layers->topLevelItem(0)->child(0)), layer);
}

void lightHasColourAndAttenuation(const TCustomPRPObjectForm* view) {
    bool attenuated = false;
    for (const char* name : {"AttenConst", "AttenLinear", "AttenQuadratic"})
        attenuated |= QString::fromStdString(editText(view, name)).toDouble() != 0;
    EXPECT_TRUE(attenuated) << "attenuation 0";
    EXPECT_GT(QString::fromStdString(editText(view, "AttenCutoff")).toDouble(), 0);
}

void drawableHasGeometry(const TCustomPRPObjectForm* view) {
    const auto* spans = view->findChild<TRowListView*>(QStringLiteral("GSpansList"));
    ASSERT_NE(spans, nullptr);
    ASSERT_GT(spans->RowCount(), 0);
    for (int row = 0; row < spans->RowCount(); ++row)
        EXPECT_EQ(spans->Text(row).toStdString(), "Span #" + std::to_string(row) + " (4)");
    const auto* materials = view->findChild<TObjRefTreeView*>(QStringLiteral("MaterialsList"));
    ASSERT_NE(materials, nullptr);
    EXPECT_GT(materials->topLevelItemCount(), 0);
}

const std::map<std::string, Check>& checks() {
    static const std::map<std::string, Check> table = {
        {"BarkLayer", layerHasColours},
        {"GrassLayer", layerHasColours},
        {"BarkMat", [](const TCustomPRPObjectForm* v) { materialListsItsLayer(v, "BarkLayer"); }},
        {"GrassMat", [](const TCustomPRPObjectForm* v) { materialListsItsLayer(v, "GrassLayer"); }},
        {"SunLight", lightHasColourAndAttenuation},
        {"MeadowSpans", drawableHasGeometry},
        {"HallSpans", drawableHasGeometry},
        {"DockSpans", drawableHasGeometry},
        {"ShoreSpans", drawableHasGeometry},
        {"ShirtSpans", drawableHasGeometry},
        {"ShirtItem",
         [](const TCustomPRPObjectForm* v) {
             EXPECT_EQ(editText(v, "ClothingName"), "ShirtItem");
             EXPECT_EQ(editText(v, "FriendlyName"), "Blue Shirt");
         }},
    };
    return table;
}

class SampleAgeTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        writeSampleAge(folder.folder().toStdString());
        form->show();
    }

    std::vector<QMdiSubWindow*> windows() const {
        const QList<QMdiSubWindow*> list = form->MdiArea->subWindowList();
        return {list.begin(), list.end()};
    }

    void closeWindowsAfter(size_t keep) {
        std::vector<QMdiSubWindow*> open = windows();
        for (size_t i = keep; i < open.size(); ++i)
            delete open[i];
        settle();
    }

    // Follows a key the way its viewer does: it must open an object of the loaded pages, with no message.
    // A texture is only looked up: its preview wants OpenGL, and the preview tests open every one.
    void expectOpens(const TPRPObjectDesc& key, const std::function<void()>& follow) {
        SCOPED_TRACE("key " + key.Name);
        EXPECT_NE(form->FindObjectByKey(key).Version, 0) << "not among the loaded pages";
        if (key.ClassType == 4 || key.ClassType == 5) return;
        const size_t before = windows().size(), told = messages->messages.size();
        follow();
        settle();
        EXPECT_EQ(messages->messages.size(), told)
            << (messages->messages.empty() ? "" : messages->messages.back().text.toStdString());
        EXPECT_GT(windows().size(), before) << "nothing opened";
        closeWindowsAfter(before);
    }

    // Every key of the viewer's key trees and every enabled key link opens an object of the sample.
    void expectKeysOpen(TCustomPRPObjectForm* view) {
        for (const TObjRefTreeView* tree : view->findChildren<TObjRefTreeView*>()) {
            EXPECT_EQ(unknownClassLabels(tree), std::vector<std::string>())
                << tree->objectName().toStdString();
            for (QTreeWidgetItemIterator it(const_cast<TObjRefTreeView*>(tree)); *it; ++it)
                if (const TPRPObjectDesc* key = TObjRefTreeView::KeyOf(*it); key && !key->Name.empty())
                    expectOpens(*key, [&] { form->ShowObjectByKey(*key, false); });
        }
        for (TKeyLinkLabel* link : view->findChildren<TKeyLinkLabel*>())
            if (link->isEnabled()) expectOpens(link->Key(), [&] { emit link->clicked(); });
        for (TFixedKeyLink* link : view->findChildren<TFixedKeyLink*>())
            if (link->isEnabled()) expectOpens(link->Key(), [&] { emit link->clicked(); });
    }
};

// Each age of the sample opened as the README says: every object but the textures (their previews have a
// test of their own) opens in its viewer and stands up to what a user would look at and click.
TEST_F(SampleAgeTest, EveryObjectShowsRealValuesAndLinksThatOpen) {
    std::set<std::string> checked;
    for (const std::string& age : sampleAges()) {
        SCOPED_TRACE(age);
        messages->messages.clear();
        form->OpenPRPFile(folder.path(QString::fromStdString(age + ".age")));
        settle();
        EXPECT_EQ(unknownClassLabels(form->PRPTree), std::vector<std::string>());
        std::set<const TPRPFileObject*> seen;
        for (QTreeWidgetItemIterator it(form->PRPTree); *it; ++it) {
            if (TMainForm::NodeKind(*it) != TNodeKind::Object) continue;
            const TPRPFileObject* entry = TMainForm::NodeObject(*it);
            if (!entry || !seen.insert(entry).second) continue;
            if (entry->Desc.ClassType == 4 || entry->Desc.ClassType == 5) continue;
            SCOPED_TRACE(entry->Desc.Name + " of class " + std::to_string(entry->Desc.ClassType));
            const size_t told = messages->messages.size();
            TCustomPRPObjectForm* view = form->ShowObject(*entry, false);
            settle();
            ASSERT_NE(view, nullptr);
            EXPECT_EQ(messages->messages.size(), told);
            const size_t opened = windows().size();
            expectKeysOpen(view);
            if (auto check = checks().find(entry->Desc.Name);
                check != checks().end() && checked.insert(entry->Desc.Name).second)
                check->second(view);
            closeWindowsAfter(opened - 1);
        }
    }
    for (const auto& [name, check] : checks())
        EXPECT_TRUE(checked.count(name)) << name << " is not in the sample";
}

// The reader of each class the sample holds, by family; a class without stored data has none.
using Reader = std::function<void(TPlasmaStream&)>;

template <typename F> Reader reader(F read) {
    return [read](TPlasmaStream& stream) { (void)read(stream); };
}

const std::map<uint16_t, Reader>& readersOf(uint16_t version) {
    static const std::map<uint16_t, Reader> shared = {
        {0x00, reader(ReadSceneNode)},
        {0x01, reader(ReadSceneObject)},
        {0x06, reader(ReadLayer)},
        {0x07, reader(ReadMaterial)},
        {0x11, reader(ReadAudioInterface)},
        {0x14, reader(ReadWinAudible)},
        {0x15, reader(ReadCoordinateInterface)},
        {0x16, reader(ReadDrawInterface)},
        {0x29, reader(ReadSoundBuffer)},
    };
    static const std::map<uint16_t, Reader> uruLive = [] {
        std::map<uint16_t, Reader> readers = shared;
        readers.insert({{0x12, nullptr},
                        {0x2C, reader(ReadCollisionDetectorPart)},
                        {0x4C, reader(ReadDrawableSpans)},
                        {0x56, reader(ReadOmniLightInfoPart)},
                        {0x84, reader(ReadWin32SoundPart)},
                        {0xB5, reader(ReadClothingItem)},
                        {0xCC, reader(ReadSharedMesh)}});
        return readers;
    }();
    static const std::map<uint16_t, Reader> mystV = [] {
        std::map<uint16_t, Reader> readers = shared;
        readers.insert(
            {{0x2B, reader(ReadCollisionDetectorPart)}, {0x48, nullptr}, {0x49, reader(ReadDrawableSpans)}});
        return readers;
    }();
    return IsMystVFamily(version) ? mystV : uruLive;
}

// Every body of the sample but the textures (their readers have tests of their own) is exactly what its
// class's reader takes: the reader stops at its last byte, neither before (filler the viewer never shows)
// nor after (a body cut short, whose fields the viewer fills from the bytes that follow).
TEST(SampleAgeBodies, EveryBodyIsWhatItsClassReaderTakes) {
    const Bytes after{0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A};
    for (const SamplePage& sample : samplePages()) {
        SCOPED_TRACE(sample.fileName);
        const TestPage& page = sample.page;
        for (const TestGroup& group : page.groups) {
            if (group.classType == 4 || group.classType == 5) continue;
            const auto found = readersOf(page.version).find(group.classType);
            ASSERT_NE(found, readersOf(page.version).end()) << "no reader for class " << group.classType;
            for (const TestObject& object : group.objects) {
                SCOPED_TRACE(object.key.Name + " of class " + std::to_string(group.classType));
                if (!found->second) {
                    EXPECT_TRUE(object.body.empty()) << "a class without stored data";
                    continue;
                }
                Bytes bytes = object.body;
                bytes.insert(bytes.end(), after.begin(), after.end());
                TPlasmaStream stream = streamOf(bytes, page.version, effectiveMajor(page));
                found->second(stream);
                EXPECT_EQ(stream.Position(), int64_t(object.body.size()));
            }
        }
    }
}

} // namespace
