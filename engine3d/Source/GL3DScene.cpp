#include "GL3DScene.h"

#include "GLStrings.h"
#include "GLTexture.h"
#include "XOpenGL.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace engine3d {

namespace {

TAffineVector affine(const TVector& v) {
    return {v[0], v[1], v[2]};
}

// The rotation part transposed and the translation back-rotated and negated.
TMatrix rigidInverse(const TMatrix& m) {
    TMatrix r = IdentityHmgMatrix;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i][j] = m[j][i];
    for (int j = 0; j < 3; ++j)
        r[3][j] = -(m[3][0] * r[0][j] + m[3][1] * r[1][j] + m[3][2] * r[2][j]);
    return r;
}

} // namespace

// ---- Behaviours and effects -------------------------------------------------------------------------

E3D_DEFINE_ABSTRACT_CLASS(TGLBaseBehaviour, TXCollectionItem)

TGLBaseSceneObject* TGLBaseBehaviour::OwnerBaseSceneObject() const {
    return Owner() ? dynamic_cast<TGLBaseSceneObject*>(Owner()->Owner()) : nullptr;
}

void TGLBaseBehaviour::WriteToFiler(TVirtualWriter* writer) const {
    TXCollectionItem::WriteToFiler(writer);
    writer->WriteInteger(0);
}

void TGLBaseBehaviour::ReadFromFiler(TVirtualReader* reader) {
    TXCollectionItem::ReadFromFiler(reader);
    GLAssert(reader->ReadInteger() == 0, "");
}

E3D_DEFINE_CLASS(TGLBehaviours, TXCollection)

TGLBehaviours::TGLBehaviours(TPersistent* owner) : TXCollection(owner) {
    GLAssert(!owner || dynamic_cast<TGLBaseSceneObject*>(owner), "");
}

const TMetaClass& TGLBehaviours::ItemBaseClass() const {
    return TGLBaseBehaviour::StaticClass();
}

bool TGLBehaviours::CanAdd(const TXCollectionItemClass& itemClass) const {
    return !itemClass.InheritsFrom(&TGLObjectEffect::StaticClass()) && TXCollection::CanAdd(itemClass);
}

std::string TGLBehaviours::GetNamePath() const {
    return namePathUnderOwner(".Behaviours");
}

void TGLBehaviours::DoProgress(const TProgressTimes& times) {
    for (int i = 0; i < Count(); ++i)
        if (auto* behaviour = dynamic_cast<TGLBaseBehaviour*>(Items(i))) behaviour->DoProgress(times);
}

E3D_DEFINE_ABSTRACT_CLASS(TGLObjectEffect, TGLBaseBehaviour)
E3D_DEFINE_CLASS(TGLObjectEffects, TXCollection)

TGLObjectEffects::TGLObjectEffects(TPersistent* owner) : TXCollection(owner) {
    GLAssert(!owner || dynamic_cast<TGLBaseSceneObject*>(owner), "");
}

const TMetaClass& TGLObjectEffects::ItemBaseClass() const {
    return TGLObjectEffect::StaticClass();
}

bool TGLObjectEffects::CanAdd(const TXCollectionItemClass& itemClass) const {
    return itemClass.InheritsFrom(&TGLObjectEffect::StaticClass()) && TXCollection::CanAdd(itemClass);
}

std::string TGLObjectEffects::GetNamePath() const {
    return namePathUnderOwner(".Effects");
}

void TGLObjectEffects::DoProgress(const TProgressTimes& times) {
    for (int i = 0; i < Count(); ++i)
        if (auto* effect = dynamic_cast<TGLObjectEffect*>(Items(i))) effect->DoProgress(times);
}

// No effect class of this program is of the pre-render or post-render kind.
void TGLObjectEffects::RenderPreEffects(TGLBaseSceneObject*, TRenderContextInfo&) {}
void TGLObjectEffects::RenderPostEffects(TGL3DSceneBuffer*, TRenderContextInfo&) {}

// ---- Scene object -----------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLBaseSceneObject, TGLCoordinatesUpdateAbleComponent)

std::function<void(TGLBaseSceneObject*)> TGLBaseSceneObject::vRenameHook;

TGLBaseSceneObject::TGLBaseSceneObject(TComponent* owner) : TGLCoordinatesUpdateAbleComponent(owner) {
    position_.reset(TGLCoordinates::CreateWithVector(this, NullHmgPoint, csPoint));
    direction_.reset(TGLCoordinates::CreateWithVector(this, ZHmgVector, csVector));
    up_.reset(TGLCoordinates::CreateWithVector(this, YHmgVector, csVector));
    scale_.reset(TGLCoordinates::CreateWithVector(this, {1, 1, 1, 0}, csVector));
    rotation_.reset(TGLCoordinates::CreateWithVector(this, NullHmgVector, csVector));
}

TGLBaseSceneObject::~TGLBaseSceneObject() {
    destroying_ = true;
    removeCamerasAmongDescendants();
    if (children_) {
        while (children_->Count() > 0) {
            auto* child = static_cast<TGLBaseSceneObject*>(children_->Pop());
            child->parent_ = nullptr;
            delete child;
        }
    }
    if (parent_) parent_->Remove(this, false);
    listHandle_.reset();
    behaviours_.reset();
    effects_.reset();
}

void TGLBaseSceneObject::removeCamerasAmongDescendants() {
    for (int i = SceneObjectChildCount() - 1; i >= 0; --i) {
        if (i >= SceneObjectChildCount()) continue;
        TGLBaseSceneObject* child = SceneObjectChild(i);
        child->removeCamerasAmongDescendants();
        if (child->InheritsFrom(TGLCamera::StaticClass())) {
            Remove(child, true);
            delete child;
        }
    }
}

TGLBaseSceneObject* TGLBaseSceneObject::SceneObjectChild(int index) const {
    if (!children_) return nullptr;
    return static_cast<TGLBaseSceneObject*>(children_->ObjectListItem(index));
}

void TGLBaseSceneObject::SetName(const std::string& name) {
    if (name == Name()) return;
    TComponent::SetName(name);
    if (vRenameHook) vRenameHook(this);
}

void TGLBaseSceneObject::Loaded() {
    TGLCoordinatesUpdateAbleComponent::Loaded();
    TVector p = position_->AsVector();
    p[3] = 1;
    position_->SetVector(p);
    if (behaviours_) behaviours_->Loaded();
    if (effects_) effects_->Loaded();
}

void TGLBaseSceneObject::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TGLBaseSceneObject*>(source);
    if (!other) {
        TGLCoordinatesUpdateAbleComponent::Assign(source);
        return;
    }
    auto* sourceObject = const_cast<TGLBaseSceneObject*>(other);
    DestroyHandles();
    visible_ = other->visible_;
    sourceObject->SceneObjectRebuildMatrix();
    SetMatrix(sourceObject->localMatrix_);
    showAxes_ = other->showAxes_;
    objectsSorting_ = other->objectsSorting_;
    visibilityCulling_ = other->visibilityCulling_;
    rotation_->SetVector(other->rotation_->AsVector());
    DeleteChildren();
    SceneObjectSetScene(other->scene_);
    if (scene_) scene_->BeginUpdate();
    for (int i = 0; i < other->SceneObjectChildCount(); ++i) {
        TGLBaseSceneObject* sourceChild = other->SceneObjectChild(i);
        TGLBaseSceneObject* child = AddNewChild(sourceChild->ClassType());
        if (child) child->Assign(sourceChild);
    }
    if (scene_) scene_->EndUpdate();
    OnProgress = other->OnProgress;
    if (other->behaviours_)
        Behaviours()->Assign(other->behaviours_.get());
    else
        behaviours_.reset();
    if (other->effects_)
        Effects()->Assign(other->effects_.get());
    else
        effects_.reset();
    Tag = other->Tag;
    TagFloat = other->TagFloat;
}

TGLBehaviours* TGLBaseSceneObject::Behaviours() {
    if (!behaviours_) behaviours_ = std::make_unique<TGLBehaviours>(this);
    return behaviours_.get();
}

TGLObjectEffects* TGLBaseSceneObject::Effects() {
    if (!effects_) effects_ = std::make_unique<TGLObjectEffects>(this);
    return effects_.get();
}

void TGLBaseSceneObject::WriteBehavioursData(TStream& stream) const {
    if (!HasBehaviours()) return;
    TBinaryWriter writer(stream);
    behaviours_->WriteToFiler(&writer);
}

void TGLBaseSceneObject::ReadBehavioursData(TStream& stream) {
    TBinaryReader reader(stream);
    Behaviours()->ReadFromFiler(&reader);
}

void TGLBaseSceneObject::WriteEffectsData(TStream& stream) const {
    if (!HasEffects()) return;
    TBinaryWriter writer(stream);
    effects_->WriteToFiler(&writer);
}

void TGLBaseSceneObject::ReadEffectsData(TStream& stream) {
    TBinaryReader reader(stream);
    Effects()->ReadFromFiler(&reader);
}

void TGLBaseSceneObject::DoProgress(const TProgressTimes& progressTimes) {
    for (int i = SceneObjectChildCount() - 1; i >= 0; --i)
        SceneObjectChild(i)->DoProgress(progressTimes);
    if (behaviours_) behaviours_->DoProgress(progressTimes);
    if (effects_) effects_->DoProgress(progressTimes);
    if (OnProgress) OnProgress(this, progressTimes.DeltaTime, progressTimes.NewTime);
}

void TGLBaseSceneObject::NotifyChange(TObject* sender) {
    if (scene_ && !IsUpdating()) scene_->NotifyChange(sender);
}

void TGLBaseSceneObject::EndUpdate() {
    GLAssert(updateCount_ >= 1, "Unbalanced Begin/EndUpdate");
    --updateCount_;
    if (updateCount_ == 0) NotifyChange(this);
}

void TGLBaseSceneObject::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    NotifyChange(this);
}

void TGLBaseSceneObject::SetShowAxes(bool value) {
    if (showAxes_ == value) return;
    showAxes_ = value;
    NotifyChange(this);
}

void TGLBaseSceneObject::SetObjectsSorting(TGLObjectsSorting value) {
    if (objectsSorting_ == value) return;
    objectsSorting_ = value;
    NotifyChange(this);
}

void TGLBaseSceneObject::SetVisibilityCulling(TGLVisibilityCulling value) {
    if (visibilityCulling_ == value) return;
    visibilityCulling_ = value;
    NotifyChange(this);
}

// ---- Orientation ------------------------------------------------------------------------------------

void TGLBaseSceneObject::CoordinateChanged(TGLCoordinates* sender) {
    if (calculating_) return;
    ++calculating_;
    try {
        if (sender == direction_.get() || sender == up_.get()) {
            TGLCoordinates* primary = sender;
            TGLCoordinates* other = sender == direction_.get() ? up_.get() : direction_.get();
            if (primary->VectorLength() == 0)
                primary->SetVector(sender == direction_.get() ? ZHmgVector : YHmgVector);
            primary->Normalize();
            TAffineVector dir = direction_->AsAffineVector();
            TAffineVector up = up_->AsAffineVector();
            TAffineVector right = CrossProduct3(dir, up);
            if (VectorLength(right) < 1e-5f) {
                right = CrossProduct3(ZVector, up);
                if (VectorLength(right) < 1e-5f) right = CrossProduct3(XVector, up);
            }
            TAffineVector result =
                sender == direction_.get() ? CrossProduct3(right, dir) : CrossProduct3(up, right);
            NormalizeVector3(result);
            other->SetVector(DirectionFromVector3(result));
        }
        SceneObjectTransformationChanged();
    } catch (...) {
        --calculating_;
        throw;
    }
    --calculating_;
}

void TGLBaseSceneObject::SetPosition(const TGLCoordinates* value) {
    position_->SetPoint(value->X(), value->Y(), value->Z());
}

void TGLBaseSceneObject::SetDirection(const TGLCoordinates* value) {
    if (value->VectorLength() == 0) return;
    direction_->SetVector(value->X(), value->Y(), value->Z());
}

void TGLBaseSceneObject::SetUp(const TGLCoordinates* value) {
    if (value->VectorLength() == 0) return;
    up_->SetVector(value->X(), value->Y(), value->Z());
}

void TGLBaseSceneObject::SetScale(const TGLCoordinates* value) {
    scale_->Assign(value);
    SceneObjectTransformationChanged();
}

void TGLBaseSceneObject::rotateAbout(const TAffineVector& axis, float oldAngle, float newAngle) {
    float angle = static_cast<float>(DegToRad(static_cast<long double>(oldAngle) - newAngle));
    TMatrix rotation = CreateRotationMatrix(axis, angle);
    TVector up = TransformVector4(up_->AsVector(), rotation);
    TVector dir = TransformVector4(direction_->AsVector(), rotation);
    up[3] = 0;
    dir[3] = 0;
    NormalizeVector(up);
    NormalizeVector(dir);
    up_->SetVector(up);
    direction_->SetVector(dir);
    SceneObjectTransformationChanged();
}

void TGLBaseSceneObject::setAngle(int index, float angle) {
    float old = rotation_->AsVector()[static_cast<size_t>(index)];
    if (angle == old) return;
    if (!IsLoading()) {
        ++calculating_;
        try {
            TAffineVector axis = index == 0
                                     ? CrossProduct3(direction_->AsAffineVector(), up_->AsAffineVector())
                                 : index == 1 ? up_->AsAffineVector()
                                              : direction_->AsAffineVector();
            rotateAbout(axis, old, angle);
        } catch (...) {
            --calculating_;
            throw;
        }
        --calculating_;
    }
    TVector r = rotation_->AsVector();
    r[static_cast<size_t>(index)] = NormalizeDegAngle(angle);
    rotation_->SetVector(r);
}

void TGLBaseSceneObject::SetPitchAngle(float angle) {
    setAngle(0, angle);
}
void TGLBaseSceneObject::SetTurnAngle(float angle) {
    setAngle(1, angle);
}
void TGLBaseSceneObject::SetRollAngle(float angle) {
    setAngle(2, angle);
}

TAffineVector TGLBaseSceneObject::RightVector() const {
    return CrossProduct3(direction_->AsAffineVector(), up_->AsAffineVector());
}

TAffineVector TGLBaseSceneObject::LeftVector() const {
    return CrossProduct3(up_->AsAffineVector(), direction_->AsAffineVector());
}

// ---- Matrices ---------------------------------------------------------------------------------------

void TGLBaseSceneObject::SceneObjectRebuildMatrix() {
    if (!(changes_ & ObjectChange(ocLocalMatrix))) return;
    TAffineVector up = up_->AsAffineVector();
    TAffineVector dir = direction_->AsAffineVector();
    TAffineVector right = CrossProduct3(up, dir);
    const TVector& s = scale_->AsVector();
    localMatrix_[0] = {right[0] * s[0], right[1] * s[0], right[2] * s[0], 0};
    localMatrix_[1] = {up[0] * s[1], up[1] * s[1], up[2] * s[1], 0};
    localMatrix_[2] = {dir[0] * s[2], dir[1] * s[2], dir[2] * s[2], 0};
    localMatrix_[3] = {position_->X(), position_->Y(), position_->Z(), 1};
    changes_ &= ~ObjectChange(ocLocalMatrix);
    changes_ |= ObjectChange(ocAbsoluteMatrix) | ObjectChange(ocInverseMatrix);
}

TMatrix TGLBaseSceneObject::Matrix() {
    SceneObjectRebuildMatrix();
    return localMatrix_;
}

void TGLBaseSceneObject::SetMatrix(const TMatrix& m) {
    localMatrix_ = m;
    auto row = [&m](int i) { return TAffineVector{m[i][0], m[i][1], m[i][2]}; };
    ++calculating_;
    direction_->BeginUpdate();
    up_->BeginUpdate();
    scale_->BeginUpdate();
    position_->BeginUpdate();
    direction_->SetVector(DirectionFromVector3(NormalizedVector3(row(2))));
    up_->SetVector(DirectionFromVector3(NormalizedVector3(row(1))));
    scale_->SetVector(VectorLength(row(0)), VectorLength(row(1)), VectorLength(row(2)));
    position_->SetPoint(m[3][0], m[3][1], m[3][2]);
    position_->EndUpdate();
    scale_->EndUpdate();
    up_->EndUpdate();
    direction_->EndUpdate();
    --calculating_;
    SceneObjectTransformationChanged();
}

const TMatrix& TGLBaseSceneObject::SceneObjectAbsoluteMatrix() {
    if (changes_ & ObjectChange(ocAbsoluteMatrix)) {
        SceneObjectRebuildMatrix();
        if (!absoluteMatrices_) absoluteMatrices_ = std::make_unique<std::array<TMatrix, 2>>();
        if (parent_ && !parent_->IsSceneRoot())
            MultiplyMatrices(localMatrix_, parent_->SceneObjectAbsoluteMatrix(), (*absoluteMatrices_)[0]);
        else
            (*absoluteMatrices_)[0] = localMatrix_;
        changes_ &= ~ObjectChange(ocAbsoluteMatrix);
        changes_ |= ObjectChange(ocInverseMatrix);
    }
    return (*absoluteMatrices_)[0];
}

const TMatrix& TGLBaseSceneObject::SceneObjectInvAbsoluteMatrix() {
    const TMatrix& absolute = SceneObjectAbsoluteMatrix();
    if (changes_ & ObjectChange(ocInverseMatrix)) {
        TMatrix& inverse = (*absoluteMatrices_)[1];
        if (VectorEquals4(scale_->AsVector(), {1, 1, 1, 0})) {
            SceneObjectRebuildMatrix();
            TMatrix localInverse = rigidInverse(localMatrix_);
            if (parent_ && !parent_->IsSceneRoot())
                MultiplyMatrices(parent_->SceneObjectInvAbsoluteMatrix(), localInverse, inverse);
            else
                inverse = localInverse;
        } else {
            inverse = absolute;
            InvertMatrix(inverse);
        }
        changes_ &= ~ObjectChange(ocInverseMatrix);
    }
    return (*absoluteMatrices_)[1];
}

TVector TGLBaseSceneObject::SceneObjectAbsolutePosition() {
    return SceneObjectAbsoluteMatrix()[3];
}

TVector TGLBaseSceneObject::SceneObjectAbsoluteDirection() {
    TVector d = SceneObjectAbsoluteMatrix()[2];
    d[3] = 0;
    NormalizeVector(d);
    return d;
}

TVector TGLBaseSceneObject::SceneObjectLocalToAbsolute(const TVector& v) {
    return TransformVector4(v, SceneObjectAbsoluteMatrix());
}

TVector TGLBaseSceneObject::SceneObjectAbsoluteToLocal(const TVector& v) {
    return TransformVector4(v, SceneObjectInvAbsoluteMatrix());
}

TVector TGLBaseSceneObject::BarycenterAbsolutePosition() {
    return SceneObjectAbsolutePosition();
}

float TGLBaseSceneObject::BarycenterSqrDistanceTo(const TVector& point) {
    TVector d = SubtractVectors4(BarycenterAbsolutePosition(), point);
    return d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
}

TVector TGLBaseSceneObject::AxisAlignedDimensions() const {
    TVector d = AxisAlignedDimensionsUnscaled();
    const TVector& s = scale_->AsVector();
    return {d[0] * s[0], d[1] * s[1], d[2] * s[2], d[3]};
}

float TGLBaseSceneObject::SceneObjectBoundingSphereRadius() const {
    return VectorLength(AxisAlignedDimensions());
}

float TGLBaseSceneObject::SceneObjectBoundingSphereRadiusUnscaled() const {
    return VectorLength(AxisAlignedDimensionsUnscaled());
}

TAABB TGLBaseSceneObject::childrenBoundingBox() const {
    TAABB box;
    SetAABB(box, AxisAlignedDimensionsUnscaled());
    for (int i = 0; i < SceneObjectChildCount(); ++i) {
        TGLBaseSceneObject* child = SceneObjectChild(i);
        TAABB childBox = child->childrenBoundingBox();
        AABBScale(childBox, child->scale_->AsAffineVector());
        child->SceneObjectRebuildMatrix();
        // The child's box is transformed by its own matrix without its scale, which the box already has.
        TMatrix m = child->localMatrix_;
        for (int r = 0; r < 3; ++r) {
            float s = child->scale_->AsVector()[static_cast<size_t>(r)];
            if (s != 0)
                for (int c = 0; c < 3; ++c)
                    m[r][c] /= s;
        }
        AABBTransform(childBox, m);
        AddAABB(box, childBox);
    }
    return box;
}

TAABB TGLBaseSceneObject::SceneObjectBoundingBox() const {
    TAABB box = childrenBoundingBox();
    AABBScale(box, scale_->AsAffineVector());
    return box;
}

bool TGLBaseSceneObject::PointInObject(const TVector& point) {
    TVector local = SceneObjectAbsoluteToLocal(point);
    TVector dims = AxisAlignedDimensions();
    const TVector& s = scale_->AsVector();
    for (int i = 0; i < 3; ++i)
        if (std::fabs(local[static_cast<size_t>(i)] * s[static_cast<size_t>(i)]) >
            dims[static_cast<size_t>(i)])
            return false;
    return true;
}

bool TGLBaseSceneObject::RayCastIntersect(const TVector& rayStart, const TVector& rayVector,
                                          TVector* intersectPoint, TVector* intersectNormal) {
    TVector centre = SceneObjectAbsolutePosition();
    TVector i1, i2;
    if (RaySphereIntersect(rayStart, rayVector, centre, SceneObjectBoundingSphereRadius(), i1, i2) <= 0)
        return false;
    if (intersectPoint) *intersectPoint = i1;
    if (intersectNormal) {
        TVector n = SubtractVectors4(i1, centre);
        n[3] = 0;
        NormalizeVector(n);
        *intersectNormal = n;
    }
    return true;
}

TGLSilhouette* TGLBaseSceneObject::GenerateSilhouette(const TGLSilhouetteParameters& params) {
    GLAssert(params.Style == ssOmni || params.Style == ssParallel, "");
    float radius = SceneObjectBoundingSphereRadiusUnscaled();
    TAffineVector viewVector;
    if (params.Style == ssOmni) {
        viewVector = params.SeenFrom;
        float d = VectorLength(viewVector);
        // Inside the sphere the tangent cone is undefined; the plain radius stands.
        if (d > radius) radius = SphereRayDistanceHelper(d, radius);
    } else {
        viewVector = params.LightDirection;
    }
    NormalizeVector3(viewVector);
    TAffineVector yPath = CrossProduct3(viewVector, XVector);
    if (VectorLength(yPath) < 0.001f) yPath = CrossProduct3(viewVector, YVector);
    NormalizeVector3(yPath);
    TAffineVector xPath = CrossProduct3(yPath, viewVector);
    NormalizeVector3(xPath);
    auto* silhouette = new TGLSilhouette();
    const float step = 0.2991993f;
    for (int k = 0; k <= 20; ++k) {
        float s, c;
        SinCosSingle(k * step, s, c);
        TAffineVector p = CombineVectors3(xPath, yPath, c * 0.98f * radius, s * 0.98f * radius);
        silhouette->Vertices().Add(PointFromVector3(p));
    }
    for (int k = 0; k <= 20; ++k) {
        silhouette->Indices().Add(k);
        silhouette->Indices().Add((k + 1) % 21);
    }
    if (params.CappingRequired) {
        silhouette->Vertices().Add(NullHmgPoint);
        for (int k = 0; k <= 20; ++k) {
            silhouette->CapIndices().Add(21);
            silhouette->CapIndices().Add(k);
            silhouette->CapIndices().Add((k + 1) % 21);
        }
    }
    return silhouette;
}

// ---- Change tracking --------------------------------------------------------------------------------

void TGLBaseSceneObject::markAbsoluteDirty() {
    constexpr TGLObjectChanges both = ObjectChange(ocAbsoluteMatrix) | ObjectChange(ocInverseMatrix);
    if ((changes_ & both) == both) return;
    changes_ |= both;
    for (int i = 0; i < SceneObjectChildCount(); ++i)
        SceneObjectChild(i)->markAbsoluteDirty();
}

void TGLBaseSceneObject::SceneObjectTransformationChanged() {
    if (changes_ & ObjectChange(ocLocalMatrix)) return;
    changes_ |= ObjectChange(ocLocalMatrix);
    constexpr TGLObjectChanges both = ObjectChange(ocAbsoluteMatrix) | ObjectChange(ocInverseMatrix);
    changes_ |= both;
    for (int i = 0; i < SceneObjectChildCount(); ++i)
        SceneObjectChild(i)->markAbsoluteDirty();
    if (!IsLoading()) NotifyChange(this);
}

void TGLBaseSceneObject::SceneObjectStructureChanged() {
    if (!(changes_ & ObjectChange(ocStructure))) {
        changes_ |= ObjectChange(ocStructure);
        NotifyChange(this);
    } else if (objectStyle_ & ObjectStyle(osImmediateDraw)) {
        NotifyChange(this);
    }
}

void TGLBaseSceneObject::SceneObjectSetScene(TGL3DScene* scene) {
    if (scene == scene_) return;
    if (scene_) DestroyHandles();
    scene_ = scene;
    for (int i = 0; i < SceneObjectChildCount(); ++i)
        SceneObjectChild(i)->SceneObjectSetScene(scene);
}

void TGLBaseSceneObject::DestroyHandle() {
    listHandle_.reset();
    changes_ |= ObjectChange(ocStructure);
}

void TGLBaseSceneObject::DestroyHandles() {
    for (int i = 0; i < SceneObjectChildCount(); ++i)
        SceneObjectChild(i)->DestroyHandles();
    DestroyHandle();
}

// ---- Tree -------------------------------------------------------------------------------------------

void TGLBaseSceneObject::AddChild(TGLBaseSceneObject* child) {
    if (!child || child == this) return;
    if (child->parent_) child->parent_->Remove(child, false);
    if (scene_) scene_->AddLights(child);
    if (!children_) children_ = std::make_unique<TPersistentObjectList>();
    children_->Add(child);
    child->parent_ = this;
    child->SceneObjectSetScene(scene_);
    SceneObjectTransformationChanged();
    child->SceneObjectTransformationChanged();
}

TGLBaseSceneObject* TGLBaseSceneObject::AddNewChild(const TMetaClass& childClass) {
    auto* child = dynamic_cast<TGLBaseSceneObject*>(childClass.Create());
    if (!child) return nullptr;
    AddChild(child);
    return child;
}

TGLBaseSceneObject* TGLBaseSceneObject::AddNewChildFirst(const TMetaClass& childClass) {
    auto* child = dynamic_cast<TGLBaseSceneObject*>(childClass.Create());
    if (!child) return nullptr;
    Insert(0, child);
    return child;
}

void TGLBaseSceneObject::Insert(int index, TGLBaseSceneObject* child) {
    if (!child || child == this) return;
    if (!children_) children_ = std::make_unique<TPersistentObjectList>();
    if (child->parent_) child->parent_->Remove(child, false);
    children_->Insert(index, child);
    child->parent_ = this;
    if (child->scene_ != scene_) child->DestroyHandles();
    child->SceneObjectSetScene(scene_);
    if (scene_) scene_->AddLights(child);
    child->SceneObjectTransformationChanged();
}

void TGLBaseSceneObject::Remove(TGLBaseSceneObject* child, bool keepChildren) {
    if (!child || child->parent_ != this || !children_) return;
    if (scene_) scene_->RemoveLights(child);
    children_->Remove(child);
    child->parent_ = nullptr;
    if (keepChildren) {
        BeginUpdate();
        while (child->SceneObjectChildCount() > 0) {
            TGLBaseSceneObject* grandChild = child->SceneObjectChild(0);
            child->children_->Delete(0);
            grandChild->parent_ = nullptr;
            AddChild(grandChild);
        }
        EndUpdate();
    } else {
        NotifyChange(this);
    }
}

void TGLBaseSceneObject::DeleteChildren() {
    removeCamerasAmongDescendants();
    if (scene_) scene_->RemoveLights(this);
    if (!children_) return;
    while (children_->Count() > 0) {
        auto* child = static_cast<TGLBaseSceneObject*>(children_->Pop());
        child->parent_ = nullptr;
        delete child;
    }
}

void TGLBaseSceneObject::MoveTo(TGLBaseSceneObject* newParent) {
    if (newParent == parent_) return;
    if (parent_) {
        parent_->Remove(this, false);
        SceneObjectSetScene(nullptr);
    }
    if (newParent) newParent->AddChild(this);
}

int TGLBaseSceneObject::Index() const {
    return parent_ && parent_->children_ ? parent_->children_->IndexOf(this) : -1;
}

void TGLBaseSceneObject::SetIndex(int index) {
    if (!parent_) return;
    int count = parent_->SceneObjectChildCount();
    index = std::clamp(index, 0, std::max(count - 1, 0));
    if (index == Index()) return;
    TGLBaseSceneObject* parent = parent_;
    if (scene_) scene_->BeginUpdate();
    parent->Remove(this, false);
    parent->Insert(index, this);
    if (scene_) scene_->EndUpdate();
}

void TGLBaseSceneObject::SetParentComponent(TComponent* parent) {
    if (parent_) {
        parent_->Remove(this, false);
        SceneObjectSetScene(nullptr);
    }
    if (auto* scene = dynamic_cast<TGL3DScene*>(parent)) {
        if (InheritsFrom(TGLCamera::StaticClass()))
            scene->Cameras()->AddChild(this);
        else
            scene->Objects()->AddChild(this);
    } else if (auto* object = dynamic_cast<TGLBaseSceneObject*>(parent)) {
        object->AddChild(this);
    } else {
        SceneObjectSetScene(nullptr);
    }
}

void TGLBaseSceneObject::GetChildren(const std::function<void(TComponent*)>& proc) const {
    for (int i = 0; i < SceneObjectChildCount(); ++i)
        proc(SceneObjectChild(i));
}

// ---- Rendering --------------------------------------------------------------------------------------

GLuint TGLBaseSceneObject::GetHandle(TRenderContextInfo& rci) {
    if (listHandle_ && listHandle_->Handle() != 0 && !(changes_ & ObjectChange(ocStructure)))
        return listHandle_->Handle();
    ClearStructureChanged();
    if (!listHandle_) listHandle_ = std::make_unique<TGLListHandle>();
    if (listHandle_->Handle() == 0) listHandle_->AllocateHandle();
    GLAssert(listHandle_->Handle() != 0, "Handle=0 for " + ClassName());
    glNewList(listHandle_->Handle(), GL_COMPILE);
    BuildList(rci);
    glEndList();
    return listHandle_->Handle();
}

void TGLBaseSceneObject::DrawAxes(TRenderContextInfo& rci, uint16_t pattern) {
    float length = 1;
    if (scene_ && scene_->CurrentBuffer() && scene_->CurrentBuffer()->Camera())
        length = scene_->CurrentBuffer()->Camera()->DepthOfView();
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_LINE_STIPPLE);
    if (!rci.IgnoreBlending) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glLineWidth(1);
    glLineStipple(1, pattern);
    glBegin(GL_LINES);
    for (int axis = 0; axis < 3; ++axis) {
        float minus[3] = {0, 0, 0}, plus[3] = {0, 0, 0}, end[3] = {0, 0, 0};
        minus[axis] = 0.5f;
        plus[axis] = 1;
        glColor3fv(minus);
        glVertex3f(0, 0, 0);
        end[axis] = -length;
        glVertex3fv(end);
        glColor3fv(plus);
        glVertex3f(0, 0, 0);
        end[axis] = length;
        glVertex3fv(end);
    }
    glEnd();
    glPopAttrib();
}

void TGLBaseSceneObject::renderNode(TRenderContextInfo& rci, bool drawSelf, bool drawChildren) {
    bool ignoreDepth = objectStyle_ & ObjectStyle(osIgnoreDepthTest);
    if (!drawSelf) {
        bool switchDepth =
            ignoreDepth && scene_ && scene_->CurrentBuffer() && scene_->CurrentBuffer()->DepthTest();
        if (switchDepth && rci.StateCache) rci.StateCache->StateCacheDisable(stDepthTest);
        DoRender(rci, false, drawChildren);
        if (switchDepth && rci.StateCache) rci.StateCache->StateCacheEnable(stDepthTest);
        return;
    }
    if (showAxes_) DrawAxes(rci, 0xCCCC);
    auto render = [&]() {
        if (ignoreDepth && rci.StateCache) rci.StateCache->StateCacheDisable(stDepthTest);
        DoRender(rci, true, drawChildren);
        if (ignoreDepth && rci.StateCache) rci.StateCache->StateCacheEnable(stDepthTest);
        if ((objectStyle_ & ObjectStyle(osAltersRenderState)) && rci.StateCache) rci.StateCache->ResetAll();
    };
    if (!HasEffects()) {
        render();
        return;
    }
    glPushMatrix();
    effects_->RenderPreEffects(this, rci);
    glPopMatrix();
    glPushMatrix();
    render();
    effects_->RenderPostEffects(rci.Buffer, rci);
    glPopMatrix();
}

void TGLBaseSceneObject::SceneObjectRender(TRenderContextInfo& rci) {
    bool drawSelf = true;
    bool drawChildren = SceneObjectChildCount() > 0;
    bool noCulling = objectStyle_ & ObjectStyle(osNoCulling);
    GLAssert(rci.VisibilityCulling <= vcHierarchical, "Unknown visibility culling option");
    if (rci.VisibilityCulling == vcObjectBased && !noCulling) {
        drawSelf = !IsSphereOutsideFrustum(affine(SceneObjectAbsolutePosition()), rci.Clipping.Frustum,
                                           SceneObjectBoundingSphereRadius());
    } else if (rci.VisibilityCulling == vcHierarchical && !noCulling) {
        TAABB box = SceneObjectBoundingBox();
        // The box is taken in its object's frame, so it is placed through the parent's absolute matrix.
        TMatrix m = localMatrix_;
        if (parent_ && !parent_->IsSceneRoot())
            MultiplyMatrices(Matrix(), parent_->SceneObjectAbsoluteMatrix(), m);
        else
            m = Matrix();
        for (int r = 0; r < 3; ++r) {
            float s = scale_->AsVector()[static_cast<size_t>(r)];
            if (s != 0)
                for (int c = 0; c < 3; ++c)
                    m[r][c] /= s;
        }
        AABBTransform(box, m);
        drawSelf = !IsBoxOutsideFrustum(box.min, box.max, rci.Clipping.Frustum);
        drawChildren = drawSelf && SceneObjectChildCount() > 0;
    }
    if (!drawSelf && !drawChildren) return;
    glPushMatrix();
    SceneObjectRebuildMatrix();
    glMultMatrixf(&localMatrix_[0][0]);
    // Picking names are 32 bits; the low bits of the object's address stand for it.
    auto pickName = static_cast<GLuint>(reinterpret_cast<uintptr_t>(this));
    if (rci.DrawState == dsPicking) {
        if (rci.ProxySubObject)
            glPushName(pickName);
        else
            glLoadName(pickName);
    }
    renderNode(rci, drawSelf, drawChildren);
    if (rci.DrawState == dsPicking && rci.ProxySubObject) glPopName();
    glPopMatrix();
}

void TGLBaseSceneObject::DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) {
    if (renderSelf) {
        if ((objectStyle_ & ObjectStyle(osImmediateDraw)) || rci.DirectBuild)
            BuildList(rci);
        else
            glCallList(GetHandle(rci));
    }
    if (renderChildren) RenderChildren(0, SceneObjectChildCount() - 1, rci);
}

void TGLBaseSceneObject::RenderChildren(int firstChildIndex, int lastChildIndex, TRenderContextInfo& rci) {
    if (!children_) return;
    TGLVisibilityCulling savedCulling = rci.VisibilityCulling;
    TGLObjectsSorting savedSorting = rci.ObjectsSorting;
    if (visibilityCulling_ != vcInherited) rci.VisibilityCulling = visibilityCulling_;
    if (objectsSorting_ != osInherited) rci.ObjectsSorting = objectsSorting_;
    struct Restore {
        TRenderContextInfo& rci;
        TGLVisibilityCulling culling;
        TGLObjectsSorting sorting;
        ~Restore() {
            rci.VisibilityCulling = culling;
            rci.ObjectsSorting = sorting;
        }
    } restore{rci, savedCulling, savedSorting};

    if (firstChildIndex == lastChildIndex) {
        TGLBaseSceneObject* child = SceneObjectChild(firstChildIndex);
        if (child->visible_) child->SceneObjectRender(rci);
        return;
    }
    if (firstChildIndex > lastChildIndex) return;
    std::vector<std::pair<float, TGLBaseSceneObject*>> keyed;
    switch (rci.ObjectsSorting) {
    case osNone:
        for (int i = firstChildIndex; i <= lastChildIndex; ++i) {
            TGLBaseSceneObject* child = SceneObjectChild(i);
            if (child->visible_) child->SceneObjectRender(rci);
        }
        return;
    case osRenderFarthestFirst:
    case osRenderBlendedLast:
    case osRenderNearestFirst:
        for (int i = firstChildIndex; i <= lastChildIndex; ++i) {
            TGLBaseSceneObject* child = SceneObjectChild(i);
            if (!child->visible_) continue;
            if (rci.ObjectsSorting == osRenderBlendedLast && !child->Blended()) {
                child->SceneObjectRender(rci);
                continue;
            }
            float distance = child->BarycenterSqrDistanceTo(rci.CameraPosition);
            keyed.emplace_back(rci.ObjectsSorting == osRenderNearestFirst ? -1 - distance : 1 + distance,
                               child);
        }
        break;
    default:
        GLAssert(false, "");
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto it = keyed.rbegin(); it != keyed.rend(); ++it)
        it->second->SceneObjectRender(rci);
}

// ---- Custom, immaterial and root objects ------------------------------------------------------------

E3D_DEFINE_CLASS(TGLCustomSceneObject, TGLBaseSceneObject)

TGLCustomSceneObject::TGLCustomSceneObject(TComponent* owner)
    : TGLBaseSceneObject(owner), material_(std::make_unique<TGLMaterial>(this)) {}

TGLCustomSceneObject::~TGLCustomSceneObject() = default;

void TGLCustomSceneObject::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLCustomSceneObject*>(source)) {
        material_->Assign(other->material_.get());
        Hint = other->Hint;
    }
    TGLBaseSceneObject::Assign(source);
}

void TGLCustomSceneObject::Loaded() {
    TGLBaseSceneObject::Loaded();
    material_->Loaded();
}

bool TGLCustomSceneObject::Blended() const {
    return material_->Blended();
}

void TGLCustomSceneObject::SetMaterial(const TGLMaterial* value) {
    material_->Assign(value);
}

void TGLCustomSceneObject::DestroyHandle() {
    TGLBaseSceneObject::DestroyHandle();
    material_->DestroyHandles();
}

void TGLCustomSceneObject::DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) {
    if (renderSelf) {
        if (Scene()) Scene()->SetCurrentRenderingObject(this);
        bool direct = (ObjectStyleFlags() & ObjectStyle(osImmediateDraw)) || rci.DirectBuild;
        auto draw = [&]() {
            if (direct)
                BuildList(rci);
            else
                glCallList(GetHandle(rci));
        };
        if (!rci.IgnoreMaterials) {
            material_->Apply(rci);
            do
                draw();
            while (material_->UnApply(rci));
        } else {
            draw();
        }
    }
    if (renderChildren) RenderChildren(0, SceneObjectChildCount() - 1, rci);
}

E3D_DEFINE_CLASS(TGLImmaterialSceneObject, TGLCustomSceneObject)

void TGLImmaterialSceneObject::DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) {
    TGLBaseSceneObject::DoRender(rci, renderSelf, renderChildren);
}

E3D_DEFINE_CLASS(TGL3DSceneObject, TGLCustomSceneObject)

E3D_DEFINE_CLASS(TGL3DSceneRootObject, TGLBaseSceneObject)

TGL3DSceneRootObject::TGL3DSceneRootObject(TComponent* owner) : TGLBaseSceneObject(owner) {
    GLAssert(dynamic_cast<TGL3DScene*>(owner) != nullptr, "Root object's owner must be a scene");
    SetObjectStyle(ObjectStyle(osImmediateDraw));
    setSceneDirectly(static_cast<TGL3DScene*>(owner));
}

// ---- Camera -----------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLCamera, TGLBaseSceneObject)

TGLCamera::TGLCamera(TComponent* owner) : TGLBaseSceneObject(owner) {
    Direction()->SetVector(0, 0, -1);
}

TGLCamera::~TGLCamera() {
    SetTargetObject(nullptr);
    if (Scene())
        for (int i = Scene()->BufferCount() - 1; i >= 0; --i)
            if (Scene()->Buffer(i)->Camera() == this) Scene()->Buffer(i)->SetCamera(nullptr);
}

void TGLCamera::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLCamera*>(source)) {
        focalLength_ = other->focalLength_;
        depthOfView_ = other->depthOfView_;
        nearPlaneBias_ = other->nearPlaneBias_;
        cameraStyle_ = other->cameraStyle_;
        sceneScale_ = other->sceneScale_;
        SetTargetObject(other->targetObject_);
    }
    TGLBaseSceneObject::Assign(source);
}

void TGLCamera::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == targetObject_) targetObject_ = nullptr;
    TGLBaseSceneObject::Notification(component, operation);
}

void TGLCamera::DoRender(TRenderContextInfo& rci, bool, bool renderChildren) {
    if (renderChildren) RenderChildren(0, SceneObjectChildCount() - 1, rci);
}

void TGLCamera::SetFocalLength(float value) {
    if (value <= 0) value = 1;
    if (value == focalLength_) return;
    focalLength_ = value;
    NotifyChange(this);
}

void TGLCamera::SetDepthOfView(float value) {
    if (value == depthOfView_) return;
    depthOfView_ = value;
    if (!IsLoading()) SceneObjectTransformationChanged();
}

void TGLCamera::SetNearPlaneBias(float value) {
    if (value <= 0) value = 1;
    if (value == nearPlaneBias_) return;
    nearPlaneBias_ = value;
    NotifyChange(this);
}

void TGLCamera::SetSceneScale(float value) {
    if (value == 0) value = 1;
    if (value == sceneScale_) return;
    sceneScale_ = value;
    NotifyChange(this);
}

void TGLCamera::SetCameraStyle(TGLCameraStyle value) {
    if (value == cameraStyle_) return;
    cameraStyle_ = value;
    NotifyChange(this);
}

void TGLCamera::SetTargetObject(TGLBaseSceneObject* value) {
    if (value == targetObject_) return;
    if (targetObject_) targetObject_->RemoveFreeNotification(this);
    targetObject_ = value;
    if (targetObject_) targetObject_->FreeNotification(this);
    if (!IsLoading()) SceneObjectTransformationChanged();
}

float TGLCamera::GetFieldOfView(float viewportDimension) const {
    if (focalLength_ <= 0) return 0;
    return static_cast<float>(RadToDeg(2 * ArcTan2Ext(viewportDimension * 0.5L, focalLength_)));
}

void TGLCamera::SetFieldOfView(float fieldOfView, float viewportDimension) {
    // Angles outside 0..180 have no focal length; they are ignored rather than dividing by zero.
    if (!(fieldOfView > 0 && fieldOfView < 180)) return;
    SetFocalLength(static_cast<float>(viewportDimension / (2 * TanExt(DegToRad(fieldOfView / 2)))));
}

void TGLCamera::ComputeFrustumBounds(const TRectangle& viewport, int width, int height, int DPI, float& left,
                                     float& right, float& bottom, float& top, float& zNear,
                                     float& zFar) const {
    if (width < 1 || height < 1) {
        left = right = bottom = top = zNear = zFar = 0;
        return;
    }
    float maxDim = static_cast<float>(std::max(width, height));
    float xFactor, yFactor;
    if (cameraStyle_ == csOrthogonal) {
        xFactor = 100 * nearPlaneBias_ / (width * focalLength_ * sceneScale_);
        yFactor = 100 * nearPlaneBias_ / (height * focalLength_ * sceneScale_);
    } else {
        xFactor = nearPlaneBias_ / (width * sceneScale_);
        yFactor = nearPlaneBias_ / (height * sceneScale_);
    }
    float w = static_cast<float>(width), h = static_cast<float>(height);
    right = w * (2 * viewport.Left + 2 * viewport.Width - w) * xFactor / (2 * maxDim);
    left = -w * (w - 2 * viewport.Left) * xFactor / (2 * maxDim);
    top = h * (2 * viewport.Top + 2 * viewport.Height - h) * yFactor / (2 * maxDim);
    bottom = -h * (h - 2 * viewport.Top) * yFactor / (2 * maxDim);
    zNear = focalLength_ * 2 * DPI / (25.4f * maxDim) * nearPlaneBias_;
    zFar = zNear + depthOfView_;
}

void TGLCamera::ApplyProjection(const TRectangle& viewport, int width, int height, int DPI) {
    if (width < 1 || height < 1) return;
    switch (cameraStyle_) {
    case csOrtho2D:
        gluOrtho2D(0, width, 0, height);
        nearPlane_ = -1;
        viewPortRadius_ = std::sqrt(float(width) * width + float(height) * height) / 2;
        break;
    case csCustom:
        viewPortRadius_ = std::sqrt(float(width) * width + float(height) * height) / 2;
        if (OnCustomPerspective) OnCustomPerspective(viewport, width, height, DPI, viewPortRadius_);
        break;
    case csPerspective:
    case csOrthogonal:
    case csInfinitePerspective: {
        float left, right, bottom, top, zNear, zFar;
        ComputeFrustumBounds(viewport, width, height, DPI, left, right, bottom, top, zNear, zFar);
        nearPlane_ = zNear;
        if (cameraStyle_ == csPerspective) {
            glFrustum(left, right, bottom, top, zNear, zFar);
        } else if (cameraStyle_ == csOrthogonal) {
            glOrtho(left, right, bottom, top, zNear, zFar);
        } else {
            TMatrix m = IdentityHmgMatrix;
            m[0][0] = 2 * zNear / (right - left);
            m[1][1] = 2 * zNear / (top - bottom);
            m[2][0] = (right + left) / (right - left);
            m[2][1] = (top + bottom) / (top - bottom);
            m[2][2] = 0.0001f - 1;
            m[2][3] = -1;
            m[3][2] = (0.0001f - 2) * zNear;
            m[3][3] = 0;
            glMultMatrixf(&m[0][0]);
        }
        viewPortRadius_ = std::sqrt(top * top + right * right) / zNear;
        break;
    }
    default:
        GLAssert(false, "");
    }
}

void TGLCamera::ApplyViewTransform() {
    if (DeferredApply) {
        DeferredApply();
    } else if (targetObject_) {
        TVector position = SceneObjectAbsolutePosition();
        TVector target = targetObject_->SceneObjectAbsolutePosition();
        TAffineVector d = SubtractVectors3(affine(target), affine(position));
        NormalizeVector3(d);
        lastDirection_ = d;
        gluLookAt(position[0], position[1], position[2], target[0], target[1], target[2], Up()->X(),
                  Up()->Y(), Up()->Z());
    } else {
        TVector position = SceneObjectAbsolutePosition();
        TVector direction = Direction()->AsVector();
        TVector up = Up()->AsVector();
        if (Parent()) {
            const TMatrix& parentMatrix = Parent()->SceneObjectAbsoluteMatrix();
            direction = TransformVector4(direction, parentMatrix);
            up = TransformVector4(up, parentMatrix);
        }
        lastDirection_ = affine(direction);
        gluLookAt(position[0], position[1], position[2], position[0] + direction[0],
                  position[1] + direction[1], position[2] + direction[2], up[0], up[1], up[2]);
    }
    ClearStructureChanged();
}

// ---- Light source -----------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLLightSource, TGLBaseSceneObject)

TGLLightSource::TGLLightSource(TComponent* owner)
    : TGLBaseSceneObject(owner),
      spotDirection_(TGLCoordinates::CreateWithVector(this, {0, 0, -1, 0}, csVector)),
      ambient_(std::make_unique<TGLColor>(this, TVector{0, 0, 0, 1})),
      diffuse_(std::make_unique<TGLColor>(this, TVector{1, 1, 1, 1})),
      specular_(std::make_unique<TGLColor>(this, TVector{0, 0, 0, 1})) {}

TGLLightSource::~TGLLightSource() {
    if (Scene()) Scene()->RemoveLights(this);
}

void TGLLightSource::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLLightSource*>(source)) {
        spotDirection_->SetVector(other->spotDirection_->AsVector());
        spotExponent_ = other->spotExponent_;
        spotCutOff_ = other->spotCutOff_;
        constAttenuation_ = other->constAttenuation_;
        linearAttenuation_ = other->linearAttenuation_;
        quadraticAttenuation_ = other->quadraticAttenuation_;
        shining_ = other->shining_;
        ambient_->Assign(other->ambient_.get());
        diffuse_->Assign(other->diffuse_.get());
        specular_->Assign(other->specular_.get());
        lightStyle_ = other->lightStyle_;
    }
    TGLBaseSceneObject::Assign(source);
}

void TGLLightSource::CoordinateChanged(TGLCoordinates* sender) {
    TGLBaseSceneObject::CoordinateChanged(sender);
    if (sender == spotDirection_.get()) SceneObjectTransformationChanged();
}

void TGLLightSource::DoRender(TRenderContextInfo& rci, bool, bool renderChildren) {
    if (renderChildren) RenderChildren(0, SceneObjectChildCount() - 1, rci);
}

void TGLLightSource::SetSpotDirection(const TGLCoordinates* value) {
    spotDirection_->SetVector(value->X(), value->Y(), value->Z(), 0);
}

void TGLLightSource::SetSpotCutOff(float value) {
    if (value == spotCutOff_) return;
    if ((value >= 0 && value <= 90) || value == 180) {
        spotCutOff_ = value;
        NotifyChange(this);
    }
}

#define E3D_LIGHT_SETTER(Setter, field, Type)                                                                \
    void TGLLightSource::Setter(Type value) {                                                                \
        if (value == field) return;                                                                          \
        field = value;                                                                                       \
        NotifyChange(this);                                                                                  \
    }
E3D_LIGHT_SETTER(SetSpotExponent, spotExponent_, float)
E3D_LIGHT_SETTER(SetConstAttenuation, constAttenuation_, float)
E3D_LIGHT_SETTER(SetLinearAttenuation, linearAttenuation_, float)
E3D_LIGHT_SETTER(SetQuadraticAttenuation, quadraticAttenuation_, float)
E3D_LIGHT_SETTER(SetShining, shining_, bool)
E3D_LIGHT_SETTER(SetLightStyle, lightStyle_, TLightStyle)
#undef E3D_LIGHT_SETTER

// ---- Scene ------------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGL3DScene, TGLUpdateAbleComponent)

TGL3DScene::TGL3DScene(TComponent* owner) : TGLUpdateAbleComponent(owner) {
    objects_ = new TGL3DSceneRootObject(this);
    objects_->SetName("ObjectRoot");
    cameras_ = new TGL3DSceneRootObject(this);
    cameras_->SetName("CameraRoot");
}

TGL3DScene::~TGL3DScene() {
    destroying_ = true;
    for (TGL3DSceneBuffer* buffer : std::vector<TGL3DSceneBuffer*>(buffers_))
        if (buffer->Camera() && buffer->Camera()->Scene() == this) buffer->SetCamera(nullptr);
    cameras_->DestroyHandles();
    objects_->DestroyHandles();
    delete cameras_;
    delete objects_;
    cameras_ = objects_ = nullptr;
}

void TGL3DScene::AddBuffer(TGL3DSceneBuffer* buffer) {
    if (!buffer || std::find(buffers_.begin(), buffers_.end(), buffer) != buffers_.end()) return;
    buffers_.push_back(buffer);
}

TGLContext* TGL3DScene::SharedListsContext() const {
    for (TGL3DSceneBuffer* buffer : buffers_)
        if (buffer->RenderingContext()) return buffer->RenderingContext();
    return nullptr;
}

void TGL3DScene::RemoveBuffer(TGL3DSceneBuffer* buffer) {
    auto it = std::find(buffers_.begin(), buffers_.end(), buffer);
    if (it == buffers_.end()) return;
    buffers_.erase(it);
    if (currentBuffer_ == buffer) currentBuffer_ = nullptr;
}

TGLLightSource* TGL3DScene::Light(int slot) const {
    return slot >= 0 && slot < 8 ? lights_[static_cast<size_t>(slot)] : nullptr;
}

void TGL3DScene::AddLights(TGLBaseSceneObject* object) {
    if (!object) return;
    if (auto* light = dynamic_cast<TGLLightSource*>(object)) {
        if (std::find(lights_.begin(), lights_.end(), light) == lights_.end()) {
            auto slot = std::find(lights_.begin(), lights_.end(), nullptr);
            if (slot != lights_.end()) {
                *slot = light;
                light->SetLightID(static_cast<GLenum>(GL_LIGHT0 + (slot - lights_.begin())));
            }
        }
    }
    for (int i = 0; i < object->SceneObjectChildCount(); ++i)
        AddLights(object->SceneObjectChild(i));
}

void TGL3DScene::RemoveLights(TGLBaseSceneObject* object) {
    if (!object) return;
    if (auto* light = dynamic_cast<TGLLightSource*>(object)) {
        auto slot = std::find(lights_.begin(), lights_.end(), light);
        if (slot != lights_.end()) {
            *slot = nullptr;
            light->SetLightID(0);
        }
    }
    for (int i = 0; i < object->SceneObjectChildCount(); ++i)
        RemoveLights(object->SceneObjectChild(i));
}

void TGL3DScene::EndUpdate() {
    GLAssert(updateCount_ >= 1, "Unbalanced Begin/EndUpdate");
    --updateCount_;
    if (updateCount_ == 0) NotifyChange(this);
}

void TGL3DScene::NotifyChange(TObject*) {
    if (IsUpdating()) return;
    for (TGL3DSceneBuffer* buffer : std::vector<TGL3DSceneBuffer*>(buffers_))
        buffer->NotifyChange(this);
}

void TGL3DScene::DoProgress(const TProgressTimes& progressTimes) {
    BeginUpdate();
    try {
        objects_->DoProgress(progressTimes);
        cameras_->DoProgress(progressTimes);
        if (OnProgress) OnProgress(this, progressTimes.DeltaTime, progressTimes.NewTime);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TGL3DScene::SetObjectsSorting(TGLObjectsSorting value) {
    if (value == osInherited) value = osRenderBlendedLast;
    if (value == objectsSorting_) return;
    objectsSorting_ = value;
    NotifyChange(this);
}

void TGL3DScene::SetVisibilityCulling(TGLVisibilityCulling value) {
    if (value == vcInherited) value = vcNone;
    if (value == visibilityCulling_) return;
    visibilityCulling_ = value;
    NotifyChange(this);
}

TGLBaseSceneObject* TGL3DScene::RayCastIntersect(const TVector& rayStart, const TVector& rayVector,
                                                 TVector* intersectPoint, TVector* intersectNormal) {
    float bestDistance2 = 1e20f;
    TGLBaseSceneObject* best = nullptr;
    std::function<void(TGLBaseSceneObject*)> walk = [&](TGLBaseSceneObject* object) {
        for (int i = 0; i < object->SceneObjectChildCount(); ++i) {
            TGLBaseSceneObject* child = object->SceneObjectChild(i);
            if (!child->Visible()) continue;
            TVector point, normal;
            if (child->RayCastIntersect(rayStart, rayVector, &point, &normal)) {
                TVector d = SubtractVectors4(point, rayStart);
                float distance2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
                if (distance2 < bestDistance2) {
                    bestDistance2 = distance2;
                    best = child;
                    if (intersectPoint) *intersectPoint = point;
                    if (intersectNormal) *intersectNormal = normal;
                }
            }
            walk(child);
        }
    };
    walk(objects_);
    return best;
}

void TGL3DScene::SetupLights(int maxLights) {
    int n = std::min(8, maxLights);
    glPushMatrix();
    for (int slot = 0; slot < n; ++slot) {
        TGLLightSource* light = lights_[static_cast<size_t>(slot)];
        GLenum id = static_cast<GLenum>(GL_LIGHT0 + slot);
        if (!light || !light->Shining()) {
            glDisable(id);
            continue;
        }
        glEnable(id);
        glPopMatrix();
        glPushMatrix();
        light->SceneObjectRebuildMatrix();
        if (light->LightStyle() == lsParallel) {
            glMultMatrixf(&light->SceneObjectAbsoluteMatrix()[0][0]);
            glLightfv(id, GL_POSITION, light->SpotDirection()->AsAddress());
        } else {
            if (light->Parent()) glMultMatrixf(&light->Parent()->SceneObjectAbsoluteMatrix()[0][0]);
            glLightfv(id, GL_POSITION, light->Position()->AsAddress());
        }
        glLightfv(id, GL_AMBIENT, light->Ambient()->AsAddress());
        glLightfv(id, GL_DIFFUSE, light->Diffuse()->AsAddress());
        glLightfv(id, GL_SPECULAR, light->Specular()->AsAddress());
        if (light->LightStyle() == lsSpot) {
            if (light->SpotCutOff() != 180) {
                glLightfv(id, GL_SPOT_DIRECTION, light->SpotDirection()->AsAddress());
                glLightf(id, GL_SPOT_EXPONENT, light->SpotExponent());
            }
            glLightf(id, GL_SPOT_CUTOFF, light->SpotCutOff());
        } else {
            glLightf(id, GL_SPOT_CUTOFF, 180);
        }
        glLightf(id, GL_CONSTANT_ATTENUATION, light->ConstAttenuation());
        glLightf(id, GL_LINEAR_ATTENUATION, light->LinearAttenuation());
        glLightf(id, GL_QUADRATIC_ATTENUATION, light->QuadraticAttenuation());
    }
    glPopMatrix();
    for (int slot = n; slot < maxLights; ++slot)
        glDisable(static_cast<GLenum>(GL_LIGHT0 + slot));
}

void TGL3DScene::RenderScene(TGL3DSceneBuffer* buffer, int viewportWidth, int viewportHeight,
                             TDrawState drawState, TGLBaseSceneObject* baseObject) {
    currentBuffer_ = buffer;
    TRenderContextInfo rci;
    rci.Scene = this;
    rci.Buffer = buffer;
    rci.ObjectsSorting = objectsSorting_;
    rci.VisibilityCulling = visibilityCulling_;
    rci.BufferFaceCulling = buffer->FaceCulling();
    rci.DrawState = drawState;
    rci.CameraPosition = buffer->CameraAbsolutePosition();
    if (TGLCamera* camera = buffer->Camera()) {
        TAffineVector d = camera->LastDirection();
        NormalizeVector3(d);
        rci.CameraDirection = DirectionFromVector3(d);
        TAffineVector up = camera->Up()->AsAffineVector();
        TAffineVector right = CrossProduct3(d, up);
        up = CrossProduct3(right, d);
        NormalizeVector3(up);
        rci.CameraUp = DirectionFromVector3(up);
        rci.Clipping.ViewPortRadius = camera->ViewPortRadius();
        rci.Clipping.FarClippingDistance = camera->NearPlane() + camera->DepthOfView();
    }
    rci.ModelViewMatrix = &buffer->ModelViewMatrix();
    rci.ViewportWidth = viewportWidth;
    rci.ViewportHeight = viewportHeight;
    rci.RenderDPI = buffer->RenderDPI();
    rci.StateCache = &buffer->StateCache();
    rci.Clipping.Origin = rci.CameraPosition;
    rci.Clipping.ClippingDirection = rci.CameraDirection;
    TMatrix modelViewProjection;
    MultiplyMatrices(buffer->ModelViewMatrix(), buffer->ProjectionMatrix(), modelViewProjection);
    rci.Clipping.Frustum = ExtractFrustumPlanes(modelViewProjection);
    rci.SceneAmbientColor = buffer->AmbientColor()->Color();
    buffer->StateCache().ResetAll();
    bool maskColor = (buffer->ContextOptions() & ContextOption(roNoColorBuffer)) || drawState == dsPicking;
    glColorMask(!maskColor, !maskColor, !maskColor, !maskColor);
    if (buffer->InitiateRendering) buffer->InitiateRendering(buffer, rci);
    if (baseObject)
        baseObject->SceneObjectRender(rci);
    else
        objects_->SceneObjectRender(rci);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    std::vector<TGLObjectEffect*> effects;
    effects.swap(buffer->AfterRenderEffects());
    for (TGLObjectEffect* effect : effects)
        effect->Render(effect->OwnerBaseSceneObject(), rci);
    if (buffer->WrapUpRendering) buffer->WrapUpRendering(buffer, rci);
    buffer->StateCache().StateCacheDisable(stBlend);
    buffer->StateCache().StateCacheDisable(stTexture2D);
    buffer->StateCache().StateCacheDisable(stTextureRect);
    buffer->StateCache().StateCacheEnable(stAlphaTest);
    glAlphaFunc(GL_GREATER, 0);
}

// ---- Fog --------------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLFogEnvironment, TGLUpdateAbleObject)

TGLFogEnvironment::TGLFogEnvironment(TPersistent* owner)
    : TGLUpdateAbleObject(owner), fogColor_(std::make_unique<TGLColor>(this)) {}

TGLFogEnvironment::~TGLFogEnvironment() = default;

void TGLFogEnvironment::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLFogEnvironment*>(source)) {
        fogColor_->Assign(other->fogColor_.get());
        fogStart_ = other->fogStart_;
        fogEnd_ = other->fogEnd_;
        fogMode_ = other->fogMode_;
        fogDistance_ = other->fogDistance_;
        NotifyChange(this);
        return;
    }
    TGLUpdateAbleObject::Assign(source);
}

#define E3D_FOG_SETTER(Setter, field, Type)                                                                  \
    void TGLFogEnvironment::Setter(Type value) {                                                             \
        if (value == field) return;                                                                          \
        field = value;                                                                                       \
        NotifyChange(this);                                                                                  \
    }
E3D_FOG_SETTER(SetFogStart, fogStart_, float)
E3D_FOG_SETTER(SetFogEnd, fogEnd_, float)
E3D_FOG_SETTER(SetFogMode, fogMode_, TFogMode)
E3D_FOG_SETTER(SetFogDistance, fogDistance_, TFogDistance)
#undef E3D_FOG_SETTER

void TGLFogEnvironment::ApplyFog() {
    auto* buffer = dynamic_cast<TGL3DSceneBuffer*>(Owner());
    TGLContext* context = buffer ? buffer->RenderingContext() : nullptr;
    bool activate = context && CurrentGLContext() != context;
    if (activate) context->ContextActivate();
    switch (fogMode_) {
    case fmLinear:
        glFogi(GL_FOG_MODE, GL_LINEAR);
        break;
    case fmExp:
        glFogi(GL_FOG_MODE, GL_EXP);
        glFogf(GL_FOG_DENSITY, fogColor_->Alpha());
        break;
    case fmExp2:
        glFogi(GL_FOG_MODE, GL_EXP2);
        glFogf(GL_FOG_DENSITY, fogColor_->Alpha());
        break;
    }
    glFogfv(GL_FOG_COLOR, fogColor_->AsAddress());
    glFogf(GL_FOG_START, fogStart_);
    glFogf(GL_FOG_END, fogEnd_);
    GLAssert(fogDistance_ <= fdEyePlane, "");
    if (GLExtensions.NV_fog_distance) {
        switch (fogDistance_) {
        case fdEyeRadial:
            glFogi(GL_FOG_DISTANCE_MODE_NV, GL_EYE_RADIAL_NV);
            break;
        case fdEyePlane:
            // The signed eye-plane distance is negative for all that lies before the eye, which fog would
            // then never reach; its absolute value is the distance the eye-plane mode means.
            glFogi(GL_FOG_DISTANCE_MODE_NV, GL_EYE_PLANE_ABSOLUTE_NV);
            break;
        case fdDefault:
            if (GLExtensions.DefaultFogDistanceMode != 0)
                glFogi(GL_FOG_DISTANCE_MODE_NV, GLExtensions.DefaultFogDistanceMode);
            break;
        }
    }
    if (activate) context->ContextDeactivate();
}

// ---- Scene buffer -----------------------------------------------------------------------------------

namespace {

int64_t performanceFrequency() {
    static const int64_t frequency = [] {
        int64_t value = 0;
        return QueryPerformanceFrequencyValue(value) && value > 0 ? value : int64_t(1000);
    }();
    return frequency;
}

int64_t performanceCounter() {
    int64_t value = 0;
    if (!QueryPerformanceCounterValue(value)) value = GLGetTickCount();
    return value;
}

// Why the current context cannot draw the scene, from the major and minor number of its GL_VERSION text;
// empty for OpenGL 1.1 and later. A context that names no version (as some indirect ones do) says so.
std::string openGLVersionFault() {
    const GLubyte* text = glGetString(GL_VERSION);
    int major = 0, minor = 0;
    if (!text || std::sscanf(reinterpret_cast<const char*>(text), "%d.%d", &major, &minor) < 2)
        return std::string(glsOpenGLVersionTooLow) + ": the context reports no OpenGL version";
    if (major > 1 || (major == 1 && minor >= 1)) return {};
    return std::string(glsOpenGLVersionTooLow) + ": the context reports version " +
           reinterpret_cast<const char*>(text);
}

constexpr TColor clBtnFace = clSystemColor | 15;

} // namespace

E3D_DEFINE_CLASS(TGL3DSceneBuffer, TGLUpdateAbleObject)

TGL3DSceneBuffer::TGL3DSceneBuffer(TPersistent* owner)
    : TGLUpdateAbleObject(owner), stateCache_(std::make_unique<TGLStateCache>()), backgroundColor_(clBtnFace),
      ambientColor_(std::make_unique<TGLColor>(this, TVector{0.2f, 0.2f, 0.2f, 1})),
      contextOptions_(ContextOption(roDoubleBuffer) | ContextOption(roRenderToWindow)),
      fogEnvironment_(std::make_unique<TGLFogEnvironment>(this)) {}

TGL3DSceneBuffer::~TGL3DSceneBuffer() {
    try {
        DestroyRC();
    } catch (const std::exception&) {
        // A buffer going away cannot report; the context is released below all the same.
    }
    renderingContext_.reset();
    if (camera_ && camera_->Scene()) camera_->Scene()->RemoveBuffer(this);
}

void TGL3DSceneBuffer::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TGL3DSceneBuffer*>(source);
    if (!other) {
        TGLUpdateAbleObject::Assign(source);
        return;
    }
    faceCulling_ = other->faceCulling_;
    fogEnable_ = other->fogEnable_;
    lighting_ = other->lighting_;
    depthTest_ = other->depthTest_;
    backgroundColor_ = other->backgroundColor_;
    backgroundAlpha_ = other->backgroundAlpha_;
    ambientColor_->Assign(other->ambientColor_.get());
    fogEnvironment_->Assign(other->fogEnvironment_.get());
    shadeModel_ = other->shadeModel_;
    SetCamera(other->camera_);
    bool structural = antiAliasing_ != other->antiAliasing_ || depthPrecision_ != other->depthPrecision_ ||
                      colorDepth_ != other->colorDepth_ || contextOptions_ != other->contextOptions_ ||
                      accumBufferBits_ != other->accumBufferBits_;
    antiAliasing_ = other->antiAliasing_;
    depthPrecision_ = other->depthPrecision_;
    colorDepth_ = other->colorDepth_;
    contextOptions_ = other->contextOptions_;
    accumBufferBits_ = other->accumBufferBits_;
    if (structural) structuralChange();
    NotifyChange(this);
}

void TGL3DSceneBuffer::NotifyChange(TObject*) {
    if (OnChange) OnChange(this);
}

void TGL3DSceneBuffer::structuralChange() {
    if (OnStructuralChange) OnStructuralChange(this);
}

void TGL3DSceneBuffer::prepareGLContext(TGLContext* context) {
    TGLRCOptions options = 0;
    if (contextOptions_ & ContextOption(roDoubleBuffer)) options |= RCOption(rcoDoubleBuffered);
    if (contextOptions_ & ContextOption(roStereo)) options |= RCOption(rcoStereo);
    context->SetOptions(options);
    static constexpr int colorBits[] = {24, 8, 16, 24, 64, 128};
    context->SetColorBits(contextOptions_ & ContextOption(roNoColorBuffer) ? 0 : colorBits[colorDepth_ % 6]);
    static constexpr int depthBits[] = {24, 16, 24, 32};
    context->SetDepthBits(depthBits[depthPrecision_ % 4]);
    context->SetStencilBits(contextOptions_ & ContextOption(roStencilBuffer) ? 8 : 0);
    context->SetAlphaBits(contextOptions_ & ContextOption(roDestinationAlpha) ? 8 : 0);
    context->SetAccumBits(accumBufferBits_);
    context->SetAuxBuffers(0);
    context->SetAntiAliasing(antiAliasing_);
    if (OnPrepareGLContext) OnPrepareGLContext(this, context);
}

void TGL3DSceneBuffer::CreateRC(TGLDeviceContext deviceContext, bool memoryContext) {
    DestroyRC();
    rendering_ = true;
    try {
        TGLContext* context = ContextFactory ? ContextFactory() : CreateRegisteredContext();
        if (!context) throw Exception("Failed to create RenderingContext.");
        renderingContext_.reset(context);
        stateCache_ = std::make_unique<TGLStateCache>();
        prepareGLContext(context);
        if (camera_ && camera_->Scene())
            if (TGLContext* shared = camera_->Scene()->SharedListsContext())
                if (shared != context && shared->IsValid()) context->RequestListSharing(shared);
        if (memoryContext)
            context->CreateMemoryContext(deviceContext, viewport_.Width, viewport_.Height, 1);
        else
            context->CreateContext(deviceContext);
        context->ContextActivate();
        try {
            if (const std::string fault = openGLVersionFault(); !fault.empty()) throw EOpenGLError(fault);
            glViewport(0, 0, viewport_.Width, viewport_.Height);
            SetupRenderingState();
            TVector background = ColorToVector(backgroundColor_);
            glClearColor(background[0], background[1], background[2], 1);
        } catch (...) {
            context->ContextDeactivate();
            throw;
        }
        context->ContextDeactivate();
    } catch (...) {
        renderingContext_.reset();
        rendering_ = false;
        throw;
    }
    rendering_ = false;
}

void TGL3DSceneBuffer::DestroyRC() {
    Melt();
    if (renderingContext_) {
        // GL names of the scene live in this context and die with it; their owners allocate anew.
        if (renderingContext_->IsValid()) {
            while (renderingContext_->ContextIsActive())
                renderingContext_->ContextDeactivate();
            renderingContext_->DestroyContext();
        }
        renderingContext_.reset();
        if (camera_ && camera_->Scene()) camera_->Scene()->RemoveBuffer(this);
    }
}

void TGL3DSceneBuffer::Resize(int width, int height) {
    viewport_.Width = std::max(width, 1);
    viewport_.Height = std::max(height, 1);
    if (renderingContext_ && renderingContext_->IsValid()) {
        renderingContext_->ContextActivate();
        glViewport(0, 0, viewport_.Width, viewport_.Height);
        renderingContext_->ContextDeactivate();
    }
}

void TGL3DSceneBuffer::SetViewPort(int x, int y, int width, int height) {
    viewport_ = {x, y, std::max(width, 1), std::max(height, 1)};
}

void TGL3DSceneBuffer::SetupRenderingState() {
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambientColor_->AsAddress());
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, (contextOptions_ & ContextOption(roTwoSideLighting)) ? 1 : 0);
    TGLStateCache& cache = *stateCache_;
    cache.StateCacheEnable(stNormalize);
    auto set = [&cache](TGLState state, bool on) {
        // The cache may not know the state of a new context, so the call is always made.
        if (on) {
            cache.StateCacheDisable(state);
            cache.StateCacheEnable(state);
        } else {
            cache.StateCacheEnable(state);
            cache.StateCacheDisable(state);
        }
    };
    set(stDepthTest, depthTest_);
    set(stCullFace, faceCulling_);
    set(stLighting, lighting_);
    set(stFog, fogEnable_);
    GLint blueBits = 8;
    glGetIntegerv(GL_BLUE_BITS, &blueBits);
    set(stDither, blueBits < 8);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    GLAssert(shadeModel_ <= smFlat, "");
    glShadeModel(shadeModel_ == smFlat ? GL_FLAT : GL_SMOOTH);
}

void TGL3DSceneBuffer::Render(TGLBaseSceneObject* baseObject) {
    if (rendering_ || !renderingContext_) return;
    TGLContext* context = renderingContext_.get();
    TVector background = ColorToVector(backgroundColor_, backgroundAlpha_);
    if (frozen_) {
        context->ContextActivate();
        try {
            glClearColor(background[0], background[1], background[2], background[3]);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            glRasterPos2f(-1, -1);
            if (!frozenPixels_.empty())
                glDrawPixels(frozenWidth_, frozenHeight_, GL_RGBA, GL_UNSIGNED_BYTE, frozenPixels_.data());
            if (!(contextOptions_ & ContextOption(roNoSwapBuffers))) context->SwapBuffers();
        } catch (...) {
            context->ContextDeactivate();
            throw;
        }
        context->ContextDeactivate();
        return;
    }
    int64_t t0 = performanceCounter();
    TGL3DScene* scene = camera_ ? camera_->Scene() : nullptr;
    if (scene) {
        camera_->SceneObjectAbsoluteMatrix();
        scene->AddBuffer(this);
    }
    rendering_ = true;
    struct RenderingFlag {
        bool& flag;
        ~RenderingFlag() { flag = false; }
    } renderingFlag{rendering_};
    context->ContextActivate();
    try {
        if (frameCount_ == 0) firstFrameTime_ = t0;
        renderDPI_ = int(std::lround(96 * pixelRatio_));
        ClearGLErrors();
        SetupRenderingState();
        glClearColor(background[0], background[1], background[2], background[3]);
        GLbitfield mask = GL_DEPTH_BUFFER_BIT;
        if (!(contextOptions_ & (ContextOption(roNoColorBuffer) | ContextOption(roNoColorBufferClear))))
            mask |= GL_COLOR_BUFFER_BIT;
        if (contextOptions_ & ContextOption(roStencilBuffer)) mask |= GL_STENCIL_BUFFER_BIT;
        glClear(mask);
        CheckGLError();
        RenderScene(scene, viewport_.Width, viewport_.Height, dsRendering, baseObject);
        CheckGLError();
        if (!(contextOptions_ & ContextOption(roNoSwapBuffers))) context->SwapBuffers();
        ++frameCount_;
        int64_t t1 = performanceCounter();
        lastFrameTime_ = double(t1 - t0) / double(performanceFrequency());
        if (t1 > firstFrameTime_)
            framesPerSecond_ = static_cast<float>(double(frameCount_) * double(performanceFrequency()) /
                                                  double(t1 - firstFrameTime_));
        CheckGLError();
    } catch (...) {
        context->ContextDeactivate();
        throw;
    }
    context->ContextDeactivate();
    if (AfterRender) AfterRender(this);
}

void TGL3DSceneBuffer::RenderScene(TGL3DScene* scene, int viewportWidth, int viewportHeight,
                                   TDrawState drawState, TGLBaseSceneObject* baseObject) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glGetFloatv(GL_PROJECTION_MATRIX, &baseProjectionMatrix_[0][0]);
    if (camera_) {
        camera_->ApplyProjection(viewport_, viewportWidth, viewportHeight, renderDPI_);
        glGetFloatv(GL_PROJECTION_MATRIX, &projectionMatrix_[0][0]);
    } else {
        projectionMatrix_ = baseProjectionMatrix_;
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (camera_) {
        if (scene) scene->SetCurrentCamera(camera_);
        cameraAbsolutePosition_ = camera_->SceneObjectAbsolutePosition();
        camera_->ApplyViewTransform();
    }
    glGetFloatv(GL_MODELVIEW_MATRIX, &modelViewMatrix_[0][0]);
    MapTexCoordToNull();
    MapTexCoordToMain();
    if (OnPrepareRender) OnPrepareRender(this);
    if (OnDirectRender) OnDirectRender(this);
    if (BeforeRender) BeforeRender(this);
    if (camera_ && scene) {
        GLint maxLights = 8;
        glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
        scene->SetupLights(maxLights);
        if (fogEnable_) {
            stateCache_->StateCacheEnable(stFog);
            fogEnvironment_->ApplyFog();
        } else {
            stateCache_->StateCacheDisable(stFog);
        }
        scene->RenderScene(this, viewportWidth, viewportHeight, drawState, baseObject);
    }
    if (PostRender) PostRender(this);
    GLAssert(modelViewStack_.empty(), "Unbalance Push/PopModelViewMatrix.");
}

void TGL3DSceneBuffer::PushModelViewMatrix(const TMatrix& newMatrix) {
    modelViewStack_.push_back(modelViewMatrix_);
    modelViewMatrix_ = newMatrix;
}

void TGL3DSceneBuffer::PopModelViewMatrix() {
    GLAssert(!modelViewStack_.empty(), "Unbalanced PopModelViewMatrix");
    modelViewMatrix_ = modelViewStack_.back();
    modelViewStack_.pop_back();
}

void TGL3DSceneBuffer::CopyToTexture(TGLTexture* texture, int xSrc, int ySrc, int width, int height,
                                     int xDest, int yDest, GLenum target) {
    if (!renderingContext_ || !texture || width < 1 || height < 1) return;
    renderingContext_->ContextActivate();
    try {
        GLenum bindTarget = texture->Image()->NativeTextureTarget();
        GLenum imageTarget = target ? target : bindTarget;
        if (imageTarget >= GL_TEXTURE_CUBE_MAP_POSITIVE_X && imageTarget <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z)
            bindTarget = GL_TEXTURE_CUBE_MAP;
        TGLTextureHandle* handle = texture->Handle();
        bool hadName = handle->Handle() != 0;
        if (!hadName) handle->AllocateHandle();
        stateCache_->StateCacheBindTexture(0, bindTarget, handle->Handle());
        if (hadName) {
            glCopyTexSubImage2D(imageTarget, 0, xDest, yDest, xSrc, ySrc, width, height);
        } else {
            std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
            glReadPixels(xSrc, ySrc, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            bool mipmaps = texture->MinFilter() != miNearest && texture->MinFilter() != miLinear;
            if (!mipmaps) {
                glTexImage2D(imageTarget, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                             pixels.data());
            } else if (GLExtensions.SGIS_generate_mipmap && imageTarget == GL_TEXTURE_2D) {
                glTexParameteri(imageTarget, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
                glTexImage2D(imageTarget, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                             pixels.data());
            } else {
                gluBuild2DMipmaps(imageTarget, GL_RGBA8, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                                  pixels.data());
            }
        }
        ClearGLErrors();
    } catch (...) {
        renderingContext_->ContextDeactivate();
        throw;
    }
    renderingContext_->ContextDeactivate();
}

void TGL3DSceneBuffer::ResetPerformanceMonitor() {
    frameCount_ = 0;
    framesPerSecond_ = 0;
    firstFrameTime_ = 0;
    lastFrameTime_ = 0;
}

void TGL3DSceneBuffer::Freeze() {
    if (frozen_ || !renderingContext_) return;
    Render(nullptr);
    renderingContext_->ContextActivate();
    frozenWidth_ = viewport_.Width;
    frozenHeight_ = viewport_.Height;
    frozenPixels_.assign(size_t(frozenWidth_) * size_t(frozenHeight_) * 4, 0);
    glReadPixels(0, 0, frozenWidth_, frozenHeight_, GL_RGBA, GL_UNSIGNED_BYTE, frozenPixels_.data());
    renderingContext_->ContextDeactivate();
    frozen_ = true;
}

void TGL3DSceneBuffer::Melt() {
    frozen_ = false;
    frozenPixels_.clear();
    frozenWidth_ = frozenHeight_ = 0;
}

#define E3D_BUFFER_SETTER(Setter, field, Type, after)                                                        \
    void TGL3DSceneBuffer::Setter(Type value) {                                                              \
        if (value == field) return;                                                                          \
        field = value;                                                                                       \
        after();                                                                                             \
    }
E3D_BUFFER_SETTER(SetFaceCulling, faceCulling_, bool, [this] { NotifyChange(this); })
E3D_BUFFER_SETTER(SetFogEnable, fogEnable_, bool, [this] { NotifyChange(this); })
E3D_BUFFER_SETTER(SetLighting, lighting_, bool, [this] { NotifyChange(this); })
E3D_BUFFER_SETTER(SetDepthTest, depthTest_, bool, [this] { NotifyChange(this); })
E3D_BUFFER_SETTER(SetBackgroundColor, backgroundColor_, TColor, [this] { NotifyChange(this); })
E3D_BUFFER_SETTER(SetBackgroundAlpha, backgroundAlpha_, float, [this] { NotifyChange(this); })
E3D_BUFFER_SETTER(SetShadeModel, shadeModel_, TShadeModel, [this] { NotifyChange(this); })
E3D_BUFFER_SETTER(SetAntiAliasing, antiAliasing_, TGLAntiAliasing, [this] { structuralChange(); })
E3D_BUFFER_SETTER(SetDepthPrecision, depthPrecision_, TDepthPrecision, [this] { structuralChange(); })
E3D_BUFFER_SETTER(SetColorDepth, colorDepth_, TColorDepth, [this] { structuralChange(); })
E3D_BUFFER_SETTER(SetContextOptions, contextOptions_, TContextOptions, [this] { structuralChange(); })
E3D_BUFFER_SETTER(SetAccumBufferBits, accumBufferBits_, int, [this] { structuralChange(); })
#undef E3D_BUFFER_SETTER

void TGL3DSceneBuffer::SetFogEnvironment(const TGLFogEnvironment* value) {
    fogEnvironment_->Assign(value);
    NotifyChange(this);
}

void TGL3DSceneBuffer::SetCamera(TGLCamera* camera) {
    if (camera == camera_) return;
    if (camera_ && camera_->Scene()) camera_->Scene()->RemoveBuffer(this);
    camera_ = camera;
    if (camera_) {
        if (camera_->Scene()) camera_->Scene()->AddBuffer(this);
        camera_->SceneObjectTransformationChanged();
    }
    NotifyChange(this);
}

// ---- Special scene objects --------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLCameraInvariantObject, TGLImmaterialSceneObject)

void TGLCameraInvariantObject::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLCameraInvariantObject*>(source))
        camInvarianceMode_ = other->camInvarianceMode_;
    TGLImmaterialSceneObject::Assign(source);
}

void TGLCameraInvariantObject::SetCamInvarianceMode(TGLCameraInvarianceMode value) {
    if (value == camInvarianceMode_) return;
    camInvarianceMode_ = value;
    NotifyChange(this);
}

void TGLCameraInvariantObject::DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) {
    if (camInvarianceMode_ == cimNone) {
        TGLImmaterialSceneObject::DoRender(rci, renderSelf, renderChildren);
        return;
    }
    glPushMatrix();
    if (camInvarianceMode_ == cimPosition) {
        glLoadMatrixf(&rci.Buffer->ModelViewMatrix()[0][0]);
        glTranslatef(rci.CameraPosition[0], rci.CameraPosition[1], rci.CameraPosition[2]);
    } else if (camInvarianceMode_ == cimOrientation) {
        glLoadIdentity();
        glScalef(1, -1, -1);
    } else {
        glPopMatrix();
        GLAssert(false, "");
    }
    SceneObjectRebuildMatrix();
    glMultMatrixf(&LocalMatrix()[0][0]);
    TMatrix modelView;
    glGetFloatv(GL_MODELVIEW_MATRIX, &modelView[0][0]);
    rci.Buffer->PushModelViewMatrix(modelView);
    try {
        TGLBaseSceneObject::DoRender(rci, renderSelf, renderChildren);
    } catch (...) {
        rci.Buffer->PopModelViewMatrix();
        glPopMatrix();
        throw;
    }
    rci.Buffer->PopModelViewMatrix();
    glPopMatrix();
}

E3D_DEFINE_CLASS(TGLDirectOpenGL, TGLImmaterialSceneObject)

TGLDirectOpenGL::TGLDirectOpenGL(TComponent* owner) : TGLImmaterialSceneObject(owner) {
    SetObjectStyle(ObjectStyle(osImmediateDraw) | ObjectStyle(osAltersRenderState));
}

void TGLDirectOpenGL::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLDirectOpenGL*>(source)) {
        SetUseBuildList(other->useBuildList_);
        OnRender = other->OnRender;
        blend_ = other->blend_;
    }
    TGLImmaterialSceneObject::Assign(source);
}

void TGLDirectOpenGL::BuildList(TRenderContextInfo& rci) {
    MapTexCoordToMain();
    if (OnRender) OnRender(this, rci);
}

void TGLDirectOpenGL::SetUseBuildList(bool value) {
    if (value == useBuildList_) return;
    useBuildList_ = value;
    TGLObjectStyles styles = ObjectStyleFlags();
    if (value)
        styles &= ~ObjectStyle(osImmediateDraw);
    else
        styles |= ObjectStyle(osImmediateDraw);
    SetObjectStyle(styles);
    SceneObjectStructureChanged();
}

void TGLDirectOpenGL::SetBlend(bool value) {
    if (value == blend_) return;
    blend_ = value;
    SceneObjectStructureChanged();
}

E3D_DEFINE_CLASS(TGLRenderPoint, TGLImmaterialSceneObject)

TGLRenderPoint::TGLRenderPoint(TComponent* owner) : TGLImmaterialSceneObject(owner) {
    SetObjectStyle(ObjectStyle(osImmediateDraw) | ObjectStyle(osAltersRenderState));
}

TGLRenderPoint::~TGLRenderPoint() {
    Clear();
}

void TGLRenderPoint::Clear() {
    while (!callBacks_.empty()) {
        CallBack last = callBacks_.back();
        callBacks_.pop_back();
        if (last.freed) last.freed(this);
    }
}

void TGLRenderPoint::BuildList(TRenderContextInfo& rci) {
    for (size_t i = 0; i < callBacks_.size(); ++i)
        if (callBacks_[i].render) callBacks_[i].render(this, rci);
}

int TGLRenderPoint::RegisterCallBack(TDirectRenderEvent renderEvent, TFreeCallBack renderPointFreed) {
    int token = nextToken_++;
    callBacks_.push_back({token, std::move(renderEvent), std::move(renderPointFreed)});
    return token;
}

void TGLRenderPoint::UnRegisterCallBack(int token) {
    callBacks_.erase(std::remove_if(callBacks_.begin(), callBacks_.end(),
                                    [token](const CallBack& c) { return c.token == token; }),
                     callBacks_.end());
}

E3D_DEFINE_CLASS(TGLProxyObject, TGLBaseSceneObject)

TGLProxyObject::TGLProxyObject(TComponent* owner) : TGLBaseSceneObject(owner) {
    SetObjectStyle(ObjectStyle(osAltersRenderState));
}

TGLProxyObject::~TGLProxyObject() {
    SetMasterObject(nullptr);
}

void TGLProxyObject::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLProxyObject*>(source)) {
        SetMasterObject(other->masterObject_);
        proxyOptions_ = other->proxyOptions_;
    }
    TGLBaseSceneObject::Assign(source);
}

void TGLProxyObject::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == masterObject_) {
        masterObject_ = nullptr;
        SceneObjectStructureChanged();
    }
    TGLBaseSceneObject::Notification(component, operation);
}

void TGLProxyObject::SetMasterObject(TGLBaseSceneObject* value) {
    if (value == masterObject_) return;
    if (masterObject_) masterObject_->RemoveFreeNotification(this);
    masterObject_ = value;
    if (masterObject_) masterObject_->FreeNotification(this);
    SceneObjectStructureChanged();
}

void TGLProxyObject::SetProxyOptions(TGLProxyObjectOptions value) {
    if (value == proxyOptions_) return;
    proxyOptions_ = value;
    SceneObjectStructureChanged();
}

void TGLProxyObject::DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) {
    if (rendering_) return;
    rendering_ = 1;
    struct Guard {
        uint8_t& flag;
        ~Guard() { flag = 0; }
    } guard{rendering_};
    if (masterObject_ && (proxyOptions_ & ProxyOption(pooObjects))) {
        bool savedProxy = rci.ProxySubObject;
        rci.ProxySubObject = true;
        try {
            if (proxyOptions_ & ProxyOption(pooTransformation)) {
                masterObject_->SceneObjectRebuildMatrix();
                glMultMatrixf(&masterObject_->LocalMatrix()[0][0]);
            }
            masterObject_->DoRender(rci, renderSelf, masterObject_->SceneObjectChildCount() > 0);
        } catch (...) {
            rci.ProxySubObject = savedProxy;
            throw;
        }
        rci.ProxySubObject = savedProxy;
    }
    if (renderChildren && SceneObjectChildCount() > 0) RenderChildren(0, SceneObjectChildCount() - 1, rci);
    if (masterObject_ && (proxyOptions_ & ProxyOption(pooEffects)) && masterObject_->HasEffects())
        masterObject_->Effects()->RenderPostEffects(rci.Buffer, rci);
    ClearStructureChanged();
}

TVector TGLProxyObject::AxisAlignedDimensionsUnscaled() const {
    return masterObject_ ? masterObject_->AxisAlignedDimensionsUnscaled()
                         : TGLBaseSceneObject::AxisAlignedDimensionsUnscaled();
}

bool TGLProxyObject::RayCastIntersect(const TVector& rayStart, const TVector& rayVector,
                                      TVector* intersectPoint, TVector* intersectNormal) {
    if (!masterObject_) return false;
    TVector start = masterObject_->SceneObjectLocalToAbsolute(SceneObjectAbsoluteToLocal(rayStart));
    TVector direction = masterObject_->SceneObjectLocalToAbsolute(SceneObjectAbsoluteToLocal(rayVector));
    direction[3] = 0;
    NormalizeVector(direction);
    TVector point, normal;
    if (!masterObject_->RayCastIntersect(start, direction, &point, &normal)) return false;
    if (intersectPoint)
        *intersectPoint = SceneObjectLocalToAbsolute(masterObject_->SceneObjectAbsoluteToLocal(point));
    if (intersectNormal) {
        TVector n = SceneObjectLocalToAbsolute(masterObject_->SceneObjectAbsoluteToLocal(normal));
        n[3] = 0;
        NormalizeVector(n);
        *intersectNormal = n;
    }
    return true;
}

TGLSilhouette* TGLProxyObject::GenerateSilhouette(const TGLSilhouetteParameters& params) {
    return masterObject_ ? masterObject_->GenerateSilhouette(params) : nullptr;
}

// ---- Off-screen viewers -----------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLNonVisualViewer, TComponent)

TGLNonVisualViewer::TGLNonVisualViewer(TComponent* owner)
    : TComponent(owner), buffer_(std::make_unique<TGL3DSceneBuffer>()) {
    buffer_->Resize(width_, height_);
    buffer_->OnChange = [this](TObject*) {
        if (OnChange) OnChange(this);
    };
    buffer_->OnStructuralChange = [this](TObject*) { buffer_->DestroyRC(); };
}

TGLNonVisualViewer::~TGLNonVisualViewer() {
    if (buffer_) buffer_->DestroyRC();
    buffer_.reset();
}

void TGLNonVisualViewer::SetWidth(int value) {
    value = std::max(value, 1);
    if (value == width_) return;
    width_ = value;
    sizeChanged();
}

void TGLNonVisualViewer::SetHeight(int value) {
    value = std::max(value, 1);
    if (value == height_) return;
    height_ = value;
    sizeChanged();
}

void TGLNonVisualViewer::sizeChanged() {
    buffer_->Resize(width_, height_);
    if (OnChange) OnChange(this);
}

void TGLNonVisualViewer::Render(TGLBaseSceneObject* baseObject) {
    buffer_->Render(baseObject);
}

void TGLNonVisualViewer::CopyToTexture(TGLTexture* texture) {
    buffer_->CopyToTexture(texture, 0, 0, width_, height_, 0, 0);
}

E3D_DEFINE_CLASS(TGLMemoryViewer, TGLNonVisualViewer)

void TGLMemoryViewer::Render(TGLBaseSceneObject* baseObject) {
    if (!buffer_->RCInstantiated()) {
        buffer_->Resize(width_, height_);
        buffer_->CreateRC(nullptr, true);
    }
    buffer_->Render(baseObject);
}

void TGLMemoryViewer::sizeChanged() {
    // The off-screen surface has the old size: a new one is made at the next frame.
    buffer_->DestroyRC();
    TGLNonVisualViewer::sizeChanged();
}

// ---- Initialisation ---------------------------------------------------------------------------------

void InitGL3DScene() {
    static int initCount = 0;
    if (initCount++ != 0) return;
    RegisterClass(TGLLightSource::StaticClass());
    RegisterClass(TGLCamera::StaticClass());
    RegisterClass(TGLProxyObject::StaticClass());
    RegisterClass(TGL3DScene::StaticClass());
    RegisterClass(TGLDirectOpenGL::StaticClass());
    RegisterClass(TGLRenderPoint::StaticClass());
    RegisterClass(TGLMemoryViewer::StaticClass());
    performanceFrequency();
}

} // namespace engine3d
