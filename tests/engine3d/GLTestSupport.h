// Shared by the engine tests: a context that draws off-screen (or a reason why there is none), and the
// message of an expected exception.
#pragma once

#include "GLWin32Context.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

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

// Every component of seen within tolerance of want: vectors, texture points and matrices alike.
template <class T, size_t N>
void expectNear(const std::array<T, N>& seen, const std::array<T, N>& want, const std::string& where = "",
                float tolerance = 1e-5f) {
    for (size_t i = 0; i < N; ++i) {
        if constexpr (std::is_arithmetic_v<T>)
            EXPECT_NEAR(seen[i], want[i], tolerance) << where << " [" << i << "]";
        else
            expectNear(seen[i], want[i], where + " [" + std::to_string(i) + "]", tolerance);
    }
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
