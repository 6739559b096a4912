#include "GLMisc.h"
#include "XOpenGL.h"

#include <gtest/gtest.h>

using namespace engine3d;

TEST(GLCoordinates, StylesGuardTheSetters) {
    std::unique_ptr<TGLCoordinates> point(TGLCoordinates::CreateWithVector(nullptr, {0, 0, 0, 1}, csPoint));
    EXPECT_THROW(point->SetVector(1, 2, 3), EAssertionFailed);
    point->SetAsVector({4, 5, 6, 0});
    EXPECT_EQ(point->AsVector(), (TVector{4, 5, 6, 1}));
    std::unique_ptr<TGLCoordinates> direction(
        TGLCoordinates::CreateWithVector(nullptr, {0, 0, 1, 0}, csVector));
    EXPECT_THROW(direction->SetPoint(1, 2, 3), EAssertionFailed);
    direction->SetAsVector({0, 3, 4, 1});
    EXPECT_EQ(direction->W(), 0);
    direction->Normalize();
    EXPECT_TRUE(direction->Equals({0, 0.6f, 0.8f, 0}));
}

TEST(GLCoordinates, UnchangedDefaultIsNotStored) {
    std::unique_ptr<TGLCoordinates> c(TGLCoordinates::CreateWithVector(nullptr, {1, 2, 3, 1}, csPoint));
    EXPECT_FALSE(c->NeedsStoring());
    c->SetVector(TVector{1, 2, 3, 1});
    EXPECT_FALSE(c->NeedsStoring());
    c->SetCoordinate(0, -0.0f);
    EXPECT_TRUE(c->NeedsStoring());
    TMemoryStream stream;
    c->WriteData(stream);
    EXPECT_EQ(stream.Size(), 16);
    TGLCoordinates read;
    stream.SetPosition(0);
    read.ReadData(stream);
    EXPECT_TRUE(read.Equals(c->AsVector()));
    TStringStream shortData("12345678");
    EXPECT_THROW(read.ReadData(shortData), EReadError);
    TGLCoordinates fresh;
    EXPECT_TRUE(fresh.NeedsStoring()) << "coordinates without a default are always written";
}

class XOpenGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedMultitexture_ = GLExtensions.ARB_multitexture;
        GLExtensions.ARB_multitexture = true;
        ForbidSecondTextureUnit = false;
        MapTexCoordToNull();
    }
    void TearDown() override {
        ForbidSecondTextureUnit = false;
        MapTexCoordToNull();
        GLExtensions.ARB_multitexture = savedMultitexture_;
    }
    bool savedMultitexture_ = false;
};

TEST_F(XOpenGLTest, BitMasksOfTheModesAndTheForbiddenSecondUnit) {
    MapTexCoordToArbitrary(5u);
    EXPECT_EQ(vMapTexCoordMode, mtcmArbitrary);
    EXPECT_EQ(MapTexCoordUnits(), (std::vector<GLenum>{GL_TEXTURE0_ARB, GL_TEXTURE2_ARB}));
    MapTexCoordToArbitraryAdd(2u);
    EXPECT_EQ(GetBitWiseMapping(), 7u);
    MapTexCoordToDual();
    EXPECT_EQ(GetBitWiseMapping(), 3u);
    MapTexCoordToNull();
    EXPECT_THROW(GetBitWiseMapping(), EAssertionFailed);

    ForbidSecondTextureUnit = true;
    MapTexCoordToSecond();
    EXPECT_EQ(vMapTexCoordMode, mtcmNull);
    MapTexCoordToDual();
    EXPECT_EQ(vMapTexCoordMode, mtcmMain);
    MapTexCoordToArbitrary(7u);
    EXPECT_EQ(GetBitWiseMapping(), 5u);
}

TEST_F(XOpenGLTest, UpdatesDeferTheSelection) {
    XGLBeginUpdate();
    MapTexCoordToMain();
    XGLBeginUpdate();
    MapTexCoordToArbitrary(6u);
    XGLEndUpdate();
    EXPECT_EQ(vMapTexCoordMode, mtcmNull);
    XGLEndUpdate();
    EXPECT_EQ(vMapTexCoordMode, mtcmArbitrary);
    EXPECT_EQ(GetBitWiseMapping(), 6u);
    // The last selection wins, even when it names the mode already in force.
    MapTexCoordToNull();
    XGLBeginUpdate();
    MapTexCoordToMain();
    MapTexCoordToNull();
    XGLEndUpdate();
    EXPECT_EQ(vMapTexCoordMode, mtcmNull);
    GLExtensions.ARB_multitexture = false;
    EXPECT_THROW(MapTexCoordToDual(), EAssertionFailed) << "multitexture modes need the extension";
}
