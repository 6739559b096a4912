#include "GL3DScene.h"
#include "GLState.h"
#include "GLTexture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace engine3d;

namespace {

// Every call the cache makes, by name and its first two number arguments.
struct Call {
    std::string name;
    GLenum a = 0, b = 0;
};
std::vector<Call> calls;

template <size_t N> struct Name {
    char text[N];
    constexpr Name(const char (&name)[N]) { std::copy_n(name, N, text); }
};
GLenum number(GLenum value) {
    return value;
}
GLenum number(const GLfloat*) {
    return 0;
}
template <Name name, class... Args> void record(Args... args) {
    const GLenum numbers[] = {number(args)..., 0, 0};
    calls.push_back({name.text, numbers[0], numbers[1]});
}

const TGLStateFunctions countingFunctions = {
    record<"Enable">,       record<"Disable">,     record<"PolygonMode">, record<"Materiali">,
    record<"Materialfv">,   record<"BindTexture">, record<"MatrixMode">,  record<"LoadMatrixf">,
    record<"LoadIdentity">, record<"FrontFace">};

class StateCache : public ::testing::Test {
protected:
    void SetUp() override { calls.clear(); }
    int count(const std::string& name) const {
        return int(std::count_if(calls.begin(), calls.end(), [&](const Call& c) { return c.name == name; }));
    }
    TGLStateCache cache{countingFunctions};
};

const TVector red = {1, 0, 0, 1};
const TVector black = {0, 0, 0, 1};

} // namespace

TEST_F(StateCache, EnableReachesGLOnlyOnChange) {
    cache.StateCacheDisable(stDither);
    EXPECT_TRUE(calls.empty()) << "a fresh cache counts every state as off";
    cache.StateCacheEnable(stDither);
    cache.StateCacheEnable(stDither);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].a, static_cast<GLenum>(GL_DITHER));
    cache.StateCacheDisable(stDither);
    cache.StateCacheDisable(stDither);
    EXPECT_EQ(count("Disable"), 1);
    EXPECT_FALSE(cache.StateIsEnabled(stDither));
}

TEST_F(StateCache, EveryIndexMapsToItsCapability) {
    const GLenum expected[cGLStateCount] = {
        GL_ALPHA_TEST,       GL_AUTO_NORMAL,         GL_BLEND,          GL_COLOR_MATERIAL,
        GL_CULL_FACE,        GL_DEPTH_TEST,          GL_DITHER,         GL_FOG,
        GL_LIGHTING,         GL_LINE_SMOOTH,         GL_LINE_STIPPLE,   GL_LOGIC_OP,
        GL_NORMALIZE,        GL_POINT_SMOOTH,        GL_POLYGON_SMOOTH, GL_POLYGON_STIPPLE,
        GL_SCISSOR_TEST,     GL_STENCIL_TEST,        GL_TEXTURE_1D,     GL_TEXTURE_2D,
        GL_TEXTURE_CUBE_MAP, GL_TEXTURE_RECTANGLE_NV};
    for (int i = 0; i < cGLStateCount; ++i) {
        calls.clear();
        cache.StateCacheEnable(static_cast<TGLState>(i));
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].a, expected[i]) << "state " << i;
    }
}

TEST_F(StateCache, SameTextureBindsOnceUntilReset) {
    cache.StateCacheBindTexture(0, GL_TEXTURE_2D, 5);
    cache.StateCacheBindTexture(0, GL_TEXTURE_2D, 5);
    EXPECT_EQ(count("BindTexture"), 1);
    cache.StateCacheBindTexture(1, GL_TEXTURE_2D, 5);
    EXPECT_EQ(count("BindTexture"), 2) << "each unit has its own cache";
    cache.ResetGLCurrentTexture();
    cache.StateCacheBindTexture(0, GL_TEXTURE_2D, 5);
    EXPECT_EQ(count("BindTexture"), 3);
    cache.StateCacheBindTexture(8, GL_TEXTURE_2D, 5);
    cache.StateCacheBindTexture(8, GL_TEXTURE_2D, 5);
    EXPECT_EQ(count("BindTexture"), 5) << "units beyond the cache always reach GL";
}

TEST_F(StateCache, MaterialColoursCompareBitwise) {
    cache.SetGLMaterialColors(GL_FRONT, red, red, red, red, 10);
    EXPECT_EQ(count("Materiali"), 1);
    EXPECT_EQ(count("Materialfv"), 4);
    calls.clear();
    TVector redHalfAlpha = {1, 0, 0, 0.5f};
    cache.SetGLMaterialColors(GL_FRONT, redHalfAlpha, redHalfAlpha, red, redHalfAlpha, 10);
    EXPECT_TRUE(calls.empty()) << "alpha alone changes nothing but diffuse";
    cache.SetGLMaterialColors(GL_FRONT, red, red, redHalfAlpha, red, 10);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].b, static_cast<GLenum>(GL_DIFFUSE));
    calls.clear();
    cache.SetGLMaterialColors(GL_BACK, red, red, redHalfAlpha, red, 10);
    EXPECT_EQ(calls.size(), 5u) << "the back face has its own cache";
    calls.clear();
    TVector negativeZero = {1, -0.0f, 0, 1};
    cache.SetGLMaterialColors(GL_BACK, negativeZero, red, redHalfAlpha, red, 10);
    EXPECT_EQ(calls.size(), 1u) << "-0 differs from +0 bit for bit";
    calls.clear();
    cache.StateCacheSetMaterialAlpha(GL_BACK, 0.5f);
    EXPECT_TRUE(calls.empty()) << "the diffuse alpha is already 0.5";
    cache.StateCacheSetMaterialAlpha(GL_BACK, 0.25f);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].b, static_cast<GLenum>(GL_DIFFUSE));
}

TEST_F(StateCache, ResetMaterialSetsDefaultsAndForgetsColours) {
    cache.SetGLMaterialColors(GL_FRONT, black, black, red, black, 0);
    calls.clear();
    cache.ResetGLMaterialColors();
    EXPECT_EQ(count("Materialfv"), 4);
    EXPECT_EQ(count("Materiali"), 1);
    EXPECT_EQ(calls[0].a, static_cast<GLenum>(GL_FRONT_AND_BACK));
    calls.clear();
    cache.SetGLMaterialColors(GL_FRONT, black, black, red, black, 0);
    EXPECT_EQ(count("Materiali"), 0) << "shininess 0 is known after the reset";
    EXPECT_EQ(count("Materialfv"), 4);
}

TEST_F(StateCache, UnculledMaterialSendsItsOwnBackColours) {
    cache.StateCacheEnable(stLighting);
    TGLMaterial material;
    material.FrontProperties()->Diffuse()->SetColor(red);
    material.SetFaceCulling(fcNoCull);
    TRenderContextInfo rci;
    rci.StateCache = &cache;
    material.Apply(rci);
    calls.clear();
    cache.SetGLMaterialColors(GL_BACK, black, {0.2f, 0.2f, 0.2f, 1}, {0.8f, 0.8f, 0.8f, 1}, black, 0);
    EXPECT_TRUE(calls.empty()) << "the back face already has the default colours";
}

TEST_F(StateCache, PolygonModePerFaceAndBoth) {
    cache.SetGLPolygonMode(GL_FRONT, GL_LINE);
    cache.SetGLPolygonMode(GL_FRONT, GL_LINE);
    EXPECT_EQ(count("PolygonMode"), 1);
    cache.SetGLPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    EXPECT_EQ(count("PolygonMode"), 2) << "the back face was not known yet";
    cache.SetGLPolygonMode(GL_BACK, GL_LINE);
    cache.SetGLPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    EXPECT_EQ(count("PolygonMode"), 2);
    cache.ResetGLPolygonMode();
    cache.SetGLPolygonMode(GL_BACK, GL_LINE);
    EXPECT_EQ(count("PolygonMode"), 3);
}

TEST_F(StateCache, FrontFaceAndTextureMatrix) {
    cache.InvertGLFrontFace();
    cache.InvertGLFrontFace();
    ASSERT_EQ(count("FrontFace"), 2);
    EXPECT_EQ(calls[0].a, static_cast<GLenum>(GL_CW));
    EXPECT_EQ(calls[1].a, static_cast<GLenum>(GL_CCW));
    EXPECT_TRUE(cache.FrontFaceCCW());
    calls.clear();
    cache.ResetGLTextureMatrix();
    EXPECT_TRUE(calls.empty());
    cache.SetGLTextureMatrix(IdentityHmgMatrix);
    EXPECT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].a, static_cast<GLenum>(GL_TEXTURE));
    EXPECT_EQ(calls[2].a, static_cast<GLenum>(GL_MODELVIEW));
    calls.clear();
    cache.ResetGLTextureMatrix();
    cache.ResetGLTextureMatrix();
    EXPECT_EQ(count("LoadIdentity"), 1);
}

TEST_F(StateCache, ResetAllKeepsEnabledStatesAndTextureMatrix) {
    cache.StateCacheEnable(stBlend);
    cache.SetGLTextureMatrix(IdentityHmgMatrix);
    cache.StateCacheBindTexture(0, GL_TEXTURE_2D, 3);
    calls.clear();
    cache.ResetAll();
    EXPECT_EQ(count("FrontFace"), 1);
    EXPECT_EQ(count("Enable") + count("Disable") + count("LoadIdentity"), 0);
    EXPECT_TRUE(cache.StateIsEnabled(stBlend));
    EXPECT_FALSE(cache.TextureMatrixIsIdentity());
    calls.clear();
    cache.StateCacheBindTexture(0, GL_TEXTURE_2D, 3);
    EXPECT_EQ(count("BindTexture"), 1);
}
