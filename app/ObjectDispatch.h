#pragma once
// Which viewer opens an object: one table of (class index, format family, viewer class name), and the
// viewer classes that exist, registered by name from their own units:
//
//     static const TViewerRegistrar registrar("TfrmTplLayer", [] { return new TfrmTplLayer; });
//
// A row whose viewer class is not registered opens the raw view.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TCustomPRPObjectForm;

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

using TViewerFactory = std::function<TCustomPRPObjectForm*()>;

// Registers (or replaces) the factory of a viewer class.
void RegisterViewer(const std::string& viewerClass, TViewerFactory factory);
// The factory of a registered viewer class, or an empty function.
TViewerFactory ViewerFactory(const std::string& viewerClass);
bool IsViewerRegistered(const std::string& viewerClass);

struct TViewerRegistrar {
    TViewerRegistrar(const char* viewerClass, TViewerFactory factory) {
        RegisterViewer(viewerClass, std::move(factory));
    }
};
