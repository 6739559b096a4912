// Start-up, actions, menus, the tree popup and window placement.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QMenu>
#include <QScrollBar>
#include <QMenuBar>
#include <QSettings>
#include <QTreeWidget>
#include <sys/stat.h>

#include "AppTestSupport.h"
#include "PRP_VCL.h"
#include "unitTUnknown.h"

using namespace testpages;

TEST_F(MainFormTest, ClassTablesAreReadAtStartUpAndEmptiedWithTheWindow) {
    EXPECT_EQ(form->windowTitle(), "Kestrum");
    EXPECT_EQ(GetClassLabel(makeKey(0x2C, "x"), kVersionUru), "plCollisionDetector");
    EXPECT_FALSE(M5Types.empty());
    EXPECT_FALSE(LiveTypes.empty());
    EXPECT_FALSE(HITypes.empty());
    EXPECT_TRUE(messages->messages.empty());
    const size_t rows = UruTypes.size();
    form.reset();
    EXPECT_TRUE(UruTypes.empty());
    form = std::make_unique<TMainForm>();
    EXPECT_EQ(UruTypes.size(), rows);
}

TEST(MainFormStartUp, CommandLineFileThatIsNoFileShowsWhatItIsAndOpensNothing) {
    IsolatedSettings settings;
    PageFolder folder;
    const QString pipe = folder.path("Pipe.prp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const std::pair<QString, QString> rows[] = {
        {"/no/such/folder/Garden.age", "ERROR: File \"/no/such/folder/Garden.age\" not found!"},
        {folder.folder(), "\"" + folder.folder() + "\" is a folder"},
        {pipe, "\"" + pipe + "\" is not a regular file"},
        {"/dev/null", "\"/dev/null\" is not a regular file"}};
    for (const auto& [file, text] : rows) {
        CapturingMessages messages;
        TMainForm form(file);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, text);
        EXPECT_EQ(messages.messages[0].type, TMsgDlgType::mtError);
        EXPECT_EQ(form.PRPTree->topLevelItemCount(), 0);
        EXPECT_TRUE(form.CurrentFile.isEmpty());
    }
}

TEST(MainFormStartUp, CommandLineFileIsOpened) {
    IsolatedSettings settings;
    CapturingMessages messages;
    PageFolder folder;
    const QString page = folder.write("Garden_District_Meadow.prp", samplePage(kVersionUru));
    TMainForm form(page);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(form.CurrentFile, page);
    ASSERT_EQ(form.PRPTree->topLevelItemCount(), 1);
    EXPECT_EQ(form.PRPTree->topLevelItem(0)->text(0), "Meadow");
}

TEST_F(MainFormTest, ActionsCarryTheirShortcutsAndStates) {
    const std::pair<const char*, const char*> shortcuts[] = {{"FileOpenPRP", "Ctrl+O"},
                                                             {"ToolsStringConv", "Ctrl+S"},
                                                             {"WindowClose", "Ctrl+W"},
                                                             {"FileOpenAge", ""}};
    for (const auto& [name, shortcut] : shortcuts)
        EXPECT_EQ(form->findChild<QAction*>(name)->shortcut().toString(), shortcut) << name;
    for (const char* name :
         {"FileClose", "FileExit", "prpMenuSaveAll", "prpMenuInsert", "prpMenuReplace", "prpMenuExportAll",
          "prpMenuImport", "prpMenuDelete", "prpMenuDeleteAll", "prpMenuRename"})
        EXPECT_FALSE(form->findChild<QAction*>(name)->isEnabled()) << name;
    for (const char* name : {"FileNewPRP", "FileOpenPRP", "ToolsExtractPRP", "ToolsConvert", "prpMenuEdit",
                             "prpMenuExport", "prpMenuProperties", "WindowCascade"})
        EXPECT_TRUE(form->findChild<QAction*>(name)->isEnabled()) << name;
    EXPECT_EQ(form->findChild<QAction*>("ToolsConvert")->text(), "Export to &UU format");
}

QStringList menuTexts(const QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

TEST_F(MainFormTest, MenusAndPopupListTheirEntriesInOrder) {
    const QList<QAction*> top = form->menuBar()->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(top[0]->text(), "&File");
    EXPECT_EQ(menuTexts(top[0]->menu()),
              QStringList({"&New PRP File...", "&Open PRP File", "Open &Age...", "&Close", "-", "E&xit"}));
    EXPECT_EQ(menuTexts(top[1]->menu()), QStringList({"&Extract PRP...", "&String Converter"}));
    EXPECT_EQ(menuTexts(top[2]->menu()), QStringList({"C&lose", "-", "Tile &Horizontally", "&Tile Vertically",
                                                      "&Cascade", "-", "&Arrange", "&Minimize All"}));
    auto* popup = form->findChild<QMenu*>("PRPPopup");
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(menuTexts(popup),
              QStringList({"&Edit", "&HexView", "-", "&Save...", "Sa&ve All...", "Inser&t...", "&Replace...",
                           "-", "E&xport...", "Export &All...", "&Import...", "-", "&Delete",
                           "De&lete All...", "Re&name", "-", "&Properties..."}));
    EXPECT_EQ(popup->defaultAction()->objectName(), "prpMenuEdit");

    auto* group = form->findChild<QGroupBox*>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), "Also Load");
    QStringList boxes;
    for (QCheckBox* box : group->findChildren<QCheckBox*>())
        boxes << box->text() + (box->isChecked() ? "+" : "");
    EXPECT_EQ(boxes, QStringList({"Local Shared PRPs", "All Age PRPs", "Global PRPs"}));
    // Saving over an existing file asks first.
    EXPECT_FALSE(form->SaveExportDialog->testOption(QFileDialog::DontConfirmOverwrite));
}

// ---- Popup per node kind

struct PopupRow {
    const char* node;
    std::vector<const char*> shown;
    std::vector<const char*> enabled;
};

TEST_F(MainFormTest, PopupEntriesFollowTheNodeKind) {
    PageFolder folder;
    TestPage page = samplePage(kVersionUru);
    form->OpenPRPFile(folder.write("Garden_District_Meadow.prp", page));
    const char* all[] = {"prpMenuEdit",      "prpMenuHexView", "prpMenuSave",      "prpMenuSaveAll",
                         "prpMenuInsert",    "prpMenuReplace", "prpMenuExport",    "prpMenuExportAll",
                         "prpMenuImport",    "prpMenuDelete",  "prpMenuDeleteAll", "prpMenuRename",
                         "prpMenuProperties"};
    const std::vector<const char*> groupShown = {"prpMenuSaveAll", "prpMenuInsert", "prpMenuExportAll",
                                                 "prpMenuImport", "prpMenuDeleteAll"};
    const std::vector<const char*> objectShown = {"prpMenuEdit",    "prpMenuHexView", "prpMenuSave",
                                                  "prpMenuSaveAll", "prpMenuInsert",  "prpMenuReplace",
                                                  "prpMenuImport",  "prpMenuDelete",  "prpMenuDeleteAll",
                                                  "prpMenuRename",  "prpMenuExport",  "prpMenuExportAll"};
    const PopupRow rows[] = {
        {"All Objects", groupShown, {}},
        {"plSceneObject", groupShown, {}},
        {"Rock", objectShown, {"prpMenuEdit", "prpMenuHexView", "prpMenuSave"}},
        {"Grass*1#0.hsm", objectShown, {"prpMenuEdit", "prpMenuHexView", "prpMenuSave", "prpMenuExport"}},
        {"Meadow",
         {"prpMenuSaveAll", "prpMenuInsert", "prpMenuExportAll", "prpMenuImport", "prpMenuProperties"},
         {"prpMenuProperties"}},
    };
    for (const PopupRow& row : rows) {
        SCOPED_TRACE(row.node);
        QTreeWidgetItem* node = findNode(row.node);
        ASSERT_NE(node, nullptr);
        form->PreparePopup(node);
        EXPECT_EQ(form->PRPTree->currentItem(), node);
        for (const char* name : all) {
            SCOPED_TRACE(name);
            auto* action = form->findChild<QAction*>(name);
            const bool shown = std::find_if(row.shown.begin(), row.shown.end(), [&](const char* s) {
                                   return std::string(s) == name;
                               }) != row.shown.end();
            const bool enabled = std::find_if(row.enabled.begin(), row.enabled.end(), [&](const char* s) {
                                     return std::string(s) == name;
                                 }) != row.enabled.end();
            EXPECT_EQ(action->isVisible(), shown);
            if (shown) {
                EXPECT_EQ(action->isEnabled(), enabled);
            }
        }
    }
}

TEST_F(MainFormTest, SceneNodeCopyBehavesAsAGroupNode) {
    PageFolder folder;
    form->OpenPRPFile(folder.write("Garden_District_Meadow.prp", samplePage(kVersionUru)));
    QTreeWidgetItem* page = form->PRPTree->topLevelItem(0);
    QTreeWidgetItem* copy = page->child(1);
    ASSERT_EQ(copy->text(0), "Meadow");
    EXPECT_EQ(TMainForm::NodeKind(copy), TNodeKind::SceneNodeCopy);
    form->PreparePopup(copy);
    EXPECT_FALSE(form->prpMenuEdit->isVisible());
    EXPECT_TRUE(form->prpMenuDeleteAll->isVisible());
    EXPECT_FALSE(form->prpMenuProperties->isVisible());
}

// ---- Window placement

TEST(MainFormPlacement, ClosingStoresAndShowingRestores) {
    IsolatedSettings settings;
    CapturingMessages messages;
    {
        TMainForm form;
        form.show();
        form.move(40, 50);
        form.resize(700, 500);
        form.close();
    }
    QSettings ini(QSettings::IniFormat, QSettings::UserScope, "Kestrum", "Kestrum");
    EXPECT_EQ(ini.value("Software/Kestrum/Width").toInt(), 700);
    EXPECT_EQ(ini.value("Software/Kestrum/Height").toInt(), 500);
    EXPECT_EQ(ini.value("Software/Kestrum/Left").toInt(), 40);
    EXPECT_EQ(ini.value("Software/Kestrum/Top").toInt(), 50);
    EXPECT_EQ(ini.value("Software/Kestrum/Maximized").toBool(), false);

    ini.setValue("Software/Kestrum/Width", 610);
    ini.remove("Software/Kestrum/Height");
    ini.sync();
    TMainForm again;
    const int designedHeight = again.height();
    again.show();
    EXPECT_EQ(again.width(), 610);
    EXPECT_EQ(again.height(), designedHeight);
    EXPECT_EQ(again.pos(), QPoint(40, 50));
}

TEST(MainFormPlacement, NothingStoredKeepsTheDesignedSizeAndMaximizedIsRestored) {
    IsolatedSettings settings;
    CapturingMessages messages;
    {
        TMainForm form;
        const QSize designed = form.size();
        form.show();
        EXPECT_EQ(form.size(), designed);
        EXPECT_FALSE(form.isMaximized());
    }
    QSettings ini(QSettings::IniFormat, QSettings::UserScope, "Kestrum", "Kestrum");
    ini.setValue("Software/Kestrum/Maximized", true);
    ini.sync();
    TMainForm form;
    form.show();
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
}

TEST_F(MainFormTest, ShortcutsReachTheMainWindowFromInsideAViewer) {
    PageFolder folder;
    form->OpenPRPFile(folder.write("Age_District_Page.prp",
                                   makePage(kVersionUru, "Age", "Page", 1, 0, {{0x0456, {"Blob"}}})));
    form->show();
    QApplication::setActiveWindow(form.get());
    auto* view = dynamic_cast<TfrmTUnknown*>(form->ShowObject(*form->NodeObject(findNode("Blob")), true));
    ASSERT_NE(view, nullptr);
    view->HexEditor->setFocus();
    QApplication::processEvents();

    QSignalSpy converter(form->ToolsStringConv, &QAction::triggered);
    QTest::keyClick(view->HexEditor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(converter.count(), 1);

    // The converter opened as the active child; bring the raw view back to the front.
    ASSERT_EQ(form->MdiArea->subWindowList().size(), 2);
    auto* viewFrame = qobject_cast<QMdiSubWindow*>(view->parentWidget());
    ASSERT_NE(viewFrame, nullptr);
    form->MdiArea->setActiveSubWindow(viewFrame);
    view->HexEditor->setFocus();
    QApplication::processEvents();

    QPointer<TfrmTUnknown> watched = view;
    QTest::keyClick(view->HexEditor, Qt::Key_W, Qt::ControlModifier);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form->MdiArea->subWindowList().size(), 1) << "Ctrl+W closes the active viewer only";
    EXPECT_TRUE(watched.isNull());
}

TEST_F(MainFormTest, ViewersOpenAtTheirDesignedSize) {
    PageFolder folder;
    form->OpenPRPFile(folder.write("Age_District_Page.prp",
                                   makePage(kVersionUru, "Age", "Page", 1, 0, {{0x0456, {"Blob"}}})));
    form->show();
    const QSize designed = TfrmTUnknown().size();
    TCustomPRPObjectForm* view = form->ShowObject(*form->NodeObject(findNode("Blob")), true);
    ASSERT_NE(view, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(view->size(), designed) << "the raw view shows all sixteen columns and the characters";
    EXPECT_EQ(view->SubWindow()->pos(), QPoint(0, 0));
    EXPECT_EQ(static_cast<TfrmTUnknown*>(view)->HexEditor->horizontalScrollBar()->maximum(), 0)
        << "every column and the characters without scrolling";
    EXPECT_LE(view->SubWindow()->geometry().right(), form->MdiArea->viewport()->width())
        << "the readout stands inside the child area of a main window at its designed size";

    // Each further window stands one step down and right of the one before, as new child windows do.
    TCustomPRPObjectForm* second = form->ShowObject(*form->NodeObject(findNode("Blob")), true);
    TCustomPRPObjectForm* third = form->ShowObject(*form->NodeObject(findNode("Blob")), true);
    QApplication::processEvents();
    const QPoint step = second->SubWindow()->pos();
    EXPECT_GT(step.x(), 0);
    EXPECT_EQ(step.x(), step.y());
    EXPECT_EQ(third->SubWindow()->pos(), step * 2);
}
