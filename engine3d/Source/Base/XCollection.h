// An owned, polymorphic list of items whose classes are found by name when the list is read back.
#pragma once

#include "PersistentClasses.h"

#include <functional>
#include <string>
#include <vector>

namespace engine3d {

class TXCollection;
class TXCollectionItem;

// Class-level facts of an item class: how to create one, its friendly name and where it may go.
class TXCollectionItemClass : public TMetaClass {
public:
    using TFactory = std::function<TXCollectionItem*()>;
    TXCollectionItemClass(const char* name, const TMetaClass* parent, TFactory factory,
                          std::string friendlyName, bool uniqueItem = false,
                          std::function<bool(const TXCollection*)> canAddTo = {},
                          std::string itemCategory = {});
    const std::string& FriendlyName() const { return friendlyName_; }
    const std::string& FriendlyDescription() const { return friendlyName_; }
    const std::string& ItemCategory() const { return itemCategory_; }
    bool UniqueItem() const { return uniqueItem_; }
    bool CanAddTo(const TXCollection* collection) const { return canAddTo_ ? canAddTo_(collection) : true; }
    // A new item joined to owner (when given); an addition the owner refuses fails an assertion.
    TXCollectionItem* CreateItem(TXCollection* owner) const;

private:
    TFactory itemFactory_;
    std::string friendlyName_;
    bool uniqueItem_;
    std::function<bool(const TXCollection*)> canAddTo_;
    std::string itemCategory_;
};

class TXCollectionItem : public TPersistent {
    E3D_DECLARE_CLASS(TXCollectionItem)
public:
    TXCollectionItem() = default;
    // Leaves the owner's list.
    ~TXCollectionItem() override;
    virtual const TXCollectionItemClass& ItemClass() const = 0;
    TXCollection* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    virtual void SetName(const std::string& name);
    // Position in the owner's list; -1 without owner.
    int Index() const;
    std::string GetNamePath() const override;
    void Assign(const TPersistent* source) override;
    virtual void WriteToFiler(TVirtualWriter* writer) const;
    virtual void ReadFromFiler(TVirtualReader* reader);
    virtual void Loaded() {}

private:
    friend class TXCollectionItemClass;
    friend class TXCollection;
    TXCollection* owner_ = nullptr;
    std::string name_;
};

class TXCollection : public TPersistent {
    E3D_DECLARE_CLASS(TXCollection)
public:
    explicit TXCollection(TPersistent* owner = nullptr) : owner_(owner) {}
    // Frees every item.
    ~TXCollection() override;
    TXCollection(const TXCollection&) = delete;
    TXCollection& operator=(const TXCollection&) = delete;
    TPersistent* Owner() const { return owner_; }
    int Count() const { return count_; }
    TXCollectionItem* Items(int index) const;
    int IndexOf(const TXCollectionItem* item) const;
    virtual const TMetaClass& ItemBaseClass() const;
    virtual bool CanAdd(const TXCollectionItemClass& itemClass) const;
    void Assign(const TPersistent* source) override;
    // Detaches and frees every item.
    void Clear();
    void Loaded();
    std::string GetNamePath() const override;
    void WriteToFiler(TVirtualWriter* writer) const;
    void ReadFromFiler(TVirtualReader* reader);

protected:
    // The class name, or the owner's name path followed by the suffix when that path is not empty.
    std::string namePathUnderOwner(const char* suffix) const;

private:
    friend class TXCollectionItem;
    friend class TXCollectionItemClass;
    void refreshCount() { count_ = static_cast<int>(items_.size()); }
    TPersistent* owner_;
    std::vector<TXCollectionItem*> items_;
    int count_ = 0;
};

void RegisterXCollectionItemClass(const TXCollectionItemClass& itemClass);
void UnregisterXCollectionItemClass(const TXCollectionItemClass& itemClass);
const TXCollectionItemClass* FindXCollectionItemClass(const std::string& className);

} // namespace engine3d
