#pragma once
// The viewer classes that exist, registered by name from their own units:
//
//     static const TViewerRegistrar registrar("TfrmTplLayer", [] { return new TfrmTplLayer; });
//
// Which class index opens which of them is the main window's business.
#include <functional>
#include <string>

class TCustomPRPObjectForm;

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
