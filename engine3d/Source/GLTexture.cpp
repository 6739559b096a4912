#include "GLTexture.h"

#include "ApplicationFileIO.h"
#include "GL3DScene.h"
#include "GLUtils.h"
#include "PictureRegisteredFormats.h"
#include "XOpenGL.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

namespace engine3d {

TGLTextureFormat vDefaultTextureFormat = tfRGBA;
TGLTextureCompression vDefaultTextureCompression = tcNone;

namespace {

std::string lowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string extensionWithDot(const std::string& fileName) {
    size_t dot = fileName.find_last_of('.');
    size_t slash = fileName.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return fileName.substr(dot);
}

std::string trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool hasExtension(const char* name) {
    const GLubyte* extensions = glGetString(GL_EXTENSIONS);
    return extensions && HasGLExtension(reinterpret_cast<const char*>(extensions), name);
}

bool glVersionAtLeast(int wantMajor, int wantMinor) {
    const GLubyte* text = glGetString(GL_VERSION);
    int major = 0, minor = 0;
    if (!text || std::sscanf(reinterpret_cast<const char*>(text), "%d.%d", &major, &minor) < 2) return false;
    return major > wantMajor || (major == wantMajor && minor >= wantMinor);
}

// Rotation part orthonormalised, translation removed, transposed: the inverse rotation of a view.
TMatrix treatedModelView(TMatrix m) {
    m[3] = {0, 0, 0, 1};
    for (int i = 0; i < 3; ++i)
        m[i][3] = 0;
    NormalizeMatrix(m);
    TransposeMatrix(m);
    return m;
}

TAffineVector affineOf(const TVector& v) {
    return {v[0], v[1], v[2]};
}

TMatrix currentModelView() {
    TMatrix m;
    glGetFloatv(GL_MODELVIEW_MATRIX, &m[0][0]);
    return m;
}

} // namespace

// ---- Colour -----------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLColor, TGLUpdateAbleObject)

TGLColor::TGLColor(TPersistent* owner) : TGLUpdateAbleObject(owner) {}

TGLColor::TGLColor(TPersistent* owner, const TVector& color) : TGLUpdateAbleObject(owner), color_(color) {}

void TGLColor::NotifyChange(TObject* sender) {
    if (auto* object = dynamic_cast<TGLBaseSceneObject*>(Owner())) object->SceneObjectStructureChanged();
    TGLUpdateAbleObject::NotifyChange(sender);
}

void TGLColor::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLColor*>(source)) {
        color_ = other->color_;
        NotifyChange(this);
        return;
    }
    TGLUpdateAbleObject::Assign(source);
}

void TGLColor::SetColor(const TVector& color) {
    if (VectorEquals4(color, color_)) return;
    color_ = color;
    NotifyChange(this);
}

void TGLColor::SetColor(float red, float green, float blue, float alpha) {
    SetColor(TVector{red, green, blue, alpha});
}

void TGLColor::setComponent(int index, float value) {
    if (color_[static_cast<size_t>(index)] == value) return;
    color_[static_cast<size_t>(index)] = value;
    NotifyChange(this);
}

void TGLColor::WriteData(TStream& stream) const {
    stream.WriteBuffer(color_.data(), 16);
}

void TGLColor::ReadData(TStream& stream) {
    stream.ReadBuffer(color_.data(), 16);
    NotifyChange(this);
}

TVector ColorToVector(TColor color, float alpha) {
    TColor rgb = ResolveSystemColor(color);
    constexpr float f = 1.0f / 255.0f;
    return {GetRValue(rgb) * f, GetGValue(rgb) * f, GetBValue(rgb) * f, alpha};
}

// ---- Registries -------------------------------------------------------------------------------------

namespace {

std::vector<TGLTextureImageClass>& imageClasses() {
    static std::vector<TGLTextureImageClass> list;
    return list;
}

struct GraphicExtension {
    std::string extension;
    TClass graphicClass;
};

std::vector<GraphicExtension>& graphicExtensions() {
    static std::vector<GraphicExtension> list;
    return list;
}

} // namespace

void RegisterTextureImageClass(TGLTextureImageClass imageClass) {
    if (imageClass) imageClasses().push_back(imageClass);
}

TGLTextureImageClass FindTextureImageClass(const std::string& className) {
    InitGLTexture();
    for (TGLTextureImageClass c : imageClasses())
        if (c->ClassName() == className) return c;
    return nullptr;
}

const std::vector<TGLTextureImageClass>& GetGLTextureImageClassesList() {
    InitGLTexture();
    return imageClasses();
}

void RegisterGraphicExtension(const std::string& extension, TClass graphicClass) {
    std::string ext = lowerCase(extension);
    if (!ext.empty() && ext[0] != '.') ext = "." + ext;
    graphicExtensions().push_back({ext, graphicClass});
}

std::unique_ptr<TGraphic> CreateGraphicFromFile(const std::string& fileName) {
    if (!FileStreamExists(fileName)) return nullptr;
    std::string ext = lowerCase(extensionWithDot(fileName));
    TClass graphicClass = nullptr;
    for (const GraphicExtension& entry : graphicExtensions())
        if (entry.extension == ext) {
            graphicClass = entry.graphicClass;
            break;
        }
    if (!graphicClass) graphicClass = GraphicClassForExtension(ext);
    if (!graphicClass) return nullptr;
    std::unique_ptr<TGraphic> graphic(dynamic_cast<TGraphic*>(graphicClass->Create()));
    if (!graphic) return nullptr;
    auto stream = CreateFileStream(fileName, fmOpenRead);
    graphic->LoadFromStream(*stream);
    return graphic;
}

// ---- Texture images ---------------------------------------------------------------------------------

E3D_DEFINE_ABSTRACT_CLASS(TGLTextureImage, TGLUpdateAbleObject)

TGLTextureImage::TGLTextureImage(TPersistent* owner) : TGLUpdateAbleObject(owner) {
    if (owner) {
        ownerTexture_ = dynamic_cast<TGLTexture*>(owner);
        GLAssert(ownerTexture_ != nullptr, "Invalid typecast");
    }
}

TGLTextureImage::~TGLTextureImage() = default;

void TGLTextureImage::NotifyChange(TObject* sender) {
    if (ownerTexture_) {
        ownerTexture_->changes_ |= 1;
        ownerTexture_->NotifyChange(this);
    }
    if (OnNotifyChange) OnNotifyChange(sender);
}

void TGLTextureImage::passThroughTextureNeeded(std::string& fileName) {
    if (OnTextureNeeded) OnTextureNeeded(this, fileName);
}

void TGLTextureImage::LoadFromFile(const std::string& fileName) {
    std::string name = fileName;
    passThroughTextureNeeded(name);
}

void TGLTextureImage::Invalidate() {
    ReleaseBitmap32();
    if (ownerTexture_) ownerTexture_->changes_ |= 1;
    NotifyChange(this);
}

// Blank and float images.

E3D_DEFINE_CLASS(TGLBlankImage, TGLTextureImage)

void TGLBlankImage::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLBlankImage*>(source)) {
        width_ = other->width_;
        height_ = other->height_;
        Invalidate();
        return;
    }
    TGLTextureImage::Assign(source);
}

void TGLBlankImage::SetWidth(int value) {
    value = std::max(value, 1);
    if (value == width_) return;
    width_ = value;
    Invalidate();
}

void TGLBlankImage::SetHeight(int value) {
    value = std::max(value, 1);
    if (value == height_) return;
    height_ = value;
    Invalidate();
}

std::string TGLBlankImage::FriendlyDescription() const {
    return "Blank Image (" + std::to_string(width_) + " x " + std::to_string(height_) + ")";
}

TGLBitmap32* TGLBlankImage::GetBitmap32(GLenum) {
    if (!bitmap_) {
        bitmap_ = std::make_unique<TGLBitmap32>();
        bitmap_->SetWidth(width_);
        bitmap_->SetHeight(height_);
    }
    return bitmap_.get();
}

void TGLBlankImage::SaveToFile(const std::string& fileName) {
    SaveStringToFile(fileName, std::string(section()) + "\r\nWidth=" + std::to_string(width_) +
                                   "\r\nHeight=" + std::to_string(height_));
}

void TGLBlankImage::LoadFromFile(const std::string& fileName) {
    std::string name = fileName;
    passThroughTextureNeeded(name);
    GLAssert(FileStreamExists(name), FormatMessage("Could not open file: %s", {name}));
    std::istringstream lines(LoadStringFromFile(name));
    std::string line;
    int width = width_, height = height_;
    while (std::getline(lines, line)) {
        line = trim(line);
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        try {
            if (key == "Width") width = std::stoi(value);
            if (key == "Height") height = std::stoi(value);
        } catch (const std::exception&) {
            throw EConvertError("'" + value + "' is not a valid integer value");
        }
    }
    SetWidth(width);
    SetHeight(height);
}

E3D_DEFINE_CLASS(TGLFloatDataImage, TGLBlankImage)

// Picture images.

E3D_DEFINE_ABSTRACT_CLASS(TGLPictureImage, TGLTextureImage)

TGLPictureImage::~TGLPictureImage() {
    if (picture_) picture_->OnChange = nullptr;
}

TPicture* TGLPictureImage::Picture() {
    if (!picture_) {
        picture_ = std::make_unique<TPicture>();
        attachPicture();
    }
    return picture_.get();
}

void TGLPictureImage::attachPicture() {
    if (picture_) picture_->OnChange = [this](TObject*) { pictureChanged(); };
}

void TGLPictureImage::detachPicture() {
    if (picture_) picture_->OnChange = nullptr;
}

void TGLPictureImage::pictureChanged() {
    Invalidate();
}

void TGLPictureImage::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLPictureImage*>(source)) {
        if (other == this) return;
        Picture()->Assign(other->picture_.get());
    } else if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        Picture()->Assign(graphic);
    } else if (auto* picture = dynamic_cast<const TPicture*>(source)) {
        Picture()->Assign(picture);
    } else if (auto* bitmap32 = dynamic_cast<const TGLBitmap32*>(source)) {
        std::unique_ptr<TBitmap> bitmap = bitmap32->Create32BitsBitmap();
        Picture()->TakeGraphic(std::move(bitmap));
    } else {
        TGLTextureImage::Assign(source);
    }
}

TGLBitmap32* TGLPictureImage::GetBitmap32(GLenum) {
    if (!bitmap_) {
        bitmap_ = std::make_unique<TGLBitmap32>();
        detachPicture();
        try {
            bitmap_->Assign(Picture()->Graphic());
        } catch (...) {
            attachPicture();
            throw;
        }
        attachPicture();
    }
    return bitmap_.get();
}

E3D_DEFINE_CLASS(TGLPersistentImage, TGLPictureImage)

std::string TGLPersistentImage::FriendlyDescription() const {
    return "Image data is stored with the other resources of the form.";
}

void TGLPersistentImage::SaveToFile(const std::string& fileName) {
    Picture()->SaveToFile(fileName);
}

void TGLPersistentImage::LoadFromFile(const std::string& fileName) {
    std::string name = fileName;
    passThroughTextureNeeded(name);
    if (ApplicationFileIODefined()) {
        if (std::unique_ptr<TGraphic> graphic = CreateGraphicFromFile(name)) {
            Picture()->Assign(graphic.get());
            return;
        }
    } else if (FileStreamExists(name)) {
        Picture()->LoadFromFile(name);
        return;
    }
    Picture()->Assign(nullptr);
    throw ETexture(FormatMessage("Could not open file: %s", {name}));
}

E3D_DEFINE_CLASS(TGLPicFileImage, TGLPictureImage)

void TGLPicFileImage::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLPicFileImage*>(source)) {
        SetPictureFileName(other->pictureFileName_);
        return;
    }
    TGLPictureImage::Assign(source);
}

void TGLPicFileImage::SetPictureFileName(const std::string& name) {
    if (name == pictureFileName_) return;
    pictureFileName_ = name;
    alreadyWarnedAboutMissingFile_ = false;
    Invalidate();
}

int TGLPicFileImage::GetWidth() {
    TGLBitmap32* bitmap = GetBitmap32(GL_TEXTURE_2D);
    return bitmap ? bitmap->Width() : 0;
}

int TGLPicFileImage::GetHeight() {
    TGLBitmap32* bitmap = GetBitmap32(GL_TEXTURE_2D);
    return bitmap ? bitmap->Height() : 0;
}

TGLBitmap32* TGLPicFileImage::GetBitmap32(GLenum target) {
    if (bitmap_) return bitmap_.get();
    if (Picture()->Width() < 1 && !pictureFileName_.empty()) {
        detachPicture();
        std::string name = pictureFileName_;
        passThroughTextureNeeded(name);
        if (FileStreamExists(name)) {
            std::unique_ptr<TGraphic> graphic = CreateGraphicFromFile(name);
            picture_->Assign(graphic.get());
        } else {
            picture_->Assign(nullptr);
            if (!alreadyWarnedAboutMissingFile_) {
                alreadyWarnedAboutMissingFile_ = true;
                attachPicture();
                GLAssert(false, FormatMessage("Could not open file: %s", {name}));
            }
        }
        attachPicture();
    }
    TGLBitmap32* result = TGLPictureImage::GetBitmap32(target);
    // Only the pixels are kept; the picture is read again after an invalidation.
    detachPicture();
    picture_->Assign(nullptr);
    attachPicture();
    return result;
}

void TGLPicFileImage::SaveToFile(const std::string& fileName) {
    SaveStringToFile(fileName, pictureFileName_);
}

void TGLPicFileImage::LoadFromFile(const std::string& fileName) {
    std::string name = fileName;
    passThroughTextureNeeded(name);
    if (SizeOfFile(name) >= 512) {
        SetPictureFileName(name);
        return;
    }
    std::string text = LoadStringFromFile(name);
    SetPictureFileName(text.find('\0') == std::string::npos ? text : name);
}

void TGLPicFileImage::Invalidate() {
    detachPicture();
    Picture()->Assign(nullptr);
    bitmap_.reset();
    attachPicture();
    TGLPictureImage::Invalidate();
}

// Cube map.

E3D_DEFINE_CLASS(TGLCubeMapImage, TGLTextureImage)

TGLCubeMapImage::TGLCubeMapImage(TPersistent* owner) : TGLTextureImage(owner) {
    for (auto& picture : pictures_) {
        picture = std::make_unique<TPicture>();
        picture->OnChange = [this](TObject*) { Invalidate(); };
    }
}

TGLCubeMapImage::~TGLCubeMapImage() {
    for (auto& picture : pictures_)
        picture->OnChange = nullptr;
}

void TGLCubeMapImage::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLCubeMapImage*>(source)) {
        if (other == this) return;
        for (int i = 0; i < 6; ++i)
            pictures_[i]->Assign(other->pictures_[i].get());
        Invalidate();
        return;
    }
    TGLTextureImage::Assign(source);
}

TGLBitmap32* TGLCubeMapImage::GetBitmap32(GLenum target) {
    int face = cmtPX;
    if (target >= GL_TEXTURE_CUBE_MAP_POSITIVE_X && target <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z)
        face = static_cast<int>(target - GL_TEXTURE_CUBE_MAP_POSITIVE_X);
    bitmap_ = std::make_unique<TGLBitmap32>();
    bitmap_->SetKeepSourceRowOrder(true);
    TPicture* picture = pictures_[face].get();
    auto handler = std::move(picture->OnChange);
    picture->OnChange = nullptr;
    try {
        bitmap_->Assign(picture->Graphic());
    } catch (...) {
        picture->OnChange = std::move(handler);
        throw;
    }
    picture->OnChange = std::move(handler);
    return bitmap_.get();
}

void TGLCubeMapImage::SaveToFile(const std::string& fileName) {
    auto stream = CreateFileStream(fileName, fmCreate);
    uint16_t version = 0x0100;
    stream->WriteBuffer(&version, 2);
    for (auto& picture : pictures_) {
        TBitmap bitmap;
        if (picture->Graphic()) bitmap.Assign(picture->Graphic());
        bitmap.SaveToStream(*stream);
    }
}

void TGLCubeMapImage::LoadFromFile(const std::string& fileName) {
    std::string name = fileName;
    passThroughTextureNeeded(name);
    auto stream = CreateFileStream(name, fmOpenRead | fmShareDenyWrite);
    uint16_t version = 0;
    stream->ReadBuffer(&version, 2);
    GLAssert(version == 0x0100, "Invalid cube map file version");
    for (auto& picture : pictures_) {
        // Each face is one bitmap file; its header's total size says where the next one starts.
        uint8_t header[6];
        int64_t start = stream->Position();
        stream->ReadBuffer(header, sizeof header);
        uint32_t size = header[2] | header[3] << 8 | header[4] << 16 | uint32_t(header[5]) << 24;
        if (header[0] != 'B' || header[1] != 'M' || size < sizeof header || size > stream->Size() - start)
            throw EInvalidGraphic("Bitmap image is not valid");
        TMemoryStream face;
        stream->SetPosition(start);
        face.CopyFrom(*stream, size);
        face.SetPosition(0);
        TBitmap bitmap;
        bitmap.LoadFromStream(face);
        picture->Assign(&bitmap);
    }
}

// ---- Texture ----------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLTexture, TGLUpdateAbleObject)

TGLTexture::TGLTexture(TPersistent* owner)
    : TGLUpdateAbleObject(owner), handle_(std::make_unique<TGLTextureHandle>()),
      envColor_(std::make_unique<TGLColor>(this, TVector{0, 0, 0, 0})) {
    newPersistentImage();
}

TGLTexture::~TGLTexture() {
    OnTextureNeeded = nullptr;
    DestroyHandles();
}

void TGLTexture::newPersistentImage() {
    image_ = std::make_unique<TGLPersistentImage>(this);
    image_->OnTextureNeeded = [this](TObject* sender, std::string& name) {
        if (OnTextureNeeded) OnTextureNeeded(sender, name);
    };
}

void TGLTexture::Assign(const TPersistent* source) {
    if (!source) {
        SetDisabled(true);
        newPersistentImage();
        changes_ = 3;
        NotifyChange(this);
        return;
    }
    if (auto* other = dynamic_cast<const TGLTexture*>(source)) {
        if (other == this) return;
        imageAlpha_ = other->imageAlpha_;
        textureMode_ = other->textureMode_;
        textureWrap_ = other->textureWrap_;
        textureFormat_ = other->textureFormat_;
        compression_ = other->compression_;
        minFilter_ = other->minFilter_;
        magFilter_ = other->magFilter_;
        mappingMode_ = other->mappingMode_;
        if (other->mapSCoordinates_) MappingSCoordinates()->Assign(other->mapSCoordinates_.get());
        if (other->mapTCoordinates_) MappingTCoordinates()->Assign(other->mapTCoordinates_.get());
        disabled_ = other->disabled_;
        SetImage(other->image_.get());
        changes_ = 3;
        NotifyChange(this);
        return;
    }
    if (dynamic_cast<const TGraphic*>(source) || dynamic_cast<const TPicture*>(source)) {
        image_->Assign(source);
        return;
    }
    TGLUpdateAbleObject::Assign(source);
}

void TGLTexture::SetImage(const TGLTextureImage* value) {
    if (!value) return;
    if (value == image_.get()) return;
    if (value->ClassName() != image_->ClassName()) SetImageClassName(value->ClassName());
    image_->Assign(value);
}

void TGLTexture::SetImageClassName(const std::string& name) {
    if (name.empty() || name == image_->ClassName()) return;
    TGLTextureImageClass imageClass = FindTextureImageClass(name);
    if (!imageClass) return;
    std::unique_ptr<TGLTextureImage> image;
    if (imageClass == &TGLBlankImage::StaticClass())
        image = std::make_unique<TGLBlankImage>(this);
    else if (imageClass == &TGLFloatDataImage::StaticClass())
        image = std::make_unique<TGLFloatDataImage>(this);
    else if (imageClass == &TGLPicFileImage::StaticClass())
        image = std::make_unique<TGLPicFileImage>(this);
    else if (imageClass == &TGLCubeMapImage::StaticClass())
        image = std::make_unique<TGLCubeMapImage>(this);
    else
        image = std::make_unique<TGLPersistentImage>(this);
    image->OnTextureNeeded = [this](TObject* sender, std::string& fileName) {
        if (OnTextureNeeded) OnTextureNeeded(sender, fileName);
    };
    image_ = std::move(image);
    imageChanged();
}

void TGLTexture::NotifyChange(TObject* sender) {
    // The environment colour reports its changes here; it is sent with the texture parameters.
    if (envColor_ && sender == envColor_.get()) changes_ |= 2;
    if (auto* item = dynamic_cast<TGLTextureExItem*>(Owner())) item->NotifyChange(this);
    TGLUpdateAbleObject::NotifyChange(sender);
}

void TGLTexture::imageChanged() {
    changes_ |= 1;
    NotifyChange(this);
}

void TGLTexture::paramsChanged() {
    changes_ |= 2;
    NotifyChange(this);
}

void TGLTexture::notifyOwnerOfTexMapChange() {
    if (auto* material = dynamic_cast<TGLMaterial*>(Owner()))
        material->NotifyTexMapChange(this);
    else if (auto* item = dynamic_cast<TGLTextureExItem*>(Owner()))
        item->NotifyTexMapChange(this);
}

void TGLTexture::SetDisabled(bool value) {
    if (value == disabled_) return;
    disabled_ = value;
    if (Owner())
        notifyOwnerOfTexMapChange();
    else
        NotifyChange(this);
}

#define E3D_TEXTURE_SETTER(Setter, field, Type, marker)                                                      \
    void TGLTexture::Setter(Type value) {                                                                    \
        if (value == field) return;                                                                          \
        field = value;                                                                                       \
        marker();                                                                                            \
    }
E3D_TEXTURE_SETTER(SetImageAlpha, imageAlpha_, TGLTextureImageAlpha, imageChanged)
E3D_TEXTURE_SETTER(SetImageBrightness, imageBrightness_, float, imageChanged)
E3D_TEXTURE_SETTER(SetImageGamma, imageGamma_, float, imageChanged)
E3D_TEXTURE_SETTER(SetMagFilter, magFilter_, TGLMagFilter, paramsChanged)
E3D_TEXTURE_SETTER(SetMinFilter, minFilter_, TGLMinFilter, paramsChanged)
E3D_TEXTURE_SETTER(SetTextureMode, textureMode_, TGLTextureMode, paramsChanged)
E3D_TEXTURE_SETTER(SetTextureWrap, textureWrap_, TGLTextureWrap, paramsChanged)
E3D_TEXTURE_SETTER(SetTextureFormat, textureFormat_, TGLTextureFormat, paramsChanged)
E3D_TEXTURE_SETTER(SetCompression, compression_, TGLTextureCompression, paramsChanged)
E3D_TEXTURE_SETTER(SetFilteringQuality, filteringQuality_, TGLTextureFilteringQuality, paramsChanged)
#undef E3D_TEXTURE_SETTER

void TGLTexture::SetNormalMapScale(float value) {
    if (value == normalMapScale_) return;
    normalMapScale_ = value;
    if (textureFormat_ == tfNormalMap) imageChanged();
}

void TGLTexture::SetMappingMode(TGLTextureMappingMode value) {
    if (value == mappingMode_) return;
    bool backToUser = value == tmmUser;
    mappingMode_ = value;
    if (backToUser) {
        if (auto* material = dynamic_cast<TGLMaterial*>(Owner())) {
            material->NotifyTexMapChange(this);
            return;
        }
    }
    NotifyChange(this);
}

TGLCoordinates* TGLTexture::MappingSCoordinates() {
    if (!mapSCoordinates_)
        mapSCoordinates_.reset(TGLCoordinates::CreateWithVector(this, XHmgVector, csVector));
    return mapSCoordinates_.get();
}

TGLCoordinates* TGLTexture::MappingTCoordinates() {
    if (!mapTCoordinates_)
        mapTCoordinates_.reset(TGLCoordinates::CreateWithVector(this, XHmgVector, csVector));
    return mapTCoordinates_.get();
}

void TGLTexture::DestroyHandles() {
    if (handle_->Handle() != 0) {
        TGLContext* context = handle_->RenderingContext();
        bool activate = context && context->IsValid() && CurrentGLContext() != context;
        if (activate) context->ContextActivate();
        handle_->HandleDestroy();
        if (activate) context->ContextDeactivate();
    }
    changes_ = 3;
    requiredMemorySize_ = -1;
}

GLenum TGLTexture::OpenGLTextureFormat() const {
    TGLTextureFormat format = textureFormat_ == tfDefault ? vDefaultTextureFormat : textureFormat_;
    bool isFloat = format == tfRGBAFloat16 || format == tfRGBAFloat32;
    TGLTextureCompression compression = tcNone;
    if (GLExtensions.ARB_texture_compression && !isFloat)
        compression = compression_ == tcDefault ? vDefaultTextureCompression : compression_;
    if (compression != tcNone) {
        switch (compression) {
        case tcStandard:
            glHint(GL_TEXTURE_COMPRESSION_HINT_ARB, GL_DONT_CARE);
            break;
        case tcHighQuality:
            glHint(GL_TEXTURE_COMPRESSION_HINT_ARB, GL_NICEST);
            break;
        case tcHighSpeed:
            glHint(GL_TEXTURE_COMPRESSION_HINT_ARB, GL_FASTEST);
            break;
        default:
            GLAssert(false, "");
        }
        switch (format) {
        case tfRGB:
        case tfRGB16:
        case tfNormalMap:
            return GL_COMPRESSED_RGB_ARB;
        case tfAlpha:
            return GL_COMPRESSED_ALPHA_ARB;
        case tfLuminance:
            return GL_COMPRESSED_LUMINANCE_ARB;
        case tfLuminanceAlpha:
            return GL_COMPRESSED_LUMINANCE_ALPHA_ARB;
        case tfIntensity:
            return GL_COMPRESSED_INTENSITY_ARB;
        default:
            return GL_COMPRESSED_RGBA_ARB;
        }
    }
    switch (format) {
    case tfRGB:
    case tfNormalMap:
        return GL_RGB8;
    case tfRGB16:
        return GL_RGB5;
    case tfRGBA16:
        return GL_RGBA4;
    case tfAlpha:
        return GL_ALPHA8;
    case tfLuminance:
        return GL_LUMINANCE8;
    case tfLuminanceAlpha:
        return GL_LUMINANCE8_ALPHA8;
    case tfIntensity:
        return GL_INTENSITY8;
    case tfRGBAFloat16:
        return hasExtension("GL_ATI_texture_float") ? GL_RGBA16F_ARB : 34954;
    case tfRGBAFloat32:
        return hasExtension("GL_ATI_texture_float") ? GL_RGBA32F_ARB : 34955;
    default:
        return GL_RGBA8;
    }
}

GLuint TGLTexture::GetHandle() {
    if (handle_->Handle() != 0 && changes_ == 0) return handle_->Handle();
    if (handle_->Handle() == 0) {
        handle_->AllocateHandle();
        GLAssert(handle_->Handle() != 0, "Handle=0 for TGLTexture");
        changes_ = 3;
    }
    GLenum target = image_->NativeTextureTarget();
    if (target == GL_TEXTURE_CUBE_MAP_ARB && !GLExtensions.ARB_texture_cube_map) {
        changes_ = 0;
        return handle_->Handle();
    }
    glBindTexture(target, handle_->Handle());
    PrepareParams(target);
    changes_ = 0;
    if (target == GL_TEXTURE_CUBE_MAP_ARB) {
        auto* cube = dynamic_cast<TGLCubeMapImage*>(image_.get());
        int w = cube ? cube->PicturePX()->Width() : 0;
        bool square = w > 0;
        for (int face = 0; square && face < 6; ++face)
            square = cube->Picture(static_cast<TGLCubeMapTarget>(face))->Width() == w &&
                     cube->Picture(static_cast<TGLCubeMapTarget>(face))->Height() == w;
        if (square)
            for (GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X; face <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z; ++face)
                PrepareImage(face);
    } else {
        PrepareImage(target);
    }
    return handle_->Handle();
}

void TGLTexture::PrepareImage(GLenum target) {
    TGLBitmap32* bitmap = image_->GetBitmap32(target);
    if (!bitmap || bitmap->IsEmpty()) {
        image_->ReleaseBitmap32();
        return;
    }
    GLenum internalFormat = OpenGLTextureFormat();
    if (textureFormat_ == tfNormalMap)
        bitmap->GrayScaleToNormalMap(normalMapScale_, textureWrap_ == twBoth || textureWrap_ == twHorizontal,
                                     textureWrap_ == twBoth || textureWrap_ == twVertical);
    switch (imageAlpha_) {
    case tiaDefault:
        break;
    case tiaAlphaFromIntensity:
    case tiaLuminance:
        bitmap->SetAlphaFromIntensity();
        break;
    case tiaSuperBlackTransparent:
        bitmap->SetAlphaTransparentForRGB({0, 0, 0, 0});
        break;
    case tiaLuminanceSqrt:
        bitmap->SqrtAlphaFromIntensity();
        break;
    case tiaOpaque:
        bitmap->SetAlphaToValue(255);
        break;
    case tiaTopLeftPointColorTransparent:
        bitmap->SetAlphaTransparentForRGB(bitmap->Data()[0]);
        break;
    case tiaInverseLuminance:
        bitmap->SetAlphaFromIntensity();
        bitmap->InvertAlpha();
        break;
    case tiaInverseLuminanceSqrt:
        bitmap->SqrtAlphaFromIntensity();
        bitmap->InvertAlpha();
        break;
    default:
        GLAssert(false, "Unsupported ImageAlpha");
    }
    if (imageBrightness_ != 1.0f) bitmap->BrightnessCorrection(imageBrightness_);
    if (imageGamma_ != 1.0f) bitmap->GammaCorrection(imageGamma_);
    CheckGLError();
    bitmap->UploadTexture(target, minFilter_, internalFormat, texWidth_, texHeight_);
    GLint size = -1;
    GLenum levelTarget = target == GL_TEXTURE_CUBE_MAP_ARB ? GL_TEXTURE_CUBE_MAP_POSITIVE_X : target;
    if (GLExtensions.ARB_texture_compression) {
        glGetTexLevelParameteriv(levelTarget, 0, GL_TEXTURE_COMPRESSED_IMAGE_SIZE_ARB, &size);
        if (glGetError() != GL_NO_ERROR) size = -1;
    }
    requiredMemorySize_ = size;
    ClearGLErrors();
    image_->ReleaseBitmap32();
}

void TGLTexture::PrepareParams(GLenum target) {
    static constexpr GLenum magFilters[] = {GL_NEAREST, GL_LINEAR};
    static constexpr GLenum minFilters[] = {GL_NEAREST,
                                            GL_LINEAR,
                                            GL_NEAREST_MIPMAP_NEAREST,
                                            GL_LINEAR_MIPMAP_NEAREST,
                                            GL_NEAREST_MIPMAP_LINEAR,
                                            GL_LINEAR_MIPMAP_LINEAR};
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    if (textureFormat_ == tfRGBAFloat16 || textureFormat_ == tfRGBAFloat32) {
        glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        if (textureFormat_ == tfRGBAFloat16 && hasExtension("GL_ATI_texture_float")) {
            glTexParameteri(target, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilters[minFilter_]));
            glTexParameteri(target, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilters[magFilter_]));
        } else {
            glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        }
        return;
    }
    GLint clamp =
        glVersionAtLeast(1, 2) || hasExtension("GL_EXT_texture_edge_clamp") ? GL_CLAMP_TO_EDGE : GL_CLAMP;
    GLint wrapS = textureWrap_ == twBoth || textureWrap_ == twHorizontal ? GL_REPEAT : clamp;
    GLint wrapT = textureWrap_ == twBoth || textureWrap_ == twVertical ? GL_REPEAT : clamp;
    glTexParameteri(target, GL_TEXTURE_WRAP_S, wrapS);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, wrapT);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilters[minFilter_]));
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilters[magFilter_]));
    if (hasExtension("GL_EXT_texture_filter_anisotropic"))
        glTexParameterf(target, GL_TEXTURE_MAX_ANISOTROPY_EXT,
                        filteringQuality_ == tfAnisotropic ? 2.0f : 1.0f);
}

void TGLTexture::applyMappingMode() {
    switch (mappingMode_) {
    case tmmUser:
        break;
    case tmmObjectLinear:
    case tmmEyeLinear: {
        GLint mode = mappingMode_ == tmmObjectLinear ? GL_OBJECT_LINEAR : GL_EYE_LINEAR;
        GLenum plane = mappingMode_ == tmmObjectLinear ? GL_OBJECT_PLANE : GL_EYE_PLANE;
        xgl.TexGeni(GL_S, GL_TEXTURE_GEN_MODE, mode);
        xgl.TexGeni(GL_T, GL_TEXTURE_GEN_MODE, mode);
        xgl.TexGenfv(GL_S, plane, MappingSCoordinates()->AsAddress());
        xgl.TexGenfv(GL_T, plane, MappingTCoordinates()->AsAddress());
        xgl.Enable(GL_TEXTURE_GEN_S);
        xgl.Enable(GL_TEXTURE_GEN_T);
        break;
    }
    case tmmSphere:
        xgl.TexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        xgl.TexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        xgl.Enable(GL_TEXTURE_GEN_S);
        xgl.Enable(GL_TEXTURE_GEN_T);
        break;
    case tmmCubeMapReflection:
    case tmmCubeMapCamera:
    case tmmCubeMapNormal:
    case tmmCubeMapLight0:
        if (GLExtensions.ARB_texture_cube_map) {
            GLint mode = mappingMode_ == tmmCubeMapReflection || mappingMode_ == tmmCubeMapCamera
                             ? GL_REFLECTION_MAP_ARB
                             : GL_NORMAL_MAP_ARB;
            xgl.TexGeni(GL_S, GL_TEXTURE_GEN_MODE, mode);
            xgl.TexGeni(GL_T, GL_TEXTURE_GEN_MODE, mode);
            xgl.TexGeni(GL_R, GL_TEXTURE_GEN_MODE, mode);
            xgl.Enable(GL_TEXTURE_GEN_S);
            xgl.Enable(GL_TEXTURE_GEN_T);
            xgl.Enable(GL_TEXTURE_GEN_R);
        }
        break;
    default:
        GLAssert(false, "");
    }
}

void TGLTexture::unApplyMappingMode() {
    if (mappingMode_ == tmmUser) return;
    xgl.Disable(GL_TEXTURE_GEN_S);
    xgl.Disable(GL_TEXTURE_GEN_T);
    xgl.Disable(GL_TEXTURE_GEN_R);
}

void TGLTexture::Apply(TRenderContextInfo& rci) {
    TGLStateCache& cache = *rci.StateCache;
    if (disabled_) {
        cache.StateCacheDisable(stTexture2D);
        cache.StateCacheDisable(stTextureRect);
        MapTexCoordToMain();
        return;
    }
    GLenum target = image_->NativeTextureTarget();
    if (target == GL_TEXTURE_2D) {
        cache.StateCacheEnable(stTexture2D);
        cache.StateCacheBindTexture(0, GL_TEXTURE_2D, GetHandle());
    } else if (target == GL_TEXTURE_RECTANGLE_ARB) {
        cache.StateCacheEnable(stTextureRect);
        cache.StateCacheBindTexture(0, GL_TEXTURE_RECTANGLE_ARB, GetHandle());
    } else if (target == GL_TEXTURE_CUBE_MAP_ARB && GLExtensions.ARB_texture_cube_map) {
        cache.StateCacheEnable(stTextureCubeMap);
        cache.StateCacheBindTexture(0, GL_TEXTURE_CUBE_MAP_ARB, GetHandle());
        TMatrix m = treatedModelView(currentModelView());
        switch (mappingMode_) {
        case tmmCubeMapReflection:
        case tmmCubeMapNormal:
            cache.SetGLTextureMatrix(m);
            break;
        case tmmCubeMapLight0:
            if (rci.Scene && rci.Scene->Light(0)) {
                TMatrix light = treatedModelView(rci.Scene->Light(0)->SceneObjectAbsoluteMatrix());
                TMatrix product;
                MultiplyMatrices(light, m, product);
                cache.SetGLTextureMatrix(product);
            }
            break;
        case tmmCubeMapCamera: {
            TMatrix camera = IdentityHmgMatrix;
            TAffineVector d = affineOf(rci.CameraDirection), u = affineOf(rci.CameraUp);
            TAffineVector r = CrossProduct3(d, u);
            camera[0] = {r[0], r[1], r[2], 0};
            camera[1] = {u[0], u[1], u[2], 0};
            camera[2] = {-d[0], -d[1], -d[2], 0};
            TMatrix product;
            MultiplyMatrices(camera, m, product);
            cache.SetGLTextureMatrix(product);
            break;
        }
        default:
            break;
        }
        glMatrixMode(GL_MODELVIEW);
    }
    static constexpr GLint modes[] = {GL_DECAL, GL_MODULATE, GL_BLEND, GL_REPLACE};
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, modes[textureMode_]);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, envColor_->AsAddress());
    applyMappingMode();
    MapTexCoordToMain();
}

void TGLTexture::UnApply(TRenderContextInfo& rci) {
    if (disabled_) return;
    TGLStateCache& cache = *rci.StateCache;
    if (cache.StateIsEnabled(stTextureCubeMap)) {
        cache.StateCacheDisable(stTextureCubeMap);
        cache.ResetGLTextureMatrix();
    } else if (cache.StateIsEnabled(stTexture2D)) {
        cache.StateCacheDisable(stTexture2D);
    } else {
        cache.StateCacheDisable(stTextureRect);
    }
    unApplyMappingMode();
}

void TGLTexture::ApplyAsTexture2(TRenderContextInfo& rci, TGLLibMaterial* libMaterial) {
    ApplyAsTextureN(2, rci, libMaterial);
}

void TGLTexture::UnApplyAsTexture2(TRenderContextInfo& rci, TGLLibMaterial* libMaterial) {
    UnApplyAsTextureN(2, rci, libMaterial);
}

void TGLTexture::ApplyAsTextureN(int n, TRenderContextInfo& rci, TGLLibMaterial* libMaterial) {
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + n - 1));
    if (libMaterial && !libMaterial->TextureMatrixIsIdentity()) {
        glMatrixMode(GL_TEXTURE);
        glLoadMatrixf(&libMaterial->TextureMatrix()[0][0]);
        glMatrixMode(GL_MODELVIEW);
    }
    GLenum target = image_->NativeTextureTarget();
    glEnable(target);
    glBindTexture(target, GetHandle());
    static constexpr GLint modes[] = {GL_DECAL, GL_MODULATE, GL_BLEND, GL_REPLACE};
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, modes[textureMode_]);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, envColor_->AsAddress());
    applyMappingMode();
    glActiveTexture(GL_TEXTURE0);
    (void)rci;
}

void TGLTexture::UnApplyAsTextureN(int n, TRenderContextInfo&, TGLLibMaterial* libMaterial) {
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + n - 1));
    unApplyMappingMode();
    glDisable(image_->NativeTextureTarget());
    if (libMaterial && !libMaterial->TextureMatrixIsIdentity()) {
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
    }
    glActiveTexture(GL_TEXTURE0);
}

// ---- Extra textures ---------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLTextureExItem, TCollectionItem)

TGLTextureExItem::TGLTextureExItem(TCollection* collection)
    : TCollectionItem(collection), texture_(std::make_unique<TGLTexture>(this)),
      textureOffset_(TGLCoordinates::CreateWithVector(this, NullHmgVector, csUnknown)),
      textureScale_(TGLCoordinates::CreateWithVector(this, {1, 1, 1, 0}, csUnknown)) {
    textureIndex_ = collection ? std::max(collection->Count() - 1, 0) : 0;
    auto changed = [this](TObject*) {
        CalculateTextureMatrix();
        NotifyChange(this);
    };
    textureOffset_->OnNotifyChange = changed;
    textureScale_->OnNotifyChange = changed;
}

TGLTextureExItem::~TGLTextureExItem() = default;

void TGLTextureExItem::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLTextureExItem*>(source)) {
        texture_->Assign(other->texture_.get());
        textureIndex_ = other->textureIndex_;
        textureOffset_->SetVector(other->textureOffset_->AsVector());
        textureScale_->SetVector(other->textureScale_->AsVector());
        CalculateTextureMatrix();
        NotifyChange(this);
        return;
    }
    TCollectionItem::Assign(source);
}

std::string TGLTextureExItem::DisplayName() const {
    return FormatMessage("Tex [%d]", {std::to_string(textureIndex_)});
}

void TGLTextureExItem::NotifyChange(TObject* sender) {
    if (auto* textureEx = dynamic_cast<TGLTextureEx*>(Collection())) textureEx->NotifyOwner(sender);
}

void TGLTextureExItem::NotifyTexMapChange(TObject* sender) {
    if (auto* textureEx = dynamic_cast<TGLTextureEx*>(Collection()))
        textureEx->NotifyOwnerOfTexMapChange(sender);
}

void TGLTextureExItem::SetTextureIndex(int value) {
    value = std::max(value, 0);
    if (value == textureIndex_) return;
    textureIndex_ = value;
    NotifyChange(this);
}

void TGLTextureExItem::CalculateTextureMatrix() {
    textureMatrixIsIdentity_ = VectorEquals4(textureOffset_->AsVector(), NullHmgVector) &&
                               textureScale_->X() == 1 && textureScale_->Y() == 1 && textureScale_->Z() == 1;
    textureMatrix_ = textureMatrixIsIdentity_ ? IdentityHmgMatrix
                                              : CreateScaleAndTranslationMatrix(textureScale_->AsVector(),
                                                                                textureOffset_->AsVector());
}

void TGLTextureExItem::Apply(TRenderContextInfo& rci) {
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + textureIndex_));
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadMatrixf(&textureMatrix_[0][0]);
    glMatrixMode(GL_MODELVIEW);
    glActiveTexture(GL_TEXTURE0);
    if (textureIndex_ == 0)
        texture_->Apply(rci);
    else
        texture_->ApplyAsTextureN(textureIndex_ + 1, rci, nullptr);
    applied_ = true;
}

void TGLTextureExItem::UnApply(TRenderContextInfo& rci) {
    if (!applied_) return;
    if (textureIndex_ == 0)
        texture_->UnApply(rci);
    else
        texture_->UnApplyAsTextureN(textureIndex_ + 1, rci, nullptr);
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + textureIndex_));
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glActiveTexture(GL_TEXTURE0);
    applied_ = false;
}

E3D_DEFINE_CLASS(TGLTextureEx, TOwnedCollection)

TGLTextureEx::TGLTextureEx(TPersistent* owner)
    : TOwnedCollection(owner, [](TCollection* c) { return new TGLTextureExItem(c); }) {}

void TGLTextureEx::NotifyOwner(TObject* sender) {
    if (auto* material = dynamic_cast<TGLMaterial*>(GetOwner())) material->NotifyChange(sender);
}

void TGLTextureEx::NotifyOwnerOfTexMapChange(TObject* sender) {
    if (auto* material = dynamic_cast<TGLMaterial*>(GetOwner())) material->NotifyTexMapChange(sender);
}

bool TGLTextureEx::IsTextureEnabled(int index) const {
    for (int i = 0; i < Count(); ++i) {
        auto* item = static_cast<TGLTextureExItem*>(TCollection::Items(i));
        if (item->TextureIndex() == index && item->Texture()->Enabled()) return true;
    }
    return false;
}

void TGLTextureEx::Apply(TRenderContextInfo& rci) {
    if (!GLExtensions.ARB_multitexture) return;
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
    uint32_t bits = 0;
    for (int i = 0; i < Count(); ++i) {
        TGLTextureExItem* item = Items(i);
        if (item->TextureIndex() >= units || !item->Texture()->Enabled()) continue;
        item->Apply(rci);
        if (item->TextureIndex() > 0 && item->Texture()->MappingMode() == tmmUser &&
            item->TextureIndex() < 32)
            bits |= 1u << item->TextureIndex();
    }
    if (bits) MapTexCoordToArbitraryAdd(bits);
}

void TGLTextureEx::UnApply(TRenderContextInfo& rci) {
    for (int i = 0; i < Count(); ++i)
        Items(i)->UnApply(rci);
}

void TGLTextureEx::Loaded() {
    for (int i = 0; i < Count(); ++i)
        Items(i)->CalculateTextureMatrix();
}

// ---- Shader -----------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLShader, TGLUpdateAbleComponent)

TGLShader::TGLShader(TComponent* owner)
    : TGLUpdateAbleComponent(owner), virtualHandle_(std::make_unique<TGLVirtualHandle>()) {
    virtualHandle_->OnAllocate = [](TGLVirtualHandle*, GLuint& handle) { handle = 1; };
    virtualHandle_->OnDestroy = [this](TGLVirtualHandle*, GLuint& handle) {
        FinalizeShader();
        handle = 0;
    };
}

TGLShader::~TGLShader() {
    virtualHandle_->HandleDestroy();
    FinalizeShader();
    std::vector<TGLLibMaterial*> users = users_;
    for (auto user = users.rbegin(); user != users.rend(); ++user)
        (*user)->SetShader(nullptr);
    users_.clear();
}

void TGLShader::NotifyChange(TObject* sender) {
    if (updateCount_ != 0) return;
    std::vector<TGLLibMaterial*> users = users_;
    for (auto user = users.rbegin(); user != users.rend(); ++user)
        (*user)->NotifyUsers();
    FinalizeShader();
    TGLUpdateAbleComponent::NotifyChange(sender);
}

void TGLShader::EndUpdate() {
    GLAssert(updateCount_ > 0, "Unbalanced Begin/EndUpdate");
    if (--updateCount_ == 0) NotifyChange(this);
}

void TGLShader::SetEnabled(bool value) {
    GLAssert(!active_, "Shader is active.");
    if (value == enabled_) return;
    enabled_ = value;
    NotifyChange(this);
}

void TGLShader::InitializeShader() {
    if (initialized_) return;
    // The handle's name marks the context the shader was set up in; without a current context there is
    // nothing to tie it to.
    if (virtualHandle_->Handle() == 0 && CurrentGLContext()) virtualHandle_->AllocateHandle();
    DoInitialize();
    initialized_ = true;
}

void TGLShader::FinalizeShader() {
    if (!initialized_) return;
    initialized_ = false;
    TGLContext* context = virtualHandle_->RenderingContext();
    bool activated = false;
    if (context && CurrentGLContext() != context && context->IsValid()) {
        context->ContextActivate();
        activated = true;
    }
    DoFinalize();
    if (activated) context->ContextDeactivate();
    virtualHandle_->HandleDestroy();
}

void TGLShader::Apply(TRenderContextInfo& rci, TObject* sender) {
    GLAssert(!active_, "Unbalanced shader application.");
    if (enabled_) {
        InitializeShader();
        DoApply(rci, sender);
    }
    active_ = true;
}

bool TGLShader::UnApply(TRenderContextInfo& rci) {
    GLAssert(active_, "Unbalanced shader application.");
    if (!enabled_) {
        active_ = false;
        return false;
    }
    bool again = DoUnApply(rci);
    if (!again) active_ = false;
    return again;
}

void TGLShader::RegisterUser(TGLLibMaterial* user) {
    if (user && std::find(users_.begin(), users_.end(), user) == users_.end()) users_.push_back(user);
}

void TGLShader::UnregisterUser(TGLLibMaterial* user) {
    users_.erase(std::remove(users_.begin(), users_.end(), user), users_.end());
}

// ---- Face properties --------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLFaceProperties, TGLUpdateAbleObject)

TGLFaceProperties::TGLFaceProperties(TPersistent* owner)
    : TGLUpdateAbleObject(owner), ambient_(std::make_unique<TGLColor>(this, TVector{0.2f, 0.2f, 0.2f, 1})),
      diffuse_(std::make_unique<TGLColor>(this, TVector{0.8f, 0.8f, 0.8f, 1})),
      specular_(std::make_unique<TGLColor>(this, TVector{0, 0, 0, 1})),
      emission_(std::make_unique<TGLColor>(this, TVector{0, 0, 0, 1})) {}

TGLFaceProperties::~TGLFaceProperties() = default;

void TGLFaceProperties::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLFaceProperties*>(source)) {
        ambient_->SetColor(other->ambient_->Color());
        diffuse_->SetColor(other->diffuse_->Color());
        specular_->SetColor(other->specular_->Color());
        emission_->SetColor(other->emission_->Color());
        shininess_ = other->shininess_;
        polygonMode_ = other->polygonMode_;
        NotifyChange(this);
        return;
    }
    TGLUpdateAbleObject::Assign(source);
}

void TGLFaceProperties::SetPolygonMode(TPolygonMode value) {
    if (value == polygonMode_) return;
    polygonMode_ = value;
    NotifyChange(this);
}

void TGLFaceProperties::SetShininess(int value) {
    value = std::clamp(value, 0, 128);
    if (value == shininess_) return;
    shininess_ = value;
    NotifyChange(this);
}

static GLenum polygonModeFor(TPolygonMode mode) {
    static constexpr GLenum modes[] = {GL_FILL, GL_LINE, GL_POINT};
    return modes[mode % 3];
}

void TGLFaceProperties::Apply(TRenderContextInfo& rci, GLenum face) {
    rci.StateCache->SetGLMaterialColors(face, emission_->Color(), ambient_->Color(), diffuse_->Color(),
                                        specular_->Color(), shininess_);
    rci.StateCache->SetGLPolygonMode(face, polygonModeFor(polygonMode_));
}

void TGLFaceProperties::ApplyNoLighting(TRenderContextInfo& rci, GLenum face) {
    glColor4fv(diffuse_->AsAddress());
    rci.StateCache->SetGLPolygonMode(face, polygonModeFor(polygonMode_));
}

// ---- Material ---------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLMaterial, TGLUpdateAbleObject)

TGLMaterial::TGLMaterial(TPersistent* owner)
    : TGLUpdateAbleObject(owner), frontProperties_(std::make_unique<TGLFaceProperties>(this)) {}

TGLMaterial::~TGLMaterial() {
    if (currentLibMaterial_) currentLibMaterial_->UnregisterUser(this);
    currentLibMaterial_ = nullptr;
}

void TGLMaterial::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TGLMaterial*>(source);
    if (!other) {
        TGLUpdateAbleObject::Assign(source);
        return;
    }
    if (other == this) return;
    frontProperties_->Assign(other->frontProperties_.get());
    if (other->backProperties_)
        BackProperties()->Assign(other->backProperties_.get());
    else
        backProperties_.reset();
    blendingMode_ = other->blendingMode_;
    materialOptions_ = other->materialOptions_;
    faceCulling_ = other->faceCulling_;
    if (other->texture_)
        GetTexture()->Assign(other->texture_.get());
    else
        texture_.reset();
    if (other->textureEx_)
        TextureEx()->Assign(other->textureEx_.get());
    else
        textureEx_.reset();
    materialLibrary_ = other->materialLibrary_;
    SetLibMaterialName(other->libMaterialName_);
    NotifyChange(this);
}

void TGLMaterial::NotifyChange(TObject* sender) {
    if (auto* entry = dynamic_cast<TGLLibMaterial*>(Owner())) entry->NotifyUsers();
    TGLUpdateAbleObject::NotifyChange(sender);
}

TGLFaceProperties* TGLMaterial::BackProperties() {
    if (!backProperties_) backProperties_ = std::make_unique<TGLFaceProperties>(this);
    return backProperties_.get();
}

TGLTexture* TGLMaterial::GetTexture() {
    if (!texture_) {
        texture_ = std::make_unique<TGLTexture>(this);
        if (auto* entry = dynamic_cast<TGLLibMaterial*>(Owner()))
            texture_->OnTextureNeeded = [entry](TObject* sender, std::string& name) {
                entry->doOnTextureNeeded(sender, name);
            };
    }
    return texture_.get();
}

void TGLMaterial::SetTexture(const TGLTexture* value) {
    if (!value) {
        texture_.reset();
        NotifyTexMapChange(this);
        return;
    }
    GetTexture()->Assign(value);
}

TGLTextureEx* TGLMaterial::TextureEx() {
    if (!textureEx_) textureEx_ = std::make_unique<TGLTextureEx>(this);
    return textureEx_.get();
}

void TGLMaterial::SetBlendingMode(TBlendingMode value) {
    if (value == blendingMode_) return;
    blendingMode_ = value;
    NotifyChange(this);
}

void TGLMaterial::SetMaterialOptions(TMaterialOptions value) {
    if (value == materialOptions_) return;
    materialOptions_ = value;
    NotifyChange(this);
}

void TGLMaterial::SetFaceCulling(TFaceCulling value) {
    if (value == faceCulling_) return;
    faceCulling_ = value;
    NotifyChange(this);
}

void TGLMaterial::SetMaterialLibrary(TGLMaterialLibrary* library) {
    materialLibrary_ = library;
    std::string name = libMaterialName_;
    libMaterialName_.clear();
    SetLibMaterialName(name);
}

void TGLMaterial::SetLibMaterialName(const std::string& name) {
    TGLLibMaterial* entry = LibMaterialByName(materialLibrary_, name);
    // Chains of links are followed to catch cycles; sixteen entries count as one.
    int steps = 0;
    for (TGLLibMaterial* step = entry; step;
         step = LibMaterialByName(step->Material()->MaterialLibrary(), step->Material()->LibMaterialName())) {
        ++steps;
        GLAssert(steps < 16 && step->Material() != this, "Error: Cyclic material reference detected!");
    }
    libMaterialName_ = name;
    if (entry != currentLibMaterial_) {
        if (currentLibMaterial_) currentLibMaterial_->UnregisterUser(this);
        currentLibMaterial_ = entry;
        if (entry) entry->RegisterUser(this);
        NotifyTexMapChange(this);
    }
}

void TGLMaterial::libMaterialGone() {
    currentLibMaterial_ = nullptr;
    libMaterialName_.clear();
    materialLibrary_ = nullptr;
    NotifyTexMapChange(this);
}

void TGLMaterial::NotifyTexMapChange(TObject*) {
    if (auto* object = dynamic_cast<TGLBaseSceneObject*>(Owner()))
        object->SceneObjectStructureChanged();
    else if (auto* entry = dynamic_cast<TGLLibMaterial*>(Owner()))
        entry->NotifyUsersOfTexMapChange();
}

void TGLMaterial::DestroyHandles() {
    if (texture_) texture_->DestroyHandles();
}

void TGLMaterial::Loaded() {
    if (textureEx_) textureEx_->Loaded();
}

bool TGLMaterial::Blended() const {
    if (currentLibMaterial_) return currentLibMaterial_->Material()->Blended();
    return blendingMode_ == bmTransparency || blendingMode_ == bmAdditive || blendingMode_ == bmModulate;
}

void TGLMaterial::Apply(TRenderContextInfo& rci) {
    if (currentLibMaterial_) {
        currentLibMaterial_->Apply(rci);
        return;
    }
    TGLStateCache& cache = *rci.StateCache;
    if ((materialOptions_ & MaterialOption(moNoLighting)) && cache.StateIsEnabled(stLighting)) {
        cache.StateCacheDisable(stLighting);
        ++rci.LightingOffCount;
    }
    bool lighting = cache.StateIsEnabled(stLighting);
    if (lighting)
        frontProperties_->Apply(rci, GL_FRONT);
    else
        frontProperties_->ApplyNoLighting(rci, GL_FRONT);
    GLAssert(faceCulling_ <= fcNoCull, "");
    bool cull = faceCulling_ == fcCull || (faceCulling_ == fcBufferDefault && rci.BufferFaceCulling);
    if (cull) {
        cache.StateCacheEnable(stCullFace);
    } else {
        cache.StateCacheDisable(stCullFace);
        // Without lighting a colour for the back would replace the front's, so only its mode is set.
        TGLFaceProperties* back = BackProperties();
        if (lighting)
            back->Apply(rci, GL_BACK);
        else
            cache.SetGLPolygonMode(GL_BACK, polygonModeFor(back->PolygonMode()));
    }
    if (!rci.IgnoreBlending) {
        switch (blendingMode_) {
        case bmOpaque:
            cache.StateCacheDisable(stBlend);
            cache.StateCacheDisable(stAlphaTest);
            break;
        case bmTransparency:
            cache.StateCacheEnable(stBlend);
            cache.StateCacheEnable(stAlphaTest);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            break;
        case bmAdditive:
            cache.StateCacheEnable(stBlend);
            cache.StateCacheEnable(stAlphaTest);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            break;
        case bmAlphaTest50:
        case bmAlphaTest100:
            cache.StateCacheDisable(stBlend);
            cache.StateCacheEnable(stAlphaTest);
            glAlphaFunc(GL_GEQUAL, blendingMode_ == bmAlphaTest50 ? 0.5f : 1.0f);
            break;
        case bmModulate:
            cache.StateCacheEnable(stBlend);
            cache.StateCacheEnable(stAlphaTest);
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
            break;
        default:
            GLAssert(false, "");
        }
    }
    if ((materialOptions_ & MaterialOption(moIgnoreFog)) && cache.StateIsEnabled(stFog)) {
        cache.StateCacheDisable(stFog);
        ++rci.FogOffCount;
    }
    if (textureEx_) {
        if (texture_ && !textureEx_->IsTextureEnabled(0))
            texture_->Apply(rci);
        else if (textureEx_->Count() > 0)
            textureEx_->Apply(rci);
    } else if (texture_) {
        texture_->Apply(rci);
    }
}

bool TGLMaterial::UnApply(TRenderContextInfo& rci) {
    if (currentLibMaterial_) return currentLibMaterial_->UnApply(rci);
    TGLStateCache& cache = *rci.StateCache;
    if (blendingMode_ == bmAlphaTest50 || blendingMode_ == bmAlphaTest100) glAlphaFunc(GL_GREATER, 0);
    if ((materialOptions_ & MaterialOption(moNoLighting)) && rci.LightingOffCount > 0) {
        if (--rci.LightingOffCount == 0) cache.StateCacheEnable(stLighting);
    }
    if ((materialOptions_ & MaterialOption(moIgnoreFog)) && rci.FogOffCount > 0) {
        if (--rci.FogOffCount == 0) cache.StateCacheEnable(stFog);
    }
    if (texture_ && texture_->Enabled() && !(textureEx_ && textureEx_->IsTextureEnabled(0)))
        texture_->UnApply(rci);
    else if (textureEx_)
        textureEx_->UnApply(rci);
    return false;
}

// ---- Library materials ------------------------------------------------------------------------------

uint32_t ComputeNameHashKey(const std::string& name) {
    uint32_t hash = static_cast<uint32_t>(name.size());
    for (unsigned char c : name)
        hash = (hash << 1) + c;
    return hash;
}

E3D_DEFINE_CLASS(TGLLibMaterial, TCollectionItem)

TGLLibMaterial::TGLLibMaterial(TCollection* collection)
    : TCollectionItem(collection), material_(std::make_unique<TGLMaterial>(this)),
      textureOffset_(TGLCoordinates::CreateWithVector(this, NullHmgVector, csUnknown)),
      textureScale_(TGLCoordinates::CreateWithVector(this, {1, 1, 1, 0}, csUnknown)) {
    auto changed = [this](TObject*) {
        CalculateTextureMatrix();
        NotifyUsers();
    };
    textureOffset_->OnNotifyChange = changed;
    textureScale_->OnNotifyChange = changed;
    name_ = libMaterials() ? libMaterials()->MakeUniqueName("LibMaterial") : "LibMaterial";
    nameHashKey_ = ComputeNameHashKey(name_);
}

TGLLibMaterial::~TGLLibMaterial() {
    unlinkTexture2();
    for (TObject* user : std::vector<TObject*>(users_)) {
        if (auto* material = dynamic_cast<TGLMaterial*>(user))
            material->libMaterialGone();
        else if (auto* entry = dynamic_cast<TGLLibMaterial*>(user)) {
            entry->libMatTexture2_ = nullptr;
            entry->texture2Name_.clear();
        }
    }
    users_.clear();
    if (shader_) shader_->UnregisterUser(this);
    shader_ = nullptr;
}

TGLLibMaterials* TGLLibMaterial::libMaterials() const {
    return dynamic_cast<TGLLibMaterials*>(Collection());
}

void TGLLibMaterial::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLLibMaterial*>(source)) {
        if (other == this) return;
        SetName(other->name_);
        material_->Assign(other->material_.get());
        textureOffset_->SetVector(other->textureOffset_->AsVector());
        textureScale_->SetVector(other->textureScale_->AsVector());
        SetTexture2Name(other->texture2Name_);
        SetShader(other->shader_);
        CalculateTextureMatrix();
        return;
    }
    TCollectionItem::Assign(source);
}

void TGLLibMaterial::SetName(const std::string& name) {
    if (name == name_) return;
    TGLLibMaterials* list = libMaterials();
    auto takenByOther = [&](const std::string& candidate) {
        TGLLibMaterial* existing = list ? list->FindByName(candidate) : nullptr;
        return existing && existing != this;
    };
    std::string unique = name;
    for (int i = 1; takenByOther(unique); ++i)
        unique = name + std::to_string(i);
    name_ = unique;
    nameHashKey_ = ComputeNameHashKey(name_);
}

void TGLLibMaterial::RegisterUser(TObject* user) {
    GLAssert(user && std::find(users_.begin(), users_.end(), user) == users_.end(), "");
    users_.push_back(user);
}

void TGLLibMaterial::UnregisterUser(TObject* user) {
    users_.erase(std::remove(users_.begin(), users_.end(), user), users_.end());
}

void TGLLibMaterial::notifyEachUser(const std::function<void(TObject* user)>& notify) {
    if (notifying_) return;
    notifying_ = true;
    try {
        // A copy: a user may unregister while it is told.
        for (TObject* user : std::vector<TObject*>(users_))
            notify(user);
    } catch (...) {
        notifying_ = false;
        throw;
    }
    notifying_ = false;
}

void TGLLibMaterial::NotifyUsers() {
    notifyEachUser([this](TObject* user) {
        if (auto* object = dynamic_cast<TGLUpdateAbleObject*>(user))
            object->NotifyChange(this);
        else if (auto* component = dynamic_cast<TGLUpdateAbleComponent*>(user))
            component->NotifyChange(this);
        else if (auto* entry = dynamic_cast<TGLLibMaterial*>(user))
            entry->NotifyUsers();
        else
            GLAssert(false, "");
    });
}

void TGLLibMaterial::NotifyUsersOfTexMapChange() {
    notifyEachUser([this](TObject* user) {
        if (auto* material = dynamic_cast<TGLMaterial*>(user))
            material->NotifyTexMapChange(this);
        else if (auto* entry = dynamic_cast<TGLLibMaterial*>(user))
            entry->NotifyUsersOfTexMapChange();
        else if (auto* object = dynamic_cast<TGLUpdateAbleObject*>(user))
            object->NotifyChange(this);
        else if (auto* component = dynamic_cast<TGLUpdateAbleComponent*>(user))
            component->NotifyChange(this);
        else
            GLAssert(false, "");
    });
}

void TGLLibMaterial::NotifyChange(TObject*) {
    NotifyUsers();
}

void TGLLibMaterial::Loaded() {
    CalculateTextureMatrix();
    material_->Loaded();
}

void TGLLibMaterial::CalculateTextureMatrix() {
    textureMatrixIsIdentity_ = VectorEquals4(textureOffset_->AsVector(), NullHmgVector) &&
                               textureScale_->X() == 1 && textureScale_->Y() == 1 && textureScale_->Z() == 1;
    textureMatrix_ = textureMatrixIsIdentity_ ? IdentityHmgMatrix
                                              : CreateScaleAndTranslationMatrix(textureScale_->AsVector(),
                                                                                textureOffset_->AsVector());
}

void TGLLibMaterial::unlinkTexture2() {
    if (libMatTexture2_) libMatTexture2_->UnregisterUser(this);
    libMatTexture2_ = nullptr;
}

void TGLLibMaterial::SetTexture2Name(const std::string& name) {
    if (name == texture2Name_) return;
    unlinkTexture2();
    texture2Name_ = name;
    NotifyUsers();
}

void TGLLibMaterial::SetShader(TGLShader* shader) {
    if (shader == shader_) return;
    if (shader_) shader_->UnregisterUser(this);
    shader_ = shader;
    if (shader_) shader_->RegisterUser(this);
    NotifyUsers();
}

void TGLLibMaterial::doOnTextureNeeded(TObject* sender, std::string& textureFileName) {
    TGLLibMaterials* list = libMaterials();
    TGLMaterialLibrary* library = list ? list->MaterialLibrary() : nullptr;
    if (library) library->resolveTextureFileName(sender, textureFileName);
}

void TGLLibMaterial::Apply(TRenderContextInfo& rci) {
    XGLBeginUpdate();
    struct EndUpdate {
        ~EndUpdate() { XGLEndUpdate(); }
    } endUpdate;
    if (shader_) {
        if (shader_->ShaderStyle() == ssHighLevel) shader_->Apply(rci, this);
        if (shader_->ShaderStyle() == ssReplace) {
            shader_->Apply(rci, this);
            return;
        }
    }
    appliedTexture2_ = nullptr;
    if (!texture2Name_.empty() && GLExtensions.ARB_multitexture && !ForbidSecondTextureUnit) {
        if (!libMatTexture2_) {
            TGLLibMaterials* list = libMaterials();
            libMatTexture2_ = list ? list->FindByName(texture2Name_) : nullptr;
            if (libMatTexture2_ && libMatTexture2_ != this)
                libMatTexture2_->RegisterUser(this);
            else {
                libMatTexture2_ = nullptr;
                texture2Name_.clear();
            }
        }
        if (libMatTexture2_ && libMatTexture2_->material_->HasTexture() &&
            libMatTexture2_->material_->GetTexture()->Enabled())
            appliedTexture2_ = libMatTexture2_;
    }
    textureMatrixApplied_ = false;
    bool mainEnabled = material_->HasTexture() && material_->GetTexture()->Enabled();
    if (appliedTexture2_) {
        if (!textureMatrixIsIdentity_) {
            rci.StateCache->SetGLTextureMatrix(textureMatrix_);
            textureMatrixApplied_ = true;
        }
        material_->Apply(rci);
        TGLTexture* second = appliedTexture2_->material_->GetTexture();
        second->ApplyAsTexture2(rci, appliedTexture2_);
        bool mainUser = mainEnabled && material_->GetTexture()->MappingMode() == tmmUser;
        if (second->MappingMode() != tmmUser)
            MapTexCoordToMain();
        else if (!mainUser)
            MapTexCoordToSecond();
        else
            MapTexCoordToDual();
    } else {
        if (!textureMatrixIsIdentity_ && mainEnabled) {
            rci.StateCache->SetGLTextureMatrix(textureMatrix_);
            textureMatrixApplied_ = true;
        }
        material_->Apply(rci);
    }
    if (shader_ && shader_->ShaderStyle() == ssLowLevel) shader_->Apply(rci, this);
}

bool TGLLibMaterial::UnApply(TRenderContextInfo& rci) {
    if (shader_ && shader_->ShaderStyle() == ssLowLevel && shader_->UnApply(rci)) return true;
    if (shader_ && shader_->ShaderStyle() == ssReplace) return shader_->UnApply(rci);
    if (appliedTexture2_) {
        appliedTexture2_->material_->GetTexture()->UnApplyAsTexture2(rci, appliedTexture2_);
        MapTexCoordToMain();
        appliedTexture2_ = nullptr;
    }
    material_->UnApply(rci);
    if (textureMatrixApplied_) {
        rci.StateCache->ResetGLTextureMatrix();
        textureMatrixApplied_ = false;
    }
    if (shader_ && shader_->ShaderStyle() == ssHighLevel) return shader_->UnApply(rci);
    return false;
}

E3D_DEFINE_CLASS(TGLLibMaterials, TOwnedCollection)

TGLLibMaterials::TGLLibMaterials(TPersistent* owner)
    : TOwnedCollection(owner, [](TCollection* c) { return new TGLLibMaterial(c); }) {}

TGLLibMaterial* TGLLibMaterials::FindByName(const std::string& name) const {
    uint32_t hash = ComputeNameHashKey(name);
    for (int i = 0; i < Count(); ++i) {
        TGLLibMaterial* entry = GetItem(i);
        if (entry->NameHashKey() == hash && entry->Name() == name) return entry;
    }
    return nullptr;
}

std::string TGLLibMaterials::MakeUniqueName(const std::string& nameRoot) const {
    if (!FindByName(nameRoot)) return nameRoot;
    for (int i = 1;; ++i) {
        std::string candidate = nameRoot + std::to_string(i);
        if (!FindByName(candidate)) return candidate;
    }
}

TGLMaterialLibrary* TGLLibMaterials::MaterialLibrary() const {
    return dynamic_cast<TGLMaterialLibrary*>(GetOwner());
}

void TGLLibMaterials::Loaded() {
    for (int i = 0; i < Count(); ++i)
        GetItem(i)->Loaded();
}

TGLLibMaterial* LibMaterialByName(const TGLMaterialLibrary* library, const std::string& name) {
    return library ? library->LibMaterialByName(name) : nullptr;
}

// ---- Material library -------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLMaterialLibrary, TGLCadenceAbleComponent)

TGLMaterialLibrary::TGLMaterialLibrary(TComponent* owner)
    : TGLCadenceAbleComponent(owner), materials_(std::make_unique<TGLLibMaterials>(this)) {}

// An entry still applied here is a caller's imbalance; a destructor cannot report it, so it is let go.
TGLMaterialLibrary::~TGLMaterialLibrary() {
    lastAppliedMaterial_ = nullptr;
    materials_.reset();
}

void TGLMaterialLibrary::Loaded() {
    TGLCadenceAbleComponent::Loaded();
    materials_->Loaded();
}

void TGLMaterialLibrary::SetTexturePaths(const std::string& paths) {
    texturePaths_ = paths;
    texturePathList_.clear();
    size_t start = 0;
    while (start <= paths.size()) {
        size_t end = paths.find(';', start);
        if (end == std::string::npos) end = paths.size();
        std::string folder = trim(paths.substr(start, end - start));
        if (!folder.empty()) {
            char last = folder.back();
            if (last != '/' && last != '\\') folder += '/';
            texturePathList_.push_back(folder);
        }
        start = end + 1;
    }
}

void TGLMaterialLibrary::resolveTextureFileName(TObject* sender, std::string& fileName) {
    if (OnTextureNeeded) OnTextureNeeded(sender, fileName);
    // Names with a drive colon or from the root are taken as they are.
    if (fileName.find(':') != std::string::npos ||
        (!fileName.empty() && (fileName[0] == '\\' || fileName[0] == '/')))
        return;
    for (const std::string& folder : texturePathList_) {
        std::string candidate = folder + fileName;
        if (FileStreamExists(candidate)) {
            fileName = candidate;
            return;
        }
    }
}

TGLLibMaterial* TGLMaterialLibrary::LibMaterialByName(const std::string& name) const {
    return materials_->FindByName(name);
}

TGLLibMaterial* TGLMaterialLibrary::AddTextureMaterial(const std::string& materialName,
                                                       const TGraphic* graphic) {
    TGLLibMaterial* entry = materials_->Add();
    entry->SetName(materialName);
    TGLTexture* texture = entry->Material()->GetTexture();
    texture->SetMinFilter(miLinearMipmapLinear);
    texture->SetMagFilter(maLinear);
    texture->SetTextureMode(tmModulate);
    texture->SetDisabled(false);
    texture->Image()->Assign(graphic);
    return entry;
}

TGLLibMaterial* TGLMaterialLibrary::AddTextureMaterial(const std::string& materialName,
                                                       const std::string& fileName) {
    TGLLibMaterial* entry = AddTextureMaterial(materialName, static_cast<const TGraphic*>(nullptr));
    entry->Material()->GetTexture()->Image()->LoadFromFile(fileName);
    return entry;
}

namespace {

void writeColor(TVirtualWriter& writer, const TGLColor& color, int64_t bytes) {
    writer.Write(color.AsAddress(), bytes);
}

void readColor(TVirtualReader& reader, TGLColor& color, int64_t bytes) {
    TVector value = color.Color();
    reader.Read(value.data(), bytes);
    color.SetColor(value);
}

void writeFaceProperties(TVirtualWriter& writer, const TGLFaceProperties& face) {
    writeColor(writer, *face.Ambient(), 12);
    writeColor(writer, *face.Diffuse(), 16);
    writeColor(writer, *face.Emission(), 12);
    writeColor(writer, *face.Specular(), 12);
    uint8_t shininess = static_cast<uint8_t>(face.Shininess());
    writer.Write(&shininess, 1);
    writer.WriteInteger(face.PolygonMode());
}

void readFaceProperties(TVirtualReader& reader, TGLFaceProperties& face) {
    readColor(reader, *face.Ambient(), 12);
    readColor(reader, *face.Diffuse(), 16);
    readColor(reader, *face.Emission(), 12);
    readColor(reader, *face.Specular(), 12);
    uint8_t shininess = 0;
    reader.Read(&shininess, 1);
    face.SetShininess(shininess);
    int mode = reader.ReadInteger();
    if (mode < pmFill || mode > pmPoints) throw EReadError("Invalid polygon mode");
    face.SetPolygonMode(static_cast<TPolygonMode>(mode));
}

// The picture of an enabled persistent image, as a bitmap stream; empty when there is none.
bool imageBitmapData(TGLTexture* texture, std::string& data) {
    if (!texture || !texture->Enabled()) return false;
    auto* image = dynamic_cast<TGLPersistentImage*>(texture->Image());
    if (!image || !image->HasPicture() || !image->Picture()->Graphic()) return false;
    TBitmap bitmap;
    bitmap.Assign(image->Picture()->Graphic());
    TMemoryStream stream;
    bitmap.SaveToStream(stream);
    data.assign(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    return true;
}

std::unique_ptr<TBitmap> bitmapFromData(const std::string& data) {
    TStringStream stream(data);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromStream(stream);
    return bitmap;
}

void writeCoordinates(TVirtualWriter& writer, const TGLCoordinates& coordinates) {
    writer.Write(coordinates.AsAddress(), 12);
}

void readCoordinates(TVirtualReader& reader, TGLCoordinates& coordinates) {
    TVector value = coordinates.AsVector();
    reader.Read(value.data(), 12);
    coordinates.SetVector(value);
    coordinates.NotifyChange(&coordinates);
}

// A count read from an archive cannot exceed the bytes left, so a damaged archive allocates nothing huge.
int readCount(TVirtualReader& reader) {
    int count = reader.ReadInteger();
    if (count < 0 || count > reader.Stream().Remaining()) throw EReadError("Stream read error");
    return count;
}

} // namespace

void TGLMaterialLibrary::SaveToStream(TStream& stream) const {
    TBinaryWriter writer(stream);
    writer.WriteInteger(2);
    writer.WriteInteger(materials_->Count());
    for (int i = 0; i < materials_->Count(); ++i) {
        TGLLibMaterial* entry = materials_->GetItem(i);
        TGLMaterial* material = entry->Material();
        writer.WriteString(entry->Name());
        std::string data;
        bool hasImage = imageBitmapData(material->HasTexture() ? material->GetTexture() : nullptr, data);
        writer.WriteBoolean(hasImage);
        if (hasImage) writer.WriteString(data);
        writeFaceProperties(writer, *material->FrontProperties());
        writeFaceProperties(writer, *material->BackProperties());
        writer.WriteInteger(material->BlendingMode());
        writer.WriteInteger(1);
        TMaterialOptions options = material->MaterialOptions();
        writer.Write(&options, 1);
        writeCoordinates(writer, *entry->TextureOffset());
        writeCoordinates(writer, *entry->TextureScale());
        writer.WriteString(entry->Texture2Name());
        int extraCount = material->HasTextureEx() ? material->TextureEx()->Count() : 0;
        writer.WriteInteger(extraCount);
        for (int j = 0; j < extraCount; ++j) {
            TGLTextureExItem* item = material->TextureEx()->Items(j);
            std::string itemData;
            bool itemImage = imageBitmapData(item->Texture(), itemData);
            writer.WriteBoolean(itemImage);
            if (itemImage) writer.WriteString(itemData);
            writer.WriteInteger(item->TextureIndex());
            writeCoordinates(writer, *item->TextureOffset());
            writeCoordinates(writer, *item->TextureScale());
        }
    }
}

void TGLMaterialLibrary::readMaterials(TStream& stream) {
    TBinaryReader reader(stream);
    int version = reader.ReadInteger();
    if (version < 0 || version > 2)
        throw EFilerException(ClassName() + " : unknown archive version " + std::to_string(version));
    if (!doNotClearMaterialsOnLoad_) materials_->Clear();
    int count = readCount(reader);
    for (int i = 0; i < count; ++i) {
        std::string name = reader.ReadString();
        TGLLibMaterial* entry = doNotClearMaterialsOnLoad_ ? materials_->FindByName(name) : nullptr;
        if (reader.ReadBoolean()) {
            std::unique_ptr<TBitmap> bitmap = bitmapFromData(reader.ReadString());
            if (!entry)
                entry = AddTextureMaterial(name, bitmap.get());
            else
                entry->Material()->GetTexture()->Image()->Assign(bitmap.get());
        } else if (!entry) {
            entry = materials_->Add();
            entry->SetName(name);
        }
        if (version >= 1) {
            TGLMaterial* material = entry->Material();
            readFaceProperties(reader, *material->FrontProperties());
            readFaceProperties(reader, *material->BackProperties());
            int blending = reader.ReadInteger();
            if (blending < bmOpaque || blending > bmModulate) throw EReadError("Invalid blending mode");
            material->SetBlendingMode(static_cast<TBlendingMode>(blending));
            int optionsSize = readCount(reader);
            std::vector<uint8_t> options(static_cast<size_t>(optionsSize));
            if (optionsSize > 0) reader.Read(options.data(), optionsSize);
            material->SetMaterialOptions(optionsSize > 0 ? options[0] & 3 : 0);
            readCoordinates(reader, *entry->TextureOffset());
            readCoordinates(reader, *entry->TextureScale());
            entry->SetTexture2Name(reader.ReadString());
        }
        if (version >= 2) {
            int extraCount = readCount(reader);
            for (int j = 0; j < extraCount; ++j) {
                TGLTextureExItem* item = entry->Material()->TextureEx()->Add();
                if (reader.ReadBoolean()) {
                    std::unique_ptr<TBitmap> bitmap = bitmapFromData(reader.ReadString());
                    item->Texture()->Image()->Assign(bitmap.get());
                    item->Texture()->SetDisabled(false);
                }
                item->SetTextureIndex(reader.ReadInteger());
                readCoordinates(reader, *item->TextureOffset());
                readCoordinates(reader, *item->TextureScale());
            }
        }
    }
}

void TGLMaterialLibrary::LoadFromStream(TStream& stream) {
    readMaterials(stream);
}

void TGLMaterialLibrary::AddMaterialsFromStream(TStream& stream) {
    doNotClearMaterialsOnLoad_ = true;
    try {
        readMaterials(stream);
    } catch (...) {
        doNotClearMaterialsOnLoad_ = false;
        throw;
    }
    doNotClearMaterialsOnLoad_ = false;
}

void TGLMaterialLibrary::SaveToFile(const std::string& fileName) const {
    auto stream = CreateFileStream(fileName, fmCreate);
    SaveToStream(*stream);
}

void TGLMaterialLibrary::LoadFromFile(const std::string& fileName) {
    auto stream = CreateFileStream(fileName, fmOpenRead | fmShareDenyNone);
    LoadFromStream(*stream);
}

void TGLMaterialLibrary::AddMaterialsFromFile(const std::string& fileName) {
    auto stream = CreateFileStream(fileName, fmOpenRead | fmShareDenyNone);
    AddMaterialsFromStream(*stream);
}

// ---- Initialisation ---------------------------------------------------------------------------------

void InitGLTexture() {
    static bool done = false;
    if (done) return;
    done = true;
    InitSystemColors();
    RegisterTextureImageClass(&TGLBlankImage::StaticClass());
    RegisterTextureImageClass(&TGLPersistentImage::StaticClass());
    RegisterTextureImageClass(&TGLPicFileImage::StaticClass());
    RegisterTextureImageClass(&TGLCubeMapImage::StaticClass());
    RegisterTextureImageClass(&TGLFloatDataImage::StaticClass());
    RegisterClass(TGLMaterialLibrary::StaticClass());
    RegisterGraphicExtension(".bmp", &TBitmap::StaticClass());
}

} // namespace engine3d
