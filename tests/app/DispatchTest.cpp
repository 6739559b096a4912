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

TEST_F(DispatchTest, EditSwallowsErrorsAndHexViewShowsThem) {
    form->OpenPRPFile(folder.write("A_B.prp", makePage(kVersionUru, "A", "B", 1, 0, {{1, {"obj"}}})));
    form->LocalPages[0].Folders[0].Objects[0].Size = 0;
    EXPECT_EQ(run(form->prpMenuEdit, "obj"), nullptr);
    EXPECT_TRUE(messages->messages.empty());
    EXPECT_EQ(run(form->prpMenuHexView, "obj"), nullptr);
    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_EQ(messages->messages[0].text, "Object data is empty!");
    EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtError);
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
        TPRPObjectDesc key = makeKey(row.classType, row.name, row.pageNumber);
        key.SeqPrefix = 0x7777; // takes no part in the match
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
