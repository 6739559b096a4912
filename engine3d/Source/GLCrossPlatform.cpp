#include "GLCrossPlatform.h"

#include "PlatformGraphics.h"

#include <QGuiApplication>
#include <QPalette>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace engine3d {

TVector SystemColorVectors[SystemColorCount];

namespace {

struct SystemColorRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The 25 system colour indices mapped onto the toolkit's palette.
constexpr SystemColorRole systemColorRoles[SystemColorCount] = {
    {QPalette::Active, QPalette::Mid},             // scroll bar
    {QPalette::Active, QPalette::Dark},            // desktop background
    {QPalette::Active, QPalette::Highlight},       // active caption
    {QPalette::Inactive, QPalette::Mid},           // inactive caption
    {QPalette::Active, QPalette::Window},          // menu
    {QPalette::Active, QPalette::Base},            // window
    {QPalette::Active, QPalette::Shadow},          // window frame
    {QPalette::Active, QPalette::WindowText},      // menu text
    {QPalette::Active, QPalette::Text},            // window text
    {QPalette::Active, QPalette::HighlightedText}, // caption text
    {QPalette::Active, QPalette::Window},          // active border
    {QPalette::Inactive, QPalette::Window},        // inactive border
    {QPalette::Active, QPalette::Mid},             // application workspace
    {QPalette::Active, QPalette::Highlight},       // highlight
    {QPalette::Active, QPalette::HighlightedText}, // highlight text
    {QPalette::Active, QPalette::Button},          // button face
    {QPalette::Active, QPalette::Dark},            // button shadow
    {QPalette::Disabled, QPalette::Text},          // grey text
    {QPalette::Active, QPalette::ButtonText},      // button text
    {QPalette::Inactive, QPalette::WindowText},    // inactive caption text
    {QPalette::Active, QPalette::Light},           // button highlight
    {QPalette::Active, QPalette::Shadow},          // 3D dark shadow
    {QPalette::Active, QPalette::Midlight},        // 3D light
    {QPalette::Active, QPalette::ToolTipText},     // info text
    {QPalette::Active, QPalette::ToolTipBase},     // info background
};

QPalette systemPalette() {
    if (qGuiApp) return QGuiApplication::palette();
    return QPalette(QColor(240, 240, 240));
}

TColor systemColor(int index) {
    if (index < 0 || index >= SystemColorCount) return 0;
    const SystemColorRole& entry = systemColorRoles[index];
    QColor c = systemPalette().color(entry.group, entry.role);
    return static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

} // namespace

TColor ResolveSystemColor(TColor color) {
    return color < 0 ? systemColor(color & 0xFF) : color;
}

void InitSystemColors() {
    for (int i = 0; i < SystemColorCount; ++i) {
        TColor c = systemColor(i);
        SystemColorVectors[i] = {GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f, 1.0f};
    }
}

void RaiseLastOSError() {
    throw EOSError(std::string("OS Error : ") + std::strerror(errno));
}

uint8_t* BitmapScanLine(TBitmap& bitmap, int y) {
    return bitmap.ScanLine(y);
}

uint32_t GLGetTickCount() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

bool QueryPerformanceCounterValue(int64_t& value) {
    value = std::chrono::duration_cast<std::chrono::nanoseconds>(
                std::chrono::steady_clock::now().time_since_epoch())
                .count();
    return true;
}

bool QueryPerformanceFrequencyValue(int64_t& frequency) {
    frequency = 1000000000;
    return true;
}

} // namespace engine3d
