// Start-up, the tree popup per node kind, window placement, shortcuts, viewer sizes and closing.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>
#include <sys/stat.h>
#include <unistd.h>

#include "AppTestSupport.h"
#include "PRP_VCL.h"
#include "unitTUnknown.h"

using namespace testpages;

// A command-line file that is no page file shows what it is and opens nothing; a page opens.
TEST(MainFormStartUp, CommandLineFileIsOpenedOnlyWhenItIsARegularFile) {
    IsolatedSettings settings;
    PageFolder folder;
    const QString pipe = folder.path("Pipe.prp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const std::pair<QString, QString> rows[] = {
        {"/no/such/folder/Garden.age", "ERROR: File \"/no/such/folder/Garden.age\" not found!"},
        {pipe, "\"" + pipe + "\" is not a regular file"}}; // each kind's text is pinned with the page files
    for (const auto& [file, text] : rows) {
        CapturingMessages messages;
        TMainForm form(file);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, text);
        EXPECT_EQ(messages.messages[0].type, TMsgDlgType::mtError);
        EXPECT_EQ(form.PRPTree->topLevelItemCount(), 0);
        EXPECT_TRUE(form.CurrentFile.isEmpty());
    }
    CapturingMessages messages;
    const QString page = folder.write("Garden_District_Meadow.prp", samplePage(kVersionUru));
    TMainForm form(page);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(form.CurrentFile, page);
    EXPECT_EQ(form.PRPTree->topLevelItemCount(), 1);
}

TEST_F(MainFormTest, PopupEntriesFollowTheNodeKind) {
    form->OpenPRPFile(folder.write("Garden_District_Meadow.prp", samplePage(kVersionUru)));
    struct Row {
        QTreeWidgetItem* node;
        const char* shown;   // one letter per entry of `all`: shown or not
        const char* enabled; // of the shown entries
    };
    QAction* all[] = {form->prpMenuEdit,      form->prpMenuHexView,   form->prpMenuSave,
                      form->prpMenuExport,    form->prpMenuDeleteAll, form->prpMenuRename,
                      form->prpMenuProperties};
    QTreeWidgetItem* page = form->PRPTree->topLevelItem(0);
    const Row rows[] = {
        {findNode("All Objects"), "0000100", "0000000"},
        {findNode("Rock"), "1111110", "1110000"},
        {findNode("Grass*1#0.hsm"), "1111110", "1111000"},
        {page, "0000001", "0000001"},
        {page->child(1), "0000100", "0000000"}, // the scene node copy acts as a group node
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.node->text(0).toStdString());
        form->PreparePopup(row.node);
        EXPECT_EQ(form->PRPTree->currentItem(), row.node);
        for (size_t i = 0; i < std::size(all); ++i) {
            SCOPED_TRACE(all[i]->objectName().toStdString());
            EXPECT_EQ(all[i]->isVisible(), row.shown[i] == '1');
            if (all[i]->isVisible()) {
                EXPECT_EQ(all[i]->isEnabled(), row.enabled[i] == '1');
            }
        }
    }
}

TEST(MainFormPlacement, ClosingStoresAndShowingRestores) {
    IsolatedSettings settings;
    CapturingMessages messages;
    {
        TMainForm form;
        const QSize designed = form.size();
        form.show();
        EXPECT_EQ(form.size(), designed) << "nothing stored keeps the designed size";
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
    {
        TMainForm again;
        const int designedHeight = again.height();
        again.show();
        EXPECT_EQ(again.width(), 610);
        EXPECT_EQ(again.height(), designedHeight);
        EXPECT_EQ(again.pos(), QPoint(40, 50));
    }
    ini.setValue("Software/Kestrum/Maximized", true);
    ini.sync();
    TMainForm maximized;
    maximized.show();
    EXPECT_TRUE(maximized.windowState() & Qt::WindowMaximized);
}

// A settings file that is a pipe or a folder is left alone: the program starts with the designed placement
// without waiting on it, says once which file is not kept and why, and writes nothing there.
TEST(MainFormPlacement, SettingsFilesThatAreNotRegularFilesAreLeftAlone) {
    struct Row {
        const char* what;
        const char* file; // below the configuration folder
        bool folder;
        const char* kept; // what the message says is not kept
    };
    const Row rows[] = {
        {"placement file a pipe", "Kestrum/Kestrum.ini", false, "The window placement"},
        {"placement file a folder", "Kestrum/Kestrum.ini", true, "The window placement"},
        {"file dialogs' history a pipe", "QtProject.conf", false, "The file dialogs' history"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        IsolatedSettings settings;
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QString path = config + "/" + row.file;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        if (row.folder)
            ASSERT_TRUE(QDir().mkpath(path));
        else
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        ::alarm(60); // a start that waits on the pipe ends the test program instead of hanging it
        CapturingMessages messages;
        {
            TMainForm form;
            const QSize designed = form.size();
            form.show();
            EXPECT_EQ(form.size(), designed);
            form.move(40, 50);
            form.close();
        }
        ::alarm(0);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].type, TMsgDlgType::mtWarning);
        EXPECT_EQ(messages.messages[0].text,
                  QString(row.kept) + " is not kept: \"" + path +
                      (row.folder ? "\" is a folder." : "\" is not a regular file."));
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
        EXPECT_EQ(S_ISFIFO(info.st_mode), !row.folder) << "written over";
        EXPECT_EQ(S_ISDIR(info.st_mode), row.folder);
        if (row.folder) {
            EXPECT_TRUE(QDir(path).isEmpty());
        }
    }
}
// Names are page text in the code page the raw view and the string converter show: byte 0x80 is "€" in the
// tree and in the viewer's caption alike.
TEST_F(MainFormTest, NamesShowInTheRawViewsCodePage) {
    form->OpenPRPFile(folder.write("Age_District_Page.prp", makePage(kVersionUru, "Age", "Page", 1, 0,
                                                                     {{0x0456, {"Caf\xE9 \x80\x9F"}}})));
    const QString shown = QString::fromUtf8("Caf\u00E9 \u20AC\u0178");
    QTreeWidgetItem* node = findNode(shown);
    ASSERT_NE(node, nullptr);
    TCustomPRPObjectForm* view = form->ShowObject(*form->NodeObject(node), true);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->windowTitle(), "[0456] " + shown);
    EXPECT_EQ(PageBytes(shown), "Caf\xE9 \x80\x9F");
}

// The main window shown with the raw view of an object open.
class MainFormRawViewTest : public MainFormTest {
protected:
    TfrmTUnknown* openRawView() {
        form->OpenPRPFile(folder.write("Age_District_Page.prp",
                                       makePage(kVersionUru, "Age", "Page", 1, 0, {{0x0456, {"Blob"}}})));
        form->show();
        QApplication::setActiveWindow(form.get());
        return dynamic_cast<TfrmTUnknown*>(form->ShowObject(*form->NodeObject(findNode("Blob")), true));
    }
};

TEST_F(MainFormRawViewTest, ShortcutsReachTheMainWindowFromInsideAViewer) {
    TfrmTUnknown* view = openRawView();
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

TEST_F(MainFormRawViewTest, ViewersOpenAtTheirDesignedSize) {
    const QSize designed = TfrmTUnknown().size();
    TfrmTUnknown* view = openRawView();
    ASSERT_NE(view, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(view->size(), designed) << "the raw view shows all sixteen columns and the characters";
    EXPECT_EQ(view->SubWindow()->pos(), QPoint(0, 0));
    EXPECT_EQ(view->HexEditor->horizontalScrollBar()->maximum(), 0)
        << "every column and the characters without scrolling";
    EXPECT_LE(view->SubWindow()->geometry().right(), form->MdiArea->viewport()->width())
        << "the readout stands inside the child area of a main window at its designed size";
}

TEST_F(MainFormRawViewTest, ClosingTheProgramAsksEveryMarkedViewer) {
    TfrmTUnknown* view = openRawView();
    ASSERT_NE(view, nullptr);
    view->MarkModified();
    messages->answer = TModalResult::mrCancel;
    EXPECT_FALSE(form->close());
    EXPECT_EQ(form->MdiArea->subWindowList().size(), 1);
    messages->answer = TModalResult::mrNo;
    EXPECT_TRUE(form->close());
}
