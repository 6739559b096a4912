#include "ViewerHost.h"

namespace {
TViewerHost* currentHost = nullptr;
}

TViewerHost* ViewerHost() {
    return currentHost;
}

void SetViewerHost(TViewerHost* host) {
    currentHost = host;
}
