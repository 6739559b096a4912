#pragma once
// The texture preview tests: pages of textures, and a shown main window to open them in.
#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "MainUnit.h"
#include "TextureWriters.h"
#include "ViewerTestSupport.h"

class TfrmTplEnvironMap;

namespace testpages {

// The six walls of the test cube maps: left, right, front, back, top, bottom.
inline const std::vector<Rgba> kFaceColours = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                               {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};

inline QColor colourOf(Rgba c) {
    return QColor(c.r, c.g, c.b);
}

// A page of the given family with one group of textures (class 4) and optionally cube maps (class 5) and
// materials (class 7); written into folder, returns the file's path.
struct NamedBody {
    std::string name;
    Bytes body;
};
QString writeTexturePage(const QString& folder, const QString& fileName, uint16_t version,
                         const std::vector<NamedBody>& textures, const std::vector<NamedBody>& cubeMaps = {},
                         const std::vector<NamedBody>& materials = {});

// A cube-map preview's camera turned from straight ahead (+z) to each other side in turn, -z, +x, -x, +y
// and -y, with a frame of each; the camera is left looking down.
std::vector<QImage> framesTurnedToEachSide(TfrmTplEnvironMap* form);

// Frames at another device pixel ratio, which the toolkit takes only before the application exists: the
// current test runs again in a child program at that ratio. The child's run hands its frames to
// keepFramesForParent, which saves them and answers true, and the test ends there; the parent's run gets
// them back from framesAtPixelRatio (an empty list after a failure, which is reported).
bool keepFramesForParent(const std::vector<QImage>& frames);
std::vector<QImage> framesAtPixelRatio(double ratio, size_t count);
// The device pixel under the centre of a logical one.
inline QPoint devicePixel(QPoint logical, double ratio) {
    return QPoint(int((logical.x() + 0.5) * ratio), int((logical.y() + 0.5) * ratio));
}

// A shown main window with its settings in a temporary folder and its messages recorded; skipped where
// there is no OpenGL context.
class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override;
    // What SetUp does once it knows there is OpenGL: the main window, shown.
    void showMainWindow();
    // Opens the object of the class (4 a texture, 5 a cube map, 7 a material) as its viewer or, with
    // hexOnly, as bytes, once its first events have run.
    TCustomPRPObjectForm* open(uint16_t classIndex, const std::string& name, bool hexOnly = false);
    // Closes every child window, gone at once.
    void closeAll();

    QTemporaryDir settingsDir, pages;
    std::unique_ptr<RecordedMessages> messages;
    std::unique_ptr<TMainForm> main;
};

} // namespace testpages
