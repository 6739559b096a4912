#include "PersistentClasses.h"

#include "ApplicationFileIO.h"

#include <QString>

#include <cmath>
#include <cstring>
#include <limits>

namespace engine3d {

E3D_DEFINE_ABSTRACT_CLASS(TVirtualReader, TObject)
E3D_DEFINE_ABSTRACT_CLASS(TVirtualWriter, TObject)
E3D_DEFINE_ABSTRACT_CLASS(TBinaryReader, TVirtualReader)
E3D_DEFINE_ABSTRACT_CLASS(TBinaryWriter, TVirtualWriter)

// ---- Extended floats --------------------------------------------------------------------------------

void ExtendedToBytes(long double value, uint8_t bytes[10]) {
    std::memset(bytes, 0, 10);
    uint16_t signExponent = std::signbit(value) ? 0x8000 : 0;
    uint64_t mantissa = 0;
    long double magnitude = std::fabs(value);
    if (std::isnan(value)) {
        signExponent |= 0x7FFF;
        mantissa = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        signExponent |= 0x7FFF;
        mantissa = 0x8000000000000000ull;
    } else if (magnitude != 0) {
        int exponent = 0;
        long double fraction = std::frexp(magnitude, &exponent); // magnitude = fraction * 2^exponent
        int biased = exponent - 1 + 16383;
        if (biased <= 0) {
            // Too small for a normal extended: kept as a denormal.
            fraction = std::ldexp(fraction, biased - 1);
            biased = 0;
        }
        mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
        signExponent |= static_cast<uint16_t>(biased & 0x7FFF);
    }
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    bytes[8] = static_cast<uint8_t>(signExponent);
    bytes[9] = static_cast<uint8_t>(signExponent >> 8);
}

long double ExtendedFromBytes(const uint8_t bytes[10]) {
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    uint16_t signExponent = static_cast<uint16_t>(bytes[8] | (bytes[9] << 8));
    bool negative = signExponent & 0x8000;
    int biased = signExponent & 0x7FFF;
    long double value;
    if (biased == 0x7FFF)
        value = (mantissa << 1) == 0 ? std::numeric_limits<long double>::infinity()
                                     : std::numeric_limits<long double>::quiet_NaN();
    else
        value = std::ldexp(static_cast<long double>(mantissa), (biased == 0 ? 1 : biased) - 16383 - 63);
    return negative ? -value : value;
}

// ---- Binary reader ----------------------------------------------------------------------------------

std::unique_ptr<TVirtualReader> TBinaryReader::Create(TStream& stream) {
    return std::make_unique<TBinaryReader>(stream);
}

void TBinaryReader::Read(void* buffer, int64_t count) {
    Stream().ReadBuffer(buffer, count);
}

TValueType TBinaryReader::readValue() {
    uint8_t tag = 0;
    Read(&tag, 1);
    return static_cast<TValueType>(tag);
}

TValueType TBinaryReader::NextValue() {
    TValueType value = readValue();
    Stream().Seek(-1, soCurrent);
    return value;
}

void TBinaryReader::readTypeError() {
    throw EReadError(FormatMessage("%s, read type error", {ClassName()}));
}

uint32_t TBinaryReader::readLength(int64_t unitSize) {
    int32_t length = 0;
    Read(&length, 4);
    if (length < 0 || int64_t(length) * unitSize > Stream().Remaining())
        throw EReadError(FormatMessage("%s, string length beyond the end of the data", {ClassName()}));
    return static_cast<uint32_t>(length);
}

int TBinaryReader::ReadInteger() {
    switch (readValue()) {
    case vaInt8: {
        int8_t v = 0;
        Read(&v, 1);
        return v;
    }
    case vaInt16: {
        int16_t v = 0;
        Read(&v, 2);
        return v;
    }
    case vaInt32: {
        int32_t v = 0;
        Read(&v, 4);
        return v;
    }
    default:
        readTypeError();
    }
}

bool TBinaryReader::ReadBoolean() {
    switch (readValue()) {
    case vaTrue:
        return true;
    case vaFalse:
        return false;
    default:
        readTypeError();
    }
}

std::string TBinaryReader::ReadString() {
    switch (readValue()) {
    case vaString: {
        uint8_t length = 0;
        Read(&length, 1);
        std::string text(length, '\0');
        Read(text.data(), length);
        return text;
    }
    case vaLString:
    case vaUTF8String: {
        std::string text(readLength(1), '\0');
        Read(text.data(), static_cast<int64_t>(text.size()));
        return text;
    }
    case vaWString: {
        std::u16string wide(readLength(2), u'\0');
        Read(wide.data(), static_cast<int64_t>(wide.size()) * 2);
        return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size())).toStdString();
    }
    default:
        readTypeError();
    }
}

long double TBinaryReader::ReadFloat() {
    if (readValue() != vaExtended) readTypeError();
    uint8_t bytes[10];
    Read(bytes, 10);
    return ExtendedFromBytes(bytes);
}

void TBinaryReader::ReadListBegin() {
    if (readValue() != vaList) readTypeError();
}

void TBinaryReader::ReadListEnd() {
    if (readValue() != vaNull) readTypeError();
}

// ---- Binary writer ----------------------------------------------------------------------------------

std::unique_ptr<TVirtualWriter> TBinaryWriter::Create(TStream& stream) {
    return std::make_unique<TBinaryWriter>(stream);
}

void TBinaryWriter::Write(const void* buffer, int64_t count) {
    Stream().WriteBuffer(buffer, count);
}

void TBinaryWriter::writeValue(TValueType value) {
    uint8_t tag = value;
    Write(&tag, 1);
}

void TBinaryWriter::WriteInteger(int value) {
    if (value >= -128 && value <= 127) {
        writeValue(vaInt8);
        int8_t v = static_cast<int8_t>(value);
        Write(&v, 1);
    } else if (value >= -32768 && value <= 32767) {
        writeValue(vaInt16);
        int16_t v = static_cast<int16_t>(value);
        Write(&v, 2);
    } else {
        writeValue(vaInt32);
        int32_t v = value;
        Write(&v, 4);
    }
}

void TBinaryWriter::WriteBoolean(bool value) {
    writeValue(value ? vaTrue : vaFalse);
}

void TBinaryWriter::WriteString(const std::string& value) {
    if (value.size() <= 255) {
        writeValue(vaString);
        uint8_t length = static_cast<uint8_t>(value.size());
        Write(&length, 1);
    } else {
        if (value.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
            throw EWriteError("Stream write error");
        writeValue(vaLString);
        int32_t length = static_cast<int32_t>(value.size());
        Write(&length, 4);
    }
    Write(value.data(), static_cast<int64_t>(value.size()));
}

void TBinaryWriter::WriteFloat(long double value) {
    writeValue(vaExtended);
    uint8_t bytes[10];
    ExtendedToBytes(value, bytes);
    Write(bytes, 10);
}

void TBinaryWriter::WriteListBegin() {
    writeValue(vaList);
}
void TBinaryWriter::WriteListEnd() {
    writeValue(vaNull);
}

// ---- Persistent object ------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TPersistentObject, TPersistent)

void TPersistentObject::Assign(const TPersistent* source) {
    if (source && &source->ClassType() == &ClassType()) {
        auto* other = static_cast<const TPersistentObject*>(source);
        LoadFromString(other->SaveToString());
        return;
    }
    TPersistent::Assign(source);
}

void TPersistentObject::WriteToFiler(TVirtualWriter* writer) const {
    GLAssert(writer, "");
}

void TPersistentObject::ReadFromFiler(TVirtualReader* reader) {
    GLAssert(reader, "");
}

void TPersistentObject::RaiseFilerException(int archiveVersion) const {
    throw EFilerException(ClassName() + " : unknown archive version " + std::to_string(archiveVersion));
}

void TPersistentObject::SaveToStream(TStream& stream, TVirtualWriterClass writerClass) const {
    auto writer = (writerClass ? writerClass : BinaryWriterClass())(stream);
    std::string signature = FileSignature();
    if (!signature.empty()) writer->Write(signature.data(), static_cast<int64_t>(signature.size()));
    WriteToFiler(writer.get());
}

void TPersistentObject::LoadFromStream(TStream& stream, TVirtualReaderClass readerClass) {
    auto reader = (readerClass ? readerClass : BinaryReaderClass())(stream);
    std::string signature = FileSignature();
    if (!signature.empty()) {
        std::string stored(signature.size(), '\0');
        if (stream.Read(stored.data(), static_cast<int64_t>(stored.size())) !=
                static_cast<int64_t>(stored.size()) ||
            stored != signature)
            throw EInvalidFileSignature("Invalid file signature");
    }
    ReadFromFiler(reader.get());
}

void TPersistentObject::SaveToFile(const std::string& fileName, TVirtualWriterClass writerClass) const {
    auto stream = CreateFileStream(fileName, fmCreate);
    SaveToStream(*stream, writerClass);
}

void TPersistentObject::LoadFromFile(const std::string& fileName, TVirtualReaderClass readerClass) {
    auto stream = CreateFileStream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(*stream, readerClass);
}

std::string TPersistentObject::SaveToString(TVirtualWriterClass writerClass) const {
    TStringStream stream;
    SaveToStream(stream, writerClass);
    return stream.DataString();
}

void TPersistentObject::LoadFromString(const std::string& data, TVirtualReaderClass readerClass) {
    TStringStream stream(data);
    LoadFromStream(stream, readerClass);
}

// ---- Persistent object list -------------------------------------------------------------------------

E3D_DEFINE_CLASS(TPersistentObjectList, TPersistentObject)

void TPersistentObjectList::Error() const {
    throw EListError("Invalid list index");
}

void TPersistentObjectList::grow() {
    SetCapacity(Capacity() + growDelta_);
}

int TPersistentObjectList::Add(TObject* item) {
    if (count_ == Capacity()) grow();
    items_[static_cast<size_t>(count_)] = item;
    return count_++;
}

void TPersistentObjectList::Insert(int index, TObject* item) {
    if (index < 0 || index > count_) Error();
    if (count_ == Capacity()) grow();
    for (int i = count_; i > index; --i)
        items_[static_cast<size_t>(i)] = items_[static_cast<size_t>(i - 1)];
    items_[static_cast<size_t>(index)] = item;
    ++count_;
}

void TPersistentObjectList::Delete(int index) {
    if (index < 0 || index >= count_) Error();
    for (int i = index; i < count_ - 1; ++i)
        items_[static_cast<size_t>(i)] = items_[static_cast<size_t>(i + 1)];
    items_[static_cast<size_t>(--count_)] = nullptr;
}

TObject* TPersistentObjectList::ObjectListItem(int index) const {
    if (index < 0 || index >= count_) Error();
    return items_[static_cast<size_t>(index)];
}

void TPersistentObjectList::Put(int index, TObject* item) {
    if (index < 0 || index >= count_) Error();
    items_[static_cast<size_t>(index)] = item;
}

int TPersistentObjectList::IndexOf(const TObject* item) const {
    for (int i = 0; i < count_; ++i)
        if (items_[static_cast<size_t>(i)] == item) return i;
    return -1;
}

int TPersistentObjectList::Remove(TObject* item) {
    int index = IndexOf(item);
    if (index >= 0) Delete(index);
    return index;
}

TObject* TPersistentObjectList::Pop() {
    if (count_ == 0) return nullptr;
    TObject* item = items_[static_cast<size_t>(--count_)];
    items_[static_cast<size_t>(count_)] = nullptr;
    return item;
}

void TPersistentObjectList::Exchange(int index1, int index2) {
    if (index1 < 0 || index1 >= count_ || index2 < 0 || index2 >= count_) Error();
    std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

void TPersistentObjectList::SetCount(int count) {
    if (count < 0) Error();
    if (count > Capacity()) SetCapacity(count);
    for (int i = count_; i < count; ++i)
        items_[static_cast<size_t>(i)] = nullptr;
    count_ = count;
}

void TPersistentObjectList::SetCapacity(int capacity) {
    if (capacity < 0) Error();
    items_.resize(static_cast<size_t>(capacity), nullptr);
    if (count_ > capacity) count_ = capacity;
}

void TPersistentObjectList::Clear() {
    items_.clear();
    items_.shrink_to_fit();
    count_ = 0;
}

void TPersistentObjectList::Clean() {
    for (int i = count_ - 1; i >= 0; --i) {
        TObject* item = items_[static_cast<size_t>(i)];
        items_[static_cast<size_t>(i)] = nullptr;
        delete item;
    }
    Clear();
}

void TPersistentObjectList::WriteToFiler(TVirtualWriter* writer) const {
    TPersistentObject::WriteToFiler(writer);
    writer->WriteInteger(0); // archive version
    writer->WriteListBegin();
    std::vector<const TMetaClass*> classes;
    for (int i = 0; i < count_; ++i) {
        TObject* item = items_[static_cast<size_t>(i)];
        if (!item) {
            writer->WriteBoolean(false);
            writer->WriteInteger(0);
        } else if (auto* object = dynamic_cast<TPersistentObject*>(item)) {
            const TMetaClass* meta = &object->ClassType();
            int known = -1;
            for (size_t k = 0; k < classes.size(); ++k)
                if (classes[k] == meta) known = static_cast<int>(k);
            if (known < 0) {
                writer->WriteString(meta->ClassName());
                classes.push_back(meta);
            } else {
                writer->WriteInteger(known);
            }
            object->WriteToFiler(writer);
        } else {
            // Any other object is kept only as its address, which no reader can bring back.
            writer->WriteBoolean(false);
            writer->WriteInteger(static_cast<int>(reinterpret_cast<uintptr_t>(item) & 0xFFFFFFFFu));
        }
    }
    writer->WriteListEnd();
}

void TPersistentObjectList::ReadFromFiler(TVirtualReader* reader) {
    TPersistentObject::ReadFromFiler(reader);
    Clear();
    int version = reader->ReadInteger();
    if (version != 0) RaiseFilerException(version);
    reader->ReadListBegin();
    std::vector<const TMetaClass*> classes;
    auto createAndRead = [&](const TMetaClass* meta) {
        TObject* created = meta->Create();
        auto* object = dynamic_cast<TPersistentObject*>(created);
        if (!object) {
            delete created;
            throw Exception("Broken ObjectList archive");
        }
        AfterObjectCreatedByReader(object);
        Add(object);
        object->ReadFromFiler(reader);
    };
    while (!reader->EndOfList()) {
        switch (reader->NextValue()) {
        case vaInt8:
        case vaInt16:
        case vaInt32: {
            int index = reader->ReadInteger();
            if (index < 0 || index >= static_cast<int>(classes.size()))
                throw Exception("Broken ObjectList archive");
            createAndRead(classes[static_cast<size_t>(index)]);
            break;
        }
        case vaFalse:
        case vaTrue:
            reader->ReadBoolean();
            reader->ReadInteger();
            // A stored address means nothing in this process: the slot comes back empty.
            Add(nullptr);
            break;
        case vaString:
        case vaLString: {
            const TMetaClass* meta = &FindClass(reader->ReadString());
            classes.push_back(meta);
            createAndRead(meta);
            break;
        }
        default:
            throw Exception("Broken ObjectList archive");
        }
    }
    reader->ReadListEnd();
}

void InitPersistentClasses() {
    RegisterClass(TPersistentObjectList::StaticClass());
}

namespace {
[[maybe_unused]] const bool persistentClassesRegistered = (InitPersistentClasses(), true);
}

} // namespace engine3d
