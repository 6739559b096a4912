// A page changed on disk while it is loaded. A use of an object whose key-index entry moved, changed or went
// away (a page rebuilt with another layout, cut short, or relaid with its size and time kept) gives one
// message and shows or writes nothing; a page whose file has only a new time, or is an identical copy, or
// whose entries stayed as they were, is used as it is now. Valid pages of every family, with keys in every
// stored form and own keys that differ from their index entries, never give the message; a page deleted or
// moved away is told by Edit as by HexView; a page the disk fails to read is told with the system's reason.
#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

#include "AppTestSupport.h"
#include "FailingReads.h"
#include "PRPExport.h"
#include "PRPForms.h"
#include "PRP_VCL.h"
#include "TestFiles.h"
#include "TextureWriters.h"
#include "unitTUnknown.h"

using namespace testpages;

namespace {

constexpr uint16_t kPageNumber = 3;

QString changedMessage(const QString& path) {
    return QStringLiteral("The file \"") + path +
           QStringLiteral("\" has changed on disk since it was loaded.\rPlease load it again.");
}

TPRPObjectDesc keyOf(uint16_t classType, const std::string& name) {
    return makeKey(classType, name, kPageNumber);
}

// A scene node linking "A", the scene objects "A" (eight bytes of 0x11) and "B" (of 0x33, `bSize` of them)
// and the texture "T"; `extraFirst` puts one more object before all of them, so that every offset moves;
// `swapped` stores B before A, which keeps the file's size.
TestPage meadow(bool extraFirst, uint8_t bodyByte = 0x11, bool swapped = false, size_t bSize = 8,
                bool withTexture = true) {
    TestPage page = emptyPage(kVersionUru, "Garden", "Meadow", kPageNumber);
    ByteWriter node(kVersionUru);
    node.keyRefs({keyOf(1, "A")}).keyRefs({});
    if (extraFirst) page.groups.push_back(TestGroup(2, {TestObject(keyOf(2, "New"), Bytes(78, 0x99))}));
    page.groups.push_back(TestGroup(0, {TestObject(keyOf(0, "Node"), node.bytes)}));
    TestObject a(keyOf(1, "A"), Bytes(8, bodyByte)), b(keyOf(1, "B"), Bytes(bSize, 0x33));
    page.groups.push_back(
        TestGroup(1, swapped ? std::vector<TestObject>{b, a} : std::vector<TestObject>{a, b}));
    if (withTexture)
        page.groups.push_back(TestGroup(
            4, {TestObject(keyOf(4, "T"), mipmapObject(Kind::DXT1, 4, 4, 1, solid({9, 8, 7, 255})))}));
    return page;
}

// Sets the file's modification time to its time now plus `seconds`.
void setModifiedLater(const std::string& path, int seconds) {
    struct stat now {};
    ASSERT_EQ(::stat(path.c_str(), &now), 0);
    timespec times[2] = {now.st_atim, now.st_mtim};
    times[1].tv_sec += seconds;
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::string localName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

class ChangedPage : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        SetExportDialogRunner([this](QDialog& dialog) {
            ++dialogs;
            if (whileAsking) whileAsking();
            if (auto* save = qobject_cast<QFileDialog*>(&dialog)) save->selectFile(answer);
            return QDialog::Accepted;
        });
        pagePath = folder.write("Garden_District_Meadow.prp", meadow(false));
        form->OpenPRPFile(pagePath);
        ASSERT_EQ(form->LocalPages.size(), 1u);
        messages->messages.clear();
    }
    void TearDown() override {
        SetExportDialogRunner(nullptr);
        MainFormTest::TearDown();
    }

    int windowCount() const { return int(form->MdiArea->subWindowList().size()); }
    QWidget* lastWindow() const {
        const QList<QMdiSubWindow*> windows = form->MdiArea->subWindowList();
        return windows.isEmpty() ? nullptr : windows.last()->widget();
    }
    QString lastWindowTitle() const { return lastWindow() ? lastWindow()->windowTitle() : QString(); }

    // Opens the scene node "Node" and returns its link to "A", as a viewer opened before a change holds it.
    std::pair<TObjRefTreeView*, QTreeWidgetItem*> openNodeLinks() {
        select("Node");
        form->prpMenuEdit->trigger();
        auto* links = lastWindow() ? lastWindow()->findChild<TObjRefTreeView*>("SceneObjects") : nullptr;
        if (!links) return {nullptr, nullptr};
        const QList<QTreeWidgetItem*> linkToA = links->findItems("A", Qt::MatchExactly | Qt::MatchRecursive);
        return {links, linkToA.isEmpty() ? nullptr : linkToA.first()};
    }

    // Runs one command that must open one window with this title and give no message.
    void expectOpens(const char* what, const std::function<void()>& command, const QString& title) {
        SCOPED_TRACE(what);
        messages->messages.clear();
        const int windows = windowCount();
        command();
        for (const CapturedMessage& message : messages->messages)
            ADD_FAILURE() << message.text.toStdString();
        EXPECT_EQ(windowCount(), windows + 1);
        EXPECT_EQ(lastWindowTitle(), title);
    }

    // Edit, HexView, a link followed, Save and Export all work on the page as it is on disk, with no message;
    // Save writes A's stored bytes as the file holds them.
    void expectEveryUseWorks(const std::pair<TObjRefTreeView*, QTreeWidgetItem*>& link) {
        select("A");
        expectOpens(
            "Edit", [&] { form->prpMenuEdit->trigger(); }, "[0001] A");
        expectOpens(
            "HexView", [&] { form->prpMenuHexView->trigger(); }, "[0001] A");
        expectOpens(
            "link", [&] { emit link.first->itemDoubleClicked(link.second, 0); }, "[0001] A");
        messages->messages.clear();
        answer = folder.path("A.po");
        QFile::remove(answer);
        form->prpMenuSave->trigger();
        const TPRPFileObject& a = *form->SelectedObject();
        const Bytes bytes = readFile(localName(pagePath));
        EXPECT_EQ(readFile(localName(answer)),
                  Bytes(bytes.begin() + a.Offset, bytes.begin() + a.Offset + a.Size));
        select("T");
        answer = folder.path("T.dds");
        QFile::remove(answer);
        form->prpMenuExport->trigger();
        EXPECT_TRUE(QFile::exists(answer));
        for (const CapturedMessage& message : messages->messages)
            ADD_FAILURE() << message.text.toStdString();
    }

    // Runs one command on the changed page: it must give the one message and open no window.
    void expectOnlyTheMessage(const char* what, const std::function<void()>& command,
                              const QString& message = {}) {
        SCOPED_TRACE(what);
        messages->messages.clear();
        const int windows = windowCount();
        command();
        ASSERT_EQ(messages->messages.size(), 1u);
        EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtError);
        EXPECT_EQ(messages->messages[0].text, message.isEmpty() ? changedMessage(pagePath) : message);
        EXPECT_EQ(windowCount(), windows);
    }

    QString pagePath;
    QString answer;
    int dialogs = 0;
    std::function<void()> whileAsking;
};

} // namespace

TEST_F(ChangedPage, ARebuiltPageGivesOneMessageAndNothingFromItsNewBytes) {
    select("Node");
    form->prpMenuEdit->trigger();
    ASSERT_EQ(windowCount(), 1);
    auto* links =
        form->MdiArea->subWindowList().first()->widget()->findChild<TObjRefTreeView*>("SceneObjects");
    ASSERT_NE(links, nullptr);
    const QList<QTreeWidgetItem*> linkToA = links->findItems("A", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(linkToA.size(), 1);

    writeFile(QFile::encodeName(pagePath).toStdString(), buildPage(meadow(true)));

    select("A");
    expectOnlyTheMessage("Edit", [&] { form->prpMenuEdit->trigger(); });
    expectOnlyTheMessage("HexView", [&] { form->prpMenuHexView->trigger(); });
    expectOnlyTheMessage("link", [&] { emit links->itemDoubleClicked(linkToA.first(), 0); });
    answer = folder.path("A.po");
    expectOnlyTheMessage("Save", [&] { form->prpMenuSave->trigger(); });
    select("T");
    answer = folder.path("T.dds");
    expectOnlyTheMessage("Export", [&] { form->prpMenuExport->trigger(); });
    EXPECT_EQ(dialogs, 1) << "only Save asks for a name before it reads the object";
    EXPECT_EQ(QDir(folder.folder()).entryList(QDir::Files), QStringList{"Garden_District_Meadow.prp"});
}

TEST_F(ChangedPage, APageCutShortGivesTheSameMessage) {
    QFile page(pagePath);
    ASSERT_TRUE(page.resize(page.size() / 2));
    select("T");
    expectOnlyTheMessage("HexView", [&] { form->prpMenuHexView->trigger(); });
    expectOnlyTheMessage("Edit", [&] { form->prpMenuEdit->trigger(); });
}

// A read the disk fails under an object's stored bytes is told as what it is, by every use of the object:
// the file and the system's reason, no window and no file written. Once the disk reads again, all works.
TEST_F(ChangedPage, AnObjectTheDiskCannotReadIsToldWithTheFileAndTheReason) {
    const std::pair<TObjRefTreeView*, QTreeWidgetItem*> link = openNodeLinks();
    ASSERT_NE(link.second, nullptr);
    uint32_t from = UINT32_MAX, to = 0;
    for (const TPRPFolder& group : form->LocalPages[0].Folders)
        for (const TPRPFileObject& entry : group.Objects)
            if (entry.Desc.Name == "A" || entry.Desc.Name == "T") {
                from = std::min(from, entry.Offset);
                to = std::max(to, entry.Offset + entry.Size);
            }
    ASSERT_LT(from, to);
    const QString message = QStringLiteral("Cannot read file \"") + pagePath + QStringLiteral("\". ") +
                            QString::fromLocal8Bit(std::strerror(EIO));
    {
        FailingReads failing(localName(pagePath), from + 2, to);
        select("A");
        expectOnlyTheMessage(
            "Edit", [&] { form->prpMenuEdit->trigger(); }, message);
        expectOnlyTheMessage(
            "HexView", [&] { form->prpMenuHexView->trigger(); }, message);
        expectOnlyTheMessage(
            "link", [&] { emit link.first->itemDoubleClicked(link.second, 0); }, message);
        answer = folder.path("A.po");
        expectOnlyTheMessage(
            "Save", [&] { form->prpMenuSave->trigger(); }, message);
        select("T");
        answer = folder.path("T.dds");
        expectOnlyTheMessage(
            "Export", [&] { form->prpMenuExport->trigger(); }, "Error exporting image!\n" + message);
        EXPECT_GT(FailingReads::failures(), 0);
    }
    EXPECT_EQ(QDir(folder.folder()).entryList(QDir::Files), QStringList{"Garden_District_Meadow.prp"});
    expectEveryUseWorks(link);
}

// The same objects at the same places with another body and a new time: the key index still places every
// object where it did, so each is used as the file holds it now.
TEST_F(ChangedPage, APageRewrittenInPlaceWithItsIndexKeptIsUsedAsItIsNow) {
    const QDateTime loaded = QFileInfo(pagePath).lastModified();
    writeFile(localName(pagePath), buildPage(meadow(false, 0x22)));
    QFile page(pagePath);
    ASSERT_TRUE(page.open(QIODevice::ReadWrite));
    ASSERT_TRUE(page.setFileTime(loaded.addSecs(5), QFileDevice::FileModificationTime));
    page.close();
    select("A");
    expectOpens(
        "HexView", [&] { form->prpMenuHexView->trigger(); }, "[0001] A");
    auto* raw = dynamic_cast<TfrmTUnknown*>(lastWindow());
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->HexEditor->AllData(), QByteArray(8, '\x22'));
}

// Nothing but the file's time, or the file itself, is new: what backup, sync and version-control tools do.
// No use of an object is refused for it.
TEST_F(ChangedPage, ANewTimeOrAnIdenticalCopyIsNoChange) {
    const std::pair<TObjRefTreeView*, QTreeWidgetItem*> link = openNodeLinks();
    ASSERT_NE(link.second, nullptr);
    const std::string path = localName(pagePath);
    const Bytes bytes = readFile(path);
    struct Way {
        const char* what;
        std::function<void(int seconds)> apply;
    };
    const Way ways[] = {
        {"touched", [&](int seconds) { setModifiedLater(path, seconds); }},
        {"an identical copy written over it",
         [&](int seconds) {
             writeFile(path, bytes);
             setModifiedLater(path, seconds);
         }},
        {"an identical copy renamed over it",
         [&](int seconds) {
             const std::string copy = path + ".new";
             writeFile(copy, bytes);
             setModifiedLater(copy, seconds);
             ASSERT_EQ(::rename(copy.c_str(), path.c_str()), 0);
         }},
    };
    int seconds = 0;
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        way.apply(seconds += 10);
        expectEveryUseWorks(link);
    }
}

// A page rebuilt while loaded: the objects whose key-index entries are as they were open as they are; only
// an entry that moved, changed or went away is told.
TEST_F(ChangedPage, OnlyTheObjectsWhoseEntriesMovedChangedOrWentAwayAreTold) {
    struct Row {
        const char* what;
        TestPage page;
        std::vector<const char*> unchanged, told;
    };
    const Row rows[] = {
        {"B made longer", meadow(false, 0x11, false, 12), {"Node", "A"}, {"B", "T"}},
        {"T left out", meadow(false, 0x11, false, 8, false), {"Node", "A", "B"}, {"T"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        writeFile(localName(pagePath), buildPage(row.page));
        for (const char* name : row.unchanged) {
            select(name);
            const QString title = QStringLiteral("[%1] %2").arg(
                QString::fromStdString(HexWord(form->SelectedObject()->Desc.ClassType)), name);
            expectOpens(
                name, [&] { form->prpMenuHexView->trigger(); }, title);
        }
        for (const char* name : row.told) {
            select(name);
            expectOnlyTheMessage(name, [&] { form->prpMenuHexView->trigger(); });
        }
    }
}

// The index is read again for each change, not kept for good: a page touched, used, then relaid with the
// same size and the touched time put back is still told.
TEST_F(ChangedPage, ATouchedPageChangedAgainIsStillTold) {
    const std::string path = localName(pagePath);
    setModifiedLater(path, 10);
    select("A");
    expectOpens(
        "HexView on the touched page", [&] { form->prpMenuHexView->trigger(); }, "[0001] A");
    struct stat touched {};
    ASSERT_EQ(::stat(path.c_str(), &touched), 0);
    writeFile(path, buildPage(meadow(false, 0x11, true)));
    const timespec times[2] = {touched.st_atim, touched.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    expectOnlyTheMessage("HexView on the relaid page", [&] { form->prpMenuHexView->trigger(); });
    select("B");
    expectOnlyTheMessage("Edit on the relaid page", [&] { form->prpMenuEdit->trigger(); });
}

// A page deleted or moved away while loaded: Edit (a double-click) tells why nothing opens, as HexView does.
TEST_F(ChangedPage, APageDeletedOrMovedAwayIsToldByEditAsByHexView) {
    const QString moved = folder.path("Elsewhere.prp");
    struct Way {
        const char* what;
        std::function<bool()> apply;
    };
    const Way ways[] = {
        {"deleted", [&] { return QFile::remove(pagePath); }},
        {"moved away", [&] { return QFile::rename(pagePath, moved); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        writeFile(localName(pagePath), buildPage(meadow(false)));
        ASSERT_TRUE(way.apply());
        select("A");
        messages->messages.clear();
        form->prpMenuHexView->trigger();
        ASSERT_EQ(messages->messages.size(), 1u);
        const QString reason = messages->messages[0].text;
        EXPECT_TRUE(reason.startsWith(QStringLiteral("Cannot open file \"") + pagePath))
            << reason.toStdString();
        expectOnlyTheMessage(
            "Edit", [&] { form->prpMenuEdit->trigger(); }, reason);
        expectOnlyTheMessage(
            "double-click", [&] { emit form->PRPTree->itemDoubleClicked(findNode("A"), 0); }, reason);
        QFile::remove(moved);
    }
}
// Two objects of one size swapped, and the modification time put back: the key index read again places
// the object elsewhere, also for an entry that carries no stamp of its file.
TEST_F(ChangedPage, APageRelaidWithTheSameSizeAndTimeIsTold) {
    const std::string path = QFile::encodeName(pagePath).toStdString();
    struct stat loaded {};
    ASSERT_EQ(::stat(path.c_str(), &loaded), 0);
    writeFile(path, buildPage(meadow(false, 0x11, true)));
    const timespec times[2] = {loaded.st_atim, loaded.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    select("A");
    expectOnlyTheMessage("HexView", [&] { form->prpMenuHexView->trigger(); });
    TPRPFileObject byHand = *form->SelectedObject();
    byHand.FileStamp = {};
    EXPECT_THROW(ReadStoredObject(byHand), EPageChanged);
}

// Pages written by other tools store objects whose own key is not the key their index lists; the index is
// what the tree shows. In a page as it was loaded, and in one only touched since, such an object opens in
// its viewer and in HexView, is saved and is followed by a link, with no message.
TEST_F(ChangedPage, AnObjectWhoseOwnKeyDiffersFromItsIndexEntryOpens) {
    for (const Family& family : kFamilies) {
        SCOPED_TRACE(family.name);
        TestPage page = emptyPage(family.version, "Garden", "Lamps", kPageNumber);
        TestObject lamp(keyOf(1, "Lamp"), Bytes(6, 0x44));
        lamp.ownKey = makeKey(1, "LampAsStoredElsewhere", kPageNumber + 1);
        page.groups.push_back(TestGroup(1, {lamp}));
        pagePath = folder.write("Garden_District_Lamps.prp", page);
        form->OpenPRPFile(pagePath);
        ASSERT_EQ(form->LocalPages.size(), 1u);
        for (const bool touched : {false, true}) {
            SCOPED_TRACE(touched ? "touched" : "as loaded");
            if (touched) setModifiedLater(localName(pagePath), 10);
            select("Lamp");
            expectOpens(
                "Edit", [&] { form->prpMenuEdit->trigger(); }, "[0001] Lamp");
            expectOpens(
                "HexView", [&] { form->prpMenuHexView->trigger(); }, "[0001] Lamp");
            auto* raw = dynamic_cast<TfrmTUnknown*>(lastWindow());
            ASSERT_NE(raw, nullptr);
            EXPECT_EQ(raw->HexEditor->AllData(), QByteArray(6, '\x44'));
            expectOpens(
                "link", [&] { ShowObjectByKey(keyOf(1, "Lamp")); }, "[0001] Lamp");
            answer = folder.path("Lamp.po");
            form->prpMenuSave->trigger();
            const TPRPFileObject& entry = *form->SelectedObject();
            const Bytes bytes = readFile(localName(pagePath));
            EXPECT_EQ(readFile(localName(answer)),
                      Bytes(bytes.begin() + entry.Offset, bytes.begin() + entry.Offset + entry.Size));
            EXPECT_TRUE(messages->messages.empty());
            form->MdiArea->closeAllSubWindows();
        }
    }
}

// The convert command reads the page afresh, and copies it after asking for the page id: a page rewritten
// in place meanwhile is told, and no copy is made.
TEST_F(ChangedPage, APageRewrittenWhileConvertAsksIsNotCopied) {
    QTemporaryDir temp;
    TempFolderVariable tmpdir(temp.path());
    whileAsking = [&] { writeFile(QFile::encodeName(pagePath).toStdString(), buildPage(meadow(true))); };
    expectOnlyTheMessage("Convert", [&] { form->ToolsConvert->trigger(); });
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// A page only touched, or written again with the same bytes, while convert asks is copied as it is.
TEST_F(ChangedPage, APageTouchedWhileConvertAsksIsCopied) {
    const std::string path = localName(pagePath);
    for (const auto& [what, change] : std::vector<std::pair<const char*, std::function<void()>>>{
             {"touched", [&] { setModifiedLater(path, 5); }},
             {"same bytes", [&] { writeFile(path, readFile(path)); }}}) {
        SCOPED_TRACE(what);
        QTemporaryDir temp;
        TempFolderVariable tmpdir(temp.path());
        messages->messages.clear();
        whileAsking = change;
        form->ToolsConvert->trigger();
        ASSERT_EQ(messages->messages.size(), 1u);
        EXPECT_TRUE(messages->messages[0].text.startsWith(QStringLiteral("The page was converted to")))
            << messages->messages[0].text.toStdString();
        EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files), QStringList{QStringLiteral("Temp.prp")});
    }
}

namespace {

struct KeyFormRow {
    const char* name;
    uint16_t version;
    uint16_t major;    // the major version the page's header stores (Live pages have 70 whatever is given)
    bool texturesRead; // the texture readers know the format, so the texture's image is exported
};

// The families, a Myst V header with a code that has no key layout (3), and an Uru page whose header
// carries the Live major version.
const KeyFormRow kKeyFormRows[] = {
    {"Uru", kVersionUru, 63, true},   {"MystV", kVersionMystV, 63, true},
    {"Live", kVersionLive, 70, true}, {"HexIsle", kVersionHexIsle, 63, true},
    {"Code3", 3, 63, false},          {"UruMajor70", kVersionUru, 70, false},
};

// Scene objects whose keys take every form the key readers allow, a scene node linking all of them, and
// a texture.
TestPage keyFormPage(const KeyFormRow& row) {
    TestPage page = emptyPage(row.version, "Forms", "Keys", kPageNumber);
    page.majorVersion = row.major;
    const bool mystV = IsMystVFamily(row.version);
    std::vector<TestObject> objects;
    auto add = [&](TPRPObjectDesc key, Bytes body = Bytes{1, 2, 3, 4}) {
        key.ObjectID = uint32_t(objects.size() + 1);
        objects.emplace_back(key, std::move(body));
        return &objects.back();
    };
    add(keyOf(1, "Plain"));
    add(keyOf(1, ""));
    add(keyOf(1, "Caf\xE9 \x80\xFF"));
    add(keyOf(1, std::string(mystV ? 5000 : 4095, 'n')));
    add(keyOf(1, "NoBody"), Bytes{});
    add(keyOf(1, "ElsewhereLocation"))->storedLow = 0xFFFF;
    for (uint8_t flags : {1, 2, 3, 4, 6, 7}) {
        TPRPObjectDesc key = keyOf(1, "Flags" + std::to_string(flags));
        key.ContentsFlags = flags;
        key.LoadMask = 0x5A;
        key.NewLoadMask = 0xA5;
        key.CloneID = 77;
        key.ClonePlayerID = 88;
        add(key);
    }
    add(keyOf(1, "TwiceStoredContents"))->liveDoubleContents = true;

    std::vector<TPRPObjectDesc> links;
    for (const TestObject& object : objects)
        links.push_back(object.key);
    ByteWriter node(row.version, effectiveMajor(page));
    node.keyRefs(links).keyRefs({});
    page.groups = {TestGroup(0, {TestObject(keyOf(0, "Node"), node.bytes)}), TestGroup(1, objects),
                   TestGroup(4, {TestObject(keyOf(4, "Tex"),
                                            mipmapObject(Kind::DXT1, 4, 4, 1, solid({1, 2, 3, 255})))})};
    return page;
}

class UnchangedPages : public ChangedPage, public ::testing::WithParamInterface<KeyFormRow> {};

} // namespace

TEST_P(UnchangedPages, EveryObjectOpensWithoutTheMessage) {
    const TestPage page = keyFormPage(GetParam());
    pagePath = folder.write("Forms_District_Keys.prp", page);
    form->OpenPRPFile(pagePath);
    ASSERT_EQ(form->LocalPages.size(), 1u);
    const TPRPFile& loaded = form->LocalPages.front();
    const Bytes bytes = readFile(QFile::encodeName(pagePath).toStdString());
    messages->messages.clear();

    size_t objects = 0;
    for (const TPRPFolder& group : loaded.Folders)
        for (const TPRPFileObject& entry : group.Objects) {
            const QString name = PageText(entry.Desc.Name);
            SCOPED_TRACE(name.left(20).toStdString());
            ++objects;
            // Through the tree: Edit, HexView and Save, which writes the object's stored bytes.
            QTreeWidgetItem* node = nullptr;
            for (QTreeWidgetItem* candidate :
                 form->PRPTree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive))
                if (const TPRPFileObject* shown = form->NodeObject(candidate); shown == &entry)
                    node = candidate;
            ASSERT_NE(node, nullptr);
            form->PreparePopup(node);
            form->prpMenuEdit->trigger();
            const int windows = windowCount();
            form->prpMenuHexView->trigger();
            EXPECT_EQ(windowCount(), windows + 1);
            answer = folder.path("object.po");
            form->prpMenuSave->trigger();
            EXPECT_EQ(readFile(QFile::encodeName(answer).toStdString()),
                      Bytes(bytes.begin() + entry.Offset, bytes.begin() + entry.Offset + entry.Size));
            // Through a key link, as the viewers follow them.
            if (entry.Desc.ClassType == 1 && !entry.Desc.Name.empty()) ShowObjectByKey(entry.Desc);
            form->MdiArea->closeAllSubWindows();
        }
    EXPECT_EQ(objects, 15u);
    QTreeWidgetItem* texture = findNode("Tex");
    ASSERT_NE(texture, nullptr);
    form->PreparePopup(texture);
    answer = folder.path("tex.dds");
    form->prpMenuExport->trigger();
    if (GetParam().texturesRead) {
        EXPECT_TRUE(QFile::exists(folder.path("tex.dds")));
    }

    for (const CapturedMessage& message : messages->messages)
        EXPECT_FALSE(message.text.contains("changed on disk")) << message.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(KeyForms, UnchangedPages, ::testing::ValuesIn(kKeyFormRows),
                         [](const auto& info) { return std::string(info.param.name); });
