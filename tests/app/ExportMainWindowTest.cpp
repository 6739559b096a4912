// The export and convert commands as the user reaches them: tree popup actions and the convert action of
// the main window, with the save dialog and the page-id prompt answered by the test.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QRegularExpression>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QTreeWidgetItem>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "AppTestSupport.h"
#include "PRPExport.h"
#include "TestFiles.h"
#include "TextureWriters.h"
#include "UserTempFolder.h"
#include "unitTUnknown.h"

using namespace testpages;

namespace {

Bytes readFile(const QString& path) {
    return ::readFile(QFile::encodeName(path).toStdString());
}

const Bytes kColourJpeg = {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9};
const Bytes kAlphaJpeg = {0xFF, 0xD8, 7, 0xFF, 0xD9};

// A DXT texture whose DXT kind is none the reader knows.
Bytes oddDxtTexture() {
    Bytes b = mipmapObject(Kind::DXT1, 4, 4, 1, solid({200, 100, 50, 255}));
    b[7] = 2; // the DXT sub-type
    return b;
}

// What a dialog showed when the command ran it.
struct ShownDialog {
    QString objectName, title, fileName, nameEdit, defaultSuffix, label, text;
    QStringList filters;
};

class ExportFromMainWindow : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        SetExportDialogRunner([this](QDialog& dialog) {
            ShownDialog shown{dialog.objectName(), dialog.windowTitle(), {}, {}, {}, {}, {}, {}};
            if (auto* save = qobject_cast<QFileDialog*>(&dialog)) {
                shown.fileName = QFileInfo(save->selectedFiles().value(0)).fileName();
                if (auto* edit = save->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    shown.nameEdit = edit->text();
                shown.defaultSuffix = save->defaultSuffix();
                shown.filters = save->nameFilters();
                if (!answer.isEmpty()) save->selectFile(answer);
            } else if (auto* prompt = qobject_cast<QInputDialog*>(&dialog)) {
                shown.label = prompt->labelText();
                shown.text = prompt->textValue();
                if (!answer.isEmpty()) prompt->setTextValue(answer);
            }
            dialogs.push_back(shown);
            return answer.isEmpty() ? QDialog::Rejected : QDialog::Accepted;
        });
        TestPage page = samplePage(kVersionMystV);
        page.groups[2].objects.push_back(
            {makeKey(4, "Sky:Clouds", page.pageNumber), jpegObject(8, 8, kColourJpeg, kAlphaJpeg)});
        page.groups[2].objects.push_back({makeKey(4, "Odd", page.pageNumber), oddDxtTexture()});
        // More than a file system short of room takes (FileSizeLimit below).
        page.groups[2].objects.push_back({makeKey(4, "Caf\xE9", page.pageNumber),
                                          mipmapObject(Kind::DXT1, 64, 64, 1, solid({1, 2, 3, 255}))});
        pagePath = folder.write("Garden_District_Meadow.prp", page);
        form->OpenPRPFile(pagePath);
    }
    void TearDown() override {
        SetExportDialogRunner(nullptr);
        MainFormTest::TearDown();
    }

    QString pagePath;
    QString answer; // empty: the dialog is cancelled
    std::vector<ShownDialog> dialogs;
};

} // namespace

TEST_F(ExportFromMainWindow, SaveWritesTheRawObject) {
    select("Sky:Clouds");
    answer = folder.path("clouds.po");
    form->prpMenuSave->trigger();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].objectName, "SaveExportDialog");
    EXPECT_EQ(dialogs[0].title, "Export raw PRP data");
    EXPECT_EQ(dialogs[0].fileName, "Sky_Clouds.po");
    EXPECT_EQ(dialogs[0].defaultSuffix, "po");
    EXPECT_EQ(dialogs[0].filters, (QStringList{"Plasma Object File (*.po)", "All Files (*.*)"}));
    const TPRPFileObject* entry = form->SelectedObject();
    ASSERT_NE(entry, nullptr);
    const Bytes page = readFile(pagePath);
    EXPECT_EQ(readFile(answer),
              Bytes(page.begin() + entry->Offset, page.begin() + entry->Offset + entry->Size));
    EXPECT_TRUE(messages->messages.empty());
}

TEST_F(ExportFromMainWindow, ExportIsOfferedForTexturesAndWritesTheirImages) {
    QTreeWidgetItem* node = findNode("Sky:Clouds");
    ASSERT_NE(node, nullptr);
    form->PreparePopup(
        node); // the right click before the user chooses an entry (which entries: PopupEntries...)
    answer = folder.path("clouds.dds");
    form->prpMenuExport->trigger();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].fileName, "Sky_Clouds.dds"); // the offered name plus the default extension
    // The files each kind writes are ExportFamilies.ImageExportWritesEachKind's.
    EXPECT_EQ(readFile(folder.path("clouds.jpg")), kColourJpeg);
    EXPECT_TRUE(messages->messages.empty());
}

TEST_F(ExportFromMainWindow, ExportFailureShowsTheErrorMessage) {
    select("Odd");
    answer = folder.path("odd.dds");
    form->prpMenuExport->trigger();
    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtError);
    EXPECT_EQ(messages->messages[0].text, "Error exporting image!");
    EXPECT_FALSE(QFile::exists(folder.path("odd.dds")));
}

TEST_F(ExportFromMainWindow, CancelledDialogsWriteNothing) {
    select("Sky:Clouds");
    form->prpMenuSave->trigger();
    form->prpMenuExport->trigger();
    form->ToolsConvert->trigger();
    EXPECT_EQ(dialogs.size(), 3u);
    EXPECT_TRUE(messages->messages.empty());
    EXPECT_EQ(QDir(folder.folder()).entryList(QDir::Files), QStringList{"Garden_District_Meadow.prp"});
}

TEST_F(ExportFromMainWindow, ConvertAsksForThePageIdAndSaysWhereTheCopyWent) {
    QTemporaryDir temp;
    {
        TempFolderVariable tmpdir(temp.path());
        answer = "0000FF21";
        form->ToolsConvert->trigger();
    }

    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].label, "Current PageID is: 0x00100024.  New Value: (hex)");
    EXPECT_EQ(dialogs[0].text, "00100024");
    const QString output = temp.filePath("Temp.prp");
    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtInformation);
    EXPECT_TRUE(messages->messages[0].text.contains(output));
    // What the copy holds is ExportFamilies.ConvertWritesAnUruPageWithTheSameObjects's.
    EXPECT_TRUE(QFile::exists(output));
}

// Names are page text: one character per byte, shown and offered as the tree shows them.
TEST_F(ExportFromMainWindow, SuggestedNamesReadAsTheTreeShowsThem) {
    select(QStringLiteral("Caf\u00E9"));
    form->prpMenuSave->trigger();
    form->prpMenuExport->trigger();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].nameEdit, QStringLiteral("Caf\u00E9.po"));
    EXPECT_EQ(dialogs[0].fileName, QStringLiteral("Caf\u00E9.po"));
    EXPECT_EQ(dialogs[1].nameEdit, QStringLiteral("Caf\u00E9"));
    EXPECT_EQ(dialogs[1].fileName, QStringLiteral("Caf\u00E9.dds"));
}

// A file system that takes only part of the file: the user is told, and nothing stays under the name.
TEST_F(ExportFromMainWindow, WritesThatFailAreToldAndLeaveNoFile) {
    select(QStringLiteral("Caf\u00E9"));
    answer = folder.path("cafe.po");
    withFileSizeLimit(2048, [&] { form->prpMenuSave->trigger(); });
    answer = folder.path("cafe.dds");
    withFileSizeLimit(2048, [&] { form->prpMenuExport->trigger(); });

    ASSERT_EQ(messages->messages.size(), 2u);
    EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtError);
    EXPECT_EQ(messages->messages[0].text, QStringLiteral("Cannot write file \"") + folder.path("cafe.po") +
                                              QStringLiteral("\". ") +
                                              QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_EQ(messages->messages[1].type, TMsgDlgType::mtError);
    EXPECT_EQ(messages->messages[1].text, QStringLiteral("Error exporting image!\nCannot write file \"") +
                                              folder.path("cafe.dds") + QStringLiteral("\". ") +
                                              QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_EQ(QDir(folder.folder()).entryList(QDir::Files), QStringList{"Garden_District_Meadow.prp"});
}

// A folder that takes no new file (read-only, as for root too a folder of the kernel's own is): both exports
// name the file and the system's reason, the image export below its own message.
TEST_F(ExportFromMainWindow, ExportsToAFolderThatRefusesFilesSayWhy) {
    QString refusing, reason;
    for (const char* candidate : {"/sys", "/proc"}) {
        const int probe =
            ::open((std::string(candidate) + "/kestrum-probe").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (probe >= 0) {
            ::close(probe);
            continue;
        }
        refusing = QString::fromLatin1(candidate);
        reason = QString::fromLocal8Bit(std::strerror(errno));
        break;
    }
    ASSERT_FALSE(refusing.isEmpty()) << "no folder here refuses a new file";
    const QString raw = refusing + QStringLiteral("/cafe.po"), image = refusing + QStringLiteral("/cafe.dds");
    select(QStringLiteral("Caf\u00E9"));
    answer = raw;
    form->prpMenuSave->trigger();
    answer = image;
    form->prpMenuExport->trigger();

    ASSERT_EQ(messages->messages.size(), 2u);
    EXPECT_EQ(messages->messages[0].text,
              QStringLiteral("Cannot create file \"") + raw + QStringLiteral("\". ") + reason);
    EXPECT_EQ(messages->messages[1].type, TMsgDlgType::mtError);
    EXPECT_EQ(messages->messages[1].text, QStringLiteral("Error exporting image!\nCannot create file \"") +
                                              image + QStringLiteral("\". ") + reason);
}

// A copy from the raw view whose file for a file manager the disk will not take: the bytes are still copied,
// no empty file list is offered, and the message box says which file and why.
TEST_F(ExportFromMainWindow, RawViewCopyWithoutRoomForItsFileSaysWhy) {
    select(QStringLiteral("Caf\u00E9"));
    form->prpMenuHexView->trigger();
    auto* raw = qobject_cast<TfrmTUnknown*>(form->MdiArea->subWindowList().last()->widget());
    ASSERT_NE(raw, nullptr);
    ASSERT_GT(raw->HexEditor->DataSize(), 2048);
    raw->HexEditor->SelectAll();
    withFileSizeLimit(2048, [&] { raw->HexEditor->CopyToClipboard(); });

    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    EXPECT_FALSE(copied->formats().contains(QStringLiteral("text/uri-list")));
    EXPECT_EQ(copied->data(QStringLiteral("application/x-thexeditorex-clipboard-format")).size(),
              raw->HexEditor->DataSize() + 12);
    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtError);
    const QRegularExpression why(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(QStringLiteral("Cannot write file \"") + UserTempFolder() +
                                   QStringLiteral("/hexedit-dump-")) +
        QStringLiteral("[^/]{6}") +
        QRegularExpression::escape(QStringLiteral("/Dump of Untitled.bin\". ") +
                                   QString::fromLocal8Bit(std::strerror(EFBIG)) +
                                   QStringLiteral("\nThe bytes are still offered, but not as a file."))));
    EXPECT_TRUE(why.match(messages->messages[0].text).hasMatch()) << messages->messages[0].text.toStdString();
}

// The files an export would replace beside the name the dialog asked about are asked about in one Yes/No
// question; No writes nothing.
TEST_F(ExportFromMainWindow, ExportAsksBeforeReplacingFilesTheDialogDidNotName) {
    const Bytes old = {'o', 'l', 'd'};
    writeFile(QFile::encodeName(folder.path("Photo.jpg")).toStdString(), old);
    writeFile(QFile::encodeName(folder.path("Photo.alpha.jpg")).toStdString(), old);
    select("Sky:Clouds");
    answer = folder.path("Photo.hsm");
    for (const TModalResult reply : {TModalResult::mrNo, TModalResult::mrYes}) {
        messages->messages.clear();
        messages->answer = reply;
        form->prpMenuExport->trigger();
        ASSERT_EQ(messages->messages.size(), 1u);
        EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtConfirmation);
        EXPECT_EQ(messages->messages[0].buttons, TMsgDlgButtons::mbYesNo);
        EXPECT_EQ(messages->messages[0].text,
                  "Photo.jpg and Photo.alpha.jpg already exist. Do you want to replace them?");
    }
    EXPECT_EQ(readFile(folder.path("Photo.jpg")), kColourJpeg);
    EXPECT_EQ(readFile(folder.path("Photo.alpha.jpg")), kAlphaJpeg);
    EXPECT_FALSE(QFile::exists(folder.path("Photo.hsm")));
}

// The user opens the convert's last copy to check it, then converts again: the copy is read to its end and
// replaced by the new one.
TEST_F(ExportFromMainWindow, ConvertingTheConvertedCopyKeepsItWhole) {
    TestPage page = samplePage(kVersionUru);
    // More than the file stream reads ahead: the bodies are read from the file after its header and index.
    page.groups[2].objects.push_back({makeKey(4, "Large", page.pageNumber), Bytes(100000, 0x5A)});
    QTemporaryDir temp;
    const QString output = QDir(temp.path()).canonicalPath() + QStringLiteral("/Temp.prp");
    writeFile(QFile::encodeName(output).toStdString(), buildPage(page));
    const TPRPFile source = loadPage(QFile::encodeName(folder.write("Original.prp", page)).toStdString());
    form->OpenPRPFile(output);
    {
        TempFolderVariable tmpdir(temp.path());
        answer = "0000FF21";
        form->ToolsConvert->trigger();
    }

    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtInformation);
    EXPECT_EQ(messages->messages[0].text, QStringLiteral("The page was converted to ") + output);
    const TPRPFile converted = loadPage(QFile::encodeName(output).toStdString());
    EXPECT_EQ(converted.Header.Version, 5);
    ASSERT_EQ(converted.Folders.size(), source.Folders.size());
    for (size_t g = 0; g < source.Folders.size(); ++g) {
        ASSERT_EQ(converted.Folders[g].Objects.size(), source.Folders[g].Objects.size());
        for (size_t i = 0; i < source.Folders[g].Objects.size(); ++i) {
            TPlasmaStream before, after;
            TPRPObjectDesc key;
            ExtractObjectData(source.Folders[g].Objects[i], before, key);
            ExtractObjectData(converted.Folders[g].Objects[i], after, key);
            EXPECT_EQ(key.Name, source.Folders[g].Objects[i].Desc.Name);
            EXPECT_EQ(after.Bytes(), before.Bytes()) << key.Name;
        }
    }
}
