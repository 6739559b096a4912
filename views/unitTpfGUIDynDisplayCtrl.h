#pragma once
// The GUI dynamic display viewer: its text maps, layers and materials.
#include "GuiControlParts.h"
#include "PRPForms.h"

class TLinkLabel;
class TObjRefTreeView;

class TfrmTpfGUIDynDisplayCtrl : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTpfGUIDynDisplayCtrl(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TGUIDynDisplayRecord Record;
    TLinkLabel* LinkedControlMod = nullptr;
    TObjRefTreeView* TextMapKeys = nullptr;
    TObjRefTreeView* LayerKeys = nullptr;
    TObjRefTreeView* MaterialKeys = nullptr;
};
