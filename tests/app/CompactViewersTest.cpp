// Viewers whose read-only fields show short values open no wider than their designed fields and links
// need, in the default main window, while every field shows its whole text and key links show whole where
// the child area has room.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcessEnvironment>
#include <functional>

#include "AppTestSupport.h"
#include "GuiWriters.h"
#include "LogicWriters.h"
#include "PRPForms.h"
#include "PRP_VCL.h"
#include "TestInChild.h"
#include "ViewerKit.h"
#include "unitBounds3Ext.h"
#include "unitGeometrySpan.h"
#include "unitTransformMatrix.h"

using namespace testpages;

namespace {

const TPRPObjectDesc kFountain = makeKey(0x48, "CityExterior_SoftVolume_AmbientFountainRegion01");

// A sound of the writer's values; with `eax`, EAX settings of short values in place of its last two
// pieces (no EAX settings, no occlusion region).
ByteWriter soundBody(bool eax, const TPRPObjectDesc* region) {
    SoundBytes sound;
    sound.softRegion = region;
    ByteWriter w(kVersionUru);
    writeSound(w, sound);
    if (!eax) return w;
    ByteWriter noKey(kVersionUru);
    noKey.keyRef(nullptr);
    w.bytes.resize(w.bytes.size() - 1 - noKey.size());
    w.u8(1).u16(uint16_t(-1000)).u16(uint16_t(-200)).u8(0).u8(2).u16(uint16_t(-3));
    w.f32(0.5f).f32(1.25f).f32(2).f32(3);
    w.u16(10).f32(0.5f).f32(0.25f).f32(1);
    w.u16(20).f32(0.75f).f32(0.5f).f32(0.25f);
    w.f32(0.75f).keyRef(nullptr);
    return w;
}

class CompactViewersTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        ByteWriter knob(kVersionUru);
        writeValueCtrl(knob, plainControl(), 0, 1, 0.5f);
        knob.keyRefs({makeKey(0x6D, "AnimA")}).safeStr("Turn");
        for (float v : {1.0f, 2.0f, -6.5f, -6.5f, 2.0f, 1.0f}) // start and end position
            knob.f32(v);
        ByteWriter button(kVersionUru);
        writeControl(button, plainControl());
        // Animations, their name, mouse-over animations and name, notify type, no draggable.
        button.keyRefs({makeKey(0x6D, "AnimA")}).safeStr("Press").keyRefs({}).safeStr("Hover");
        button.u32(1).keyRef(nullptr);
        ByteWriter clickMap(kVersionUru);
        writeControl(clickMap, fullControl());
        const auto group = [](uint16_t classIndex, const char* name, const ByteWriter& body) {
            TestGroup g(classIndex);
            g.objects.emplace_back(makeKey(classIndex, name, 1), body.bytes);
            return g;
        };
        TestPage page = emptyPage(kVersionUru, "Age", "Page", 1, 0);
        TestGroup sounds(0x48);
        sounds.objects.emplace_back(makeKey(0x48, "Birds", 1), soundBody(true, nullptr).bytes);
        sounds.objects.emplace_back(makeKey(0x48, "Fountain", 1), soundBody(false, &kFountain).bytes);
        page.groups = {group(0xB1, "Knob", knob), group(0xA1, "Button", button), sounds,
                       group(0x62, "ClickMap", clickMap)};
        form->OpenPRPFile(folder.write("Age_District_Page.prp", page));
        form->show();
        form->resize(1024, 720); // the designed size, on any screen
        settle();
    }
    // The window a link of `view` opens.
    TCustomPRPObjectForm* follow(TCustomPRPObjectForm* view, const char* link) {
        if (!view) return nullptr;
        auto* label = view->findChild<TLinkLabel*>(QString::fromLatin1(link));
        EXPECT_NE(label, nullptr) << link;
        if (!label) return nullptr;
        emit label->clicked();
        settle();
        QMdiSubWindow* frame = form->MdiArea->subWindowList(QMdiArea::CreationOrder).last();
        return qobject_cast<TCustomPRPObjectForm*>(frame->widget());
    }
};

TBounds3Ext axisAlignedBounds() {
    TBounds3Ext bounds;
    bounds.Flags = kBoundsAxisAligned;
    bounds.Bounds.Min = {-1, 0, 1};
    bounds.Bounds.Max = {1, 2, 3};
    return bounds;
}

TGeometrySpan smallSpan() {
    TGeometrySpan span;
    span.BaseMatrix = 7;
    span.NumMatrices = 2;
    span.UVWChans = 1;
    span.MinDist = 0.5f;
    span.MaxDist = 100;
    span.Format = 0x52;
    return span;
}

} // namespace

// Each viewer at the default main window against its size measured before its number fields were given
// room for every value of their type (a few pixels of slack for the style): fields showing 1, 2, -6.5 or
// "(N/A)" need no more than their designed width, so the window needs no more either; every field still
// shows its whole text from its first character, and every key link shows whole. The matrix window's cells
// had room for any float then; now they too keep their designed width for a short value.
TEST_F(CompactViewersTest, ViewersShowingShortValuesOpenAtTheirDesignedWidth) {
    struct Row {
        const char* what;
        QSize before; // of the frame
        std::function<TCustomPRPObjectForm*()> open;
    };
    const std::vector<Row> rows = {
        {"knob", {388, 348}, [&] { return openViewer("Knob"); }},
        {"button", {368, 508}, [&] { return openViewer("Button"); }},
        {"sound", {528, 668}, [&] { return openViewer("Birds"); }},
        {"sound with a long region link", {726, 668}, [&] { return openViewer("Fountain"); }},
        {"EAX source settings", {428, 495}, [&] { return follow(openViewer("Birds"), "LinkedEAXSettings"); }},
        {"click map", {648, 428}, [&] { return openViewer("ClickMap"); }},
        {"Bounds 3 Ext",
         {593, 352},
         []() -> TCustomPRPObjectForm* { return OpenBounds3Ext(axisAlignedBounds()); }},
        {"transform matrix",
         {768, 297},
         []() -> TCustomPRPObjectForm* { return OpenTransformMatrix(IdentityMatrix44()); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TCustomPRPObjectForm* view = row.open();
        ASSERT_NE(view, nullptr);
        settle();
        QMdiSubWindow* frame = view->SubWindow();
        ASSERT_NE(frame, nullptr);
        EXPECT_LE(frame->width(), row.before.width() + 4) << frame->width() << "x" << frame->height();
        EXPECT_LE(frame->height(), row.before.height() + 4) << frame->width() << "x" << frame->height();
        for (QLineEdit* edit : view->findChildren<QLineEdit*>()) {
            if (!edit->isReadOnly() || !edit->isVisible() || edit->text().isEmpty()) continue;
            EXPECT_GE(edit->width(), FieldWidthFor(edit, edit->text()))
                << edit->objectName().toStdString() << " \"" << edit->text().toStdString() << "\"";
            EXPECT_EQ(edit->cursorPosition(), 0) << edit->objectName().toStdString();
        }
        for (TKeyLinkLabel* link : view->findChildren<TKeyLinkLabel*>()) {
            if (!link->isVisible()) continue;
            EXPECT_GE(link->width(), link->sizeHint().width()) << "cut: " << link->text().toStdString();
            EXPECT_TRUE(link->toolTip().isEmpty()) << link->text().toStdString();
        }
        form->MdiArea->closeAllSubWindows();
        settle();
    }
}

// The span's float fields stand in the column of its integer fields at the same width: none takes room for
// values it does not show.
TEST_F(CompactViewersTest, GeometrySpanFloatsLineUpWithTheIntegersOfTheirColumn) {
    TfrmGeometrySpan* view = OpenGeometrySpan(smallSpan());
    ASSERT_NE(view, nullptr);
    settle();
    const auto edge = [view](const char* name) {
        auto* edit = view->findChild<QLineEdit*>(QString::fromLatin1(name));
        return QRect(edit->mapTo(view, QPoint(0, 0)), edit->size());
    };
    const QRect integer = edge("BaseMat");
    for (const char* name : {"MinDist", "MaxDist", "WaterHeight", "NumMats", "DecalLevel"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(edge(name).left(), integer.left());
        EXPECT_EQ(edge(name).width(), integer.width());
    }
    for (const char* name : {"kUVCount", "kSkinWeights"}) {
        auto* edit = view->findChild<QLineEdit*>(QString::fromLatin1(name));
        EXPECT_LE(edit->minimumWidth(), FieldWidthFor(edit, edit->text()))
            << name << ": room for its text only";
    }
}

// A number field keeps its designed width for a short value, widens to show a long one whole from its first
// character, and gives that room up again for a short value.
TEST(ReadOnlyNumberFields, WidenOnlyForTheTextTheyShow) {
    QWidget window;
    auto* edit = MakeReadOnlyEdit(QStringLiteral("Value"), &window);
    edit->setMinimumWidth(40);
    edit->setMaximumWidth(60);
    SetFieldFloat(edit, 1.0f);
    EXPECT_EQ(edit->minimumWidth(), 40);
    EXPECT_EQ(edit->maximumWidth(), 60);
    SetFieldFloat(edit, 0.1f);
    EXPECT_EQ(edit->text(), FloatToText(0.1f));
    EXPECT_EQ(edit->text().size(), 17) << "0.100000001490116";
    EXPECT_GE(edit->minimumWidth(), FieldWidthFor(edit, edit->text()));
    EXPECT_EQ(edit->cursorPosition(), 0);
    SetFieldNumber(edit, int16_t(-6));
    EXPECT_EQ(edit->minimumWidth(), 40) << "the former text's room given up";
    EXPECT_EQ(edit->maximumWidth(), 60);
}

// The matrix window's cells take the width of what they show; a scale that makes a value longer widens its
// cell, and the window's fixed frame follows so that the cell still shows whole.
TEST_F(CompactViewersTest, MatrixFrameFollowsACellWidenedByAScale) {
    TfrmTransformMatrix* view = OpenTransformMatrix(IdentityMatrix44());
    settle();
    QMdiSubWindow* frame = view->SubWindow();
    ASSERT_NE(frame, nullptr);
    const int opened = frame->width();
    view->XVal->setText(QStringLiteral("0.1"));
    emit view->DoScale->clicked();
    settle();
    QLineEdit* cell = view->Cells[0][0];
    ASSERT_EQ(cell->text(), FloatToText(0.1f));
    EXPECT_GE(cell->width(), FieldWidthFor(cell, cell->text()));
    EXPECT_TRUE(frame->rect().contains(QRect(cell->mapTo(frame, QPoint(0, 0)), cell->size())))
        << "frame " << frame->width() << " wide";
    EXPECT_GT(frame->width(), opened);
    EXPECT_EQ(view->Cells[1][1]->width(), 120) << "a cell showing 1 keeps its width";
}

namespace {
// Four key names as long as a dialog's control parts, the same but for their last word.
std::vector<TPRPObjectDesc> sameButTheirEnd() {
    std::vector<TPRPObjectDesc> keys;
    for (const char* end : {"DynTextLayer", "DynTextMap", "Proxy", "Skin"})
        keys.push_back(makeKey(0x43, std::string("GUIDialog04_KIMiniPlayerControls_") + end));
    return keys;
}

// Whether the labels read differently: no two of them draw the same picture.
bool allDrawDifferently(const std::vector<QWidget*>& labels) {
    std::vector<QImage> drawn;
    for (QWidget* label : labels)
        drawn.push_back(label->grab().toImage());
    for (size_t i = 0; i < drawn.size(); ++i)
        for (size_t j = i + 1; j < drawn.size(); ++j)
            if (drawn[i] == drawn[j]) return false;
    return true;
}
} // namespace

// A key link too narrow for its name cuts it in its middle: names that differ only at their end stay
// different on the screen, and the whole name stays the link's text and tooltip.
TEST(KeyLinks, NamesThatDifferAtTheirEndStayDifferentWhenCut) {
    QWidget window;
    std::vector<QWidget*> labels;
    for (const TPRPObjectDesc& key : sameButTheirEnd()) {
        auto* link = new TKeyLinkLabel(&window);
        link->SetKey(key);
        link->setFixedWidth(
            link->fontMetrics().horizontalAdvance(QStringLiteral("GUIDialog04_KIMini\u2026")));
        labels.push_back(link);
    }
    window.show();
    QApplication::processEvents();
    for (QWidget* label : labels) {
        auto* link = static_cast<TKeyLinkLabel*>(label);
        SCOPED_TRACE(link->Key().Name);
        EXPECT_LT(link->width(), link->sizeHint().width()) << "cut";
        EXPECT_EQ(link->text(), PageText(link->Key().Name));
        EXPECT_EQ(link->toolTip(), link->text());
    }
    EXPECT_TRUE(allDrawDifferently(labels));
}

// The click-map viewer's four key links in the default main window at twice the scale: whole where the child
// area has room, and where they must be cut, still four different names on the screen.
TEST_F(CompactViewersTest, ClickMapLinksStayApartAtTwiceTheScale) {
    if (qgetenv("QT_SCALE_FACTOR") != "2") {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
        runCurrentTestInChild(environment, "at scale 2");
        return;
    }
    const std::vector<TPRPObjectDesc> keys = sameButTheirEnd();
    ControlSpec control = fullControl();
    control.dynLayer = keys[0];
    control.dynMap = keys[1];
    control.proxy = keys[2];
    control.skin = keys[3];
    ByteWriter body(kVersionUru);
    writeControl(body, control);
    TestGroup maps(0x62);
    maps.objects.emplace_back(makeKey(0x62, "KIMiniMap", 1), body.bytes);
    TestPage page = emptyPage(kVersionUru, "Age", "Dialog", 2, 0);
    page.groups = {maps};
    form->OpenPRPFile(folder.write("Age_District_Dialog.prp", page));
    settle();
    TCustomPRPObjectForm* view = openViewer("KIMiniMap");
    ASSERT_NE(view, nullptr);
    std::vector<QWidget*> labels;
    for (const char* name : {"DynTextLayer", "DynTextMap", "Proxy", "Skin"}) {
        auto* link = view->findChild<TKeyLinkLabel*>(QString::fromLatin1(name));
        ASSERT_NE(link, nullptr) << name;
        EXPECT_EQ(link->toolTip().isEmpty(), link->width() >= link->sizeHint().width()) << name;
        labels.push_back(link);
    }
    EXPECT_TRUE(allDrawDifferently(labels));
}
