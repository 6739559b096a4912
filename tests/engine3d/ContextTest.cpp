#include "GLContext.h"
#include "GLTestSupport.h"
#include "GLWin32Context.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QOpenGLContext>

using namespace engine3d;
using ::testing::HasSubstr;

using engine3d_test::messageOf;

TEST(GLContext, ActivationIsCountedAndBalanced) {
    TGLWin32Context uncreated;
    EXPECT_FALSE(uncreated.IsValid());
    EXPECT_EQ(messageOf<engine3d::EGLContext>([&] { uncreated.ContextActivate(); }), "Context not created");

    REQUIRE_MEMORY_CONTEXT(context, 4, 4);
    EXPECT_NE(context->Acceleration(), chaUnknown);
    EXPECT_THAT(messageOf<Exception>([&] { context->CreateMemoryContext(nullptr, 4, 4, 1); }),
                HasSubstr("Context already created"));
    context->ContextActivate();
    context->ContextActivate();
    EXPECT_EQ(CurrentGLContext(), context.get());
    EXPECT_EQ(messageOf<engine3d::EGLContext>([&] { context->SetDepthBits(16); }),
              "Cannot alter an active context");
    context->ContextDeactivate();
    EXPECT_EQ(CurrentGLContext(), context.get());
    context->ContextDeactivate();
    EXPECT_EQ(CurrentGLContext(), nullptr);
    EXPECT_EQ(QOpenGLContext::currentContext(), nullptr);
    EXPECT_EQ(messageOf<engine3d::EGLContext>([&] { context->ContextDeactivate(); }),
              "Unbalanced context activations");
    context->SetDepthBits(16);
    EXPECT_EQ(context->DepthBits(), 16) << "stored while inactive";
}

TEST(GLContext, CheckGLErrorReportsOnceWithTheGluText) {
    REQUIRE_MEMORY_CONTEXT(context, 4, 4);
    context->ContextActivate();
    glEnable(0xFFFF);
    EXPECT_EQ(messageOf<EOpenGLError>([] { CheckGLError(); }),
              reinterpret_cast<const char*>(gluErrorString(GL_INVALID_ENUM)));
    EXPECT_NO_THROW(CheckGLError()) << "drained after the report";
    vIgnoreOpenGLErrors = true;
    glEnable(0xFFFF);
    EXPECT_NO_THROW(CheckGLError());
    vIgnoreOpenGLErrors = false;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    context->ContextDeactivate();
}

TEST(GLContext, HandlesLiveInTheirContextAndDieWithIt) {
    REQUIRE_MEMORY_CONTEXT(context, 4, 4);
    TGLTextureHandle texture;
    TGLListHandle list;
    EXPECT_THROW(texture.AllocateHandle(), EAssertionFailed) << "no current context";
    context->ContextActivate();
    texture.AllocateHandle();
    list.AllocateHandle();
    EXPECT_NE(texture.Handle(), 0u);
    EXPECT_EQ(texture.RenderingContext(), context.get());
    EXPECT_EQ(context->OwnedHandles().size(), 2u);
    EXPECT_THROW(texture.AllocateHandle(), EAssertionFailed) << "already allocated";
    glBindTexture(GL_TEXTURE_2D, texture.Handle());
    EXPECT_TRUE(glIsTexture(texture.Handle()));
    GLuint listName = list.Handle();
    glNewList(listName, GL_COMPILE);
    glEndList();
    list.HandleDestroy();
    EXPECT_FALSE(glIsList(listName));
    EXPECT_EQ(context->OwnedHandles().size(), 1u);
    context->ContextDeactivate();

    context->DestroyContext();
    EXPECT_EQ(texture.Handle(), 0u) << "no sharing context: destroyed with its owner";
    EXPECT_EQ(texture.RenderingContext(), nullptr);
    EXPECT_FALSE(context->IsValid());
}

TEST(GLContext, SharedListsMoveHandlesToTheSurvivor) {
    REQUIRE_MEMORY_CONTEXT(first, 4, 4);
    TGLWin32Context second;
    second.RequestListSharing(first.get());
    second.CreateMemoryContext(nullptr, 4, 4, 1);
    ASSERT_EQ(second.SharedContexts().size(), 2u);
    EXPECT_EQ(first->SharedContexts().size(), 2u) << "every member holds the same list";

    first->ContextActivate();
    TGLTextureHandle texture;
    texture.AllocateHandle();
    glBindTexture(GL_TEXTURE_2D, texture.Handle());
    const uint8_t pixel[4] = {1, 2, 3, 4};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    first->ContextDeactivate();
    GLuint name = texture.Handle();

    // Destroying the first while the second is current keeps the second current afterwards.
    second.ContextActivate();
    first->DestroyContext();
    EXPECT_EQ(CurrentGLContext(), &second);
    EXPECT_EQ(texture.RenderingContext(), &second);
    EXPECT_EQ(texture.Handle(), name);
    EXPECT_TRUE(glIsTexture(name)) << "the texture lives on in the sharing context";
    EXPECT_EQ(second.SharedContexts().size(), 1u);
    second.ContextDeactivate();

    texture.HandleDestroy(); // owner not current: activated for the deletion, then left
    EXPECT_EQ(CurrentGLContext(), nullptr);
    EXPECT_EQ(texture.Handle(), 0u);
}
