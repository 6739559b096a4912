#include "ApplicationFileIO.h"

#include <sys/stat.h>

namespace engine3d {

TAFIOCreateFileStream vAFIOCreateFileStream = nullptr;
TAFIOFileStreamExists vAFIOFileStreamExists = nullptr;

namespace {
TApplicationFileIO* vAFIO = nullptr;

bool fileExists(const std::string& fileName) {
    struct stat info;
    return ::stat(fileName.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
} // namespace

E3D_DEFINE_CLASS(TApplicationFileIO, TComponent)

TApplicationFileIO::TApplicationFileIO(TComponent* owner) : TComponent(owner) {
    if (!vAFIO) vAFIO = this;
}

TApplicationFileIO::~TApplicationFileIO() {
    if (vAFIO == this) vAFIO = nullptr;
}

bool ApplicationFileIODefined() {
    return vAFIOCreateFileStream || (vAFIO && (vAFIO->OnFileStream || vAFIO->OnFileStreamExists));
}

std::unique_ptr<TStream> CreateFileStream(const std::string& fileName, uint16_t mode) {
    if (vAFIOCreateFileStream) return vAFIOCreateFileStream(fileName, mode);
    if (vAFIO && vAFIO->OnFileStream)
        if (auto stream = vAFIO->OnFileStream(fileName, mode)) return stream;
    if (mode != fmCreate && !fileExists(fileName)) throw Exception("File not found: \"" + fileName + "\"");
    return std::make_unique<TFileStream>(fileName, mode);
}

bool FileStreamExists(const std::string& fileName) {
    if (vAFIOFileStreamExists) return vAFIOFileStreamExists(fileName);
    if (vAFIO && vAFIO->OnFileStreamExists) return vAFIO->OnFileStreamExists(fileName);
    return fileExists(fileName);
}

} // namespace engine3d
