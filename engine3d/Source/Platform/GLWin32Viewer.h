// The window control that shows a scene: it owns a scene buffer, renders it whenever the toolkit asks
// the control to paint, and keeps the buffer's viewport on the control's size.
#pragma once

#include "GL3DScene.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace engine3d {

enum TVSyncMode : uint8_t { vsmSync, vsmNoSync };

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
using TShiftState = Qt::KeyboardModifiers;
using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

// The buffer renders off the screen, into a memory context of the control's own, and the control paints
// the frame it reads back as it paints any picture: no window of its own is made and nothing else of the
// program is drawn through OpenGL, so the control draws alike on every window system and at every scale,
// and a driver needs no more than OpenGL 1.1. A frame is rendered when one is asked for or the control's
// size or pixel ratio changed; other repaints show the frame kept. Without OpenGL, and while a failure is
// shown, the control says why in words.
class TGL3DSceneViewer : public QWidget {
public:
    explicit TGL3DSceneViewer(QWidget* parent = nullptr);
    ~TGL3DSceneViewer() override;
    TGL3DSceneViewer(const TGL3DSceneViewer&) = delete;
    TGL3DSceneViewer& operator=(const TGL3DSceneViewer&) = delete;

    TGL3DSceneBuffer* Buffer() const { return buffer_.get(); }
    // Takes the given buffer's settings.
    void SetBuffer(const TGL3DSceneBuffer* value) { buffer_->Assign(value); }
    TGLCamera* Camera() const { return buffer_->Camera(); }
    void SetCamera(TGLCamera* camera) { buffer_->SetCamera(camera); }
    // Kept for the forms that set it; frames read back are never presented, so nothing waits for the
    // screen's refresh.
    TVSyncMode VSync() const { return vsync_; }
    void SetVSync(TVSyncMode value);
    // Degrees over the smaller of width and height; 0 without a camera.
    float FieldOfView() const;
    void SetFieldOfView(float value);
    bool OpenGLAvailable() const { return openGLAvailable_; }
    bool MouseInControl() const { return mouseInControl_; }
    // Creates the context at once, as after loading a form, so that a failure to make one is known (and
    // its words have room) before the control is first shown.
    void Loaded();
    // The buffer's context can be had between context creation and destruction.
    bool RCInstantiated() const { return buffer_->RCInstantiated(); }
    // The last failure of a paint, an event handler or context creation, shown to the user in place of a
    // frame until a later frame renders; without OpenGL, why there is none.
    const QString& LastError() const { return lastError_; }
    // Asks for one frame, rendered at the next paint.
    void Invalidate();
    // Renders a frame and answers it as drawn, or, while a message stands in its place, the message as
    // shown; its device pixel ratio is the control's.
    QImage grabFramebuffer();
    // While words are shown, room to read them whole at the control's designed width; none otherwise.
    QSize minimumSizeHint() const override;

    TNotifyEvent& BeforeRender() { return buffer_->BeforeRender; }
    TNotifyEvent& PostRender() { return buffer_->PostRender; }
    TNotifyEvent& AfterRender() { return buffer_->AfterRender; }
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    // The words shown changed (a message came, went or says something else): the form may give them room.
    TNotifyEvent OnMessageChange;

    // The viewer as an engine object, the sender of its events.
    TObject* Sender() { return &senderObject_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    friend class TGLViewerContext;
    void createRC();
    void destroyRC();
    // The control's size in device pixels at its present pixel ratio.
    QSize deviceSize() const;
    // Gives the buffer and its surface the control's size and pixel ratio.
    void resizeBuffer();
    // Renders one frame and keeps what it reads back; a failure becomes the message shown instead.
    void renderFrame();
    void bufferChanged();
    void bufferStructuralChanged();
    void beforeRender();
    void showError(const QString& text);
    void setMessage(const QString& text);
    // The one guard of an event handler: a failure shows in the control instead of leaving the event.
    void guarded(const std::function<void()>& handler);

    struct SenderObject : TObject {
        TGL3DSceneViewer* viewer = nullptr;
    } senderObject_;
    std::unique_ptr<TGL3DSceneBuffer> buffer_;
    TVSyncMode vsync_ = vsmNoSync;
    bool mouseInControl_ = false;
    bool openGLAvailable_ = true;
    bool pressed_ = false;
    QString lastError_;
    // Set by a failure that no frame has shown yet.
    bool errorUnseen_ = false;
    // The last frame read back, at the pixel ratio it was rendered for.
    QImage frame_;
    // A frame was asked for since the last one rendered.
    bool frameStale_ = true;
};

// The control's entry in the class registry; it is made by the toolkit, so the entry has no factory.
const TMetaClass& SceneViewerClass();
void InitGLWin32Viewer();

} // namespace engine3d
