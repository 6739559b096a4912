// Scene graph without OpenGL: orientation rules, lazy matrices, change flags and notification, tree
// operations, light registration, picking, the camera's projection figures and the buffer's settings.
#include "GL3DScene.h"
#include "GLTestSupport.h"
#include "GLTexture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace engine3d;
using engine3d_test::expectNear;

TEST(SceneObject, DefaultsAndLocalMatrixFromCoordinates) {
    TGLBaseSceneObject object;
    expectNear(object.Position()->AsVector(), {0, 0, 0, 1});
    expectNear(object.Direction()->AsVector(), {0, 0, 1, 0});
    expectNear(object.Up()->AsVector(), {0, 1, 0, 0});
    expectNear(object.Scale()->AsVector(), {1, 1, 1, 0});
    EXPECT_EQ(object.Changes(), cAllObjectChanges);
    EXPECT_TRUE(object.Visible());
    EXPECT_EQ(object.ObjectsSorting(), osInherited);
    EXPECT_EQ(object.VisibilityCulling(), vcInherited);

    object.Position()->SetPoint(1, 2, 3);
    object.Scale()->SetVector(2, 3, 4);
    TMatrix m = object.Matrix();
    // right = up x direction = (1, 0, 0) scaled by 2; up by 3; direction by 4; translation in row 3.
    expectNear(m, {{{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {1, 2, 3, 1}}});
    EXPECT_FALSE(object.Changes() & ObjectChange(ocLocalMatrix));
}

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

TEST(SceneObject, NullDirectionOrUpIsIgnoredBySetters) {
    TGLBaseSceneObject object;
    TGLCoordinates null;
    null.SetVector(0, 0, 0);
    object.SetDirection(&null);
    object.SetUp(&null);
    expectNear(object.Direction()->AsVector(), {0, 0, 1, 0});
    expectNear(object.Up()->AsVector(), {0, 1, 0, 0});
}

TEST(SceneObject, AnglesAreRelativeAndNormalised) {
    TGLBaseSceneObject object;
    object.SetTurnAngle(30);
    object.SetTurnAngle(40);
    EXPECT_FLOAT_EQ(object.TurnAngle(), 40);
    // Turning by -40 degrees in total about up (0, 1, 0): the direction (0, 0, 1) rotates in the XZ plane.
    float angle = 40 * cPIdiv180;
    TVector d = object.Direction()->AsVector();
    EXPECT_NEAR(std::fabs(d[0]), std::sin(angle), 1e-5f);
    EXPECT_NEAR(d[2], std::cos(angle), 1e-5f);
    object.SetTurnAngle(190);
    EXPECT_FLOAT_EQ(object.TurnAngle(), -170);
    object.SetPitchAngle(90);
    EXPECT_NEAR(DotProduct3(object.Direction()->AsAffineVector(), object.Up()->AsAffineVector()), 0, 1e-5f);
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

TEST(SceneObject, BoundsAndPointInObject) {
    TGLBaseSceneObject object;
    object.Scale()->SetVector(2, 4, 6);
    expectNear(object.AxisAlignedDimensions(), {1, 2, 3, 0});
    EXPECT_NEAR(object.SceneObjectBoundingSphereRadius(), std::sqrt(14.0f), 1e-5f);
    EXPECT_NEAR(object.SceneObjectBoundingSphereRadiusUnscaled(), std::sqrt(0.75f), 1e-5f);
    TAABB box = object.SceneObjectBoundingBox();
    EXPECT_FLOAT_EQ(box.max[1], 2);
    object.Position()->SetPoint(10, 0, 0);
    EXPECT_TRUE(object.PointInObject({10.4f, 0, 0, 1}));
    EXPECT_FALSE(object.PointInObject({12, 0, 0, 1}));
}

TEST(SceneObject, SilhouetteIsATwentyOneSegmentDisc) {
    TGLBaseSceneObject object;
    TGLSilhouetteParameters params;
    params.Style = ssParallel;
    params.LightDirection = {0, 0, 1};
    params.CappingRequired = true;
    std::unique_ptr<TGLSilhouette> silhouette(object.GenerateSilhouette(params));
    EXPECT_EQ(silhouette->Vertices().Count(), 22);
    EXPECT_EQ(silhouette->Indices().Count(), 42);
    EXPECT_EQ(silhouette->CapIndices().Count(), 63);
    params.Style = static_cast<TGLSilhouetteStyle>(2);
    EXPECT_THROW(object.GenerateSilhouette(params), EAssertionFailed);
}

TEST(SceneTree, AddInsertRemoveAndIndex) {
    TGLBaseSceneObject parent;
    auto* a = new TGLBaseSceneObject();
    auto* b = new TGLBaseSceneObject();
    auto* c = new TGLBaseSceneObject();
    parent.AddChild(a);
    parent.AddChild(b);
    parent.Insert(0, c);
    ASSERT_EQ(parent.SceneObjectChildCount(), 3);
    EXPECT_EQ(parent.SceneObjectChild(0), c);
    EXPECT_EQ(a->Index(), 1);
    EXPECT_EQ(c->Parent(), &parent);
    EXPECT_THROW(parent.SceneObjectChild(3), EListError);

    b->SetIndex(-5);
    EXPECT_EQ(parent.SceneObjectChild(0), b);
    b->SetIndex(99);
    EXPECT_EQ(parent.SceneObjectChild(2), b);

    // keepChildren moves the removed node's children up.
    auto* grandChild = new TGLBaseSceneObject();
    a->AddChild(grandChild);
    parent.Remove(a, true);
    EXPECT_EQ(a->Parent(), nullptr);
    EXPECT_EQ(grandChild->Parent(), &parent);
    EXPECT_EQ(a->SceneObjectChildCount(), 0);
    delete a;

    TGLBaseSceneObject other;
    c->MoveTo(&other);
    EXPECT_EQ(c->Parent(), &other);
    for (int i = 0; i < parent.SceneObjectChildCount(); ++i)
        EXPECT_NE(parent.SceneObjectChild(i), c);
}

TEST(SceneTree, DeleteChildrenFreesAndLiftsCameraChildren) {
    TGL3DScene scene;
    TGLBaseSceneObject* holder = scene.Objects()->AddNewChild<TGLBaseSceneObject>();
    auto* camera = holder->AddNewChild<TGLCamera>();
    auto* underCamera = camera->AddNewChild<TGLBaseSceneObject>();
    (void)underCamera;
    holder->AddNewChild<TGLBaseSceneObject>();
    holder->DeleteChildren();
    EXPECT_EQ(holder->SceneObjectChildCount(), 0);
    EXPECT_EQ(scene.ComponentCount(), 3); // the two roots and the holder
}

TEST(SceneTree, NewChildOfClassAndAssignCopiesSubtree) {
    TGLBaseSceneObject source;
    source.Position()->SetPoint(1, 2, 3);
    source.SetShowAxes(true);
    source.AddNewChild(TGLCamera::StaticClass());
    source.AddNewChildFirst(TGLBaseSceneObject::StaticClass());
    TGLBaseSceneObject copy;
    copy.Assign(&source);
    expectNear(copy.Position()->AsVector(), {1, 2, 3, 1});
    EXPECT_TRUE(copy.ShowAxes());
    ASSERT_EQ(copy.SceneObjectChildCount(), 2);
    EXPECT_EQ(copy.SceneObjectChild(1)->ClassName(), "TGLCamera");
}

TEST(SceneTree, LightTableHasEightSlots) {
    TGL3DScene scene;
    TGLLightSource* lights[9];
    for (auto*& light : lights)
        light = scene.Objects()->AddNewChild<TGLLightSource>();
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(scene.Light(i), lights[i]);
        EXPECT_EQ(lights[i]->LightID(), static_cast<GLenum>(GL_LIGHT0 + i));
    }
    EXPECT_EQ(lights[8]->LightID(), 0u);
    // Removing an earlier light frees its slot for the next registration.
    scene.Objects()->Remove(lights[2], false);
    EXPECT_EQ(scene.Light(2), nullptr);
    auto* extra = new TGLLightSource(&scene);
    scene.Objects()->AddChild(extra);
    EXPECT_EQ(scene.Light(2), extra);
    EXPECT_EQ(extra->LightID(), static_cast<GLenum>(GL_LIGHT0 + 2));
    delete lights[2];
}

TEST(SceneTree, SceneDefaultsFoldInherited) {
    TGL3DScene scene;
    EXPECT_EQ(scene.Objects()->Name(), "ObjectRoot");
    EXPECT_EQ(scene.Cameras()->Name(), "CameraRoot");
    EXPECT_EQ(scene.ObjectsSorting(), osRenderBlendedLast);
    scene.SetObjectsSorting(osNone);
    scene.SetObjectsSorting(osInherited);
    EXPECT_EQ(scene.ObjectsSorting(), osRenderBlendedLast);
    scene.SetVisibilityCulling(vcObjectBased);
    scene.SetVisibilityCulling(vcInherited);
    EXPECT_EQ(scene.VisibilityCulling(), vcNone);
}

TEST(SceneTree, RayCastFindsNearestVisible) {
    TGL3DScene scene;
    auto* near = scene.Objects()->AddNewChild<TGLBaseSceneObject>();
    auto* far = scene.Objects()->AddNewChild<TGLBaseSceneObject>();
    near->Position()->SetPoint(0, 0, -5);
    far->Position()->SetPoint(0, 0, -10);
    TVector point, normal;
    EXPECT_EQ(scene.RayCastIntersect({0, 0, 0, 1}, {0, 0, -1, 0}, &point, &normal), near);
    EXPECT_NEAR(point[2], -5 + near->SceneObjectBoundingSphereRadius(), 1e-4f);
    expectNear(normal, {0, 0, 1, 0}, "", 1e-4f);
    near->SetVisible(false);
    EXPECT_EQ(scene.RayCastIntersect({0, 0, 0, 1}, {0, 0, -1, 0}), far);
    EXPECT_EQ(scene.RayCastIntersect({0, 0, 0, 1}, {0, 1, 0, 0}), nullptr);
}

TEST(Camera, SettersAndFieldOfView) {
    TGLCamera camera;
    expectNear(camera.Direction()->AsVector(), {0, 0, -1, 0});
    camera.SetFocalLength(-5);
    EXPECT_FLOAT_EQ(camera.FocalLength(), 1);
    camera.SetNearPlaneBias(0);
    EXPECT_FLOAT_EQ(camera.NearPlaneBias(), 1);
    camera.SetSceneScale(0);
    EXPECT_FLOAT_EQ(camera.SceneScale(), 1);
    camera.SetFieldOfView(90, 200);
    EXPECT_NEAR(camera.FocalLength(), 100, 1e-3f);
    EXPECT_NEAR(camera.GetFieldOfView(200), 90, 1e-3f);
}

TEST(Camera, FrustumBoundsByStyle) {
    TGLCamera camera;
    TRectangle viewport{0, 0, 200, 100};
    float l, r, b, t, n, f;
    camera.SetCameraStyle(csOrthogonal);
    camera.ComputeFrustumBounds(viewport, 200, 100, 96, l, r, b, t, n, f);
    // 100 / (width x focal length) scaled by width^2 / (2 maxDim): half width 0.5 x 200 / 50 / 200 x 100...
    EXPECT_NEAR(r, 200.0f * 200 * (100.0f / (200 * 50)) / 400, 1e-5f);
    EXPECT_NEAR(l, -r, 1e-5f);
    EXPECT_NEAR(t, 100.0f * 100 * (100.0f / (100 * 50)) / 400, 1e-5f);
    float width = r - l, height = t - b;
    camera.SetFocalLength(100);
    camera.ComputeFrustumBounds(viewport, 200, 100, 96, l, r, b, t, n, f);
    EXPECT_NEAR(r - l, width / 2, 1e-5f);
    EXPECT_NEAR(t - b, height / 2, 1e-5f);
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

TEST(LightSource, CutOffAndDirection) {
    TGLLightSource light;
    // Cut-offs between 90 and 180 are not valid for OpenGL and are refused.
    for (float given : {120.0f, 45.0f, 180.0f}) {
        float before = light.SpotCutOff();
        light.SetSpotCutOff(given);
        EXPECT_FLOAT_EQ(light.SpotCutOff(), given == 120.0f ? before : given) << given;
    }
    TGLCoordinates direction;
    direction.SetVector(1, 0, 0, 1);
    light.SetSpotDirection(&direction);
    expectNear(light.SpotDirection()->AsVector(), {1, 0, 0, 0});
}

TEST(SceneBuffer, ViewportBoundsAndChangeKinds) {
    TGL3DSceneBuffer buffer;
    buffer.Resize(0, 0);
    EXPECT_EQ(buffer.Width(), 1);
    EXPECT_EQ(buffer.Height(), 1);
    EXPECT_NO_THROW(buffer.Render(nullptr)); // no context: nothing
    EXPECT_THROW(buffer.PopModelViewMatrix(), EAssertionFailed);

    int structural = 0, changes = 0;
    buffer.OnStructuralChange = [&](TObject*) { ++structural; };
    buffer.OnChange = [&](TObject*) { ++changes; };
    buffer.SetAntiAliasing(aa4x);
    buffer.SetContextOptions(ContextOption(roDoubleBuffer));
    buffer.SetBackgroundColor(0xFF);
    buffer.SetDepthTest(false);
    buffer.SetDepthTest(false);
    EXPECT_EQ(structural, 2);
    EXPECT_EQ(changes, 2);
}
