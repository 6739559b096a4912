// Any text as the hex editor's settings text. What the editor then reports must read back to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "HexFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto editor = hexfuzz::newEditor(QByteArray(64, 'x'));
    THexEditorEx& e = *editor;
    try {
        e.SetSettingsText(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const EHexEditor&) {
        // A refused value stops the text there, with a message.
    }
    const QString text = e.GetSettingsText();
    e.SetSettingsText(text);
    if (e.GetSettingsText() != text) std::abort();
    return 0;
}
