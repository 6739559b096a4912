#include "BaseClasses.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>

namespace engine3d {

TMetaClass::TMetaClass(const char* name, const TMetaClass* parent, std::function<TObject*()> factory)
    : name_(name), parent_(parent), factory_(std::move(factory)) {}

bool TMetaClass::InheritsFrom(const TMetaClass* other) const {
    for (const TMetaClass* meta = this; meta; meta = meta->parent_)
        if (meta == other) return true;
    return false;
}

const TMetaClass& TObject::StaticClass() {
    static const TMetaClass meta("TObject", nullptr, []() -> TObject* { return new TObject(); });
    return meta;
}

const TMetaClass& TObject::ClassType() const {
    return StaticClass();
}

std::string FormatMessage(const std::string& pattern, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            char conversion = pattern[i + 1];
            if (conversion == '%') {
                out += '%';
                ++i;
                continue;
            }
            if ((conversion == 's' || conversion == 'd' || conversion == 'X') && next < args.size()) {
                out += args[next++];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string EngineSourcePath(const char* file) {
    std::string path = file ? file : "";
    std::replace(path.begin(), path.end(), '\\', '/');
    size_t at = path.rfind("engine3d/Source/");
    if (at != std::string::npos) path = path.substr(at);
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.erase(dot);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

void AssertionFailure(const std::string& message, const char* file, int line) {
    std::string text = message.empty() ? std::string("Assertion failed") : message;
    throw EAssertionFailed(text + " (" + EngineSourcePath(file) + ", line " + std::to_string(line) + ")");
}

// ---- Class registry ---------------------------------------------------------------------------------

namespace {
std::mutex& registryLock() {
    static std::mutex lock;
    return lock;
}
std::map<std::string, const TMetaClass*>& registry() {
    static std::map<std::string, const TMetaClass*> classes;
    return classes;
}
} // namespace

void RegisterClass(const TMetaClass& meta) {
    std::lock_guard<std::mutex> guard(registryLock());
    registry()[meta.ClassName()] = &meta;
}

void UnregisterClass(const TMetaClass& meta) {
    std::lock_guard<std::mutex> guard(registryLock());
    auto it = registry().find(meta.ClassName());
    if (it != registry().end() && it->second == &meta) registry().erase(it);
}

const TMetaClass* GetClass(const std::string& name) {
    std::lock_guard<std::mutex> guard(registryLock());
    auto it = registry().find(name);
    return it == registry().end() ? nullptr : it->second;
}

const TMetaClass& FindClass(const std::string& name) {
    const TMetaClass* meta = GetClass(name);
    if (!meta) throw EClassNotFound(FormatMessage("Class %s not found", {name}));
    return *meta;
}

// ---- Persistent -------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TPersistent, TObject)

void TPersistent::Assign(const TPersistent* source) {
    if (source)
        source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const {
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
    std::string sourceName = source ? source->ClassName() : std::string("nil");
    throw EConvertError(FormatMessage("Cannot assign a %s to a %s", {sourceName, ClassName()}));
}

// ---- Streams ----------------------------------------------------------------------------------------

E3D_DEFINE_ABSTRACT_CLASS(TStream, TObject)

int64_t TStream::Size() {
    int64_t position = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

int64_t TStream::Remaining() {
    int64_t left = Size() - Position();
    return left < 0 ? 0 : left;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count < 0 || (count != 0 && Read(buffer, count) != count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count < 0 || (count != 0 && Write(buffer, count) != count)) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min<int64_t>(count, 64 * 1024)));
    int64_t left = count;
    while (left > 0) {
        int64_t n = std::min<int64_t>(left, static_cast<int64_t>(chunk.size()));
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        left -= n;
    }
    return count;
}

E3D_DEFINE_CLASS(TMemoryStream, TStream)

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    int64_t size = Size();
    if (count <= 0 || position_ >= size) return 0;
    int64_t n = std::min(count, size - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    int64_t end = position_ + count;
    if (end > Size()) data_.resize(static_cast<size_t>(end));
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : Size();
    int64_t target = base + offset;
    position_ = target < 0 ? 0 : target;
    return position_;
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

E3D_DEFINE_CLASS(TStringStream, TMemoryStream)

TStringStream::TStringStream(const std::string& text) {
    data_.assign(text.begin(), text.end());
}

E3D_DEFINE_ABSTRACT_CLASS(TFileStream, TStream)

TFileStream::TFileStream(const std::string& fileName, uint16_t mode) : fileName_(fileName) {
    if (mode == fmCreate) {
        file_ = std::fopen(fileName.c_str(), "w+b");
        if (!file_)
            throw EFCreateError(
                FormatMessage("Cannot create file \"%s\". %s", {fileName, std::strerror(errno)}));
        writeThrough();
        return;
    }
    const char* how = (mode & 3) == fmOpenRead ? "rb" : "r+b";
    file_ = std::fopen(fileName.c_str(), how);
    if (!file_)
        throw EFOpenError(FormatMessage("Cannot open file \"%s\". %s", {fileName, std::strerror(errno)}));
    if ((mode & 3) != fmOpenRead) writeThrough();
}

void TFileStream::writeThrough() {
    // Every write reaches the file at once, so that a failed one comes back short from Write and raises in
    // WriteBuffer; a buffer would hold the last bytes until the destructor, which cannot report them.
    std::setvbuf(file_, nullptr, _IONBF, 0);
}

TFileStream::~TFileStream() {
    if (file_) std::fclose(file_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    if (std::fseek(file_, static_cast<long>(offset), whence) != 0) return -1;
    return static_cast<int64_t>(std::ftell(file_));
}

// ---- Components -------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TComponent, TPersistent)

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    // Tell every component that asked, then free what this one owns, last first.
    std::vector<TComponent*> notifies;
    notifies.swap(freeNotifies_);
    for (TComponent* other : notifies) {
        auto& back = other->freeNotifies_;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this, opRemove);
    }
    while (!components_.empty()) {
        TComponent* child = components_.back();
        components_.pop_back();
        child->owner_ = nullptr;
        delete child;
    }
    if (owner_) {
        auto& list = owner_->components_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        owner_->Notification(this, opRemove);
    }
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    auto& back = component->freeNotifies_;
    if (std::find(back.begin(), back.end(), this) == back.end()) back.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (!component) return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component),
                        freeNotifies_.end());
    auto& back = component->freeNotifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) RemoveFreeNotification(component);
    for (TComponent* child : std::vector<TComponent*>(components_))
        if (child != component) child->Notification(component, operation);
}

// ---- Collections ------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TCollectionItem, TPersistent)

TCollectionItem::TCollectionItem(TCollection* collection) {
    if (collection) collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
    if (collection_) collection_->RemoveItem(this);
}

int TCollectionItem::Index() const {
    if (!collection_) return -1;
    const auto& items = collection_->items_;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::Changed(bool allItems) {
    if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

E3D_DEFINE_CLASS(TCollection, TPersistent)
E3D_DEFINE_CLASS(TOwnedCollection, TCollection)

TCollection::TCollection(TItemFactory itemFactory) : itemFactory_(std::move(itemFactory)) {
    if (!itemFactory_) itemFactory_ = [](TCollection* owner) { return new TCollectionItem(owner); };
}

TCollection::~TCollection() {
    ++updateCount_;
    while (!items_.empty())
        delete items_.back();
}

TCollectionItem* TCollection::Add() {
    TCollectionItem* item = itemFactory_(this);
    if (item->collection_ != this) InsertItem(item);
    return item;
}

TCollectionItem* TCollection::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(FormatMessage("List index out of bounds (%d)", {std::to_string(index)}));
    return items_[static_cast<size_t>(index)];
}

void TCollection::Delete(int index) {
    delete Items(index);
}

void TCollection::Clear() {
    if (items_.empty()) return;
    BeginUpdate();
    while (!items_.empty())
        delete items_.back();
    EndUpdate();
}

void TCollection::EndUpdate() {
    if (updateCount_ > 0) --updateCount_;
    Changed();
}

void TCollection::Changed() {
    if (updateCount_ == 0) Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    Clear();
    for (TCollectionItem* item : other->items_)
        Add()->Assign(item);
    EndUpdate();
}

void TCollection::InsertItem(TCollectionItem* item) {
    item->collection_ = this;
    items_.push_back(item);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    item->collection_ = nullptr;
    Changed();
}

} // namespace engine3d
