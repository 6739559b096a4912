// Scene-wide state without OpenGL: the eight light slots, a light's spot settings, the defaults that fold
// inherited values, and the nearest visible object along a ray.
#include "GL3DScene.h"
#include "GLTestSupport.h"

#include <gtest/gtest.h>

using namespace engine3d;

TEST(SceneLights, EightSlotsAndAFreedSlotTakenAgain) {
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

TEST(SceneLights, SpotCutOffAndDirection) {
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
    engine3d_test::expectNear(light.SpotDirection()->AsVector(), {1, 0, 0, 0});
}

TEST(SceneWide, DefaultsFoldInherited) {
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

TEST(SceneWide, RayCastFindsNearestVisible) {
    TGL3DScene scene;
    auto* near = scene.Objects()->AddNewChild<TGLBaseSceneObject>();
    auto* far = scene.Objects()->AddNewChild<TGLBaseSceneObject>();
    near->Position()->SetPoint(0, 0, -5);
    far->Position()->SetPoint(0, 0, -10);
    TVector point, normal;
    EXPECT_EQ(scene.RayCastIntersect({0, 0, 0, 1}, {0, 0, -1, 0}, &point, &normal), near);
    EXPECT_NEAR(point[2], -5 + near->SceneObjectBoundingSphereRadius(), 1e-4f);
    engine3d_test::expectNear(normal, {0, 0, 1, 0}, "normal", 1e-4f);
    near->SetVisible(false);
    EXPECT_EQ(scene.RayCastIntersect({0, 0, 0, 1}, {0, 0, -1, 0}), far);
    EXPECT_EQ(scene.RayCastIntersect({0, 0, 0, 1}, {0, 1, 0, 0}), nullptr);
}
