// A compact archive for engine objects: typed values in the class library's binary value codes,
// persistent objects that save and load themselves, and a list that archives its objects by class name.
#pragma once

#include "BaseClasses.h"

#include <memory>
#include <string>
#include <vector>

namespace engine3d {

E3D_EXCEPTION(EInvalidFileSignature, Exception)
E3D_EXCEPTION(EFilerException, Exception)

// Value tags of the binary archive.
enum TValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20
};

class TVirtualReader : public TObject {
    E3D_DECLARE_CLASS(TVirtualReader)
public:
    explicit TVirtualReader(TStream& stream) : stream_(stream) {}
    TStream& Stream() const { return stream_; }
    virtual void Read(void* buffer, int64_t count) = 0;
    // The next value tag, not consumed.
    virtual TValueType NextValue() = 0;
    virtual int ReadInteger() = 0;
    virtual bool ReadBoolean() = 0;
    virtual std::string ReadString() = 0;
    virtual long double ReadFloat() = 0;
    virtual void ReadListBegin() = 0;
    virtual void ReadListEnd() = 0;
    bool EndOfList() { return NextValue() == vaNull; }

private:
    TStream& stream_;
};

class TVirtualWriter : public TObject {
    E3D_DECLARE_CLASS(TVirtualWriter)
public:
    explicit TVirtualWriter(TStream& stream) : stream_(stream) {}
    TStream& Stream() const { return stream_; }
    virtual void Write(const void* buffer, int64_t count) = 0;
    virtual void WriteInteger(int value) = 0;
    virtual void WriteBoolean(bool value) = 0;
    virtual void WriteString(const std::string& value) = 0;
    virtual void WriteFloat(long double value) = 0;
    virtual void WriteListBegin() = 0;
    virtual void WriteListEnd() = 0;

private:
    TStream& stream_;
};

using TVirtualReaderClass = std::unique_ptr<TVirtualReader> (*)(TStream& stream);
using TVirtualWriterClass = std::unique_ptr<TVirtualWriter> (*)(TStream& stream);

// Lengths stored in an archive are checked against the bytes left, so a damaged archive raises
// EReadError instead of reading or allocating past its end.
class TBinaryReader : public TVirtualReader {
    E3D_DECLARE_CLASS(TBinaryReader)
public:
    using TVirtualReader::TVirtualReader;
    static std::unique_ptr<TVirtualReader> Create(TStream& stream);
    void Read(void* buffer, int64_t count) override;
    TValueType NextValue() override;
    int ReadInteger() override;
    bool ReadBoolean() override;
    std::string ReadString() override;
    long double ReadFloat() override;
    void ReadListBegin() override;
    void ReadListEnd() override;

private:
    TValueType readValue();
    [[noreturn]] void readTypeError();
    uint32_t readLength(int64_t unitSize);
};

class TBinaryWriter : public TVirtualWriter {
    E3D_DECLARE_CLASS(TBinaryWriter)
public:
    using TVirtualWriter::TVirtualWriter;
    static std::unique_ptr<TVirtualWriter> Create(TStream& stream);
    void Write(const void* buffer, int64_t count) override;
    void WriteInteger(int value) override;
    void WriteBoolean(bool value) override;
    void WriteString(const std::string& value) override;
    void WriteFloat(long double value) override;
    void WriteListBegin() override;
    void WriteListEnd() override;

private:
    void writeValue(TValueType value);
};

// The 10-byte x87 extended layout of the float tag.
void ExtendedToBytes(long double value, uint8_t bytes[10]);
long double ExtendedFromBytes(const uint8_t bytes[10]);

class TPersistentObject : public TPersistent {
    E3D_DECLARE_CLASS(TPersistentObject)
public:
    TPersistentObject() = default;
    // From an object of exactly the same class: a copy through an archive.
    void Assign(const TPersistent* source) override;
    // Raw bytes written before the archive and checked on loading; empty for none.
    virtual std::string FileSignature() const { return {}; }
    virtual TVirtualWriterClass BinaryWriterClass() const { return &TBinaryWriter::Create; }
    virtual TVirtualReaderClass BinaryReaderClass() const { return &TBinaryReader::Create; }
    virtual void WriteToFiler(TVirtualWriter* writer) const;
    virtual void ReadFromFiler(TVirtualReader* reader);
    virtual void SaveToStream(TStream& stream, TVirtualWriterClass writerClass = nullptr) const;
    virtual void LoadFromStream(TStream& stream, TVirtualReaderClass readerClass = nullptr);
    void SaveToFile(const std::string& fileName, TVirtualWriterClass writerClass = nullptr) const;
    void LoadFromFile(const std::string& fileName, TVirtualReaderClass readerClass = nullptr);
    std::string SaveToString(TVirtualWriterClass writerClass = nullptr) const;
    void LoadFromString(const std::string& data, TVirtualReaderClass readerClass = nullptr);
    // The persistent-object interface without reference counting: nothing is ever freed through it.
    int AddRef() { return 1; }
    int Release() { return 0; }

protected:
    // EFilerException: class name + " : unknown archive version " + the version.
    [[noreturn]] void RaiseFilerException(int archiveVersion) const;
};

// A growable list of objects (or nullptr) that archives the persistent objects it holds by class name.
class TPersistentObjectList : public TPersistentObject {
    E3D_DECLARE_CLASS(TPersistentObjectList)
public:
    TPersistentObjectList() = default;
    // Frees the storage, not the objects.
    ~TPersistentObjectList() override = default;
    int Add(TObject* item);
    // Index out of 0..Count raises EListError "Invalid list index".
    void Insert(int index, TObject* item);
    void Delete(int index);
    // Index out of 0..Count-1 raises EListError "Invalid list index".
    TObject* ObjectListItem(int index) const;
    void Put(int index, TObject* item);
    TObject* operator[](int index) const { return ObjectListItem(index); }
    int IndexOf(const TObject* item) const;
    int Remove(TObject* item);
    // The last item, removed; nullptr when empty.
    TObject* Pop();
    void Exchange(int index1, int index2);
    int Count() const { return count_; }
    void SetCount(int count);
    int Capacity() const { return static_cast<int>(items_.size()); }
    void SetCapacity(int capacity);
    int GrowDelta() const { return growDelta_; }
    void SetGrowDelta(int delta) { growDelta_ = delta > 0 ? delta : 1; }
    void Clear();
    // Frees every object, last first, then clears.
    void Clean();
    void WriteToFiler(TVirtualWriter* writer) const override;
    void ReadFromFiler(TVirtualReader* reader) override;

protected:
    [[noreturn]] virtual void Error() const;
    virtual void AfterObjectCreatedByReader(TObject*) {}

private:
    void grow();
    std::vector<TObject*> items_;
    int count_ = 0;
    int growDelta_ = 16;
};

void InitPersistentClasses();

} // namespace engine3d
