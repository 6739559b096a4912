// The scene graph: nodes with lazily derived local and absolute matrices and change propagation, the
// record every render call receives, camera and light source, the scene with its light table, and the
// scene buffer that renders one frame into a rendering context.
#pragma once

#include "GLContext.h"
#include "GLCrossPlatform.h"
#include "GLMisc.h"
#include "GLSilhouette.h"
#include "GLState.h"
#include "GeometryBB.h"
#include "PersistentClasses.h"
#include "XCollection.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace engine3d {

class TGL3DScene;
class TGL3DSceneBuffer;
class TGLBaseSceneObject;
class TGLCamera;
class TGLColor;
class TGLLightSource;
class TGLMaterial;
class TGLTexture;

// ---- Enumerations and flag sets ---------------------------------------------------------------------

enum TGLObjectChange : uint8_t { ocLocalMatrix, ocAbsoluteMatrix, ocInverseMatrix, ocStructure };
using TGLObjectChanges = uint8_t;
constexpr TGLObjectChanges ObjectChange(TGLObjectChange change) {
    return static_cast<TGLObjectChanges>(1u << change);
}
constexpr TGLObjectChanges cAllObjectChanges = 0x0F;

enum TGLObjectStyle : uint8_t { osImmediateDraw, osAltersRenderState, osIgnoreDepthTest, osNoCulling };
using TGLObjectStyles = uint8_t;
constexpr TGLObjectStyles ObjectStyle(TGLObjectStyle style) {
    return static_cast<TGLObjectStyles>(1u << style);
}

enum TGLObjectsSorting : uint8_t {
    osInherited,
    osNone,
    osRenderFarthestFirst,
    osRenderBlendedLast,
    osRenderNearestFirst
};
enum TGLVisibilityCulling : uint8_t { vcInherited, vcNone, vcObjectBased, vcHierarchical };
enum TDrawState : uint8_t { dsRendering, dsPicking };

// ---- Render context ---------------------------------------------------------------------------------

struct TRenderContextClippingInfo {
    TVector Origin = {0, 0, 0, 0};
    TVector ClippingDirection = {0, 0, 0, 0};
    float ViewPortRadius = 0;
    float FarClippingDistance = 0;
    TFrustum Frustum{};
};

// Handed to every render call of a pass; zero-filled, then filled by the scene.
struct TRenderContextInfo {
    TGL3DScene* Scene = nullptr;
    TGL3DSceneBuffer* Buffer = nullptr;
    TVector CameraPosition = {0, 0, 0, 0};
    TVector CameraDirection = {0, 0, 0, 0};
    TVector CameraUp = {0, 0, 0, 0};
    const TMatrix* ModelViewMatrix = nullptr;
    int ViewportWidth = 0;
    int ViewportHeight = 0;
    int RenderDPI = 0;
    TObject* MaterialLibrary = nullptr;
    TObject* LightmapLibrary = nullptr;
    int FogOffCount = 0;
    int LightingOffCount = 0;
    TDrawState DrawState = dsRendering;
    TGLObjectsSorting ObjectsSorting = osInherited;
    TGLVisibilityCulling VisibilityCulling = vcInherited;
    TGLStateCache* StateCache = nullptr;
    TRenderContextClippingInfo Clipping;
    TVector SceneAmbientColor = {0, 0, 0, 0};
    bool BufferFaceCulling = false;
    bool ProxySubObject = false;
    bool IgnoreMaterials = false;
    bool IgnoreBlending = false;
    bool DirectBuild = false;
};

using TDirectRenderEvent = std::function<void(TObject* sender, TRenderContextInfo& rci)>;

// ---- Behaviours and effects -------------------------------------------------------------------------

// An item attached to a scene object that is told of progress.
class TGLBaseBehaviour : public TXCollectionItem {
    E3D_DECLARE_CLASS(TGLBaseBehaviour)
public:
    TGLBaseSceneObject* OwnerBaseSceneObject() const;
    virtual void DoProgress(const TProgressTimes&) {}
    void WriteToFiler(TVirtualWriter* writer) const override;
    void ReadFromFiler(TVirtualReader* reader) override;
};

class TGLBehaviours : public TXCollection {
    E3D_DECLARE_CLASS(TGLBehaviours)
public:
    // The owner must be a scene object (asserted).
    explicit TGLBehaviours(TPersistent* owner = nullptr);
    const TMetaClass& ItemBaseClass() const override;
    // Any behaviour class but the effects.
    bool CanAdd(const TXCollectionItemClass& itemClass) const override;
    std::string GetNamePath() const override;
    void DoProgress(const TProgressTimes& times);
};

// An effect drawn around its object; this program defines no effect of the pre-, post- or after-render
// kind, so the passes draw nothing unless a subclass does.
class TGLObjectEffect : public TGLBaseBehaviour {
    E3D_DECLARE_CLASS(TGLObjectEffect)
public:
    virtual void Render(TGLBaseSceneObject*, TRenderContextInfo&) {}
};

class TGLObjectEffects : public TXCollection {
    E3D_DECLARE_CLASS(TGLObjectEffects)
public:
    explicit TGLObjectEffects(TPersistent* owner = nullptr);
    const TMetaClass& ItemBaseClass() const override;
    bool CanAdd(const TXCollectionItemClass& itemClass) const override;
    std::string GetNamePath() const override;
    void DoProgress(const TProgressTimes& times);
    void RenderPreEffects(TGLBaseSceneObject* sceneObject, TRenderContextInfo& rci);
    void RenderPostEffects(TGL3DSceneBuffer* buffer, TRenderContextInfo& rci);
};

// ---- Scene object -----------------------------------------------------------------------------------

using TGLProgressEvent = std::function<void(TObject* sender, double deltaTime, double newTime)>;

class TGLBaseSceneObject : public TGLCoordinatesUpdateAbleComponent {
    E3D_DECLARE_CLASS(TGLBaseSceneObject)
public:
    explicit TGLBaseSceneObject(TComponent* owner = nullptr);
    // Removes and frees camera descendants, frees the children, leaves the parent.
    ~TGLBaseSceneObject() override;
    TGLBaseSceneObject(const TGLBaseSceneObject&) = delete;
    TGLBaseSceneObject& operator=(const TGLBaseSceneObject&) = delete;

    void Assign(const TPersistent* source) override;
    void Loaded() override;
    void SetName(const std::string& name);

    // Slot-ordered operations.
    void DoProgress(const TProgressTimes& progressTimes) override;
    void NotifyChange(TObject* sender) override;
    void CoordinateChanged(TGLCoordinates* sender) override;
    virtual void SetVisible(bool visible);
    virtual bool Blended() const { return false; }
    virtual GLuint GetHandle(TRenderContextInfo& rci);
    virtual TVector BarycenterAbsolutePosition();
    virtual TVector AxisAlignedDimensionsUnscaled() const { return {0.5f, 0.5f, 0.5f, 0}; }
    virtual bool PointInObject(const TVector& point);
    virtual bool RayCastIntersect(const TVector& rayStart, const TVector& rayVector,
                                  TVector* intersectPoint = nullptr, TVector* intersectNormal = nullptr);
    // The caller frees the result.
    virtual TGLSilhouette* GenerateSilhouette(const TGLSilhouetteParameters& params);
    virtual void BeginUpdate() { ++updateCount_; }
    // Fails "Unbalanced Begin/EndUpdate" without a matching BeginUpdate.
    virtual void EndUpdate();
    virtual void BuildList(TRenderContextInfo&) {}
    virtual void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren);
    virtual void RenderChildren(int firstChildIndex, int lastChildIndex, TRenderContextInfo& rci);

    // Tree.
    int SceneObjectChildCount() const { return children_ ? children_->Count() : 0; }
    // nullptr without children; an index out of range raises the list's error.
    TGLBaseSceneObject* SceneObjectChild(int index) const;
    TGLBaseSceneObject* Parent() const { return parent_; }
    TGL3DScene* Scene() const { return scene_; }
    virtual void AddChild(TGLBaseSceneObject* child);
    // A new child created through the class's factory (without owner: the parent frees it).
    virtual TGLBaseSceneObject* AddNewChild(const TMetaClass& childClass);
    TGLBaseSceneObject* AddNewChildFirst(const TMetaClass& childClass);
    // A new child of T owned like this node.
    template <class T> T* AddNewChild() {
        auto* child = new T(Owner());
        AddChild(child);
        return child;
    }
    virtual void Insert(int index, TGLBaseSceneObject* child);
    virtual void Remove(TGLBaseSceneObject* child, bool keepChildren);
    virtual void DeleteChildren();
    virtual void MoveTo(TGLBaseSceneObject* newParent);
    void SetParent(TGLBaseSceneObject* parent) { MoveTo(parent); }
    // -1 without a parent.
    int Index() const;
    void SetIndex(int index);
    // Adoption when streaming: a scene puts cameras under its camera root and others under its object
    // root, a scene object adopts through AddChild, anything else leaves the node alone.
    void SetParentComponent(TComponent* parent);
    void GetChildren(const std::function<void(TComponent*)>& proc) const;

    // Transform.
    TGLCoordinates* Position() const { return position_.get(); }
    TGLCoordinates* Direction() const { return direction_.get(); }
    TGLCoordinates* Up() const { return up_.get(); }
    TGLCoordinates* Scale() const { return scale_.get(); }
    TGLCoordinates* Rotation() const { return rotation_.get(); }
    void SetPosition(const TGLCoordinates* value);
    // A null vector is ignored.
    void SetDirection(const TGLCoordinates* value);
    void SetUp(const TGLCoordinates* value);
    void SetScale(const TGLCoordinates* value);
    float PitchAngle() const { return rotation_->X(); }
    float TurnAngle() const { return rotation_->Y(); }
    float RollAngle() const { return rotation_->Z(); }
    void SetPitchAngle(float angle);
    void SetTurnAngle(float angle);
    void SetRollAngle(float angle);
    TMatrix Matrix();
    const TMatrix& LocalMatrix() const { return localMatrix_; }
    void SetMatrix(const TMatrix& m);
    void SceneObjectRebuildMatrix();
    const TMatrix& SceneObjectAbsoluteMatrix();
    const TMatrix& SceneObjectInvAbsoluteMatrix();
    TVector SceneObjectAbsolutePosition();
    TVector SceneObjectAbsoluteDirection();
    TVector SceneObjectLocalToAbsolute(const TVector& v);
    TVector SceneObjectAbsoluteToLocal(const TVector& v);
    TAffineVector RightVector() const;
    TAffineVector LeftVector() const;

    // Bounds.
    TVector AxisAlignedDimensions() const;
    float SceneObjectBoundingSphereRadius() const;
    float SceneObjectBoundingSphereRadiusUnscaled() const;
    TAABB SceneObjectBoundingBox() const;
    float BarycenterSqrDistanceTo(const TVector& point);

    // Change tracking.
    TGLObjectChanges Changes() const { return changes_; }
    TGLObjectStyles ObjectStyleFlags() const { return objectStyle_; }
    void SceneObjectTransformationChanged();
    void SceneObjectStructureChanged();
    void ClearStructureChanged() { changes_ &= ~ObjectChange(ocStructure); }
    void SceneObjectSetScene(TGL3DScene* scene);
    // This node's GL objects and its children's.
    void DestroyHandles();
    virtual void DestroyHandle();
    bool IsUpdating() const { return updateCount_ != 0 || IsLoading(); }
    // Streaming of components is not done in this program; kept for the loading rules.
    bool IsLoading() const { return loading_; }

    // Rendering.
    void SceneObjectRender(TRenderContextInfo& rci);
    void DrawAxes(TRenderContextInfo& rci, uint16_t pattern);

    bool Visible() const { return visible_; }
    bool ShowAxes() const { return showAxes_; }
    void SetShowAxes(bool value);
    TGLObjectsSorting ObjectsSorting() const { return objectsSorting_; }
    void SetObjectsSorting(TGLObjectsSorting value);
    TGLVisibilityCulling VisibilityCulling() const { return visibilityCulling_; }
    void SetVisibilityCulling(TGLVisibilityCulling value);
    TGLBehaviours* Behaviours();
    TGLObjectEffects* Effects();
    bool HasBehaviours() const { return behaviours_ && behaviours_->Count() > 0; }
    // The binary properties "BehavioursData" and "EffectsData": written only when there are items.
    void WriteBehavioursData(TStream& stream) const;
    void ReadBehavioursData(TStream& stream);
    void WriteEffectsData(TStream& stream) const;
    void ReadEffectsData(TStream& stream);
    bool HasEffects() const { return effects_ && effects_->Count() > 0; }
    float TagFloat = 0;
    int Tag = 0;
    TGLProgressEvent OnProgress;

    // Called with each renamed node when installed.
    static std::function<void(TGLBaseSceneObject*)> vRenameHook;

protected:
    void SetObjectStyle(TGLObjectStyles styles) { objectStyle_ = styles; }
    void setSceneDirectly(TGL3DScene* scene) { scene_ = scene; }
    // The matrix that children combine with; a root object's children see none.
    virtual bool IsSceneRoot() const { return false; }

private:
    void renderNode(TRenderContextInfo& rci, bool drawSelf, bool drawChildren);
    void markAbsoluteDirty();
    void rotateAbout(const TAffineVector& axis, float oldAngle, float newAngle);
    void setAngle(int index, float angle);
    void removeCamerasAmongDescendants();
    TAABB childrenBoundingBox() const;

    std::unique_ptr<std::array<TMatrix, 2>> absoluteMatrices_;
    TMatrix localMatrix_ = IdentityHmgMatrix;
    TGLObjectStyles objectStyle_ = 0;
    std::unique_ptr<TGLListHandle> listHandle_;
    std::unique_ptr<TGLCoordinates> position_, direction_, up_, scale_;
    TGLObjectChanges changes_ = cAllObjectChanges;
    TGLBaseSceneObject* parent_ = nullptr;
    TGL3DScene* scene_ = nullptr;
    std::unique_ptr<TPersistentObjectList> children_;
    bool visible_ = true;
    int updateCount_ = 0;
    bool showAxes_ = false;
    std::unique_ptr<TGLCoordinates> rotation_;
    uint8_t calculating_ = 0;
    TGLObjectsSorting objectsSorting_ = osInherited;
    TGLVisibilityCulling visibilityCulling_ = vcInherited;
    std::unique_ptr<TGLBehaviours> behaviours_;
    std::unique_ptr<TGLObjectEffects> effects_;
    bool loading_ = false;
    bool destroying_ = false;
};

using TGLSceneObjectClass = const TMetaClass*;

// A node drawn with a material.
class TGLCustomSceneObject : public TGLBaseSceneObject {
    E3D_DECLARE_CLASS(TGLCustomSceneObject)
public:
    explicit TGLCustomSceneObject(TComponent* owner = nullptr);
    ~TGLCustomSceneObject() override;
    void Assign(const TPersistent* source) override;
    void Loaded() override;
    bool Blended() const override;
    void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;
    void DestroyHandle() override;
    TGLMaterial* Material() const { return material_.get(); }
    void SetMaterial(const TGLMaterial* value);
    std::string Hint;

private:
    std::unique_ptr<TGLMaterial> material_;
};

// A node drawn without a material.
class TGLImmaterialSceneObject : public TGLCustomSceneObject {
    E3D_DECLARE_CLASS(TGLImmaterialSceneObject)
public:
    using TGLCustomSceneObject::TGLCustomSceneObject;
    void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;
};

class TGL3DSceneObject : public TGLCustomSceneObject {
    E3D_DECLARE_CLASS(TGL3DSceneObject)
public:
    using TGLCustomSceneObject::TGLCustomSceneObject;
};

// One of the two roots of a scene; its owner must be the scene.
class TGL3DSceneRootObject : public TGLBaseSceneObject {
    E3D_DECLARE_CLASS(TGL3DSceneRootObject)
public:
    explicit TGL3DSceneRootObject(TComponent* owner = nullptr);

protected:
    bool IsSceneRoot() const override { return true; }
};

// ---- Special scene objects --------------------------------------------------------------------------

enum TGLCameraInvarianceMode : uint8_t { cimNone, cimPosition, cimOrientation };

// Drawn as if the camera had not moved (cimPosition) or not turned (cimOrientation).
class TGLCameraInvariantObject : public TGLImmaterialSceneObject {
    E3D_DECLARE_CLASS(TGLCameraInvariantObject)
public:
    using TGLImmaterialSceneObject::TGLImmaterialSceneObject;
    void Assign(const TPersistent* source) override;
    void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;
    TGLCameraInvarianceMode CamInvarianceMode() const { return camInvarianceMode_; }
    void SetCamInvarianceMode(TGLCameraInvarianceMode value);

private:
    TGLCameraInvarianceMode camInvarianceMode_ = cimNone;
};

// Hands the drawing to its OnRender event, every frame or compiled into its display list.
class TGLDirectOpenGL : public TGLImmaterialSceneObject {
    E3D_DECLARE_CLASS(TGLDirectOpenGL)
public:
    explicit TGLDirectOpenGL(TComponent* owner = nullptr);
    void Assign(const TPersistent* source) override;
    void BuildList(TRenderContextInfo& rci) override;
    bool Blended() const override { return blend_; }
    bool UseBuildList() const { return useBuildList_; }
    void SetUseBuildList(bool value);
    bool Blend() const { return blend_; }
    void SetBlend(bool value);
    TDirectRenderEvent OnRender;

private:
    bool useBuildList_ = false;
    bool blend_ = false;
};

using TFreeCallBack = std::function<void(TObject* sender)>;

// A point in the tree where registered callbacks draw.
class TGLRenderPoint : public TGLImmaterialSceneObject {
    E3D_DECLARE_CLASS(TGLRenderPoint)
public:
    explicit TGLRenderPoint(TComponent* owner = nullptr);
    // Calls the free callbacks, last first, so that their owners unregister.
    ~TGLRenderPoint() override;
    void BuildList(TRenderContextInfo& rci) override;
    // The token names the pair for UnRegisterCallBack.
    int RegisterCallBack(TDirectRenderEvent renderEvent, TFreeCallBack renderPointFreed);
    void UnRegisterCallBack(int token);
    int CallBackCount() const { return static_cast<int>(callBacks_.size()); }
    void Clear();

private:
    struct CallBack {
        int token;
        TDirectRenderEvent render;
        TFreeCallBack freed;
    };
    std::vector<CallBack> callBacks_;
    int nextToken_ = 1;
};

enum TGLProxyObjectOption : uint8_t { pooEffects, pooObjects, pooTransformation };
using TGLProxyObjectOptions = uint8_t;
constexpr TGLProxyObjectOptions ProxyOption(TGLProxyObjectOption option) {
    return static_cast<TGLProxyObjectOptions>(1u << option);
}
constexpr TGLProxyObjectOptions cDefaultProxyOptions = 7;

// Draws another object (its master) in its own place.
class TGLProxyObject : public TGLBaseSceneObject {
    E3D_DECLARE_CLASS(TGLProxyObject)
public:
    explicit TGLProxyObject(TComponent* owner = nullptr);
    ~TGLProxyObject() override;
    void Assign(const TPersistent* source) override;
    void Notification(TComponent* component, TOperation operation) override;
    void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;
    TVector AxisAlignedDimensionsUnscaled() const override;
    bool RayCastIntersect(const TVector& rayStart, const TVector& rayVector,
                          TVector* intersectPoint = nullptr, TVector* intersectNormal = nullptr) override;
    TGLSilhouette* GenerateSilhouette(const TGLSilhouetteParameters& params) override;
    TGLBaseSceneObject* MasterObject() const { return masterObject_; }
    virtual void SetMasterObject(TGLBaseSceneObject* value);
    TGLProxyObjectOptions ProxyOptions() const { return proxyOptions_; }
    void SetProxyOptions(TGLProxyObjectOptions value);

private:
    TGLBaseSceneObject* masterObject_ = nullptr;
    TGLProxyObjectOptions proxyOptions_ = cDefaultProxyOptions;
    uint8_t rendering_ = 0;
};

// ---- Camera -----------------------------------------------------------------------------------------

enum TGLCameraStyle : uint8_t { csPerspective, csOrthogonal, csOrtho2D, csCustom, csInfinitePerspective };

struct TRectangle {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

using TOnCustomPerspective =
    std::function<void(const TRectangle& viewport, int width, int height, int DPI, float& viewPortRadius)>;

class TGLCamera : public TGLBaseSceneObject {
    E3D_DECLARE_CLASS(TGLCamera)
public:
    explicit TGLCamera(TComponent* owner = nullptr);
    ~TGLCamera() override;
    void Assign(const TPersistent* source) override;
    void Notification(TComponent* component, TOperation operation) override;
    void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;
    bool RayCastIntersect(const TVector&, const TVector&, TVector* = nullptr, TVector* = nullptr) override {
        return false;
    }

    // Nothing unless width and height are at least 1.
    void ApplyProjection(const TRectangle& viewport, int width, int height, int DPI);
    void ApplyViewTransform();
    // The frustum bounds ApplyProjection uses for the three frustum styles, for tests and picking.
    void ComputeFrustumBounds(const TRectangle& viewport, int width, int height, int DPI, float& left,
                              float& right, float& bottom, float& top, float& zNear, float& zFar) const;
    // Degrees; 0 when FocalLength is not positive.
    float GetFieldOfView(float viewportDimension) const;
    void SetFieldOfView(float fieldOfView, float viewportDimension);

    float FocalLength() const { return focalLength_; }
    void SetFocalLength(float value);
    float DepthOfView() const { return depthOfView_; }
    void SetDepthOfView(float value);
    float NearPlane() const { return nearPlane_; }
    float NearPlaneBias() const { return nearPlaneBias_; }
    void SetNearPlaneBias(float value);
    float ViewPortRadius() const { return viewPortRadius_; }
    TGLBaseSceneObject* TargetObject() const { return targetObject_; }
    void SetTargetObject(TGLBaseSceneObject* value);
    TGLCameraStyle CameraStyle() const { return cameraStyle_; }
    void SetCameraStyle(TGLCameraStyle value);
    float SceneScale() const { return sceneScale_; }
    void SetSceneScale(float value);
    const TAffineVector& LastDirection() const { return lastDirection_; }
    std::function<void()> DeferredApply;
    TOnCustomPerspective OnCustomPerspective;

private:
    float focalLength_ = 50;
    float depthOfView_ = 100;
    float nearPlane_ = 0;
    float nearPlaneBias_ = 1;
    float viewPortRadius_ = 0;
    TGLBaseSceneObject* targetObject_ = nullptr;
    TAffineVector lastDirection_ = {0, 0, -1};
    TGLCameraStyle cameraStyle_ = csPerspective;
    float sceneScale_ = 1;
};

// ---- Light source -----------------------------------------------------------------------------------

enum TLightStyle : uint8_t { lsSpot, lsOmni, lsParallel };

class TGLLightSource : public TGLBaseSceneObject {
    E3D_DECLARE_CLASS(TGLLightSource)
public:
    explicit TGLLightSource(TComponent* owner = nullptr);
    ~TGLLightSource() override;
    void Assign(const TPersistent* source) override;
    void CoordinateChanged(TGLCoordinates* sender) override;
    void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;
    GLuint GetHandle(TRenderContextInfo&) override { return 0; }
    bool RayCastIntersect(const TVector&, const TVector&, TVector* = nullptr, TVector* = nullptr) override {
        return false;
    }
    TGLSilhouette* GenerateSilhouette(const TGLSilhouetteParameters&) override { return nullptr; }

    // GL_LIGHT0 + the slot in the scene's light table; 0 while unregistered.
    GLenum LightID() const { return lightId_; }
    void SetLightID(GLenum id) { lightId_ = id; }
    TGLCoordinates* SpotDirection() const { return spotDirection_.get(); }
    void SetSpotDirection(const TGLCoordinates* value);
    float SpotExponent() const { return spotExponent_; }
    void SetSpotExponent(float value);
    float SpotCutOff() const { return spotCutOff_; }
    // Only 0..90 or exactly 180 are taken.
    void SetSpotCutOff(float value);
    float ConstAttenuation() const { return constAttenuation_; }
    float LinearAttenuation() const { return linearAttenuation_; }
    float QuadraticAttenuation() const { return quadraticAttenuation_; }
    void SetConstAttenuation(float value);
    void SetLinearAttenuation(float value);
    void SetQuadraticAttenuation(float value);
    bool Shining() const { return shining_; }
    void SetShining(bool value);
    TGLColor* Ambient() const { return ambient_.get(); }
    TGLColor* Diffuse() const { return diffuse_.get(); }
    TGLColor* Specular() const { return specular_.get(); }
    TLightStyle LightStyle() const { return lightStyle_; }
    void SetLightStyle(TLightStyle value);

private:
    GLenum lightId_ = 0;
    std::unique_ptr<TGLCoordinates> spotDirection_;
    float spotExponent_ = 0;
    float spotCutOff_ = 180;
    float constAttenuation_ = 1;
    float linearAttenuation_ = 0;
    float quadraticAttenuation_ = 0;
    bool shining_ = true;
    std::unique_ptr<TGLColor> ambient_, diffuse_, specular_;
    TLightStyle lightStyle_ = lsSpot;
};

// ---- Scene ------------------------------------------------------------------------------------------

class TGL3DScene : public TGLUpdateAbleComponent {
    E3D_DECLARE_CLASS(TGL3DScene)
public:
    explicit TGL3DScene(TComponent* owner = nullptr);
    ~TGL3DScene() override;
    TGL3DScene(const TGL3DScene&) = delete;
    TGL3DScene& operator=(const TGL3DScene&) = delete;

    TGL3DSceneRootObject* Objects() const { return objects_; }
    TGL3DSceneRootObject* Cameras() const { return cameras_; }
    void AddBuffer(TGL3DSceneBuffer* buffer);
    void RemoveBuffer(TGL3DSceneBuffer* buffer);
    int BufferCount() const { return static_cast<int>(buffers_.size()); }
    TGL3DSceneBuffer* CurrentBuffer() const { return currentBuffer_; }
    // The first registered buffer's context.
    TGLContext* SharedListsContext() const;
    TGL3DSceneBuffer* Buffer(int index) const { return buffers_.at(static_cast<size_t>(index)); }
    // Registers every light source of the subtree in a free slot of the light table.
    void AddLights(TGLBaseSceneObject* object);
    void RemoveLights(TGLBaseSceneObject* object);
    // Eight entries, nullptr for a free slot.
    TGLLightSource* Light(int slot) const;
    void BeginUpdate() { ++updateCount_; }
    // Fails an assertion below 1; at 0 NotifyChange.
    void EndUpdate();
    bool IsUpdating() const { return updateCount_ != 0 || destroying_; }
    void NotifyChange(TObject* sender) override;
    void DoProgress(const TProgressTimes& progressTimes) override;
    // The nearest visible object the ray hits, or nullptr.
    TGLBaseSceneObject* RayCastIntersect(const TVector& rayStart, const TVector& rayVector,
                                         TVector* intersectPoint = nullptr,
                                         TVector* intersectNormal = nullptr);
    void RenderScene(TGL3DSceneBuffer* buffer, int viewportWidth, int viewportHeight, TDrawState drawState,
                     TGLBaseSceneObject* baseObject);
    void SetupLights(int maxLights);
    TGLObjectsSorting ObjectsSorting() const { return objectsSorting_; }
    void SetObjectsSorting(TGLObjectsSorting value);
    TGLVisibilityCulling VisibilityCulling() const { return visibilityCulling_; }
    void SetVisibilityCulling(TGLVisibilityCulling value);
    TGLCamera* CurrentCamera() const { return currentCamera_; }
    void SetCurrentCamera(TGLCamera* camera) { currentCamera_ = camera; }
    TGLBaseSceneObject* CurrentRenderingObject() const { return currentRenderingObject_; }
    void SetCurrentRenderingObject(TGLBaseSceneObject* object) { currentRenderingObject_ = object; }
    TGLProgressEvent OnProgress;

private:
    TGL3DSceneRootObject* objects_ = nullptr;
    TGL3DSceneRootObject* cameras_ = nullptr;
    std::array<TGLLightSource*, 8> lights_{};
    std::vector<TGL3DSceneBuffer*> buffers_;
    TGL3DSceneBuffer* currentBuffer_ = nullptr;
    TGLObjectsSorting objectsSorting_ = osRenderBlendedLast;
    TGLVisibilityCulling visibilityCulling_ = vcNone;
    int updateCount_ = 0;
    TGLCamera* currentCamera_ = nullptr;
    TGLBaseSceneObject* currentRenderingObject_ = nullptr;
    bool destroying_ = false;
};

// ---- Fog --------------------------------------------------------------------------------------------

enum TFogMode : uint8_t { fmLinear, fmExp, fmExp2 };
enum TFogDistance : uint8_t { fdDefault, fdEyeRadial, fdEyePlane };

class TGLFogEnvironment : public TGLUpdateAbleObject {
    E3D_DECLARE_CLASS(TGLFogEnvironment)
public:
    explicit TGLFogEnvironment(TPersistent* owner = nullptr);
    ~TGLFogEnvironment() override;
    void Assign(const TPersistent* source) override;
    // Sends the fog parameters to the current context.
    void ApplyFog();
    TGLColor* FogColor() const { return fogColor_.get(); }
    float FogStart() const { return fogStart_; }
    float FogEnd() const { return fogEnd_; }
    TFogMode FogMode() const { return fogMode_; }
    TFogDistance FogDistance() const { return fogDistance_; }
    void SetFogStart(float value);
    void SetFogEnd(float value);
    void SetFogMode(TFogMode value);
    void SetFogDistance(TFogDistance value);

private:
    std::unique_ptr<TGLColor> fogColor_;
    float fogStart_ = 10;
    float fogEnd_ = 1000;
    TFogMode fogMode_ = fmLinear;
    TFogDistance fogDistance_ = fdDefault;
};

// ---- Scene buffer -----------------------------------------------------------------------------------

enum TContextOption : uint8_t {
    roDoubleBuffer,
    roStencilBuffer,
    roRenderToWindow,
    roTwoSideLighting,
    roStereo,
    roDestinationAlpha,
    roNoColorBuffer,
    roNoColorBufferClear,
    roNoSwapBuffers
};
using TContextOptions = uint16_t;
constexpr TContextOptions ContextOption(TContextOption option) {
    return static_cast<TContextOptions>(1u << option);
}
enum TDepthPrecision : uint8_t { dpDefault, dp16bits, dp24bits, dp32bits };
enum TColorDepth : uint8_t { cdDefault, cd8bits, cd16bits, cd24bits, cdFloat64bits, cdFloat128bits };
enum TShadeModel : uint8_t { smDefault, smSmooth, smFlat };

class TGL3DSceneBuffer : public TGLUpdateAbleObject {
    E3D_DECLARE_CLASS(TGL3DSceneBuffer)
public:
    explicit TGL3DSceneBuffer(TPersistent* owner = nullptr);
    ~TGL3DSceneBuffer() override;
    TGL3DSceneBuffer(const TGL3DSceneBuffer&) = delete;
    TGL3DSceneBuffer& operator=(const TGL3DSceneBuffer&) = delete;
    void Assign(const TPersistent* source) override;
    void NotifyChange(TObject* sender) override;

    // Creates the rendering context on deviceContext, or an off-screen one of the viewport's size.
    void CreateRC(TGLDeviceContext deviceContext, bool memoryContext);
    void DestroyRC();
    bool RCInstantiated() const { return renderingContext_ != nullptr; }
    TGLContext* RenderingContext() const { return renderingContext_.get(); }
    // The context to create in CreateRC; unset, a context of the registered class.
    std::function<TGLContext*()> ContextFactory;
    // Called with the new context before it is created (formats, sharing).
    std::function<void(TGL3DSceneBuffer*, TGLContext*)> OnPrepareGLContext;

    // Width and height of at least 1.
    void Resize(int width, int height);
    void SetViewPort(int x, int y, int width, int height);
    const TRectangle& ViewPort() const { return viewport_; }
    int Width() const { return viewport_.Width; }
    int Height() const { return viewport_.Height; }
    void Render(TGLBaseSceneObject* baseObject);
    void RenderWholeScene() { Render(nullptr); }
    void RenderScene(TGL3DScene* scene, int viewportWidth, int viewportHeight, TDrawState drawState,
                     TGLBaseSceneObject* baseObject);
    void SetupRenderingState();
    void PushModelViewMatrix(const TMatrix& newMatrix);
    void PopModelViewMatrix();
    void CopyToTexture(TGLTexture* texture, int xSrc, int ySrc, int width, int height, int xDest, int yDest,
                       GLenum target = 0);
    void ResetPerformanceMonitor();
    // A picture shown in place of rendered frames until Melt.
    void Freeze();
    void Melt();
    bool Freezed() const { return frozen_; }
    bool Rendering() const { return rendering_; }
    TGLStateCache& StateCache() { return *stateCache_; }

    const TMatrix& ProjectionMatrix() const { return projectionMatrix_; }
    const TMatrix& ModelViewMatrix() const { return modelViewMatrix_; }
    const TMatrix& BaseProjectionMatrix() const { return baseProjectionMatrix_; }
    const TVector& CameraAbsolutePosition() const { return cameraAbsolutePosition_; }

    bool FaceCulling() const { return faceCulling_; }
    bool FogEnable() const { return fogEnable_; }
    bool Lighting() const { return lighting_; }
    bool DepthTest() const { return depthTest_; }
    void SetFaceCulling(bool value);
    void SetFogEnable(bool value);
    void SetLighting(bool value);
    void SetDepthTest(bool value);
    TColor BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(TColor value);
    float BackgroundAlpha() const { return backgroundAlpha_; }
    void SetBackgroundAlpha(float value);
    TGLColor* AmbientColor() const { return ambientColor_.get(); }
    TGLAntiAliasing AntiAliasing() const { return antiAliasing_; }
    void SetAntiAliasing(TGLAntiAliasing value);
    TDepthPrecision DepthPrecision() const { return depthPrecision_; }
    void SetDepthPrecision(TDepthPrecision value);
    TColorDepth ColorDepth() const { return colorDepth_; }
    void SetColorDepth(TColorDepth value);
    TContextOptions ContextOptions() const { return contextOptions_; }
    void SetContextOptions(TContextOptions value);
    TShadeModel ShadeModel() const { return shadeModel_; }
    void SetShadeModel(TShadeModel value);
    int AccumBufferBits() const { return accumBufferBits_; }
    void SetAccumBufferBits(int value);
    TGLFogEnvironment* FogEnvironment() const { return fogEnvironment_.get(); }
    void SetFogEnvironment(const TGLFogEnvironment* value);
    int RenderDPI() const { return renderDPI_; }
    // Device pixels per pixel of the window that shows the buffer. A frame renders at 96 DPI times this
    // ratio, so that what is placed or sized in pixels (HUD objects, the near plane) keeps its size on a
    // scaled screen while the viewport counts device pixels. Values not above 0 are taken as 1.
    float PixelRatio() const { return pixelRatio_; }
    void SetPixelRatio(float value) { pixelRatio_ = value > 0 ? value : 1; }
    TGLCamera* Camera() const { return camera_; }
    void SetCamera(TGLCamera* camera);
    std::vector<TGLObjectEffect*>& AfterRenderEffects() { return afterRenderEffects_; }

    int FrameCount() const { return frameCount_; }
    float FramesPerSecond() const { return framesPerSecond_; }
    double LastFrameTime() const { return lastFrameTime_; }

    TNotifyEvent OnChange;
    TNotifyEvent OnStructuralChange;
    TNotifyEvent OnPrepareRender; // the viewer's per-frame hook
    TNotifyEvent BeforeRender;
    TNotifyEvent OnDirectRender; // the unpublished notification before BeforeRender
    TNotifyEvent PostRender;
    TNotifyEvent AfterRender;
    TDirectRenderEvent InitiateRendering;
    TDirectRenderEvent WrapUpRendering;

private:
    void structuralChange();
    void prepareGLContext(TGLContext* context);
    std::unique_ptr<TGLStateCache> stateCache_;
    bool rendering_ = false;
    std::unique_ptr<TGLContext> renderingContext_;
    std::vector<TGLObjectEffect*> afterRenderEffects_;
    TMatrix projectionMatrix_ = IdentityHmgMatrix;
    TMatrix modelViewMatrix_ = IdentityHmgMatrix;
    std::vector<TMatrix> modelViewStack_;
    TMatrix baseProjectionMatrix_ = IdentityHmgMatrix;
    TVector cameraAbsolutePosition_ = {0, 0, 0, 1};
    TRectangle viewport_ = {0, 0, 1, 1};
    bool faceCulling_ = true;
    bool fogEnable_ = false;
    bool lighting_ = true;
    bool depthTest_ = true;
    TColor backgroundColor_;
    float backgroundAlpha_ = 1;
    std::unique_ptr<TGLColor> ambientColor_;
    TGLAntiAliasing antiAliasing_ = aaDefault;
    TDepthPrecision depthPrecision_ = dpDefault;
    TColorDepth colorDepth_ = cdDefault;
    TContextOptions contextOptions_;
    TShadeModel shadeModel_ = smDefault;
    int renderDPI_ = 96;
    float pixelRatio_ = 1;
    std::unique_ptr<TGLFogEnvironment> fogEnvironment_;
    int accumBufferBits_ = 0;
    TGLCamera* camera_ = nullptr;
    std::vector<uint8_t> frozenPixels_;
    int frozenWidth_ = 0;
    int frozenHeight_ = 0;
    bool frozen_ = false;
    int frameCount_ = 0;
    float framesPerSecond_ = 0;
    int64_t firstFrameTime_ = 0;
    double lastFrameTime_ = 0;
};

// ---- Off-screen viewers -----------------------------------------------------------------------------

class TGLNonVisualViewer : public TComponent {
    E3D_DECLARE_CLASS(TGLNonVisualViewer)
public:
    explicit TGLNonVisualViewer(TComponent* owner = nullptr);
    ~TGLNonVisualViewer() override;
    TGLNonVisualViewer(const TGLNonVisualViewer&) = delete;
    TGLNonVisualViewer& operator=(const TGLNonVisualViewer&) = delete;
    TGL3DSceneBuffer* Buffer() const { return buffer_.get(); }
    TGLCamera* Camera() const { return buffer_->Camera(); }
    void SetCamera(TGLCamera* camera) { buffer_->SetCamera(camera); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Values below 1 become 1.
    void SetWidth(int value);
    void SetHeight(int value);
    virtual void Render(TGLBaseSceneObject* baseObject = nullptr);
    // The whole Width x Height frame into the texture.
    void CopyToTexture(TGLTexture* texture);
    TNotifyEvent& BeforeRender() { return buffer_->BeforeRender; }
    TNotifyEvent& PostRender() { return buffer_->PostRender; }
    TNotifyEvent& AfterRender() { return buffer_->AfterRender; }
    TNotifyEvent OnChange;

protected:
    virtual void sizeChanged();
    std::unique_ptr<TGL3DSceneBuffer> buffer_;
    int width_ = 256;
    int height_ = 256;
};

// Renders into an off-screen context of Width x Height, made at the first frame.
class TGLMemoryViewer : public TGLNonVisualViewer {
    E3D_DECLARE_CLASS(TGLMemoryViewer)
public:
    explicit TGLMemoryViewer(TComponent* owner = nullptr) : TGLNonVisualViewer(owner) {}
    void Render(TGLBaseSceneObject* baseObject = nullptr) override;

protected:
    void sizeChanged() override;
};

void InitGL3DScene();

} // namespace engine3d
