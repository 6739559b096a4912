// Message texts of the engine shared by several units.
#pragma once

namespace engine3d {

inline constexpr const char* glsOpenGLVersionTooLow = "Need at least OpenGL version 1.1";
inline constexpr const char* glsFailedOpenFile = "Could not open file: %s";
inline constexpr const char* glsUnbalancedBeginEndUpdate = "Unbalanced Begin/EndUpdate";

} // namespace engine3d
