// Every file the engine opens goes through here, so that an application can serve files from elsewhere.
#pragma once

#include "BaseClasses.h"

#include <memory>
#include <string>

namespace engine3d {

using TAFIOCreateFileStream = std::unique_ptr<TStream> (*)(const std::string& fileName, uint16_t mode);
using TAFIOFileStreamExists = bool (*)(const std::string& fileName);

// Application-wide hooks; unset in this program, so the file system is used directly.
extern TAFIOCreateFileStream vAFIOCreateFileStream;
extern TAFIOFileStreamExists vAFIOFileStreamExists;

// The optional application file-I/O component: the same two services as events.
class TApplicationFileIO : public TComponent {
    E3D_DECLARE_CLASS(TApplicationFileIO)
public:
    explicit TApplicationFileIO(TComponent* owner = nullptr);
    ~TApplicationFileIO() override;
    std::function<std::unique_ptr<TStream>(const std::string& fileName, uint16_t mode)> OnFileStream;
    std::function<bool(const std::string& fileName)> OnFileStreamExists;
};

// True while an application hook or component serves files.
bool ApplicationFileIODefined();

// For a mode other than fmCreate a missing file raises: File not found: "name".
std::unique_ptr<TStream> CreateFileStream(const std::string& fileName,
                                          uint16_t mode = fmOpenRead | fmShareDenyNone);
bool FileStreamExists(const std::string& fileName);

} // namespace engine3d
