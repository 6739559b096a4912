#pragma once
// Which viewer opens an object: one table of (class index, format family, viewer class name). A row whose
// viewer class is not registered opens the raw view.
#include <cstdint>
#include <vector>

#include "ViewerRegistry.h"

enum class TViewerFamily {
    Both,    // every format code
    UruLive, // every code but 6 and 9
    MystVHexIsle,
};

struct TViewerRow {
    uint16_t ClassIndex;
    TViewerFamily Family;
    const char* Viewer; // class name; kEmptyViewer for classes that store nothing
};

inline constexpr const char* kEmptyViewer = "TfrmTEmpty";
inline constexpr const char* kRawViewer = "TfrmTUnknown";
// Class indexes from this one on always open the raw view.
inline constexpr uint16_t kFirstUnknownClass = 297;

const std::vector<TViewerRow>& ViewerTable();

// The viewer class for a class index in a format's family, or nullptr when the table has no row.
const char* FindViewerClass(uint16_t classIndex, uint16_t version);
