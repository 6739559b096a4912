#pragma once
// Byte streams: the base interface, an in-memory stream and a buffered file stream.
// Read() copies what is there and returns short at the end without raising; ReadBuffer() raises. A read
// the system fails is not the end: a file stream raises EFReadError with the file and the system's reason.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
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

// Streams that hold a window of their bytes in memory (all of them, or a read buffer) serve small
// reads straight from it, without the virtual call; the readers of large key indexes rely on this.
template <class Derived> class TWindowedStream : public TStream {
public:
    // Same rules as TStream::ReadValue.
    template <class T> void ReadValue(T& value) {
        static_assert(std::is_arithmetic_v<T>);
        const Window window = static_cast<Derived*>(this)->readWindow();
        const int64_t offset = position_ - window.start;
        if (offset >= 0 && static_cast<size_t>(offset) + sizeof(T) <= window.length) {
            std::memcpy(&value, window.bytes + offset, sizeof(T));
            position_ += static_cast<int64_t>(sizeof(T));
        } else {
            this->Read(&value, sizeof(T));
        }
    }
    template <class T> T ReadAs() {
        T value{};
        ReadValue(value);
        return value;
    }
    int64_t Remaining() {
        const int64_t size = static_cast<Derived*>(this)->Size();
        return position_ < size ? size - position_ : 0;
    }
    bool AtEnd() { return position_ >= static_cast<Derived*>(this)->Size(); }

protected:
    struct Window {
        const uint8_t* bytes;
        int64_t start;
        size_t length;
    };
    int64_t position_ = 0;
};

class TMemoryStream : public TWindowedStream<TMemoryStream> {
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

    void SetSize(int64_t size);
    void Clear();
    const uint8_t* Memory() const { return data_.data(); }
    uint8_t* Memory() { return data_.data(); }
    const std::vector<uint8_t>& Bytes() const { return data_; }
    // Hands the bytes over and leaves the stream empty.
    std::vector<uint8_t> TakeBytes() {
        position_ = 0;
        return std::exchange(data_, {});
    }

private:
    friend class TWindowedStream<TMemoryStream>;
    Window readWindow() const { return {data_.data(), 0, data_.size()}; }

    std::vector<uint8_t> data_;
};

enum class TFileMode { fmOpenRead, fmOpenReadWrite, fmCreate };

// A file's size, times and identity, to tell later whether it is still the file that was read. Any write,
// a new time (even one put back: that sets the status-change time) or another file renamed over it gives
// another stamp; only writes within one tick of the file system's clock can keep it.
struct TFileStamp {
    int64_t Size = -1; // -1: not known
    int64_t ModifiedNs = 0;
    int64_t ChangedNs = 0; // the status-change time, which no program can set
    uint64_t Device = 0;
    uint64_t Inode = 0;
    bool Known() const { return Size >= 0; }
    bool operator==(const TFileStamp&) const = default;
};

enum class TFileKind { Missing, Regular, Folder, Other };
// What a path names, following links.
TFileKind FileKindOf(const std::string& fileName);
// The message for a path that names something other than a regular file: "\"<path>\" is a folder" or
// "\"<path>\" is not a regular file".
std::string NotRegularFileMessage(const std::string& fileName, TFileKind kind);

// A file opened by name, read and written through a buffer of its own. A read the system fails raises
// EFReadError naming the file and the system's reason. Only regular files are opened: a folder, a pipe or a
// device raises EFOpenError with NotRegularFileMessage, and the open never waits.
// A writer ends with Close(): the destructor only releases the file and drops writes still pending, as it
// has no way to tell that they failed.
// fmCreate writes a new file under a temporary name in the folder of fileName (of the file it names, for a
// link), and Close() puts it in place of fileName, keeping the permissions of the file it replaces. Until
// then fileName stays as it was, and a stream that goes without a successful Close() removes its file: a
// write that fails never costs the file it was to replace, and the file being replaced can be read to the
// end while it is written. An existing fileName that may not be written is refused with EFCreateError.
class TFileStream : public TWindowedStream<TFileStream> {
public:
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    size_t Read(void* buffer, size_t count) final;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() final { return fileSize_; }

    // Writes what is pending and closes the file; a created file then takes its name. A failure of either
    // raises EWriteError naming the file and the system's reason, and a created file goes. Nothing can be
    // read or written afterwards.
    void Close();
    // Close() in two steps, so that files that belong together are all written whole before any of them
    // replaces anything: CloseAside() leaves a created file under its temporary name, PutInPlace() gives it
    // its name (EFCreateError when that fails). Both do nothing more for a file that was only opened.
    void CloseAside();
    void PutInPlace();

    const std::string& FileName() const { return fileName_; }
    // The opened file as it was when it was opened; not known for a created file.
    const TFileStamp& Stamp() const { return stamp_; }
    // The opened file as it is now: a write into it shows here; a new file put in its place by name does
    // not, as this stream still reads the one it opened.
    TFileStamp CurrentStamp() const;
    // Set when a read asked for bytes past the end of the file, until cleared.
    bool ReadPastEnd() const { return readPastEnd_; }
    void SetReadPastEnd(bool value) { readPastEnd_ = value; }

private:
    void flushWrites();
    EFReadError readError(int error) const;
    EWriteError writeError(int error) const;
    void dropReadBuffer();
    void createAside();
    void removeAside();
    friend class TWindowedStream<TFileStream>;
    // Pending writes must reach the file before anything is read back.
    Window readWindow() const {
        return {readBuffer_.get(), readBufferStart_, writeBuffer_.empty() ? readBufferLength_ : 0};
    }

    std::string fileName_;
    int handle_ = -1;
    // A created file: the file it replaces and its temporary name, until it is put in place or removed.
    std::string replacedName_;
    std::string asideName_;
    int64_t fileSize_ = 0;
    TFileStamp stamp_;
    // Left uninitialised: a header read of a small file need not clear a whole buffer first.
    std::unique_ptr<uint8_t[]> readBuffer_;
    int64_t readBufferStart_ = 0;
    size_t readBufferLength_ = 0;
    std::vector<uint8_t> writeBuffer_;
    int64_t writeBufferStart_ = 0;
    bool readPastEnd_ = false;
};

// Creates fileName (fmCreate), lets write fill it and closes it: fileName is replaced only by a whole file.
// When anything fails, the new file goes, fileName stays as it was, and the error is raised again.
void WriteNewFile(const std::string& fileName, const std::function<void(TFileStream&)>& write);

struct TNewFile {
    std::string FileName;
    std::function<void(TFileStream&)> Write;
};
// WriteNewFile for files that belong together: every one is written whole before any replaces its name,
// so a write that fails leaves each name as it was. (Only a rename refused between two of them could part
// them; in one folder the file system has no reason to.)
void WriteNewFiles(const std::vector<TNewFile>& files);
