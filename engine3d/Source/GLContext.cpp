#include "GLContext.h"

#include "GLWin32Context.h"

#include <algorithm>

namespace engine3d {

bool vIgnoreOpenGLErrors = false;
bool vUseWindowTrackingHook = true;

namespace {

thread_local TGLContext* vCurrentGLContext = nullptr;
TGLContextManager* vGLContextManager = nullptr;

std::vector<TGLContextClass>& contextClasses() {
    static std::vector<TGLContextClass> classes;
    return classes;
}

template <class T> void removeFrom(std::vector<T*>& list, const T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

template <class T> bool contains(const std::vector<T*>& list, const T* item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// Takes the current context out of the way (whatever its activation count) and brings it back later.
class CurrentContextSwap {
public:
    explicit CurrentContextSwap(TGLContext* keep)
        : saved_(vCurrentGLContext != keep ? vCurrentGLContext : nullptr) {
        if (saved_) {
            count_ = saved_->ActivationCount();
            for (int i = 0; i < count_; ++i)
                saved_->ContextDeactivate();
        }
    }
    ~CurrentContextSwap() noexcept(false) {
        if (saved_ && saved_->IsValid())
            for (int i = 0; i < count_; ++i)
                saved_->ContextActivate();
    }

private:
    TGLContext* saved_;
    int count_ = 0;
};

} // namespace

TGLContext* CurrentGLContext() {
    return vCurrentGLContext;
}

void ClearGLErrors() {
    for (int i = 0; i < 7 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

void CheckGLError() {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) return;
    ClearGLErrors();
    if (!vIgnoreOpenGLErrors) {
        const GLubyte* text = gluErrorString(error);
        throw EOpenGLError(text ? reinterpret_cast<const char*>(text)
                                : "OpenGL error " + std::to_string(error));
    }
}

void RegisterContextClass(TGLContextClass contextClass) {
    if (contextClass &&
        std::find(contextClasses().begin(), contextClasses().end(), contextClass) == contextClasses().end())
        contextClasses().push_back(contextClass);
}

TGLContext* CreateRegisteredContext(TGLContextManager* manager) {
    if (contextClasses().empty()) return nullptr;
    auto* context = dynamic_cast<TGLContext*>(contextClasses().front()->Create());
    if (context && manager) context->SetManager(manager);
    return context;
}

// ---- Context ----------------------------------------------------------------------------------------

E3D_DEFINE_ABSTRACT_CLASS(TGLContext, TObject)

TGLContext::TGLContext() {
    manager_ = GLContextManager();
    registeredWith_ = manager_;
    registeredWith_->RegisterContext(this);
}

TGLContext::~TGLContext() {
    if (vCurrentGLContext == this) vCurrentGLContext = nullptr;
    for (TGLContextHandle* handle : ownedHandles_) {
        handle->renderingContext_ = nullptr;
        handle->handle_ = 0;
    }
    for (TGLContext* other : sharedContexts_)
        if (other != this) removeFrom(other->sharedContexts_, this);
    try {
        registeredWith_->UnregisterContext(this);
    } catch (const EGLContext&) {
        // Nothing may leave a destructor; a context always registered itself in its constructor.
    }
}

void TGLContext::checkInactive() const {
    if (activationCount_ > 0) throw EGLContext("Cannot alter an active context");
}

void TGLContext::SetColorBits(int bits) {
    checkInactive();
    colorBits_ = bits;
}
void TGLContext::SetAlphaBits(int bits) {
    checkInactive();
    alphaBits_ = bits;
}
void TGLContext::SetDepthBits(int bits) {
    checkInactive();
    depthBits_ = bits;
}
void TGLContext::SetStencilBits(int bits) {
    checkInactive();
    stencilBits_ = bits;
}
void TGLContext::SetAccumBits(int bits) {
    checkInactive();
    accumBits_ = bits;
}
void TGLContext::SetAuxBuffers(int count) {
    checkInactive();
    auxBuffers_ = count;
}
void TGLContext::SetAntiAliasing(TGLAntiAliasing value) {
    checkInactive();
    antiAliasing_ = value;
}
void TGLContext::SetOptions(TGLRCOptions options) {
    checkInactive();
    options_ = options;
}

void TGLContext::RequestListSharing(TGLContext* other) {
    if (IsValid()) throw EGLContext("Context already created");
    sharingRequest_ = other != this ? other : nullptr;
}

void TGLContext::afterCreation() {
    if (!contains(sharedContexts_, this)) sharedContexts_.push_back(this);
    if (manager_) manager_->ContextCreatedBy(this);
    if (sharingRequest_ && sharingRequest_->IsValid()) ShareLists(sharingRequest_);
}

void TGLContext::CreateContext(TGLDeviceContext deviceContext) {
    if (IsValid()) throw EGLContext("Context already created");
    acceleration_ = chaUnknown;
    DoCreateContext(deviceContext);
    afterCreation();
}

void TGLContext::CreateMemoryContext(TGLDeviceContext outputDevice, int width, int height, int bufferCount) {
    if (IsValid()) throw EGLContext("Context already created");
    acceleration_ = chaUnknown;
    DoCreateMemoryContext(outputDevice, width, height, bufferCount);
    afterCreation();
}

void TGLContext::ContextActivate() {
    if (activationCount_ == 0) {
        if (!IsValid()) throw EGLContext("Context not created");
        DoActivate();
        vCurrentGLContext = this;
    } else {
        GLAssert(vCurrentGLContext == this, "");
    }
    ++activationCount_;
}

void TGLContext::ContextDeactivate() {
    // Checked before anything changes, so an unbalanced call leaves the context as it was.
    if (activationCount_ <= 0) throw EGLContext("Unbalanced context activations");
    GLAssert(vCurrentGLContext == this, "");
    if (activationCount_ == 1) {
        if (!IsValid()) throw EGLContext("Context not created");
        DoDeactivate();
        vCurrentGLContext = nullptr;
    }
    --activationCount_;
}

void TGLContext::SetActive(bool active) {
    while (ContextIsActive() != active) {
        if (active)
            ContextActivate();
        else
            ContextDeactivate();
    }
}

void TGLContext::propagateSharedContext() {
    for (TGLContext* other : sharedContexts_)
        if (other != this) other->sharedContexts_ = sharedContexts_;
}

void TGLContext::ShareLists(TGLContext* other) {
    if (!IsValid()) throw EGLContext("Context not created");
    if (!other || contains(sharedContexts_, other)) return;
    DoShareLists(other);
    sharedContexts_.push_back(other);
    propagateSharedContext();
}

void TGLContext::DestroyContext() {
    {
        CurrentContextSwap swap(this);
        ContextActivate();
        TGLContext* sharing = nullptr;
        for (TGLContext* other : sharedContexts_)
            if (other != this) {
                sharing = other;
                break;
            }
        for (size_t i = ownedHandles_.size(); i-- > 0;) {
            TGLContextHandle* handle = ownedHandles_[i];
            if (sharing && handle->Transferable()) {
                handle->renderingContext_ = sharing;
                sharing->ownedHandles_.push_back(handle);
            } else {
                handle->DoDestroyHandle();
                handle->handle_ = 0;
                handle->renderingContext_ = nullptr;
            }
        }
        ownedHandles_.clear();
        if (manager_) manager_->DestroyingContextBy(this);
        removeFrom(sharedContexts_, static_cast<const TGLContext*>(this));
        propagateSharedContext();
        sharedContexts_.clear();
        SetActive(false);
        DoDestroyContext();
    }
    acceleration_ = chaUnknown;
}

// ---- Handles ----------------------------------------------------------------------------------------

E3D_DEFINE_ABSTRACT_CLASS(TGLContextHandle, TObject)

TGLContextHandle::~TGLContextHandle() {
    // Derived classes have released the GL object; only the owner's list may still name this handle.
    if (renderingContext_) removeFrom(renderingContext_->ownedHandles_, this);
}

void TGLContextHandle::AllocateHandle() {
    GLAssert(handle_ == 0, "");
    GLAssert(vCurrentGLContext != nullptr, "");
    handle_ = DoAllocateHandle();
    if (handle_ != 0) {
        renderingContext_ = vCurrentGLContext;
        renderingContext_->ownedHandles_.push_back(this);
    }
}

void TGLContextHandle::HandleDestroy() {
    if (handle_ == 0) return;
    TGLContext* owner = renderingContext_;
    if (owner) {
        removeFrom(owner->ownedHandles_, this);
        TGLContext* current = vCurrentGLContext;
        if (current == owner || (current && contains(owner->sharedContexts_, current))) {
            DoDestroyHandle();
        } else if (owner->IsValid()) {
            CurrentContextSwap swap(owner);
            owner->ContextActivate();
            DoDestroyHandle();
            owner->ContextDeactivate();
        }
    }
    renderingContext_ = nullptr;
    handle_ = 0;
}

E3D_DEFINE_CLASS(TGLVirtualHandle, TGLContextHandle)

TGLVirtualHandle::~TGLVirtualHandle() {
    HandleDestroy();
}

GLuint TGLVirtualHandle::DoAllocateHandle() {
    GLuint name = 0;
    if (OnAllocate) OnAllocate(this, name);
    return name;
}

void TGLVirtualHandle::DoDestroyHandle() {
    ClearGLErrors();
    if (OnDestroy) {
        GLuint name = Handle();
        OnDestroy(this, name);
    }
    CheckGLError();
}

E3D_DEFINE_CLASS(TGLListHandle, TGLContextHandle)

TGLListHandle::~TGLListHandle() {
    HandleDestroy();
}

GLuint TGLListHandle::DoAllocateHandle() {
    return glGenLists(1);
}

void TGLListHandle::DoDestroyHandle() {
    ClearGLErrors();
    glDeleteLists(Handle(), 1);
    CheckGLError();
}

E3D_DEFINE_CLASS(TGLTextureHandle, TGLContextHandle)

TGLTextureHandle::~TGLTextureHandle() {
    HandleDestroy();
}

GLuint TGLTextureHandle::DoAllocateHandle() {
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
}

void TGLTextureHandle::DoDestroyHandle() {
    glGetError();
    GLuint name = Handle();
    if (glIsTexture(name)) glDeleteTextures(1, &name);
    CheckGLError();
}

// ---- Manager ----------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLContextManager, TObject)

int TGLContextManager::ContextCount() {
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(contexts_.size());
}

void TGLContextManager::RegisterContext(TGLContext* context) {
    std::lock_guard<std::mutex> guard(lock_);
    if (contains(contexts_, context)) throw EGLContext("Invalid context registration");
    contexts_.push_back(context);
}

void TGLContextManager::UnregisterContext(TGLContext* context) {
    bool freeNow = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!contains(contexts_, context)) throw EGLContext("Invalid context registration");
        removeFrom(contexts_, context);
        freeNow = terminated_ && contexts_.empty();
    }
    if (freeNow && vGLContextManager == this) {
        vGLContextManager = nullptr;
        delete this;
    }
}

void TGLContextManager::ContextCreatedBy(TGLContext*) {
    std::lock_guard<std::mutex> guard(lock_);
    ++createdContextCount_;
}

void TGLContextManager::DestroyingContextBy(TGLContext*) {
    std::lock_guard<std::mutex> guard(lock_);
    --createdContextCount_;
}

int TGLContextManager::CreatedContextCount() {
    std::lock_guard<std::mutex> guard(lock_);
    return createdContextCount_;
}

void TGLContextManager::Terminate() {
    bool freeNow = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        terminated_ = true;
        freeNow = contexts_.empty();
    }
    if (freeNow) {
        if (vGLContextManager == this) vGLContextManager = nullptr;
        delete this;
    }
}

void InitGLContext() {
    if (!vGLContextManager) vGLContextManager = new TGLContextManager();
    InitGLWin32Context();
}

TGLContextManager* GLContextManager() {
    if (!vGLContextManager) InitGLContext();
    return vGLContextManager;
}

void FinalizeGLContext() {
    if (vGLContextManager) vGLContextManager->Terminate();
}

} // namespace engine3d
