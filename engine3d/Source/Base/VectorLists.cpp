#include "VectorLists.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace engine3d {

// ---- Base list --------------------------------------------------------------------------------------

E3D_DEFINE_ABSTRACT_CLASS(TBaseList, TPersistentObject)

TBaseList::TBaseList(int itemSize) : itemSize_(itemSize) {}

TBaseList::~TBaseList() {
    if (!(options_ & optionExternalMemory)) std::free(data_);
}

void TBaseList::checkIndex(int index) const {
    if (index < 0 || index >= count_) throw EListError("Invalid list index");
}

void TBaseList::SetSetCountResetsMemory(bool on) {
    options_ = on ? (options_ | optionResetMemory) : (options_ & ~optionResetMemory);
}

void TBaseList::SetCapacity(int capacity) {
    GLAssert(capacity >= 0, "");
    if (capacity == capacity_) return;
    size_t bytes = static_cast<size_t>(capacity) * static_cast<size_t>(itemSize_);
    if (options_ & optionExternalMemory) {
        // The borrowed block is left to its owner; the contents are not carried over.
        options_ &= ~optionExternalMemory;
        data_ = nullptr;
    }
    if (bytes == 0) {
        std::free(data_);
        data_ = nullptr;
    } else {
        void* block = std::realloc(data_, bytes);
        if (!block) throw std::bad_alloc();
        data_ = static_cast<uint8_t*>(block);
    }
    capacity_ = capacity;
    if (count_ > capacity_) count_ = capacity_;
}

void TBaseList::SetCount(int count) {
    GLAssert(count >= 0, "");
    if (count > capacity_) SetCapacity(count);
    if ((options_ & optionResetMemory) && count > count_)
        std::memset(ItemAddress(count_), 0, static_cast<size_t>(count - count_) * itemSize_);
    count_ = count;
}

void TBaseList::Clear() {
    SetCount(0);
    SetCapacity(0);
}

void TBaseList::UseMemory(void* block, int capacity) {
    GLAssert(capacity >= 0, "");
    if (!(options_ & optionExternalMemory)) std::free(data_);
    data_ = static_cast<uint8_t*>(block);
    options_ |= optionExternalMemory;
    capacity_ = capacity;
    if (count_ > capacity_) count_ = capacity_;
}

int TBaseList::prepareAdd() {
    if (count_ == capacity_) SetCapacity(capacity_ + growDelta_);
    return count_;
}

void TBaseList::Exchange(int index1, int index2) {
    checkIndex(index1);
    checkIndex(index2);
    if (index1 == index2) return;
    uint8_t spare[16];
    std::memcpy(spare, ItemAddress(index1), itemSize_);
    std::memcpy(ItemAddress(index1), ItemAddress(index2), itemSize_);
    std::memcpy(ItemAddress(index2), spare, itemSize_);
}

void TBaseList::Delete(int index) {
    checkIndex(index);
    std::memmove(ItemAddress(index), ItemAddress(index + 1),
                 static_cast<size_t>(count_ - index - 1) * itemSize_);
    --count_;
}

void TBaseList::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TBaseList*>(source);
    if (!other || other->itemSize_ != itemSize_) {
        TPersistentObject::Assign(source);
        return;
    }
    if (other == this) return;
    SetCapacity(other->count_);
    count_ = other->count_;
    growDelta_ = other->growDelta_;
    if (count_ > 0) std::memcpy(data_, other->data_, static_cast<size_t>(count_) * itemSize_);
}

void TBaseList::WriteToFiler(TVirtualWriter* writer) const {
    TPersistentObject::WriteToFiler(writer);
    writer->WriteInteger(0); // archive version
    writer->WriteInteger(count_);
    writer->WriteInteger(itemSize_);
    if (count_ > 0) writer->Write(data_, static_cast<int64_t>(count_) * itemSize_);
}

void TBaseList::ReadFromFiler(TVirtualReader* reader) {
    TPersistentObject::ReadFromFiler(reader);
    int version = reader->ReadInteger();
    if (version != 0) RaiseFilerException(version);
    int count = reader->ReadInteger();
    int itemSize = reader->ReadInteger();
    if (itemSize != itemSize_)
        throw EReadError(ClassName() + ": stored item size " + std::to_string(itemSize) + " instead of " +
                         std::to_string(itemSize_));
    if (count < 0 || static_cast<int64_t>(count) * itemSize_ > reader->Stream().Remaining())
        throw EReadError(ClassName() + ": stored count " + std::to_string(count) +
                         " exceeds the data of the archive");
    count_ = 0;
    SetCapacity(count);
    if (count > 0) reader->Read(data_, static_cast<int64_t>(count) * itemSize_);
    count_ = count;
}

// ---- Vector list base -------------------------------------------------------------------------------

E3D_DEFINE_ABSTRACT_CLASS(TBaseVectorList, TBaseList)

void TBaseVectorList::GetExtents(TAffineVector& min, TAffineVector& max) const {
    constexpr float big = std::numeric_limits<float>::infinity();
    min = {big, big, big};
    max = {-big, -big, -big};
    for (int i = 0; i < count_; ++i) {
        const float* v = itemFloats(i);
        for (int k = 0; k < 3; ++k) {
            if (v[k] < min[k]) min[k] = v[k];
            if (v[k] > max[k]) max[k] = v[k];
        }
    }
}

TAffineVector TBaseVectorList::Sum() const {
    TAffineVector sum = NullVector;
    for (int i = 0; i < count_; ++i) {
        const float* v = itemFloats(i);
        AddToVector3(sum, {v[0], v[1], v[2]});
    }
    return sum;
}

void TBaseVectorList::Normalize() {
    for (int i = 0; i < count_; ++i) {
        float* v = itemFloats(i);
        TAffineVector n = NormalizedVector3({v[0], v[1], v[2]});
        std::memcpy(v, n.data(), sizeof(n));
    }
}

float TBaseVectorList::MaxSpacing(const TBaseVectorList& list2) const {
    GLAssert(list2.count_ == count_, "");
    float result = 0;
    for (int i = 0; i < count_; ++i) {
        const float* a = itemFloats(i);
        const float* b = list2.itemFloats(i);
        float d = ManhattanDistance3({a[0], a[1], a[2]}, {b[0], b[1], b[2]});
        if (d > result) result = d;
    }
    return result;
}

void TBaseVectorList::Translate(const TAffineVector& delta) {
    for (int i = 0; i < count_; ++i) {
        float* v = itemFloats(i);
        for (int k = 0; k < 3; ++k)
            v[k] += delta[k];
    }
}

void TBaseVectorList::AddVectors(const TBaseVectorList& list2) {
    Combine(list2, 1.0f);
}

void TBaseVectorList::SubtractVectors(const TBaseVectorList& list2) {
    Combine(list2, -1.0f);
}

void TBaseVectorList::Combine(const TBaseVectorList& list2, float factor) {
    GLAssert(list2.count_ >= count_, "");
    for (int i = 0; i < count_; ++i) {
        float* v = itemFloats(i);
        const float* w = list2.itemFloats(i);
        for (int k = 0; k < 3; ++k)
            v[k] += w[k] * factor;
    }
}

void TBaseVectorList::WriteToFiler(TVirtualWriter* writer) const {
    TBaseList::WriteToFiler(writer);
    writer->WriteInteger(0); // archive version of the vector part
}

void TBaseVectorList::ReadFromFiler(TVirtualReader* reader) {
    TBaseList::ReadFromFiler(reader);
    int version = reader->ReadInteger();
    if (version != 0) RaiseFilerException(version);
}

// ---- Concrete lists ---------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TAffineVectorList, TBaseVectorList)

TAffineVector& TAffineVectorList::operator[](int index) const {
    checkIndex(index);
    return List()[index];
}

int TAffineVectorList::Add(const TAffineVector& item) {
    int index = prepareAdd();
    List()[index] = item;
    return count_++;
}

int TAffineVectorList::IndexOf(const TAffineVector& item) const {
    for (int i = 0; i < count_; ++i)
        if (VectorEquals3(List()[i], item)) return i;
    return -1;
}

int TAffineVectorList::FindOrAdd(const TAffineVector& item) {
    int index = IndexOf(item);
    return index >= 0 ? index : Add(item);
}

void TAffineVectorList::Translate(const TAffineVector& delta) {
    AddDeltaToVectorArray3(List(), delta, List(), count_);
}

void TAffineVectorList::Normalize() {
    NormalizeVectorArray3(List(), count_);
}

void TAffineVectorList::Lerp(const TBaseVectorList& list1, const TBaseVectorList& list2, float lerpFactor) {
    auto* a = dynamic_cast<const TAffineVectorList*>(&list1);
    auto* b = dynamic_cast<const TAffineVectorList*>(&list2);
    GLAssert(a && b && a->Count() == b->Count(), "");
    // The receiver may be a or b: with the count unchanged its items stay in place until each is written.
    SetCount(a->Count());
    LerpVectorArray3(a->List(), b->List(), List(), count_, lerpFactor);
}

E3D_DEFINE_CLASS(TVectorList, TBaseVectorList)

TVector& TVectorList::operator[](int index) const {
    checkIndex(index);
    return List()[index];
}

int TVectorList::Add(const TVector& item) {
    int index = prepareAdd();
    List()[index] = item;
    return count_++;
}

int TVectorList::Add(const TAffineVector& item, float w) {
    return Add(MakeVector4FromVector3(item, w));
}

void TVectorList::Lerp(const TBaseVectorList& list1, const TBaseVectorList& list2, float lerpFactor) {
    auto* a = dynamic_cast<const TVectorList*>(&list1);
    auto* b = dynamic_cast<const TVectorList*>(&list2);
    GLAssert(a && b && a->Count() == b->Count(), "");
    // The receiver may be a or b: with the count unchanged its items stay in place until each is written.
    SetCount(a->Count());
    LerpVectorArray4(a->List(), b->List(), List(), count_, lerpFactor);
}

E3D_DEFINE_CLASS(TTexPointList, TBaseList)

TTexPoint& TTexPointList::operator[](int index) const {
    checkIndex(index);
    return List()[index];
}

int TTexPointList::Add(const TTexPoint& item) {
    int index = prepareAdd();
    List()[index] = item;
    return count_++;
}

E3D_DEFINE_CLASS(TIntegerList, TBaseList)

int TIntegerList::Add(int32_t item) {
    int index = prepareAdd();
    List()[index] = item;
    return count_++;
}

int TIntegerList::addMany(const int32_t* items, int n) {
    int first = count_;
    int needed = count_ + n;
    int capacity = capacity_;
    while (capacity < needed)
        capacity += growDelta_;
    if (capacity != capacity_) SetCapacity(capacity);
    for (int i = 0; i < n; ++i)
        List()[first + i] = items[i];
    count_ = needed;
    return first;
}

int TIntegerList::Add(int32_t item1, int32_t item2) {
    const int32_t items[2] = {item1, item2};
    return addMany(items, 2);
}

int TIntegerList::Add(int32_t item1, int32_t item2, int32_t item3) {
    const int32_t items[3] = {item1, item2, item3};
    return addMany(items, 3);
}

int32_t TIntegerList::Get(int index) const {
    checkIndex(index);
    return List()[index];
}

void TIntegerList::Put(int index, int32_t item) {
    checkIndex(index);
    List()[index] = item;
}

E3D_DEFINE_CLASS(TSingleList, TBaseList)

int TSingleList::Add(float item) {
    int index = prepareAdd();
    List()[index] = item;
    return count_++;
}

float TSingleList::Get(int index) const {
    checkIndex(index);
    return List()[index];
}

void TSingleList::Put(int index, float item) {
    checkIndex(index);
    List()[index] = item;
}

E3D_DEFINE_CLASS(TByteList, TBaseList)

int TByteList::Add(uint8_t item) {
    int index = prepareAdd();
    List()[index] = item;
    return count_++;
}

uint8_t TByteList::Get(int index) const {
    checkIndex(index);
    return List()[index];
}

void TByteList::Put(int index, uint8_t item) {
    checkIndex(index);
    List()[index] = item;
}

// ---- Sort -------------------------------------------------------------------------------------------

namespace {

int32_t keyBits(const float* keys, int i) {
    int32_t bits;
    std::memcpy(&bits, &keys[i], sizeof(bits));
    return bits;
}

void swapBoth(float* keys, TPersistentObjectList& objects, int i, int j) {
    std::swap(keys[i], keys[j]);
    objects.Exchange(i, j);
}

void quickSort(float* keys, TPersistentObjectList& objects, int lo, int hi) {
    while (lo < hi) {
        if (hi - lo == 1) {
            if (keyBits(keys, hi) < keyBits(keys, lo)) swapBoth(keys, objects, lo, hi);
            return;
        }
        int i = lo, j = hi;
        int32_t pivot = keyBits(keys, (lo + hi) >> 1);
        do {
            while (keyBits(keys, i) < pivot)
                ++i;
            while (keyBits(keys, j) > pivot)
                --j;
            if (i <= j) {
                if (i != j) swapBoth(keys, objects, i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        if (lo < j) quickSort(keys, objects, lo, j);
        lo = i;
    }
}

} // namespace

void SortByKeyList(TSingleList& keys, TPersistentObjectList& objects, int lo, int hi) {
    if (lo >= hi) return;
    GLAssert(lo >= 0 && hi < keys.Count() && hi < objects.Count(), "");
    quickSort(keys.List(), objects, lo, hi);
}

void SortByKeyList(TSingleList& keys, TPersistentObjectList& objects) {
    SortByKeyList(keys, objects, 0, keys.Count() - 1);
}

void InitVectorLists() {
    RegisterClass(TAffineVectorList::StaticClass());
    RegisterClass(TVectorList::StaticClass());
    RegisterClass(TTexPointList::StaticClass());
    RegisterClass(TSingleList::StaticClass());
}

namespace {
[[maybe_unused]] const bool vectorListsRegistered = (InitVectorLists(), true);
}

} // namespace engine3d
