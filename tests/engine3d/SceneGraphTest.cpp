// Scene graph without OpenGL: orientation rules, lazy matrices, change flags and notification, and the
// camera's projection figures.
#include "GL3DScene.h"
#include "GLTestSupport.h"
#include "GLTexture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine3d;
using engine3d_test::expectNear;

TEST(SceneObject, DirectionAndUpStayOrthonormal) {
    struct Row {
        TVector direction;
        TVector expectDirection;
        TVector expectUp;
    };
    const Row rows[] = {
        // Parallel to up: right falls back to (0, 0, 1) x up, and up turns perpendicular.
        {{0, 1, 0, 0}, {0, 1, 0, 0}, {0, 0, -1, 0}},
        {{0, 0, 5, 0}, {0, 0, 1, 0}, {0, 1, 0, 0}},
        {{1, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}},
    };
    for (const Row& row : rows) {
        TGLBaseSceneObject object;
        object.Direction()->SetVector(row.direction);
        object.Direction()->NotifyChange(object.Direction());
        expectNear(object.Direction()->AsVector(), row.expectDirection);
        expectNear(object.Up()->AsVector(), row.expectUp);
        EXPECT_NEAR(DotProduct3(object.Direction()->AsAffineVector(), object.Up()->AsAffineVector()), 0,
                    1e-5f);
    }
}

TEST(SceneObject, LocalAndAbsoluteMatricesChainParentsAndInvert) {
    TGLBaseSceneObject parent, *child = new TGLBaseSceneObject();
    parent.AddChild(child);
    child->Position()->SetPoint(1, 2, 3);
    child->Scale()->SetVector(2, 3, 4);
    // right = up x direction = (1, 0, 0) scaled by 2; up by 3; direction by 4; translation in row 3.
    expectNear(child->Matrix(), {{{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {1, 2, 3, 1}}});
    child->Scale()->SetVector(1, 1, 1);

    parent.Position()->SetPoint(10, 0, 0);
    parent.SetTurnAngle(-90);
    child->Position()->SetPoint(0, 0, 1);
    TVector absolute = child->SceneObjectAbsolutePosition();
    TVector back = child->SceneObjectAbsoluteToLocal(absolute);
    expectNear(back, {0, 0, 0, 1});
    // Child's origin is one unit along the parent's turned direction from (10, 0, 0).
    EXPECT_NEAR(VectorLength(SubtractVectors4(absolute, {10, 0, 0, 1})), 1, 1e-5f);

    // Scaled parent: the general inverse takes over.
    parent.Scale()->SetVector(2, 2, 2);
    TMatrix product;
    MultiplyMatrices(child->SceneObjectAbsoluteMatrix(), child->SceneObjectInvAbsoluteMatrix(), product);
    expectNear(product, IdentityHmgMatrix, "", 1e-4f);
    TVector p = child->SceneObjectLocalToAbsolute({1, 2, 3, 1});
    expectNear(child->SceneObjectAbsoluteToLocal(p), {1, 2, 3, 1}, "", 1e-4f);
}

TEST(SceneObject, TransformationChangeMarksDescendantsOnce) {
    TGLBaseSceneObject root, *child = new TGLBaseSceneObject(), *grandChild = new TGLBaseSceneObject();
    root.AddChild(child);
    child->AddChild(grandChild);
    grandChild->SceneObjectAbsoluteMatrix();
    grandChild->SceneObjectInvAbsoluteMatrix();
    EXPECT_FALSE(grandChild->Changes() & ObjectChange(ocAbsoluteMatrix));
    root.Position()->SetPoint(1, 0, 0);
    EXPECT_TRUE(root.Changes() & ObjectChange(ocLocalMatrix));
    EXPECT_TRUE(grandChild->Changes() & ObjectChange(ocAbsoluteMatrix));
    EXPECT_TRUE(grandChild->Changes() & ObjectChange(ocInverseMatrix));
    EXPECT_FALSE(grandChild->Changes() & ObjectChange(ocLocalMatrix));
    expectNear(grandChild->SceneObjectAbsolutePosition(), {1, 0, 0, 1});
}

TEST(SceneObject, ChangesNotifyTheSceneBuffersUnlessUpdating) {
    TGL3DScene scene;
    TGL3DSceneBuffer buffer;
    buffer.SetCamera(scene.Cameras()->AddNewChild<TGLCamera>());
    int notices = 0;
    buffer.OnChange = [&](TObject*) { ++notices; };
    auto* object = scene.Objects()->AddNewChild<TGLBaseSceneObject>();
    notices = 0;
    object->Matrix();
    object->Position()->SetPoint(1, 1, 1);
    EXPECT_EQ(notices, 1);
    // The local matrix is still dirty: a second move is not reported again.
    object->Position()->SetPoint(2, 2, 2);
    EXPECT_EQ(notices, 1);

    notices = 0;
    object->BeginUpdate();
    object->SetVisible(false);
    EXPECT_EQ(notices, 0);
    object->EndUpdate();
    EXPECT_EQ(notices, 1);
    EXPECT_THROW(object->EndUpdate(), EAssertionFailed);

    notices = 0;
    scene.BeginUpdate();
    object->SetVisible(true);
    object->SetShowAxes(true);
    EXPECT_EQ(notices, 0);
    scene.EndUpdate();
    EXPECT_EQ(notices, 1);
    EXPECT_THROW(scene.EndUpdate(), EAssertionFailed);
}

TEST(Camera, FieldOfViewSetsTheFocalLength) {
    TGLCamera camera;
    camera.SetFieldOfView(90, 200);
    EXPECT_NEAR(camera.FocalLength(), 100, 1e-3f);
    EXPECT_NEAR(camera.GetFieldOfView(200), 90, 1e-3f);
}

// The orthogonal bounds are read back in pixels by the render tests (focal length 50 shows -1..1, 100
// shows -0.5..0.5); the near and far planes and the perspective bounds are not.
TEST(Camera, FrustumBoundsByStyle) {
    TGLCamera camera;
    TRectangle viewport{0, 0, 200, 100};
    float l, r, b, t, n, f;
    camera.SetCameraStyle(csOrthogonal);
    camera.SetFocalLength(100);
    camera.ComputeFrustumBounds(viewport, 200, 100, 96, l, r, b, t, n, f);
    EXPECT_NEAR(n, 100 * 2 * 96 / (25.4f * 200), 1e-4f);
    EXPECT_NEAR(f, n + 100, 1e-4f);

    // Perspective: the bounds do not depend on the focal length; only the near plane does.
    camera.SetCameraStyle(csPerspective);
    camera.ComputeFrustumBounds(viewport, 200, 100, 96, l, r, b, t, n, f);
    float perspectiveWidth = r - l, near100 = n;
    camera.SetFocalLength(50);
    camera.ComputeFrustumBounds(viewport, 200, 100, 96, l, r, b, t, n, f);
    EXPECT_FLOAT_EQ(r - l, perspectiveWidth);
    EXPECT_NEAR(n, near100 / 2, 1e-5f);
}
