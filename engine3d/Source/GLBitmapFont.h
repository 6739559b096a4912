// Bitmap fonts: glyphs on a regular grid of one picture, mapped from character codes by ranges, drawn
// as one textured quad per character. Text objects register as users and are told of changes.
#pragma once

#include "GLGraphics.h"
#include "GLMisc.h"
#include "GLObjects.h"
#include "GLTexture.h"
#include "PlatformGraphics.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace engine3d {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TGLTextLayout { tlTop, tlCenter, tlBottom };

// Characters StartASCII..StopASCII use the glyph cells StartGlyphIdx, StartGlyphIdx + 1, ...
class TBitmapFontRange : public TCollectionItem {
    E3D_DECLARE_CLASS(TBitmapFontRange)
public:
    explicit TBitmapFontRange(TCollection* collection = nullptr) : TCollectionItem(collection) {}
    uint8_t StartASCII() const { return startASCII_; }
    uint8_t StopASCII() const { return stopASCII_; }
    int StartGlyphIdx() const { return startGlyphIdx_; }
    // A start above the stop pulls the stop up to it, and the other way round.
    void SetStartASCII(uint8_t value);
    void SetStopASCII(uint8_t value);
    void SetStartGlyphIdx(int value);
    std::string DisplayName() const override;
    void Assign(const TPersistent* source) override;

private:
    uint8_t startASCII_ = 0;
    uint8_t stopASCII_ = 0;
    int startGlyphIdx_ = 0;
};

class TBitmapFontRanges : public TOwnedCollection {
    E3D_DECLARE_CLASS(TBitmapFontRanges)
public:
    explicit TBitmapFontRanges(TPersistent* owner = nullptr);
    TBitmapFontRange* Add() { return static_cast<TBitmapFontRange*>(TCollection::Add()); }
    TBitmapFontRange* Items(int index) const {
        return static_cast<TBitmapFontRange*>(TCollection::Items(index));
    }
};

// Texture coordinates of one glyph: s0, t0 at its top-left corner, s1, t1 at its bottom-right.
struct TGlyphRect {
    float s0 = 0, t0 = 0, s1 = 0, t1 = 0;
};

class TGLCustomBitmapFont : public TGLUpdateAbleComponent {
    E3D_DECLARE_CLASS(TGLCustomBitmapFont)
public:
    explicit TGLCustomBitmapFont(TComponent* owner = nullptr);
    // Users still registered are told through their free notification and let go of the font.
    ~TGLCustomBitmapFont() override;

    // The glyph sheet. After changing its pixels in place, call GlyphsChanged.
    const TBitmap& Glyphs() const { return glyphs_; }
    TBitmap& Glyphs() { return glyphs_; }
    void SetGlyphs(const TGraphic* picture);
    void GlyphsChanged() { InvalidateUsers(); }
    int GlyphsIntervalX() const { return glyphsIntervalX_; }
    void SetGlyphsIntervalX(int value);
    int GlyphsIntervalY() const { return glyphsIntervalY_; }
    void SetGlyphsIntervalY(int value);
    TBitmapFontRanges& Ranges() { return ranges_; }
    const TBitmapFontRanges& Ranges() const { return ranges_; }
    void SetRanges(const TBitmapFontRanges& ranges);
    int CharWidth() const { return charWidth_; }
    void SetCharWidth(int value);
    int CharHeight() const { return charHeight_; }
    void SetCharHeight(int value);
    int HSpace() const { return hSpace_; }
    void SetHSpace(int value);
    int VSpace() const { return vSpace_; }
    void SetVSpace(int value);
    TGLMagFilter MagFilter() const { return magFilter_; }
    void SetMagFilter(TGLMagFilter value);
    TGLMinFilter MinFilter() const { return minFilter_; }
    void SetMinFilter(TGLMinFilter value);
    TGLTextureImageAlpha GlyphsAlpha() const { return glyphsAlpha_; }
    void SetGlyphsAlpha(TGLTextureImageAlpha value) { glyphsAlpha_ = value; }

    // Users are the text objects drawn with this font; they get NotifyChange on every change.
    virtual void RegisterUser(TGLUpdateAbleComponent* user);
    virtual void UnRegisterUser(TGLUpdateAbleComponent* user);
    const std::vector<TGLUpdateAbleComponent*>& Users() const { return users_; }
    // Resets the measures and tells every user, last registered first.
    void InvalidateUsers();

    // Cell geometry of the glyph sheet; 0 cells a row for a sheet narrower than one cell.
    int CellsPerRow() const;
    // Top-left pixel of cell g, row 0 at the top of the sheet.
    std::array<int, 2> CellOrigin(int glyph) const;
    // Texture size: the sheet's width and height rounded up to powers of two.
    int TextureWidth() const;
    int TextureHeight() const;
    const TGlyphRect& GlyphRect(uint8_t character) const;
    int CharacterWidth(uint8_t character) const { return charWidths_[character]; }

    // Measures of a text whose lines are separated by carriage returns.
    int LineWidth(const std::string& text, size_t lineStart) const;
    int AlignmentOffset(const std::string& text, size_t lineStart, TAlignment alignment) const;
    int LayoutOffset(const std::string& text, TGLTextLayout layout) const;
    // The quads RenderString draws: one per visible character, with texture coordinates.
    TGLPrimitive BuildStringQuads(const std::string& text, TAlignment alignment, TGLTextLayout layout,
                                  const TVector* position = nullptr, bool reverseY = false) const;

    // Draws the text in the current GL context with the given colour, uploading the glyph texture on
    // first use. Nothing is drawn for an empty sheet or text.
    void RenderString(TRenderContextInfo& rci, const std::string& text, TAlignment alignment,
                      TGLTextLayout layout, const TVector& color, const TVector* position = nullptr,
                      bool reverseY = false);
    // The glyph sheet as the uploaded image: power-of-two size, alpha by GlyphsAlpha.
    void PrepareImage(TGLBitmap32& image) const;
    // Forgets the texture; the next RenderString uploads again. Call with the owning context current.
    virtual void DestroyHandle();
    GLuint TextureHandle() const { return textureHandle_; }

private:
    void buildGlyphRects() const;
    void uploadTexture(TRenderContextInfo& rci);

    TBitmap glyphs_;
    int glyphsIntervalX_ = 0;
    int glyphsIntervalY_ = 0;
    TBitmapFontRanges ranges_;
    int charWidth_ = 16;
    int charHeight_ = 16;
    int hSpace_ = 1;
    int vSpace_ = 1;
    TGLMagFilter magFilter_ = maLinear;
    TGLMinFilter minFilter_ = miLinear;
    TGLTextureImageAlpha glyphsAlpha_ = tiaDefault;
    std::vector<TGLUpdateAbleComponent*> users_;
    GLuint textureHandle_ = 0;
    bool textureInvalid_ = true;
    std::array<int, 256> charWidths_{};
    mutable std::optional<std::array<TGlyphRect, 256>> glyphRects_;
};

class TGLBitmapFont : public TGLCustomBitmapFont {
    E3D_DECLARE_CLASS(TGLBitmapFont)
public:
    using TGLCustomBitmapFont::TGLCustomBitmapFont;
};

// Moves a text's font link to value: the user leaves the old font's users and free notifications and
// joins the new one's.
void LinkBitmapFont(TGLCustomBitmapFont*& link, TGLCustomBitmapFont* value, TGLUpdateAbleComponent* user);

// ---- Flat text -----------------------------------------------------------------------------------------

enum TGLFlatTextOption : uint8_t { ftoTwoSided };
using TGLFlatTextOptions = uint8_t;
constexpr TGLFlatTextOptions FlatTextOption(TGLFlatTextOption option) {
    return static_cast<TGLFlatTextOptions>(1u << option);
}

// A text drawn with a bitmap font in the object's own plane, one unit per glyph-sheet pixel, y up.
class TGLFlatText : public TGLImmaterialSceneObject {
    E3D_DECLARE_CLASS(TGLFlatText)
public:
    explicit TGLFlatText(TComponent* owner = nullptr);
    ~TGLFlatText() override;
    void Assign(const TPersistent* source) override;
    void Notification(TComponent* component, TOperation operation) override;
    void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;

    TGLCustomBitmapFont* BitmapFont() const { return bitmapFont_; }
    // The text registers as the font's user.
    void SetBitmapFont(TGLCustomBitmapFont* value);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TGLTextLayout Layout() const { return layout_; }
    void SetLayout(TGLTextLayout value);
    TGLColor* ModulateColor() const { return modulateColor_.get(); }
    void SetModulateColor(const TGLColor* value);
    TGLFlatTextOptions Options() const { return options_; }
    void SetOptions(TGLFlatTextOptions value);

private:
    TGLCustomBitmapFont* bitmapFont_ = nullptr;
    std::string text_;
    TAlignment alignment_ = taLeftJustify;
    TGLTextLayout layout_ = tlTop;
    std::unique_ptr<TGLColor> modulateColor_;
    TGLFlatTextOptions options_ = 0;
};

void InitGLBitmapFont();

} // namespace engine3d
