// Leaving the program with previews open: the main window is closed the way the program runs, inside its
// event loop, or the window system ends under it, and nothing of the previews stays in the temporary folder
// afterwards; windows that other objects own are left to them. Previews whose temporary folder is missing or
// refuses them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QCompleter>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <functional>
#include <iostream>

#include "AppTestSupport.h"
#include "KestrumApplication.h"
#include "MainUnit.h"
#include "OnCompositor.h"
#include "RefusedTempFolder.h"
#include "ShownOnScreen.h"
#include "TexturePreviewSupport.h"
#include "ViewerTestSupport.h"
#include "unitTplEnvironMap.h"
#include "unitTplMipMap.h"

using namespace testpages;

namespace {

QStringList programFolders() {
    return QDir::temp().entryList({QStringLiteral("kestrum-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
}

// A shown main window, deleted on close as the program's entry hands it over, with a mip-map and a
// cube-map preview open.
class ProgramExit : public PreviewFixture {
protected:
    void openPreviews() {
        main->OpenPRPFile(writeTexturePage(
            pages.path(), QStringLiteral("Textures.prp"), kVersionUru,
            {{"Picture", mipmapObject(Kind::RunCoded, 8, 8, 1, solid({255, 0, 0}), solid({255, 255, 255}))}},
            {{"Sky", cubeMapObject(Kind::Pixels, 4, std::vector<Rgba>(6, Rgba{0, 0, 255}))}}));
        preview = dynamic_cast<TfrmTplMipMap*>(main->ShowObjectByKey(makeKey(4, "Picture", 7), false));
        ASSERT_NE(preview, nullptr);
        cubeMap = dynamic_cast<TfrmTplEnvironMap*>(main->ShowObjectByKey(makeKey(5, "Sky", 7), false));
        ASSERT_NE(cubeMap, nullptr);
        QApplication::processEvents();
        ASSERT_EQ(programFolders().size(), 2) << programFolders().join(' ').toStdString();
        form = main.release();
        form->setAttribute(Qt::WA_DeleteOnClose);
    }

    // Runs the program's loop, with `leave` as its first event, until the program is left.
    void runUntilExit(const std::function<void()>& leave) {
        QTimer::singleShot(0, qApp, leave);
        QTimer stop; // only fires when leaving no longer ends the loop
        stop.setSingleShot(true);
        QObject::connect(&stop, &QTimer::timeout, qApp, &QCoreApplication::quit);
        stop.start(30000);
        EXPECT_EQ(RunUntilExit(), 0);
        EXPECT_TRUE(stop.isActive()) << "leaving ends the event loop";
        EXPECT_TRUE(form.isNull()) << "the main window is destroyed";
        EXPECT_TRUE(preview.isNull()) << "its viewers are destroyed";
        EXPECT_TRUE(programFolders().isEmpty()) << programFolders().join(' ').toStdString();
    }

    // The main window of another run of the program.
    void newMainWindow() {
        main = std::make_unique<TMainForm>();
        main->resize(1200, 900);
        main->show();
        QApplication::processEvents();
    }

    // In a child on a window system of the test's own, opens the previews and says where their folders
    // are; the parent then ends the window system, and the child must end with the toolkit's words and
    // status and without the folders. `WindowSystem` starts with the object (in the parent alone) and has
    // started(), childEnvironment() and end().
    template <typename WindowSystem> void endWindowSystemUnderPreviews(const char* lastWords) {
        static const char kOpened[] = "previews open in ";
        if (onScreenOfItsOwnNow() || qEnvironmentVariableIsSet(kOwnCompositorVariable)) {
            openPreviews();
            if (HasFatalFailure()) return;
            std::cout << kOpened << preview->TempFolder().toStdString() << ' '
                      << cubeMap->TempFolder().toStdString() << std::endl;
            QTimer::singleShot(30000, qApp, &QCoreApplication::quit);
            QApplication::exec();
            ADD_FAILURE() << "the program outlived its window system";
            return;
        }
        WindowSystem windowSystem;
        if (!windowSystem.started()) return; // skipped, or its failure told
        QTemporaryDir temp;
        QProcessEnvironment environment = windowSystem.childEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), temp.path());
        QProcess child;
        startCurrentTestInChild(child, environment);
        QByteArray output;
        QElapsedTimer waited;
        waited.start();
        while (!output.contains('\n' + QByteArray(kOpened)) && child.state() != QProcess::NotRunning &&
               waited.elapsed() < 120000) {
            child.waitForReadyRead(1000);
            output += child.readAll();
        }
        const qsizetype opened = output.indexOf('\n' + QByteArray(kOpened));
        ASSERT_NE(opened, -1) << output.toStdString();
        const QStringList folders = QString::fromLocal8Bit(output.mid(opened + sizeof kOpened))
                                        .section(QLatin1Char('\n'), 0, 0)
                                        .split(QLatin1Char(' '));
        ASSERT_EQ(folders.size(), 2);
        for (const QString& folder : folders)
            EXPECT_TRUE(folder.startsWith(temp.path() + QLatin1Char('/'))) << folder.toStdString();
        EXPECT_TRUE(QFileInfo::exists(folders[0] + QStringLiteral("/Temp.dds")));
        EXPECT_TRUE(QFileInfo::exists(folders[1] + QStringLiteral("/Temp5.dds")));

        windowSystem.end();
        if (!child.waitForFinished(10000)) {
            child.kill();
            child.waitForFinished();
            FAIL() << "the program outlived its window system";
        }
        output += child.readAll();
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 1);
        EXPECT_TRUE(output.contains(lastWords)) << output.toStdString();
        for (const QString& folder : folders)
            EXPECT_FALSE(QFileInfo::exists(folder)) << folder.toStdString();
        QDirIterator left(temp.path(),
                          {QStringLiteral("kestrum-mipmap-*"), QStringLiteral("kestrum-cubemap-*")},
                          QDir::Dirs, QDirIterator::Subdirectories);
        EXPECT_FALSE(left.hasNext()) << left.next().toStdString();
    }

    QPointer<TMainForm> form;
    QPointer<TfrmTplMipMap> preview;
    QPointer<TfrmTplEnvironMap> cubeMap;
};

void typeText(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &release);
    }
}

} // namespace

// The user closes the main window, through the window system as its close button does.
TEST_F(ProgramExit, ClosingTheMainWindowRemovesThePreviewFolders) {
    openPreviews();
    runUntilExit([this] {
        QCloseEvent close;
        QCoreApplication::sendEvent(form->windowHandle(), &close);
    });
}

// The loop is asked to quit with the windows open (each is closed first), or ends at once with them still
// open: either way every window is destroyed before the program ends.
TEST_F(ProgramExit, EndingTheLoopWithWindowsOpenRemovesThePreviewFolders) {
    openPreviews();
    runUntilExit([] { QCoreApplication::quit(); });
}

TEST_F(ProgramExit, ExitingTheLoopAtOnceRemovesThePreviewFolders) {
    openPreviews();
    runUntilExit([] { QCoreApplication::exit(0); });
}

// A completer's popup list is a window of its own without a parent, which its completer deletes.
TEST_F(ProgramExit, WindowsThatOthersOwnAreLeftToThem) {
    auto* completer = new QCompleter(QStringList{QStringLiteral("Textures.prp")}, qApp);
    const QPointer<QWidget> popup = completer->popup();
    ASSERT_TRUE(popup->isWindow() && popup->parent() == nullptr);
    openPreviews();
    runUntilExit([] { QCoreApplication::exit(0); });
    EXPECT_FALSE(popup.isNull()) << "the completer's own popup stays until the completer goes";
    if (!popup.isNull()) delete completer; // it would delete the popup a second time
}

// The user types a file name in the raw export's save dialog, which makes the dialog's completer its popup
// list, and the loop ends at once. The order in which the top-level windows are found varies from run to
// run, so the program is left this way several times.
TEST_F(ProgramExit, ExitingAtOnceFromASaveDialogWithACompleterPopup) {
    for (int run = 0; run < 4; ++run) {
        SCOPED_TRACE(run);
        if (run > 0) newMainWindow();
        openPreviews();
        QTreeWidgetItem* node =
            form->PRPTree->findItems(QStringLiteral("Picture"), Qt::MatchExactly | Qt::MatchRecursive)
                .value(0);
        ASSERT_NE(node, nullptr);
        form->PRPTree->setCurrentItem(node);
        QPointer<QWidget> popup;
        runUntilExit([this, &popup] {
            // Typed while the dialog waits for the user, as in the program.
            QTimer::singleShot(0, qApp, [this, &popup] {
                QLineEdit* name =
                    form->SaveExportDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                ASSERT_NE(name, nullptr);
                ASSERT_TRUE(form->SaveExportDialog->isVisible());
                name->clear();
                typeText(name, QStringLiteral("Tex"));
                ASSERT_NE(name->completer(), nullptr);
                popup = name->completer()->popup();
                QCoreApplication::exit(0);
            });
            form->prpMenuSave->trigger();
        });
        EXPECT_TRUE(popup.isNull()) << "the popup went with its completer, in the main window";
        EXPECT_TRUE(cubeMap.isNull());
    }
}

// The window system ends under the program with a texture and a cube map open, and the toolkit ends the
// program at once, past every window's clean-up: the previews' folders go all the same.
TEST_F(ProgramExit, TheXServerEndingRemovesThePreviewFolders) {
    endWindowSystemUnderPreviews<XServerOfItsOwn>("The X11 connection broke");
}

TEST_F(ProgramExit, TheWaylandCompositorEndingRemovesThePreviewFolders) {
    endWindowSystemUnderPreviews<CompositorOfItsOwn>("The Wayland connection broke");
}

// When TMPDIR names a folder that does not exist, the previews keep their files in the system's temporary
// folder, never in the working folder, and remove them all the same.
TEST_F(ProgramExit, PreviewsUseTheSystemsTemporaryFolderWhenTheUsersIsMissing) {
    TempFolderVariable tmpdir(pages.filePath(QStringLiteral("missing")));
    const QStringList pattern = {QStringLiteral("kestrum-*")};
    const QStringList before = QDir::current().entryList(pattern, QDir::Dirs);
    main->OpenPRPFile(
        writeTexturePage(pages.path(), QStringLiteral("Textures.prp"), kVersionUru,
                         {{"Picture", mipmapObject(Kind::Pixels, 8, 8, 1, solid({255, 0, 0}))}},
                         {{"Sky", cubeMapObject(Kind::Pixels, 4, std::vector<Rgba>(6, Rgba{0, 0, 255}))}}));
    QPointer<TfrmTplMipMap> mipmap =
        dynamic_cast<TfrmTplMipMap*>(main->ShowObjectByKey(makeKey(4, "Picture", 7), false));
    QPointer<TfrmTplEnvironMap> cube =
        dynamic_cast<TfrmTplEnvironMap*>(main->ShowObjectByKey(makeKey(5, "Sky", 7), false));
    ASSERT_TRUE(mipmap && cube);
    const QStringList folders = {mipmap->TempFolder(), cube->TempFolder()};
    for (const QString& folder : folders) {
        EXPECT_TRUE(folder.startsWith(QStringLiteral("/tmp/kestrum-"))) << folder.toStdString();
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(mipmap->TempFolder() + QStringLiteral("/Temp.dds")));
    EXPECT_EQ(QDir::current().entryList(pattern, QDir::Dirs), before);
    EXPECT_TRUE(messages->texts.empty());
    mipmap->SubWindow()->close();
    cube->SubWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QString& folder : folders)
        EXPECT_FALSE(QFileInfo::exists(folder)) << folder.toStdString();
}

// When the temporary folder refuses the previews' own folders, each preview says where and why and closes as
// for an image it cannot load. It writes, reads and deletes nothing: above all not the user's files that
// bear its file names in the working folder.
TEST_F(ProgramExit, PreviewsWithoutAFolderOfTheirOwnSayWhyAndLeaveTheUsersFiles) {
    main->OpenPRPFile(
        writeTexturePage(pages.path(), QStringLiteral("Textures.prp"), kVersionUru,
                         {{"Picture", mipmapObject(Kind::Pixels, 8, 8, 1, solid({255, 0, 0}))}},
                         {{"Sky", cubeMapObject(Kind::Pixels, 4, std::vector<Rgba>(6, Rgba{0, 0, 255}))}}));
    const RefusedTempFolder refused({"Temp.dds", "TempA.dds", "Temp0.dds", "TempA0.dds", "Temp5.dds"});
    ASSERT_FALSE(refused.folder().empty()) << "no folder here refuses a new one";
    const QString why =
        QStringLiteral("Cannot make a temporary folder in \"%1\": %2.")
            .arg(QString::fromStdString(refused.folder()), QString::fromStdString(refused.reason()));
    const struct {
        uint16_t classIndex;
        const char* name;
        QString message;
    } previews[] = {{4, "Picture", QStringLiteral("Error loading image.\n") + why},
                    {5, "Sky", QStringLiteral("Error loading images.\n") + why}};
    for (const auto& preview : previews) {
        SCOPED_TRACE(preview.name);
        messages->texts.clear();
        const QPointer<TCustomPRPObjectForm> form =
            main->ShowObjectByKey(makeKey(preview.classIndex, preview.name, 7), false);
        QApplication::processEvents();
        ASSERT_FALSE(form.isNull());
        ASSERT_EQ(messages->texts.size(), 1u);
        EXPECT_EQ(messages->texts[0].toStdString(), preview.message.toStdString());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull()) << "the window closes";
        EXPECT_EQ(refused.changes(), "");
    }
}
