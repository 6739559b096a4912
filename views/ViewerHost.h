#pragma once
// What a viewer asks of the program around it: following a key link, the shared colour dialog and the
// local pages. The main window implements it and hands itself over while it lives; without one, links do
// nothing, swatches use a dialog of their own and no page is loaded.
#include <vector>

#include "PRPClasses.h"

class QColorDialog;
class TCustomPRPObjectForm;

class TViewerHost {
public:
    virtual ~TViewerHost() = default;
    // Opens the object with this key from the loaded pages, or says it was not found; returns the window,
    // or nullptr when nothing was opened.
    virtual TCustomPRPObjectForm* ShowObjectByKey(const TPRPObjectDesc& key, bool hexOnly) = 0;
    virtual QColorDialog* SharedColorDialog() const = 0;
    virtual const std::vector<TPRPFile>& LoadedLocalPages() const = 0;
};

// The host in use, or nullptr.
TViewerHost* ViewerHost();
void SetViewerHost(TViewerHost* host);
