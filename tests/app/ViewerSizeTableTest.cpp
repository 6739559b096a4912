// The size every viewer opens at, kept in the table viewer-sizes.txt beside this file: each class the
// program has a viewer for (and the raw view), in every format family, opened through the main window at
// its default size and scale 1, and the part windows that its links open. A window fails when it opens more
// than a few pixels wider or taller than its row says, or smaller than its fields need (a read-only field
// narrower than its text, a control cut by the edge of its group or window with no scroll bar to reach it);
// so does a window without a row, and a row whose window no longer opens.
//
// A change meant to move windows rewrites the table in the same commit, so that the table's diff shows every
// window it moves. From the build folder:
//   KESTRUM_WRITE_SIZE_TABLE=1 ./test_app --gtest_filter='ViewerSizeTable.*'
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionFrame>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <iostream>
#include <map>
#include <set>

#include "AppTestSupport.h"
#include "GeometryWriters.h"
#include "GuiWriters.h"
#include "LogicWriters.h"
#include "ObjectDispatch.h"
#include "PRPForms.h"
#include "PRP_VCL.h"
#include "TextureWriters.h"
#include "ViewerKit.h"

using namespace testpages;

namespace {

// A window may open this many pixels wider or taller than its row before the test calls it a change.
constexpr int kSlack = 4;
// Links are followed this deep: a spot light opens its omni part, which opens the light part.
constexpr int kLinkDepth = 3;
// A class the dispatch table does not know opens the raw view.
constexpr uint16_t kUnknownClass = 0x0456;

QString tablePath() {
    return QStringLiteral(KESTRUM_TESTS_SOURCE_DIR "/app/viewer-sizes.txt");
}

const char kRewriteHint[] = "if the change is meant, rewrite the table from the build folder with\n"
                            "  KESTRUM_WRITE_SIZE_TABLE=1 ./test_app --gtest_filter='ViewerSizeTable.*'\n"
                            "and commit it with the change";

// ---- Bodies: one well-formed object per viewer, in the writer's family, its keys named as pages name them

TPRPObjectDesc key(uint16_t classIndex, const char* name) {
    return makeKey(classIndex, name);
}

void writeOmniLight(ByteWriter& w) {
    writeSampleLightInfo(w, nullptr, {key(0x4B, "CityExterior_VisRegion_Fountain01")});
    w.f32(1).f32(0.5f).f32(0.25f).f32(100);
}

void writeButtonBody(ByteWriter& w) {
    writeControl(w, fullControl());
    w.keyRefs({key(0x6D, "KIMiniButtonPress_Anim"), key(0x6D, "KIMiniButtonHold_Anim")})
        .safeStr("ButtonPress")
        .keyRefs({key(0x6D, "KIMiniButtonHover_Anim")})
        .safeStr("ButtonHover");
    if (IsMystVFamily(w.version()))
        w.u32(1).u32(2).u32(3);
    else
        w.u32(1);
    const TPRPObjectDesc draggable = key(0xA3, "KIMiniDraggable");
    w.keyRef(&draggable);
}

const std::map<std::string, std::function<void(ByteWriter&)>>& viewerBodies() {
    static const TPRPObjectDesc region = key(0x4B, "CityExterior_SoftVolume_AmbientFountainRegion01");
    static const TPRPObjectDesc buffer = key(0x29, "CityExterior_AmbientFountain01.ogg:L");
    static const TPRPObjectDesc remote = key(0x4C, "cPythLinkBookGUIPopup"), proxy = key(1, "LinkBookProxy");
    static const std::map<std::string, std::function<void(ByteWriter&)>> bodies = {
        {"TfrmTplSceneNode",
         [](ByteWriter& w) {
             w.keyRefs({key(1, "FountainBasin"), key(1, "LampPost01"), key(1, "Tree02")});
             w.keyRefs({key(0x4C, "cRespFountainSplash")});
         }},
        {"TfrmTplSceneObject",
         [](ByteWriter& w) {
             writeSynched(w, 0x50, {"Excl"}, {"Vol"});
             const TPRPObjectDesc di = key(22, "FountainBasin"), ci = key(21, "FountainBasin"),
                                  node = key(0, "CityExterior");
             w.keyRef(&di).keyRef(nullptr).keyRef(&ci).keyRef(nullptr);
             w.keyRefs({key(0x4B, "FountainBasinShadow"), key(0x4B, "FountainBasinPhys")});
             w.keyRefs({key(0x4C, "cRespFountainSplash")});
             w.keyRef(&node);
         }},
        {"TfrmTplMipMap",
         [](ByteWriter& w) {
             w.raw(mipmapObject(Kind::DXT1, 64, 64, 4, solid({200, 100, 50, 255})));
         }},
        {"TfrmTplEnvironMap",
         [](ByteWriter& w) {
             w.raw(cubeMapObject(Kind::Pixels, 4,
                                 {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}, {1, 2, 3}, {7, 7, 7}}));
         }},
        {"TfrmTplLayer", writeSampleLayer},
        {"TfrmTplMaterial", writeSampleMaterial},
        {"TfrmTplAudioInterface",
         [](ByteWriter& w) {
             writeSynched(w, 0);
             const TPRPObjectDesc owner = key(1, "FountainBasin"), sound = key(0x14, "FountainAudible");
             writeObjInterface(w, &owner, {});
             w.keyRef(&sound);
         }},
        {kEmptyViewer, [](ByteWriter&) {}},
        {"TfrmTplWinAudible",
         [](ByteWriter& w) {
             w.keyRefs({key(0x49, "FountainSplash01"), key(0x49, "FountainSplash02")});
             const TPRPObjectDesc node = key(0, "CityExterior");
             w.keyRef(&node);
         }},
        {"TfrmTplCoordinateInterface", writeSampleCoordinateInterface},
        {"TfrmTplDrawInterface", writeSampleDrawInterface},
        {"TfrmTplSimulationInterface", writeSampleSimulationInterface},
        {"TfrmTplDetectorModifier",
         [](ByteWriter& w) {
             writeDetector(w, {0x40, 1}, {key(0x4C, "cRespLinkOut"), key(0x4C, "cPythLinkBook")}, &remote,
                           &proxy);
         }},
        {"TfrmTplSoundBuffer",
         [](ByteWriter& w) {
             w.u32(0x12).u32(99).safeStr("CityExterior_AmbientFountain01.ogg");
             w.u16(1).u16(2).u32(44100).u32(176400).u16(4).u16(16);
         }},
        {"TfrmTplCollisionDetector",
         [](ByteWriter& w) {
             writeDetector(w, {0x10}, {key(0x4C, "cRespLinkOut")}, &remote, nullptr);
             w.u8(0x05);
         }},
        {"TfrmTplPanicLinkRegion",
         [](ByteWriter& w) {
             writeDetector(w, {0x10}, {key(0x4C, "cRespLinkOut")}, &remote, nullptr);
             w.u8(0x22).u8(1);
         }},
        {"TfrmTplActivatorConditionalObject",
         [](ByteWriter& w) {
             w.u8(0).u8(1).keyRefs({key(0x35, "cClickLinkBook"), key(0x36, "cFacingLinkBook")});
         }},
        {"TfrmTplSpawnModifier",
         [](ByteWriter& w) {
             writeSynched(w, 0x10, {"LinkInPointDefault"});
             writeWords(w, {});
         }},
        {"TfrmTplSound",
         [](ByteWriter& w) {
             SoundBytes sound;
             sound.softRegion = &region;
             sound.dataBuffer = &buffer;
             sound.eaxEnabled = true;
             sound.softOcclusion = &region;
             writeSound(w, sound);
         }},
        {"TfrmTplWin32Sound",
         [](ByteWriter& w) {
             SoundBytes sound;
             sound.dataBuffer = &buffer;
             writeSound(w, sound);
             w.u8(1);
         }},
        {"TfrmTplDrawableSpans", [](ByteWriter& w) { w = drawableBody(familyOf(w)); }},
        {"TfrmTplLightInfo", [](ByteWriter& w) { writeSampleLightInfo(w); }},
        {"TfrmTplOmniLightInfo", writeOmniLight},
        {"TfrmTplSpotLightInfo",
         [](ByteWriter& w) {
             writeOmniLight(w);
             w.f32(2).f32(0.125f).f32(1.5f);
         }},
        {"TfrmTplLimitedDirLightInfo",
         [](ByteWriter& w) {
             writeSampleLightInfo(w);
             w.f32(10).f32(20).f32(30);
         }},
        {"TfrmTpfGUIControlMod", [](ByteWriter& w) { writeControl(w, fullControl()); }},
        {"TfrmTpfGUIDialogMod",
         [](ByteWriter& w) {
             const TPRPObjectDesc b1 = key(0xA1, "KIMiniButton01"), t1 = key(0xAB, "KIMiniTextBox01");
             writeDialog(w, dialogName("KIMini"), {&b1, nullptr, &t1}, sampleScheme());
         }},
        {"TfrmTpfGUIButtonMod", writeButtonBody},
        {"TfrmTplPythonFileMod",
         [](ByteWriter& w) {
             writeSynched(w, 0);
             writeWords(w, {1, 2});
             const TPRPObjectDesc receiver = key(0x4C, "cRespLinkOut");
             w.safeStr("xLinkingBookGUIPopup").u32(2).keyRef(&receiver).keyRef(nullptr).u32(3);
             w.u32(1).u32(4).string32("LinkingBookGUI");
             w.u32(2).u32(5).keyRef(&receiver);
             w.u32(3).u32(2).f32(2.5f);
         }},
        {"TfrmTpfGUIMultiLineCtrl",
         [](ByteWriter& w) {
             writeControl(w, plainControl());
             const TPRPObjectDesc scroll = key(0xAF, "KIMiniScrollBar");
             w.u8(1).keyRef(&scroll);
         }},
        {"TfrmTpfGUITextBoxMod",
         [](ByteWriter& w) {
             writeControl(w, plainControl());
             w.string32("Welcome to the city.\r\nMind the fountain.");
             if (w.live()) w.u8(1).safeWStr(u"KI.Messages.Welcome");
         }},
        {"TfrmTpfGUIUpDownPairMod",
         [](ByteWriter& w) {
             writeValueCtrl(w, plainControl(), 0, 10, 1);
             const TPRPObjectDesc up = key(0xA1, "KIMiniUpButton"), down = key(0xA1, "KIMiniDownButton");
             w.keyRef(&up).keyRef(&down).f32(-2.5f).f32(2.5f).f32(0.5f);
         }},
        {"TfrmTpfGUIValueCtrl", [](ByteWriter& w) { writeValueCtrl(w, fullControl(), -1, 1, 0.125f); }},
        {"TfrmTpfGUIKnobCtrl",
         [](ByteWriter& w) {
             writeValueCtrl(w, fullControl(), 1, 2, -6.5f);
             w.keyRefs({key(0x6D, "KIVolumeKnob_Anim")}).safeStr("Turn");
             w.f32(1).f32(2).f32(3).f32(-4).f32(-5).f32(-6);
         }},
        {"TfrmTplClothingItem", [](ByteWriter& w) { w = clothingBody(familyOf(w), true); }},
        {"TfrmTpfGUICheckBoxCtrl",
         [](ByteWriter& w) {
             writeControl(w, plainControl());
             w.keyRefs({key(0x6D, "KICheckBox_Anim")}).safeStr("Tick").u8(1);
         }},
        {"TfrmTpfGUIRadioGroupCtrl",
         [](ByteWriter& w) {
             writeControl(w, plainControl());
             const TPRPObjectDesc r1 = key(0xBA, "KIRadio01"), r2 = key(0xBA, "KIRadio02");
             w.u32(2).keyRef(&r1).keyRef(&r2).u32(1);
         }},
        {"TfrmTpfGUIDynDisplayCtrl",
         [](ByteWriter& w) {
             writeControl(w, plainControl());
             w.keyRefs({key(0x64, "KIDynTextMap")})
                 .keyRefs({key(6, "KIDynTextLayer01"), key(6, "KIDynTextLayer02")})
                 .keyRefs({key(7, "KIDynTextMaterial")});
         }},
        {"TfrmTplMultiStageBehMod",
         [](ByteWriter& w) {
             writeSynched(w, 0);
             writeWords(w, {});
             w.u8(0).u8(1).u8(1).u32(2);
             writeStage(w, {"SitDown", 0x9, 2, 1, 3, 7, 0xFFFFFFFF, 0, 4, 1, 0});
             writeStage(w, {"SitIdle"});
             w.keyRefs({key(0x4C, "cRespSitDown")});
         }},
        {"TfrmTplSharedMesh",
         [](ByteWriter& w) {
             const TPRPObjectDesc morph = key(0xE2, "ShirtMorphSet");
             w = sharedMeshBody(familyOf(w), &morph, 2);
         }},
        {"TfrmTplShadowMaster",
         [](ByteWriter& w) {
             writeSynched(w, 0);
             const TPRPObjectDesc owner = key(1, "SunLight");
             writeObjInterface(w, &owner, {});
             w.f32(10).f32(20).f32(5).u32(256).u32(16).f32(0.5f);
         }},
        {"TfrmTplShadowCaster",
         [](ByteWriter& w) {
             writeSynched(w, 0);
             writeWords(w, {0x40});
             w.u8(0x06).f32(1.5f).f32(0.0001f).f32(3);
         }},
        {"TfrmTpfGUIProgressCtrl",
         [](ByteWriter& w) {
             writeValueCtrl(w, plainControl(), 0, 100, 1);
             w.keyRefs({key(0x6D, "KIProgress_Anim")}).safeStr("Fill");
         }},
        {"TfrmTplMorphDataSet", [](ByteWriter& w) { w = morphBody(familyOf(w)); }},
        {"TfrmTplImageLibMod",
         [](ByteWriter& w) {
             writeSynched(w, 0);
             writeWords(w, {});
             w.keyRefs({key(4, "BookImage01*1#0.hsm"), key(4, "BookImage02*1#0.hsm")});
         }},
        {kRawViewer, [](ByteWriter& w) { w.raw(Bytes(200, 0x5A)); }},
    };
    return bodies;
}

// The viewer a class opens in a family: its row of the dispatch table, else the raw view.
std::string viewerOf(uint16_t classIndex, const Family& family) {
    const char* viewer = FindViewerClass(classIndex, family.version);
    return viewer ? viewer : kRawViewer;
}

// Every class index with a viewer in the family, and one the table does not know.
std::vector<uint16_t> classesOf(const Family& family) {
    std::set<uint16_t> indexes{kUnknownClass};
    for (const TViewerRow& row : ViewerTable())
        if (FindViewerClass(row.ClassIndex, family.version)) indexes.insert(row.ClassIndex);
    return {indexes.begin(), indexes.end()};
}

// The object's name: its viewer's, without the class prefix.
std::string objectNameOf(const std::string& viewer) {
    return QString::fromStdString(viewer)
        .remove(QRegularExpression(QStringLiteral("^Tfrm(Tpl|Tpf|T)?")))
        .toStdString();
}

// A page of the family with one object of each class.
TestPage pageOfEveryViewer(const Family& family) {
    TestPage page = emptyPage(family.version, "Sizes", "Viewers", 1, 0);
    uint32_t id = 1;
    for (uint16_t classIndex : classesOf(family)) {
        const std::string viewer = viewerOf(classIndex, family);
        ByteWriter body(family.version, family.major);
        viewerBodies().at(viewer)(body);
        TPRPObjectDesc objectKey = makeKey(classIndex, objectNameOf(viewer), 1, page.seqPrefix);
        objectKey.ObjectID = id++;
        TestGroup group(classIndex);
        group.objects.emplace_back(objectKey, body.bytes);
        page.groups.push_back(group);
    }
    return page;
}

// ---- What a window must show whole

// The width a read-only edit leaves its text, as the edit lays it out: the style's contents rectangle less
// the text margins and the two pixels the edit keeps on either side.
int textRoom(const QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth =
        edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    if (edit->isReadOnly()) option.state |= QStyle::State_ReadOnly;
    const QMargins margins = edit->textMargins();
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    return contents.width() - margins.left() - margins.right() - 2 * 2;
}

// The edit scrolls its text, hiding its end, once the text, the caret and the glyphs that reach past their
// advance at either end need more than its room.
int textNeed(const QLineEdit* edit) {
    const QFontMetrics metrics = edit->fontMetrics();
    return qRound(QFontMetricsF(edit->font()).horizontalAdvance(edit->text())) + 1 +
           std::max(0, -metrics.minLeftBearing()) + std::max(0, -metrics.minRightBearing());
}

QString nameOf(const QWidget* widget) {
    if (!widget->objectName().isEmpty()) return widget->objectName();
    if (auto* group = qobject_cast<const QGroupBox*>(widget); group && !group->title().isEmpty())
        return QStringLiteral("group \"%1\"").arg(group->title());
    return QString::fromLatin1(widget->metaObject()->className());
}

// Where a control is cut by a window or group edge that no scroll bar reaches past: the first ancestor (up
// to the window's form) that does not hold the part below it whole. The contents scroller shows its whole
// contents when its scroll range covers them; other scroll areas (lists, trees) are their own business.
QString cutBy(const QWidget* control, const QWidget* form) {
    for (const QWidget* part = control; part != form; part = part->parentWidget()) {
        const QWidget* parent = part->parentWidget();
        if (!parent) return {};
        if (auto* area = qobject_cast<const QAbstractScrollArea*>(parent->parentWidget());
            area && area->viewport() == parent) {
            auto* scroller = qobject_cast<const QScrollArea*>(area);
            if (!scroller || scroller->objectName() != QLatin1String("ContentsScroller")) return {};
            const QSize reach(parent->width() + scroller->horizontalScrollBar()->maximum(),
                              parent->height() + scroller->verticalScrollBar()->maximum());
            if (part->width() > reach.width() || part->height() > reach.height())
                return QStringLiteral("the scroll range");
            part = parent; // the viewport holds the contents by scrolling
            continue;
        }
        if (!parent->rect().contains(part->geometry())) return nameOf(parent);
    }
    return {};
}

// Every way the window's form shows a control cut, one line each.
QStringList cutControls(QWidget* form) {
    QStringList cuts;
    for (QLineEdit* edit : form->findChildren<QLineEdit*>())
        if (edit->isVisible() && edit->isReadOnly() && !edit->text().isEmpty() &&
            textRoom(edit) < textNeed(edit))
            cuts << QStringLiteral("field %1 is %2 px short of its text \"%3\"")
                        .arg(nameOf(edit))
                        .arg(textNeed(edit) - textRoom(edit))
                        .arg(edit->text());
    for (QWidget* control : form->findChildren<QWidget*>()) {
        if (!control->isVisible()) continue;
        const bool checked = qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control) ||
                             qobject_cast<QCheckBox*>(control) || qobject_cast<QGroupBox*>(control) ||
                             qobject_cast<TColorSwatch*>(control) ||
                             (qobject_cast<QLabel*>(control) && !qobject_cast<QLabel*>(control)->wordWrap());
        if (!checked) continue;
        if (const QString edge = cutBy(control, form); !edge.isEmpty())
            cuts << QStringLiteral("%1 reaches past %2").arg(nameOf(control), edge);
        // A label, box or list squeezed below the least size its layout asks for clips its text.
        if (!qobject_cast<QLineEdit*>(control) &&
            control->sizePolicy().horizontalPolicy() != QSizePolicy::Ignored &&
            control->width() < control->minimumSizeHint().width())
            cuts << QStringLiteral("%1 is %2 px narrower than it needs")
                        .arg(nameOf(control))
                        .arg(control->minimumSizeHint().width() - control->width());
    }
    // Whatever the controls, contents squeezed below the least size their layout asks for overlap or clip.
    QWidget* contents = form;
    if (auto* scroller = form->findChild<QScrollArea*>(QStringLiteral("ContentsScroller")))
        contents = scroller->widget();
    if (contents && contents->layout()) {
        const QSize least = contents->minimumSizeHint();
        if (contents->width() < least.width() || contents->height() < least.height())
            cuts << QStringLiteral("its contents are %1 x %2 where their layout needs %3 x %4")
                        .arg(contents->width())
                        .arg(contents->height())
                        .arg(least.width())
                        .arg(least.height());
    }
    return cuts;
}

// ---- The table: "<family> <class index> <object>[ > <link>...]: <width> x <height>"

using SizeTable = std::map<QString, QSize>;

SizeTable readTable(QString* error) {
    SizeTable table;
    QFile file(tablePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = file.errorString();
        return table;
    }
    static const QRegularExpression row(QStringLiteral("^(.+): (\\d+) x (\\d+)$"));
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QRegularExpressionMatch match = row.match(line);
        if (!match.hasMatch()) {
            *error = QStringLiteral("unreadable row: ") + line;
            continue;
        }
        table[match.captured(1)] = QSize(match.captured(2).toInt(), match.captured(3).toInt());
    }
    return table;
}

void writeTable(const std::vector<std::pair<QString, QSize>>& rows) {
    QFile file(tablePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate))
        << tablePath().toStdString();
    QTextStream out(&file);
    out << "# The size each viewer and part window opens at (its child frame, width x height) in the\n"
        << "# main window of default size at scale 1 on the offscreen platform: one row per family, class\n"
        << "# index and object, and \" > link\" for the part windows its links open. Checked by\n"
        << "# ViewerSizeTableTest.cpp; rewritten from what opens now, in the build folder, by\n"
        << "#   KESTRUM_WRITE_SIZE_TABLE=1 ./test_app --gtest_filter='ViewerSizeTable.*'\n";
    for (const auto& [name, size] : rows)
        out << name << ": " << size.width() << " x " << size.height() << '\n';
}

class ViewerSizeTable : public MainFormTest {
protected:
    // Opens the entry's viewer and, with `followLinks`, the part windows its links open, and gives each
    // window's row name and size. Every window is checked for cut controls as it opens.
    void openWithParts(const TPRPFileObject& entry, const QString& rowName, bool followLinks,
                       std::vector<std::pair<QString, QSize>>& opened) {
        form->MdiArea->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        messages->messages.clear();
        TCustomPRPObjectForm* viewer = form->ShowObject(entry, false);
        settle();
        ASSERT_NE(viewer, nullptr) << rowName.toStdString();
        for (const CapturedMessage& message : messages->messages)
            ADD_FAILURE() << rowName.toStdString() << " says: " << message.text.toStdString();
        std::vector<std::pair<QMdiSubWindow*, QString>> level{{viewer->SubWindow(), rowName}};
        for (int depth = 0; depth <= kLinkDepth && !level.empty(); ++depth) {
            std::vector<std::pair<QMdiSubWindow*, QString>> next;
            for (const auto& [frame, name] : level) {
                ASSERT_NE(frame, nullptr) << name.toStdString();
                opened.emplace_back(name, frame->size());
                if (const QStringList cuts = cutControls(frame->widget()); !cuts.isEmpty())
                    ADD_FAILURE() << name.toStdString() << " opens " << frame->width() << " x "
                                  << frame->height() << ", smaller than its fields:\n  "
                                  << cuts.join(QStringLiteral("\n  ")).toStdString();
                if (!followLinks || depth == kLinkDepth) continue;
                // Part links open windows of their own; key links look up other objects and are left alone.
                std::map<QString, int> seen;
                for (TLinkLabel* link : frame->widget()->findChildren<TLinkLabel*>()) {
                    if (qobject_cast<TKeyLinkLabel*>(link) || qobject_cast<TFixedKeyLink*>(link) ||
                        !link->isVisible() || !link->isEnabled())
                        continue;
                    const QList<QMdiSubWindow*> before = form->MdiArea->subWindowList();
                    emit link->clicked();
                    settle();
                    QString linkName = name + " > " + nameOf(link);
                    if (++seen[nameOf(link)] > 1) linkName += QStringLiteral(" #%1").arg(seen[nameOf(link)]);
                    for (QMdiSubWindow* shown : form->MdiArea->subWindowList())
                        if (!before.contains(shown)) next.emplace_back(shown, linkName);
                }
            }
            level = std::move(next);
        }
    }
};

TEST_F(ViewerSizeTable, EveryViewerOpensAtItsTabledSizeWithItsFieldsWhole) {
    if (form->devicePixelRatio() != 1) GTEST_SKIP() << "the table holds the sizes at scale 1";
    // The designed size, whatever the screen (the platform's own is smaller than the one the test program
    // makes): showing fits the window into the screen. Nothing is put on the screen, so that the offscreen
    // platform, which has no OpenGL, lays the texture previews out without drawing them.
    const QSize designed = form->size();
    form->setAttribute(Qt::WA_DontShowOnScreen);
    form->show();
    form->resize(designed);
    settle();
    std::vector<std::pair<QString, QSize>> opened;
    for (const Family& family : kFamilies) {
        const QString file =
            folder.write(QString::fromStdString("Sizes_District_" + familyCaseName(family) + ".prp"),
                         pageOfEveryViewer(family));
        form->OpenPRPFile(file);
        const TPRPFile* page = nullptr;
        for (const TPRPFile& loaded : form->LocalPages)
            for (const TPRPFolder& group : loaded.Folders)
                for (const TPRPFileObject& entry : group.Objects)
                    if (QString::fromStdString(entry.FileName) == file) page = &loaded;
        ASSERT_NE(page, nullptr) << file.toStdString();
        // Classes that share a viewer open the same part windows: their links are followed once.
        std::set<std::string> followed;
        for (const TPRPFolder& group : page->Folders)
            for (const TPRPFileObject& entry : group.Objects) {
                const QString rowName = QStringLiteral("%1 %2 %3")
                                            .arg(QString::fromStdString(familyCaseName(family)),
                                                 QString::number(group.ClassType, 16)
                                                     .rightJustified(4, QLatin1Char('0'))
                                                     .toUpper(),
                                                 PageText(entry.Desc.Name));
                openWithParts(entry, rowName, followed.insert(viewerOf(group.ClassType, family)).second,
                              opened);
                if (HasFatalFailure()) return;
            }
    }
    form->MdiArea->closeAllSubWindows();

    if (qEnvironmentVariableIntValue("KESTRUM_WRITE_SIZE_TABLE") == 1) {
        writeTable(opened);
        std::cout << "wrote " << opened.size() << " rows to " << tablePath().toStdString() << '\n';
        return;
    }
    QString error;
    SizeTable table = readTable(&error);
    ASSERT_TRUE(error.isEmpty()) << tablePath().toStdString() << ": " << error.toStdString() << "\n"
                                 << kRewriteHint;
    for (const auto& [name, size] : opened) {
        const auto row = table.find(name);
        if (row == table.end()) {
            ADD_FAILURE() << name.toStdString() << " opens " << size.width() << " x " << size.height()
                          << " and has no row in the table; " << kRewriteHint;
            continue;
        }
        EXPECT_TRUE(size.width() <= row->second.width() + kSlack &&
                    size.height() <= row->second.height() + kSlack)
            << name.toStdString() << " opens " << size.width() << " x " << size.height()
            << ", larger than the " << row->second.width() << " x " << row->second.height() << " of its row; "
            << kRewriteHint;
        table.erase(row);
    }
    for (const auto& [name, size] : table)
        ADD_FAILURE() << "the row " << name.toStdString() << " names a window that no longer opens; "
                      << kRewriteHint;
}

} // namespace
