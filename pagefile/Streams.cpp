#include "Streams.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr size_t kFileBufferSize = 64 * 1024;

std::string systemMessage(int error) {
    return std::strerror(error);
}

int64_t nanoseconds(const timespec& time) {
    return static_cast<int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

TFileStamp stampOf(const struct stat& info) {
    return {static_cast<int64_t>(info.st_size), nanoseconds(info.st_mtim), nanoseconds(info.st_ctim),
            static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

// The file a new file replaces: a link is followed to the file it names, so that the link stays.
std::string replacedFileName(const std::string& fileName) {
    struct stat info {};
    if (::lstat(fileName.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return fileName;
    char* target = ::realpath(fileName.c_str(), nullptr);
    if (target == nullptr) return fileName; // a dangling link: the link itself is replaced
    std::string resolved = target;
    std::free(target);
    return resolved;
}

// A hidden name beside the file, short enough for any name the file itself may have.
std::string asideName(const std::string& fileName, std::mt19937& random) {
    const size_t slash = fileName.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix(8, ' ');
    for (char& c : suffix)
        c = kLetters[random() % (sizeof kLetters - 1)];
    return folder + "." + name.substr(0, 64) + "." + suffix;
}
} // namespace

int64_t TStream::SeekTarget(int64_t position, int64_t size, int64_t offset, TSeekOrigin origin) {
    switch (origin) {
    case TSeekOrigin::soBeginning:
        position = offset;
        break;
    case TSeekOrigin::soCurrent:
        position += offset;
        break;
    case TSeekOrigin::soEnd:
        position = size + offset;
        break;
    }
    return std::max<int64_t>(0, position);
}

int64_t TStream::Remaining() {
    return std::max<int64_t>(0, Size() - Position());
}

void TStream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    // Never allocate more than the source can deliver.
    if (count < 0 || count > source.Remaining()) throw EReadError("Stream read error");
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)));
    int64_t left = count;
    while (left > 0) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(chunk.size())));
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        left -= static_cast<int64_t>(n);
    }
    return count;
}

// ---- TMemoryStream

size_t TMemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) return 0;
    const size_t end = static_cast<size_t>(position_) + count;
    if (end > data_.size()) data_.resize(end);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ = static_cast<int64_t>(end);
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    position_ = SeekTarget(position_, Size(), offset, origin);
    return position_;
}

void TMemoryStream::SetSize(int64_t size) {
    data_.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
    if (position_ > size) position_ = size;
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

// ---- TFileStream

TFileKind FileKindOf(const std::string& fileName) {
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0) return TFileKind::Missing;
    if (S_ISREG(info.st_mode)) return TFileKind::Regular;
    return S_ISDIR(info.st_mode) ? TFileKind::Folder : TFileKind::Other;
}

std::string NotRegularFileMessage(const std::string& fileName, TFileKind kind) {
    return "\"" + fileName + (kind == TFileKind::Folder ? "\" is a folder" : "\" is not a regular file");
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
    // A pipe would block the open until a writer comes, a device might never end: both are refused before
    // the open, and the open itself does not wait, for a path that changes kind in between.
    const TFileKind kind = FileKindOf(fileName);
    if (kind == TFileKind::Folder || kind == TFileKind::Other)
        throw EFOpenError(NotRegularFileMessage(fileName, kind));
    if (mode == TFileMode::fmCreate) {
        createAside();
        return;
    }
    handle_ = ::open(fileName.c_str(),
                     (mode == TFileMode::fmOpenReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
    if (handle_ < 0) throw EFOpenError("Cannot open file \"" + fileName + "\". " + systemMessage(errno));
    struct stat info {};
    if (::fstat(handle_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(handle_);
        handle_ = -1;
        throw EFOpenError(
            NotRegularFileMessage(fileName, S_ISDIR(info.st_mode) ? TFileKind::Folder : TFileKind::Other));
    }
    fileSize_ = info.st_size;
    stamp_ = stampOf(info);
}

TFileStamp TFileStream::CurrentStamp() const {
    struct stat info {};
    if (handle_ < 0 || ::fstat(handle_, &info) != 0) return {};
    return stampOf(info);
}

void TFileStream::createAside() {
    replacedName_ = replacedFileName(fileName_);
    const auto refused = [this](int error) {
        return EFCreateError("Cannot create file \"" + fileName_ + "\". " + systemMessage(error));
    };
    struct stat replaced {};
    const bool replacing = ::stat(replacedName_.c_str(), &replaced) == 0;
    if (replacing && ::access(replacedName_.c_str(), W_OK) != 0) throw refused(errno);
    std::mt19937 random(static_cast<uint32_t>(std::random_device{}()) ^
                        static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; handle_ < 0; ++attempt) {
        asideName_ = asideName(replacedName_, random);
        handle_ = ::open(asideName_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (handle_ < 0 && (errno != EEXIST || attempt == 100)) {
            const int error = errno;
            asideName_.clear();
            throw refused(error);
        }
    }
    if (replacing) ::fchmod(handle_, replaced.st_mode & 07777); // without it the file is only less open
}

void TFileStream::removeAside() {
    if (handle_ >= 0) ::close(handle_);
    handle_ = -1;
    if (!asideName_.empty()) ::unlink(asideName_.c_str());
    asideName_.clear();
}

TFileStream::~TFileStream() {
    removeAside();
}

void TFileStream::Close() {
    CloseAside();
    PutInPlace();
}

void TFileStream::CloseAside() {
    try {
        flushWrites();
        // A new file is to replace another by name: its bytes must be on the disk before the name is.
        if (!asideName_.empty() && handle_ >= 0 && ::fsync(handle_) != 0) throw writeError(errno);
        const int handle = handle_;
        handle_ = -1;
        dropReadBuffer();
        // Some file systems tell only here that the written bytes could not be kept; after EINTR the handle
        // is gone all the same on this platform.
        if (handle >= 0 && ::close(handle) != 0 && errno != EINTR) throw writeError(errno);
    } catch (...) {
        removeAside();
        throw;
    }
}

void TFileStream::PutInPlace() {
    if (handle_ >= 0) CloseAside();
    if (asideName_.empty()) return;
    if (::rename(asideName_.c_str(), replacedName_.c_str()) != 0) {
        const int error = errno;
        removeAside();
        throw EFCreateError("Cannot create file \"" + fileName_ + "\". " + systemMessage(error));
    }
    asideName_.clear();
}

EFReadError TFileStream::readError(int error) const {
    return EFReadError("Cannot read file \"" + fileName_ + "\". " + systemMessage(error));
}

EWriteError TFileStream::writeError(int error) const {
    return EWriteError("Cannot write file \"" + fileName_ + "\". " + systemMessage(error));
}

void TFileStream::dropReadBuffer() {
    readBufferLength_ = 0;
}

void TFileStream::flushWrites() {
    size_t done = 0;
    while (done < writeBuffer_.size()) {
        const ssize_t n = ::pwrite(handle_, writeBuffer_.data() + done, writeBuffer_.size() - done,
                                   writeBufferStart_ + static_cast<int64_t>(done));
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            // A write that takes nothing without a reason is a full device.
            const int error = n < 0 ? errno : ENOSPC;
            writeBuffer_.clear();
            throw writeError(error);
        }
        done += static_cast<size_t>(n);
    }
    writeBuffer_.clear();
}

size_t TFileStream::Read(void* buffer, size_t count) {
    if (handle_ < 0) { // closed: nothing is left to read
        if (count > 0) readPastEnd_ = true;
        return 0;
    }
    if (!writeBuffer_.empty()) flushWrites();
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count && position_ < fileSize_) {
        const bool inBuffer = position_ >= readBufferStart_ &&
                              position_ < readBufferStart_ + static_cast<int64_t>(readBufferLength_);
        if (!inBuffer) {
            const size_t want = count - done;
            if (want >= kFileBufferSize) {
                // Large reads bypass the buffer.
                const ssize_t n = ::pread(handle_, out + done, want, position_);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) throw readError(errno);
                if (n == 0) break; // the file is shorter now than when it was opened
                done += static_cast<size_t>(n);
                position_ += n;
                continue;
            }
            if (!readBuffer_) readBuffer_ = std::make_unique_for_overwrite<uint8_t[]>(kFileBufferSize);
            ssize_t n;
            do {
                n = ::pread(handle_, readBuffer_.get(), kFileBufferSize, position_);
            } while (n < 0 && errno == EINTR);
            if (n < 0) throw readError(errno);
            if (n == 0) break;
            readBufferStart_ = position_;
            readBufferLength_ = static_cast<size_t>(n);
        }
        const size_t offset = static_cast<size_t>(position_ - readBufferStart_);
        const size_t n = std::min(count - done, readBufferLength_ - offset);
        std::memcpy(out + done, readBuffer_.get() + offset, n);
        done += n;
        position_ += static_cast<int64_t>(n);
    }
    if (done < count) readPastEnd_ = true;
    return done;
}

size_t TFileStream::Write(const void* buffer, size_t count) {
    if (count == 0) return 0;
    dropReadBuffer();
    if (!writeBuffer_.empty() && writeBufferStart_ + static_cast<int64_t>(writeBuffer_.size()) != position_)
        flushWrites();
    if (writeBuffer_.empty()) writeBufferStart_ = position_;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    writeBuffer_.insert(writeBuffer_.end(), bytes, bytes + count);
    position_ += static_cast<int64_t>(count);
    fileSize_ = std::max(fileSize_, position_);
    if (writeBuffer_.size() >= kFileBufferSize) flushWrites();
    return count;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    position_ = SeekTarget(position_, fileSize_, offset, origin);
    return position_;
}

void WriteNewFile(const std::string& fileName, const std::function<void(TFileStream&)>& write) {
    WriteNewFiles({{fileName, write}});
}

void WriteNewFiles(const std::vector<TNewFile>& files) {
    std::vector<std::unique_ptr<TFileStream>> written;
    for (const TNewFile& file : files) {
        written.push_back(std::make_unique<TFileStream>(file.FileName, TFileMode::fmCreate));
        file.Write(*written.back());
        written.back()->CloseAside();
    }
    for (const std::unique_ptr<TFileStream>& file : written)
        file->PutInPlace();
}
