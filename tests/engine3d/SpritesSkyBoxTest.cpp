// Sprites, HUD sprites and texts, the sky box and the sphere as scene objects: clamps and notices, font
// and library links, and what they draw.
#include "GLHUDObjects.h"
#include "GLObjects.h"
#include "GLSkyBox.h"
#include "ShapeRenderSupport.h"

#include <gtest/gtest.h>

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

} // namespace

TEST(Sprite, SizeAndAlphaClampAndNoticeOnlyOnChange) {
    Counted<TGLSprite> sprite;
    // Setting the defaults again sends nothing.
    sprite.SetWidth(1);
    sprite.SetHeight(1);
    sprite.SetAlphaChannel(1);
    EXPECT_EQ(sprite.notices, 0);
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
}

TEST(HUDTextAndSkyBox, LinksToFontsAndLibrariesDieWithThem) {
    auto* font = new TGLBitmapFont();
    {
        TGLHUDText text;
        text.SetBitmapFont(font);
        text.SetBitmapFont(font); // the same font is not registered twice
        EXPECT_EQ(font->Users().size(), 1u);
    }
    EXPECT_TRUE(font->Users().empty()) << "the destroyed text is no longer a user";
    TGLHUDText text;
    text.SetBitmapFont(font);
    delete font;
    EXPECT_EQ(text.BitmapFont(), nullptr);

    TComponent owner;
    auto* library = new TGLMaterialLibrary(&owner);
    TGLSkyBox box(&owner);
    box.SetMaterialLibrary(library);
    delete library;
    EXPECT_EQ(box.MaterialLibrary(), nullptr);
    // A library of another owner going away is seen too.
    auto* other = new TGLMaterialLibrary();
    box.SetMaterialLibrary(other);
    delete other;
    EXPECT_EQ(box.MaterialLibrary(), nullptr);
}

TEST(Sphere, StartStaysBelowStopAndAssignLeavesTheCaps) {
    TGLSphere sphere;
    sphere.SetSlices(-5);
    EXPECT_EQ(sphere.Slices(), 1);
    sphere.SetStop(90);
    EXPECT_THROW(sphere.SetStart(100), EAssertionFailed);
    EXPECT_EQ(sphere.Start(), 0);
    sphere.SetStart(30);
    EXPECT_THROW(sphere.SetStop(10), EAssertionFailed);
    EXPECT_EQ(sphere.Stop(), 90);

    TGLSphere source;
    source.SetRadius(3);
    source.SetStop(180);
    source.SetStart(90);
    source.SetTopCap(ctFlat);
    TGLSphere copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.Radius(), 3);
    EXPECT_EQ(copy.Start(), 90);
    EXPECT_EQ(copy.Stop(), 180);
    EXPECT_EQ(copy.TopCap(), ctNone);
    // A range lying wholly below the current one is copied as well.
    TGLSphere narrow;
    narrow.SetStop(20);
    copy.Assign(&narrow);
    EXPECT_EQ(copy.Start(), 0);
    EXPECT_EQ(copy.Stop(), 20);
}

// ---- Drawn --------------------------------------------------------------------------------------------

TEST(HUDSpriteRender, CoversItsPixelRectangle) {
    REQUIRE_SHAPE_SCENE(s, 256, 256);
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
    for (Probe p : {Probe{100, 60, true}, Probe{69, 45, true}, Probe{130, 74, true}, Probe{66, 60, false},
                    Probe{134, 60, false}, Probe{100, 42, false}, Probe{100, 78, false}})
        expectColour(s.pixel(p.x, 255 - p.yFromTop), p.lit ? 255 : 0, 0, 0,
                     std::to_string(p.x) + ", " + std::to_string(p.yFromTop) + " from the top");
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
