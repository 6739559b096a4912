// Helpers shared by the hex editor core tests.
#pragma once

#include "HexEditorCore.h"

#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> sequence(int n, int start = 0) {
    std::vector<uint8_t> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<size_t>(i)] = static_cast<uint8_t>(start + i);
    return v;
}

// An editing model holding the given bytes.
struct LoadedCore : THexEditorCore {
    explicit LoadedCore(const std::vector<uint8_t>& bytes) { LoadFromBuffer(bytes.data(), bytes.size()); }
};

inline uint32_t u32At(const std::vector<uint8_t>& v, size_t at) {
    return v[at] | v[at + 1] << 8 | v[at + 2] << 16 | static_cast<uint32_t>(v[at + 3]) << 24;
}

// Places the caret on a byte's first hex cell without touching the selection logic.
inline void caretTo(THexEditorCore& e, int32_t pos) {
    e.SetSelStart(pos);
}

inline std::string expectThrowMessage(const std::function<void()>& f) {
    try {
        f();
    } catch (const EHexEditor& error) {
        return error.what();
    }
    return "<no exception>";
}
