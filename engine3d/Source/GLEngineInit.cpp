#include "GLEngineInit.h"

#include "DDS.h"
#include "GL3DScene.h"
#include "GLBitmapFont.h"
#include "GLContext.h"
#include "GLHUDObjects.h"
#include "GLObjects.h"
#include "GLSkyBox.h"
#include "GLTexture.h"
#include "GLWin32Context.h"
#include "GLWin32Viewer.h"
#include "PersistentClasses.h"
#include "PlatformJPEG.h"
#include "VectorGeometry.h"
#include "VectorLists.h"
#include "XOpenGL.h"

#include <cstdlib>

namespace engine3d {

namespace {

// Below zero while started, as the units count: start-up decrements, shut-down increments.
int initCounter = 0;
int startUps = 0;

} // namespace

void InitEngine3D() {
    if (initCounter-- != 0) return;
    ++startUps;
    InitVectorGeometry();
    InitPersistentClasses();
    InitGLContext();
    InitVectorLists();
    InitXOpenGL();
    InitGL3DScene();
    InitGLTexture();
    InitGLWin32Context();
    InitGLWin32Viewer();
    InitGLBitmapFont();
    InitGLObjects();
    InitGLHUDObjects();
    InitDDS();
    InitGLSkyBox();
    // The texture previews decode JPEG levels as well as DDS ones.
    InitJPEGPictureFormat();
    std::atexit(FinalizeEngine3D);
}

void FinalizeEngine3D() {
    if (initCounter == 0 || ++initCounter != 0) return;
    FinalizeDDS();
    FinalizeGLContext();
}

int Engine3DStartUpCount() {
    return startUps;
}

} // namespace engine3d
