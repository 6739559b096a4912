// Growable arrays of fixed-size items (vectors, texture points, integers, singles, bytes) with whole-list
// vector operations and a compact archive, and the sort that orders objects by a list of keys.
#pragma once

#include "PersistentClasses.h"
#include "VectorGeometry.h"

#include <cstdint>

namespace engine3d {

class TBaseList : public TPersistentObject {
    E3D_DECLARE_CLASS(TBaseList)
public:
    ~TBaseList() override;
    TBaseList(const TBaseList&) = delete;
    TBaseList& operator=(const TBaseList&) = delete;

    int Count() const { return count_; }
    // Grows the capacity when needed; new items are zero-filled while SetCountResetsMemory holds.
    void SetCount(int count);
    int Capacity() const { return capacity_; }
    virtual void SetCapacity(int capacity);
    int GrowDelta() const { return growDelta_; }
    void SetGrowDelta(int delta) { growDelta_ = delta > 0 ? delta : 1; }
    bool SetCountResetsMemory() const { return (options_ & optionResetMemory) != 0; }
    void SetSetCountResetsMemory(bool on);
    // Count and capacity 0, storage freed.
    void Clear();
    // Count 0, storage kept.
    void Flush() { count_ = 0; }
    int ItemSize() const { return itemSize_; }
    uint8_t* ItemAddress(int index) const { return data_ + static_cast<size_t>(index) * itemSize_; }
    // Works on a block owned by someone else until the capacity changes; it is never freed here.
    void UseMemory(void* block, int capacity);
    void Exchange(int index1, int index2);
    void Delete(int index);
    // From another list with items of the same size; other sources raise EConvertError.
    void Assign(const TPersistent* source) override;
    void WriteToFiler(TVirtualWriter* writer) const override;
    // Counts and item sizes are checked against the archive's bytes before anything is allocated.
    void ReadFromFiler(TVirtualReader* reader) override;

protected:
    explicit TBaseList(int itemSize);
    // Makes room for one more item; returns its index (the count is not raised).
    int prepareAdd();
    void checkIndex(int index) const;
    uint8_t* data_ = nullptr;
    static constexpr uint8_t optionExternalMemory = 1;
    static constexpr uint8_t optionResetMemory = 2;
    int count_ = 0;
    int capacity_ = 0;
    int growDelta_ = 16;
    uint8_t options_ = optionResetMemory;
    int itemSize_;
};

// Whole-list operations on the x, y, z of every item (affine or homogeneous).
class TBaseVectorList : public TBaseList {
    E3D_DECLARE_CLASS(TBaseVectorList)
public:
    void GetExtents(TAffineVector& min, TAffineVector& max) const;
    TAffineVector Sum() const;
    virtual void Normalize();
    // Largest Manhattan distance between paired items; the counts must agree.
    float MaxSpacing(const TBaseVectorList& list2) const;
    virtual void Translate(const TAffineVector& delta);
    void AddVectors(const TBaseVectorList& list2);
    void SubtractVectors(const TBaseVectorList& list2);
    // item[i] += list2[i] * factor; list2 must hold at least Count items.
    void Combine(const TBaseVectorList& list2, float factor);
    void WriteToFiler(TVirtualWriter* writer) const override;
    void ReadFromFiler(TVirtualReader* reader) override;

protected:
    using TBaseList::TBaseList;
    float* itemFloats(int index) const { return reinterpret_cast<float*>(ItemAddress(index)); }
};

class TAffineVectorList : public TBaseVectorList {
    E3D_DECLARE_CLASS(TAffineVectorList)
public:
    TAffineVectorList() : TBaseVectorList(sizeof(TAffineVector)) {}
    TAffineVector* List() const { return reinterpret_cast<TAffineVector*>(data_); }
    TAffineVector& operator[](int index) const;
    int Add(const TAffineVector& item);
    int Add(float x, float y, float z) { return Add(TAffineVector{x, y, z}); }
    // Bitwise equality of x, y, z; -1 if absent.
    int IndexOf(const TAffineVector& item) const;
    int FindOrAdd(const TAffineVector& item);
    void Translate(const TAffineVector& delta) override;
    void Normalize() override;
    void Lerp(const TBaseVectorList& list1, const TBaseVectorList& list2, float lerpFactor);
};

class TVectorList : public TBaseVectorList {
    E3D_DECLARE_CLASS(TVectorList)
public:
    TVectorList() : TBaseVectorList(sizeof(TVector)) {}
    TVector* List() const { return reinterpret_cast<TVector*>(data_); }
    TVector& operator[](int index) const;
    int Add(const TVector& item);
    int Add(const TAffineVector& item, float w);
    int AddPoint(const TAffineVector& item) { return Add(item, 1.0f); }
    int AddPoint(float x, float y, float z) { return Add(TAffineVector{x, y, z}, 1.0f); }
    void Lerp(const TBaseVectorList& list1, const TBaseVectorList& list2, float lerpFactor);
};

class TTexPointList : public TBaseList {
    E3D_DECLARE_CLASS(TTexPointList)
public:
    TTexPointList() : TBaseList(sizeof(TTexPoint)) {}
    TTexPoint* List() const { return reinterpret_cast<TTexPoint*>(data_); }
    TTexPoint& operator[](int index) const;
    int Add(const TTexPoint& item);
};

class TIntegerList : public TBaseList {
    E3D_DECLARE_CLASS(TIntegerList)
public:
    TIntegerList() : TBaseList(sizeof(int32_t)) {}
    int32_t* List() const { return reinterpret_cast<int32_t*>(data_); }
    int Add(int32_t item);
    // Appends two (or three) values at once; returns the index of the first.
    int Add(int32_t item1, int32_t item2);
    int Add(int32_t item1, int32_t item2, int32_t item3);
    int32_t Get(int index) const;
    void Put(int index, int32_t item);
    int32_t operator[](int index) const { return Get(index); }

private:
    int addMany(const int32_t* items, int n);
};

class TSingleList : public TBaseList {
    E3D_DECLARE_CLASS(TSingleList)
public:
    TSingleList() : TBaseList(sizeof(float)) {}
    float* List() const { return reinterpret_cast<float*>(data_); }
    int Add(float item);
    float Get(int index) const;
    void Put(int index, float item);
    float operator[](int index) const { return Get(index); }
};

class TByteList : public TBaseList {
    E3D_DECLARE_CLASS(TByteList)
public:
    TByteList() : TBaseList(1) {}
    uint8_t* List() const { return data_; }
    int Add(uint8_t item);
    uint8_t Get(int index) const;
    void Put(int index, uint8_t item);
    uint8_t operator[](int index) const { return Get(index); }
};

// Sorts keys ascending (as signed 32-bit integers of their bits) over lo..hi, applying every swap to
// the objects too.
void SortByKeyList(TSingleList& keys, TPersistentObjectList& objects, int lo, int hi);
void SortByKeyList(TSingleList& keys, TPersistentObjectList& objects);

void InitVectorLists();

} // namespace engine3d
