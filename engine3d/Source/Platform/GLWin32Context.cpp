#include "GLWin32Context.h"

#include <QEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QPlatformSurfaceEvent>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace engine3d {

namespace {

// ---- Window-destroy hook ----------------------------------------------------------------------------

struct WindowDestroyRegistration {
    QWindow* window;
    std::function<void()> method;
};

class WindowDestroyHook : public QObject {
public:
    std::vector<WindowDestroyRegistration> registrations;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed) {
            // Methods may unregister while they run, so the matching ones are taken first, last first.
            std::vector<std::function<void()>> methods;
            for (auto it = registrations.rbegin(); it != registrations.rend(); ++it)
                if (it->window == watched) methods.push_back(it->method);
            for (auto& method : methods)
                method();
        }
        return false;
    }
};

WindowDestroyHook* vWindowDestroyHook = nullptr;

// Keeps the toolkit's current context across a temporary switch.
class NativeCurrentKeeper {
public:
    NativeCurrentKeeper()
        : context_(QOpenGLContext::currentContext()), surface_(context_ ? context_->surface() : nullptr) {}
    ~NativeCurrentKeeper() {
        if (context_ && surface_)
            context_->makeCurrent(surface_);
        else if (QOpenGLContext* now = QOpenGLContext::currentContext())
            now->doneCurrent();
    }

private:
    QOpenGLContext* context_;
    QSurface* surface_;
};

QOpenGLContext* vLastPixelFormat = nullptr;
std::string vLastVendor;

QSurfaceFormat formatFor(int colorBits, int alphaBits, int depthBits, int stencilBits, int samples,
                         bool doubleBuffered, bool stereo) {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    int red = 8, green = 8, blue = 8;
    if (colorBits >= 64) {
        red = green = blue = colorBits / 4;
    } else if (colorBits < 24) {
        red = blue = 5;
        green = 6;
    }
    format.setRedBufferSize(red);
    format.setGreenBufferSize(green);
    format.setBlueBufferSize(blue);
    format.setAlphaBufferSize(alphaBits > 0 ? alphaBits : 0);
    format.setDepthBufferSize(depthBits > 0 ? depthBits : 0);
    format.setStencilBufferSize(stencilBits > 0 ? stencilBits : 0);
    format.setSamples(samples);
    format.setSwapBehavior(doubleBuffered ? QSurfaceFormat::DoubleBuffer : QSurfaceFormat::SingleBuffer);
    format.setStereo(stereo);
    return format;
}

// The size of a framebuffer object that holds a surface of the given size in the current context: a driver
// without textures of any size takes only powers of two, of which the surface uses the lower left part.
QSize framebufferSizeFor(QSize surface) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (context && context->functions()->hasOpenGLFeature(QOpenGLFunctions::NPOTTextures)) return surface;
    const auto powerOfTwo = [](int n) {
        int p = 1;
        while (p < n && p < (1 << 30))
            p <<= 1;
        return p;
    };
    return {powerOfTwo(surface.width()), powerOfTwo(surface.height())};
}

int samplesFor(TGLAntiAliasing antiAliasing) {
    switch (antiAliasing) {
    case aaNone:
        return 0;
    case aa2x:
    case aa2xHQ:
        return 2;
    case aa4x:
    case aa4xHQ:
        return 4;
    default:
        return -1;
    }
}

} // namespace

void RegisterWindowDestroyHook(QWindow* window, std::function<void()> method) {
    if (!window) return;
    if (!vWindowDestroyHook) vWindowDestroyHook = new WindowDestroyHook();
    auto& list = vWindowDestroyHook->registrations;
    bool watched = std::any_of(list.begin(), list.end(), [&](const auto& r) { return r.window == window; });
    if (!watched) window->installEventFilter(vWindowDestroyHook);
    list.push_back({window, std::move(method)});
}

void UnregisterWindowDestroyHook(QWindow* window) {
    if (!window || !vWindowDestroyHook) return;
    auto& list = vWindowDestroyHook->registrations;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& r) { return r.window == window; }),
               list.end());
    window->removeEventFilter(vWindowDestroyHook);
    if (list.empty()) {
        delete vWindowDestroyHook;
        vWindowDestroyHook = nullptr;
    }
}

// ---- Context ----------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLWin32Context, TGLContext)

TGLWin32Context::TGLWin32Context() = default;

TGLWin32Context::~TGLWin32Context() {
    try {
        if (IsValid()) DestroyContext();
    } catch (const std::exception&) {
        // A context going away cannot report; its native objects are released below all the same.
    }
    if (trackedWindow_) UnregisterWindowDestroyHook(trackedWindow_);
    framebuffer_.reset();
    delete context_;
    memoryWindow_.reset();
}

bool TGLWin32Context::IsValid() const {
    return context_ != nullptr && context_->isValid();
}

QSurfaceFormat TGLWin32Context::RequestedFormat() const {
    return formatFor(ColorBits(), AlphaBits(), DepthBits(), StencilBits(), samplesFor(AntiAliasing()),
                     Options() & RCOption(rcoDoubleBuffered), Options() & RCOption(rcoStereo));
}

std::vector<QSurfaceFormat> TGLWin32Context::FormatCandidates() const {
    bool doubleBuffered = Options() & RCOption(rcoDoubleBuffered);
    bool stereo = Options() & RCOption(rcoStereo);
    int samples = samplesFor(AntiAliasing());
    std::vector<QSurfaceFormat> candidates = {RequestedFormat()};
    auto add = [&](int colorBits, int depthBits) {
        QSurfaceFormat f =
            formatFor(colorBits, AlphaBits(), depthBits, StencilBits(), samples, doubleBuffered, stereo);
        if (std::find(candidates.begin(), candidates.end(), f) == candidates.end()) candidates.push_back(f);
    };
    // Relaxed in this order, each step tested on the fields rather than on the values already tried.
    if (AntiAliasing() != aaDefault) samples = -1;
    int colorBits = ColorBits(), depthBits = DepthBits();
    if (DepthBits() >= 32) add(colorBits, depthBits = 24);
    if (DepthBits() >= 24) add(colorBits, depthBits = 16);
    if (ColorBits() >= 24) add(colorBits = 16, depthBits);
    add(ColorBits(), DepthBits());
    return candidates;
}

void TGLWin32Context::checkSupportedBuffers() const {
    if (AccumBits() > 0) throw EGLContext("Accumulation buffers are not supported on this platform");
    if (AuxBuffers() > 0) throw EGLContext("Auxiliary buffers are not supported on this platform");
}

void TGLWin32Context::createNativeContext(const std::vector<QSurfaceFormat>& candidates,
                                          const std::function<bool(const QSurfaceFormat&)>& prepareSurface) {
    QOpenGLContext* shareWith = nullptr;
    if (auto* other = dynamic_cast<TGLWin32Context*>(RequestedListSharing())) shareWith = other->context_;
    for (const QSurfaceFormat& format : candidates) {
        if (!prepareSurface(format)) continue;
        auto* context = new QOpenGLContext();
        context->setFormat(format);
        if (shareWith) context->setShareContext(shareWith);
        if (context->create() && context->makeCurrent(surface_)) {
            context_ = context;
            readAcceleration();
            return;
        }
        delete context;
    }
    throw EGLContext("Could not create an OpenGL context with the requested pixel format");
}

void TGLWin32Context::readAcceleration() {
    const GLubyte* renderer = glGetString(GL_RENDERER);
    std::string name = renderer ? reinterpret_cast<const char*>(renderer) : "";
    bool software = name.find("llvmpipe") != std::string::npos ||
                    name.find("softpipe") != std::string::npos ||
                    name.find("Software") != std::string::npos || name.find("swrast") != std::string::npos;
    SetAcceleration(software ? chaSoftware : chaHardware);
}

void TGLWin32Context::DoCreateContext(TGLDeviceContext deviceContext) {
    if (!deviceContext) throw EGLContext("No surface to create the context on");
    checkSupportedBuffers();
    NativeCurrentKeeper keeper;
    surface_ = deviceContext;
    auto* window = dynamic_cast<QWindow*>(deviceContext);
    // A window's pixel format is fixed once its native window exists: the context takes that one.
    const std::vector<QSurfaceFormat> candidates =
        window && window->handle() ? std::vector<QSurfaceFormat>{window->format()} : FormatCandidates();
    try {
        createNativeContext(candidates, [&](const QSurfaceFormat& format) {
            if (window) {
                // A window's pixel format is fixed when its native window is made.
                if (!window->handle()) {
                    window->setSurfaceType(QSurface::OpenGLSurface);
                    window->setFormat(format);
                    window->create();
                }
                return window->handle() != nullptr;
            }
            return deviceContext->supportsOpenGL();
        });
    } catch (...) {
        surface_ = nullptr;
        throw;
    }
    if (window && vUseWindowTrackingHook) {
        trackedWindow_ = window;
        RegisterWindowDestroyHook(window, [this]() {
            if (IsValid()) DestroyContext();
        });
    }
}

void TGLWin32Context::releaseNative() {
    framebuffer_.reset();
    if (context_) context_->doneCurrent();
    delete context_;
    context_ = nullptr;
    surface_ = nullptr;
    offscreen_.reset();
    memoryWindow_.reset();
}

void TGLWin32Context::DoCreateMemoryContext(TGLDeviceContext, int width, int height, int) {
    checkSupportedBuffers();
    NativeCurrentKeeper keeper;
    createNativeContext(FormatCandidates(), [&](const QSurfaceFormat& format) {
        offscreen_ = std::make_unique<QOffscreenSurface>();
        offscreen_->setFormat(format);
        offscreen_->create();
        surface_ = offscreen_.get();
        return offscreen_->isValid();
    });
    if (width <= 0 || height <= 0) {
        releaseNative();
        throw Exception("Unabled to create pbuffer.");
    }
    if (QOpenGLFramebufferObject::hasOpenGLFramebufferObjects()) {
        memorySize_ = QSize(width, height);
        QOpenGLFramebufferObjectFormat fboFormat;
        fboFormat.setAttachment(DepthBits() > 0 || StencilBits() > 0
                                    ? QOpenGLFramebufferObject::CombinedDepthStencil
                                    : QOpenGLFramebufferObject::NoAttachment);
        framebuffer_ = std::make_unique<QOpenGLFramebufferObject>(framebufferSizeFor(memorySize_), fboFormat);
        if (!framebuffer_->isValid()) {
            releaseNative();
            throw Exception("Unabled to create pbuffer.");
        }
        ClearGLErrors();
        framebuffer_->release();
        context_->doneCurrent();
        return;
    }
    // Without framebuffer objects the frame is drawn into the back buffer of a window that is never shown
    // (and never swapped), as large as asked; the context is made anew on that window's own format.
    releaseNative();
    std::vector<QSurfaceFormat> candidates = FormatCandidates();
    for (QSurfaceFormat& format : candidates)
        format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    try {
        createNativeContext(candidates, [&](const QSurfaceFormat& format) {
            memoryWindow_ = std::make_unique<QWindow>();
            memoryWindow_->setSurfaceType(QSurface::OpenGLSurface);
            memoryWindow_->setFormat(format);
            const qreal ratio = memoryWindow_->devicePixelRatio();
            memoryWindow_->resize(int(std::ceil(width / ratio)), int(std::ceil(height / ratio)));
            memoryWindow_->create();
            surface_ = memoryWindow_.get();
            return memoryWindow_->handle() != nullptr;
        });
    } catch (const std::exception&) {
        releaseNative();
        throw Exception("WGL_ARB_pbuffer support required.");
    }
    ClearGLErrors();
    context_->doneCurrent();
}

bool TGLWin32Context::ResizeMemorySurface(int width, int height) {
    if (framebuffer_) {
        memorySize_ = QSize(std::max(width, 1), std::max(height, 1));
        return true;
    }
    if (!memoryWindow_) return false;
    const QSize pixels = memoryWindow_->size() * memoryWindow_->devicePixelRatio();
    return pixels.width() >= width && pixels.height() >= height;
}

QImage TGLWin32Context::ReadMemorySurface(int width, int height) const {
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGBA8888);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // A framebuffer object reads from its own colour buffer; a hidden window from the back buffer that is
    // never presented.
    if (!framebuffer_) glReadBuffer(GL_BACK);
    glReadPixels(0, 0, image.width(), image.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    // OpenGL counts rows from the bottom; the alpha the scene leaves is not part of the picture.
    image.mirror();
    image.convertTo(QImage::Format_RGBX8888);
    return image;
}

void TGLWin32Context::DoShareLists(TGLContext* other) {
    auto* native = dynamic_cast<TGLWin32Context*>(other);
    if (!native) throw Exception("Incompatible contexts");
    if (!native->context_) throw EGLContext("Context not created");
    if (native->context_ != context_ && !QOpenGLContext::areSharing(context_, native->context_))
        throw EGLContext("Lists are shared only between contexts created sharing them");
}

void TGLWin32Context::DoDestroyContext() {
    if (trackedWindow_) {
        UnregisterWindowDestroyHook(trackedWindow_);
        trackedWindow_ = nullptr;
    }
    if (framebuffer_) {
        NativeCurrentKeeper keeper;
        context_->makeCurrent(surface_);
        framebuffer_.reset();
    }
    if (vLastPixelFormat == context_) vLastPixelFormat = nullptr;
    delete context_;
    context_ = nullptr;
    offscreen_.reset();
    memoryWindow_.reset();
    surface_ = nullptr;
}

void TGLWin32Context::DoActivate() {
    if (!context_->makeCurrent(surface_))
        throw EGLContext(
            FormatMessage("Context activation failed: %X, %s", {"0", "the surface cannot be made current"}));
    if (framebuffer_) {
        const QSize wanted = framebufferSizeFor(memorySize_);
        if (framebuffer_->size() != wanted || !framebuffer_->isValid()) {
            // The old object goes first, so that both are never held at once.
            const QOpenGLFramebufferObjectFormat fboFormat = framebuffer_->format();
            framebuffer_.reset();
            framebuffer_ = std::make_unique<QOpenGLFramebufferObject>(wanted, fboFormat);
            if (!framebuffer_->isValid()) {
                context_->doneCurrent();
                throw Exception("Unabled to create pbuffer.");
            }
        }
        framebuffer_->bind();
    }
    if (vLastPixelFormat != context_) {
        const GLubyte* vendorText = glGetString(GL_VENDOR);
        std::string vendor = vendorText ? reinterpret_cast<const char*>(vendorText) : "";
        if (vendor != vLastVendor) {
            ReadGLExtensions();
            vLastVendor = vendor;
        }
        vLastPixelFormat = context_;
    }
    if ((AntiAliasing() == aa2xHQ || AntiAliasing() == aa4xHQ) && GLExtensions.ARB_multisample &&
        GLExtensions.NV_multisample_filter_hint)
        glHint(GL_MULTISAMPLE_FILTER_HINT_NV, GL_NICEST);
}

void TGLWin32Context::DoDeactivate() {
    if (framebuffer_) framebuffer_->release();
    context_->doneCurrent();
}

void TGLWin32Context::SwapBuffers() {
    if (context_ && surface_ && !IsMemoryContext() && (Options() & RCOption(rcoDoubleBuffered)) &&
        surface_->surfaceClass() == QSurface::Window)
        context_->swapBuffers(surface_);
}

void InitGLWin32Context() {
    RegisterContextClass(&TGLWin32Context::StaticClass());
}

} // namespace engine3d
