#include "TexturePreviewSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMdiArea>
#include <QOpenGLContext>
#include <QProcess>
#include <QSettings>

#include "GL3DScene.h"
#include "GLWin32Viewer.h"
#include "TestInChild.h"
#include "unitTplEnvironMap.h"

namespace testpages {

QString writeTexturePage(const QString& folder, const QString& fileName, uint16_t version,
                         const std::vector<NamedBody>& textures, const std::vector<NamedBody>& cubeMaps,
                         const std::vector<NamedBody>& materials) {
    testpages::TestPage page = emptyPage(version, "TestAge", "TestPage", 7);
    auto group = [&](uint16_t classIndex, const std::vector<NamedBody>& bodies) {
        std::vector<testpages::TestObject> objects;
        for (const NamedBody& b : bodies)
            objects.emplace_back(testpages::makeKey(classIndex, b.name, page.pageNumber), b.body);
        page.groups.emplace_back(classIndex, std::move(objects));
    };
    if (!textures.empty()) group(4, textures);
    if (!cubeMaps.empty()) group(5, cubeMaps);
    if (!materials.empty()) group(7, materials);
    const QString path = QDir(folder).filePath(fileName);
    testpages::writeFile(QFile::encodeName(path).toStdString(), testpages::buildPage(page));
    return path;
}

std::vector<QImage> framesTurnedToEachSide(TfrmTplEnvironMap* form) {
    // Direction, then up.
    const float turns[][6] = {{0, 0, -1, 0, 1, 0},
                              {1, 0, 0, 0, 1, 0},
                              {-1, 0, 0, 0, 1, 0},
                              {0, 1, 0, 0, 0, 1},
                              {0, -1, 0, 0, 0, 1}};
    std::vector<QImage> frames;
    for (const auto& t : turns) {
        form->GLCamera->Up()->SetVector(t[3], t[4], t[5]);
        form->GLCamera->Direction()->SetVector(t[0], t[1], t[2]);
        frames.push_back(form->GL3DSceneViewer->grabFramebuffer());
        EXPECT_TRUE(form->GL3DSceneViewer->LastError().isEmpty())
            << form->GL3DSceneViewer->LastError().toStdString();
    }
    return frames;
}

namespace {
// Names the folder a child run saves its frames in.
constexpr const char* kFramesFolderVariable = "KESTRUM_TEST_FRAMES_TO";

QString framePath(const QString& folder, size_t index) {
    return QDir(folder).filePath(QStringLiteral("frame%1.png").arg(index));
}
} // namespace

bool keepFramesForParent(const std::vector<QImage>& frames) {
    const QString folder = qEnvironmentVariable(kFramesFolderVariable);
    if (folder.isEmpty()) return false;
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_TRUE(frames[i].save(framePath(folder, i), "PNG")) << "frame " << i;
    return true;
}

std::vector<QImage> framesAtPixelRatio(double ratio, size_t count) {
    QTemporaryDir folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(ratio));
    environment.insert(QString::fromLatin1(kFramesFolderVariable), folder.path());
    if (!runCurrentTestInChild(environment, "at ratio " + QString::number(ratio).toStdString())) return {};
    std::vector<QImage> frames;
    for (size_t i = 0; i < count; ++i) {
        frames.emplace_back(framePath(folder.path(), i));
        if (frames.back().isNull()) {
            ADD_FAILURE() << "no frame " << i << " at ratio " << ratio;
            return {};
        }
    }
    return frames;
}

void PreviewFixture::SetUp() {
    QOpenGLContext probe;
    if (!probe.create()) GTEST_SKIP() << "no OpenGL context here";
    showMainWindow();
}

void PreviewFixture::showMainWindow() {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    messages = std::make_unique<RecordedMessages>();
    main = std::make_unique<TMainForm>();
    main->resize(1200, 900);
    main->show();
    QApplication::processEvents();
}

TCustomPRPObjectForm* PreviewFixture::open(uint16_t classIndex, const std::string& name, bool hexOnly) {
    TCustomPRPObjectForm* form = main->ShowObjectByKey(makeKey(classIndex, name, 7), hexOnly);
    QApplication::processEvents();
    return form;
}

void PreviewFixture::closeAll() {
    main->MdiArea->closeAllSubWindows();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace testpages
