// The abstract OpenGL rendering context: requested buffer depths and options, counted activation,
// display-list sharing and ownership of GL objects; the GL-object handles; the manager that keeps every
// live context; the registry of context classes; and the GL error check.
#pragma once

#include "BaseClasses.h"
#include "OpenGLImports.h"

#include <functional>
#include <mutex>
#include <vector>

class QSurface;

namespace engine3d {

E3D_EXCEPTION(EGLContext, Exception)
E3D_EXCEPTION(EOpenGLError, Exception)

enum TGLAntiAliasing : uint8_t { aaDefault, aaNone, aa2x, aa2xHQ, aa4x, aa4xHQ };

enum TGLRCOption : uint8_t { rcoDoubleBuffered, rcoStereo };
// A set of TGLRCOption, one bit each.
using TGLRCOptions = uint8_t;
constexpr TGLRCOptions RCOption(TGLRCOption option) {
    return static_cast<TGLRCOptions>(1u << option);
}

enum TGLContextAcceleration : uint8_t { chaUnknown, chaHardware, chaSoftware };

// Where a context draws: a window or an off-screen surface of the toolkit.
using TGLDeviceContext = QSurface*;

class TGLContextManager;
class TGLContextHandle;

class TGLContext : public TObject {
    E3D_DECLARE_CLASS(TGLContext)
public:
    TGLContext();
    // Derived classes destroy their native context in their own destructor.
    ~TGLContext() override;
    TGLContext(const TGLContext&) = delete;
    TGLContext& operator=(const TGLContext&) = delete;

    int ColorBits() const { return colorBits_; }
    int AlphaBits() const { return alphaBits_; }
    int DepthBits() const { return depthBits_; }
    int StencilBits() const { return stencilBits_; }
    int AccumBits() const { return accumBits_; }
    int AuxBuffers() const { return auxBuffers_; }
    TGLAntiAliasing AntiAliasing() const { return antiAliasing_; }
    TGLRCOptions Options() const { return options_; }
    // Each raises EGLContext "Cannot alter an active context" while the context is active.
    void SetColorBits(int bits);
    void SetAlphaBits(int bits);
    void SetDepthBits(int bits);
    void SetStencilBits(int bits);
    void SetAccumBits(int bits);
    void SetAuxBuffers(int count);
    void SetAntiAliasing(TGLAntiAliasing value);
    void SetOptions(TGLRCOptions options);

    TGLContextManager* Manager() const { return manager_; }
    void SetManager(TGLContextManager* manager) { manager_ = manager; }
    TGLContextAcceleration Acceleration() const { return acceleration_; }

    void CreateContext(TGLDeviceContext deviceContext);
    void CreateMemoryContext(TGLDeviceContext outputDevice, int width, int height, int bufferCount = 1);
    // Lists are shared from creation on: name the other context before creating this one; CreateContext
    // then records the sharing as ShareLists does.
    void RequestListSharing(TGLContext* other);
    TGLContext* RequestedListSharing() const { return sharingRequest_; }
    void ShareLists(TGLContext* other);
    void DestroyContext();

    void ContextActivate();
    void ContextDeactivate();
    bool ContextIsActive() const { return activationCount_ > 0; }
    void SetActive(bool active);
    int ActivationCount() const { return activationCount_; }

    virtual bool IsValid() const = 0;
    virtual void SwapBuffers() = 0;
    virtual TGLDeviceContext RenderOutputDevice() const = 0;

    const std::vector<TGLContext*>& SharedContexts() const { return sharedContexts_; }
    const std::vector<TGLContextHandle*>& OwnedHandles() const { return ownedHandles_; }

protected:
    virtual void DoCreateContext(TGLDeviceContext deviceContext) = 0;
    virtual void DoCreateMemoryContext(TGLDeviceContext outputDevice, int width, int height,
                                       int bufferCount) = 0;
    virtual void DoShareLists(TGLContext* other) = 0;
    virtual void DoDestroyContext() = 0;
    virtual void DoActivate() = 0;
    virtual void DoDeactivate() = 0;
    void SetAcceleration(TGLContextAcceleration value) { acceleration_ = value; }

private:
    friend class TGLContextHandle;
    void checkInactive() const;
    void propagateSharedContext();
    void afterCreation();
    int colorBits_ = 32;
    int alphaBits_ = 0;
    int depthBits_ = 0;
    int stencilBits_ = 0;
    int accumBits_ = 0;
    int auxBuffers_ = 0;
    TGLAntiAliasing antiAliasing_ = aaDefault;
    TGLRCOptions options_ = 0;
    TGLContextManager* manager_ = nullptr;
    TGLContextManager* registeredWith_ = nullptr;
    int activationCount_ = 0;
    std::vector<TGLContext*> sharedContexts_;
    std::vector<TGLContextHandle*> ownedHandles_;
    TGLContextAcceleration acceleration_ = chaUnknown;
    TGLContext* sharingRequest_ = nullptr;
};

using TGLContextClass = const TMetaClass*;

// A GL object name living in the context that was current when it was allocated.
class TGLContextHandle : public TObject {
    E3D_DECLARE_CLASS(TGLContextHandle)
public:
    TGLContextHandle() = default;
    // Derived classes release their GL object in their own destructor.
    ~TGLContextHandle() override;
    TGLContextHandle(const TGLContextHandle&) = delete;
    TGLContextHandle& operator=(const TGLContextHandle&) = delete;
    GLuint Handle() const { return handle_; }
    TGLContext* RenderingContext() const { return renderingContext_; }
    // Needs a current context and no GL name yet.
    void AllocateHandle();
    void HandleDestroy();
    // A transferable handle moves to a sharing context when its owner goes away.
    virtual bool Transferable() const { return true; }

protected:
    virtual GLuint DoAllocateHandle() = 0;
    virtual void DoDestroyHandle() = 0;

private:
    friend class TGLContext;
    TGLContext* renderingContext_ = nullptr;
    GLuint handle_ = 0;
};

class TGLVirtualHandle : public TGLContextHandle {
    E3D_DECLARE_CLASS(TGLVirtualHandle)
public:
    using TGLVirtualHandleEvent = std::function<void(TGLVirtualHandle* sender, GLuint& handle)>;
    ~TGLVirtualHandle() override;
    TGLVirtualHandleEvent OnAllocate;
    TGLVirtualHandleEvent OnDestroy;

protected:
    GLuint DoAllocateHandle() override;
    void DoDestroyHandle() override;
};

class TGLListHandle : public TGLContextHandle {
    E3D_DECLARE_CLASS(TGLListHandle)
public:
    ~TGLListHandle() override;

protected:
    GLuint DoAllocateHandle() override;
    void DoDestroyHandle() override;
};

class TGLTextureHandle : public TGLContextHandle {
    E3D_DECLARE_CLASS(TGLTextureHandle)
public:
    ~TGLTextureHandle() override;

protected:
    GLuint DoAllocateHandle() override;
    void DoDestroyHandle() override;
};

// Keeps every live context under a lock (the only lock of the engine).
class TGLContextManager : public TObject {
    E3D_DECLARE_CLASS(TGLContextManager)
public:
    void Lock() { lock_.lock(); }
    void Unlock() { lock_.unlock(); }
    int ContextCount();
    // Raises EGLContext "Invalid context registration" for a context already listed (or not listed).
    void RegisterContext(TGLContext* context);
    void UnregisterContext(TGLContext* context);
    void ContextCreatedBy(TGLContext* context);
    void DestroyingContextBy(TGLContext* context);
    int CreatedContextCount();
    // At program end: frees the manager once no context is left.
    void Terminate();
    bool Terminated() const { return terminated_; }

private:
    std::mutex lock_;
    std::vector<TGLContext*> contexts_;
    bool terminated_ = false;
    int createdContextCount_ = 0;
};

// The global manager, created by InitGLContext (on first use).
TGLContextManager* GLContextManager();
void InitGLContext();

TGLContext* CurrentGLContext();

// Set by a host that wants GL errors drained but not raised.
extern bool vIgnoreOpenGLErrors;
// Enables destroying a context early when its window is about to lose its surface.
extern bool vUseWindowTrackingHook;

// Raises EOpenGLError with the GLU text of the first pending error, after draining the others.
void CheckGLError();
void ClearGLErrors();

void RegisterContextClass(TGLContextClass contextClass);
// nullptr when no class is registered; else a new context of the first registered class.
TGLContext* CreateRegisteredContext(TGLContextManager* manager = nullptr);

// The unit's shut-down: the global manager ends (at once, or when its last context goes).
void FinalizeGLContext();

} // namespace engine3d
