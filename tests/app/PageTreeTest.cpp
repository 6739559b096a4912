// Opening pages and ages, the three load options, and the tree a page produces.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <functional>
#include <sys/stat.h>

#include "AppTestSupport.h"
#include "PRP_VCL.h"

using namespace testpages;

class PageTreeFamilies : public MainFormTest, public ::testing::WithParamInterface<Family> {};

TEST_P(PageTreeFamilies, PageListsClassGroupsObjectsAndSceneNodeCopies) {
    TestPage page = samplePage(GetParam().version);
    // Unsorted names and an empty group.
    page.groups[1].objects.emplace_back(makeKey(1, "apple", page.pageNumber, page.seqPrefix), Bytes{9});
    page.groups.push_back(TestGroup(7));
    const QString file = folder.write("Garden_District_Meadow.prp", page);
    form->OpenPRPFile(file);

    ASSERT_EQ(topLevelTexts(), QStringList({"Meadow"}));
    QTreeWidgetItem* pageNode = form->PRPTree->topLevelItem(0);
    EXPECT_EQ(TMainForm::NodeKind(pageNode), TNodeKind::Page);
    EXPECT_EQ(TMainForm::NodePageFile(pageNode), file);
    EXPECT_EQ(childTexts(pageNode), QStringList({"All Objects", "Meadow"}));
    QTreeWidgetItem* all = pageNode->child(0);
    EXPECT_EQ(childTexts(all), QStringList({"plMipmap", "plSceneNode", "plSceneObject"}));
    QTreeWidgetItem* objects = all->child(2);
    EXPECT_EQ(childTexts(objects), QStringList({"apple", "Rock", "Tree"}));
    EXPECT_EQ(TMainForm::NodeKind(objects), TNodeKind::ClassGroup);

    const TPRPFileObject* rock = TMainForm::NodeObject(objects->child(1));
    ASSERT_NE(rock, nullptr);
    EXPECT_EQ(rock->Desc.Name, "Rock");
    EXPECT_EQ(rock->Version, GetParam().version);
    EXPECT_EQ(rock->MajorVersion, form->LocalPages[0].Header.MajorVersion);
    EXPECT_EQ(QString::fromStdString(rock->FileName), file);

    // Icons: page 2, groups 0, objects their class icon (scene object 4).
    EXPECT_EQ(pageNode->icon(0).pixmap(16).toImage(), TreeImages().Pixmap(2).toImage());
    EXPECT_EQ(objects->icon(0).pixmap(16).toImage(), TreeImages().Pixmap(0).toImage());
    EXPECT_EQ(objects->child(0)->icon(0).pixmap(16).toImage(), TreeImages().Pixmap(4).toImage());
    EXPECT_EQ(pageNode->child(1)->icon(0).pixmap(16).toImage(), TreeImages().Pixmap(3).toImage());
    EXPECT_TRUE(messages->messages.empty()) << "a whole page, empty group and all, is not reported";
}

INSTANTIATE_TEST_SUITE_P(AllFamilies, PageTreeFamilies, ::testing::ValuesIn(kFamilies),
                         [](const auto& info) { return familyCaseName(info.param); });

TEST_F(MainFormTest, ObjectsSortByLocaleAwareTextOrder) {
    form->OpenPRPFile(folder.write(
        "A_B.prp", makePage(kVersionUru, "A", "B", 1, 0, {{1, {"b2", "B1", "a10", "a9", "_x", "Zed"}}})));
    const QStringList names = childTexts(findNode("plSceneObject"));
    // Case does not separate names; punctuation does not sort after letters.
    EXPECT_EQ(names.indexOf("B1") < names.indexOf("b2"), true);
    EXPECT_EQ(names.indexOf("a10") < names.indexOf("B1"), true);
    EXPECT_EQ(names.last(), "Zed");
}

// An age folder: Garden with three pages (one shared local page with flags 8, one with 0x18), the global
// age GlobalClothing (first page in name order flags 4, the other 0) and Other whose first page is not
// global.
class AgeFolderTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        folder.writeAge("Garden.age");
        meadow = folder.write("Garden_District_Meadow.prp",
                              makePage(kVersionUru, "Garden", "Meadow", 1, 0, {{1, {"Rock"}}}));
        folder.write("garden_district_Textures.PRP",
                     makePage(kVersionUru, "Garden", "Textures", 2, 8, {{4, {"Grass"}}}));
        folder.write("Garden_District_Sounds.prp",
                     makePage(kVersionUru, "Garden", "Sounds", 3, 0x18, {{1, {"Bird"}}}));
        folder.write("Gardener_District_X.prp", makePage(kVersionUru, "Gardener", "X", 9, 0, {{1, {"No"}}}));
        folder.writeAge("GlobalClothing.age");
        folder.write("GlobalClothing_District_Shirts.prp",
                     makePage(kVersionUru, "GlobalClothing", "Shirts", 7, 0, {{1, {"Shirt"}}}));
        folder.write("GlobalClothing_District_Pants.prp",
                     makePage(kVersionUru, "GlobalClothing", "Pants", 8, 4, {{1, {"Pants"}}}));
        folder.writeAge("Other.age");
        folder.write("Other_District_Z.prp", makePage(kVersionUru, "Other", "Z", 5, 0, {{1, {"Zz"}}}));
        folder.writeAge("Empty.age");
    }
    QString meadow;
};

TEST_F(AgeFolderTest, OpeningAnAgeLoadsAllItsPagesCaseInsensitivelyInNameOrder) {
    form->OpenPRPFile(folder.path("Garden.age"));
    EXPECT_EQ(topLevelTexts(), QStringList({"Meadow", "Sounds", "Textures"}));
    EXPECT_TRUE(form->ShowAgeCheck->isChecked());
    EXPECT_FALSE(form->ShowLocalsCheck->isEnabled());
    EXPECT_EQ(form->AgeDir, folder.folder());
    EXPECT_TRUE(messages->messages.empty());
}

TEST_F(AgeFolderTest, LocalSharedPagesAreThoseWithFlagsExactlyEight) {
    form->OpenPRPFile(meadow);
    EXPECT_EQ(topLevelTexts(), QStringList({"Meadow"}));
    form->ShowLocals->trigger(); // the option reloads the current file
    EXPECT_TRUE(form->ShowLocalsCheck->isChecked());
    EXPECT_EQ(topLevelTexts(), QStringList({"Meadow", "Textures"}));

    // The opened page is listed a second time when it is itself shared.
    form->OpenPRPFile(folder.path("garden_district_Textures.PRP"));
    EXPECT_EQ(topLevelTexts(), QStringList({"Textures", "Textures"}));
}

TEST_F(AgeFolderTest, AllAgePagesLoadsTheWholeAgeOfAPage) {
    form->ShowAgeCheck->click();
    EXPECT_FALSE(form->ShowLocals->isEnabled());
    EXPECT_TRUE(form->ShowLocalsCheck->isChecked());
    form->OpenPRPFile(meadow);
    EXPECT_EQ(topLevelTexts(), QStringList({"Meadow", "Sounds", "Textures"}));

    // Unticking re-enables the local option and leaves it ticked.
    form->ShowAgeCheck->click();
    EXPECT_TRUE(form->ShowLocals->isEnabled());
    EXPECT_TRUE(form->ShowLocalsCheck->isChecked());
    EXPECT_EQ(topLevelTexts(), QStringList({"Meadow", "Textures"}));
}

TEST_F(AgeFolderTest, GlobalAgesComeFirstWithTheirPagesBeneath) {
    form->ShowGlobalsCheck->click();
    form->OpenPRPFile(meadow);
    ASSERT_EQ(topLevelTexts(), QStringList({"GlobalClothing", "Meadow"}));
    QTreeWidgetItem* age = form->PRPTree->topLevelItem(0);
    EXPECT_EQ(TMainForm::NodeKind(age), TNodeKind::GlobalAge);
    EXPECT_EQ(age->icon(0).pixmap(16).toImage(), TreeImages().Pixmap(1).toImage());
    EXPECT_EQ(childTexts(age), QStringList({"Pants", "Shirts"}));
}

// Pages that cannot be opened, and things named like pages that are none, are left out; the others load
// and one message names them all.
TEST_F(AgeFolderTest, PagesThatFailAreLeftOutAndNamedInOneMessage) {
    const QString broken = folder.path("Garden_District_Broken.prp"),
                  dir = folder.path("Garden_District_Dir.prp"),
                  pipe = folder.path("Garden_District_Pipe.prp");
    ASSERT_TRUE(QFile::link(folder.path("nowhere"), broken));
    ASSERT_TRUE(QDir().mkdir(dir));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    form->OpenPRPFile(folder.path("Garden.age"));
    EXPECT_EQ(topLevelTexts(), QStringList({"Meadow", "Sounds", "Textures"}));
    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtError);
    EXPECT_EQ(messages->messages[0].text,
              QStringList({"Cannot open file \"" + broken + "\". No such file or directory",
                           "\"" + dir + "\" is a folder", "\"" + pipe + "\" is not a regular file"})
                  .join('\r'));

    // An unreadable first page of another age in the folder leaves only that age out.
    QFile::remove(broken);
    QDir().rmdir(dir);
    QFile::remove(pipe);
    folder.writeAge("Broken.age");
    ASSERT_TRUE(QFile::link(folder.path("nowhere"), folder.path("Broken_District_A.prp")));
    form->ShowGlobalsCheck->click();
    messages->messages.clear();
    form->OpenPRPFile(meadow);
    EXPECT_EQ(topLevelTexts(), QStringList({"GlobalClothing", "Meadow", "Sounds", "Textures"}));
    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_TRUE(
        messages->messages[0].text.startsWith("Cannot open file \"" + folder.path("Broken_District_A.prp")));
}

// A damaged page loads what it holds and says what was cut, in one warning for the whole load.
TEST_F(AgeFolderTest, DamagedPagesLoadAndSayWhatWasCut) {
    PageLayout layout;
    Bytes bytes =
        buildPage(makePage(kVersionUru, "Garden", "Cut", 4, 0, {{1, {"A", "B"}}, {4, {"C"}}}), &layout);
    bytes.resize(layout.groupCountOffsets[1] + 4);
    const QString cut = folder.path("Garden_District_Cut.prp");
    writeFile(QFile::encodeName(cut).toStdString(), bytes);
    ByteWriter w;
    w.bytes = buildPage(makePage(kVersionUru, "Garden", "Miscounted", 5, 0, {{1, {"A", "B"}}, {4, {"C"}}}),
                        &layout);
    w.patchU32(layout.groupCountOffsets[0], 0xFFFFFFFFu);
    const QString miscounted = folder.path("Garden_District_Miscounted.prp");
    writeFile(QFile::encodeName(miscounted).toStdString(), w.bytes);

    form->OpenPRPFile(folder.path("Garden.age"));
    EXPECT_EQ(topLevelTexts(), QStringList({"Cut", "Meadow", "Miscounted", "Sounds", "Textures"}));
    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtWarning);
    EXPECT_EQ(messages->messages[0].text, cut + ": the key index is damaged; 2 of 3 keys loaded\r" +
                                              miscounted +
                                              ": the key count of the plSceneObject group is damaged");
}

namespace {
// Counts the reads of a folder.
class CountingMainForm : public TMainForm {
public:
    mutable int listings = 0;

protected:
    FolderListing listFolder(const QString& dir) const override {
        ++listings;
        return TMainForm::listFolder(dir);
    }
};
} // namespace

// However many ages a folder holds, a load reads the folder once and picks each age's pages from that read.
TEST_F(AgeFolderTest, EachLoadReadsTheFolderOnce) {
    form.reset();
    auto* counting = new CountingMainForm;
    form.reset(counting);
    form->ShowGlobalsCheck->click(); // the option reloads nothing while no file is open
    counting->listings = 0;

    struct Row {
        const char* what;
        std::function<void()> load;
        QStringList shown;
    };
    const Row rows[] = {
        {"a page, global ages", [&] { form->OpenPRPFile(meadow); }, {"GlobalClothing", "Meadow"}},
        {"and its shared pages",
         [&] { form->ShowLocalsCheck->click(); },
         {"GlobalClothing", "Meadow", "Textures"}},
        {"its whole age",
         [&] { form->ShowAgeCheck->click(); },
         {"GlobalClothing", "Meadow", "Sounds", "Textures"}},
        {"an age file",
         [&] { form->OpenPRPFile(folder.path("Garden.age")); },
         {"GlobalClothing", "Meadow", "Sounds", "Textures"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        counting->listings = 0;
        row.load();
        EXPECT_EQ(topLevelTexts(), row.shown);
        EXPECT_EQ(counting->listings, 1);
    }
    EXPECT_EQ(childTexts(findNode("GlobalClothing")), QStringList({"Pants", "Shirts"}));
    EXPECT_TRUE(messages->messages.empty());
}

// An age's pages are the names that begin with the age and "_" in any case, whatever else shares their first
// word; ages are regular files or links to them.
TEST(FolderListingTest, AgePagesAndAgesByName) {
    QTemporaryDir dir;
    const QDir folder(dir.path());
    for (const char* name : {"My_Age_b.prp", "my_age_A.PRP", "My_Other.prp", "My_Age_.prp", "My.prp",
                             "Äther_x.prp", "äTHER_y.prp", "Zed.age", "my_age.age", "Äther.age"})
        QFile(folder.filePath(QString::fromUtf8(name))).open(QIODevice::WriteOnly);
    folder.mkdir(QStringLiteral("Folder.age"));
    folder.mkdir(QStringLiteral("My_Age_Dir.prp")); // named like a page: still listed, so its load is told
    QFile::link(folder.filePath(QStringLiteral("Zed.age")), folder.filePath(QStringLiteral("Linked.age")));

    const FolderListing listing = FolderListing::Read(dir.path());
    const auto names = [](const QStringList& paths) {
        QStringList result;
        for (const QString& path : paths)
            result.append(QFileInfo(path).fileName());
        return result;
    };
    EXPECT_EQ(names(listing.AgePages(QStringLiteral("MY_AGE"))),
              QStringList({"My_Age_.prp", "my_age_A.PRP", "My_Age_b.prp", "My_Age_Dir.prp"}));
    EXPECT_EQ(names(listing.AgePages(QStringLiteral("My"))),
              QStringList({"My_Age_.prp", "my_age_A.PRP", "My_Age_b.prp", "My_Age_Dir.prp", "My_Other.prp"}));
    EXPECT_EQ(names(listing.AgePages(QString::fromUtf8("ÄTHER"))),
              QStringList({QString::fromUtf8("Äther_x.prp"), QString::fromUtf8("äTHER_y.prp")}));
    EXPECT_EQ(QFileInfo(listing.FirstAgePage(QStringLiteral("my_age"))).fileName(), "My_Age_.prp");
    EXPECT_TRUE(listing.AgePages(QStringLiteral("Nobody")).isEmpty());
    EXPECT_TRUE(listing.FirstAgePage(QStringLiteral("Zed")).isEmpty());
    EXPECT_EQ(listing.Ages(),
              QStringList({"Linked.age", "my_age.age", "Zed.age", QString::fromUtf8("Äther.age")}));
}
