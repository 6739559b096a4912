#pragma once
// Byte streams: the base interface, an in-memory stream and a buffered file stream.
// Read() copies what is there and returns short at the end without raising; ReadBuffer() raises.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "Errors.h"

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;

    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size() = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    // Bytes between the position and the end; 0 when the position lies past the end.
    int64_t Remaining();
    bool AtEnd() { return Remaining() <= 0; }

    // Raise EReadError / EWriteError ("Stream read error" / "Stream write error") when short.
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
    // Copies count bytes from source at its position (count 0 copies the whole source from 0).
    int64_t CopyFrom(TStream& source, int64_t count);

    // Reads a little-endian number in place. Past the end the bytes that exist are copied into the
    // low-order bytes and the rest of the value stays as it was; with nothing left it keeps its value.
    template <class T> void ReadValue(T& value) {
        static_assert(std::is_arithmetic_v<T>);
        Read(&value, sizeof(T));
    }
    template <class T> T ReadAs() {
        T value{};
        ReadValue(value);
        return value;
    }
    // The position a seek leads to, never before the start.
    static int64_t SeekTarget(int64_t position, int64_t size, int64_t offset, TSeekOrigin origin);

    template <class T> void WriteValue(T value) {
        static_assert(std::is_arithmetic_v<T>);
        WriteBuffer(&value, sizeof(T));
    }
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

    size_t Read(void* buffer, size_t count) final {
        const int64_t size = Size();
        if (position_ >= size || count == 0) return 0;
        const size_t n =
            static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), size - position_));
        std::memcpy(buffer, data_.data() + position_, n);
        position_ += static_cast<int64_t>(n);
        return n;
    }
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() final { return static_cast<int64_t>(data_.size()); }

    // Same rules as the base, without the virtual call: the readers of large key indexes use these.
    template <class T> void ReadValue(T& value) {
        static_assert(std::is_arithmetic_v<T>);
        if (position_ >= 0 && static_cast<size_t>(position_) + sizeof(T) <= data_.size()) {
            std::memcpy(&value, data_.data() + position_, sizeof(T));
            position_ += static_cast<int64_t>(sizeof(T));
        } else {
            Read(&value, sizeof(T));
        }
    }
    template <class T> T ReadAs() {
        T value{};
        ReadValue(value);
        return value;
    }
    int64_t Remaining() { return position_ < Size() ? Size() - position_ : 0; }
    bool AtEnd() { return position_ >= Size(); }

    void SetSize(int64_t size);
    void Clear();
    const uint8_t* Memory() const { return data_.data(); }
    uint8_t* Memory() { return data_.data(); }
    const std::vector<uint8_t>& Bytes() const { return data_; }

private:
    std::vector<uint8_t> data_;
    int64_t position_ = 0;
};

enum class TFileMode { fmOpenRead, fmOpenReadWrite, fmCreate };

// A file opened by name, read and written through a buffer of its own.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    size_t Read(void* buffer, size_t count) final;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() final { return fileSize_; }

    // Same rules as the base; served straight from the read buffer when the value lies inside it.
    template <class T> void ReadValue(T& value) {
        static_assert(std::is_arithmetic_v<T>);
        const int64_t offset = position_ - readBufferStart_;
        if (offset >= 0 && static_cast<size_t>(offset) + sizeof(T) <= readBufferLength_ &&
            writeBuffer_.empty()) {
            std::memcpy(&value, readBuffer_.data() + offset, sizeof(T));
            position_ += static_cast<int64_t>(sizeof(T));
        } else {
            Read(&value, sizeof(T));
        }
    }
    template <class T> T ReadAs() {
        T value{};
        ReadValue(value);
        return value;
    }
    int64_t Remaining() { return position_ < fileSize_ ? fileSize_ - position_ : 0; }
    bool AtEnd() { return position_ >= fileSize_; }

    const std::string& FileName() const { return fileName_; }

private:
    void flushWrites();
    void dropReadBuffer();

    std::string fileName_;
    int handle_ = -1;
    int64_t position_ = 0;
    int64_t fileSize_ = 0;
    std::vector<uint8_t> readBuffer_;
    int64_t readBufferStart_ = 0;
    size_t readBufferLength_ = 0;
    std::vector<uint8_t> writeBuffer_;
    int64_t writeBufferStart_ = 0;
};
