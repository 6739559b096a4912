// The class library's picture: a holder of one graphic that loads a file through the graphic class
// registered for the file's extension and tells its owner of every change.
#pragma once

#include "PlatformGraphics.h"

#include <functional>
#include <memory>
#include <string>

namespace engine3d {

class TPicture : public TPersistent {
    E3D_DECLARE_CLASS(TPicture)
public:
    TPicture() = default;
    TGraphic* Graphic() const { return graphic_.get(); }
    // A copy of graphic (nullptr empties the picture).
    void SetGraphic(const TGraphic* graphic);
    // Takes ownership.
    void TakeGraphic(std::unique_ptr<TGraphic> graphic);
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    // EInvalidGraphic "Unknown picture file extension (.ext)" when no class reads the extension; the
    // graphic class's own errors pass through.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;
    // From another picture, a graphic or nullptr.
    void Assign(const TPersistent* source) override;
    std::function<void(TObject* sender)> OnChange;

private:
    void changed();
    std::unique_ptr<TGraphic> graphic_;
};

// A new graphic of the same class holding a copy of source.
std::unique_ptr<TGraphic> CopyGraphic(const TGraphic& source);

} // namespace engine3d
