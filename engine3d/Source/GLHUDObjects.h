// Objects placed in window pixels and drawn over the scene: HUD sprites and HUD text. The pixel
// layout is computed here as plain numbers; drawing applies it as matrices.
#pragma once

#include "GLBitmapFont.h"
#include "GLObjects.h"

namespace engine3d {

// Where a HUD item lands. X counts pixels from the left edge, Y pixels down from the top, both to the
// item's centre; at a DPI other than 96 positions and sizes grow by DPI / 96.
struct TGLHUDPlacement {
    float X = 0, Y = 0, Z = 0;
    float Rotation = 0; // degrees about the viewing axis
    int ViewportWidth = 1, ViewportHeight = 1;
    int RenderDPI = 96;
};

// The model-view steps of a HUD item: scale to normalised device units, then move to the item's
// centre (in pixels from the viewport's centre, y up).
struct TGLHUDTransform {
    float DPIFactor = 1;
    TAffineVector Scale{};
    TAffineVector Translation{};
};
TGLHUDTransform HUDTransform(const TGLHUDPlacement& placement);

// The sprite's quad about its centre, in pixels scaled by the DPI factor; texture t = 0 is the lower
// edge on screen and the texture repeats xTiles by yTiles times.
TGLPrimitive BuildHUDSpriteQuad(float width, float height, float dpiFactor, int xTiles, int yTiles);

// Window pixel (from the top-left corner) of a point of the HUD quad, rotation left out.
TTexPoint HUDWindowPixel(const TGLHUDPlacement& placement, const TAffineVector& quadPoint);

// Applies the HUD matrices (model-view and an identity projection, both pushed) and draws with depth
// test and depth writes off; the caller binds the material. PopHUDMatrices undoes the matrices.
void PushHUDMatrices(const TGLHUDPlacement& placement, const TMatrix& baseProjection);
void PopHUDMatrices();
void RenderHUDSpriteQuad(const TGLPrimitive& quad);

// ---- Scene objects ------------------------------------------------------------------------------------

// A sprite placed and sized in window pixels, drawn over the scene without depth testing. Position X
// and Y are the centre's pixels from the left and top edges.
class TGLHUDSprite : public TGLSprite {
    E3D_DECLARE_CLASS(TGLHUDSprite)
public:
    explicit TGLHUDSprite(TComponent* owner = nullptr);
    void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;
    // How often the texture repeats across and down.
    int XTiles() const { return xTiles_; }
    void SetXTiles(int value);
    int YTiles() const { return yTiles_; }
    void SetYTiles(int value);
    // Where the sprite lands for a render context.
    TGLHUDPlacement Placement(const TRenderContextInfo& rci) const;

private:
    int xTiles_ = 1;
    int yTiles_ = 1;
};

// A text drawn with a bitmap font in window pixels, over the scene.
class TGLHUDText : public TGLImmaterialSceneObject {
    E3D_DECLARE_CLASS(TGLHUDText)
public:
    explicit TGLHUDText(TComponent* owner = nullptr);
    ~TGLHUDText() override;
    void Notification(TComponent* component, TOperation operation) override;
    void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;

    TGLCustomBitmapFont* BitmapFont() const { return bitmapFont_; }
    // The text registers as the font's user.
    void SetBitmapFont(TGLCustomBitmapFont* value);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& value);
    float Rotation() const { return rotation_; }
    void SetRotation(float value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TGLTextLayout Layout() const { return layout_; }
    void SetLayout(TGLTextLayout value);
    TGLColor* ModulateColor() const { return modulateColor_.get(); }
    void SetModulateColor(const TGLColor* value);

private:
    TGLCustomBitmapFont* bitmapFont_ = nullptr;
    std::string text_;
    float rotation_ = 0;
    TAlignment alignment_ = taLeftJustify;
    TGLTextLayout layout_ = tlTop;
    std::unique_ptr<TGLColor> modulateColor_;
};

void InitGLHUDObjects();

} // namespace engine3d
