#include "ViewerRegistry.h"

#include <map>

namespace {
// Filled by static objects of the viewer units, so it must exist before the first of them runs.
std::map<std::string, TViewerFactory>& factories() {
    static std::map<std::string, TViewerFactory> map;
    return map;
}
} // namespace

void RegisterViewer(const std::string& viewerClass, TViewerFactory factory) {
    factories()[viewerClass] = std::move(factory);
}

TViewerFactory ViewerFactory(const std::string& viewerClass) {
    auto it = factories().find(viewerClass);
    return it == factories().end() ? TViewerFactory() : it->second;
}

bool IsViewerRegistered(const std::string& viewerClass) {
    return bool(ViewerFactory(viewerClass));
}
