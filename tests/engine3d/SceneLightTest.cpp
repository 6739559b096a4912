// Lights without OpenGL: the scene's eight light slots and a light's spot settings.
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
