// A scene with one camera rendered by a scene buffer into an off-screen context, read back pixel by
// pixel; shared by the tests of the scene shapes.
#pragma once

#include "GL3DScene.h"
#include "GLTestSupport.h"
#include "GLTexture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace engine3d_test {

struct Rgba {
    uint8_t r, g, b, a;
};

// A unit quad in the XY plane facing +z, with texture coordinates 0..1; builds counts its list builds.
class TexturedQuad : public engine3d::TGL3DSceneObject {
public:
    using engine3d::TGL3DSceneObject::TGL3DSceneObject;
    void BuildList(engine3d::TRenderContextInfo&) override {
        ++builds;
        glNormal3f(0, 0, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex3f(-0.5f, -0.5f, 0);
        glTexCoord2f(1, 0);
        glVertex3f(0.5f, -0.5f, 0);
        glTexCoord2f(1, 1);
        glVertex3f(0.5f, 0.5f, 0);
        glTexCoord2f(0, 1);
        glVertex3f(-0.5f, 0.5f, 0);
        glEnd();
    }
    int builds = 0;
};

// A 24-bit picture whose pixel (x, y), y counted from the top row, takes colour(x, y).
inline std::unique_ptr<engine3d::TBitmap> pictureOf(int width, int height,
                                                    const std::function<Rgba(int x, int y)>& colour) {
    auto bitmap = std::make_unique<engine3d::TBitmap>();
    bitmap->SetPixelFormat(engine3d::pf24bit);
    bitmap->SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap->ScanLine(y);
        for (int x = 0; x < width; ++x) {
            Rgba c = colour(x, y);
            row[x * 3] = c.b;
            row[x * 3 + 1] = c.g;
            row[x * 3 + 2] = c.r;
        }
    }
    return bitmap;
}

// The picture as the texture of material, sampled texel by texel and drawn unlit as it is.
inline void useNearestTexture(engine3d::TGLMaterial* material, const engine3d::TBitmap& picture) {
    engine3d::TGLTexture* texture = material->GetTexture();
    texture->Image()->Assign(&picture);
    texture->SetMinFilter(engine3d::miNearest);
    texture->SetMagFilter(engine3d::maNearest);
    texture->SetTextureMode(engine3d::tmReplace);
    texture->SetDisabled(false);
}

// x from the left, y from the bottom of the current context's frame.
inline Rgba readPixel(int x, int y) {
    Rgba value{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &value);
    return value;
}

// x from the left, y from the bottom of what buffer last rendered.
inline Rgba readPixel(engine3d::TGL3DSceneBuffer& buffer, int x, int y) {
    buffer.RenderingContext()->ContextActivate();
    Rgba value = readPixel(x, y);
    buffer.RenderingContext()->ContextDeactivate();
    return value;
}

struct ShapeScene {
    engine3d::TGL3DScene scene;
    engine3d::TGL3DSceneBuffer buffer;
    engine3d::TGLCamera* camera = nullptr;
    std::string why;

    // False (with the reason in why) when no OpenGL context can be had. An orthogonal camera on +z
    // shows -1..1 across the buffer.
    bool create(int width, int height) {
        engine3d::InitGLWin32Context();
        camera = scene.Cameras()->AddNewChild<engine3d::TGLCamera>();
        camera->SetCameraStyle(engine3d::csOrthogonal);
        camera->Position()->SetPoint(0, 0, 50);
        buffer.SetCamera(camera);
        buffer.SetBackgroundColor(0x000000);
        buffer.SetLighting(false);
        buffer.Resize(width, height);
        try {
            buffer.CreateRC(nullptr, true);
        } catch (const std::exception& e) {
            why = e.what();
            return false;
        }
        return true;
    }

    void render() { buffer.Render(nullptr); }

    // x from the left, y from the bottom of the buffer.
    Rgba pixel(int x, int y) { return readPixel(buffer, x, y); }
};

inline void expectColour(Rgba seen, int r, int g, int b, const std::string& where, int tolerance = 4) {
    EXPECT_NEAR(seen.r, r, tolerance) << where;
    EXPECT_NEAR(seen.g, g, tolerance) << where;
    EXPECT_NEAR(seen.b, b, tolerance) << where;
}

} // namespace engine3d_test

#define REQUIRE_SHAPE_SCENE(s, width, height)                                                                \
    engine3d_test::ShapeScene s;                                                                             \
    if (!s.create(width, height)) GTEST_SKIP() << "no OpenGL context: " << s.why;
