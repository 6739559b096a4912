#include "GLMisc.h"
#include "XOpenGL.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace engine3d;
using ::testing::HasSubstr;

namespace {

class TCountingComponent : public TGLCoordinatesUpdateAbleComponent {
public:
    int plainNotices = 0;
    std::vector<TGLCoordinates*> changed;
    void NotifyChange(TObject*) override { ++plainNotices; }
    void CoordinateChanged(TGLCoordinates* sender) override { changed.push_back(sender); }
};

class TCountingUpdateAble : public TGLUpdateAbleComponent {
public:
    int notices = 0;
    void NotifyChange(TObject*) override { ++notices; }
};

} // namespace

TEST(GLCoordinates, NoNoticeInsideAnUpdateUntilTheNextChange) {
    TGLUpdateAbleObject owner;
    int ownerNotices = 0;
    owner.OnNotifyChange = [&](TObject*) { ++ownerNotices; };
    TGLUpdateAbleObject root; // gives owner an owner so that its own notices fire
    TGLUpdateAbleObject ownerWithOwner(&root);
    ownerWithOwner.OnNotifyChange = [&](TObject*) { ++ownerNotices; };
    TGLCoordinates coordinates(&ownerWithOwner);
    coordinates.BeginUpdate();
    coordinates.SetCoordinate(0, 5);
    EXPECT_EQ(ownerNotices, 0);
    coordinates.EndUpdate();
    EXPECT_EQ(ownerNotices, 0) << "ending the update sends nothing by itself";
    coordinates.SetCoordinate(1, 6);
    EXPECT_EQ(ownerNotices, 1);
    EXPECT_EQ(coordinates.X(), 5);
    EXPECT_EQ(coordinates.Y(), 6);

    TGLCoordinates orphan;
    int orphanEvents = 0;
    orphan.OnNotifyChange = [&](TObject*) { ++orphanEvents; };
    orphan.SetCoordinate(2, 1);
    EXPECT_EQ(orphanEvents, 0) << "without an owner nothing is sent";
}

TEST(GLCoordinates, CoordinatesAwareOwnerGetsCoordinateChangedInstead) {
    TCountingComponent component;
    TGLCoordinates coordinates(&component);
    int events = 0;
    coordinates.OnNotifyChange = [&](TObject*) { ++events; };
    coordinates.SetPoint(1, 2, 3);
    ASSERT_EQ(component.changed.size(), 1u);
    EXPECT_EQ(component.changed[0], &coordinates);
    EXPECT_EQ(component.plainNotices, 0);
    EXPECT_EQ(events, 1);

    TCountingUpdateAble plain;
    TGLCoordinates other(&plain);
    other.SetVector(1, 0, 0);
    EXPECT_EQ(plain.notices, 1);
}

TEST(GLCoordinates, StylesGuardTheSetters) {
    std::unique_ptr<TGLCoordinates> point(TGLCoordinates::CreateWithVector(nullptr, {0, 0, 0, 1}, csPoint));
    EXPECT_THAT([&] { point->SetVector(1, 2, 3); },
                ::testing::ThrowsMessage<EAssertionFailed>(HasSubstr("engine3d\\Source\\GLMisc, line ")));
    EXPECT_THROW(point->SetVector(1, 2, 3, 4), EAssertionFailed);
    point->SetAsVector({4, 5, 6, 0});
    EXPECT_EQ(point->AsVector(), (TVector{4, 5, 6, 1}));

    std::unique_ptr<TGLCoordinates> direction(
        TGLCoordinates::CreateWithVector(nullptr, {0, 0, 1, 0}, csVector));
    EXPECT_THROW(direction->SetPoint(1, 2, 3), EAssertionFailed);
    direction->SetAsVector({0, 3, 4, 1});
    EXPECT_EQ(direction->W(), 0);
    EXPECT_FLOAT_EQ(direction->VectorLength(), 5);
    direction->Normalize();
    EXPECT_FLOAT_EQ(direction->Y(), 0.6f);
    EXPECT_TRUE(direction->Equals({0, 0.6f, 0.8f, 0}));
    EXPECT_THROW(direction->SetCoordinate(4, 1), EAssertionFailed);
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
    fresh.Assign(c.get());
    EXPECT_TRUE(fresh.Equals(c->AsVector()));
}

TEST(GLNodes, NodesNotifyTheOwnerAndMakeASpline) {
    TCountingUpdateAble owner;
    TGLNodes nodes(&owner);
    nodes.AddNode(0, 0, 1);
    EXPECT_EQ(owner.notices, 1) << "one notice at the end of the update";
    nodes.AddNode(1, 2, 1);
    nodes.AddNode(0, 4, 1);
    owner.notices = 0;
    nodes.Items(1)->SetX(1.5f);
    EXPECT_EQ(owner.notices, 1);
    EXPECT_EQ(nodes.Items(1)->DisplayName(), "1.5000; 2.0000; 1.0000");
    EXPECT_TRUE(nodes.Items(1)->StoreCoordinate(0));
    EXPECT_FALSE(nodes.Items(0)->StoreCoordinate(0));

    std::unique_ptr<TCubicSpline> spline(nodes.CreateNewCubicSpline());
    EXPECT_NEAR(spline->SplineX(1), 1.5f, 1e-5f);
    EXPECT_NEAR(spline->SplineY(2), 4, 1e-5f);
    EXPECT_EQ(spline->SplineW(1), 0);

    TGLNodes copy;
    copy.Assign(&nodes);
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_EQ(copy.Items(2)->Y(), 4);
    delete nodes.Items(0);
    EXPECT_EQ(nodes.Count(), 2);
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
    EXPECT_EQ(GetBitWiseMapping(), 5u);
    MapTexCoordToArbitraryAdd(2u);
    EXPECT_EQ(GetBitWiseMapping(), 7u);
    MapTexCoordToMain();
    EXPECT_EQ(GetBitWiseMapping(), 1u);
    MapTexCoordToDual();
    EXPECT_EQ(GetBitWiseMapping(), 3u);
    MapTexCoordToSecond();
    EXPECT_EQ(GetBitWiseMapping(), 2u);
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

TEST_F(XOpenGLTest, MultitextureModesNeedTheExtension) {
    GLExtensions.ARB_multitexture = false;
    EXPECT_THROW(MapTexCoordToDual(), EAssertionFailed);
    EXPECT_THROW(MapTexCoordToSecond(), EAssertionFailed);
    EXPECT_EQ(vMapTexCoordMode, mtcmNull);
    MapTexCoordToMain();
    EXPECT_EQ(vMapTexCoordMode, mtcmMain);
}
