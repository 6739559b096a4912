#include "XCollection.h"

#include <algorithm>
#include <mutex>

namespace engine3d {

TXCollectionItemClass::TXCollectionItemClass(const char* name, const TMetaClass* parent, TFactory factory,
                                             std::string friendlyName, bool uniqueItem,
                                             std::function<bool(const TXCollection*)> canAddTo,
                                             std::string itemCategory)
    : TMetaClass(name, parent), itemFactory_(std::move(factory)), friendlyName_(std::move(friendlyName)),
      uniqueItem_(uniqueItem), canAddTo_(std::move(canAddTo)), itemCategory_(std::move(itemCategory)) {}

TXCollectionItem* TXCollectionItemClass::CreateItem(TXCollection* owner) const {
    GLAssert(itemFactory_, "Class " + ClassName() + " cannot be created");
    if (owner && !owner->CanAdd(*this))
        AssertionFailure("Addition of " + ClassName() + " to " + owner->ClassName() + " rejected.", __FILE__,
                         __LINE__);
    TXCollectionItem* item = itemFactory_();
    if (owner) {
        item->owner_ = owner;
        owner->items_.push_back(item);
        owner->refreshCount();
    }
    item->name_ = friendlyName_;
    return item;
}

// ---- Item -------------------------------------------------------------------------------------------

E3D_DEFINE_ABSTRACT_CLASS(TXCollectionItem, TPersistent)

TXCollectionItem::~TXCollectionItem() {
    if (owner_) {
        auto& items = owner_->items_;
        items.erase(std::remove(items.begin(), items.end(), this), items.end());
        owner_->refreshCount();
    }
}

void TXCollectionItem::SetName(const std::string& name) {
    name_ = name;
}

int TXCollectionItem::Index() const {
    return owner_ ? owner_->IndexOf(this) : -1;
}

std::string TXCollectionItem::GetNamePath() const {
    if (!owner_) return TPersistent::GetNamePath();
    return FormatMessage("%s[%d]", {owner_->GetNamePath(), std::to_string(Index())});
}

void TXCollectionItem::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TXCollectionItem*>(source)) {
        name_ = other->name_;
        return;
    }
    TPersistent::Assign(source);
}

void TXCollectionItem::WriteToFiler(TVirtualWriter* writer) const {
    writer->WriteInteger(0); // archive version
    writer->WriteString(name_);
}

void TXCollectionItem::ReadFromFiler(TVirtualReader* reader) {
    int version = reader->ReadInteger();
    GLAssert(version == 0, "");
    name_ = reader->ReadString();
}

// ---- Collection -------------------------------------------------------------------------------------

E3D_DEFINE_ABSTRACT_CLASS(TXCollection, TPersistent)

TXCollection::~TXCollection() {
    Clear();
}

TXCollectionItem* TXCollection::Items(int index) const {
    if (index < 0 || index >= static_cast<int>(items_.size()))
        throw EListError(FormatMessage("List index out of bounds (%d)", {std::to_string(index)}));
    return items_[static_cast<size_t>(index)];
}

int TXCollection::IndexOf(const TXCollectionItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

const TMetaClass& TXCollection::ItemBaseClass() const {
    return TXCollectionItem::StaticClass();
}

bool TXCollection::CanAdd(const TXCollectionItemClass& itemClass) const {
    if (!itemClass.CanAddTo(this)) return false;
    for (TXCollectionItem* item : items_) {
        const TXCollectionItemClass& existing = item->ItemClass();
        if (itemClass.UniqueItem() && &existing == &itemClass) return false;
        if (existing.UniqueItem() && itemClass.InheritsFrom(&existing)) return false;
    }
    return true;
}

void TXCollection::Assign(const TPersistent* source) {
    if (!source) {
        Clear();
        return;
    }
    auto* other = dynamic_cast<const TXCollection*>(source);
    if (!other || &other->ClassType() != &ClassType()) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this) return;
    Clear();
    items_.reserve(other->items_.size());
    for (TXCollectionItem* sourceItem : other->items_) {
        TXCollectionItem* item = sourceItem->ItemClass().CreateItem(this);
        item->Assign(sourceItem);
    }
}

void TXCollection::Clear() {
    while (!items_.empty()) {
        TXCollectionItem* item = items_.back();
        items_.pop_back();
        item->owner_ = nullptr;
        delete item;
    }
    refreshCount();
}

void TXCollection::Loaded() {
    for (TXCollectionItem* item : std::vector<TXCollectionItem*>(items_))
        item->Loaded();
}

std::string TXCollection::namePathUnderOwner(const char* suffix) const {
    std::string ownerPath = owner_ ? owner_->GetNamePath() : std::string();
    return ownerPath.empty() ? ClassName() : ownerPath + suffix;
}

std::string TXCollection::GetNamePath() const {
    return namePathUnderOwner(".XCollection");
}

void TXCollection::WriteToFiler(TVirtualWriter* writer) const {
    writer->WriteInteger(static_cast<int>(items_.size()));
    std::vector<const TXCollectionItemClass*> classes;
    for (TXCollectionItem* item : items_) {
        const TXCollectionItemClass* itemClass = &item->ItemClass();
        auto known = std::find(classes.begin(), classes.end(), itemClass);
        if (known == classes.end()) {
            writer->WriteString(itemClass->ClassName());
            classes.push_back(itemClass);
        } else {
            writer->WriteInteger(static_cast<int>(known - classes.begin()));
        }
        item->WriteToFiler(writer);
    }
}

void TXCollection::ReadFromFiler(TVirtualReader* reader) {
    Clear();
    int count = reader->ReadInteger();
    std::vector<const TXCollectionItemClass*> classes;
    // No room is reserved from the stored count: each item consumes data, so a damaged count ends in a
    // read error at the end of the archive.
    for (int n = 0; n < count; ++n) {
        const TXCollectionItemClass* itemClass = nullptr;
        TValueType next = reader->NextValue();
        if (next == vaString || next == vaLString || next == vaWString || next == vaUTF8String) {
            std::string name = reader->ReadString();
            itemClass = FindXCollectionItemClass(name);
            GLAssert(itemClass, "Class " + name + " unknown. Add the relevant unit to your \"uses\".");
            classes.push_back(itemClass);
        } else {
            int index = reader->ReadInteger();
            if (index < 0 || index >= static_cast<int>(classes.size()))
                throw EReadError("Broken XCollection archive");
            itemClass = classes[static_cast<size_t>(index)];
        }
        TXCollectionItem* item = itemClass->CreateItem(this);
        item->ReadFromFiler(reader);
    }
    refreshCount();
}

// ---- Registry of item classes -----------------------------------------------------------------------

namespace {
std::mutex& itemClassesLock() {
    static std::mutex lock;
    return lock;
}
std::vector<const TXCollectionItemClass*>& itemClasses() {
    static std::vector<const TXCollectionItemClass*> list;
    return list;
}
} // namespace

void RegisterXCollectionItemClass(const TXCollectionItemClass& itemClass) {
    std::lock_guard<std::mutex> guard(itemClassesLock());
    auto& list = itemClasses();
    if (std::find(list.begin(), list.end(), &itemClass) == list.end()) list.push_back(&itemClass);
}

void UnregisterXCollectionItemClass(const TXCollectionItemClass& itemClass) {
    std::lock_guard<std::mutex> guard(itemClassesLock());
    auto& list = itemClasses();
    list.erase(std::remove(list.begin(), list.end(), &itemClass), list.end());
}

const TXCollectionItemClass* FindXCollectionItemClass(const std::string& className) {
    std::lock_guard<std::mutex> guard(itemClassesLock());
    for (const TXCollectionItemClass* itemClass : itemClasses())
        if (itemClass->ClassName() == className) return itemClass;
    return nullptr;
}

} // namespace engine3d
