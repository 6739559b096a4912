#include "OpenGLImports.h"

#include <cstring>

namespace engine3d {

TGLExtensionFlags GLExtensions;

bool HasGLExtension(const char* extensions, const char* name) {
    if (!extensions || !name || !*name) return false;
    size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at; at = std::strstr(at + 1, name)) {
        bool startsWord = at == extensions || at[-1] == ' ';
        bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord) return true;
    }
    return false;
}

void ReadGLExtensions() {
    TGLExtensionFlags flags;
    auto text = [](GLenum name) {
        const GLubyte* value = glGetString(name);
        return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
    };
    std::string version = text(GL_VERSION);
    if (version.size() >= 3) {
        flags.MajorVersion = version[0] - '0';
        flags.MinorVersion = version[2] - '0';
    }
    flags.Vendor = text(GL_VENDOR);
    flags.Renderer = text(GL_RENDERER);
    std::string all = text(GL_EXTENSIONS);
    const char* e = all.c_str();
    flags.ARB_multitexture = HasGLExtension(e, "GL_ARB_multitexture");
    flags.ARB_multisample = HasGLExtension(e, "GL_ARB_multisample");
    flags.ARB_texture_cube_map = HasGLExtension(e, "GL_ARB_texture_cube_map");
    flags.ARB_texture_compression = HasGLExtension(e, "GL_ARB_texture_compression");
    flags.ARB_point_parameters = HasGLExtension(e, "GL_ARB_point_parameters");
    flags.ARB_framebuffer_object = HasGLExtension(e, "GL_ARB_framebuffer_object");
    flags.EXT_framebuffer_object = HasGLExtension(e, "GL_EXT_framebuffer_object");
    flags.NV_multisample_filter_hint = HasGLExtension(e, "GL_NV_multisample_filter_hint");
    flags.NV_texture_rectangle =
        HasGLExtension(e, "GL_NV_texture_rectangle") || HasGLExtension(e, "GL_ARB_texture_rectangle");
    flags.SGIS_generate_mipmap = HasGLExtension(e, "GL_SGIS_generate_mipmap");
    flags.EXT_swap_control = HasGLExtension(e, "GLX_EXT_swap_control");
    flags.NV_fog_distance = HasGLExtension(e, "GL_NV_fog_distance");
    if (flags.NV_fog_distance) glGetIntegerv(GL_FOG_DISTANCE_MODE_NV, &flags.DefaultFogDistanceMode);
    GLExtensions = flags;
}

} // namespace engine3d
