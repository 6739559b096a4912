// Leaving the program with previews open: the main window is closed the way the program runs, inside its
// event loop, and nothing of the previews stays in the temporary folder afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <functional>

#include "KestrumApplication.h"
#include "MainUnit.h"
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
        ASSERT_NE(dynamic_cast<TfrmTplEnvironMap*>(main->ShowObjectByKey(makeKey(5, "Sky", 7), false)),
                  nullptr);
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

    QPointer<TMainForm> form;
    QPointer<TfrmTplMipMap> preview;
};

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
