#include "GLContext.h"
#include "GLTestSupport.h"
#include "GLWin32Context.h"
#include "ShapeRenderSupport.h"
#include "TestInChild.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QProcessEnvironment>
#include <QSurfaceFormat>
#include <QWindow>

using namespace engine3d;
using ::testing::HasSubstr;

using engine3d_test::expectColour;
using engine3d_test::messageOf;
using engine3d_test::readPixel;

TEST(GLContext, UncreatedContextRefusesUse) {
    TGLWin32Context context;
    EXPECT_FALSE(context.IsValid());
    EXPECT_EQ(messageOf<engine3d::EGLContext>([&] { context.ContextActivate(); }), "Context not created");
    EXPECT_EQ(messageOf<engine3d::EGLContext>([&] { context.ShareLists(&context); }), "Context not created");
    EXPECT_EQ(messageOf<engine3d::EGLContext>([&] { context.ContextDeactivate(); }),
              "Unbalanced context activations");
}

TEST(GLContext, FormatRelaxationFollowsTheFields) {
    TGLWin32Context context;
    context.SetDepthBits(32);
    context.SetAntiAliasing(aa2x);
    context.SetOptions(RCOption(rcoDoubleBuffered));
    std::vector<QSurfaceFormat> candidates = context.FormatCandidates();
    ASSERT_EQ(candidates.size(), 5u);
    EXPECT_EQ(candidates[0].samples(), 2);
    EXPECT_EQ(candidates[0].depthBufferSize(), 32);
    EXPECT_EQ(candidates[1].depthBufferSize(), 24);
    EXPECT_EQ(candidates[1].samples(), -1) << "sample buffers go first";
    EXPECT_EQ(candidates[2].depthBufferSize(), 16);
    EXPECT_EQ(candidates[3].redBufferSize(), 5);
    EXPECT_EQ(candidates[3].depthBufferSize(), 16);
    EXPECT_EQ(candidates[4].depthBufferSize(), 32);
    EXPECT_EQ(candidates[4].redBufferSize(), 8);
    for (const QSurfaceFormat& f : candidates) {
        EXPECT_EQ(f.swapBehavior(), QSurfaceFormat::DoubleBuffer);
        EXPECT_EQ(f.profile(), QSurfaceFormat::CompatibilityProfile);
    }
    context.SetAntiAliasing(aaNone);
    EXPECT_EQ(context.RequestedFormat().samples(), 0);
}

TEST(GLContext, UnsupportedBuffersAreRefusedClearly) {
    TGLWin32Context context;
    context.SetAccumBits(32);
    EXPECT_THAT(messageOf<engine3d::EGLContext>([&] { context.CreateMemoryContext(nullptr, 4, 4, 1); }),
                HasSubstr("Accumulation buffers are not supported"));
    context.SetAccumBits(0);
    context.SetAuxBuffers(1);
    EXPECT_THAT(messageOf<engine3d::EGLContext>([&] { context.CreateMemoryContext(nullptr, 4, 4, 1); }),
                HasSubstr("Auxiliary buffers are not supported"));
    EXPECT_FALSE(context.IsValid());
}

TEST(GLContext, ClearColourReadsBackFromAMemoryContext) {
    REQUIRE_MEMORY_CONTEXT(context, 32, 32);
    EXPECT_NE(context->Acceleration(), chaUnknown);
    ASSERT_NE(context->Framebuffer(), nullptr);
    EXPECT_EQ(context->Framebuffer()->size(), QSize(32, 32));
    context->ContextActivate();
    EXPECT_EQ(CurrentGLContext(), context.get());
    glViewport(0, 0, 32, 32);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    expectColour(readPixel(16, 16), 64, 128, 191, "centre", 2);
    expectColour(readPixel(0, 31), 64, 128, 191, "top left", 2);
    CheckGLError();
    context->ContextDeactivate();
    EXPECT_EQ(CurrentGLContext(), nullptr);
    EXPECT_THAT(messageOf<Exception>([&] { context->CreateMemoryContext(nullptr, 4, 4, 1); }),
                HasSubstr("Context already created"));
}

TEST(GLContext, WindowContextClearsAndSwaps) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "window contexts are tested on an X server (platform "
                     << QGuiApplication::platformName().toStdString() << ")";
    QWindow window;
    window.resize(64, 48);
    TGLWin32Context context;
    context.SetOptions(RCOption(rcoDoubleBuffered));
    context.SetDepthBits(24);
    try {
        context.CreateContext(&window);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no OpenGL context: " << e.what();
    }
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(context.RenderOutputDevice(), &window);
    EXPECT_EQ(context.Framebuffer(), nullptr) << "a window context draws into the window";
    context.ContextActivate();
    glViewport(0, 0, 64, 48);
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFinish();
    glReadBuffer(GL_BACK);
    expectColour(readPixel(32, 24), 255, 128, 0, "back buffer", 2);
    context.SwapBuffers();
    CheckGLError();
    context.ContextDeactivate();

    // The window losing its surface takes the context with it first.
    window.destroy();
    EXPECT_FALSE(context.IsValid());
}

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
    EXPECT_EQ(context->ActivationCount(), 2);
    EXPECT_EQ(CurrentGLContext(), context.get());
    EXPECT_EQ(messageOf<engine3d::EGLContext>([&] { context->SetDepthBits(16); }),
              "Cannot alter an active context");
    EXPECT_EQ(messageOf<engine3d::EGLContext>([&] { context->SetAntiAliasing(aa4x); }),
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
    context->SetActive(true);
    EXPECT_TRUE(context->ContextIsActive());
    context->SetActive(false);
    EXPECT_FALSE(context->ContextIsActive());
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

TEST(GLContext, VirtualHandleCallsItsEvents) {
    REQUIRE_MEMORY_CONTEXT(context, 4, 4);
    context->ContextActivate();
    int destroyed = 0;
    {
        TGLVirtualHandle handle;
        handle.OnAllocate = [](TGLVirtualHandle*, GLuint& name) { name = 42; };
        handle.OnDestroy = [&](TGLVirtualHandle*, GLuint& name) { destroyed = static_cast<int>(name); };
        handle.AllocateHandle();
        EXPECT_EQ(handle.Handle(), 42u);
        TGLVirtualHandle none;
        none.AllocateHandle();
        EXPECT_EQ(none.Handle(), 0u);
        EXPECT_EQ(none.RenderingContext(), nullptr);
    }
    EXPECT_EQ(destroyed, 42);
    context->ContextDeactivate();
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

TEST(GLContext, ListsAreSharedOnlyWhenAskedBeforeCreation) {
    REQUIRE_MEMORY_CONTEXT(first, 4, 4);
    REQUIRE_MEMORY_CONTEXT(second, 4, 4);
    EXPECT_THAT(messageOf<engine3d::EGLContext>([&] { second->ShareLists(first.get()); }),
                HasSubstr("shared only between"));
    EXPECT_EQ(second->SharedContexts().size(), 1u);
    EXPECT_THROW(second->RequestListSharing(first.get()), engine3d::EGLContext) << "already created";
}

TEST(GLContextManager, CountsLiveAndCreatedContexts) {
    TGLContextManager* manager = GLContextManager();
    int live = manager->ContextCount();
    int created = manager->CreatedContextCount();
    {
        TGLWin32Context context;
        EXPECT_EQ(manager->ContextCount(), live + 1);
        EXPECT_EQ(messageOf<engine3d::EGLContext>([&] { manager->RegisterContext(&context); }),
                  "Invalid context registration");
        try {
            context.CreateMemoryContext(nullptr, 4, 4, 1);
            EXPECT_EQ(manager->CreatedContextCount(), created + 1);
            context.DestroyContext();
        } catch (const std::exception&) {
        }
        EXPECT_EQ(manager->CreatedContextCount(), created);
    }
    EXPECT_EQ(manager->ContextCount(), live);
    TObject stranger;
    EXPECT_THROW(manager->UnregisterContext(reinterpret_cast<TGLContext*>(&stranger)), engine3d::EGLContext);
}

TEST(GLContextManager, RegisteredClassMakesPlatformContexts) {
    std::unique_ptr<TGLContext> context(CreateRegisteredContext(GLContextManager()));
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->ClassName(), "TGLWin32Context");
    EXPECT_EQ(context->Manager(), GLContextManager());
}

TEST(GLContext, MemoryContextNeedsASize) {
    TGLWin32Context context;
    try {
        context.CreateMemoryContext(nullptr, 0, 0, 1);
        FAIL() << "a context without a size was made";
    } catch (const engine3d::EGLContext& e) {
        GTEST_SKIP() << "no OpenGL context: " << e.what();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Unabled to create pbuffer.");
    }
    EXPECT_FALSE(context.IsValid());
}

TEST(GLContext, DeeperDepthThanOfferedStillGivesAContext) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "window contexts are tested on an X server";
    QWindow window;
    window.resize(16, 16);
    TGLWin32Context context;
    context.SetDepthBits(32);
    context.SetAntiAliasing(aaNone);
    try {
        context.CreateContext(&window);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no OpenGL context: " << e.what();
    }
    context.ContextActivate();
    GLint depth = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_GE(depth, 16);
    EXPECT_LE(context.NativeContext()->format().samples(), 1);
    context.ContextDeactivate();
    context.DestroyContext();
    EXPECT_FALSE(context.IsValid());
    EXPECT_EQ(context.Acceleration(), chaUnknown);
}

namespace {

struct MemoryDriver {
    const char* name;
    const char* extensionOverride;
    bool framebufferObjects;
};

void PrintTo(const MemoryDriver& driver, std::ostream* out) {
    *out << driver.name;
}

class MemorySurfaceOnDriver : public ::testing::TestWithParam<MemoryDriver> {};

// The left half red, the right half blue, read back top row first.
void expectHalves(TGLWin32Context& context, int width, int height, const std::string& when) {
    context.ContextActivate();
    glViewport(0, 0, width, height);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, width / 2, height);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(width / 2, 0, width - width / 2, height);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    const QImage image = context.ReadMemorySurface(width, height);
    context.ContextDeactivate();
    ASSERT_EQ(image.size(), QSize(width, height)) << when;
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::red)) << when;
    EXPECT_EQ(image.pixelColor(width - 1, height - 1), QColor(Qt::blue)) << when;
    EXPECT_EQ(image.pixelColor(width / 2 - 1, height - 1), QColor(Qt::red)) << when;
}

} // namespace

// A memory context draws whole pictures of any size on a driver with framebuffer objects, on one whose
// textures take only powers of two, and, without framebuffer objects, into a window that is never shown;
// a larger surface is had in the same context where the driver allows it.
TEST_P(MemorySurfaceOnDriver, DrawsAndReadsBackAPictureOfAnySize) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "the drivers are tried on an X server";
    if (!qEnvironmentVariableIsSet("KESTRUM_TEST_DRIVER")) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KESTRUM_TEST_DRIVER"), QStringLiteral("1"));
        environment.insert(QStringLiteral("MESA_EXTENSION_OVERRIDE"),
                           QString::fromLatin1(GetParam().extensionOverride));
        testpages::runCurrentTestInChild(environment, GetParam().name);
        return;
    }
    REQUIRE_MEMORY_CONTEXT(context, 40, 24);
    EXPECT_TRUE(context->IsMemoryContext());
    EXPECT_EQ(context->Framebuffer() != nullptr, GetParam().framebufferObjects);
    expectHalves(*context, 40, 24, "at its first size");
    if (context->ResizeMemorySurface(100, 60))
        expectHalves(*context, 100, 60, "grown in the same context");
    else
        EXPECT_FALSE(GetParam().framebufferObjects) << "a framebuffer object grows in its context";
    EXPECT_TRUE(context->ResizeMemorySurface(20, 10)) << "a smaller surface is always had";
    expectHalves(*context, 20, 10, "shrunk");
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, MemorySurfaceOnDriver,
    ::testing::Values(MemoryDriver{"Full", "", true},
                      MemoryDriver{"NoNonPowerOfTwoTextures", "-GL_ARB_texture_non_power_of_two", true},
                      MemoryDriver{"NoFramebufferObjects",
                                   "-GL_ARB_framebuffer_object -GL_EXT_framebuffer_object", false}),
    [](const ::testing::TestParamInfo<MemoryDriver>& info) { return info.param.name; });
