// The page-properties dialog on pages of each family, the header it fills for new pages, and the
// new-page command with its dialogs answered by the test.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "AppTestSupport.h"
#include "PRPProperties.h"
#include "TestFiles.h"

using namespace testpages;

namespace {

// What the dialog shows, read from its controls by name.
struct Shown {
    QString version, revision;
    int64_t seqId = 0, pageId = 0, release = 0;
    QString age, page;
    QStringList ticked;
};

Shown shown(const TPropertiesDlg& dlg) {
    Shown s;
    s.version = dlg.findChild<QComboBox*>("PRPVersion")->currentText();
    s.revision = dlg.findChild<QComboBox*>("GameRevision")->currentText();
    s.seqId = dlg.findChild<TSpinEdit*>("SeqID")->Value();
    s.pageId = dlg.findChild<TSpinEdit*>("PageID")->Value();
    s.release = dlg.findChild<TSpinEdit*>("ReleaseVer")->Value();
    s.age = dlg.findChild<QLineEdit*>("AgeName")->text();
    s.page = dlg.findChild<QLineEdit*>("DistrictName")->text();
    for (const char* name : {"kLocalOnly", "kVolatile", "kReserved", "kBuiltIn", "kItinerant",
                             "kPartialPatchFile", "kBasicChecksum", "kPatchHeaderOnly"})
        if (dlg.findChild<QCheckBox*>(name)->isChecked()) s.ticked << name;
    return s;
}

// Replaces the modal runner for the life of the object and records the dialogs it was handed.
class ScriptedDialogs {
public:
    std::function<int(QFileDialog&)> onFile = [](QFileDialog&) { return int(QDialog::Rejected); };
    std::function<int(TPropertiesDlg&)> onProperties = [](TPropertiesDlg&) { return int(QDialog::Rejected); };
    QStringList order;

    ScriptedDialogs() {
        previous_ = SetModalRunner([this](QDialog& dialog) {
            if (auto* file = qobject_cast<QFileDialog*>(&dialog)) {
                order << "file";
                return onFile(*file);
            }
            if (auto* props = qobject_cast<TPropertiesDlg*>(&dialog)) {
                order << "properties";
                return onProperties(*props);
            }
            order << "other";
            return int(QDialog::Rejected);
        });
    }
    ~ScriptedDialogs() { SetModalRunner(std::move(previous_)); }

private:
    TModalRunner previous_;
};

struct FamilyRow {
    const char* label;
    uint16_t version;
    uint16_t minor;
    uint16_t seqPrefix;
    uint16_t pageNumber;
    uint16_t locationFlags;
    uint32_t pageFlags;
    uint32_t release;
    const char* versionText;
    const char* revisionText;
    int64_t seqId, pageId;
    QStringList ticked;
};

} // namespace

class PropertiesDialogTest : public ::testing::Test {
protected:
    CapturingMessages messages;
    PageFolder folder;
    TPropertiesDlg dlg;
};

TEST_F(PropertiesDialogTest, ShowsTheHeaderOfEachFamily) {
    // clang-format off
    const FamilyRow rows[] = {
        {"Uru Prime", kVersionUru, 11, 0x0010, 3, kBuiltIn, 8, 7, "Uru [05]", "Prime (63.11)", (0x10 << 16), 3,
         {"kBuiltIn", "kBasicChecksum"}},
        {"Uru Shell", kVersionUru, 12, 2, 0x0105, kLocalOnly | kItinerant, 0x19, 0, "Uru [05]",
         "Path of the Shell (63.12)", (2 << 16) + 1, 5,
         {"kLocalOnly", "kItinerant", "kPartialPatchFile", "kBasicChecksum", "kPatchHeaderOnly"}},
        {"High location word", kVersionUru, 11, 0xFFFE, 0xFF05, 0, 0, 0, "Uru [05]", "Prime (63.11)",
         (int64_t(0xFFFE) << 16) + 0xFF, 5, {}},
        {"Release above 31 bits", kVersionUru, 11, 0, 0, kVolatile, 0, 0xFFFFFFF0u, "Uru [05]", "Prime (63.11)", 0, 0,
         {"kVolatile"}},
        {"Myst V", kVersionMystV, 0, 0x0020, 0x0203, kBuiltIn, 0, 0, "Myst V [06]", "", (0x20 << 16) + 2, 3,
         {"kBuiltIn"}},
        {"Live", kVersionLive, 12, 0x0001, 0x0007, kReserved, 0, 0, "Live [06]", "", (1 << 16), 7, {"kReserved"}},
        {"Hex Isle", kVersionHexIsle, 0, 0xFFFF, 0x0A01, 0, 0, 0, "Hex Isle [09]", "", -10, 1, {}},
    };
    // clang-format on
    for (const FamilyRow& r : rows) {
        SCOPED_TRACE(r.label);
        TestPage page = makePage(r.version, "Garden", "Meadow", r.pageNumber, r.locationFlags, {});
        page.seqPrefix = r.seqPrefix;
        page.minorVersion = r.minor;
        page.pageFlags = r.pageFlags;
        page.releaseVersion = r.release;
        dlg.LoadFromPage(folder.write("page.prp", page));
        const Shown s = shown(dlg);
        EXPECT_EQ(s.version, r.versionText);
        EXPECT_EQ(s.revision, r.revisionText);
        EXPECT_EQ(s.seqId, r.seqId);
        EXPECT_EQ(s.pageId, r.pageId);
        EXPECT_EQ(s.age, "Garden");
        EXPECT_EQ(s.page, "Meadow");
        EXPECT_EQ(s.ticked, r.ticked);
        EXPECT_EQ(s.release, int64_t(r.release)); // unsigned: above 31 bits too
    }
}

TEST_F(PropertiesDialogTest, SaveToHeaderBuildsTheNewPageHeader) {
    struct Row {
        int64_t seqId, pageId;
        uint16_t pageNumber, seqPrefix;
    } rows[] = {
        {1, 3, 0x0103, 0},
        {-2, 3, 0x0203, 0xFFFF},
        {0xFFFEFF, 0, 0xFF00, 0xFFFE},
        {int64_t(0xFFFE) << 16, 0, 0xFF00, 0xFFFE}, // beyond what a header holds: the largest it does
        {0, -1, 0xFFFF, 0},
        {-255, 255, 0xFFFF, 0xFFFF},
    };
    for (const Row& r : rows) {
        dlg.SeqID->SetValue(r.seqId);
        dlg.PageID->SetValue(r.pageId);
        TPRPFileHeader h;
        dlg.SaveToHeader(h);
        EXPECT_EQ(h.PageNumber, r.pageNumber) << r.seqId << " " << r.pageId;
        EXPECT_EQ(h.SeqPrefix, r.seqPrefix) << r.seqId << " " << r.pageId;
    }

    dlg.ClearFields();
    dlg.AgeName->setText("MyAge");
    dlg.DistrictName->setText("MyPage");
    dlg.ReleaseVer->SetValue(99);
    dlg.kLocalOnly->setChecked(true);
    TPRPFileHeader h;
    h.Checksum = 0xABCD;
    h.LocationFlags = 0x10;
    dlg.SaveToHeader(h);
    EXPECT_EQ(h.Version, kVersionUru);
    EXPECT_EQ(h.MajorVersion, 63);
    EXPECT_EQ(h.MinorVersion, 11);
    EXPECT_EQ(h.AgeName, "MyAge");
    EXPECT_EQ(h.District, "District");
    EXPECT_EQ(h.PageName, "MyPage");
    EXPECT_EQ(h.ReleaseVersion, 0u);
    EXPECT_EQ(h.PageFlags, 8u);
    EXPECT_EQ(h.Checksum, 0xABCDu);    // not the dialog's
    EXPECT_EQ(h.LocationFlags, 0x10u); // the boxes are not read

    dlg.GameRevision->setCurrentIndex(1);
    dlg.SaveToHeader(h);
    EXPECT_EQ(h.MinorVersion, 12);

    dlg.PRPVersion->setCurrentIndex(1);
    TPRPFileHeader m;
    dlg.SaveToHeader(m);
    EXPECT_EQ(m.Version, kVersionMystV);
    EXPECT_EQ(m.MajorVersion, 0);
    EXPECT_EQ(m.MinorVersion, 0); // every other entry of the list takes the Uru branch of the first
}

TEST_F(PropertiesDialogTest, HidingDisablesTheVersionListAgain) {
    dlg.PRPVersion->setEnabled(true);
    dlg.show();
    EXPECT_TRUE(dlg.PRPVersion->isEnabled());
    dlg.hide();
    EXPECT_FALSE(dlg.PRPVersion->isEnabled());
    EXPECT_EQ(dlg.PRPVersion->palette().color(QPalette::Base),
              dlg.PRPVersion->palette().color(QPalette::Button));
}

TEST(NewPageNames, FileNameAndTemplateByFamily) {
    struct Row {
        uint16_t version;
        const char *age, *page, *file, *templ;
    } rows[] = {
        {kVersionUru, "MyAge", "MyPage", "/f/MyAge_District_MyPage.prp", "URUPRP.tpl"},
        {kVersionLive, "MyAge", "MyPage", "/f/MyAge_District_MyPage.prp", "URUPRP.tpl"},
        {kVersionMystV, "MyAge", "MyPage", "/f/MyAge_MyPage.prp", "M5PRP.tpl"},
        {kVersionHexIsle, "MyAge", "MyPage", "/f/MyAge_MyPage.prp", "M5PRP.tpl"},
        {kVersionUru, "", "", "/f/_District_.prp", "URUPRP.tpl"},
        {kVersionUru, "../../Up", "a/b", "/f/.._.._Up_District_a_b.prp", "URUPRP.tpl"},
    };
    for (const Row& r : rows) {
        TPRPFileHeader h;
        h.Version = r.version;
        h.AgeName = r.age;
        h.PageName = r.page;
        EXPECT_EQ(NewPageFileName("/f", h), r.file);
        EXPECT_EQ(NewPageFileName("/f/", h), r.file);
        EXPECT_EQ(NewPageTemplate(r.version), r.templ);
    }
}

// ---- Through the main window

class PropertiesCommandTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        dialogs = std::make_unique<ScriptedDialogs>();
    }
    void TearDown() override {
        dialogs.reset();
        MainFormTest::TearDown();
    }
    // Chooses a file in target and fills the properties dialog with the names, answering OK to both.
    void answerNewPage(const QString& age, const QString& page) {
        dialogs->onFile = [this](QFileDialog& d) {
            d.selectFile(target.path("whatever.prp"));
            return int(QDialog::Accepted);
        };
        dialogs->onProperties = [age, page, this](TPropertiesDlg& d) {
            shownWhenAsked = shown(d);
            d.AgeName->setText(age);
            d.DistrictName->setText(page);
            return int(QDialog::Accepted);
        };
    }
    QStringList targetFiles() const {
        return QDir(target.folder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<ScriptedDialogs> dialogs;
    PageFolder target;
    Shown shownWhenAsked;
};

TEST_F(PropertiesCommandTest, PropertiesOnAPageNodeShowsItsHeader) {
    TestPage page = makePage(kVersionUru, "Garden", "Meadow", 0x0105, kBuiltIn, {{1, {"Stone"}}});
    page.seqPrefix = 2;
    form->OpenPRPFile(folder.write("Garden_District_Meadow.prp", page));

    Shown seen;
    dialogs->onProperties = [&](TPropertiesDlg& d) {
        seen = shown(d);
        return int(QDialog::Accepted);
    };
    form->PreparePopup(findNode("Meadow"));
    form->prpMenuProperties->trigger();
    EXPECT_EQ(dialogs->order, QStringList{"properties"});
    // The node's own page was read (the field mapping per family is checked on the dialog itself).
    EXPECT_EQ(seen.seqId, (2 << 16) + 1);
    EXPECT_TRUE(messages->messages.empty());
}

TEST_F(PropertiesCommandTest, NewPageCreatesTheEmptyFileNamedFromTheDialog) {
    PropertiesDialog().AgeName->setText("Left over");
    answerNewPage("MyAge", "MyPage");
    form->FileNewPRP->trigger();
    EXPECT_EQ(dialogs->order, QStringList({"file", "properties"}));
    EXPECT_EQ(shownWhenAsked.age, ""); // cleared before showing
    EXPECT_EQ(shownWhenAsked.version, "Uru [05]");
    EXPECT_EQ(targetFiles(), QStringList{"MyAge_District_MyPage.prp"});
    EXPECT_EQ(QFileInfo(target.path("MyAge_District_MyPage.prp")).size(), 0);
    EXPECT_TRUE(messages->messages.empty());
}

TEST_F(PropertiesCommandTest, NewPageStopsOnEitherCancel) {
    answerNewPage("MyAge", "MyPage");
    dialogs->onFile = [](QFileDialog&) { return int(QDialog::Rejected); };
    form->FileNewPRP->trigger();
    EXPECT_EQ(dialogs->order, QStringList{"file"});

    answerNewPage("MyAge", "MyPage");
    dialogs->onProperties = [](TPropertiesDlg&) { return int(QDialog::Rejected); };
    form->FileNewPRP->trigger();
    EXPECT_TRUE(targetFiles().isEmpty());
    EXPECT_TRUE(messages->messages.empty());
}

TEST_F(PropertiesCommandTest, NewPageWithoutTemplateShowsTheErrorAndCreatesNothing) {
    PageFolder emptyProgramDir;
    form->ProgramDir = emptyProgramDir.folder() + "/";
    answerNewPage("MyAge", "MyPage");
    form->FileNewPRP->trigger();
    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_EQ(messages->messages[0].text, "Error: Could not find PRP Template file for writing!");
    EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtError);
    EXPECT_TRUE(targetFiles().isEmpty()); // which template serves which family is NewPageNames's
}

TEST_F(PropertiesCommandTest, AnExistingFileIsReplacedOnlyWhenTheUserAgrees) {
    const QString existing = target.path("MyAge_District_MyPage.prp");
    const std::string existingFile = QFile::encodeName(existing).toStdString();
    writeFile(existingFile, {'k', 'e', 'e', 'p'});
    answerNewPage("MyAge", "MyPage");

    messages->answer = TModalResult::mrNo;
    form->FileNewPRP->trigger();
    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(messages->messages[0].buttons, TMsgDlgButtons::mbYesNo);
    EXPECT_TRUE(messages->messages[0].text.contains(existing));
    EXPECT_EQ(readFile(existingFile), (Bytes{'k', 'e', 'e', 'p'}));

    messages->answer = TModalResult::mrYes;
    form->FileNewPRP->trigger();
    EXPECT_EQ(messages->messages.size(), 2u);
    EXPECT_TRUE(readFile(existingFile).empty());
}
