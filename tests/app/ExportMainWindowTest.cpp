// The export and convert commands as the user reaches them: tree popup actions and the convert action of
// the main window, with the save dialog and the page-id prompt answered by the test.
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QTreeWidgetItem>
#include <fstream>

#include "AppTestSupport.h"
#include "PRPExport.h"
#include "TestFiles.h"
#include "TextureWriters.h"

using namespace testpages;

namespace {

Bytes readFile(const QString& path) {
    return ::readFile(QFile::encodeName(path).toStdString());
}

Bytes dxtTexture(uint8_t subType) {
    Bytes body = mipmapObject(Kind::DXT1, 4, 4, 1, solid({90, 90, 90, 255}));
    body[7] = subType;
    return body;
}

const Bytes kColourJpeg = {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9};
const Bytes kAlphaJpeg = {0xFF, 0xD8, 7, 0xFF, 0xD9};

// What a dialog showed when the command ran it.
struct ShownDialog {
    QString objectName, title, fileName, defaultSuffix, label, text;
    QStringList filters;
};

class ExportFromMainWindow : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        SetExportDialogRunner([this](QDialog& dialog) {
            ShownDialog shown{dialog.objectName(), dialog.windowTitle(), {}, {}, {}, {}, {}};
            if (auto* save = qobject_cast<QFileDialog*>(&dialog)) {
                shown.fileName = QFileInfo(save->selectedFiles().value(0)).fileName();
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
        page.groups[2].objects[0].body = dxtTexture(1);
        page.groups[2].objects.push_back(
            {makeKey(4, "Sky:Clouds", page.pageNumber), jpegObject(8, 8, kColourJpeg, kAlphaJpeg)});
        page.groups[2].objects.push_back({makeKey(4, "Odd", page.pageNumber), dxtTexture(2)});
        pagePath = pages.write("Garden_District_Meadow.prp", page);
        form->OpenPRPFile(pagePath);
    }
    void TearDown() override {
        SetExportDialogRunner(nullptr);
        MainFormTest::TearDown();
    }

    // Right-clicks the object node as the user would before choosing an entry.
    void select(const QString& name) {
        QTreeWidgetItem* node = findNode(name);
        ASSERT_NE(node, nullptr) << name.toStdString();
        form->PreparePopup(node);
    }

    PageFolder pages;
    QString pagePath;
    QString answer; // empty: the dialog is cancelled
    std::vector<ShownDialog> dialogs;
};

} // namespace

TEST_F(ExportFromMainWindow, ExportIsOfferedForTexturesAndWritesTheirImages) {
    select("Rock");
    EXPECT_FALSE(form->prpMenuExport->isEnabled());
    select("Sky:Clouds");
    ASSERT_TRUE(form->prpMenuExport->isEnabled());
    answer = pages.path("clouds.dds");
    form->prpMenuExport->trigger();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Export Image");
    EXPECT_EQ(dialogs[0].fileName, "Sky_Clouds.dds"); // the offered name plus the default extension
    EXPECT_EQ(dialogs[0].defaultSuffix, "dds");
    EXPECT_EQ(dialogs[0].filters, (QStringList{"Image Files (*.dds *.jpg)", "All Files (*.*)"}));
    EXPECT_EQ(readFile(pages.path("clouds.jpg")), kColourJpeg);
    EXPECT_EQ(readFile(pages.path("clouds.alpha.jpg")), kAlphaJpeg);
    EXPECT_FALSE(QFile::exists(pages.path("clouds.dds")));
    EXPECT_TRUE(messages->messages.empty());

    select("Grass*1#0.hsm");
    answer = pages.path("grass");
    form->prpMenuExport->trigger();
    const Bytes dds = readFile(pages.path("grass.dds"));
    ASSERT_EQ(dds.size(), 128u + 8);
    EXPECT_EQ(Bytes(dds.begin() + 84, dds.begin() + 88), (Bytes{'D', 'X', 'T', '1'}));
}

TEST_F(ExportFromMainWindow, ConvertAsksForThePageIdAndSaysWhereTheCopyWent) {
    QTemporaryDir temp;
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    answer = "0000FF21";
    form->ToolsConvert->trigger();
    qunsetenv("TMPDIR");

    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].objectName, "PageIdPrompt");
    EXPECT_EQ(dialogs[0].title, "Set PageID");
    EXPECT_EQ(dialogs[0].label, "Current PageID is: 0x00100024.  New Value: (hex)");
    EXPECT_EQ(dialogs[0].text, "00100024");
    const QString output = temp.filePath("Temp.prp");
    const Bytes converted = readFile(output);
    ASSERT_GE(converted.size(), 8u);
    EXPECT_EQ(Bytes(converted.begin(), converted.begin() + 8), (Bytes{5, 0, 0, 0, 0x21, 0xFF, 0, 0}));
    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_EQ(messages->messages[0].type, TMsgDlgType::mtInformation);
    EXPECT_TRUE(messages->messages[0].text.contains(output));

    // The copy opens as an Uru page with the same objects.
    form->OpenPRPFile(output);
    EXPECT_NE(findNode("Sky:Clouds"), nullptr);
    EXPECT_EQ(form->LocalPages.at(0).Header.Version, 5);
}
