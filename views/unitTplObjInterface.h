#pragma once
// The object-interface part window.
#include "ObjectParts.h"
#include "PRPForms.h"

class QListWidget;
class TKeyLinkLabel;

class TfrmTplObjInterface : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplObjInterface(QWidget* parent = nullptr);

    TObjInterface Part;
    TKeyLinkLabel* LinkedSceneObject = nullptr;
    QListWidget* FlagsList = nullptr;
};

// Unless standalone, captions the window "[0010] Object Interface".
void ShowObjInterfacePart(TfrmTplObjInterface* form, const TObjInterface& part, bool standalone = false);
