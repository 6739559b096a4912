#include "TexturePreviewSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QOpenGLContext>
#include <QSettings>

namespace testpages {

Bytes jpegFile(uint32_t width, uint32_t height, const PixelFn& colour) {
    QImage image(int(width), int(height), QImage::Format_RGB32);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const Rgba c = colour(x, y);
            image.setPixel(int(x), int(y), qRgb(c.r, c.g, c.b));
        }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 100);
    const QByteArray& data = buffer.data();
    return Bytes(data.begin(), data.end());
}

QString writeTexturePage(const QString& folder, const QString& fileName, uint16_t version,
                         const std::vector<NamedBody>& textures, const std::vector<NamedBody>& cubeMaps) {
    testpages::TestPage page = emptyPage(version, "TestAge", "TestPage", 7);
    auto group = [&](uint16_t classIndex, const std::vector<NamedBody>& bodies) {
        std::vector<testpages::TestObject> objects;
        for (const NamedBody& b : bodies)
            objects.emplace_back(testpages::makeKey(classIndex, b.name, page.pageNumber), b.body);
        page.groups.emplace_back(classIndex, std::move(objects));
    };
    if (!textures.empty()) group(4, textures);
    if (!cubeMaps.empty()) group(5, cubeMaps);
    const QString path = QDir(folder).filePath(fileName);
    testpages::writeFile(QFile::encodeName(path).toStdString(), testpages::buildPage(page));
    return path;
}

void PreviewFixture::SetUp() {
    QOpenGLContext probe;
    if (!probe.create()) GTEST_SKIP() << "no OpenGL context here";
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    messages = std::make_unique<RecordedMessages>();
    main = std::make_unique<TMainForm>();
    main->resize(1200, 900);
    main->show();
    QApplication::processEvents();
}

} // namespace testpages
