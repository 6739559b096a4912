// Object dispatch by class index and family, the raw-view fallback, Edit and HexView, look-up by key.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTreeWidget>

#include "AppTestSupport.h"
#include "ObjectDispatch.h"
#include "PRPForms.h"
#include "PRP_VCL.h"
#include "unitTEmpty.h"
#include "unitTUnknown.h"

using namespace testpages;

namespace {

// Stands in for a class viewer: records what the dispatcher handed it.
class RecordingViewer : public TCustomPRPObjectForm {
public:
    explicit RecordingViewer(const char* viewerClass) { setObjectName(viewerClass); }
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override {
        ASSERT_NE(stream, nullptr);
        version = stream->Header.Version;
        major = stream->Header.MajorVersion;
        body.resize(size_t(stream->Remaining()));
        stream->Read(body.data(), body.size());
        SetObjectInfo(entry);
    }
    uint16_t version = 0;
    uint16_t major = 0;
    Bytes body;
};

const char* kFakeViewers[] = {"TfrmTplDetectorModifier", "TfrmTplCollisionDetector", "TfrmTplSceneObject"};

} // namespace

class DispatchTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        for (const char* name : kFakeViewers) {
            saved.push_back(ViewerFactory(name));
            RegisterViewer(name, [name] { return new RecordingViewer(name); });
        }
    }
    void TearDown() override {
        for (size_t i = 0; i < saved.size(); ++i)
            RegisterViewer(kFakeViewers[i], saved[i]);
        MainFormTest::TearDown();
    }
    // Selects the object node of that name and runs the action; returns the window opened, if any.
    TCustomPRPObjectForm* run(QAction* action, const QString& name) {
        QTreeWidgetItem* node = nullptr;
        for (QTreeWidgetItemIterator it(form->PRPTree); *it; ++it)
            if ((*it)->text(0) == name && TMainForm::NodeObject(*it)) node = *it;
        EXPECT_NE(node, nullptr) << name.toStdString();
        form->PRPTree->setCurrentItem(node);
        const int before = int(form->MdiArea->subWindowList().size());
        action->trigger();
        const QList<QMdiSubWindow*> windows = form->MdiArea->subWindowList();
        if (windows.size() == before) return nullptr;
        return qobject_cast<TCustomPRPObjectForm*>(windows.last()->widget());
    }
    std::vector<TViewerFactory> saved;
};

struct DispatchRow {
    uint16_t version;
    const char* name;
    const char* at43;
    const char* at44;
};

class DispatchFamilies : public DispatchTest, public ::testing::WithParamInterface<DispatchRow> {};

TEST_P(DispatchFamilies, EditOpensTheFamilysViewerOrTheRawView) {
    const DispatchRow& row = GetParam();
    const uint16_t empty = IsMystVFamily(row.version) ? 72 : 75;
    form->OpenPRPFile(folder.write(
        "A_B.prp", makePage(row.version, "A", "B", 1, 0,
                            {{43, {"d43"}}, {44, {"d44"}}, {empty, {"nothing"}}, {297, {"late"}}})));
    TCustomPRPObjectForm* at43 = run(form->prpMenuEdit, "d43");
    ASSERT_NE(at43, nullptr);
    EXPECT_EQ(at43->objectName(), row.at43); // its title is the viewer base's
    TCustomPRPObjectForm* at44 = run(form->prpMenuEdit, "d44");
    ASSERT_NE(at44, nullptr);
    EXPECT_EQ(at44->objectName(), row.at44);

    auto* recording = dynamic_cast<RecordingViewer*>(at43);
    ASSERT_NE(recording, nullptr);
    EXPECT_EQ(recording->version, row.version);
    EXPECT_EQ(recording->major, form->LocalPages[0].Header.MajorVersion);
    EXPECT_EQ(recording->body, Bytes({1, 2, 3, 4, 0, 0, 0x80, 0x3F}));

    auto* none = dynamic_cast<TfrmTEmpty*>(run(form->prpMenuEdit, "nothing"));
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->Label1->text(), "(No Stored Data)");

    EXPECT_NE(dynamic_cast<TfrmTUnknown*>(run(form->prpMenuEdit, "late")), nullptr);
    // HexView always opens the raw view.
    auto* raw = dynamic_cast<TfrmTUnknown*>(run(form->prpMenuHexView, "d43"));
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->HexEditor->DataSize(), 8);
    EXPECT_TRUE(messages->messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    AllFamilies, DispatchFamilies,
    ::testing::Values(DispatchRow{kVersionUru, "Uru", "TfrmTplDetectorModifier", "TfrmTplCollisionDetector"},
                      DispatchRow{kVersionLive, "Live", "TfrmTplDetectorModifier",
                                  "TfrmTplCollisionDetector"},
                      DispatchRow{kVersionMystV, "MystV", "TfrmTplCollisionDetector", "frmTUnknown"},
                      DispatchRow{kVersionHexIsle, "HexIsle", "TfrmTplCollisionDetector", "frmTUnknown"}),
    [](const auto& info) { return std::string(info.param.name); });

// Edit tells why it opens nothing, as HexView does. A viewer that fails while it loads stays open with what
// it read: Edit adds nothing to it, as the raw view shows what a viewer could not; HexView tells every error.
TEST_F(DispatchTest, EditTellsWhyNothingOpensAndHexViewShowsEveryError) {
    form->OpenPRPFile(folder.write("A_B.prp", makePage(kVersionUru, "A", "B", 1, 0, {{1, {"obj"}}})));
    TPRPFileObject& entry = form->LocalPages[0].Folders[0].Objects[0];
    const uint32_t size = entry.Size;
    entry.Size = 0;
    for (QAction* action : {form->prpMenuEdit, form->prpMenuHexView}) {
        SCOPED_TRACE(action->objectName().toStdString());
        messages->messages.clear();
        EXPECT_EQ(run(action, "obj"), nullptr);
        ASSERT_EQ(messages->messages.size(), 1u);
        EXPECT_EQ(messages->messages[0].text, "Object data is empty!");
        EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtError);
    }

    entry.Size = size;
    struct FailingViewer : TCustomPRPObjectForm {
        void LoadObject(const TPRPFileObject& entry, TPlasmaStream*) override {
            SetObjectInfo(entry);
            throw EReadError("Stream read error");
        }
    };
    RegisterViewer("TfrmTplSceneObject", [] { return new FailingViewer; });
    messages->messages.clear();
    run(form->prpMenuEdit, "obj");
    EXPECT_EQ(form->MdiArea->subWindowList().size(), 1);
    EXPECT_TRUE(messages->messages.empty());
}

TEST_F(DispatchTest, DoubleClickOnAnObjectRunsEdit) {
    form->OpenPRPFile(folder.write("A_B.prp", makePage(kVersionUru, "A", "B", 1, 0, {{1, {"obj"}}})));
    QTreeWidgetItem* node = findNode("plSceneObject")->child(0);
    form->PRPTree->setCurrentItem(node);
    emit form->PRPTree->itemDoubleClicked(node, 0);
    ASSERT_EQ(form->MdiArea->subWindowList().size(), 1);
    EXPECT_EQ(form->MdiArea->subWindowList()[0]->widget()->windowTitle(), "[0001] obj");
}

// ---- Look-up by key

class LookUpTest : public DispatchTest {
protected:
    void SetUp() override {
        DispatchTest::SetUp();
        folder.writeAge("Glob.age");
        folder.write("Glob_D_G.prp",
                     makePage(kVersionUru, "Glob", "G", 4, 4, {{1, {"shared", "globalOnly"}}}));
        // Two local pages with the same page number: the later one wins.
        folder.write("Loc_D_A.prp", makePage(kVersionUru, "Loc", "A", 4, 0, {{1, {"shared", "twice"}}}));
        folder.write("Loc_D_B.prp",
                     makePage(kVersionUru, "Loc", "B", 4, 0, {{1, {"twice"}}, {4, {"shared"}}}));
        form->ShowGlobalsCheck->click();
        form->ShowAgeCheck->click();
        form->OpenPRPFile(folder.path("Loc_D_A.prp"));
        ASSERT_EQ(form->LocalPages.size(), 2u);
        ASSERT_EQ(form->GlobalPages.size(), 1u);
    }
};

TEST_F(LookUpTest, LocalPagesComeBeforeGlobalPagesAndTheLastMatchWins) {
    struct Row {
        uint16_t classType;
        const char* name;
        uint16_t pageNumber;
        const char* pageName; // nullptr: not found
    };
    const Row rows[] = {
        {1, "shared", 4, "A"},     // local and global: local
        {1, "twice", 4, "B"},      // two local matches: the later page
        {1, "globalOnly", 4, "G"}, // only global
        {4, "shared", 4, "B"},     // class decides
        {1, "Shared", 4, nullptr}, // names match case-sensitively
        {1, "shared", 5, nullptr}, // page number decides
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TPRPObjectDesc key = makeKey(row.classType, row.name, row.pageNumber);
        // The sequence prefix decides as well: the page number holds only part of the location.
        TPRPObjectDesc elsewhere = key;
        elsewhere.SeqPrefix = 0x0110;
        EXPECT_EQ(form->FindObjectByKey(elsewhere).Version, 0);
        const TPRPFileObject found = form->FindObjectByKey(key);
        if (!row.pageName) {
            EXPECT_EQ(found.Version, 0);
            continue;
        }
        ASSERT_EQ(found.Version, kVersionUru);
        EXPECT_TRUE(QString::fromStdString(found.FileName).endsWith(QString("_D_%1.prp").arg(row.pageName)));
    }
}

TEST_F(LookUpTest, KeyLinksAndKeyTreesOpenTheReferencedObject) {
    TKeyLinkLabel link;
    link.SetKey(makeKey(1, "globalOnly", 4));
    const QPointF at(2, 2);
    QMouseEvent release(QEvent::MouseButtonRelease, at, link.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&link, &release);
    ASSERT_EQ(form->MdiArea->subWindowList().size(), 1);
    EXPECT_EQ(form->MdiArea->subWindowList()[0]->widget()->objectName(), "TfrmTplSceneObject");

    TObjRefTreeView tree;
    tree.Version = kVersionUru;
    const std::vector<TPRPObjectDesc> keys = {makeKey(1, "nowhere", 4)}; // the tree keeps pointers to them
    QTreeWidgetItem* node = tree.AddKeyNode(keys[0]);
    emit tree.itemDoubleClicked(node, 0); // a key not loaded opens nothing and says so
    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_EQ(messages->messages[0].text, "Could not find the object in the currently loaded PRPs.\rTry "
                                          "loading other age PRPs or global PRPs.");
    EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtError);
    EXPECT_EQ(form->MdiArea->subWindowList().size(), 1);
}

// Two ages whose pages share a page number but not a sequence prefix, each with a "Thing" of the same
// class: a link opens the object of its own age's page, never its namesake in the other age.
class NamesakeLinkTest : public DispatchTest, public ::testing::WithParamInterface<Family> {
protected:
    static constexpr uint16_t kPageNumber = 3;

    // Age One is global; its page holds the scene node "Node" that links to One's "Thing".
    void SetUp() override {
        DispatchTest::SetUp();
        const Family& family = GetParam();
        folder.writeAge("One.age");
        TestPage one = emptyPage(family.version, "One", "P", kPageNumber, kReserved);
        one.seqPrefix = 0x10;
        ByteWriter node(family.version, family.major);
        const TPRPObjectDesc thing = makeKey(1, "Thing", kPageNumber, one.seqPrefix);
        node.keyRefs({thing}).keyRefs({});
        one.groups = {TestGroup(0, {TestObject(makeKey(0, "Node", kPageNumber, one.seqPrefix), node.bytes)}),
                      TestGroup(1, {TestObject(thing, Bytes{0xA0, 0xA0, 0xA0, 0xA3})})};
        onePath = folder.write("One_D_P.prp", one);

        TestPage two = emptyPage(family.version, "Two", "P", kPageNumber, 0);
        two.seqPrefix = 0x11;
        two.groups = {TestGroup(
            1, {TestObject(makeKey(1, "Thing", kPageNumber, two.seqPrefix), Bytes{0xB0, 0xB0, 0xB0, 0xB3})})};
        twoPath = folder.write("Two_D_P.prp", two);
    }

    // Follows "Thing" from the scene node viewer; returns the window it opened, if any.
    TCustomPRPObjectForm* followThing(TCustomPRPObjectForm* nodeViewer) {
        auto* tree = nodeViewer->findChild<TObjRefTreeView*>("SceneObjects");
        EXPECT_NE(tree, nullptr);
        if (!tree) return nullptr;
        const QList<QTreeWidgetItem*> found = tree->findItems("Thing", Qt::MatchExactly | Qt::MatchRecursive);
        EXPECT_EQ(found.size(), 1);
        if (found.isEmpty()) return nullptr;
        const int before = int(form->MdiArea->subWindowList().size());
        emit tree->itemDoubleClicked(found.first(), 0);
        const QList<QMdiSubWindow*> windows = form->MdiArea->subWindowList();
        if (windows.size() == before) return nullptr;
        return qobject_cast<TCustomPRPObjectForm*>(windows.last()->widget());
    }

    QString onePath, twoPath;
};

TEST_P(NamesakeLinkTest, ALinkOpensTheObjectOfItsOwnAge) {
    // Age One's page alone, its scene node open; then age Two's page replaces it.
    form->OpenPRPFile(onePath);
    TCustomPRPObjectForm* node = run(form->prpMenuEdit, "Node");
    ASSERT_NE(node, nullptr);
    form->OpenPRPFile(twoPath);
    EXPECT_EQ(followThing(node), nullptr) << "One's page is no longer loaded";
    EXPECT_EQ(messages->messages.size(), 1u) << "TEMP";
    EXPECT_EQ(messages->messages[0].text, "Could not find the object in the currently loaded PRPs.\rTry "
                                          "loading other age PRPs or global PRPs.");

    // Both loaded: Two's page as the local one, One among the global ages.
    form->ShowGlobalsCheck->click();
    ASSERT_EQ(form->LocalPages.size(), 1u);
    ASSERT_EQ(form->GlobalPages.size(), 1u);
    node = run(form->prpMenuEdit, "Node");
    ASSERT_NE(node, nullptr);
    auto* thing = dynamic_cast<RecordingViewer*>(followThing(node));
    ASSERT_NE(thing, nullptr);
    EXPECT_EQ(thing->body, Bytes({0xA0, 0xA0, 0xA0, 0xA3}));
    EXPECT_EQ(messages->messages.size(), 1u);

    // Two's own "Thing" is still found by its own key.
    TPRPObjectDesc key = makeKey(1, "Thing", kPageNumber, 0x11);
    const TPRPFileObject found = form->FindObjectByKey(key);
    EXPECT_EQ(QString::fromStdString(found.FileName), twoPath);
}

INSTANTIATE_TEST_SUITE_P(AllFamilies, NamesakeLinkTest, ::testing::ValuesIn(kFamilies),
                         [](const auto& info) { return familyCaseName(info.param); });
