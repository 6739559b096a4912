// The small class library the engine stands on: a root object with run-time class information, a class
// registry by name, persistent objects with Assign, streams, components and owned collections, the
// exception family and the engine's assertion failure.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace engine3d {

class TObject;

// Run-time description of a class: its name, its parent and, for a concrete class, a factory.
class TMetaClass {
public:
    TMetaClass(const char* name, const TMetaClass* parent, std::function<TObject*()> factory = {});
    const std::string& ClassName() const { return name_; }
    const TMetaClass* ClassParent() const { return parent_; }
    bool InheritsFrom(const TMetaClass* other) const;
    bool IsAbstract() const { return !factory_; }
    // A new instance; nullptr for a class that cannot be created without arguments.
    TObject* Create() const { return factory_ ? factory_() : nullptr; }

private:
    std::string name_;
    const TMetaClass* parent_;
    std::function<TObject*()> factory_;
};

using TClass = const TMetaClass*;

#define E3D_DECLARE_CLASS(Name)                                                                              \
public:                                                                                                      \
    static const ::engine3d::TMetaClass& StaticClass();                                                      \
    const ::engine3d::TMetaClass& ClassType() const override;

#define E3D_DEFINE_CLASS(Name, Parent)                                                                       \
    const ::engine3d::TMetaClass& Name::StaticClass() {                                                      \
        static const ::engine3d::TMetaClass meta(#Name, &Parent::StaticClass(),                              \
                                                 []() -> ::engine3d::TObject* { return new Name(); });       \
        return meta;                                                                                         \
    }                                                                                                        \
    const ::engine3d::TMetaClass& Name::ClassType() const {                                                  \
        return StaticClass();                                                                                \
    }

#define E3D_DEFINE_ABSTRACT_CLASS(Name, Parent)                                                              \
    const ::engine3d::TMetaClass& Name::StaticClass() {                                                      \
        static const ::engine3d::TMetaClass meta(#Name, &Parent::StaticClass());                             \
        return meta;                                                                                         \
    }                                                                                                        \
    const ::engine3d::TMetaClass& Name::ClassType() const {                                                  \
        return StaticClass();                                                                                \
    }

class TObject {
public:
    virtual ~TObject() = default;
    static const TMetaClass& StaticClass();
    virtual const TMetaClass& ClassType() const;
    const std::string& ClassName() const { return ClassType().ClassName(); }
    bool InheritsFrom(const TMetaClass& meta) const { return ClassType().InheritsFrom(&meta); }
};

// Clears the reference first, then frees the object.
template <class T> void FreeAndNilObject(T*& ref) {
    T* object = ref;
    ref = nullptr;
    delete object;
}

// ---- Exceptions ------------------------------------------------------------------------------------

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

#define E3D_EXCEPTION(Name, Base)                                                                            \
    class Name : public Base {                                                                               \
    public:                                                                                                  \
        using Base::Base;                                                                                    \
    };

E3D_EXCEPTION(EListError, Exception)
E3D_EXCEPTION(EStreamError, Exception)
E3D_EXCEPTION(EReadError, EStreamError)
E3D_EXCEPTION(EWriteError, EStreamError)
E3D_EXCEPTION(EFOpenError, EStreamError)
E3D_EXCEPTION(EFCreateError, EStreamError)
E3D_EXCEPTION(EConvertError, Exception)
E3D_EXCEPTION(EClassNotFound, Exception)
E3D_EXCEPTION(EOSError, Exception)
E3D_EXCEPTION(EAssertionFailed, Exception)
E3D_EXCEPTION(EOutOfMemory, Exception)

// Fills %s, %d, %X and %% from the arguments given as text, in order.
std::string FormatMessage(const std::string& pattern, const std::vector<std::string>& args);

// "engine3d\Source\Base\VectorLists" for a source file anywhere under engine3d/Source.
std::string EngineSourcePath(const char* file);

[[noreturn]] void AssertionFailure(const std::string& message, const char* file, int line);

// The engine's assertion: message, then the source path from "engine3d\Source\" on and the line.
#define GLAssert(condition, message)                                                                         \
    do {                                                                                                     \
        if (!(condition)) ::engine3d::AssertionFailure((message), __FILE__, __LINE__);                       \
    } while (0)

// ---- Class registry by name ------------------------------------------------------------------------

void RegisterClass(const TMetaClass& meta);
void UnregisterClass(const TMetaClass& meta);
// nullptr when no class of that name is registered.
const TMetaClass* GetClass(const std::string& name);
// Raises EClassNotFound "Class %s not found" when no class of that name is registered.
const TMetaClass& FindClass(const std::string& name);

// ---- Persistent -------------------------------------------------------------------------------------

class TPersistent : public TObject {
    E3D_DECLARE_CLASS(TPersistent)
public:
    // Takes the state of source; raises EConvertError when the classes cannot be assigned.
    virtual void Assign(const TPersistent* source);
    // The object's path for messages and streaming; the class name unless a class knows better.
    virtual std::string GetNamePath() const { return ClassName(); }

protected:
    virtual void AssignTo(TPersistent* dest) const;
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

// ---- Streams ----------------------------------------------------------------------------------------

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// File modes; the share bits are accepted and ignored (files are not locked here).
constexpr uint16_t fmCreate = 0xFF00;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyNone = 0x0040;

class TStream : public TObject {
    E3D_DECLARE_CLASS(TStream)
public:
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size();
    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t position) { Seek(position, soBeginning); }
    // Bytes between the position and the end.
    int64_t Remaining();
    // Raises EReadError "Stream read error" when fewer bytes are there.
    void ReadBuffer(void* buffer, int64_t count);
    // Raises EWriteError "Stream write error" when not every byte is written.
    void WriteBuffer(const void* buffer, int64_t count);
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
    E3D_DECLARE_CLASS(TMemoryStream)
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void Clear();
    const uint8_t* Memory() const { return data_.data(); }
    std::vector<uint8_t>& Bytes() { return data_; }

protected:
    std::vector<uint8_t> data_;
    int64_t position_ = 0;
};

class TStringStream : public TMemoryStream {
    E3D_DECLARE_CLASS(TStringStream)
public:
    TStringStream() = default;
    explicit TStringStream(const std::string& text);
    std::string DataString() const { return std::string(data_.begin(), data_.end()); }
};

class TFileStream : public TStream {
    E3D_DECLARE_CLASS(TFileStream)
public:
    // Raises EFCreateError or EFOpenError when the file cannot be created or opened.
    TFileStream(const std::string& fileName, uint16_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    const std::string& FileName() const { return fileName_; }

private:
    TFileStream() = default;
    void writeThrough();
    std::FILE* file_ = nullptr;
    std::string fileName_;
};

// ---- Components -------------------------------------------------------------------------------------

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
    E3D_DECLARE_CLASS(TComponent)
public:
    explicit TComponent(TComponent* owner = nullptr);
    ~TComponent() override;
    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    std::string GetNamePath() const override { return name_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(index); }
    // Asks to be told (Notification with opRemove) when component goes away.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);
    virtual void Notification(TComponent* component, TOperation operation);
    virtual void Loaded() {}

private:
    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
};

// ---- Collections ------------------------------------------------------------------------------------

class TCollection;

class TCollectionItem : public TPersistent {
    E3D_DECLARE_CLASS(TCollectionItem)
public:
    explicit TCollectionItem(TCollection* collection = nullptr);
    ~TCollectionItem() override;
    TCollection* Collection() const { return collection_; }
    int Index() const;
    virtual std::string DisplayName() const { return ClassName(); }

protected:
    // Tells the collection that this item (or, with allItems, every item) changed.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
};

class TCollection : public TPersistent {
    E3D_DECLARE_CLASS(TCollection)
public:
    using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
    explicit TCollection(TItemFactory itemFactory = {});
    ~TCollection() override;
    TCollectionItem* Add();
    int Count() const { return static_cast<int>(items_.size()); }
    TCollectionItem* Items(int index) const;
    void Delete(int index);
    void Clear();
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    virtual TPersistent* GetOwner() const { return nullptr; }
    void Assign(const TPersistent* source) override;

protected:
    // Called after a change of item (nullptr: the whole collection) once no update is open.
    virtual void Update(TCollectionItem* item);
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    TItemFactory itemFactory_;
    std::vector<TCollectionItem*> items_;
    int updateCount_ = 0;
};

class TOwnedCollection : public TCollection {
    E3D_DECLARE_CLASS(TOwnedCollection)
public:
    explicit TOwnedCollection(TPersistent* owner = nullptr, TItemFactory itemFactory = {})
        : TCollection(std::move(itemFactory)), owner_(owner) {}
    TPersistent* GetOwner() const override { return owner_; }

private:
    TPersistent* owner_;
};

} // namespace engine3d
