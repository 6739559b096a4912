#include "PlatformPicture.h"

#include "ApplicationFileIO.h"
#include "PictureRegisteredFormats.h"

#include <cctype>

namespace engine3d {

E3D_DEFINE_CLASS(TPicture, TPersistent)

std::unique_ptr<TGraphic> CopyGraphic(const TGraphic& source) {
    std::unique_ptr<TGraphic> copy(dynamic_cast<TGraphic*>(source.ClassType().Create()));
    if (!copy) {
        // A class without a plain factory still copies through the bitmap form.
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->Assign(&source);
        return bitmap;
    }
    copy->Assign(&source);
    return copy;
}

void TPicture::changed() {
    if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(const TGraphic* graphic) {
    graphic_ = graphic ? CopyGraphic(*graphic) : nullptr;
    changed();
}

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
    changed();
}

void TPicture::LoadFromFile(const std::string& fileName) {
    std::string ext;
    size_t dot = fileName.find_last_of('.');
    size_t slash = fileName.find_last_of("/\\");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ext = fileName.substr(dot);
    TClass graphicClass = GraphicClassForExtension(ext);
    if (!graphicClass) {
        std::string lower = ext;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        throw EInvalidGraphic("Unknown picture file extension (" + lower + ")");
    }
    std::unique_ptr<TGraphic> graphic(dynamic_cast<TGraphic*>(graphicClass->Create()));
    if (!graphic) throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
    graphic->LoadFromFile(fileName);
    graphic_ = std::move(graphic);
    changed();
}

void TPicture::SaveToFile(const std::string& fileName) const {
    if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::Assign(const TPersistent* source) {
    if (!source) {
        SetGraphic(nullptr);
    } else if (auto* picture = dynamic_cast<const TPicture*>(source)) {
        if (picture != this) SetGraphic(picture->Graphic());
    } else if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(graphic);
    } else {
        TPersistent::Assign(source);
    }
}

} // namespace engine3d
