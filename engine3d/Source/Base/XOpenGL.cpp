#include "XOpenGL.h"

#include "BaseClasses.h"

#include <algorithm>

namespace engine3d {

TMapTexCoordMode vMapTexCoordMode = mtcmUndefined;
bool ForbidSecondTextureUnit = false;

namespace {

std::vector<GLenum> vArbitraryUnits;
int vUpdCount = 0;
TMapTexCoordMode vUpdNewMode = mtcmUndefined;
std::vector<GLenum> vUpdNewUnits;

// ---- No unit ----
void nullTexCoord2f(GLfloat, GLfloat) {}
void nullTexCoord2fv(const GLfloat*) {}
void nullTexCoord3f(GLfloat, GLfloat, GLfloat) {}
void nullTexCoord3fv(const GLfloat*) {}
void nullTexCoord4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void nullTexCoord4fv(const GLfloat*) {}
void nullTexGenf(GLenum, GLenum, GLfloat) {}
void nullTexGenfv(GLenum, GLenum, const GLfloat*) {}
void nullTexGeni(GLenum, GLenum, GLint) {}
void nullTexGeniv(GLenum, GLenum, const GLint*) {}
void nullTexCoordPointer(GLint, GLenum, GLsizei, const GLvoid*) {}
void nullCap(GLenum) {}

const TXGLEntryPoints nullEntryPoints = {
    nullTexCoord2f,      nullTexCoord2fv, nullTexCoord3f, nullTexCoord3fv, nullTexCoord4f,
    nullTexCoord4fv,     nullTexGenf,     nullTexGenfv,   nullTexGeni,     nullTexGeniv,
    nullTexCoordPointer, nullCap,         nullCap,        nullCap,         nullCap};

// ---- First unit: the plain calls ----
const TXGLEntryPoints mainEntryPoints = {
    [](GLfloat s, GLfloat t) { glTexCoord2f(s, t); },
    [](const GLfloat* v) { glTexCoord2fv(v); },
    [](GLfloat s, GLfloat t, GLfloat r) { glTexCoord3f(s, t, r); },
    [](const GLfloat* v) { glTexCoord3fv(v); },
    [](GLfloat s, GLfloat t, GLfloat r, GLfloat q) { glTexCoord4f(s, t, r, q); },
    [](const GLfloat* v) { glTexCoord4fv(v); },
    [](GLenum c, GLenum p, GLfloat v) { glTexGenf(c, p, v); },
    [](GLenum c, GLenum p, const GLfloat* v) { glTexGenfv(c, p, v); },
    [](GLenum c, GLenum p, GLint v) { glTexGeni(c, p, v); },
    [](GLenum c, GLenum p, const GLint* v) { glTexGeniv(c, p, v); },
    [](GLint size, GLenum type, GLsizei stride, const GLvoid* p) {
        glTexCoordPointer(size, type, stride, p);
    },
    [](GLenum a) { glEnableClientState(a); },
    [](GLenum a) { glDisableClientState(a); },
    [](GLenum c) { glEnable(c); },
    [](GLenum c) { glDisable(c); },
};

// Runs call on each unit of the list: server state through the active unit, client state through the
// client-active unit; unit 0 is active again afterwards.
template <class F> void onUnits(const std::vector<GLenum>& units, F call) {
    for (GLenum unit : units) {
        glActiveTexture(unit);
        call();
    }
    glActiveTexture(GL_TEXTURE0_ARB);
}
template <class F> void onClientUnits(const std::vector<GLenum>& units, F call) {
    for (GLenum unit : units) {
        glClientActiveTexture(unit);
        call();
    }
    glClientActiveTexture(GL_TEXTURE0_ARB);
}

const std::vector<GLenum> dualUnits = {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB};
const std::vector<GLenum> secondUnits = {GL_TEXTURE1_ARB};

// Modes that go through a list of units: dual, second and arbitrary differ only in the list.
const std::vector<GLenum>& currentUnits() {
    switch (vMapTexCoordMode) {
    case mtcmDual:
        return dualUnits;
    case mtcmSecond:
        return secondUnits;
    default:
        return vArbitraryUnits;
    }
}

const TXGLEntryPoints unitListEntryPoints = {
    [](GLfloat s, GLfloat t) {
        for (GLenum u : currentUnits())
            glMultiTexCoord2f(u, s, t);
    },
    [](const GLfloat* v) {
        for (GLenum u : currentUnits())
            glMultiTexCoord2fv(u, v);
    },
    [](GLfloat s, GLfloat t, GLfloat r) {
        for (GLenum u : currentUnits())
            glMultiTexCoord3f(u, s, t, r);
    },
    [](const GLfloat* v) {
        for (GLenum u : currentUnits())
            glMultiTexCoord3fv(u, v);
    },
    [](GLfloat s, GLfloat t, GLfloat r, GLfloat q) {
        for (GLenum u : currentUnits())
            glMultiTexCoord4f(u, s, t, r, q);
    },
    [](const GLfloat* v) {
        for (GLenum u : currentUnits())
            glMultiTexCoord4fv(u, v);
    },
    [](GLenum c, GLenum p, GLfloat v) { onUnits(currentUnits(), [&] { glTexGenf(c, p, v); }); },
    [](GLenum c, GLenum p, const GLfloat* v) { onUnits(currentUnits(), [&] { glTexGenfv(c, p, v); }); },
    [](GLenum c, GLenum p, GLint v) { onUnits(currentUnits(), [&] { glTexGeni(c, p, v); }); },
    [](GLenum c, GLenum p, const GLint* v) { onUnits(currentUnits(), [&] { glTexGeniv(c, p, v); }); },
    [](GLint size, GLenum type, GLsizei stride, const GLvoid* p) {
        onClientUnits(currentUnits(), [&] { glTexCoordPointer(size, type, stride, p); });
    },
    [](GLenum a) { onClientUnits(currentUnits(), [&] { glEnableClientState(a); }); },
    [](GLenum a) { onClientUnits(currentUnits(), [&] { glDisableClientState(a); }); },
    [](GLenum c) { onUnits(currentUnits(), [&] { glEnable(c); }); },
    [](GLenum c) { onUnits(currentUnits(), [&] { glDisable(c); }); },
};

void applyMode(TMapTexCoordMode mode, const std::vector<GLenum>& units) {
    if (ForbidSecondTextureUnit) {
        if (mode == mtcmSecond)
            mode = mtcmNull;
        else if (mode == mtcmDual)
            mode = mtcmMain;
    }
    std::vector<GLenum> list = units;
    if (mode == mtcmArbitrary && ForbidSecondTextureUnit)
        list.erase(std::remove(list.begin(), list.end(), static_cast<GLenum>(GL_TEXTURE1_ARB)), list.end());
    // Inside an update every selection replaces the pending one, even one naming the mode in force.
    if (vUpdCount > 0) {
        vUpdNewMode = mode;
        vUpdNewUnits = list;
        return;
    }
    if (mode == vMapTexCoordMode && (mode != mtcmArbitrary || list == vArbitraryUnits)) return;
    switch (mode) {
    case mtcmNull:
        xgl = nullEntryPoints;
        break;
    case mtcmMain:
        xgl = mainEntryPoints;
        break;
    case mtcmDual:
    case mtcmSecond:
    case mtcmArbitrary:
        GLAssert(GLExtensions.ARB_multitexture, "");
        xgl = unitListEntryPoints;
        break;
    default:
        GLAssert(false, "");
    }
    if (mode == mtcmArbitrary) vArbitraryUnits = list;
    vMapTexCoordMode = mode;
}

std::vector<GLenum> unitsFromBits(uint32_t bits) {
    std::vector<GLenum> units;
    for (int i = 0; i < 8; ++i)
        if (bits & (1u << i)) units.push_back(static_cast<GLenum>(GL_TEXTURE0_ARB + i));
    return units;
}

} // namespace

TXGLEntryPoints xgl = nullEntryPoints;

void InitXOpenGL() {
    vMapTexCoordMode = mtcmUndefined;
    MapTexCoordToNull();
}

void MapTexCoordToNull() {
    applyMode(mtcmNull, {});
}
void MapTexCoordToMain() {
    applyMode(mtcmMain, {});
}
void MapTexCoordToDual() {
    applyMode(mtcmDual, {});
}
void MapTexCoordToSecond() {
    applyMode(mtcmSecond, {});
}
void MapTexCoordToArbitrary(const std::vector<GLenum>& units) {
    applyMode(mtcmArbitrary, units);
}
void MapTexCoordToArbitrary(uint32_t bitWiseUnits) {
    MapTexCoordToArbitrary(unitsFromBits(bitWiseUnits));
}
void MapTexCoordToArbitraryAdd(uint32_t bitWiseUnits) {
    MapTexCoordToArbitrary(GetBitWiseMapping() | bitWiseUnits);
}

uint32_t GetBitWiseMapping() {
    switch (vMapTexCoordMode) {
    case mtcmMain:
        return 1;
    case mtcmDual:
        return 3;
    case mtcmSecond:
        return 2;
    case mtcmArbitrary: {
        uint32_t bits = 0;
        for (GLenum unit : vArbitraryUnits)
            bits |= 1u << (unit - GL_TEXTURE0_ARB);
        return bits;
    }
    default:
        GLAssert(false, "");
    }
    return 0;
}

const std::vector<GLenum>& MapTexCoordUnits() {
    return currentUnits();
}

void XGLBeginUpdate() {
    if (vUpdCount++ == 0) {
        vUpdNewMode = vMapTexCoordMode;
        vUpdNewUnits = vArbitraryUnits;
    }
}

void XGLEndUpdate() {
    if (vUpdCount <= 0) return;
    if (--vUpdCount > 0) return;
    if (vUpdNewMode == vMapTexCoordMode && (vUpdNewMode != mtcmArbitrary || vUpdNewUnits == vArbitraryUnits))
        return;
    switch (vUpdNewMode) {
    case mtcmNull:
    case mtcmMain:
    case mtcmDual:
    case mtcmSecond:
    case mtcmArbitrary:
        applyMode(vUpdNewMode, vUpdNewUnits);
        break;
    default:
        GLAssert(false, "");
    }
}

namespace {
[[maybe_unused]] const bool xOpenGLInitialised = (InitXOpenGL(), true);
}

} // namespace engine3d
