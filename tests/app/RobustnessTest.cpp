// Every class of the dispatch table, in every format family, opened through the main window (Edit and
// HexView) on bodies that are empty, random or cut short: nothing may crash, hang or allocate without bound,
// and failures reach the user only as messages.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <new>
#include <random>
#include <set>
#include <sys/stat.h>

#include "AppTestSupport.h"
#include "ObjectDispatch.h"
#include "PRPForms.h"
#include "GeometryWriters.h"
#include "GuiWriters.h"
#include "LogicWriters.h"
#include "PartWriters.h"
#include "TextureWriters.h"
#include "ViewerKit.h"

using namespace testpages;

// ---- Allocation watch: the largest single allocation since the last reset. Anything above the refusal
// limit is refused so that a runaway count fails the test instead of the machine.

namespace {
std::atomic<size_t> largestAllocation{0};
constexpr size_t kRefusedAllocation = size_t(1) << 30;

void* allocate(size_t size) {
    size_t seen = largestAllocation.load(std::memory_order_relaxed);
    while (size > seen && !largestAllocation.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
    if (size > kRefusedAllocation) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(size_t size) {
    return allocate(size);
}
void* operator new[](size_t size) {
    return allocate(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace {

// No object body of a few hundred bytes needs more than this in one piece.
constexpr size_t kAllocationLimit = size_t(64) << 20;
// Far beyond the time one window takes; a loop driven by a damaged count shows up here.
constexpr auto kOpenLimit = std::chrono::seconds(5);

// ---- Well-formed bodies for the viewers that exist, in the writer's family. The light kinds and the value
// control, whose bodies begin with a whole light-info or control body, are cut through that viewer's body.

const std::map<std::string, std::function<void(ByteWriter&)>>& validBodies() {
    static const std::map<std::string, std::function<void(ByteWriter&)>> bodies = {
        {"TfrmTplSceneNode",
         [](ByteWriter& w) {
             w.keyRefs({makeKey(1, "Tree"), makeKey(1, "Rock")});
             w.keyRefs({makeKey(0x4C, "Zed")});
         }},
        {"TfrmTplSceneObject",
         [](ByteWriter& w) {
             writeSynched(w, 0x50, {"Excl"}, {"Vol"});
             const TPRPObjectDesc di = makeKey(22, "DI"), ci = makeKey(21, "CI"), node = makeKey(0, "Node");
             w.keyRef(&di).keyRef(nullptr).keyRef(&ci).keyRef(nullptr);
             w.keyRefs({makeKey(0x4B, "IfA"), makeKey(0x4B, "IfB")}).keyRefs({makeKey(0x4C, "Mod")});
             w.keyRef(&node);
         }},
        {"TfrmTplCoordinateInterface", writeSampleCoordinateInterface},
        {"TfrmTplDrawInterface", writeSampleDrawInterface},
        {"TfrmTplSimulationInterface", writeSampleSimulationInterface},
        {"TfrmTplAudioInterface",
         [](ByteWriter& w) {
             writeSynched(w, 0);
             const TPRPObjectDesc owner = makeKey(1, "Rock"), sound = makeKey(0x14, "Snd");
             writeObjInterface(w, &owner, {});
             w.keyRef(&sound);
         }},
        {"TfrmTplLayer", writeSampleLayer},
        {"TfrmTplMaterial", writeSampleMaterial},
        {"TfrmTplLightInfo", [](ByteWriter& w) { writeSampleLightInfo(w); }},
        {"TfrmTplDrawableSpans", [](ByteWriter& w) { w = drawableBody(familyOf(w)); }},
        {"TfrmTpfGUIControlMod", [](ByteWriter& w) { writeControl(w, fullControl()); }},
        {"TfrmTplDetectorModifier",
         [](ByteWriter& w) {
             const TPRPObjectDesc remote = makeKey(0x4C, "Remote"), proxy = makeKey(1, "Proxy");
             writeDetector(w, {0x40, 1}, {makeKey(0x4C, "RecvA"), makeKey(0x4C, "RecvB")}, &remote, &proxy);
         }},
        {"TfrmTplSound",
         [](ByteWriter& w) {
             const TPRPObjectDesc region = makeKey(0x4B, "Soft"), buffer = makeKey(0x29, "Buf");
             SoundBytes sound;
             sound.softRegion = &region;
             sound.dataBuffer = &buffer;
             sound.eaxEnabled = true;
             sound.softOcclusion = &region;
             writeSound(w, sound);
         }},
        {"TfrmTplMipMap",
         [](ByteWriter& w) {
             w.raw(mipmapObject(Kind::DXT1, 8, 8, 2, solid({200, 100, 50, 255})));
         }},
        {"TfrmTplEnvironMap",
         [](ByteWriter& w) {
             w.raw(cubeMapObject(Kind::Pixels, 2,
                                 {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}, {1, 2, 3}, {7, 7, 7}}));
         }},
    };
    return bodies;
}

// Every class index of the table, each once, and two beyond its end.
std::vector<uint16_t> tableClassIndexes() {
    std::set<uint16_t> indexes;
    for (const TViewerRow& row : ViewerTable())
        indexes.insert(row.ClassIndex);
    indexes.insert(kFirstUnknownClass);
    indexes.insert(0x0456);
    return {indexes.begin(), indexes.end()};
}

enum class BodyKind { Empty, Random, Truncated };

struct RobustnessCase {
    const Family* family;
    BodyKind kind;
    const char* viewer; // the viewer whose bodies are cut short; nullptr for the other kinds
    int slice = 0;      // random bodies: every kRandomSlices-th class from this one; cut bodies: every
                        // kCutSlices-th length from this one
};

// The bodies are spread over several tests, each within the per-test time of the sanitizer build.
constexpr int kRandomSlices = 4;
constexpr int kCutSlices = 2;

// The bodies of a case for a class index; empty when the case does not cover the class.
// A page whose one group holds the bodies as objects "Obj0", "Obj1", ... of the class.
TestPage pageOfBodies(const Family& family, const std::string& age, uint16_t classIndex,
                      const std::vector<Bytes>& bodies) {
    TestPage page = makePage(family.version, age, "Page", 3, 0, {});
    TestGroup group(classIndex);
    for (size_t i = 0; i < bodies.size(); ++i) {
        TPRPObjectDesc key = makeKey(classIndex, "Obj" + std::to_string(i), 3, page.seqPrefix);
        key.ObjectID = uint32_t(i + 1);
        group.objects.emplace_back(key, bodies[i]);
    }
    page.groups.push_back(group);
    return page;
}

std::vector<Bytes> bodiesOf(const RobustnessCase& c, uint16_t classIndex) {
    const Family& family = *c.family;
    switch (c.kind) {
    case BodyKind::Empty:
        return {Bytes{}};
    case BodyKind::Random: {
        std::mt19937 random(0x5EED0000u + classIndex * 16u + family.version);
        std::vector<Bytes> bodies;
        for (size_t size : {1, 3, 4, 7, 16, 61, 256, 1500}) {
            Bytes body(size);
            for (uint8_t& b : body)
                b = uint8_t(random());
            bodies.push_back(body);
            // Bytes of 0xFF make every count read the largest it can be.
            bodies.push_back(Bytes(size, 0xFF));
        }
        return bodies;
    }
    case BodyKind::Truncated: {
        const char* viewer = FindViewerClass(classIndex, family.version);
        if (!viewer || std::string(viewer) != c.viewer) return {};
        ByteWriter w(family.version, family.major);
        validBodies().at(viewer)(w);
        std::vector<Bytes> bodies;
        for (size_t n = size_t(c.slice); n <= w.bytes.size(); n += kCutSlices)
            bodies.emplace_back(w.bytes.begin(), w.bytes.begin() + ptrdiff_t(n));
        return bodies;
    }
    }
    return {};
}

std::string nameOf(const RobustnessCase& c) {
    static const char* kinds[] = {"Empty", "Random", "Truncated"};
    std::string name = familyCaseName(*c.family) + "_" + kinds[int(c.kind)];
    if (c.viewer) name += std::string("_") + c.viewer;
    if (c.kind != BodyKind::Empty) name += std::to_string(c.slice);
    return name;
}

void PrintTo(const RobustnessCase& c, std::ostream* out) {
    *out << nameOf(c);
}

// Empty and random bodies per family; cut bodies per family and viewer, each its own test so that the
// slow sanitizer build stays within the per-test time.
std::vector<RobustnessCase> allCases() {
    std::vector<RobustnessCase> cases;
    for (const Family& f : kFamilies) {
        cases.push_back({&f, BodyKind::Empty, nullptr});
        for (int slice = 0; slice < kRandomSlices; ++slice)
            cases.push_back({&f, BodyKind::Random, nullptr, slice});
        for (const auto& [viewer, writer] : validBodies())
            for (int slice = 0; slice < kCutSlices; ++slice)
                cases.push_back({&f, BodyKind::Truncated, viewer.c_str(), slice});
    }
    return cases;
}

class RobustnessTest : public MainFormTest, public testing::WithParamInterface<RobustnessCase> {
protected:
    // Opens every object of the page by Edit and by HexView, then closes all windows.
    void openEveryObject(const QString& file, uint16_t classIndex) {
        form->OpenPRPFile(file);
        ASSERT_EQ(form->LocalPages.size(), 1u);
        for (const TPRPFolder& group : form->LocalPages.front().Folders)
            for (const TPRPFileObject& entry : group.Objects) {
                SCOPED_TRACE(testing::Message() << "class " << classIndex << " object "
                                                << PageText(entry.Desc.Name).toStdString());
                for (bool hexOnly : {false, true}) {
                    largestAllocation = 0;
                    const auto start = std::chrono::steady_clock::now();
                    // Edit swallows what goes wrong, HexView shows it: both through the guard here.
                    Guarded([&] {
                        TCustomPRPObjectForm* window = form->ShowObject(entry, hexOnly);
                        if (!window) return;
                        // Cut bodies differ from each other only for the viewers; the raw view paints
                        // random bytes in the other cases.
                        if (!hexOnly || GetParam().kind != BodyKind::Truncated) window->grab();
                        // Part windows open on the records the viewer kept; key links end in a look-up.
                        for (TLinkLabel* link : window->findChildren<TLinkLabel*>())
                            if (link->isEnabled()) Guarded([link] { emit link->clicked(); });
                    });
                    EXPECT_LT(std::chrono::steady_clock::now() - start, kOpenLimit);
                    EXPECT_LE(largestAllocation.load(), kAllocationLimit);
                }
                // Delivers what the windows posted themselves (the raw view's readout among it) and
                // what closing them leaves to delete.
                QCoreApplication::processEvents();
                form->MdiArea->closeAllSubWindows();
                QCoreApplication::sendPostedEvents();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                EXPECT_TRUE(form->MdiArea->subWindowList().isEmpty());
            }
    }
};

TEST_P(RobustnessTest, EveryClassOpensAndClosesWithoutFault) {
    const Family& family = *GetParam().family;
    size_t opened = 0;
    const std::vector<uint16_t> classIndexes = tableClassIndexes();
    for (size_t i = 0; i < classIndexes.size(); ++i) {
        const uint16_t classIndex = classIndexes[i];
        if (GetParam().kind == BodyKind::Random && int(i % kRandomSlices) != GetParam().slice) continue;
        const std::vector<Bytes> bodies = bodiesOf(GetParam(), classIndex);
        if (bodies.empty()) continue;
        const QString file = folder.write(QStringLiteral("Robust_District_Page.prp"),
                                          pageOfBodies(family, "Robust", classIndex, bodies));
        openEveryObject(file, classIndex);
        opened += bodies.size();
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(opened, 0u);
    for (const CapturedMessage& message : messages->messages)
        EXPECT_FALSE(message.text.isEmpty()) << "every failure names itself";
}

INSTANTIATE_TEST_SUITE_P(AllFamilies, RobustnessTest, testing::ValuesIn(allCases()),
                         [](const auto& info) { return nameOf(info.param); });

} // namespace

namespace {

// Key-index entries that point at nothing sensible, or at a page that has become a pipe since it was
// listed: the dispatcher raises the failure to the command without a message of its own, HexView names it.
TEST_F(MainFormTest, DamagedIndexEntriesFailWithAMessage) {
    const QString pipe = folder.path("Pipe.prp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const Family& family : kFamilies) {
        SCOPED_TRACE(family.name);
        TestPage page = makePage(family.version, "Robust", "Page", 3, 0, {{1, {"Rock"}}});
        form->OpenPRPFile(folder.write(QStringLiteral("Robust_District_Page.prp"), page));
        const TPRPFileObject good = form->LocalPages.front().Folders.front().Objects.front();
        struct Row {
            const char* what;
            uint32_t offset, size;
            const char* message; // nullptr: any message, or none when the object opens
            QString file = {};   // another file than the page
        };
        const uint32_t end = uint32_t(QFileInfo(PageText(good.FileName)).size());
        const Row rows[] = {
            {"size 0", good.Offset, 0, "Object data is empty!"},
            {"a pipe", good.Offset, good.Size, "", pipe}, // neither command waits for a writer
            {"past the end", end + 10, good.Size, ""},
            {"largest size", good.Offset, 0xFFFFFFFFu, ""},
            {"largest offset", 0xFFFFFFFFu, 16, ""},
            {"class index only", good.Offset, 2, nullptr},
            {"key cut short", good.Offset, 5, nullptr},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.what);
            TPRPFileObject entry = good;
            entry.Offset = row.offset;
            entry.Size = row.size;
            if (!row.file.isEmpty()) entry.FileName = row.file.toStdString();
            messages->messages.clear();
            largestAllocation = 0;
            EXPECT_NO_FATAL_FAILURE(Guarded([&] {
                try {
                    form->ShowObject(entry, false);
                } catch (...) {
                }
            }));
            EXPECT_TRUE(messages->messages.empty()) << "the command tells the failure, not the dispatcher";
            Guarded([&] { form->ShowObject(entry, true); });
            if (row.message) {
                ASSERT_EQ(messages->messages.size(), 1u);
                EXPECT_FALSE(messages->messages[0].text.isEmpty());
                if (*row.message) {
                    EXPECT_EQ(messages->messages[0].text, row.message);
                }
            }
            EXPECT_LE(largestAllocation.load(), kAllocationLimit);
            form->MdiArea->closeAllSubWindows();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
}

// Opens every class of every family on a valid body and on random bytes, with the part windows their links
// open, and visits each read-only edit that shows a text. Stops at the first class with a failure.
void visitEveryReadOnlyField(TMainForm& form, PageFolder& folder,
                             const std::function<void(const std::string& where, QLineEdit* edit)>& visit) {
    for (const Family& family : kFamilies) {
        SCOPED_TRACE(family.name);
        for (const uint16_t classIndex : tableClassIndexes()) {
            std::vector<Bytes> bodies;
            if (const char* viewer = FindViewerClass(classIndex, family.version);
                viewer && validBodies().count(viewer)) {
                ByteWriter w(family.version, family.major);
                validBodies().at(viewer)(w);
                bodies.push_back(w.bytes);
            }
            // Random bytes fill most fields with long values.
            std::mt19937 random(0xF1E1D000u + classIndex);
            Bytes noise(1500);
            for (uint8_t& b : noise)
                b = uint8_t(random());
            bodies.push_back(noise);
            form.OpenPRPFile(folder.write(QStringLiteral("Fields_District_Page.prp"),
                                          pageOfBodies(family, "Fields", classIndex, bodies)));
            for (const TPRPFileObject& entry : form.LocalPages.front().Folders.front().Objects) {
                SCOPED_TRACE(testing::Message() << "class " << classIndex << " " << entry.Desc.Name);
                Guarded([&] { form.ShowObject(entry, false); });
                // Part windows open other part windows in turn (a control's colour scheme, a sound's
                // settings): two rounds of links.
                for (int round = 0; round < 2; ++round)
                    for (QMdiSubWindow* frame : form.MdiArea->subWindowList())
                        for (TLinkLabel* link : frame->findChildren<TLinkLabel*>())
                            if (link->isEnabled()) Guarded([link] { emit link->clicked(); });
                // Laid out without painting: the offscreen platform draws no OpenGL previews.
                for (int pass = 0; pass < 3; ++pass)
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                for (QMdiSubWindow* frame : form.MdiArea->subWindowList())
                    for (QLineEdit* edit : frame->findChildren<QLineEdit*>()) {
                        if (!edit->isReadOnly() || edit->text().isEmpty()) continue;
                        visit(frame->widget()->objectName().toStdString() + "." +
                                  edit->objectName().toStdString() + " shows \"" +
                                  edit->text().toStdString() + "\"",
                              edit);
                    }
                form.MdiArea->closeAllSubWindows();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
            if (testing::Test::HasFailure()) return;
        }
    }
}

// Every read-only field of every viewer and of the part windows its links open shows its text from the
// first character: a long value is cut at its end, never at its sign and leading digits.
TEST_F(MainFormTest, EveryReadOnlyFieldShowsItsTextFromItsStart) {
    visitEveryReadOnlyField(*form, folder, [](const std::string& where, QLineEdit* edit) {
        EXPECT_EQ(edit->cursorPosition(), 0) << where;
    });
}

// Every read-only field that shows a number is filled through the kit's number setters and shows its whole
// text in its own font, yet asks for no more than its designed width or that text: no room is kept for
// values it does not show. A window with room in the child area shows its fields at their width.
TEST_F(MainFormTest, EveryReadOnlyNumberShowsItsWholeTextAndAsksNoMore) {
    form->resize(3000, 2000);
    form->show();
    const QRegularExpression number(QStringLiteral("^-?(\\d+([.,]\\d+)?(E-?\\d+)?|[0-9A-F]+|INF|NAN)$"));
    int numbers = 0;
    visitEveryReadOnlyField(*form, folder, [&](const std::string& where, QLineEdit* edit) {
        const QString text = edit->text();
        if (!number.match(text).hasMatch()) return;
        ++numbers;
        const QVariant designed = edit->property(kDesignedWidthsProperty);
        ASSERT_TRUE(designed.isValid()) << where << ": a number not filled through the kit";
        const int need = FieldWidthFor(edit, text);
        EXPECT_GE(edit->width(), need) << where;
        EXPECT_LE(edit->minimumWidth(), std::max(designed.toPoint().x(), need)) << where;
    });
    EXPECT_GT(numbers, 200);
}

} // namespace
