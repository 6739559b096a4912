// Sprites, HUD sprites and texts, the sky box and the sphere as scene objects: clamping setters and
// their notices, copies, font and library links, picking and outlines, and what they draw.
#include "GLHUDObjects.h"
#include "GLObjects.h"
#include "GLSkyBox.h"
#include "ShapeRenderSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace engine3d;
using namespace engine3d_test;

namespace {

// Counts the change notices a scene object sends.
template <class Base> class Counted : public Base {
public:
    using Base::Base;
    void NotifyChange(TObject* sender) override {
        ++notices;
        Base::NotifyChange(sender);
    }
    int notices = 0;
};

bool hasStyle(const TGLBaseSceneObject& object, TGLObjectStyle style) {
    return object.ObjectStyleFlags() & ObjectStyle(style);
}

} // namespace

TEST(Sprite, SizeClampsAndNoticesOnlyOnChange) {
    Counted<TGLSprite> sprite;
    EXPECT_TRUE(hasStyle(sprite, osImmediateDraw));
    EXPECT_TRUE(hasStyle(sprite, osNoCulling));
    // Setting the defaults again sends nothing.
    sprite.SetWidth(1);
    sprite.SetHeight(1);
    sprite.SetRotation(0);
    sprite.SetAlphaChannel(1);
    EXPECT_EQ(sprite.notices, 0);
    EXPECT_FALSE(sprite.StoreAlphaChannel());
    sprite.SetWidth(-4);
    sprite.SetHeight(2);
    EXPECT_EQ(sprite.notices, 2);
    EXPECT_EQ(sprite.AxisAlignedDimensionsUnscaled(), (TVector{2, 1, 2, 0}));

    struct Row {
        float given, stored;
    };
    for (Row row : {Row{1.5f, 1}, Row{-0.2f, 0}, Row{0.25f, 0.25f}}) {
        sprite.SetAlphaChannel(row.given);
        EXPECT_FLOAT_EQ(sprite.AlphaChannel(), row.stored) << row.given;
    }
    EXPECT_TRUE(sprite.StoreAlphaChannel());
    int before = sprite.notices;
    sprite.SetAlphaChannel(0.25f);
    EXPECT_EQ(sprite.notices, before);
    // The switches notify whatever the old value.
    sprite.SetMirrorU(false);
    sprite.SetMirrorV(false);
    sprite.SetNoZWrite(false);
    EXPECT_EQ(sprite.notices, before + 3);

    // Assign copies every own property and the material.
    sprite.SetRotation(30);
    sprite.SetNoZWrite(true);
    sprite.SetMirrorU(true);
    sprite.SetMirrorV(true);
    sprite.Material()->FrontProperties()->Diffuse()->SetColor(0, 1, 0, 1);
    TGLSprite copy;
    copy.Assign(&sprite);
    EXPECT_EQ(copy.AxisAlignedDimensionsUnscaled(), (TVector{2, 1, 2, 0}));
    EXPECT_EQ(copy.Rotation(), 30);
    EXPECT_EQ(copy.AlphaChannel(), 0.25f);
    EXPECT_TRUE(copy.NoZWrite() && copy.MirrorU() && copy.MirrorV());
    EXPECT_EQ(copy.Material()->FrontProperties()->Diffuse()->Green(), 1);
}

TEST(HUDSprite, DefaultsTilesAndPlacement) {
    Counted<TGLHUDSprite> sprite;
    EXPECT_TRUE(hasStyle(sprite, osImmediateDraw));
    sprite.SetXTiles(1);
    EXPECT_EQ(sprite.notices, 0);
    sprite.SetXTiles(3);
    sprite.SetYTiles(2);
    EXPECT_EQ(sprite.notices, 2);
    EXPECT_TRUE(sprite.Changes() & ObjectChange(ocStructure));

    sprite.Position()->SetPoint(10, 20, 0);
    sprite.SetRotation(90);
    TRenderContextInfo rci;
    rci.ViewportWidth = 320;
    rci.ViewportHeight = 200;
    rci.RenderDPI = 120;
    TGLHUDPlacement placement = sprite.Placement(rci);
    EXPECT_EQ(placement.X, 10);
    EXPECT_EQ(placement.Y, 20);
    EXPECT_EQ(placement.Rotation, 90);
    EXPECT_EQ(placement.ViewportWidth, 320);
    EXPECT_EQ(placement.RenderDPI, 120);
}

TEST(HUDText, FontUsers) {
    auto* font = new TGLBitmapFont();
    {
        TGLHUDText text;
        EXPECT_EQ(text.ModulateColor()->Color(), (TVector{1, 1, 1, 1}));
        EXPECT_TRUE(hasStyle(text, osImmediateDraw));
        text.SetBitmapFont(font);
        ASSERT_EQ(font->Users().size(), 1u);
        EXPECT_EQ(font->Users()[0], &text);
        text.SetBitmapFont(font); // the same font is not registered twice
        EXPECT_EQ(font->Users().size(), 1u);
    }
    // The destroyed text is no longer a user.
    EXPECT_TRUE(font->Users().empty());

    TGLHUDText text;
    text.SetBitmapFont(font);
    delete font;
    EXPECT_EQ(text.BitmapFont(), nullptr);
}

TEST(SkyBox, NoticesAndLibraryRemoval) {
    TComponent owner;
    auto* library = new TGLMaterialLibrary(&owner);
    Counted<TGLSkyBox> box(&owner);
    EXPECT_EQ(box.Style(), sbsFull);
    EXPECT_TRUE(hasStyle(box, osImmediateDraw));
    EXPECT_TRUE(hasStyle(box, osNoCulling));
    box.SetMaterialLibrary(library);
    box.SetMatNameTop("sky");
    box.SetMatNameTop("sky"); // no comparison: every call notifies
    box.SetCloudsPlaneSize(32);
    EXPECT_EQ(box.notices, 4);
    box.SetStyle(sbsBottomHalf); // written directly
    EXPECT_EQ(box.notices, 4);
    EXPECT_EQ(box.MatName(sbfTop), "sky");
    EXPECT_TRUE(box.MatNameFront().empty());
    delete library;
    EXPECT_EQ(box.MaterialLibrary(), nullptr);

    // A library of another owner going away is seen too.
    auto* other = new TGLMaterialLibrary();
    box.SetMaterialLibrary(other);
    delete other;
    EXPECT_EQ(box.MaterialLibrary(), nullptr);
}

TEST(Sphere, SettersClampAndAssignLeavesTheCaps) {
    TGLSphere sphere;
    for (int given : {0, -5}) {
        sphere.SetSlices(given);
        sphere.SetStacks(given);
        EXPECT_EQ(sphere.Slices(), 1) << given;
        EXPECT_EQ(sphere.Stacks(), 1) << given;
    }
    sphere.ClearStructureChanged();
    sphere.SetRadius(0.5f);
    sphere.SetTopCap(ctNone);
    EXPECT_FALSE(sphere.Changes() & ObjectChange(ocStructure));
    sphere.SetRadius(2);
    EXPECT_TRUE(sphere.Changes() & ObjectChange(ocStructure));
    EXPECT_EQ(sphere.AxisAlignedDimensionsUnscaled(), (TVector{2, 2, 2, 0}));

    // Start stays below stop: a setter that would cross them raises and keeps the old value.
    sphere.SetStop(90);
    EXPECT_THROW(sphere.SetStart(100), EAssertionFailed);
    EXPECT_EQ(sphere.Start(), 0);
    sphere.SetStart(30);
    EXPECT_THROW(sphere.SetStop(10), EAssertionFailed);
    EXPECT_EQ(sphere.Stop(), 90);

    TGLSphere source;
    source.SetRadius(3);
    source.SetSlices(8);
    source.SetTop(45);
    source.SetStop(180);
    source.SetStart(90);
    source.SetTopCap(ctFlat);
    source.SetNormalDirection(ndInside);
    TGLSphere copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.Radius(), 3);
    EXPECT_EQ(copy.Slices(), 8);
    EXPECT_EQ(copy.Top(), 45);
    EXPECT_EQ(copy.Start(), 90);
    EXPECT_EQ(copy.Stop(), 180);
    EXPECT_EQ(copy.TopCap(), ctNone);
    EXPECT_EQ(copy.NormalDirection(), ndInside);
    // A range lying wholly below the current one is copied as well.
    TGLSphere narrow;
    narrow.SetStop(20);
    copy.Assign(&narrow);
    EXPECT_EQ(copy.Start(), 0);
    EXPECT_EQ(copy.Stop(), 20);
}

TEST(Sphere, RayCastAndSilhouette) {
    TGLSphere sphere;
    sphere.SetRadius(1);
    sphere.Position()->SetPoint(0, 0, -5);
    TVector point{}, normal{};
    ASSERT_TRUE(sphere.RayCastIntersect({0, 0, 5, 1}, {0, 0, -1, 0}, &point, &normal));
    EXPECT_NEAR(point[2], -4, 1e-5);
    EXPECT_NEAR(normal[2], 1, 1e-5);
    EXPECT_FALSE(sphere.RayCastIntersect({3, 0, 5, 1}, {0, 0, -1, 0}));

    TGLSilhouetteParameters params;
    params.SeenFrom = {0, 0, 1};
    params.CappingRequired = true;
    std::unique_ptr<TGLSilhouette> silhouette(sphere.GenerateSilhouette(params));
    EXPECT_EQ(silhouette->Vertices().Count(), 17);
    EXPECT_EQ(silhouette->Indices().Count(), 32);
}

// ---- Drawn --------------------------------------------------------------------------------------------

namespace {

// Renders a red 64 x 32 HUD sprite at (100, 60) and probes its edges in the window's own pixels, which the
// buffer's pixel ratio (a whole number here) turns into device pixels.
void expectRedSpriteRectangle(ShapeScene& s, int ratio) {
    auto* sprite = s.scene.Objects()->AddNewChild<TGLHUDSprite>();
    sprite->Material()->FrontProperties()->Diffuse()->SetColor(1, 0, 0, 1);
    // Y counts down from the top edge; a wide sprite shows a swapped width and height.
    sprite->Position()->SetPoint(100, 60, 0);
    sprite->SetWidth(64);
    sprite->SetHeight(32);
    s.render();
    struct Probe {
        int x, yFromTop;
        bool lit;
    };
    const int bottom = s.buffer.Height() - 1;
    for (Probe p : {Probe{100, 60, true}, Probe{69, 45, true}, Probe{130, 74, true}, Probe{66, 60, false},
                    Probe{134, 60, false}, Probe{100, 42, false}, Probe{100, 78, false}})
        expectColour(s.pixel(p.x * ratio, bottom - p.yFromTop * ratio), p.lit ? 255 : 0, 0, 0,
                     std::to_string(p.x) + ", " + std::to_string(p.yFromTop) + " from the top at ratio " +
                         std::to_string(ratio));
}

} // namespace

TEST(HUDSpriteRender, CoversItsPixelRectangle) {
    REQUIRE_SHAPE_SCENE(s, 256, 256);
    expectRedSpriteRectangle(s, 1);
}

// A buffer of twice the pixels at ratio 2 renders at 192 DPI: the sprite keeps its place and size in the
// window's own pixels.
TEST(HUDSpriteRender, KeepsItsPixelRectangleAtTheBuffersPixelRatio) {
    REQUIRE_SHAPE_SCENE(s, 512, 512);
    s.buffer.SetPixelRatio(2);
    expectRedSpriteRectangle(s, 2);
    EXPECT_EQ(s.buffer.RenderDPI(), 192);
    s.buffer.SetPixelRatio(1.25f);
    s.render();
    EXPECT_EQ(s.buffer.RenderDPI(), 120);
    s.buffer.SetPixelRatio(0);
    EXPECT_FLOAT_EQ(s.buffer.PixelRatio(), 1);
}

TEST(SkyBoxRender, FacesAroundTheCameraAndStyles) {
    REQUIRE_SHAPE_SCENE(s, 64, 64);
    s.camera->SetCameraStyle(csPerspective);
    s.camera->Position()->SetPoint(0, 0, 0);
    s.camera->Direction()->SetVector(0, 0, -1);
    TGLMaterialLibrary library;
    TGLLibMaterial* front = library.Materials()->Add();
    front->SetName("front");
    front->Material()->FrontProperties()->Diffuse()->SetColor(0, 1, 0, 1);
    auto* box = s.scene.Objects()->AddNewChild<TGLSkyBox>();
    box->SetMaterialLibrary(&library);
    box->SetMatNameFront("front");
    box->SetMatNameBack("unknown"); // skipped without a message
    s.render();
    expectColour(s.pixel(32, 32), 0, 255, 0, "front face ahead");

    // The lower half only: the upper half of the view stays clear.
    box->SetStyle(sbsBottomHalf);
    s.render();
    expectColour(s.pixel(32, 8), 0, 255, 0, "lower half");
    expectColour(s.pixel(32, 56), 0, 0, 0, "upper half");
    // Depth test, switched off for the box, is on again for the rest of the scene.
    EXPECT_TRUE(s.buffer.StateCache().StateIsEnabled(stDepthTest));

    box->SetMaterialLibrary(nullptr);
    s.render();
    expectColour(s.pixel(32, 8), 0, 0, 0, "no library, nothing drawn");
}

TEST(SphereRender, FilledDiscAndWindingRestored) {
    REQUIRE_SHAPE_SCENE(s, 64, 64);
    auto* sphere = s.scene.Objects()->AddNewChild<TGLSphere>();
    sphere->Material()->FrontProperties()->Diffuse()->SetColor(0, 0, 1, 1);
    s.render();
    // Radius 0.5 of a view spanning -1..1: a disc of 16 pixels about the centre.
    expectColour(s.pixel(32, 44), 0, 0, 255, "inside the rim");
    expectColour(s.pixel(32, 52), 0, 0, 0, "outside the rim");

    sphere->SetNormalDirection(ndInside);
    s.render();
    EXPECT_TRUE(s.buffer.StateCache().FrontFaceCCW());
}
