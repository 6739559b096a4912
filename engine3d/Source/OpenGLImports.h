// The OpenGL import layer: headers with the extension prototypes, and one flag per extension the engine
// asks about, read from the current context.
#pragma once

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <string>

namespace engine3d {

struct TGLExtensionFlags {
    int MajorVersion = 0;
    int MinorVersion = 0;
    bool ARB_multitexture = false;
    bool ARB_multisample = false;
    bool ARB_texture_cube_map = false;
    bool ARB_texture_compression = false;
    bool ARB_point_parameters = false;
    bool ARB_framebuffer_object = false;
    bool EXT_framebuffer_object = false;
    bool NV_multisample_filter_hint = false;
    bool NV_texture_rectangle = false;
    bool SGIS_generate_mipmap = false;
    bool EXT_swap_control = false;
    bool NV_fog_distance = false;
    // The driver's own fog distance mode, read with the flags before anything changes it; 0 without the
    // fog-distance extension.
    GLint DefaultFogDistanceMode = 0;
    std::string Vendor;
    std::string Renderer;
};

// Flags of the context current at the last ReadGLExtensions (the last activation that saw a new
// vendor); all false before any.
extern TGLExtensionFlags GLExtensions;

// Reads version, vendor and extension flags from the current context.
void ReadGLExtensions();
bool HasGLExtension(const char* extensions, const char* name);

} // namespace engine3d
