#pragma once
// The hex editor fuzz targets' editor: a new widget for every input, on the offscreen platform.
#include <QApplication>
#include <QByteArray>

#include <cstdlib>
#include <memory>

#include "HexEditorEx.h"

// The font library keeps a few blocks until the process ends.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}

namespace hexfuzz {

inline void ensureApplication() {
    // Lives until the process ends: nothing is torn down between the runs.
    static QApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)application;
}

// A new editor with the default settings holding data.
inline std::unique_ptr<THexEditorEx> newEditor(const QByteArray& data) {
    ensureApplication();
    auto editor = std::make_unique<THexEditorEx>();
    editor->resize(600, 300);
    editor->LoadFromByteArray(data);
    return editor;
}

} // namespace hexfuzz
