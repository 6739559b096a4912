// Material shaders: balanced application, disabled shaders, the Enabled guard, passes, and the links
// between a shader and the library entries that use it.
#include "GL3DScene.h"
#include "GLTestSupport.h"
#include "GLTexture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace engine3d;

namespace {

class CountingShader : public TGLShader {
public:
    using TGLShader::TGLShader;
    int applies = 0, unapplies = 0, initializations = 0, finalizations = 0;
    int passes = 1;

protected:
    void DoApply(TRenderContextInfo&, TObject*) override { ++applies; }
    bool DoUnApply(TRenderContextInfo&) override { return ++unapplies < passes; }
    void DoInitialize() override { ++initializations; }
    void DoFinalize() override { ++finalizations; }
};

} // namespace

TEST(MaterialShader, BalancedApplicationsPassesAndDisabledShaders) {
    CountingShader shader;
    EXPECT_TRUE(shader.Enabled());
    EXPECT_EQ(shader.ShaderStyle(), ssLowLevel);
    EXPECT_FALSE(shader.Active());
    TRenderContextInfo rci;
    EXPECT_THROW(shader.UnApply(rci), EAssertionFailed);
    shader.Apply(rci, nullptr);
    EXPECT_TRUE(shader.Active());
    EXPECT_TRUE(shader.Initialized());
    EXPECT_THAT(engine3d_test::messageOf<EAssertionFailed>([&] { shader.Apply(rci, nullptr); }),
                ::testing::HasSubstr("Unbalanced shader application."));
    EXPECT_THROW(shader.SetEnabled(false), EAssertionFailed);
    EXPECT_TRUE(shader.Enabled());
    EXPECT_FALSE(shader.UnApply(rci));
    EXPECT_FALSE(shader.Active());
    EXPECT_EQ(shader.applies, 1);
    EXPECT_EQ(shader.initializations, 1);

    // Three passes: the first two unapplications ask for another.
    shader.passes = 3;
    shader.unapplies = 0;
    shader.Apply(rci, nullptr);
    EXPECT_TRUE(shader.UnApply(rci));
    EXPECT_TRUE(shader.Active());
    EXPECT_TRUE(shader.UnApply(rci));
    EXPECT_FALSE(shader.UnApply(rci));
    EXPECT_FALSE(shader.Active());

    // A disabled shader still keeps the brackets balanced, but does nothing and asks for no pass.
    shader.SetEnabled(false);
    EXPECT_FALSE(shader.Initialized()); // the change finalised it
    int applies = shader.applies;
    shader.Apply(rci, nullptr);
    EXPECT_TRUE(shader.Active());
    EXPECT_FALSE(shader.UnApply(rci));
    EXPECT_FALSE(shader.Active());
    EXPECT_EQ(shader.applies, applies);
    EXPECT_THROW(shader.UnApply(rci), EAssertionFailed);
}

TEST(MaterialShader, UsersAreToldAndReleased) {
    TGLMaterialLibrary library;
    TGLLibMaterial* first = library.Materials()->Add();
    TGLLibMaterial* second = library.Materials()->Add();
    auto* shader = new CountingShader();
    first->SetShader(shader);
    second->SetShader(shader);
    first->SetShader(shader);
    ASSERT_EQ(shader->Users().size(), 2u);

    // A change outside an update finalises the shader, so it sets up again at its next use.
    TRenderContextInfo rci;
    shader->Apply(rci, nullptr);
    shader->UnApply(rci);
    shader->BeginUpdate();
    shader->SetShaderStyle(ssReplace);
    shader->EndUpdate();
    EXPECT_GE(shader->finalizations, 1);
    EXPECT_FALSE(shader->Initialized());

    second->SetShader(nullptr);
    EXPECT_EQ(shader->Users().size(), 1u);
    delete shader;
    EXPECT_EQ(first->Shader(), nullptr);

    // An entry going away leaves the shader's users.
    CountingShader other;
    TGLLibMaterial* third = library.Materials()->Add();
    third->SetShader(&other);
    delete third;
    EXPECT_TRUE(other.Users().empty());
}
