// Engine start-up: every streamable class of the engine is found by name, the picture formats are
// installed, and a second start-up changes nothing.
#include "DDS.h"
#include "GLEngineInit.h"
#include "PictureRegisteredFormats.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace engine3d;

TEST(EngineStartUp, RegistersClassesAndFormatsOnce) {
    InitEngine3D();
    size_t formats = ListPictureFormats().size();
    InitEngine3D();
    EXPECT_EQ(Engine3DStartUpCount(), 1);
    EXPECT_EQ(ListPictureFormats().size(), formats);

    for (const char* name : {"TGLLightSource",   "TGLCamera",
                             "TGLProxyObject",   "TGL3DScene",
                             "TGLDirectOpenGL",  "TGLRenderPoint",
                             "TGLMemoryViewer",  "TGLMaterialLibrary",
                             "TGL3DSceneViewer", "TGLBitmapFont",
                             "TGLFlatText",      "TGLSphere",
                             "TGLCube",          "TGLPlane",
                             "TGLSprite",        "TGLPoints",
                             "TGLDummyCube",     "TGLLines",
                             "TGLHUDText",       "TGLHUDSprite",
                             "TGLSkyBox",        "TPersistentObjectList",
                             "TAffineVectorList"}) {
        EXPECT_NO_THROW(FindClass(name)) << name;
    }
    EXPECT_ANY_THROW(FindClass("TGLTeapot"));

    EXPECT_EQ(GraphicClassForExtension("dds"), &TDDSImage::StaticClass());
    EXPECT_NE(GraphicClassForExtension("jpg"), nullptr);
    auto list = ListPictureFormats();
    EXPECT_EQ(
        std::count_if(list.begin(), list.end(), [](const TPictureFormat& f) { return f.Extension == "dds"; }),
        1);
}
