#include "PictureRegisteredFormats.h"

#include "PlatformGraphics.h"
#include "PlatformJPEG.h"

#include <QString>

#include <algorithm>
#include <mutex>

namespace engine3d {

namespace {

std::string lowerCase(std::string text) {
    return QString::fromStdString(text).toLower().toStdString();
}

std::string withoutDot(const std::string& extension) {
    return !extension.empty() && extension[0] == '.' ? extension.substr(1) : extension;
}

std::mutex& formatsLock() {
    static std::mutex lock;
    return lock;
}

// The class library's own formats are there from the start.
std::vector<TPictureFormat>& formats() {
    static std::vector<TPictureFormat> list = {{"bmp", "Bitmaps", &TBitmap::StaticClass()},
                                               {"jpg", "JPEG Image File", &TJPEGImage::StaticClass()},
                                               {"jpeg", "JPEG Image File", &TJPEGImage::StaticClass()}};
    return list;
}

} // namespace

void RegisterPictureFormat(const std::string& extension, const std::string& description,
                           TClass graphicClass) {
    std::string ext = lowerCase(withoutDot(extension));
    if (ext.empty() || !graphicClass) return;
    std::lock_guard<std::mutex> guard(formatsLock());
    auto& list = formats();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const TPictureFormat& f) { return lowerCase(f.Extension) == ext; }),
               list.end());
    list.push_back({withoutDot(extension), description, graphicClass});
}

void UnregisterPictureFormat(TClass graphicClass) {
    std::lock_guard<std::mutex> guard(formatsLock());
    auto& list = formats();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const TPictureFormat& f) { return f.GraphicClass == graphicClass; }),
               list.end());
}

std::vector<TPictureFormat> ListPictureFormats() {
    std::lock_guard<std::mutex> guard(formatsLock());
    return formats();
}

TClass GraphicClassForExtension(const std::string& extension) {
    std::string ext = lowerCase(withoutDot(extension));
    if (ext.empty()) return nullptr;
    for (const TPictureFormat& format : ListPictureFormats())
        if (lowerCase(format.Extension) == ext) return format.GraphicClass;
    return nullptr;
}

} // namespace engine3d
