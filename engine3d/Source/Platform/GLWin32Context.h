// The platform rendering context: OpenGL contexts of the toolkit on its windows and off-screen surfaces.
// A requested format that cannot be had is relaxed step by step; memory contexts draw into a framebuffer
// object on an off-screen surface or, where the driver has no framebuffer objects, into the back buffer of
// a window that is never shown.
#pragma once

#include "GLContext.h"

#include <QImage>
#include <QSize>
#include <QSurfaceFormat>

#include <functional>
#include <memory>

class QOpenGLContext;
class QOffscreenSurface;
class QOpenGLFramebufferObject;
class QWindow;

namespace engine3d {

class TGLWin32Context : public TGLContext {
    E3D_DECLARE_CLASS(TGLWin32Context)
public:
    TGLWin32Context();
    ~TGLWin32Context() override;
    bool IsValid() const override;
    // Presents the back buffer of a double-buffered window context; nothing otherwise.
    void SwapBuffers() override;
    TGLDeviceContext RenderOutputDevice() const override { return surface_; }
    QOpenGLContext* NativeContext() const { return context_; }
    // The memory context's framebuffer object (nullptr for a window context, and for a memory context
    // drawn into a hidden window).
    QOpenGLFramebufferObject* Framebuffer() const { return framebuffer_.get(); }
    // Whether this is a memory context.
    bool IsMemoryContext() const { return framebuffer_ || memoryWindow_; }
    // Gives a memory context a surface of the given size in pixels; it takes effect at the next
    // activation. Answers false where the surface cannot grow in this context (a hidden window smaller than
    // asked), which then wants a context made anew at the size.
    bool ResizeMemorySurface(int width, int height);
    // The pixels of the memory surface's lower left width x height, top row first, while the context is
    // active.
    QImage ReadMemorySurface(int width, int height) const;
    // The format asked for by the fields, before any relaxation.
    QSurfaceFormat RequestedFormat() const;
    // The formats tried in turn until one can be had: the request, then the relaxed ones.
    std::vector<QSurfaceFormat> FormatCandidates() const;

protected:
    void DoCreateContext(TGLDeviceContext deviceContext) override;
    void DoCreateMemoryContext(TGLDeviceContext outputDevice, int width, int height,
                               int bufferCount) override;
    void DoShareLists(TGLContext* other) override;
    void DoDestroyContext() override;
    void DoActivate() override;
    void DoDeactivate() override;

private:
    void checkSupportedBuffers() const;
    void createNativeContext(const std::vector<QSurfaceFormat>& candidates,
                             const std::function<bool(const QSurfaceFormat&)>& prepareSurface);
    void readAcceleration();
    void releaseNative();
    QOpenGLContext* context_ = nullptr;
    QSurface* surface_ = nullptr;
    QWindow* trackedWindow_ = nullptr;
    std::unique_ptr<QOffscreenSurface> offscreen_;
    std::unique_ptr<QOpenGLFramebufferObject> framebuffer_;
    std::unique_ptr<QWindow> memoryWindow_;
    // The size asked of the framebuffer object, made at the next activation.
    QSize memorySize_;
};

// Calls method before window (or an ancestor) loses its native surface; ignored for a null window.
void RegisterWindowDestroyHook(QWindow* window, std::function<void()> method);
void UnregisterWindowDestroyHook(QWindow* window);

void InitGLWin32Context();

} // namespace engine3d
