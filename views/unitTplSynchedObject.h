#pragma once
// The synched-object part window.
#include "ObjectParts.h"
#include "PRPForms.h"

class QListWidget;
class TFlagBoxGroup;

class TfrmTplSynchedObject : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplSynchedObject(QWidget* parent = nullptr);

    TSynchedObject Part;
    TFlagBoxGroup* FlagsGroup = nullptr;
    QListWidget* SDLLinks = nullptr;
};

// Fills the window from a copy of the part; unless standalone, captions it "[0028] Synched Object".
void ShowSynchedObjectPart(TfrmTplSynchedObject* form, const TSynchedObject& part, bool standalone = false);

// The object entry a part window is captioned from: only a name and a class index.
TPRPFileObject PartWindowEntry(const char* name, uint16_t classIndex);
TPRPFileObject PartWindowEntry(const std::string& name, uint16_t classIndex);
