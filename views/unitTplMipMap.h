#pragma once
// The mip-map viewer: the texture's colour image, or its alpha image, drawn through the 3D engine. Space
// switches between the two; the mouse wheel steps through the other textures of the same page.
#include <QSize>
#include <memory>
#include <string>

#include "PRPForms.h"
#include "PRPTexture.h"
#include "UserTempFolder.h"

class QLabel;
class QScrollArea;

namespace engine3d {
class TGL3DScene;
class TGL3DSceneViewer;
class TGLCamera;
class TGLHUDSprite;
} // namespace engine3d

class TfrmTplMipMap : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplMipMap(QWidget* parent = nullptr);
    ~TfrmTplMipMap() override;
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    void FormResize();
    // Only the space key does something.
    void FormKeyDown(int key);
    // Next texture of the page (wrapping to the first); FormMouseWheelUp the previous one.
    void FormMouseWheelDown();
    void FormMouseWheelUp();
    void FormClose();

    // The viewer's top edge: below the tool strip.
    static constexpr int kViewerTop = 24;
    // Largest client size a loaded texture sets.
    static constexpr int kMaxClient = 512;
    static constexpr int kMinClient = 64;

    QScrollArea* ScrollBox = nullptr;
    QWidget* Content = nullptr; // scrolled: the tool strip and the viewer
    QWidget* ToolStrip = nullptr;
    QLabel* MipLvl = nullptr;
    QLabel* IMode = nullptr;
    engine3d::TGL3DSceneViewer* GL3DSceneViewer = nullptr;
    std::unique_ptr<engine3d::TGL3DScene> GL3DScene;
    engine3d::TGLCamera* GLCamera = nullptr;
    engine3d::TGLHUDSprite* ImageSprite = nullptr;
    engine3d::TGLHUDSprite* AlphaSprite = nullptr;

    std::string ColorFileName;
    std::string AlphaFileName;
    TBitmapHeader Header;
    TPRPTexture Texture;
    // The class-4 group of the page the object came from; Count 0 until one is found. The wheel takes it
    // anew from its page while that is loaded, and keeps this copy once another page is loaded instead.
    TPRPFolder Folder;
    // This window's own folder of temporary image files; empty when it could not be made.
    QString TempFolder() const { return tempDir_.Path(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void stepTexture(int step);
    // The class-4 group of this texture's page among the loaded pages, if it has one; pageLoaded tells
    // whether the page itself is loaded.
    const TPRPFolder* loadedTextures(bool& pageLoaded) const;
    void setClientSize(int width, int height);
    // Sizes the drawing to the picture, or to the room its words need while it shows words, and the
    // window to the drawing.
    void fitToPicture();
    void askToClose();
    // "Error loading image." with the reason below it, when there is one to tell; then the window closes.
    void failLoading(const QString& reason);
    bool handleWheel(QWheelEvent* event);
    TPrivateTempFolder tempDir_;
    int wheelRemainder_ = 0;
    // The picture's size in the control's pixels.
    QSize pictureSize_;
};
