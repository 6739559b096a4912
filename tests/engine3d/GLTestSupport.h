// Shared by the engine tests: a context that draws off-screen (or a reason why there is none), and the
// message of an expected exception.
#pragma once

#include "GLWin32Context.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace engine3d_test {

// The message of the E that action raises; "(nothing raised)" when it raises none.
template <class E> std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const E& e) {
        return e.what();
    }
    return "(nothing raised)";
}

// nullptr (and the reason in why) when no OpenGL context can be had here.
inline std::unique_ptr<engine3d::TGLWin32Context> newMemoryContext(int width, int height, std::string& why) {
    auto context = std::make_unique<engine3d::TGLWin32Context>();
    context->SetDepthBits(24);
    try {
        context->CreateMemoryContext(nullptr, width, height, 1);
    } catch (const std::exception& e) {
        why = e.what();
        return nullptr;
    }
    return context;
}

} // namespace engine3d_test

#define REQUIRE_MEMORY_CONTEXT(name, width, height)                                                          \
    std::string name##Why;                                                                                   \
    auto name = engine3d_test::newMemoryContext(width, height, name##Why);                                   \
    if (!name) GTEST_SKIP() << "no OpenGL context: " << name##Why;
