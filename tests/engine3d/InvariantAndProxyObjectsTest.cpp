// Objects that change how others are drawn: camera-invariant objects, direct-OpenGL objects, render points
// and proxies; behaviour and effect collections, their streaming and name paths; the memory viewer.
#include "GL3DScene.h"
#include "GLTexture.h"
#include "GLWin32Context.h"
#include "ShapeRenderSupport.h"

#include <gtest/gtest.h>

using namespace engine3d;

namespace {

class TestBehaviour : public TGLBaseBehaviour {
public:
    static const TXCollectionItemClass& Info() {
        static const TXCollectionItemClass info(
            "TestBehaviour", &TGLBaseBehaviour::StaticClass(), [] { return new TestBehaviour(); },
            "Test behaviour");
        return info;
    }
    const TXCollectionItemClass& ItemClass() const override { return Info(); }
    const TMetaClass& ClassType() const override { return Info(); }
    void DoProgress(const TProgressTimes& times) override { seen += times.DeltaTime; }
    double seen = 0;
};

class TestEffect : public TGLObjectEffect {
public:
    static const TXCollectionItemClass& Info() {
        static const TXCollectionItemClass info(
            "TestEffect", &TGLObjectEffect::StaticClass(), [] { return new TestEffect(); }, "Test effect");
        return info;
    }
    const TXCollectionItemClass& ItemClass() const override { return Info(); }
    const TMetaClass& ClassType() const override { return Info(); }
};

using Quad = engine3d_test::TexturedQuad;
using engine3d_test::readPixel;

} // namespace

TEST(Behaviours, CollectionsTakeTheirOwnKindsOnly) {
    TGLBaseSceneObject object;
    TestBehaviour::Info().CreateItem(object.Behaviours());
    EXPECT_EQ(object.Behaviours()->Count(), 1);
    EXPECT_THROW(TestEffect::Info().CreateItem(object.Behaviours()), EAssertionFailed);
    EXPECT_THROW(TestBehaviour::Info().CreateItem(object.Effects()), EAssertionFailed);
    TestEffect::Info().CreateItem(object.Effects());
    EXPECT_TRUE(object.HasEffects());
    auto* behaviour = static_cast<TestBehaviour*>(object.Behaviours()->Items(0));
    EXPECT_EQ(behaviour->OwnerBaseSceneObject(), &object);
    object.DoProgress({0.25, 1.0});
    EXPECT_DOUBLE_EQ(behaviour->seen, 0.25);
    TPersistent notASceneObject;
    EXPECT_THROW(TGLBehaviours{&notASceneObject}, EAssertionFailed);
}

TEST(Behaviours, StreamAsBinaryPropertiesWithVersionZero) {
    RegisterXCollectionItemClass(TestBehaviour::Info());
    TGLBaseSceneObject object;
    TMemoryStream empty;
    object.WriteBehavioursData(empty);
    EXPECT_EQ(empty.Size(), 0); // nothing to store
    TestBehaviour::Info().CreateItem(object.Behaviours());
    TMemoryStream stream;
    object.WriteBehavioursData(stream);
    stream.SetPosition(0);
    TGLBaseSceneObject copy;
    copy.ReadBehavioursData(stream);
    ASSERT_EQ(copy.Behaviours()->Count(), 1);
    EXPECT_EQ(copy.Behaviours()->Items(0)->ClassName(), "TestBehaviour");
    // A behaviour of another version is refused.
    std::vector<uint8_t>& bytes = stream.Bytes();
    bytes.back() = 1; // the behaviour's own version, a one-byte integer at the very end
    stream.SetPosition(0);
    TGLBaseSceneObject damaged;
    EXPECT_THROW(damaged.ReadBehavioursData(stream), EAssertionFailed);
    UnregisterXCollectionItemClass(TestBehaviour::Info());
}

TEST(Behaviours, NamePathsFollowTheOwner) {
    TGLBaseSceneObject object;
    TXCollectionItem* behaviour = TestBehaviour::Info().CreateItem(object.Behaviours());
    object.SetName("Cube1");
    EXPECT_EQ(behaviour->GetNamePath(), "Cube1.Behaviours[0]");
    EXPECT_EQ(object.Effects()->GetNamePath(), "Cube1.Effects");
}

TEST(Behaviours, DamagedCollectionCountEndsInAReadError) {
    RegisterXCollectionItemClass(TestBehaviour::Info());
    TStringStream stream;
    TBinaryWriter writer(stream);
    writer.WriteInteger(0x7FFFFFFF);
    writer.WriteString("TestBehaviour");
    writer.WriteInteger(0);
    writer.WriteString("only one");
    writer.WriteInteger(0);
    writer.WriteInteger(5); // a class index never written
    stream.SetPosition(0);
    TBinaryReader reader(stream);
    TXCollection collection;
    EXPECT_THROW(collection.ReadFromFiler(&reader), EReadError);
    UnregisterXCollectionItemClass(TestBehaviour::Info());
}

TEST(InvariantAndProxyObjects, StylesAndSettings) {
    TGLDirectOpenGL direct;
    EXPECT_EQ(direct.ObjectStyleFlags(), ObjectStyle(osImmediateDraw) | ObjectStyle(osAltersRenderState));
    direct.SetUseBuildList(true);
    EXPECT_FALSE(direct.ObjectStyleFlags() & ObjectStyle(osImmediateDraw));
    direct.ClearStructureChanged();
    direct.SetBlend(true);
    EXPECT_TRUE(direct.Blended());
    EXPECT_TRUE(direct.Changes() & ObjectChange(ocStructure));

    TGLProxyObject proxy;
    EXPECT_EQ(proxy.ProxyOptions(), cDefaultProxyOptions);
    EXPECT_EQ(proxy.ObjectStyleFlags(), ObjectStyle(osAltersRenderState));
    EXPECT_EQ(proxy.GenerateSilhouette({}), nullptr);
    {
        TGLBaseSceneObject master;
        master.Scale()->SetVector(4, 4, 4);
        proxy.SetMasterObject(&master);
        EXPECT_EQ(proxy.AxisAlignedDimensionsUnscaled(), (TVector{0.5f, 0.5f, 0.5f, 0}));
        master.Position()->SetPoint(0, 0, -10);
        TVector point;
        EXPECT_TRUE(proxy.RayCastIntersect({0, 0, 0, 1}, {0, 0, -1, 0}, &point));
    }
    EXPECT_EQ(proxy.MasterObject(), nullptr); // the master's destruction cleared it

    int freed = 0;
    {
        TGLRenderPoint point;
        point.RegisterCallBack(nullptr, [&](TObject*) { ++freed; });
        int token = point.RegisterCallBack(nullptr, [&](TObject*) { freed += 10; });
        point.UnRegisterCallBack(token);
        EXPECT_EQ(point.CallBackCount(), 1);
    }
    EXPECT_EQ(freed, 1);
}

TEST(InvariantAndProxyObjects, CameraTargetFreedIsDropped) {
    TGLCamera camera;
    {
        TGLBaseSceneObject target;
        camera.SetTargetObject(&target);
        EXPECT_EQ(camera.TargetObject(), &target);
    }
    EXPECT_EQ(camera.TargetObject(), nullptr);
}

TEST(InvariantAndProxyObjectsGL, DirectOpenGLAndProxyThroughAMemoryViewer) {
    InitGLWin32Context();
    TGL3DScene scene;
    // 32 x 32, unlit on black, through an orthogonal camera that shows -0.5..0.5.
    TGLMemoryViewer viewer;
    viewer.SetWidth(32);
    viewer.SetHeight(32);
    auto* camera = scene.Cameras()->AddNewChild<TGLCamera>();
    camera->SetCameraStyle(csOrthogonal);
    camera->SetFocalLength(100);
    camera->Position()->SetPoint(0, 0, 50);
    viewer.SetCamera(camera);
    viewer.Buffer()->SetBackgroundColor(0);
    viewer.Buffer()->SetLighting(false);

    auto* direct = scene.Objects()->AddNewChild<TGLDirectOpenGL>();
    int calls = 0;
    direct->OnRender = [&](TObject* sender, TRenderContextInfo& rci) {
        EXPECT_EQ(sender, direct);
        EXPECT_EQ(rci.Scene, &scene);
        ++calls;
    };
    try {
        viewer.Render();
    } catch (const Exception& e) {
        GTEST_SKIP() << "no OpenGL context: " << e.what();
    }
    viewer.Render();
    EXPECT_EQ(calls, 2); // immediate: every frame
    direct->SetUseBuildList(true);
    viewer.Render();
    viewer.Render();
    EXPECT_EQ(calls, 3); // compiled once into the display list

    // A proxy draws its hidden master in its own place; a proxy that reaches itself stops there.
    auto* master = scene.Objects()->AddNewChild<Quad>();
    master->Material()->FrontProperties()->Diffuse()->SetColor(1, 1, 0, 1);
    master->SetVisible(false);
    auto* proxy = scene.Objects()->AddNewChild<TGLProxyObject>();
    proxy->SetMasterObject(master);
    proxy->SetProxyOptions(ProxyOption(pooObjects));
    auto* loop = proxy->AddNewChild<TGLProxyObject>();
    loop->SetMasterObject(proxy);
    viewer.Render();
    engine3d_test::expectColour(readPixel(*viewer.Buffer(), 16, 16), 255, 255, 0,
                                "hidden master through the proxy", 0);
    EXPECT_EQ(master->builds, 1);

    // Resizing makes a new context of the new size at the next frame.
    viewer.SetWidth(16);
    viewer.Render();
    EXPECT_EQ(viewer.Buffer()->Width(), 16);
}

TEST(InvariantAndProxyObjectsGL, CameraInvariantObjectIgnoresCameraPosition) {
    REQUIRE_SHAPE_SCENE(s, 32, 32);
    s.camera->Position()->SetPoint(5, 0, 50); // the quad sits far left of the view
    auto* invariant = s.scene.Objects()->AddNewChild<TGLCameraInvariantObject>();
    invariant->SetCamInvarianceMode(cimPosition);
    invariant->Position()->SetPoint(0, 0, -50); // in front of the camera, wherever it is
    auto* quad = invariant->AddNewChild<Quad>();
    quad->Material()->FrontProperties()->Diffuse()->SetColor(0, 1, 0, 1);
    s.render();
    EXPECT_EQ(s.pixel(16, 16).g, 255);
    invariant->SetCamInvarianceMode(cimNone);
    s.render();
    EXPECT_EQ(s.pixel(16, 16).g, 0);
}
