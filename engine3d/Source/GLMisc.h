// The change-notification chain of scene properties: updatable objects and components, coordinates
// with a style and their own stream form, and nodes that make a cubic spline.
#pragma once

#include "BaseClasses.h"
#include "Spline.h"
#include "VectorGeometry.h"

#include <functional>
#include <optional>

namespace engine3d {

using TNotifyEvent = std::function<void(TObject* sender)>;

class TGLUpdateAbleObject : public TPersistent {
    E3D_DECLARE_CLASS(TGLUpdateAbleObject)
public:
    explicit TGLUpdateAbleObject(TPersistent* owner = nullptr) : owner_(owner) {}
    TPersistent* Owner() const { return owner_; }
    // Tells the owner (an updatable object or component) and then the change event, unless an update
    // is open or there is no owner.
    virtual void NotifyChange(TObject* sender);
    void BeginUpdate() { ++updating_; }
    void EndUpdate() { --updating_; }
    int Updating() const { return updating_; }
    TNotifyEvent OnNotifyChange;

private:
    TPersistent* owner_;
    int updating_ = 0;
};

struct TProgressTimes {
    double DeltaTime = 0;
    double NewTime = 0;
};

class TGLCadenceAbleComponent : public TComponent {
    E3D_DECLARE_CLASS(TGLCadenceAbleComponent)
public:
    using TComponent::TComponent;
    virtual void DoProgress(const TProgressTimes&) {}
};

class TGLUpdateAbleComponent : public TGLCadenceAbleComponent {
    E3D_DECLARE_CLASS(TGLUpdateAbleComponent)
public:
    using TGLCadenceAbleComponent::TGLCadenceAbleComponent;
    // Passes the notice to the owning component when that is updatable.
    virtual void NotifyChange(TObject* sender);
};

class TGLCoordinates;

class TGLCoordinatesUpdateAbleComponent : public TGLUpdateAbleComponent {
    E3D_DECLARE_CLASS(TGLCoordinatesUpdateAbleComponent)
public:
    using TGLUpdateAbleComponent::TGLUpdateAbleComponent;
    virtual void CoordinateChanged(TGLCoordinates* sender) = 0;
};

// Asks component to treat removed as gone, as when removed is freed.
void SendRemovalNotification(TComponent* component, TComponent* removed);

enum TGLCoordinatesStyle : uint8_t { csPoint, csVector, csUnknown };

class TGLCoordinates : public TGLUpdateAbleObject {
    E3D_DECLARE_CLASS(TGLCoordinates)
public:
    explicit TGLCoordinates(TPersistent* owner = nullptr) : TGLUpdateAbleObject(owner) {}
    // The value given here is the default: an unchanged value is not written to a stream.
    static TGLCoordinates* CreateWithVector(TPersistent* owner, const TVector& vector,
                                            TGLCoordinatesStyle style = csUnknown);
    TGLCoordinatesStyle Style() const { return style_; }
    void SetStyle(TGLCoordinatesStyle style) { style_ = style; }

    // An owning coordinates-aware component gets CoordinateChanged instead of the plain notice.
    void NotifyChange(TObject* sender) override;
    void Assign(const TPersistent* source) override;

    // All four components, without a notice.
    void SetVector(const TVector& vector) { coords_ = vector; }
    // w := 0; not for points.
    void SetVector(float x, float y, float z);
    // Not for points.
    void SetVector(float x, float y, float z, float w);
    // w := 1; not for vectors.
    void SetPoint(float x, float y, float z);
    // x, y, z and w from v, then w kept at 1 for a point and 0 for a vector.
    void SetAsVector(const TVector& v);
    void SetCoordinate(int index, float value);
    void Normalize();

    float X() const { return coords_[0]; }
    float Y() const { return coords_[1]; }
    float Z() const { return coords_[2]; }
    float W() const { return coords_[3]; }
    void SetX(float value) { SetCoordinate(0, value); }
    void SetY(float value) { SetCoordinate(1, value); }
    void SetZ(float value) { SetCoordinate(2, value); }
    const TVector& AsVector() const { return coords_; }
    TAffineVector AsAffineVector() const { return {coords_[0], coords_[1], coords_[2]}; }
    const float* AsAddress() const { return coords_.data(); }
    float VectorLength() const;
    // Bitwise.
    bool Equals(const TVector& vector) const { return VectorEquals4(coords_, vector); }

    // The stream form: one binary property named "Coordinates" of 16 bytes x, y, z, w.
    static constexpr const char* PropertyName = "Coordinates";
    bool NeedsStoring() const;
    void WriteData(TStream& stream) const;
    void ReadData(TStream& stream);

private:
    TVector coords_ = {0, 0, 0, 0};
    TGLCoordinatesStyle style_ = csUnknown;
    std::optional<TVector> default_;
};

class TGLNode : public TCollectionItem {
    E3D_DECLARE_CLASS(TGLNode)
public:
    explicit TGLNode(TCollection* collection = nullptr) : TCollectionItem(collection) {}
    float X() const { return coords_[0]; }
    float Y() const { return coords_[1]; }
    float Z() const { return coords_[2]; }
    float W() const { return coords_[3]; }
    // Each tells the collection.
    void SetX(float value) { setCoordinate(0, value); }
    void SetY(float value) { setCoordinate(1, value); }
    void SetZ(float value) { setCoordinate(2, value); }
    const TVector& AsVector() const { return coords_; }
    void SetAsVector(const TVector& value);
    // A coordinate is stored only when it is not 0.
    bool StoreCoordinate(int index) const { return coords_[static_cast<size_t>(index)] != 0; }
    std::string DisplayName() const override;
    void Assign(const TPersistent* source) override;

private:
    void setCoordinate(int index, float value);
    TVector coords_ = {0, 0, 0, 0};
};

class TGLNodes : public TOwnedCollection {
    E3D_DECLARE_CLASS(TGLNodes)
public:
    // Items of TGLNode unless a factory for a subclass is given.
    explicit TGLNodes(TPersistent* owner = nullptr, TItemFactory itemFactory = {});
    TGLNode* Items(int index) const { return static_cast<TGLNode*>(TCollection::Items(index)); }
    TGLNode* Add() { return static_cast<TGLNode*>(TCollection::Add()); }
    void AddNode(float x, float y, float z);
    // A spline through the x, y and z of the nodes (w channel empty); the caller frees it.
    TCubicSpline* CreateNewCubicSpline() const;

protected:
    void Update(TCollectionItem* item) override;
};

} // namespace engine3d
