#include "GLSkyBox.h"

namespace engine3d {

namespace {

// Corners of the six cube faces, each seen from inside the box.
constexpr std::array<std::array<TAffineVector, 4>, 6> cFaceCorners = {{
    {{{-1, 1, -1}, {-1, -1, -1}, {1, -1, -1}, {1, 1, -1}}}, // front
    {{{1, 1, 1}, {1, -1, 1}, {-1, -1, 1}, {-1, 1, 1}}},     // back
    {{{-1, 1, 1}, {-1, 1, -1}, {1, 1, -1}, {1, 1, 1}}},     // top
    {{{-1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}}}, // bottom
    {{{-1, 1, 1}, {-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}}}, // left
    {{{1, 1, -1}, {1, -1, -1}, {1, -1, 1}, {1, 1, 1}}},     // right
}};

// Half a texel's worth inside the edges keeps the seams from sampling the neighbouring border.
constexpr float cLow = 0.002f;
constexpr float cHigh = 0.998f;
constexpr std::array<TTexPoint, 4> cFaceTexCoords = {
    {{cLow, cHigh}, {cLow, cLow}, {cHigh, cLow}, {cHigh, cHigh}}};

bool isSideFace(TGLSkyBoxFace face) {
    return face == sbfFront || face == sbfBack || face == sbfLeft || face == sbfRight;
}

} // namespace

TGLSkyBoxStyleTransform SkyBoxStyleTransform(TGLSkyBoxStyle style) {
    switch (style) {
    case sbsTopHalf:
    case sbsTopHalfClamped:
        return {0.5f, 0.5f};
    case sbsBottomHalf:
        return {-0.5f, 0.5f};
    case sbTopTwoThirds:
        return {1.f / 3.f, 2.f / 3.f};
    case sbsFull:
        break;
    }
    return {};
}

TGLPrimitive BuildSkyBoxFace(TGLSkyBoxFace face, TGLSkyBoxStyle style, float cloudsOffset, float cloudsSize) {
    TGLPrimitive quads;
    quads.Mode = GL_QUADS;
    if (face == sbfClouds) {
        float s = cloudsSize / 2;
        float y = cloudsOffset;
        quads.Vertices = {{{-s, y, s}, {}, {0, 1}},
                          {{-s, y, -s}, {}, {0, 0}},
                          {{s, y, -s}, {}, {1, 0}},
                          {{s, y, s}, {}, {1, 1}}};
        return quads;
    }
    const auto& corners = cFaceCorners[face];
    for (int i = 0; i < 4; ++i)
        quads.Vertices.push_back({corners[i], {}, cFaceTexCoords[i]});
    if (style == sbsTopHalfClamped && isSideFace(face)) {
        TAffineVector low2 = corners[1], low3 = corners[2];
        TAffineVector deep2 = {low2[0], -3, low2[2]}, deep3 = {low3[0], -3, low3[2]};
        quads.Vertices.push_back({low2, {}, {cLow, cLow}});
        quads.Vertices.push_back({deep2, {}, {cLow, cLow}});
        quads.Vertices.push_back({deep3, {}, {cHigh, cLow}});
        quads.Vertices.push_back({low3, {}, {cHigh, cLow}});
    }
    return quads;
}

float SkyBoxScale(float depthOfView, float nearPlane) {
    return (depthOfView + nearPlane) / 2;
}

} // namespace engine3d
