#include "GLMisc.h"

#include <cstring>
#include <vector>

namespace engine3d {

// ---- Updatable objects and components ---------------------------------------------------------------

E3D_DEFINE_CLASS(TGLUpdateAbleObject, TPersistent)

void TGLUpdateAbleObject::NotifyChange(TObject*) {
    if (updating_ != 0 || !owner_) return;
    if (auto* object = dynamic_cast<TGLUpdateAbleObject*>(owner_))
        object->NotifyChange(this);
    else if (auto* component = dynamic_cast<TGLUpdateAbleComponent*>(owner_))
        component->NotifyChange(this);
    if (OnNotifyChange) OnNotifyChange(this);
}

E3D_DEFINE_CLASS(TGLCadenceAbleComponent, TComponent)
E3D_DEFINE_CLASS(TGLUpdateAbleComponent, TGLCadenceAbleComponent)
E3D_DEFINE_ABSTRACT_CLASS(TGLCoordinatesUpdateAbleComponent, TGLUpdateAbleComponent)

void TGLUpdateAbleComponent::NotifyChange(TObject*) {
    if (auto* owner = dynamic_cast<TGLUpdateAbleComponent*>(Owner())) owner->NotifyChange(this);
}

void SendRemovalNotification(TComponent* component, TComponent* removed) {
    if (component) component->Notification(removed, opRemove);
}

// ---- Coordinates ------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLCoordinates, TGLUpdateAbleObject)

TGLCoordinates* TGLCoordinates::CreateWithVector(TPersistent* owner, const TVector& vector,
                                                 TGLCoordinatesStyle style) {
    auto* coordinates = new TGLCoordinates(owner);
    coordinates->coords_ = vector;
    coordinates->style_ = style;
    coordinates->default_ = vector;
    return coordinates;
}

void TGLCoordinates::NotifyChange(TObject* sender) {
    if (auto* component = dynamic_cast<TGLCoordinatesUpdateAbleComponent*>(Owner())) {
        if (Updating() == 0) {
            component->CoordinateChanged(this);
            if (OnNotifyChange) OnNotifyChange(this);
        }
        return;
    }
    TGLUpdateAbleObject::NotifyChange(sender);
}

void TGLCoordinates::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLCoordinates*>(source)) {
        coords_ = other->coords_;
        NotifyChange(this);
        return;
    }
    TGLUpdateAbleObject::Assign(source);
}

void TGLCoordinates::SetVector(float x, float y, float z) {
    GLAssert(style_ != csPoint, "");
    coords_ = {x, y, z, 0};
    NotifyChange(this);
}

void TGLCoordinates::SetVector(float x, float y, float z, float w) {
    GLAssert(style_ != csPoint, "");
    coords_ = {x, y, z, w};
    NotifyChange(this);
}

void TGLCoordinates::SetPoint(float x, float y, float z) {
    GLAssert(style_ != csVector, "");
    coords_ = {x, y, z, 1};
    NotifyChange(this);
}

void TGLCoordinates::SetAsVector(const TVector& v) {
    coords_ = v;
    if (style_ == csPoint)
        coords_[3] = 1;
    else if (style_ == csVector)
        coords_[3] = 0;
    NotifyChange(this);
}

void TGLCoordinates::SetCoordinate(int index, float value) {
    GLAssert(index >= 0 && index <= 3, "");
    coords_[static_cast<size_t>(index)] = value;
    NotifyChange(this);
}

void TGLCoordinates::Normalize() {
    NormalizeVector(coords_);
    NotifyChange(this);
}

float TGLCoordinates::VectorLength() const {
    return engine3d::VectorLength(coords_);
}

bool TGLCoordinates::NeedsStoring() const {
    return !default_ || !VectorEquals4(*default_, coords_);
}

void TGLCoordinates::WriteData(TStream& stream) const {
    stream.WriteBuffer(coords_.data(), sizeof(TVector));
}

void TGLCoordinates::ReadData(TStream& stream) {
    stream.ReadBuffer(coords_.data(), sizeof(TVector));
}

// ---- Nodes ------------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLNode, TCollectionItem)

void TGLNode::setCoordinate(int index, float value) {
    coords_[static_cast<size_t>(index)] = value;
    Changed(false);
}

void TGLNode::SetAsVector(const TVector& value) {
    coords_ = value;
    Changed(false);
}

std::string TGLNode::DisplayName() const {
    char text[96];
    std::snprintf(text, sizeof(text), "%.4f; %.4f; %.4f", coords_[0], coords_[1], coords_[2]);
    return text;
}

void TGLNode::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLNode*>(source)) {
        coords_ = other->coords_;
        return;
    }
    TCollectionItem::Assign(source);
}

E3D_DEFINE_CLASS(TGLNodes, TOwnedCollection)

TGLNodes::TGLNodes(TPersistent* owner, TItemFactory itemFactory)
    : TOwnedCollection(
          owner, itemFactory ? std::move(itemFactory) : [](TCollection* nodes) -> TCollectionItem* {
              return new TGLNode(nodes);
          }) {}

void TGLNodes::AddNode(float x, float y, float z) {
    BeginUpdate();
    TGLNode* node = Add();
    node->SetAsVector({x, y, z, 0});
    EndUpdate();
}

void TGLNodes::Update(TCollectionItem* item) {
    TOwnedCollection::Update(item);
    if (auto* owner = dynamic_cast<TGLUpdateAbleComponent*>(GetOwner())) owner->NotifyChange(this);
}

TCubicSpline* TGLNodes::CreateNewCubicSpline() const {
    std::vector<float> xs, ys, zs;
    for (int i = 0; i < Count(); ++i) {
        xs.push_back(Items(i)->X());
        ys.push_back(Items(i)->Y());
        zs.push_back(Items(i)->Z());
    }
    return new TCubicSpline(xs.data(), ys.data(), zs.data(), nullptr, Count());
}

} // namespace engine3d
