#pragma once
// The texture preview tests: JPEG files drawn from a colour function, pages of textures, and a shown main
// window to open them in.
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "MainUnit.h"
#include "TextureWriters.h"
#include "ViewerTestSupport.h"

namespace testpages {

// A JPEG file of the whole picture.
Bytes jpegFile(uint32_t width, uint32_t height, const PixelFn& colour);

// A page of the given family with one group of textures (class 4) and optionally cube maps (class 5);
// written into folder, returns the file's path.
struct NamedBody {
    std::string name;
    Bytes body;
};
QString writeTexturePage(const QString& folder, const QString& fileName, uint16_t version,
                         const std::vector<NamedBody>& textures, const std::vector<NamedBody>& cubeMaps = {});

// A shown main window with its settings in a temporary folder and its messages recorded; skipped where
// there is no OpenGL context.
class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override;

    QTemporaryDir settingsDir, pages;
    std::unique_ptr<RecordedMessages> messages;
    std::unique_ptr<TMainForm> main;
};

} // namespace testpages
