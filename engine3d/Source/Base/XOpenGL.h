// Fifteen texture-coordinate entry points routed to no unit, the first unit, the second, both, or any
// list of units, so that one piece of drawing code can feed every mapping.
#pragma once

#include "OpenGLImports.h"

#include <cstdint>
#include <vector>

namespace engine3d {

enum TMapTexCoordMode : uint8_t { mtcmUndefined, mtcmNull, mtcmMain, mtcmDual, mtcmSecond, mtcmArbitrary };

struct TXGLEntryPoints {
    void (*TexCoord2f)(GLfloat s, GLfloat t);
    void (*TexCoord2fv)(const GLfloat* v);
    void (*TexCoord3f)(GLfloat s, GLfloat t, GLfloat r);
    void (*TexCoord3fv)(const GLfloat* v);
    void (*TexCoord4f)(GLfloat s, GLfloat t, GLfloat r, GLfloat q);
    void (*TexCoord4fv)(const GLfloat* v);
    void (*TexGenf)(GLenum coord, GLenum pname, GLfloat param);
    void (*TexGenfv)(GLenum coord, GLenum pname, const GLfloat* params);
    void (*TexGeni)(GLenum coord, GLenum pname, GLint param);
    void (*TexGeniv)(GLenum coord, GLenum pname, const GLint* params);
    void (*TexCoordPointer)(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
    void (*EnableClientState)(GLenum array);
    void (*DisableClientState)(GLenum array);
    void (*Enable)(GLenum cap);
    void (*Disable)(GLenum cap);
};

// The entry points of the mode in force.
extern TXGLEntryPoints xgl;
extern TMapTexCoordMode vMapTexCoordMode;
extern bool ForbidSecondTextureUnit;

void InitXOpenGL();

void MapTexCoordToNull();
void MapTexCoordToMain();
void MapTexCoordToDual();
void MapTexCoordToSecond();
// Units as GL_TEXTURE0_ARB + i.
void MapTexCoordToArbitrary(const std::vector<GLenum>& units);
// Bit i selects unit i (0..7).
void MapTexCoordToArbitrary(uint32_t bitWiseUnits);
void MapTexCoordToArbitraryAdd(uint32_t bitWiseUnits);
// mtcmMain 1, mtcmDual 3, mtcmSecond 2, mtcmArbitrary its units; other modes fail an assertion.
uint32_t GetBitWiseMapping();
const std::vector<GLenum>& MapTexCoordUnits();

// Inside an update a selection is only recorded; the last end applies it.
void XGLBeginUpdate();
void XGLEndUpdate();

} // namespace engine3d
