#include "GLBitmapFont.h"

#include "GLState.h"
#include "GLUtils.h"

#include <algorithm>
#include <cmath>

namespace engine3d {

// ---- Ranges -----------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TBitmapFontRange, TCollectionItem)

void TBitmapFontRange::SetStartASCII(uint8_t value) {
    if (value == startASCII_) return;
    startASCII_ = value;
    if (startASCII_ > stopASCII_) stopASCII_ = startASCII_;
    Changed(false);
}

void TBitmapFontRange::SetStopASCII(uint8_t value) {
    if (value == stopASCII_) return;
    stopASCII_ = value;
    if (stopASCII_ < startASCII_) startASCII_ = stopASCII_;
    Changed(false);
}

void TBitmapFontRange::SetStartGlyphIdx(int value) {
    startGlyphIdx_ = std::max(value, 0);
    Changed(false);
}

std::string TBitmapFontRange::DisplayName() const {
    return FormatMessage("ASCII [#%d, #%d] -> Glyphs [%d, %d]",
                         {std::to_string(startASCII_), std::to_string(stopASCII_),
                          std::to_string(startGlyphIdx_),
                          std::to_string(stopASCII_ - startASCII_ + startGlyphIdx_)});
}

void TBitmapFontRange::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TBitmapFontRange*>(source)) {
        startASCII_ = other->startASCII_;
        stopASCII_ = other->stopASCII_;
        startGlyphIdx_ = other->startGlyphIdx_;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(source);
}

E3D_DEFINE_CLASS(TBitmapFontRanges, TOwnedCollection)

TBitmapFontRanges::TBitmapFontRanges(TPersistent* owner)
    : TOwnedCollection(owner, [](TCollection* c) -> TCollectionItem* { return new TBitmapFontRange(c); }) {}

// ---- Font -------------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLCustomBitmapFont, TGLUpdateAbleComponent)
E3D_DEFINE_CLASS(TGLBitmapFont, TGLCustomBitmapFont)

TGLCustomBitmapFont::TGLCustomBitmapFont(TComponent* owner) : TGLUpdateAbleComponent(owner), ranges_(this) {
    charWidths_.fill(charWidth_);
}

TGLCustomBitmapFont::~TGLCustomBitmapFont() {
    // Raising here would end the program; the component's free notifications let the users go.
    users_.clear();
}

void TGLCustomBitmapFont::SetGlyphs(const TGraphic* picture) {
    glyphs_.Assign(picture);
    InvalidateUsers();
}

void TGLCustomBitmapFont::SetGlyphsIntervalX(int value) {
    glyphsIntervalX_ = std::max(value, 0);
    InvalidateUsers();
}

void TGLCustomBitmapFont::SetGlyphsIntervalY(int value) {
    glyphsIntervalY_ = std::max(value, 0);
    InvalidateUsers();
}

void TGLCustomBitmapFont::SetRanges(const TBitmapFontRanges& ranges) {
    ranges_.Assign(&ranges);
    InvalidateUsers();
}

void TGLCustomBitmapFont::SetCharWidth(int value) {
    value = std::max(value, 1);
    if (value == charWidth_) return;
    charWidth_ = value;
    InvalidateUsers();
}

void TGLCustomBitmapFont::SetCharHeight(int value) {
    value = std::max(value, 1);
    if (value == charHeight_) return;
    charHeight_ = value;
    InvalidateUsers();
}

void TGLCustomBitmapFont::SetHSpace(int value) {
    hSpace_ = std::max(value, 0);
    InvalidateUsers();
}

void TGLCustomBitmapFont::SetVSpace(int value) {
    vSpace_ = std::max(value, 0);
    InvalidateUsers();
}

void TGLCustomBitmapFont::SetMagFilter(TGLMagFilter value) {
    if (value == magFilter_) return;
    magFilter_ = value;
    textureInvalid_ = true;
    InvalidateUsers();
}

void TGLCustomBitmapFont::SetMinFilter(TGLMinFilter value) {
    if (value == minFilter_) return;
    minFilter_ = value;
    textureInvalid_ = true;
    InvalidateUsers();
}

void TGLCustomBitmapFont::RegisterUser(TGLUpdateAbleComponent* user) {
    GLAssert(std::find(users_.begin(), users_.end(), user) == users_.end(),
             "Bitmap font user already registered");
    users_.push_back(user);
}

void TGLCustomBitmapFont::UnRegisterUser(TGLUpdateAbleComponent* user) {
    users_.erase(std::remove(users_.begin(), users_.end(), user), users_.end());
}

void TGLCustomBitmapFont::InvalidateUsers() {
    charWidths_.fill(charWidth_);
    glyphRects_.reset();
    for (auto user = users_.rbegin(); user != users_.rend(); ++user)
        (*user)->NotifyChange(this);
}

int TGLCustomBitmapFont::CellsPerRow() const {
    if (glyphs_.Width() <= 0) return 0;
    return (glyphs_.Width() + glyphsIntervalX_) / (charWidth_ + glyphsIntervalX_);
}

std::array<int, 2> TGLCustomBitmapFont::CellOrigin(int glyph) const {
    int perRow = CellsPerRow();
    if (perRow <= 0) return {0, 0};
    return {(glyph % perRow) * (charWidth_ + glyphsIntervalX_),
            (glyph / perRow) * (charHeight_ + glyphsIntervalY_)};
}

int TGLCustomBitmapFont::TextureWidth() const {
    return RoundUpToPowerOf2(glyphs_.Width());
}

int TGLCustomBitmapFont::TextureHeight() const {
    return RoundUpToPowerOf2(glyphs_.Height());
}

void TGLCustomBitmapFont::buildGlyphRects() const {
    glyphRects_.emplace();
    // A sheet without a whole cell has no glyphs.
    if (CellsPerRow() <= 0) return;
    float width = float(TextureWidth()), height = float(TextureHeight());
    for (int r = 0; r < ranges_.Count(); ++r) {
        const TBitmapFontRange* range = ranges_.Items(r);
        for (int ch = range->StartASCII(); ch <= range->StopASCII(); ++ch) {
            auto [x, y] = CellOrigin(range->StartGlyphIdx() + ch - range->StartASCII());
            TGlyphRect& rect = (*glyphRects_)[ch];
            rect.s0 = (x + 0.05f) / width;
            rect.t0 = (height - (y + 0.05f)) / height;
            rect.s1 = (charWidths_[ch] + x - 0.05f) / width;
            rect.t1 = (height - (y + charHeight_ - 0.05f)) / height;
        }
    }
}

const TGlyphRect& TGLCustomBitmapFont::GlyphRect(uint8_t character) const {
    if (!glyphRects_) buildGlyphRects();
    return (*glyphRects_)[character];
}

int TGLCustomBitmapFont::LineWidth(const std::string& text, size_t lineStart) const {
    int width = 0, count = 0;
    for (size_t i = lineStart; i < text.size() && text[i] != '\r'; ++i, ++count)
        width += charWidths_[uint8_t(text[i])];
    return count == 0 ? 0 : width + hSpace_ * (count - 1);
}

int TGLCustomBitmapFont::AlignmentOffset(const std::string& text, size_t lineStart,
                                         TAlignment alignment) const {
    switch (alignment) {
    case taRightJustify:
        return -LineWidth(text, lineStart);
    case taCenter:
        return -int(std::lround(LineWidth(text, lineStart) / 2.0));
    case taLeftJustify:
        break;
    }
    return 0;
}

int TGLCustomBitmapFont::LayoutOffset(const std::string& text, TGLTextLayout layout) const {
    int lines = 1 + int(std::count(text.begin(), text.end(), '\r'));
    int height = (charHeight_ + vSpace_) * lines - vSpace_;
    switch (layout) {
    case tlCenter:
        return int(std::lround(height / 2.0));
    case tlBottom:
        return height;
    case tlTop:
        break;
    }
    return 0;
}

TGLPrimitive TGLCustomBitmapFont::BuildStringQuads(const std::string& text, TAlignment alignment,
                                                   TGLTextLayout layout, const TVector* position,
                                                   bool reverseY) const {
    TGLPrimitive quads;
    quads.Mode = GL_QUADS;
    if (glyphs_.Width() <= 0 || text.empty()) return quads;
    float originX = position ? (*position)[0] : 0, originY = position ? (*position)[1] : 0;
    float x = AlignmentOffset(text, 0, alignment) + originX;
    float y = LayoutOffset(text, layout) + originY;
    auto glyphBottom = [&] { return reverseY ? y + charHeight_ : y - charHeight_; };
    float yb = glyphBottom();
    float lineStep = -float(charHeight_ + vSpace_);
    float spaceAdvance = float(charWidths_[' '] + hSpace_);
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t ch = uint8_t(text[i]);
        if (ch == '\r') {
            x = AlignmentOffset(text, i + 1, alignment) + originX;
            y += lineStep;
            yb = glyphBottom();
        } else if (ch == ' ') {
            x += spaceAdvance;
        } else if (ch >= 32) {
            int w = charWidths_[ch];
            if (w <= 0) continue;
            const TGlyphRect& r = GlyphRect(ch);
            quads.Vertices.push_back({{x, y, 0}, {}, {r.s0, r.t0}});
            quads.Vertices.push_back({{x, yb, 0}, {}, {r.s0, r.t1}});
            quads.Vertices.push_back({{x + w, yb, 0}, {}, {r.s1, r.t1}});
            quads.Vertices.push_back({{x + w, y, 0}, {}, {r.s1, r.t0}});
            x += float(w + hSpace_);
        }
    }
    return quads;
}

void TGLCustomBitmapFont::PrepareImage(TGLBitmap32& image) const {
    TBitmap sheet;
    sheet.SetPixelFormat(pf24bit);
    sheet.SetSize(TextureWidth(), TextureHeight());
    for (int y = 0; y < glyphs_.Height(); ++y) {
        const uint8_t* source = glyphs_.ScanLine(y);
        uint8_t* target = sheet.ScanLine(y);
        int step = glyphs_.PixelFormat() == pf32bit ? 4 : 3;
        for (int x = 0; x < glyphs_.Width(); ++x, source += step, target += 3)
            std::copy(source, source + 3, target);
    }
    image.Assign(&sheet);
    switch (glyphsAlpha_) {
    case tiaDefault:
    case tiaTopLeftPointColorTransparent:
        // The key is the sheet's top-left pixel: the image's row 0 is the bottom line, below which the
        // padding to a power of two may lie.
        image.SetAlphaTransparentForPixel(image.ScanLine(image.Height() - 1)[0]);
        break;
    case tiaAlphaFromIntensity:
    case tiaLuminance:
        image.SetAlphaFromIntensity();
        break;
    case tiaSuperBlackTransparent:
        image.SetAlphaTransparentForColor(0);
        break;
    case tiaLuminanceSqrt:
        image.SetAlphaFromIntensity();
        image.SqrtAlphaFromIntensity();
        break;
    case tiaOpaque:
        image.SetAlphaToValue(255);
        break;
    case tiaInverseLuminance:
    case tiaInverseLuminanceSqrt:
        GLAssert(false, "Invalid glyphs alpha for a bitmap font");
    }
}

namespace {
// Binds through the frame's state cache so that its record of the bound texture stays true.
void bindOnUnitZero(TRenderContextInfo& rci, GLuint handle) {
    if (rci.StateCache)
        rci.StateCache->StateCacheBindTexture(0, GL_TEXTURE_2D, handle);
    else
        glBindTexture(GL_TEXTURE_2D, handle);
}
} // namespace

void TGLCustomBitmapFont::uploadTexture(TRenderContextInfo& rci) {
    if (textureHandle_ == 0) glGenTextures(1, &textureHandle_);
    GLAssert(textureHandle_ != 0, "Could not create the bitmap font texture");
    bindOnUnitZero(rci, textureHandle_);
    if (glyphs_.Width() > 0) {
        TGLBitmap32 image;
        PrepareImage(image);
        image.UploadAsTexture(GL_TEXTURE_2D, minFilter_, GL_RGBA);
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        static const GLint minFilters[] = {GL_NEAREST,
                                           GL_LINEAR,
                                           GL_NEAREST_MIPMAP_NEAREST,
                                           GL_LINEAR_MIPMAP_NEAREST,
                                           GL_NEAREST_MIPMAP_LINEAR,
                                           GL_LINEAR_MIPMAP_LINEAR};
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilters[minFilter_]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                        magFilter_ == maNearest ? GL_NEAREST : GL_LINEAR);
    }
    textureInvalid_ = false;
}

void TGLCustomBitmapFont::RenderString(TRenderContextInfo& rci, const std::string& text, TAlignment alignment,
                                       TGLTextLayout layout, const TVector& color, const TVector* position,
                                       bool reverseY) {
    if (glyphs_.Width() <= 0 || text.empty()) return;
    if (textureInvalid_ || textureHandle_ == 0) uploadTexture(rci);
    TGLPrimitive quads = BuildStringQuads(text, alignment, layout, position, reverseY);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    bindOnUnitZero(rci, textureHandle_);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4fv(color.data());
    RenderPrimitive(quads, false, tcfUnitZero);
    glPopAttrib();
    // The restored attributes bring back bindings the cache did not see.
    if (rci.StateCache) rci.StateCache->ResetGLCurrentTexture();
}

void TGLCustomBitmapFont::DestroyHandle() {
    if (textureHandle_ != 0) glDeleteTextures(1, &textureHandle_);
    textureHandle_ = 0;
    textureInvalid_ = true;
}

void LinkBitmapFont(TGLCustomBitmapFont*& link, TGLCustomBitmapFont* value, TGLUpdateAbleComponent* user) {
    if (link) {
        link->UnRegisterUser(user);
        link->RemoveFreeNotification(user);
    }
    link = value;
    if (link) {
        link->RegisterUser(user);
        link->FreeNotification(user);
    }
}

// ---- Flat text -----------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLFlatText, TGLImmaterialSceneObject)

TGLFlatText::TGLFlatText(TComponent* owner)
    : TGLImmaterialSceneObject(owner), modulateColor_(std::make_unique<TGLColor>(this, TVector{1, 1, 1, 1})) {
    SetObjectStyle(ObjectStyleFlags() | ObjectStyle(osImmediateDraw) | ObjectStyle(osNoCulling));
}

TGLFlatText::~TGLFlatText() {
    modulateColor_.reset();
    SetBitmapFont(nullptr);
}

void TGLFlatText::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLFlatText*>(source)) {
        SetBitmapFont(other->bitmapFont_);
        SetText(other->text_);
        SetAlignment(other->alignment_);
        SetLayout(other->layout_);
        SetModulateColor(other->modulateColor_.get());
        SetOptions(other->options_);
    }
    TGLImmaterialSceneObject::Assign(source);
}

void TGLFlatText::Notification(TComponent* component, TOperation operation) {
    // The font is already past its own destructor here: only the link is dropped.
    if (operation == opRemove && component == bitmapFont_) {
        bitmapFont_ = nullptr;
        SceneObjectStructureChanged();
    }
    TGLImmaterialSceneObject::Notification(component, operation);
}

void TGLFlatText::SetBitmapFont(TGLCustomBitmapFont* value) {
    if (value == bitmapFont_) return;
    LinkBitmapFont(bitmapFont_, value, this);
    if (modulateColor_) SceneObjectStructureChanged();
}

void TGLFlatText::SetText(const std::string& value) {
    text_ = value;
    SceneObjectStructureChanged();
}

void TGLFlatText::SetAlignment(TAlignment value) {
    alignment_ = value;
    SceneObjectStructureChanged();
}

void TGLFlatText::SetLayout(TGLTextLayout value) {
    layout_ = value;
    SceneObjectStructureChanged();
}

void TGLFlatText::SetModulateColor(const TGLColor* value) {
    modulateColor_->Assign(value);
}

void TGLFlatText::SetOptions(TGLFlatTextOptions value) {
    if (value == options_) return;
    options_ = value;
    SceneObjectStructureChanged();
}

void TGLFlatText::DoRender(TRenderContextInfo& rci, bool, bool) {
    if (bitmapFont_ && !text_.empty()) {
        if (rci.StateCache) rci.StateCache->SetGLPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glPushAttrib(GL_ENABLE_BIT);
        if (modulateColor_->Alpha() != 1) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        }
        if (options_ & FlatTextOption(ftoTwoSided)) glDisable(GL_CULL_FACE);
        bitmapFont_->RenderString(rci, text_, alignment_, layout_, modulateColor_->Color(), nullptr, false);
        glPopAttrib();
    }
    if (SceneObjectChildCount() > 0) RenderChildren(0, SceneObjectChildCount() - 1, rci);
}

void InitGLBitmapFont() {
    static int initCount = 0;
    if (initCount++ != 0) return;
    RegisterClass(TGLBitmapFont::StaticClass());
    RegisterClass(TGLFlatText::StaticClass());
}

namespace {
[[maybe_unused]] const bool bitmapFontRegistered = (InitGLBitmapFont(), true);
}

} // namespace engine3d
